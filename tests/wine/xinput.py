#!/usr/bin/python3
"""Real input and screen reads for the Windows window tests, from the Linux side of Wine.

A Windows test under Wine starts this program (Wine runs Unix programs that a Windows program
starts) to press keys and move and press the pointer through the X server's XTest extension, as a
user's devices would, and to read the screen's pixels as the X server holds them:

    xinput.py RESULT ACTION...

ACTIONs, run in order: `move X Y` (root coordinates), `down`, `up` (the primary button),
`keydown NAME`, `keyup NAME`, `tap NAME` (X key names: Tab, space, Escape), `grab X Y W H FILE` (the
screen's pixels in that rectangle, rows of W blue-green-red-unused bytes, into FILE). When all have
been handed to the server and it has processed them, RESULT is written: "ok", or "error: why". A
Windows program cannot wait for a Unix process, so RESULT appears in one step (renamed into place).
"""
import ctypes
import os
import sys

c_display = ctypes.c_void_p


class XImage(ctypes.Structure):
    # The leading fields of Xlib's XImage, up to what is read here.
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


def libraries():
    x11 = ctypes.CDLL("libX11.so.6")
    xtst = ctypes.CDLL("libXtst.so.6")
    x11.XOpenDisplay.restype = c_display
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [c_display]
    x11.XStringToKeysym.restype = ctypes.c_ulong
    x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
    x11.XKeysymToKeycode.restype = ctypes.c_ubyte
    x11.XKeysymToKeycode.argtypes = [c_display, ctypes.c_ulong]
    x11.XGetImage.restype = ctypes.POINTER(XImage)
    x11.XGetImage.argtypes = [c_display, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                              ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    x11.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
    x11.XSync.argtypes = [c_display, ctypes.c_int]
    x11.XCloseDisplay.argtypes = [c_display]
    xtst.XTestFakeMotionEvent.argtypes = [c_display, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
    xtst.XTestFakeButtonEvent.argtypes = [c_display, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    xtst.XTestFakeKeyEvent.argtypes = [c_display, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    return x11, xtst


def grab(x11, display, x, y, width, height, out):
    z_pixmap = 2
    image = x11.XGetImage(display, x11.XDefaultRootWindow(display), x, y, width, height, 0xFFFFFFFF, z_pixmap)
    if not image:
        raise RuntimeError("the screen cannot be read there")
    try:
        if image.contents.bits_per_pixel != 32:
            raise RuntimeError("a screen of %d bits a pixel" % image.contents.bits_per_pixel)
        stride = image.contents.bytes_per_line
        data = ctypes.string_at(image.contents.data, stride * height)
        with open(out, "wb") as f:
            for row in range(height):
                f.write(data[row * stride:row * stride + width * 4])
    finally:
        x11.XDestroyImage(image)


def run(actions):
    x11, xtst = libraries()
    display = x11.XOpenDisplay(None)
    if not display:
        raise RuntimeError("no X display")
    try:
        def keycode(name):
            code = x11.XKeysymToKeycode(display, x11.XStringToKeysym(name.encode()))
            if not code:
                raise RuntimeError("no key " + name)
            return code

        def key(name, down):
            xtst.XTestFakeKeyEvent(display, keycode(name), down, 0)

        i = 0
        while i < len(actions):
            word = actions[i]
            if word == "move":
                xtst.XTestFakeMotionEvent(display, -1, int(actions[i + 1]), int(actions[i + 2]), 0)
                i += 3
            elif word in ("down", "up"):
                xtst.XTestFakeButtonEvent(display, 1, word == "down", 0)
                i += 1
            elif word in ("keydown", "keyup"):
                key(actions[i + 1], word == "keydown")
                i += 2
            elif word == "tap":
                key(actions[i + 1], True)
                key(actions[i + 1], False)
                i += 2
            elif word == "grab":
                x11.XSync(display, 0)
                grab(x11, display, *(int(v) for v in actions[i + 1:i + 5]), actions[i + 5])
                i += 6
            else:
                raise RuntimeError("unknown action " + word)
            x11.XSync(display, 0)
    finally:
        x11.XCloseDisplay(display)


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    result = sys.argv[1]
    try:
        run(sys.argv[2:])
        answer = "ok"
    except (RuntimeError, IndexError, ValueError, OSError) as error:
        answer = "error: %s" % error
    with open(result + ".part", "w") as f:
        f.write(answer + "\n")
    os.replace(result + ".part", result)
    return 0


if __name__ == "__main__":
    sys.exit(main())
