#!/usr/bin/env python3
"""Pointer and keyboard input on an X display through the XTest extension, for the scripts
that check Kelmoa's windows on a virtual display.

  xtest.py move X Y              moves the pointer to screen position (X, Y)
  xtest.py click X Y [BUTTON]    moves there and clicks (1 left, 2 middle, 3 right)
  xtest.py key KEYSYM [MOD...]   presses a key (F2, Return, e) with modifiers held (Alt_L, Control_L)
"""
import ctypes
import sys
import time

x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
x11.XStringToKeysym.restype = ctypes.c_ulong
x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                      ctypes.c_ulong]
xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]


def keycode(dpy, name):
    code = x11.XKeysymToKeycode(dpy, x11.XStringToKeysym(name.encode()))
    if code == 0:
        sys.exit(f"xtest.py: no key {name}")
    return code


def main():
    dpy = x11.XOpenDisplay(None)
    if not dpy:
        sys.exit("xtest.py: no display")
    action = sys.argv[1]
    if action in ("move", "click"):
        x, y = int(sys.argv[2]), int(sys.argv[3])
        xtst.XTestFakeMotionEvent(dpy, -1, x, y, 0)
        x11.XFlush(dpy)
        time.sleep(0.2)
        if action == "click":
            button = int(sys.argv[4]) if len(sys.argv) > 4 else 1
            xtst.XTestFakeButtonEvent(dpy, button, 1, 0)
            xtst.XTestFakeButtonEvent(dpy, button, 0, 0)
    elif action == "key":
        mods = [keycode(dpy, m) for m in sys.argv[3:]]
        key = keycode(dpy, sys.argv[2])
        for m in mods:
            xtst.XTestFakeKeyEvent(dpy, m, 1, 0)
        xtst.XTestFakeKeyEvent(dpy, key, 1, 0)
        xtst.XTestFakeKeyEvent(dpy, key, 0, 0)
        for m in reversed(mods):
            xtst.XTestFakeKeyEvent(dpy, m, 0, 0)
    else:
        sys.exit(__doc__)
    x11.XFlush(dpy)
    time.sleep(0.1)
    x11.XCloseDisplay(dpy)


main()
