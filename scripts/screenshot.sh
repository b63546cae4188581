#!/usr/bin/env bash
# Takes a screenshot of Kelmoa on a virtual display: a sample text loaded and the pointer
# resting on a known word, so that the meaning popup shows.
#
#   bash scripts/screenshot.sh [OUTPUT.png]     (default: <build>/screenshot.png)
#
# KELMOA_BUILD_DIR names the build folder (default: build). Needs xvfb-run, xwininfo and
# ImageMagick's import (scripts/install-deps.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KELMOA_BUILD_DIR:-build}
out=$(realpath -m "${1:-$build/screenshot.png}")

cmake -S . -B "$build" >/dev/null
cmake --build "$build" --target stage -j2 >/dev/null
stage=$(realpath "$build/stage")
sample="$stage/txt_shift_jis/the_fox_and_the_grapes.txt"

# Inside the virtual display: start Kelmoa, wait for its window, rest the pointer on the word
# "said" (line 8, columns 21 to 24 of the sample), and grab the screen.
xvfb-run -a -s "-screen 0 1280x1024x24" bash -s -- "$stage/bin/Kelmoa" "$sample" "$out" <<'INNER'
set -euo pipefail
program=$1 sample=$2 out=$3
# A window manager, where there is one, gives the window its title bar with the caption.
if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  sleep 0.5
fi
"$program" "$sample" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
for _ in $(seq 1 100); do
  if xwininfo -root -tree | grep -q 'the_fox_and_the_grapes.txt - Kelmoa'; then break; fi
  sleep 0.1
done
sleep 0.5
# Where the window's inside stands on the screen (a window manager moves it by its frame).
info=$(xwininfo -name 'the_fox_and_the_grapes.txt - Kelmoa Ver1.1.1')
wx=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
wy=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
# The pane starts 20 pixels below the window's top; line 8 has its top at 7 * 17 + 5, and
# column 21 starts at 47 + 20 * 7 (HalfWidth 7, CharHeight 14, line spacing 3).
for xy in "150 400" "200 151" "205 151"; do
  read -r x y <<<"$xy"
  python3 scripts/xtest.py move $((wx + x)) $((wy + y))
done
sleep 0.5
# The window with its frame and title bar.
cx=$(( wx > 8 ? wx - 8 : 0 )); cy=$(( wy > 32 ? wy - 32 : 0 ))
import -window root -crop 620x990+$cx+$cy +repage "$out"
INNER
echo "$out"
