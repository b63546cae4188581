#!/usr/bin/env bash
# Prints a transcript of kelmoa-tool over every text, dictionary and settings file the repository
# holds, and over hostile files made here: one line per run with its exit status and checksums of
# what it printed and wrote. Two builds whose transcripts are equal give byte-identical output.
#
#   bash scripts/tool-transcript.sh PATH/TO/kelmoa-tool > transcript.txt
#   diff before.txt after.txt
set -euo pipefail
tool=$(realpath "$1")
src=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

sum() { sha256sum | cut -c1-16; }
# One run: the command line (relative paths, so the transcript does not depend on this folder),
# its exit status, and checksums of stdout and stderr.
run() {
  local rc=0
  "$tool" "$@" >out 2>err || rc=$?
  # Some messages name a file by its full path: the folder of this run is taken out.
  printf '%s | rc=%d | out=%s | err=%s\n' "$*" "$rc" "$(sed "s|$work|WORK|g" out | sum)" \
    "$(sed "s|$work|WORK|g" err | sum)"
}

mkdir texts dics inis
cp "$src"/data/samples/*.txt "$src"/data/txt_shift_jis/*.txt texts/
for d in text_reader char_code prepare words; do
  for f in "$src"/fuzz/corpus/$d/*; do cp "$f" "texts/$d-$(basename "$f")"; done
done
# Hostile and foreign texts.
printf 'plain ascii\r\nsecond line\r\n' >texts/plain.txt
printf 'caf\xc3\xa9 \xe2\x80\x94 don\xe2\x80\x99t\n' >texts/utf8.txt
printf '\xef\xbb\xbfbom first\r\n' >texts/utf8-bom.txt
printf '\xa4\xb3\xa4\xf3\xa4\xcb\xa4\xc1\xa4\xcf\r\n' >texts/euc.txt
head -c 300 /dev/zero | tr '\0' 'a' >texts/long-line.txt
seq 1 9001 | sed 's/$/\r/' >texts/many-lines.txt
printf 'nul\0inside a line\r\n' >texts/nul.txt
: >texts/empty.txt
printf 'LF only\nlines here\n' >texts/lf.txt

cp "$src"/data/sample_dic.txt dics/sample.txt
for f in "$src"/fuzz/corpus/dictionary/*; do cp "$f" "dics/fuzz-$(basename "$f")"; done
printf 'apple\t林檎\nbanana\tバナナ\ncat\t猫\n' >dics/lf.txt
printf 'dog\t\xe7\x8a\xac\r\n' >dics/utf8.txt
for f in "$src"/fuzz/corpus/settings/*; do cp "$f" "inis/fuzz-$(basename "$f")"; done
printf '[setting]\r\nFontSize=12\r\nLineSpace=3\r\nLeft=9999\r\n' >inis/plain.ini
printf '[other]\nkey=\x82\xa0\n[setting]\nFontSize=abc\n' >inis/mixed.ini

run
run no-such-command
run detect texts/* dics/* inis/* missing.txt .
for t in texts/* missing.txt .; do run read "$t"; done
for d in dics/* missing.txt; do run entries "$d"; done
words=(dog Dogs ran running happily the a cats don\'t well-known UPPER x)
for d in dics/*; do
  run lookup "$d" "${words[@]}"
  run meaning "$d" "${words[@]}"
  for t in texts/*; do run annotate "$d" "$t"; done
done
for i in inis/* missing.ini; do
  run settings "$i"
  run settings "$i" --screen-width 800
done
run settings inis/plain.ini --screen-width x

# Changes, each on a fresh installed folder; the dictionary's bytes afterwards are summed.
change() {
  rm -rf base && mkdir -p base/dic base/dic_backup
  cp "$1" base/dic/Dic_EJ.txt
  shift
  run "$@"
  printf '  dic=%s backups=%d\n' "$(sum <base/dic/Dic_EJ.txt)" "$(ls base/dic_backup | wc -l)"
}
for d in dics/*; do
  change "$d" add base zebra 縞馬
  change "$d" add base dog 犬
  change "$d" add base 'two words' x
  change "$d" delete base 1 'dog 犬'
  change "$d" delete base 99999 x
done

for t in texts/*; do
  for w in 40 80 100; do
    rm -rf prep && mkdir prep
    run prepare "$t" prep/out.txt --width "$w"
    printf '  parts=%s\n' "$(cat prep/* 2>/dev/null | sum)"
  done
done
run prepare texts/plain.txt prep/out.txt --width 39

if [ -f /usr/share/edict/edict ]; then
  run import-dictionary default.txt
  printf '  dic=%s\n' "$(sum <default.txt)"
  for t in texts/*; do run annotate default.txt "$t"; done
  run meaning default.txt dog cat go know eat read good little them would went hung
fi
