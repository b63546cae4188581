#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them, then prints each case with its floor, the ratio
# and the target: the median of five runs of every figure. Each case runs with its floor in a
# process of its own, as a freshly started Kelmoa would meet it, so that what one case leaves
# behind in memory does not slow the next.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKELMOA_BUILD_TESTS=OFF
cmake --build build-bench -j"$(nproc)" --target kelmoa_bench kelmoa_gui_bench kelmoa_word_list_bench
out=build-bench/results
rm -rf "$out"
mkdir -p "$out"
flags=(--benchmark_repetitions=5 --benchmark_report_aggregates_only=true
       --benchmark_out_format=json)
n=0
for filter in 'shuffled:0' 'shuffled:1' 'DefaultDic' 'OpenText' 'shape:0' 'shape:1' 'shape:2'; do
  n=$((n + 1))
  ./build-bench/bench/kelmoa_bench "${flags[@]}" --benchmark_filter="$filter" \
    --benchmark_out="$out/core$n.json"
done
for filter in 'PointerMove|PageRedraw' 'WordInformation|DictionaryChange' 'Memory'; do
  n=$((n + 1))
  QT_QPA_PLATFORM=offscreen ./build-bench/bench/kelmoa_gui_bench "${flags[@]}" \
    --benchmark_filter="$filter" --benchmark_out="$out/gui$n.json"
done
for filter in 'WordListOpen|WordListMemory' 'WordListFilter|WordListCapture'; do
  n=$((n + 1))
  QT_QPA_PLATFORM=offscreen ./build-bench/bench/kelmoa_word_list_bench "${flags[@]}" \
    --benchmark_filter="$filter" --benchmark_out="$out/gui$n.json"
done
python3 bench/summary.py "$out"/*.json
