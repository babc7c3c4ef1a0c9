#!/usr/bin/python3
"""What the app's window shows on the X server of $DISPLAY. The layout is
read from the picture itself: each row is found by its white outline (the
left edge of its outline, then its top and bottom edges), and the header is
what lies above the first row. Answers requests on stdin, one a line, with
"ok" or "fail: WHY": "SECONDS WINDOW CHECK ARGS..." grabs window WINDOW (an X
window id; WINDOW/2: scaled to half) until CHECK holds, at most SECONDS (0:
one look); "keep NAME" keeps the last grab as NAME.

list ROWS: the main screen under the grey-blue header, Back see-through, exactly
ROWS player rows in view. player LAST ACTIVE: Back opaque, entries 0 to LAST in
view, ACTIVE alone in the active look ("-": none). notice shown|hidden. spans
ROW SHARE: row ROW's white text is wider than SHARE of the window. white
WxH+X+Y LIMIT: less than LIMIT of the area is pure white, which is what shows
where no item draws. like NAME ROWS: the picture matches the one kept as NAME
within a small difference (a window at 2x scaled down, against the window at
1x), and the texts of rows 0 to ROWS-1 stand where they stand there, within a
pixel or two, inside their outlines. place ROW|back|notice: answers "ok X Y",
a point to tap inside row ROW (entry ROW on the player screen), Back, or the
notice.
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
        self._rows = None

    def pixel(self, x, y):
        at = 3 * (y * self.width + x)
        return tuple(self.pixels[at:at + 3])

    def area(self, x, y, w, h):
        for row in range(y, y + h):
            line = self.pixels[3 * (row * self.width + x):3 * (row * self.width + x + w)]
            yield from zip(line[0::3], line[1::3], line[2::3])

    def white(self, *area):
        colours = list(self.area(*area))
        return colours.count(WHITE) / len(colours) if colours else 0

    def mean(self, *area):
        colours = list(self.area(*area))
        return [round(sum(c[i] for c in colours) / len(colours)) for i in range(3)]

    def rows(self):
        """(top, bottom) of every row's outline, from the top down: a run of
        white down the outline's left edge, then its straight top and bottom
        edges just inside the rounded corners, above and below the texts; a
        top edge across the window tells a row from Back."""
        if self._rows is None:
            self._rows, y = [], 0
            while y < self.height:
                if self.pixel(0, y) != WHITE:
                    y += 1
                    continue
                start = y
                while y < self.height and self.pixel(0, y) == WHITE:
                    y += 1
                top, bottom = start, y - 1
                while top > 0 and self.pixel(12, top) != WHITE:
                    top -= 1
                while bottom < self.height - 1 and self.pixel(12, bottom) != WHITE:
                    bottom += 1
                # The edges are two pixels wide: from the top of the top one
                # to the bottom of the bottom one.
                while top > 0 and self.pixel(12, top - 1) == WHITE:
                    top -= 1
                while bottom < self.height - 1 and self.pixel(12, bottom + 1) == WHITE:
                    bottom += 1
                if self.white(20, top, self.width - 40, 2) > 0.9:
                    self._rows.append((top, bottom))
                y = max(y, bottom + 1)
        return self._rows

    def top(self, row):
        return self.rows()[row][0]

    def row_height(self, row):
        top, bottom = self.rows()[row]
        return bottom + 1 - top

    def header_height(self):
        """The header ends where the space above the first row begins (none
        is told without a row)."""
        return self.top(0) - 2 if self.rows() else 0

    def outlined(self, row):
        """A button's white outline across the window: its top edge."""
        return row < len(self.rows()) and self.white(20, self.top(row), self.width - 40, 2) > 0.9

    def active(self, first, last):
        """Rows in the active look, seen at the row's left end below the middle,
        where no text reaches; other rows show the darker background there."""
        found = []
        for row in range(first, min(last + 1, len(self.rows()))):
            r = self.row_height(row)
            if sum((a - b) ** 2 for a, b in zip(self.mean(4, self.top(row) + r * 55 // 100, 12,
                                                         r * 35 // 100), ACTIVE)) < 40 ** 2:
                found.append(row)
        return found

    def spans(self, row):
        """Width of the near-white text inside a row's outline (as text_box
        reads it: the font's rasteriser may leave no pixel of a thin glyph
        pure white)."""
        w = self.width - 8
        xs = [i % w for i, c in enumerate(self.area(4, self.top(row) + 6, w, self.row_height(row) - 12))
              if min(c) >= 200]
        return max(xs) - min(xs) + 1 if xs else 0

    def text_box(self, row):
        """Bounds (left, top, right, bottom) of the near-white text inside a
        row's outline, or None. A text that does not fit reaches the edge of
        this area or runs across the outline."""
        top, h = self.top(row) + 3, self.row_height(row) - 6
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
        """White share of Back, the header's square at the left: opaque on the
        player screen, the header showing through on the main screen."""
        h = self.header_height()
        return self.white(h // 14, h * 8 // 10, h * 2 // 7, h // 7)

    def header(self):
        """The header between Back and the logo, with no text on the main screen."""
        h = self.header_height()
        return self.mean(h + 10, 5, self.width - 2 * h - 20, h - 10) if h > 10 else None

    def notice(self):
        """Where the notice is hidden, the middle of the window shows the
        background (or rows, which let it show through)."""
        return self.white(self.width // 4, self.height * 45 // 100, self.width // 2, self.height // 5)

    def place(self, what):
        """A point to tap: the middle of a row, of Back, or the notice's lower
        part, below its text."""
        if what == "back":
            h = self.header_height()
            return (h // 2, h // 2) if self.rows() else None
        if what == "notice":
            x, y = self.width // 4 + 2, self.height // 2
            if self.pixel(x, y) != WHITE:
                return None
            while y + 1 < self.height and self.pixel(x, y + 1) == WHITE:
                y += 1
            return self.width // 2, y - 8
        row = int(what)
        if row >= len(self.rows()):
            return None
        top, bottom = self.rows()[row]
        return self.width // 2, (top + bottom) // 2


def check(shot, kept, name, *args):
    """Whether the check holds, and what was found when it does not."""
    if name == "list":
        rows = int(args[0])
        return (shot.back() < 0.05 and shot.header() == HEADER
                and all(map(shot.outlined, range(rows))) and not shot.outlined(rows)), "not that list"
    if name == "player":
        active = " ".join(map(str, shot.active(0, int(args[0])))) or "-"
        return (shot.back() > 0.95 and all(map(shot.outlined, range(int(args[0]) + 1)))
                and active == args[1]), f"active rows: {active} of {shot.rows()}"
    if name == "notice":
        return (shot.notice() > 0.95 if args[0] == "shown" else shot.notice() < 0.5), ""
    if name == "spans":
        return shot.spans(int(args[0])) > float(args[1]) * shot.width, ""
    if name == "place":
        point = shot.place(args[0])
        return point is not None, f"{point[0]} {point[1]}" if point else f"no {args[0]} on screen"
    if name == "white":
        w, h, x, y = map(int, re.fullmatch(r"(\d+)x(\d+)\+(\d+)\+(\d+)", args[0]).groups())
        return shot.white(x, y, w, h) < float(args[1]), ""
    if name != "like":
        sys.exit(f"screen.py: no check {name}")
    other = kept[args[0]]
    if (shot.width, shot.height) != (other.width, other.height):
        return False, f"{shot.width}x{shot.height}, want {other.width}x{other.height}"
    if len(shot.rows()) < int(args[1]) or len(other.rows()) < int(args[1]):
        return False, f"rows {shot.rows()}, want {int(args[1])} as in {other.rows()}"
    for row in range(int(args[1])):
        box, want = shot.text_box(row), other.text_box(row)
        inside = (12, shot.top(row) + 3, shot.width - 13, shot.top(row) + shot.row_height(row) - 4)
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
        if holds and words[2] == "place":
            print(f"ok {why}", flush=True)
        else:
            print("ok" if holds else f"fail: {why}", flush=True)


if __name__ == "__main__":
    serve()
