#!/usr/bin/env bash
# The app without a pointer, with a screen reader, launched twice, and beside
# another program on its hub port; real key events (XTest) on the real window:
# - the rows, the entries and Back carry the names a screen reader reads, and
#   the focus it follows;
# - Down and Return on the second row send that player its playlist request;
#   Down twice and Return on its screen send the switch to index 2;
# - a second launch exits 0 and brings the minimised window of the first,
#   which stays, back to the front;
# - with another program on TCP 7925 the empty list says so, in a third line.
#   tests/e2e/desktop.sh QUINTAVO PLAYER_SIM VERSION
# (inside scripts/netns-run; the test makes a namespace of its own in it)
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"

app=${1:?usage: desktop.sh QUINTAVO PLAYER_SIM VERSION}
player_sim=${2:?}
title="Quintavo v${3:?}"
tab=$'\t' # between role, name and states of accessible objects

e2e_own_netns "$0" "$@"
e2e_start_display
e2e_start_accessibility_bus
# Qt keeps the QML it compiles at run time under ~/.cache; no settings either.
export HOME=$E2E_TMP/home
mkdir "$HOME"

cat >"$E2E_TMP/playlist.json" <<'EOF'
{"activeIndex": 1, "quintavo": [
 {"description": "Harbour walk", "duration": 65, "exists": true},
 {"description": "Night market", "duration": 120, "exists": true}]}
EOF
e2e_start_player "$player_sim" alpha 10.77.0.11 --playlist "$E2E_TMP/playlist.json"
e2e_start_player "$player_sim" beta 10.77.0.12 --playlist "$E2E_TMP/playlist.json"
e2e_wait_for_players alpha beta
e2e_start_app "$app"
window=$(e2e_wait_for_window "$title" 30) || e2e_fail "no window titled '$title'"

# --- the rows as a screen reader has them, both in view before any key
listed() { e2e_accessible_has "^push button${tab}$1, $2${tab}showing"; }
both_listed() { listed alpha 10.77.0.11 && listed beta 10.77.0.12; }
e2e_poll 20 both_listed || e2e_fail "the rows are not named 'HOST, ADDRESS' for screen readers"
! e2e_accessible_has "${tab}Port " || e2e_fail "the port notice is there while the hub listens"
name=beta
[ "$(e2e_registration_row 10.77.0.11)" != 1 ] || name=alpha
e2e_log "both rows named for screen readers; $name is the second row"

# --- Down and Return open the second row's player
request=$(e2e_command_hex '{ "type" : "playlist" }')
xdotool windowfocus --sync "$window"
xdotool key Down Return
e2e_poll 10 e2e_has_lines "$E2E_TMP/player-$name.log" "^player .* recv command 24 bytes $request " 1 || e2e_fail "Down and Return did not send $name its playlist request"

# The entries and Back, named; "Default" has the keyboard focus.
entries=("push button${tab}Default${tab}showing focused" "push button${tab}Back${tab}showing"
    "push button${tab}Harbour walk, 1 minute 5 seconds, playing${tab}showing")
for entry in "${entries[@]}"; do
    e2e_poll 10 e2e_accessible_has "^$entry\$" || e2e_fail "no accessible '$entry'"
done
e2e_log "$name got the playlist request; entries and Back are named, the focus on Default"

# --- Down twice and Return: the switch to index 2
switch=$(e2e_command_hex '{ "type" : "switch", "switch" : { "type" : "index", "index" : 2 } }')
xdotool key Down Down Return
e2e_poll 10 e2e_has_lines "$E2E_TMP/player-$name.log" "^player .* recv command 68 bytes $switch " 1 \
    || e2e_fail "Down, Down and Return did not send the switch to index 2"

[ "$(e2e_count "$E2E_TMP/player-$name.log" "^player .* recv command ")" -eq 2 ] \
    || e2e_fail "$name received other commands: $(grep 'recv command' "$E2E_TMP/player-$name.log")"
e2e_log "Down, Down, Return sent index 2"

# --- a second launch: exits 0, the first stays and its window comes back
minimised() { xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN; }
in_front() { ! minimised && [ "$(xdotool getactivewindow)" = "$window" ]; }
xdotool windowminimize --sync "$window"
e2e_poll 5 minimised || e2e_fail "the window could not be minimised"
status=0
QT_QPA_PLATFORM=xcb timeout 20 "$app" >"$E2E_TMP/second.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || e2e_fail "the second launch exited with $status: $(cat "$E2E_TMP/second.log")"
e2e_poll 10 in_front || e2e_fail "the first instance's window did not come back to the front"
e2e_log "a second launch exited 0; the first instance's window came back to the front"

e2e_close_app "$title"
e2e_require_no_qml_warnings

# --- another program on the hub port: the empty list says so
e2e_start_http 0.0.0.0 7925
rm -rf "$E2E_TMP/runtime"
e2e_start_app "$app"
notice="Port 7925 is in use by another program; players cannot register."
e2e_poll 20 e2e_accessible_has "^label${tab}$notice${tab}showing\$" || e2e_fail "no notice of the taken port"
grep -q '^quintavo\.hub: Cannot listen for players on port 7925' "$E2E_TMP/app.err" \
    || e2e_fail "no warning of the taken port in the log"
e2e_log "with TCP 7925 taken, the notice says so"
e2e_close_app "$title"
e2e_require_no_qml_warnings
