#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds Kelmoa and starts it on its bundled data.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
# Lays out build/stage as an installed Kelmoa (program, dictionary, sample texts, help page);
# a dictionary already staged, with the user's changes, is kept.
[ ! -f build/stage/dic/Dic_EJ.txt ] || echo "run.sh: kept your dictionary build/stage/dic/Dic_EJ.txt; to rebuild it with the current importer (kelmoa-tool import-dictionary), move it into build/stage/dic_backup/ and run this again"
cmake --build build --target stage
sample="$PWD/build/stage/txt_shift_jis/welcome.txt"
[ -f "$sample" ] || sample="$PWD/build/stage/txt_shift_jis/the_fox_and_the_grapes.txt"
exec build/stage/bin/Kelmoa "$sample"
