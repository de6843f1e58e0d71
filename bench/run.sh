#!/usr/bin/env bash
# Every benchmark, from a Release build in build/ev:
#   bench/run.sh [Google Benchmark flags, e.g. --benchmark_min_time=0.1]
# Each program prints its own table at the end (see docs/evidence.md).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/ev -G Ninja -DCMAKE_BUILD_TYPE=Release -DTHERMO_BENCH=ON >/dev/null
benches=(sim_bench calls_bench overhead_bench)
cmake --build build/ev --target "${benches[@]}"
for bench in "${benches[@]}"; do
  echo "=== ${bench}"
  "build/ev/bin/${bench}" --benchmark_color=false "$@"
done
