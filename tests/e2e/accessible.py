#!/usr/bin/python3
# Prints the accessible objects of the running application APP as a screen
# reader finds them over AT-SPI, one per line: ROLE, NAME and STATES
# ("showing", "focused", both or neither), separated by tabs. Exits 1 when no
# application of that name is on the accessibility bus.
#   tests/e2e/accessible.py APP
# Debian's python3 (/usr/bin), which has pyatspi (python3-pyatspi).
import sys

import pyatspi

STATES = (("showing", pyatspi.STATE_SHOWING), ("focused", pyatspi.STATE_FOCUSED))


def show(node):
    states = node.getState()
    flags = " ".join(name for name, state in STATES if states.contains(state))
    print(f"{node.getRoleName()}\t{node.name}\t{flags}")
    for child in node:
        if child is not None:
            show(child)


apps = [app for app in pyatspi.Registry.getDesktop(0) if app is not None and app.name == sys.argv[1]]
for app in apps:
    show(app)
sys.exit(0 if apps else 1)
