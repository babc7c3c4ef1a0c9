#!/usr/bin/env bash
# The window as the desktop sees it, on the real binary under Xvfb and openbox,
# with one simulated player listed:
# - its WM_CLASS is the one the desktop entry names, and it carries icons of
#   several sizes for task bars (_NET_WM_ICON);
# - closed at a size and place, it opens there again (here at 2x, where both
#   are twice as large in device pixels); a place that no screen shows any
#   more (a monitor since unplugged) opens wholly on screen;
# - at 2x, by QT_SCALE_FACTOR=2 and on an X server at 192 dpi with Xft.dpi: 192
#   (a desktop set to 200 %), the window, scaled down, shows what it shows at
#   1x: every text in its row.
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
# Room for the window at 2x (880x1440) and its frame. The server has 192 dpi
# throughout; the desktop's setting, Xft.dpi, says 100 % first and 200 % at
# the end, as when the user changes it.
E2E_SCREEN=1024x1536x24 E2E_DPI=192 e2e_start_display
# Drawn in software: the window's place, its size and where its texts stand do
# not depend on how the scene is drawn, and the app starts quicker
# (tests/e2e/road.sh reads what OpenGL draws).
export QT_QUICK_BACKEND=software
xrdb -merge <<<"Xft.dpi: 96"
e2e_serve screen.py
e2e_start_player "$player_sim" foyer 10.77.0.11 --name halvorn-foyer
e2e_wait_for_players foyer

# Starts the app, with the settings file as it is, and sets $window.
start() {
    e2e_start_app "$app"
    window=$(e2e_wait_for_window "$title" 30) || e2e_fail "no window titled '$title'"
}
area() { e2e_area "$window"; }
placed() { [ "$(area)" = "$1 " ]; }
# True when the window is $1x$2 and wholly on the screen.
on_screen() {
    local x y w h screen_w screen_h
    read -r x y w h <<<"$(area)"
    read -r screen_w screen_h < <(xdpyinfo | awk '/dimensions:/ { sub(/x/, " ", $2); print $2 }')
    [ "$w" -eq "$1" ] && [ "$h" -eq "$2" ] && [ "$x" -ge 0 ] && [ "$y" -ge 0 ] \
        && [ $((x + w)) -le "$screen_w" ] && [ $((y + h)) -le "$screen_h" ]
}

start
# --- the desktop knows the window: by its class, and by its icon
wm_class=$(sed -n 's/^StartupWMClass=//p' "$desktop_entry")
[ -n "$wm_class" ] || e2e_fail "$desktop_entry names no StartupWMClass"
[ "$(xprop -id "$window" -notype WM_CLASS)" = "WM_CLASS = \"$wm_class\", \"$wm_class\"" ] \
    || e2e_fail "$(xprop -id "$window" WM_CLASS), but the desktop entry has StartupWMClass=$wm_class"
# The icons' sizes, one a line. xprop names each icon "Icon (W x H)" and draws
# the small ones; -len, since by default it reads only the first 4 of them.
icons() {
    xprop -len 4000000 -id "$window" _NET_WM_ICON | grep -ao 'Icon ([0-9]* x [0-9]*)' \
        | sed -n 's/Icon (\([0-9]*\) x \1)/\1/p' | sort -n
}
several_icons() { [ "$(icons | wc -l)" -ge 3 ] && [ "$(icons | tail -n 1)" -ge 128 ]; }
# The icon comes with the first frame.
e2e_poll 10 several_icons \
    || e2e_fail "the window's icons for task bars: '$(icons | xargs)', want several up to 128 or more"
e2e_log "WM_CLASS is the desktop entry's $wm_class; icons of $(icons | xargs) pixels"

# --- the window opens where it was closed, at the size it had; what it
# shows there at 1x is the picture the 2x ones are held against
xdotool windowsize "$window" 440 720
xdotool windowmove "$window" 40 30
e2e_poll 10 placed "40 30 440 720" || e2e_fail "the window did not take 440x720 at 40,30"
e2e_sees 10 list 1 && e2e_ask keep one || e2e_fail "the player is not listed at 1x"
e2e_close_app "$title"

# --- high DPI: the window at 2x, scaled down, is the window at 1x
# The window at 2x ($1 names how) comes to match the one at 1x, once the
# player is listed.
like_1x() {
    e2e_ask "10 $window/2 like one 1" || e2e_fail "at $1 the window, scaled down, differs from 1x"
    e2e_log "at $1 the window is 880x1440 and shows what it shows at 1x"
    e2e_close_app "$title"
}
# Where it was closed: at twice the scale, twice as far from the corner.
QT_SCALE_FACTOR=2 start
e2e_poll 10 placed "80 60 880 1440" || e2e_fail "at 2x the window opened at $(area), not where it was closed"
e2e_log "the window opened again where it was closed, 440x720 at 40,30"
like_1x "QT_SCALE_FACTOR=2"

# A place off every screen (a monitor since unplugged): on screen, whole.
printf '[window]\ngeometry=@Rect(5000 4000 440 720)\n' >"$E2E_TMP/config/Halvorn/Quintavo.conf"
xrdb -merge <<<"Xft.dpi: 192"
start
e2e_poll 10 on_screen 880 1440 || e2e_fail "a window saved off screen opened at $(area) at 192 dpi"
e2e_log "a window saved off every screen opened wholly on screen"
like_1x "192 dpi"
e2e_require_no_qml_warnings
