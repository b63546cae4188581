#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them, then prints each case with its floor, the ratio
# and the target: the median of five runs of every figure.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKELMOA_BUILD_TESTS=OFF
cmake --build build-bench -j"$(nproc)" --target kelmoa_bench kelmoa_gui_bench
out=build-bench/results
mkdir -p "$out"
flags=(--benchmark_repetitions=5 --benchmark_report_aggregates_only=true
       --benchmark_out_format=json)
./build-bench/kelmoa_bench "${flags[@]}" --benchmark_out="$out/core.json"
QT_QPA_PLATFORM=offscreen ./build-bench/kelmoa_gui_bench "${flags[@]}" \
  --benchmark_out="$out/gui.json"
python3 bench/summary.py "$out/core.json" "$out/gui.json"
