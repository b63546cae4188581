#!/usr/bin/env bash
# Checks on a virtual display that Kelmoa is at home on a Linux desktop: it opens a Linux text
# with LF line ends directly (the GPL, copied into txt_shift_jis), the export's file dialog
# speaks Japanese, and a text reopens where it was left: read to line 400, another text opened
# through the chooser (Enter on the file), F3 back; then after 終了 and a restart, F3 from the
# greeting, and the text named on the command line. Keeps a picture of each step.
#
#   bash scripts/screenshot-positions.sh [OUTPUT_DIR]     (default: <build>/screenshots)
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
cp /usr/share/common-licenses/GPL-3 "$base/txt_shift_jis/gpl3.txt"
cp data/txt_shift_jis/welcome.txt "$base/txt_shift_jis/"
"$build/cli/kelmoa-tool" read "$base/txt_shift_jis/gpl3.txt"

HOME="$base/home" xvfb-run -a -s "-screen 0 1280x1024x24" bash -s -- "$base" "$out" <<'INNER'
set -euo pipefail
base=$1 out=$2
source scripts/x11-windows.sh
xtest() { python3 scripts/xtest.py "$@"; }
shot() {  # the main window $1 into $2
  local h
  h=$(field "$1" "^  Height")
  import -window root -crop "700x$((h + 30))+0+0" +repage "$out/$2"
}
gpl="$base/txt_shift_jis/gpl3.txt"

start_with_window_manager "$base/bin/Kelmoa" "$gpl"
main=$(wait_for "gpl3.txt - Kelmoa")
sleep 0.8
shot "$main" positions-1-gpl3-opened.png
x=$(field "$main" "Absolute upper-left X") y=$(field "$main" "Absolute upper-left Y")
# 79 wheel notches of 5 lines and 4 lines down: line 400 at the top.
for _ in $(seq 1 79); do xtest click $((x + 200)) $((y + 300)) 5; done
for _ in 1 2 3 4; do xtest key Down; done
sleep 0.3
shot "$main" positions-2-line-400.png

# The export's file dialog, in Japanese.
xtest key F2
list=$(wait_for '"単語帳"')
sleep 0.8
xtest key e Alt_L
sleep 1.5
import -window root "$out/positions-export-dialog.png"
xtest key Escape
sleep 0.5
xtest key Escape  # closes 単語帳
sleep 0.5

# Another text through the chooser: its last file, taken with Enter.
xtest click $((x + 26)) $((y + 10))
chooser=$(wait_for '" ファイル選択"')
sleep 0.8
xtest key End
xtest key Return
wait_for "welcome.txt - Kelmoa" >/dev/null
sleep 0.5
shot "$main" positions-3-other-text.png
xtest key F3
wait_for "gpl3.txt - Kelmoa" >/dev/null
sleep 0.5
shot "$main" positions-4-back-with-F3.png
# 終了 stores the place and the positions.
w=$(field "$main" "^  Width")
xtest click $((x + w - 18)) $((y + 10))
sleep 1

start_with_window_manager "$base/bin/Kelmoa"
main=$(wait_for "Kelmoa Ver")
sleep 0.8
xtest key F3
wait_for "gpl3.txt - Kelmoa" >/dev/null
sleep 0.5
shot "$main" positions-5-restart-F3.png
x=$(field "$main" "Absolute upper-left X") y=$(field "$main" "Absolute upper-left Y")
w=$(field "$main" "^  Width")
xtest click $((x + w - 18)) $((y + 10))
sleep 1

start_with_window_manager "$base/bin/Kelmoa" "$gpl"
main=$(wait_for "gpl3.txt - Kelmoa")
sleep 0.8
shot "$main" positions-6-restart-command-line.png
INNER
ls "$out"/positions-*.png
