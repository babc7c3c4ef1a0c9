#!/usr/bin/env bash
# Smoke test of the real binary: it opens one window titled with the display
# name at the scene's size, the window (and the scene in it) follows a resize,
# and a close request from the window manager ends the app with 0 and without
# a QML warning on the way.
#   tests/e2e/smoke_window.sh PATH/TO/quintavo VERSION     (inside scripts/netns-run)
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"

binary=${1:?usage: smoke_window.sh PATH/TO/quintavo VERSION}
title="Quintavo v${2:?}"

e2e_require_netns
e2e_start_display
e2e_start_app "$binary"

window=$(e2e_wait_for_window "$title" 30) || {
    e2e_show_app_output
    e2e_fail "no window titled '$title'"
}
e2e_log "window $window titled '$(e2e_window_title "$window")'"

# The first size comes from the scene's root item.
e2e_poll 10 e2e_window_has_size "$window" 400x700 \
    || e2e_fail "first size $(e2e_window_size "$window"), want 400x700"

# Grow the window to another shape. The view resizes its root item with the
# window, so the scene also covers the new area right of and below its first
# size instead of leaving the window's white there.
xdotool windowsize "$window" 640 900
e2e_poll 10 e2e_window_has_size "$window" 640x900 \
    || e2e_fail "size after resize $(e2e_window_size "$window"), want 640x900"
e2e_log "resized to 640x900"
scene_covers_new_area() {
    e2e_grab_window "$window" "$E2E_TMP/window.png" \
        && awk -v share="$(e2e_white_share "$E2E_TMP/window.png" 200x160+420+720)" \
            'BEGIN { exit !(share < 0.5) }'
}
e2e_poll 10 scene_covers_new_area \
    || e2e_fail "the scene does not follow the window: white right of and below its first size"
e2e_log "the scene fills the resized window"

# What a user's click on the close button sends.
e2e_close_app "$title"
e2e_require_no_qml_warnings
