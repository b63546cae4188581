#!/usr/bin/env bash
# Installs every Debian package Kelmoa needs to build, test, benchmark and run.
# Idempotent: packages already present are left alone, and the package lists
# are refreshed only when something is missing.
set -euo pipefail

packages=(
  # build
  build-essential cmake pkg-config git
  # core tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # text preparation: transliteration into ASCII
  libicu-dev
  # the word list's database
  libsqlite3-dev
  # desktop program
  qt6-base-dev qt6-multimedia-dev libgl-dev
  # Qt's own texts (standard dialogs, buttons, context menus) in Japanese
  qt6-translations-l10n
  # fonts: "ＭＳ ゴシック" is drawn with IPAGothic
  fonts-ipafont-gothic
  # outside programs: speech, the desktop's file handler
  espeak-ng xdg-utils
  # tests and screenshots of real windows
  xvfb xauth x11-apps imagemagick openbox
  # fuzzing and sanitizers
  clang libclang-rt-14-dev
  # code checks
  clang-format clang-tidy cppcheck
  # default dictionary sources and the zlib of their gzip-compressed files
  edict dict-freedict-eng-jpn wordnet-base zlib1g-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
