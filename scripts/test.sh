#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds Kelmoa and runs every test:
#   1. the test suite (GoogleTest for the core, Qt Test for the windows);
#   2. the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the fuzz targets: their seed corpus replayed, then a short fuzzing run each.
# KELMOA_QUICK=1 runs the first step only. KELMOA_FUZZ_SECONDS sets the fuzzing time per
# target (default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
# Window tests run without a display.
export QT_QPA_PLATFORM=offscreen

echo "== Test suite"
# The whole build: program, tests and benchmarks (scripts/run.sh builds only the program in the
# same folder, so the tests are asked for by name in case an earlier configuration left them off).
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELMOA_BUILD_TESTS=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

if [ "${KELMOA_QUICK:-0}" = 1 ]; then exit 0; fi

echo "== Test suite under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DKELMOA_SANITIZE=ON -DKELMOA_BUILD_BENCH=OFF
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=abort_on_error=1:detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

echo "== Fuzz targets: corpus replay and a short run each"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELMOA_FUZZ=ON \
  -DKELMOA_BUILD_TESTS=OFF -DKELMOA_BUILD_BENCH=OFF -DKELMOA_BUILD_GUI=OFF
cmake --build build-fuzz -j"$jobs"
seconds=${KELMOA_FUZZ_SECONDS:-20}
for target in char_code text_reader dictionary settings words prepare phrases; do
  corpus=fuzz/corpus/$target
  work=$(mktemp -d)
  ./build-fuzz/fuzz/${target}_fuzz -runs=0 "$corpus"
  ./build-fuzz/fuzz/${target}_fuzz -max_total_time="$seconds" -max_len=4096 \
    -artifact_prefix=build-fuzz/ "$work" "$corpus"
  rm -rf "$work"
  echo "fuzz $target: passed"
done
echo "All test stages passed."
