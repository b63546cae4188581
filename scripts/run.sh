#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds Kelmoa and starts it on its bundled data.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
[ ! -f build/stage/dic/Dic_EJ.txt ] || echo "run.sh: kept your dictionary build/stage/dic/Dic_EJ.txt; to rebuild it with the current importer (kelmoa-tool import-dictionary), move it into build/stage/dic_backup/ and run this again"
# Only what runs here is built: the program, kelmoa-tool and the staged install of both
# (program, dictionary, sample texts, help page; a dictionary already staged, with the user's
# changes, is kept). The tests and benchmarks are built by scripts/test.sh and scripts/bench.sh.
cmake --build build -j"$(nproc)" --target Kelmoa kelmoa-tool stage
sample="$PWD/build/stage/txt_shift_jis/welcome.txt"
[ -f "$sample" ] || sample="$PWD/build/stage/txt_shift_jis/the_fox_and_the_grapes.txt"
exec build/stage/bin/Kelmoa "$sample"
