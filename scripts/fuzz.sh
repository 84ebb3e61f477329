#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer) and runs each
# for a while over the seeds in fuzz/corpus/<target>. Exits non-zero when any target finds a fault;
# the input that did it is left in $FUZZ_BUILD_DIR/artifacts/.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   (SECONDS per target, 20 when not given;
#        FUZZ_BUILD_DIR=... to build elsewhere; targets are named as in fuzz/, e.g. rla)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

seconds=${1:-20}
shift || true
fuzz_build=${FUZZ_BUILD_DIR:-$root/build-fuzz}

ensure_packages clang libclang-rt-14-dev
CXX=clang++ cmake -S "$root" -B "$fuzz_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTELVARION_WERROR=ON \
  -DTELVARION_FUZZ=ON -DTELVARION_BUILD_GUI=OFF -DTELVARION_BUILD_TESTS=OFF >/dev/null
cmake --build "$fuzz_build" --parallel --target fuzzers

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for dir in "$root"/fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

mkdir -p "$fuzz_build/artifacts"
failed=()
for target in "${targets[@]}"; do
  # New inputs go to a corpus of the build; the committed seeds are only read.
  work="$fuzz_build/corpus/$target"
  mkdir -p "$work"
  echo "== $target: ${seconds} s"
  if ! "$fuzz_build/fuzz/${target}_fuzzer" "$work" "$root/fuzz/corpus/$target" \
      -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -max_len=65536 \
      -artifact_prefix="$fuzz_build/artifacts/${target}-" -print_final_stats=1 \
      >"$fuzz_build/$target.log" 2>&1; then
    failed+=("$target")
    tail -n 60 "$fuzz_build/$target.log"
  else
    grep -E "stat::number_of_executed_units|Done [0-9]+ runs" "$fuzz_build/$target.log" | tail -n 1 || true
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzz targets that found a fault: ${failed[*]}"
  exit 1
fi
echo "All fuzz targets ran clean: ${targets[*]}"
