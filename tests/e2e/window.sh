#!/usr/bin/env bash
# The window as the desktop sees it, on the real binary under Xvfb and openbox:
# - its WM_CLASS is the one the desktop entry names, and it carries icons of
#   several sizes for task bars (_NET_WM_ICON);
# - closed at a size and place, it opens there again; a place that no screen
#   shows any more (a monitor since unplugged) opens wholly on screen.
#   tests/e2e/window.sh QUINTAVO PLAYER_SIM VERSION DESKTOP_ENTRY
# (inside scripts/netns-run; the test makes a namespace of its own in it)
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"

app=${1:?usage: window.sh QUINTAVO PLAYER_SIM VERSION DESKTOP_ENTRY}
player_sim=${2:?}
title="Quintavo v${3:?}"
desktop_entry=${4:?}

e2e_own_netns "$0" "$@"
e2e_start_display
e2e_start_app "$app"
window=$(e2e_wait_for_window "$title" 30) || e2e_fail "no window titled '$title'"

# --- the desktop knows the window: by its class, and by its icon
wm_class=$(sed -n 's/^StartupWMClass=//p' "$desktop_entry")
[ -n "$wm_class" ] || e2e_fail "$desktop_entry names no StartupWMClass"
[ "$(xprop -id "$window" -notype WM_CLASS)" = "WM_CLASS = \"$wm_class\", \"$wm_class\"" ] \
    || e2e_fail "$(xprop -id "$window" WM_CLASS), but the desktop entry has StartupWMClass=$wm_class"
# xprop names each icon "Icon (W x H)" and draws the small ones; -len, since
# by default it reads only the first 4 of them.
icons=$(xprop -len 4000000 -id "$window" _NET_WM_ICON | grep -ao 'Icon ([0-9]* x [0-9]*)' \
    | sed -n 's/Icon (\([0-9]*\) x \1)/\1/p' | sort -n)
[ "$(wc -l <<<"$icons")" -ge 3 ] && [ "$(tail -n 1 <<<"$icons")" -ge 128 ] \
    || e2e_fail "the window's icons for task bars: '$(echo $icons)', want several up to 128 or more"
e2e_log "WM_CLASS is the desktop entry's $wm_class; icons of $(echo $icons) pixels"

# --- the window opens where it was closed, at the size it had
xdotool windowsize "$window" 480 760
xdotool windowmove "$window" 300 120
placed() {
    [ "$(xwininfo -id "$window" | awk -F: '/Absolute upper-left [XY]/ { printf "%d ", $2 }
        /^ *(Width|Height)/ { printf "%d ", $2 }')" = "$1" ]
}
e2e_poll 10 placed "300 120 480 760 " || e2e_fail "the window did not take 480x760 at 300,120"
e2e_close_app "$title"
rm -rf "$E2E_TMP/runtime"
e2e_start_app "$app"
window=$(e2e_wait_for_window "$title" 30) || e2e_fail "no window titled '$title' at the second start"
e2e_poll 10 placed "300 120 480 760 " \
    || e2e_fail "the window opened at" \
        "$(xwininfo -id "$window" | grep -E 'Absolute|Width|Height' | tr -s ' \n' ' '), not where it was closed"
e2e_log "the window opened again where it was closed, 480x760 at 300,120"

# --- a place off every screen (a monitor since unplugged): on screen, whole
e2e_close_app "$title"
printf '[window]\ngeometry=@Rect(5000 4000 480 760)\n' >"$E2E_TMP/config/Halvorn/Quintavo.conf"
rm -rf "$E2E_TMP/runtime"
e2e_start_app "$app"
window=$(e2e_wait_for_window "$title" 30) || e2e_fail "no window titled '$title' at the third start"
on_screen() {
    local screen
    screen=$(xdpyinfo | awk '/dimensions:/ { sub(/x/, " ", $2); print $2 }')
    xwininfo -id "$window" | awk -F: -v screen="$screen" '
        /Absolute upper-left X/ { x = $2 + 0 } /Absolute upper-left Y/ { y = $2 + 0 }
        /^ *Width/ { w = $2 + 0 } /^ *Height/ { h = $2 + 0 }
        END { split(screen, s, " "); exit !(w == 480 && h == 760 && x >= 0 && y >= 0 && x + w <= s[1] && y + h <= s[2]) }'
}
e2e_poll 10 on_screen || e2e_fail "a window saved off screen opened at" \
    "$(xwininfo -id "$window" | grep -E 'Absolute|Width|Height' | tr -s ' \n' ' ')"
e2e_log "a window saved off every screen opened wholly on screen"
