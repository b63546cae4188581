#!/usr/bin/env bash
# Prints the lines of code and of tests in the C++ sources git tracks, and the tests' share.
# Tests are *_test.cpp/.h files and the fuzz targets; benchmarks count as neither.
set -euo pipefail
cd "$(dirname "$0")/.."
tests='(^|/)tests?/|_test\.(cpp|h)$'
count() { xargs -r cat | wc -l; }
code=$(git ls-files '*.cpp' '*.h' '*.in' | grep -v -E "$tests|(^|/)(bench|fuzz)/" | count)
test=$(git ls-files '*.cpp' '*.h' | grep -E "$tests|(^|/)fuzz/" | count)
echo "code lines: $code"
echo "test lines: $test"
echo "tests: $((100 * test / code))% of code"
