#!/usr/bin/env bash
# Installs what the build needs (Debian 12), checks the folders' layers and the changed lines'
# format, configures, builds and runs every test; then builds
# and runs the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer, the
# command line's tests under ThreadSanitizer, checks the tool's Windows build under Wine (and the
# desktop program's with its setup program, when the Qt for Windows is built: TELVARION_WINDOWS_GUI=1
# builds it first), and runs each fuzz target for a short while over its committed corpus.
# Exits non-zero on any failure.
# Usage: scripts/test.sh   (BUILD_DIR=..., ASAN_BUILD_DIR=..., TSAN_BUILD_DIR=..., FUZZ_BUILD_DIR=... to build elsewhere;
#        FUZZ_SECONDS=... per fuzz target, 20 when not given)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages clang libclang-rt-14-dev libtsan2 clang-format python3
# Each stage says when it starts, so a long run shows where its time went.
stage() { echo "== stage: $1 (at $((SECONDS / 60)) min $((SECONDS % 60)) s)"; }
stage "layers, format, the build and its tests"
# The folders include each other one way; the lines changed since the style came in follow it.
python3 "$root/scripts/check_layers.py"
"$root/scripts/check_format.sh"
build_project
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"

stage "the suite under AddressSanitizer and UndefinedBehaviorSanitizer"
# The sanitized suite. The huge-input tests are left out: their point is size and memory, which
# the sanitizers' own bookkeeping would swamp; the normal run above has them.
asan_build=${ASAN_BUILD_DIR:-$root/build-asan}
cmake -S "$root" -B "$asan_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTELVARION_WERROR=ON -DTELVARION_SANITIZE=ON
cmake --build "$asan_build" --parallel
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
LSAN_OPTIONS="suppressions=$root/scripts/sanitizers/lsan.supp:print_suppressions=0" \
  ctest --test-dir "$asan_build" --output-on-failure --parallel "$(nproc)" --label-exclude huge

stage "the command line under ThreadSanitizer"
# The batch analysis on several threads under ThreadSanitizer: the tool and the tests of the command
# line, which run it with several --jobs over shared dictionaries, and the threads' own tests.
tsan_build=${TSAN_BUILD_DIR:-$root/build-tsan}
cmake -S "$root" -B "$tsan_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTELVARION_WERROR=ON -DTELVARION_TSAN=ON \
  -DTELVARION_BUILD_GUI=OFF
cmake --build "$tsan_build" --parallel --target telvarion-cli cli_tests telvarion_data
TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1" \
  ctest --test-dir "$tsan_build" --output-on-failure --parallel "$(nproc)" --label-regex '^cli$'

stage "Windows under Wine"
# The command-line tool cross-built for Windows, under Wine, against what this build writes.
"$root/scripts/windows_check.sh"
stage "the fuzz targets"

FUZZ_BUILD_DIR=${FUZZ_BUILD_DIR:-$root/build-fuzz} "$root/scripts/fuzz.sh" "${FUZZ_SECONDS:-20}"
stage "done"
