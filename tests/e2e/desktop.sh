#!/usr/bin/env bash
# The app without a pointer, with a screen reader (AT-SPI), launched twice and
# beside another program on its hub port; real key events (XTest) on the real
# window:
# - the rows (list items with their place, "1 of 3"), the entries and Back
#   carry the names a screen reader reads, and
#   the focus it follows; each row says what its player plays;
# - the first Down focuses the first row; Down and Return open the second
#   (beta, by name); Down twice and Return there send beta, and no other, the
#   switch to index 2, which its row shows on going back;
# - a switch made by quintavo-cli shows on the row; quintavo-cli list
#   --playing --json says what each player plays;
# - a second launch exits 0 and brings the first one's minimised window back;
# - started again with those players gone, the app lists them at once, "not
#   seen yet", with what they last played, then says when each was last seen;
#   Forget in a row's menu (Menu key) and Delete remove them;
# - with another program on TCP 7925 the empty list says so, here in German
#   (LANGUAGE=de), as the rest of the empty notice; once that program has
#   gone, a scan (F5) takes the port: the notice goes and players register.
#   tests/e2e/desktop.sh QUINTAVO PLAYER_SIM VERSION QUINTAVO_CLI
# (inside scripts/netns-run; the test makes a namespace of its own in it)
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"

app=${1:?usage: desktop.sh QUINTAVO PLAYER_SIM VERSION QUINTAVO_CLI}
player_sim=${2:?}
title="Quintavo v${3:?}"
cli=${4:?}
tab=$'\t' # between role, name and states of accessible objects

e2e_own_netns "$0" "$@"
e2e_start_display
e2e_start_accessibility_bus
e2e_software_home

cat >"$E2E_TMP/playlist.json" <<'EOF'
{"activeIndex": 1, "quintavo": [
 {"description": "Harbour walk", "duration": 65, "exists": true},
 {"description": "Night market", "duration": 120, "exists": true}]}
EOF
e2e_start_player "$player_sim" alpha 10.77.0.11 --playlist "$E2E_TMP/playlist.json"
e2e_start_player "$player_sim" beta 10.77.0.12 --playlist "$E2E_TMP/playlist.json" --active 0
e2e_start_player "$player_sim" gamma 10.77.0.13 --playlist "$E2E_TMP/playlist.json" --active 2
e2e_wait_for_players alpha beta gamma
# The rows in view ask their players what they play twice a second, not once
# a minute, so that a switch made elsewhere shows within the test's patience.
QUINTAVO_PLAYING_REFRESH_MS=500 e2e_start_app "$app"
window=$(e2e_wait_for_window "$title" 30) || e2e_fail "no window titled '$title'"

# --- the rows as a screen reader has them, in view before any key, each
# saying what its player plays within 5 s of being listed
row() { e2e_accessible "$1" "^list item${tab}$2${tab}showing"; }
for player in "alpha, 10.77.0.11" "beta, 10.77.0.12" "gamma, 10.77.0.13"; do
    row 20 "$player(, .*)?" || e2e_fail "the rows are not named 'HOST, ADDRESS' for screen readers"
done
for player in "alpha, 10.77.0.11, playing Harbour walk" "beta, 10.77.0.12, playing Default" \
    "gamma, 10.77.0.13, playing Night market"; do
    row 5 "$player" || e2e_fail "the rows do not say what their players play"
done
e2e_accessible 0 absent "${tab}Port " || e2e_fail "the port notice is there while the hub listens"
e2e_log "three rows named for screen readers, each with what its player plays"

# --- Down focuses the first row; Down and Return open the second row's
# player (beta, by name)
xdotool windowfocus --sync "$window"
xdotool key Down
e2e_accessible 5 "^list item${tab}alpha, 10.77.0.11, playing Harbour walk${tab}showing focused${tab}1 of 3\$" \
    || e2e_fail "the first Down did not focus the first row"
xdotool key Down Return

# The entries and Back, named; "Default" has the keyboard focus.
entries=("push button${tab}Default, playing${tab}showing focused" "push button${tab}Back${tab}showing"
    "push button${tab}Harbour walk, 1 minute 5 seconds${tab}showing")
for entry in "${entries[@]}"; do
    e2e_accessible 10 "^$entry\$" || e2e_fail "no accessible '$entry'"
done
e2e_log "Down and Return opened a player; entries and Back are named, the focus on Default"

# --- Down twice and Return: the switch to index 2, which beta's row shows
# at once on going back
xdotool key Down Down Return
e2e_poll 10 e2e_got beta 2 || e2e_fail "Down, Down and Return did not send beta the switch to index 2"
[ "$(cat "$E2E_TMP"/player-*.log | e2e_count - "^player .* recv command 68 bytes ")" -eq 1 ] \
    || e2e_fail "other switch commands were sent: $(grep -h 'recv command 68' "$E2E_TMP"/player-*.log)"
xdotool key Escape
row 2 "beta, 10.77.0.12, playing Night market" || e2e_fail "beta's row does not show the entry just chosen"
e2e_log "Down, Down, Return sent beta index 2; back on the list, beta's row shows it"

# --- a switch made elsewhere shows on the row; quintavo-cli lists what each plays
"$cli" play gamma 1 || e2e_fail "quintavo-cli play gamma 1 failed"
"$cli" list --wait 0.5 --playing --json >"$E2E_TMP/list.json" &
lister=$!
row 5 "gamma, 10.77.0.13, playing Harbour walk" || e2e_fail "gamma's row does not follow a switch made by quintavo-cli"
wait "$lister" || e2e_fail "quintavo-cli list --playing failed"
"$E2E_PYTHON" - "$E2E_TMP/list.json" <<'EOF' || e2e_fail "list --playing --json: $(cat "$E2E_TMP/list.json")"
import json, sys
players = {p["name"]: (p["playingIndex"], p["playing"]) for p in json.load(open(sys.argv[1]))}
sys.exit(players != {"alpha": (1, "Harbour walk"), "beta": (2, "Night market"), "gamma": (1, "Harbour walk")})
EOF
e2e_log "a switch by quintavo-cli showed on the row; list --playing --json says what each plays"

# --- a second launch: exits 0, the first stays and its window comes back
minimised() { xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN; }
in_front() { ! minimised && [ "$(xdotool getactivewindow)" = "$window" ]; }
xdotool windowminimize --sync "$window"
e2e_poll 5 minimised || e2e_fail "the window could not be minimised"
status=0
QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$E2E_TMP/runtime timeout 20 "$app" >"$E2E_TMP/second.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || e2e_fail "the second launch exited with $status: $(cat "$E2E_TMP/second.log")"
e2e_poll 10 in_front || e2e_fail "the first instance's window did not come back to the front"
e2e_log "a second launch exited 0; the first instance's window came back to the front"

e2e_close_app "$title"
for player in alpha beta gamma; do
    kill "${E2E_PLAYER_PID[$player]}"
    e2e_poll 5 e2e_ended "${E2E_PLAYER_PID[$player]}" || e2e_fail "$player did not stop"
done

# --- started again, with none of them there: listed from what the app
# remembers, before any answer could come, then with the time last seen
e2e_start_app "$app"
window=$(e2e_wait_for_window "$title" 30) || e2e_fail "no window titled '$title'"
for player in "alpha, 10.77.0.11, last known playing Harbour walk" \
    "beta, 10.77.0.12, last known playing Night market" "gamma, 10.77.0.13, last known playing Harbour walk"; do
    row 5 "$player, not seen yet" || e2e_fail "the players seen before are not listed as not seen yet"
done
row 6 "alpha, 10.77.0.11, last known playing Harbour walk, not answering, last seen [0-9]{2}:[0-9]{2}" \
    || e2e_fail "a remembered player that does not answer does not say when it was last seen"
e2e_log "started again: the three players remembered, not seen yet, then last seen at a time"

# Forget in the first row's menu, then Delete twice.
xdotool windowfocus --sync "$window"
xdotool key Down Menu
e2e_accessible 5 "^menu item${tab}Forget${tab}showing focused\$" || e2e_fail "Menu did not open the row's menu"
xdotool key Return
e2e_accessible 5 absent "${tab}alpha, " || e2e_fail "Forget did not remove alpha's row"
e2e_accessible 0 "${tab}beta, 10.77.0.12, " || e2e_fail "Forget removed another row too"
xdotool key Delete Delete
e2e_accessible 5 "^label${tab}No Players Found${tab}showing\$" || e2e_fail "Delete did not remove beta's and gamma's rows"
e2e_log "Forget in a row's menu and Delete removed the rows"
e2e_close_app "$title"

# --- another program on the hub port: the empty list says so, in German;
# nothing remembered, so that the list is empty
rm -rf "$E2E_DATA"
e2e_start_player "$player_sim" delta 10.77.0.14
e2e_wait_for_players delta
e2e_start_http 0.0.0.0 7925
http_server=${E2E_PIDS[-1]}
LANGUAGE=de e2e_start_app "$app"
window=$(e2e_wait_for_window "$title" 30) || e2e_fail "no window titled '$title'"
notice="Port 7925 wird von einem anderen Programm belegt; Player können sich nicht anmelden."
e2e_accessible 20 "^label${tab}$notice${tab}showing\$" || e2e_fail "no German notice of the taken port"
e2e_accessible 0 "^label${tab}Keine Player gefunden${tab}showing\$" || e2e_fail "the empty notice is not in German"
e2e_log "with TCP 7925 taken and LANGUAGE=de, the empty notice and the port notice are in German"
kill "$http_server"
e2e_poll 5 e2e_ended "$http_server" || e2e_fail "the program on port 7925 did not stop"
xdotool windowfocus --sync "$window"
xdotool key F5
e2e_accessible 10 "^list item${tab}delta, 10.77.0.14" || e2e_fail "no player registered once the port was free"
e2e_accessible 0 absent "${tab}Port 7925 " || e2e_fail "the port notice stayed"
e2e_log "once the port was free, a scan took it: players registered and the notice went"
e2e_close_app "$title"
e2e_require_no_qml_warnings
