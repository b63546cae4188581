#!/usr/bin/env bash
# Checks the dictionary editor on a real X display (a virtual one): Kelmoa shows a text in
# which "zebra" is not known; the script opens the editor, right-clicks "zebra", puts the tag
# 【名】 in front of the meaning "shimauma", presses "登録", and then rests the pointer on
# "zebra". The word must now be drawn in blue and its popup must show, without reloading.
#
#   bash scripts/editor-check.sh [OUTPUT.png]     (default: <build>/editor-check.png)
#
# KELMOA_BUILD_DIR names the build folder (default: build). Works on a copy of the program in
# a temporary base folder, so no dictionary of a user is touched. Needs xvfb-run, xwininfo,
# ImageMagick (import, convert) and the X test extension (libXtst); scripts/install-deps.sh
# installs them. Exit status 0 when every check passes.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KELMOA_BUILD_DIR:-build}
out=$(realpath -m "${1:-$build/editor-check.png}")

cmake -S . -B "$build" >/dev/null
cmake --build "$build" --target Kelmoa -j2 >/dev/null

base=$(mktemp -d)
trap 'rm -rf "$base"' EXIT
mkdir -p "$base/bin" "$base/dic" "$base/dic_backup" "$base/txt_shift_jis"
cp "$build/gui/Kelmoa" "$base/bin/Kelmoa"
printf 'dog\t犬\r\nrun\t走る\r\nthe\tその\r\n' | iconv -f UTF-8 -t CP932 >"$base/dic/Dic_EJ.txt"
printf 'the zebra runs\r\nthe dog\r\n' >"$base/txt_shift_jis/zebra.txt"

xvfb-run -a -s "-screen 0 1280x1024x24" bash -s -- "$base" "$out" <<'INNER'
set -euo pipefail
base=$1 out=$2
"$base/bin/Kelmoa" "$base/txt_shift_jis/zebra.txt" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
for _ in $(seq 1 100); do
  if xwininfo -root -tree | grep -q 'zebra.txt - Kelmoa'; then break; fi
  sleep 0.1
done
sleep 0.5

python3 - "$base" "$out" <<'PY'
import ctypes, re, subprocess, sys, time

base, out = sys.argv[1], sys.argv[2]
x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XStringToKeysym.restype = ctypes.c_ulong
x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                      ctypes.c_ulong]
xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
x11.XFlush.argtypes = [ctypes.c_void_p]
dpy = x11.XOpenDisplay(None)

def flush(pause=0.15):
    x11.XFlush(dpy)
    time.sleep(pause)

def move(x, y):
    xtst.XTestFakeMotionEvent(dpy, -1, x, y, 0)
    flush()

def click(x, y, button=1):
    move(x, y)
    xtst.XTestFakeButtonEvent(dpy, button, 1, 0)
    xtst.XTestFakeButtonEvent(dpy, button, 0, 0)
    flush(0.4)

def type_text(text):
    for ch in text:
        code = x11.XKeysymToKeycode(dpy, x11.XStringToKeysym(ch.encode()))
        xtst.XTestFakeKeyEvent(dpy, code, 1, 0)
        xtst.XTestFakeKeyEvent(dpy, code, 0, 0)
        flush(0.05)

def window_origin(title):
    for _ in range(50):
        info = subprocess.run(["xwininfo", "-name", title], capture_output=True, text=True)
        if info.returncode == 0:
            x = int(re.search(r"Absolute upper-left X:\s+(-?\d+)", info.stdout).group(1))
            y = int(re.search(r"Absolute upper-left Y:\s+(-?\d+)", info.stdout).group(1))
            return x, y
        time.sleep(0.1)
    sys.exit(f"no window {title!r}")

def pixels(x, y, w, h):
    txt = subprocess.run(["convert", out, "-crop", f"{w}x{h}+{x}+{y}", "+repage", "txt:-"],
                         capture_output=True, text=True, check=True).stdout
    return [tuple(int(v) for v in m.groups())
            for m in re.finditer(r"srgb\((\d+),(\d+),(\d+)\)", txt)]

def blue_count(x, y, w, h):
    return sum(1 for r, g, b in pixels(x, y, w, h) if b > 160 and r < 120 and g < 120)

def grab():
    time.sleep(0.3)
    subprocess.run(["import", "-window", "root", out], check=True)

mx, my = window_origin("zebra.txt - Kelmoa Ver1.1.1")
# The pane starts 20 pixels below the window's top; line 1 has its top at 5. The text starts
# at 47 with 7 pixels a character: "zebra" covers columns 5 to 9.
zebra = (mx + 47 + 4 * 7 + 17, my + 20 + 5 + 7)
zebra_cells = (mx + 47 + 4 * 7, my + 20 + 5, 5 * 7, 14)

grab()
blue_before = blue_count(*zebra_cells)

click(mx + 240 + 30, my + 10)                        # 辞書編集
ex, ey = window_origin("辞書編集")
click(*zebra, button=3)                              # right click: zebra into the editor
click(ex + 172 + 30, ey + 216 + 8)                   # the tag 【名】
click(ex + 172 + 300, ey + 172 + 10)                 # the meaning box, at its end
type_text("shimauma")
click(ex + 500 + 28, ey + 168 + 14)                  # 登録
move(mx + 300, my + 400)                             # off the word, then onto it
move(*zebra)
grab()

blue_after = blue_count(*zebra_cells)
popup = pixels(zebra[0] - 10, my + 20 + 5 + 17 + 4, 60, 10)
popup_yellow = sum(1 for p in popup if p == (255, 255, 192))
dic = open(f"{base}/dic/Dic_EJ.txt", "rb").read().decode("cp932")
backups = subprocess.run(["ls", f"{base}/dic_backup"], capture_output=True, text=True).stdout.split()

checks = {
    "zebra was not blue before": blue_before == 0,
    "zebra is blue after 登録": blue_after > 20,
    "the popup shows under zebra": popup_yellow > 100,
    "the dictionary file holds the entry": "zebra\t【名】shimauma\r\n" in dic,
    "one backup was made": len(backups) == 1,
}
for name, ok in checks.items():
    print(("ok    " if ok else "FAIL  ") + name)
print(out)
sys.exit(0 if all(checks.values()) else 1)
PY
INNER
