#!/usr/bin/env python3
"""What a screenshot of the app's window shows, read from the scene's layout at
the screenshot's size: the header is a tenth of the height, every list row as
well, with 2 pixels above each row. One read of the picture answers a whole
check. Exits 0 when the check holds; some checks print what they find.

    screen.py IMAGE list ROWS             the main screen with exactly ROWS rows
    screen.py IMAGE player LAST ACTIVE    the player screen, entries 0 to LAST,
                                          ACTIVE ("" or a number) highlighted
    screen.py IMAGE notice shown|hidden   the update notice over the middle
    screen.py IMAGE outlined ROW          row ROW shows a button's outline
    screen.py IMAGE active FROM TO        prints the highlighted rows
    screen.py IMAGE spans ROW SHARE       row ROW's text spans more than SHARE
    screen.py IMAGE white AREA [OP LIMIT] share of pure white in AREA, printed or
                                          compared (OP is < or >) with LIMIT
    screen.py IMAGE mean AREA             prints "R G B", the mean colour of AREA
    screen.py IMAGE links AREA            prints "X Y" for each line of link text
AREA is WIDTHxHEIGHT+X+Y. A picture that is not a PPM is converted first.
"""
import re
import subprocess
import sys

HEADER = (0x80, 0x88, 0xA4)  # the header bar's grey-blue, opaque: exact on screen
ACTIVE = (176, 215, 228)  # light blue under the gloss
LINK = lambda r, g, b: b > 204 and r < 128 and g < 128  # Qt's link blue


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
            start = 3 * (row * self.width + x)
            line = self.pixels[start:start + 3 * w]
            for i in range(0, len(line), 3):
                yield line[i], line[i + 1], line[i + 2]

    def white(self, *area):
        colours = list(self.area(*area))
        return sum(c == (255, 255, 255) for c in colours) / len(colours)

    def mean(self, *area):
        colours = list(self.area(*area))
        return [round(sum(c[i] for c in colours) / len(colours)) for i in range(3)]

    # The scene's layout.
    def row_top(self, row):
        return self.height // 10 + 2 + row * (self.height // 10 + 2)

    def outlined(self, row):
        top, h = self.row_top(row), self.height
        return (self.white(20, top, self.width - 40, 2) > 0.9
                and self.white(0, top + h * 2 // 100, 2, h * 6 // 100) > 0.9)

    def active(self, first, last):
        """Rows in the active look, sampled in the lower half of the row at its
        left end, where no text reaches. Other rows show the darker background
        through the gloss."""
        h = self.height
        return [row for row in range(first, last + 1)
                if close(self.mean(4, self.row_top(row) + h * 55 // 1000, 12, h * 35 // 1000),
                         ACTIVE, 40)]

    def spans(self, row):
        """Width of the pure white (text) inside a row's outline."""
        xs = [i % (self.width - 8) for i, c in enumerate(
            self.area(4, self.row_top(row) + 6, self.width - 8, self.height // 10 - 12))
              if c == (255, 255, 255)]
        return max(xs) - min(xs) + 1 if xs else 0

    def back(self):
        """White share of the Back button's square: opaque on the player screen,
        the header showing through on the main screen."""
        h = self.height
        return self.white(h // 140, h * 8 // 100, h // 35, h // 70)

    def header(self):
        """The header between the Back square and the logo, where the main
        screen shows no text."""
        h, w = self.height, self.width
        return self.mean(h // 10 + 10, 5, w - 2 * (h // 10) - 20, h // 10 - 10)

    def notice(self):
        w, h = self.width, self.height
        return self.white(w // 4, h * 45 // 100, w // 2, h // 5)

    def links(self, x, y, w, h):
        """The middle of each line of link text; lines closer than 4 pixels are one."""
        spans = {}
        for i, c in enumerate(self.area(x, y, w, h)):
            if LINK(*c):
                span = spans.setdefault(y + i // w, [x + i % w] * 2)
                span[0], span[1] = min(span[0], x + i % w), max(span[1], x + i % w)
        lines = []
        for row in sorted(spans):
            if lines and row - lines[-1][1] <= 4:
                lines[-1][1:] = [row, min(lines[-1][2], spans[row][0]), max(lines[-1][3], spans[row][1])]
            else:
                lines.append([row, row] + spans[row])
        return [((x0 + x1) // 2, (y0 + y1) // 2) for y0, y1, x0, x1 in lines]


def close(colour, want, distance):
    return sum((a - b) ** 2 for a, b in zip(colour, want)) < distance ** 2


def area(text):
    w, h, x, y = map(int, re.fullmatch(r"(\d+)x(\d+)\+(\d+)\+(\d+)", text).groups())
    return x, y, w, h


def main(path, check, *args):
    shot = Shot(path)
    if check == "list":
        rows = int(args[0])
        return (shot.back() < 0.05 and shot.header() == list(HEADER)
                and all(shot.outlined(row) for row in range(rows)) and not shot.outlined(rows))
    if check == "player":
        last = int(args[0])
        return (shot.back() > 0.95 and all(shot.outlined(row) for row in range(last + 1))
                and " ".join(map(str, shot.active(0, last))) == args[1])
    if check == "notice":
        return shot.notice() > 0.95 if args[0] == "shown" else shot.notice() < 0.5
    if check == "outlined":
        return shot.outlined(int(args[0]))
    if check == "active":
        print(*shot.active(int(args[0]), int(args[1])))
    elif check == "spans":
        return shot.spans(int(args[0])) > float(args[1]) * shot.width
    elif check == "white":
        share = shot.white(*area(args[0]))
        if len(args) == 1:
            print(share)
        else:
            return share > float(args[2]) if args[1] == ">" else share < float(args[2])
    elif check == "mean":
        print(*shot.mean(*area(args[0])))
    elif check == "links":
        for spot in shot.links(*area(args[0])):
            print(*spot)
    else:
        sys.exit(f"screen.py: unknown check {check}")
    return True


if __name__ == "__main__":
    sys.exit(0 if main(*sys.argv[1:]) else 1)
