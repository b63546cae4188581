#!/usr/bin/env bash
# Installs Kelmoa for the current user as one self-contained folder, with a desktop entry and an
# icon, so that it starts from the desktop menu and opens .txt files dropped on it or chosen
# with "Open with":
#
#   ${XDG_DATA_HOME:-~/.local/share}/kelmoa/   bin/Kelmoa, dic/, dic_backup/, txt_shift_jis/, htm/
#   .../applications/kelmoa.desktop
#   .../icons/hicolor/scalable/apps/kelmoa.svg
#
# Running it again updates the program and keeps the user's dictionary, backups and texts.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

data_home="${XDG_DATA_HOME:-$HOME/.local/share}"
target="$data_home/kelmoa"

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target Kelmoa kelmoa-tool
cmake -DSOURCE_DIR="$PWD" -DSTAGE_DIR="$target" \
  -DPROGRAM="$PWD/build/gui/Kelmoa" -DTOOL="$PWD/build/cli/kelmoa-tool" \
  -P scripts/stage.cmake

install -D -m 644 data/kelmoa.svg "$data_home/icons/hicolor/scalable/apps/kelmoa.svg"
mkdir -p "$data_home/applications"
cat > "$data_home/applications/kelmoa.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Kelmoa
Name[ja]=ケルモア
GenericName=English reading aid
GenericName[ja]=英文読解支援
Comment=Shows the Japanese meanings of the English word under the pointer
Comment[ja]=マウスポインタの下の英単語の意味を表示します
Exec="$target/bin/Kelmoa" %f
Icon=kelmoa
Terminal=false
Categories=Education;Languages;Office;
MimeType=text/plain;
DESKTOP
if command -v update-desktop-database >/dev/null; then
  update-desktop-database "$data_home/applications" || true
fi
echo "Kelmoa is installed in $target; start it from the desktop menu or with $target/bin/Kelmoa"
