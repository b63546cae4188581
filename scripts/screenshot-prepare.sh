#!/usr/bin/env bash
# Checks on a virtual display that a text Kelmoa refuses opens in one click: Kelmoa is started
# on a UTF-8 text with long lines, the refusal shows with the button "変換して開く", the button
# is pressed (Tab, Tab, Space), and the prepared copy in txt_shift_jis opens. Keeps a picture
# of the dialog and of the opened copy, and fails when the copy does not open or the text was
# changed.
#
#   bash scripts/screenshot-prepare.sh [TEXT [OUTPUT_DIR]]
#
# TEXT defaults to a UTF-8 text Debian ships (the copyright file of openjdk-17-jre-headless,
# paragraphs on single lines, with dashes, curly quotes and accented names), or to a text made
# here when that is not installed. OUTPUT_DIR defaults to <build>/screenshots. KELMOA_BUILD_DIR
# names the build folder (default: build). Needs xvfb-run, xwininfo, iconv and ImageMagick's
# import (scripts/install-deps.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KELMOA_BUILD_DIR:-build}
text=${1:-/usr/share/doc/openjdk-17-jre-headless/copyright}
out=$(realpath -m "${2:-$build/screenshots}")
mkdir -p "$out"

cmake -S . -B "$build" >/dev/null
cmake --build "$build" --target Kelmoa -j2 >/dev/null

# A base folder of its own: the prepared copy goes into its txt_shift_jis, not into a real one.
base=$(mktemp -d)
trap 'rm -rf "$base"' EXIT
mkdir -p "$base"/{bin,dic,dic_backup,txt_shift_jis,htm,texts}
cp "$build/gui/Kelmoa" "$base/bin/"
cp htm/index.htm "$base/htm/"
if [ -f "$build/stage/dic/Dic_EJ.txt" ]; then
  cp "$build/stage/dic/Dic_EJ.txt" "$base/dic/"
else
  sed 's/\r$//; s/$/\r/' data/sample_dic.txt | iconv -f UTF-8 -t CP932 > "$base/dic/Dic_EJ.txt"
fi
if [ ! -f "$text" ]; then
  text="$base/texts/story.txt"
  for i in 1 2 3 4 5 6; do
    printf '%s\n\n' "“Don’t go,” said Zoë — it was the ${i}th time she’d asked, and the café on the corner was closing soon, so the dog ran home alone through the rain."
  done > "$text"
fi
name=$(basename "$text")
copy="${name%.*}"
[ -n "$copy" ] || copy=$name
sum_before=$(sha256sum < "$text")

xvfb-run -a -s "-screen 0 1280x1024x24" bash -s -- "$base" "$text" "$copy" "$out" <<'INNER'
set -euo pipefail
base=$1 text=$2 copy=$3 out=$4
source scripts/x11-windows.sh
start_with_window_manager "$base/bin/Kelmoa" "$text"

# Key presses through the XTest extension: Tab twice moves from "O K" to "変換して開く".
keys() { for key in "$@"; do python3 scripts/xtest.py key "$key"; sleep 0.1; done; }

# The message dialog is the window with the program's caption and no file name in it.
dialog=$(wait_for '"ケルモア Kelmoa"')
sleep 0.8
dx=$(field "$dialog" "Absolute upper-left X") dy=$(field "$dialog" "Absolute upper-left Y")
dw=$(field "$dialog" "^  Width") dh=$(field "$dialog" "^  Height")
cx=$(( dx > 12 ? dx - 12 : 0 )) cy=$(( dy > 36 ? dy - 36 : 0 ))
import -window root -crop "$((dw + 24))x$((dh + 48))+$cx+$cy" +repage "$out/prepare-dialog.png"

keys Tab Tab space
main=$(wait_for "\"$copy\\.txt - Kelmoa")
sleep 0.8
mx=$(field "$main" "Absolute upper-left X") my=$(field "$main" "Absolute upper-left Y")
mw=$(field "$main" "^  Width")
import -window root -crop "$((mw + 20))x700+$(( mx > 8 ? mx - 8 : 0 ))+$(( my > 32 ? my - 32 : 0 ))" \
  +repage "$out/prepare-opened.png"
echo "opened: txt_shift_jis/$(ls "$base/txt_shift_jis")"
INNER
[ "$(sha256sum < "$text")" = "$sum_before" ] || { echo "the text was changed" >&2; exit 1; }
echo "$out/prepare-dialog.png $out/prepare-opened.png"
