#!/usr/bin/env bash
# Checks the word list on a virtual display: Kelmoa opens the sample text welcome.txt, three
# words get a middle click, F2 opens 単語帳, and its export (Alt+E, then Enter in the file
# dialog) writes an Anki file. Keeps a picture of the window and prints the list as kelmoa-tool
# reads it and the exported file; fails when a word is missing from either.
#
#   bash scripts/screenshot-wordlist.sh [OUTPUT_DIR]     (default: <build>/screenshots)
#
# KELMOA_BUILD_DIR names the build folder (default: build). Needs xvfb-run, xwininfo, iconv and
# ImageMagick's import (scripts/install-deps.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KELMOA_BUILD_DIR:-build}
out=$(realpath -m "${1:-$build/screenshots}")
mkdir -p "$out"

cmake -S . -B "$build" >/dev/null
cmake --build "$build" --target Kelmoa kelmoa-tool -j2 >/dev/null

# A base folder and a home of their own: the word list and the export stay in them.
base=$(mktemp -d)
trap 'rm -rf "$base"' EXIT
mkdir -p "$base"/{bin,dic,dic_backup,txt_shift_jis,htm,home}
cp "$build/gui/Kelmoa" "$base/bin/"
cp htm/index.htm "$base/htm/"
cp932() { sed 's/\r$//; s/$/\r/' "$1" | iconv -f UTF-8 -t CP932 > "$2"; }
if [ -f "$build/stage/dic/Dic_EJ.txt" ]; then
  cp "$build/stage/dic/Dic_EJ.txt" "$base/dic/"
else
  cp932 data/sample_dic.txt "$base/dic/Dic_EJ.txt"
fi
text=welcome.txt
cp "data/txt_shift_jis/$text" "$base/txt_shift_jis/$text"

# Line and column (from 1) of the three words: "reading" and "read" of line 3, whose sentence
# runs on into line 4, and "meanings" of line 9.
words="3:13:reading 3:65:read 9:1:meanings"

HOME="$base/home" xvfb-run -a -s "-screen 0 1280x1024x24" bash -s -- "$base" "$text" "$out" \
  "$words" <<'INNER'
set -euo pipefail
base=$1 text=$2 out=$3 words=$4
source scripts/x11-windows.sh
start_with_window_manager "$base/bin/Kelmoa" "$base/txt_shift_jis/$text"
xtest() { python3 scripts/xtest.py "$@"; }

main=$(wait_for "$text - Kelmoa")
sleep 0.8
x=$(field "$main" "Absolute upper-left X") y=$(field "$main" "Absolute upper-left Y")
# At 9.75 pt a half width is 7 pixels and a line 17 (14 and 3 of spacing); the text starts
# 6 half widths and 5 pixels from the pane's left edge, 5 pixels below its top, which is 20
# pixels below the window's.
for w in $words; do
  IFS=: read -r line col word <<<"$w"
  wx=$((x + 6 * 7 + 5 + (col - 1) * 7 + 3 * ${#word}))
  wy=$((y + 20 + 5 + (line - 1) * 17 + 7))
  xtest click "$wx" "$wy" 2
  sleep 0.2
done
# The last word's popup with its flashed frame, and the status line at the pane's foot.
height=$(field "$main" "^  Height")
import -window root -crop "640x$((height + 30))+0+0" +repage "$out/wordlist-added.png"
xtest key F2
list=$(wait_for '"単語帳"')
sleep 1
lx=$(field "$list" "Absolute upper-left X") ly=$(field "$list" "Absolute upper-left Y")
lw=$(field "$list" "^  Width") lh=$(field "$list" "^  Height")
import -window root -crop "$((lw + 2))x$((lh + 31))+$((lx - 1))+$((ly - 30))" +repage \
  "$out/wordlist.png"
xtest key e Alt_L
sleep 1.5
xtest key Return
for _ in $(seq 1 50); do
  [ -s "$base/home/wordlist.txt" ] && break
  sleep 0.1
done
INNER

echo "--- kelmoa-tool wordlist"
"$build/cli/kelmoa-tool" wordlist "$base"
echo "--- the export, $base/home/wordlist.txt"
cat "$base/home/wordlist.txt"
for word in reading read meanings; do
  grep -q "^$word	" "$base/home/wordlist.txt" || { echo "missing from the export: $word" >&2; exit 1; }
done
echo "$out/wordlist.png $out/wordlist-added.png"
