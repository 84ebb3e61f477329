#!/usr/bin/env bash
# Builds the benchmarks in Release (in build-bench/) and runs them. The memory figure runs in a
# process of its own so that its peak resident size is that of the loaded dictionary alone.
# Usage: scripts/bench.sh [--benchmark_filter=REGEX ...]   (extra arguments go to each run)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages libbenchmark-dev
bench_build=${BENCH_BUILD_DIR:-$root/build-bench}
cmake -S "$root" -B "$bench_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTELVARION_BENCH=ON \
  -DTELVARION_BUILD_TESTS=OFF
cmake --build "$bench_build" --target telvarion_engine_bench telvarion_view_bench telvarion-cli

echo "== machine"
echo "$(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
free -h | sed -n 2p

if [ $# -eq 0 ]; then
  "$bench_build/bench/telvarion_engine_bench" --benchmark_filter='OrvoDictionaryMemory'
  "$bench_build/bench/telvarion_engine_bench" --benchmark_filter='-OrvoDictionaryMemory'
else
  "$bench_build/bench/telvarion_engine_bench" "$@"
fi
QT_QPA_PLATFORM=offscreen "$bench_build/bench/telvarion_view_bench" "$@"
