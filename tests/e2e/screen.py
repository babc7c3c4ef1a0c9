#!/usr/bin/env python3
"""What a screenshot of the app's window shows, read once from the scene's
layout at the picture's size: the header and every list row are a tenth of the
height, with 2 pixels above each row. Exits 0 when the check holds; "active"
prints the rows it finds.

    screen.py IMAGE list ROWS | player LAST ACTIVE | notice shown|hidden
        | spans ROW SHARE | white WxH+X+Y LIMIT | active FROM TO | like OTHER ROWS

list: the main screen under the grey-blue header, Back see-through, exactly
ROWS player rows in view. player: Back opaque, entries 0 to LAST in view,
ACTIVE alone in the active look. spans: row ROW's white text is wider than
SHARE of the window. white: less than LIMIT of the area is pure white, which
is what shows where no item draws. like: the picture matches OTHER of the same
size within a small difference (a window at 2x scaled down, against the window
at 1x), and the texts of rows 0 to ROWS-1 stand where they stand in OTHER, within
a pixel or two, inside their outlines.
"""
import re
import subprocess
import sys

HEADER = [0x80, 0x88, 0xA4]  # the header's grey-blue, opaque: exact on screen
ACTIVE = (176, 215, 228)  # the active look's light blue under the gloss
WHITE = (255, 255, 255)


class Shot:
    def __init__(self, path):
        data = open(path, "rb").read()
        if not data.startswith(b"P6"):
            data = subprocess.run(["convert-im6.q16", path, "-depth", "8", "ppm:-"],
                                  capture_output=True, check=True).stdout
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
        self.width, self.height = int(header[1]), int(header[2])
        self.pixels = data[header.end():]

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
        """Width of the white text inside a row's outline."""
        w = self.width - 8
        xs = [i % w for i, c in enumerate(self.area(4, self.top(row) + 6, w, self.height // 10 - 12))
              if c == WHITE]
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


def check(shot, name, *args):
    if name == "list":
        rows = int(args[0])
        return (shot.back() < 0.05 and shot.header() == HEADER
                and all(map(shot.outlined, range(rows))) and not shot.outlined(rows))
    if name == "player":
        return (shot.back() > 0.95 and all(map(shot.outlined, range(int(args[0]) + 1)))
                and " ".join(map(str, shot.active(0, int(args[0])))) == args[1])
    if name == "notice":
        return shot.notice() > 0.95 if args[0] == "shown" else shot.notice() < 0.5
    if name == "spans":
        return shot.spans(int(args[0])) > float(args[1]) * shot.width
    if name == "white":
        w, h, x, y = map(int, re.fullmatch(r"(\d+)x(\d+)\+(\d+)\+(\d+)", args[0]).groups())
        return shot.white(x, y, w, h) < float(args[1])
    if name == "like":
        other = Shot(args[0])
        if (shot.width, shot.height) != (other.width, other.height):
            return False
        for row in range(int(args[1])):
            box, want = shot.text_box(row), other.text_box(row)
            inside = (12, shot.top(row) + 3, shot.width - 13, shot.top(row) + shot.height // 10 - 4)
            if (not box or not want or box[0] <= inside[0] or box[1] <= inside[1]
                    or box[2] >= inside[2] or box[3] >= inside[3]
                    or max(abs(a - b) for a, b in zip(box, want)) > 2):
                print(f"row {row}: text at {box}, want {want} inside {inside}", file=sys.stderr)
                return False
        difference = shot.difference(other)
        if difference > 0.01:
            print(f"differs by {difference:.4f}", file=sys.stderr)
        return difference <= 0.01
    if name != "active":
        sys.exit(f"screen.py: no check {name}")
    print(*shot.active(int(args[0]), int(args[1])))
    return True


if __name__ == "__main__":
    sys.exit(0 if check(Shot(sys.argv[1]), *sys.argv[2:]) else 1)
