#!/usr/bin/env bash
# The window as the desktop sees it, on the real binary under Xvfb and openbox:
# - its WM_CLASS is the one the desktop entry names, and it carries icons of
#   several sizes for task bars (_NET_WM_ICON).
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
