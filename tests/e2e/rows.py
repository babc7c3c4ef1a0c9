#!/usr/bin/python3
# Reads the rows of the running application APP over AT-SPI, as a screen
# reader finds them, every 40 ms for SECONDS: one line per reading with the
# names of the push buttons that are showing, from the top of the window
# down (as a screen reader's review of the screen reads them; the tree lists
# a list's rows in the order they were made), separated by " | ". Back is
# left out.
#   tests/e2e/rows.py APP SECONDS
# Debian's python3 (/usr/bin), which has pyatspi (python3-pyatspi).
import sys
import time

import pyatspi


def buttons(node, found):
    if node.getRoleName() == "push button" and node.getState().contains(pyatspi.STATE_SHOWING):
        if node.name != "Back":
            found.append((node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).y, node.name))
    for child in node:
        if child is not None:
            buttons(child, found)
    return found


app_name, seconds = sys.argv[1], float(sys.argv[2])
end = time.monotonic() + seconds
while time.monotonic() < end:
    started = time.monotonic()
    apps = [app for app in pyatspi.Registry.getDesktop(0) if app is not None and app.name == app_name]
    rows = sorted(buttons(apps[0], [])) if apps else []
    print(" | ".join(name for _, name in rows), flush=True)
    time.sleep(max(0.0, 0.04 - (time.monotonic() - started)))
