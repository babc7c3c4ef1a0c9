#!/usr/bin/python3
"""What the app's window shows on the X server of $DISPLAY, read from the
scene's layout at the picture's size: the header and every list row are a
tenth of the height, with 2 pixels above each row. Answers requests on stdin,
one a line, with "ok" or "fail: WHY": "SECONDS WINDOW CHECK ARGS..." grabs
window WINDOW (an X window id; WINDOW/2: scaled to half) until CHECK holds, at
most SECONDS (0: one look); "keep NAME" keeps the last grab as NAME.

list ROWS: the main screen under the grey-blue header, Back see-through, exactly
ROWS player rows in view. player LAST ACTIVE: Back opaque, entries 0 to LAST in
view, ACTIVE alone in the active look ("-": none). notice shown|hidden. spans
ROW SHARE: row ROW's white text is wider than SHARE of the window. white
WxH+X+Y LIMIT: less than LIMIT of the area is pure white, which is what shows
where no item draws. like NAME ROWS: the picture matches the one kept as NAME
within a small difference (a window at 2x scaled down, against the window at
1x), and the texts of rows 0 to ROWS-1 stand where they stand there, within a
pixel or two, inside their outlines.
"""
import ctypes
import re
import subprocess
import sys
import time

HEADER = [0x80, 0x88, 0xA4]  # the header's grey-blue, opaque: exact on screen
ACTIVE = (176, 215, 228)  # the active look's light blue under the gloss
WHITE = (255, 255, 255)


class Shot:
    def __init__(self, width, height, pixels):
        self.width, self.height, self.pixels = width, height, pixels

    def area(self, x, y, w, h):
        for row in range(y, y + h):
            line = self.pixels[3 * (row * self.width + x):3 * (row * self.width + x + w)]
            yield from zip(line[0::3], line[1::3], line[2::3])

    def white(self, *area):
        colours = list(self.area(*area))
        return colours.count(WHITE) / len(colours)

    def mean(self, *area):
        colours = list(self.area(*area))
        return [round(sum(c[i] for c in colours) / len(colours)) for i in range(3)]

    def top(self, row):
        return self.height // 10 + 2 + row * (self.height // 10 + 2)

    def outlined(self, row):
        """A button's white outline: its top edge and its left edge."""
        h = self.height
        return (self.white(20, self.top(row), self.width - 40, 2) > 0.9
                and self.white(0, self.top(row) + h * 2 // 100, 2, h * 6 // 100) > 0.9)

    def active(self, first, last):
        """Rows in the active look, seen at the row's left end below the middle,
        where no text reaches; other rows show the darker background there."""
        h = self.height
        return [row for row in range(first, last + 1) if sum(
            (a - b) ** 2 for a, b in zip(self.mean(4, self.top(row) + h * 55 // 1000, 12,
                                                   h * 35 // 1000), ACTIVE)) < 40 ** 2]

    def spans(self, row):
        """Width of the near-white text inside a row's outline (as text_box
        reads it: the font's rasteriser may leave no pixel of a thin glyph
        pure white)."""
        w = self.width - 8
        xs = [i % w for i, c in enumerate(self.area(4, self.top(row) + 6, w, self.height // 10 - 12))
              if min(c) >= 200]
        return max(xs) - min(xs) + 1 if xs else 0

    def text_box(self, row):
        """Bounds (left, top, right, bottom) of the near-white text inside a
        row's outline, or None. A text that does not fit reaches the edge of
        this area or runs across the outline."""
        top, h = self.top(row) + 3, self.height // 10 - 6
        points = [(i % (self.width - 24), i // (self.width - 24))
                  for i, c in enumerate(self.area(12, top, self.width - 24, h)) if min(c) >= 200]
        if not points:
            return None
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        return 12 + min(xs), top + min(ys), 12 + max(xs), top + max(ys)

    def difference(self, other):
        """Mean absolute difference of the colour values, from 0 to 1."""
        return sum(abs(a - b) for a, b in zip(self.pixels, other.pixels)) / (255 * len(self.pixels))

    def back(self):
        """White share of the Back square: opaque on the player screen, the
        header showing through on the main screen."""
        h = self.height
        return self.white(h // 140, h * 8 // 100, h // 35, h // 70)

    def header(self):
        """The header between Back and the logo, with no text on the main screen."""
        h = self.height
        return self.mean(h // 10 + 10, 5, self.width - 2 * (h // 10) - 20, h // 10 - 10)

    def notice(self):
        """Where the notice is hidden, the area shows the background (or rows,
        which let it show through)."""
        return self.white(self.width // 4, self.height * 45 // 100, self.width // 2, self.height // 5)


def check(shot, kept, name, *args):
    """Whether the check holds, and what was found when it does not."""
    if name == "list":
        rows = int(args[0])
        return (shot.back() < 0.05 and shot.header() == HEADER
                and all(map(shot.outlined, range(rows))) and not shot.outlined(rows)), "not that list"
    if name == "player":
        active = " ".join(map(str, shot.active(0, int(args[0])))) or "-"
        return (shot.back() > 0.95 and all(map(shot.outlined, range(int(args[0]) + 1)))
                and active == args[1]), f"active rows: {active}"
    if name == "notice":
        return (shot.notice() > 0.95 if args[0] == "shown" else shot.notice() < 0.5), ""
    if name == "spans":
        return shot.spans(int(args[0])) > float(args[1]) * shot.width, ""
    if name == "white":
        w, h, x, y = map(int, re.fullmatch(r"(\d+)x(\d+)\+(\d+)\+(\d+)", args[0]).groups())
        return shot.white(x, y, w, h) < float(args[1]), ""
    if name != "like":
        sys.exit(f"screen.py: no check {name}")
    other = kept[args[0]]
    if (shot.width, shot.height) != (other.width, other.height):
        return False, f"{shot.width}x{shot.height}, want {other.width}x{other.height}"
    for row in range(int(args[1])):
        box, want = shot.text_box(row), other.text_box(row)
        inside = (12, shot.top(row) + 3, shot.width - 13, shot.top(row) + shot.height // 10 - 4)
        if (not box or not want or box[0] <= inside[0] or box[1] <= inside[1]
                or box[2] >= inside[2] or box[3] >= inside[3]
                or max(abs(a - b) for a, b in zip(box, want)) > 2):
            return False, f"row {row}: text at {box}, want {want} inside {inside}"
    difference = shot.difference(other)
    return difference <= 0.01, f"differs by {difference:.4f}"


class Display:
    """Grabs a window's area from the screen: a GL window cannot be grabbed by
    its id under Xvfb."""

    class Image(ctypes.Structure):  # Xlib's XImage, as far as it is read here
        _fields_ = [(name, ctypes.c_int) for name in ("width", "height", "xoffset", "format")] + [
            ("data", ctypes.c_void_p)] + [(name, ctypes.c_int) for name in (
                "byte_order", "bitmap_unit", "bitmap_bit_order", "bitmap_pad", "depth",
                "bytes_per_line", "bits_per_pixel")]

    def __init__(self):
        x11 = self.x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XGetImage.restype = ctypes.POINTER(Display.Image)
        x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 4 + [
            ctypes.c_ulong, ctypes.c_int]
        # A window that is gone is no reason to end: its grab fails.
        self.on_error = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda *_: 0)
        x11.XSetErrorHandler(self.on_error)
        self.display = ctypes.c_void_p(x11.XOpenDisplay(None))
        self.root = x11.XDefaultRootWindow(self.display)

    def grab(self, window):
        x, y, w, h, unused = (ctypes.c_int() for _ in range(5))
        child = ctypes.c_ulong()
        if not (self.x11.XGetGeometry(self.display, ctypes.c_ulong(window), ctypes.byref(child),
                                      *map(ctypes.byref, (x, y, w, h, unused, unused)))
                and self.x11.XTranslateCoordinates(self.display, ctypes.c_ulong(window),
                                                   ctypes.c_ulong(self.root), 0, 0, ctypes.byref(x),
                                                   ctypes.byref(y), ctypes.byref(child))):
            return None
        image = self.x11.XGetImage(self.display, self.root, x, y, w, h, 0xFFFFFFFF, 2)  # ZPixmap
        if not image:
            return None
        assert image.contents.bits_per_pixel == 32 and image.contents.bytes_per_line == 4 * w.value
        bgrx = ctypes.string_at(image.contents.data, 4 * w.value * h.value)
        self.x11.XFree(ctypes.c_void_p(image.contents.data))
        self.x11.XFree(image)
        pixels = bytearray(3 * w.value * h.value)
        pixels[0::3], pixels[1::3], pixels[2::3] = bgrx[2::4], bgrx[1::4], bgrx[0::4]
        return Shot(w.value, h.value, pixels)


def halved(shot):
    """The picture at half its size, each pixel the mean of four."""
    ppm = subprocess.run(["convert-im6.q16", "ppm:-", "-scale", "50%", "ppm:-"], check=True,
                         capture_output=True,
                         input=b"P6 %d %d 255\n" % (shot.width, shot.height) + shot.pixels).stdout
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
    return Shot(int(header[1]), int(header[2]), ppm[header.end():])


def serve():
    display, kept, last = Display(), {}, None
    for request in sys.stdin:
        words = request.split()
        if words[0] == "keep":
            kept[words[1]] = last
            print("ok", flush=True)
            continue
        end, (window, _, half) = time.monotonic() + float(words[0]), words[1].partition("/")
        while True:
            last = display.grab(int(window))
            if last and half:
                last = halved(last)
            holds, why = check(last, kept, *words[2:]) if last else (False, "no window")
            if holds or time.monotonic() >= end:
                break
            time.sleep(0.02)
        print("ok" if holds else f"fail: {why}", flush=True)


if __name__ == "__main__":
    serve()
