#!/usr/bin/env bash
# Checks on a virtual display that a settings change to 12.75 pt with a text loaded redraws the
# page in the larger font and widens the window to the longest line. Works Kelmoa with the
# pointer: "設定", the option "12.75pt", "設定変更(&R)". Keeps a picture from before and after
# the change and fails when the window's width is not the one the text needs.
#
#   bash scripts/screenshot-settings.sh [OUTPUT_DIR]     (default: <build>/screenshots)
#
# KELMOA_BUILD_DIR names the build folder (default: build). Needs xvfb-run, xwininfo, iconv and
# ImageMagick's import (scripts/install-deps.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KELMOA_BUILD_DIR:-build}
out=$(realpath -m "${1:-$build/screenshots}")
mkdir -p "$out"

cmake -S . -B "$build" >/dev/null
cmake --build "$build" --target Kelmoa -j2 >/dev/null

# A base folder of its own, so that no settings file of a real install is touched.
base=$(mktemp -d)
trap 'rm -rf "$base"' EXIT
mkdir -p "$base"/{bin,dic,dic_backup,txt_shift_jis,htm}
cp "$build/gui/Kelmoa" "$base/bin/"
cp htm/index.htm "$base/htm/"
cp932() { sed 's/\r$//; s/$/\r/' "$1" | iconv -f UTF-8 -t CP932 > "$2"; }
cp932 data/sample_dic.txt "$base/dic/Dic_EJ.txt"
text=gnu-general-public-license-3.txt
cp932 "data/txt_shift_jis/$text" "$base/txt_shift_jis/$text"
longest=$(awk '{ sub(/\r$/, ""); if (length($0) > m) m = length($0) } END { print m }' \
  "data/txt_shift_jis/$text")

xvfb-run -a -s "-screen 0 1280x1024x24" bash -s -- "$base" "$text" "$out" "$longest" <<'INNER'
set -euo pipefail
base=$1 text=$2 out=$3 longest=$4
"$base/bin/Kelmoa" "$base/txt_shift_jis/$text" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

# Pointer moves and left clicks at screen coordinates, through the XTest extension.
pointer() { python3 scripts/xtest.py "$@"; }
# Run from the source tree (the outer script changed into it).
source scripts/x11-windows.sh

main=$(wait_for "$text - Kelmoa")
sleep 0.8
x=$(field "$main" "Absolute upper-left X") y=$(field "$main" "Absolute upper-left Y")
width_before=$(field "$main" "^  Width")
pointer move 1270 1010
import -window root -crop "$((width_before + 20))x700+0+0" +repage "$out/before.png"

pointer click $((x + 406)) $((y + 10))  # 設定
ini=$(wait_for '"設定"|490x195')
sleep 0.5
ix=$(field "$ini" "Absolute upper-left X") iy=$(field "$ini" "Absolute upper-left Y")
import -window root -crop "700x700+0+0" +repage "$out/settings.png"
pointer click $((ix + 22)) $((iy + 62))   # 12.75pt
pointer click $((ix + 438)) $((iy + 131)) # 設定変更(&R)
sleep 1
pointer move 1270 1010
sleep 0.3
width_after=$(field "$main" "^  Width")
import -window root -crop "$((width_after + 20))x700+0+0" +repage "$out/after.png"

# The pane holds the line numbers (6 half widths and 5 pixels), the longest line and three
# half widths of room; the scroll bar (25 pixels) stands beside it. IPAGothic's half width is
# 7 pixels at 9.75 pt and 9 at 12.75 pt.
expect_before=$(( (longest + 9) * 7 + 5 + 25 ))
expect_after=$(( (longest + 9) * 9 + 5 + 25 ))
echo "window width: $width_before before (expected $expect_before), $width_after after (expected $expect_after)"
cat "$base/bin/Kelmoa.ini" | tr -d '\r'
[ "$width_before" -eq "$expect_before" ] && [ "$width_after" -eq "$expect_after" ]
INNER
echo "$out/before.png $out/settings.png $out/after.png"
