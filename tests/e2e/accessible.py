#!/usr/bin/python3
# The running application APP as a screen reader finds it over AT-SPI: its
# accessible objects, one per line: ROLE, NAME and STATES ("showing",
# "focused", "selected", any of them or none), and the DESCRIPTION where
# there is one (a row's place, "3 of 8"), separated by tabs.
#   tests/e2e/accessible.py APP            prints them; exits 1 when no
#                                          application of that name is on the bus
#   tests/e2e/accessible.py APP --rows     prints the rows every 40 ms: the
#       list items that are showing, from the top of the window down (as a
#       screen reader's review of the screen reads them), each by the first two
#       parts of its name (a player's name and address), separated by " | "
#   tests/e2e/accessible.py APP --names    prints the rows' whole names every
#       40 ms, in the same order, each line led by the seconds since it began
#       and a tab
#   tests/e2e/accessible.py APP --where REGEX   prints "X Y", the middle on
#       screen of the first showing object whose line matches REGEX; exits 1
#       when none does
#   tests/e2e/accessible.py APP --serve    answers requests on stdin, one a line,
#       "SECONDS present|absent REGEX" or "SECONDS rows|tree ROWS", with "ok"
#       once a line matches (or none does) or the rows are ROWS (with "tree",
#       in the order the tree lists them), within SECONDS, looking every
#       40 ms, else with "fail"
# Debian's python3 (/usr/bin), which has pyatspi (python3-pyatspi).
import re
import sys
import time

import pyatspi

STATES = (("showing", pyatspi.STATE_SHOWING), ("focused", pyatspi.STATE_FOCUSED),
          ("selected", pyatspi.STATE_SELECTED))


def nodes(app_name):
    def walk(node):
        yield node
        for child in node:
            if child is not None:
                yield from walk(child)
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == app_name:
            yield from walk(app)


def line(node):
    states = node.getState()
    flags = " ".join(name for name, state in STATES if states.contains(state))
    text = f"{node.getRoleName()}\t{node.name}\t{flags}"
    return f"{text}\t{node.description}" if node.description else text


def lines(app_name):
    for node in nodes(app_name):
        yield line(node)


def rows(app_name, whole=False, as_found=False):
    found = []
    for node in nodes(app_name):
        if node.getRoleName() == "list item" and node.getState().contains(pyatspi.STATE_SHOWING):
            found.append((node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).y,
                          node.name if whole else ", ".join(node.name.split(", ")[:2])))
    return " | ".join(name for _, name in (found if as_found else sorted(found)))


def every_40_ms(until, seconds=float("inf")):
    """Calls until() every 40 ms until it gives an answer other than None, for
    at most SECONDS; returns that answer or None. A look that fails, as the
    tree changes under it, gives none."""
    end = time.monotonic() + seconds
    while True:
        started = time.monotonic()
        try:
            answer = until()
        except Exception as error:  # pyatspi raises GLib's errors
            print(f"accessible.py: {error}", file=sys.stderr)
            answer = None
        if answer is not None or started >= end:
            return answer
        time.sleep(max(0.0, 0.04 - (time.monotonic() - started)))


def serve(app_name):
    for request in sys.stdin:
        seconds, kind, wanted = request.rstrip("\n").split(" ", 2)
        if kind in ("rows", "tree"):
            look = lambda: rows(app_name, as_found=kind == "tree") == wanted or None
        else:
            regex, present = re.compile(wanted), kind == "present"
            look = lambda: any(regex.search(line) for line in lines(app_name)) == present or None
        print("ok" if every_40_ms(look, float(seconds)) else "fail", flush=True)


def where(app_name, wanted):
    regex = re.compile(wanted)
    for node in nodes(app_name):
        if node.getState().contains(pyatspi.STATE_SHOWING) and regex.search(line(node)):
            box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            return f"{box.x + box.width // 2} {box.y + box.height // 2}"
    return None


app_name, mode = sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else ""
if mode == "--where":
    found = where(app_name, sys.argv[3])
    print(found or "", end="\n" if found else "")
    sys.exit(0 if found else 1)
elif mode == "--serve":
    serve(app_name)
elif mode == "--rows":
    every_40_ms(lambda: print(rows(app_name), flush=True))
elif mode == "--names":
    began = time.monotonic()
    every_40_ms(lambda: print(f"{time.monotonic() - began:.3f}\t{rows(app_name, True)}", flush=True))
else:
    found = list(lines(app_name))
    print(*found, sep="\n")
    sys.exit(0 if found else 1)
