#!/usr/bin/env bash
# The app without a pointer, with a screen reader, launched twice, and beside
# another program on its hub port; real key events (XTest) on the real window:
# - the rows, the entries and Back carry the names a screen reader reads, and
#   the focus it follows; each row says what its player plays;
# - the first Down focuses the first row; Down again and Return send the
#   second row's player (by name order, beta) its playlist request;
#   Down twice and Return on its screen send the switch to index 2, and its
#   row shows that entry on going back;
# - a switch made by quintavo-cli shows on the row; quintavo-cli list
#   --playing --json says what each player plays;
# - a second launch exits 0 and brings the minimised window of the first,
#   which stays, back to the front;
# - with another program on TCP 7925 the empty list says so, in a third line,
#   here in German (LANGUAGE=de), as the rest of the empty notice.
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
# Qt keeps the QML it compiles at run time under ~/.cache; no settings either.
export HOME=$E2E_TMP/home
mkdir "$HOME"

cat >"$E2E_TMP/playlist.json" <<'EOF'
{"activeIndex": 1, "quintavo": [
 {"description": "Harbour walk", "duration": 65, "exists": true},
 {"description": "Night market", "duration": 120, "exists": true}]}
EOF
e2e_start_player "$player_sim" alpha 10.77.0.11 --playlist "$E2E_TMP/playlist.json"
e2e_start_player "$player_sim" beta 10.77.0.12 --playlist "$E2E_TMP/playlist.json" --active 0
e2e_start_player "$player_sim" gamma 10.77.0.13 --playlist "$E2E_TMP/playlist.json" --active 2
e2e_wait_for_players alpha beta gamma
# The rows in view ask their players what they play every second, not every
# minute, so that a switch made elsewhere shows within the test's patience.
QUINTAVO_PLAYING_REFRESH_MS=1000 e2e_start_app "$app"
window=$(e2e_wait_for_window "$title" 30) || e2e_fail "no window titled '$title'"

# --- the rows as a screen reader has them, in view before any key, each
# saying what its player plays within 5 s of being listed
row() { e2e_accessible_has "^push button${tab}$1${tab}showing"; }
listed() { row "$1, $2(, .*)?"; }
all_listed() { listed alpha 10.77.0.11 && listed beta 10.77.0.12 && listed gamma 10.77.0.13; }
playing() { row "$1, $2, playing $3"; }
all_playing() {
    playing alpha 10.77.0.11 "Harbour walk" && playing beta 10.77.0.12 Default \
        && playing gamma 10.77.0.13 "Night market"
}
e2e_poll 20 all_listed || e2e_fail "the rows are not named 'HOST, ADDRESS' for screen readers"
e2e_poll 5 all_playing || e2e_fail "the rows do not say what their players play"
! e2e_accessible_has "${tab}Port " || e2e_fail "the port notice is there while the hub listens"
e2e_log "three rows named for screen readers, each with what its player plays"

# --- Down focuses the first row; Down and Return open the second row's
# player (beta, by name), which has been asked once already for its row
request="^player .* recv command 24 bytes $(e2e_command_hex '{ "type" : "playlist" }') "
xdotool windowfocus --sync "$window"
xdotool key Down
e2e_poll 5 e2e_accessible_has "^push button${tab}alpha, 10.77.0.11, playing Harbour walk${tab}showing focused\$" \
    || e2e_fail "the first Down did not focus the first row"
xdotool key Down Return
e2e_poll 10 e2e_has_lines "$E2E_TMP/player-beta.log" "$request" 2 || e2e_fail "Down and Return did not send beta its playlist request"

# The entries and Back, named; "Default" has the keyboard focus.
entries=("push button${tab}Default, playing${tab}showing focused" "push button${tab}Back${tab}showing"
    "push button${tab}Harbour walk, 1 minute 5 seconds${tab}showing")
for entry in "${entries[@]}"; do
    e2e_poll 10 e2e_accessible_has "^$entry\$" || e2e_fail "no accessible '$entry'"
done
e2e_log "beta got the playlist request; entries and Back are named, the focus on Default"

# --- Down twice and Return: the switch to index 2, which beta's row shows
# at once on going back
switch=$(e2e_command_hex '{ "type" : "switch", "switch" : { "type" : "index", "index" : 2 } }')
xdotool key Down Down Return
e2e_poll 10 e2e_has_lines "$E2E_TMP/player-beta.log" "^player .* recv command 68 bytes $switch " 1 \
    || e2e_fail "Down, Down and Return did not send the switch to index 2"
[ "$(e2e_count "$E2E_TMP/player-beta.log" "^player .* recv command 68 bytes ")" -eq 1 ] \
    || e2e_fail "beta received other switch commands: $(grep 'recv command' "$E2E_TMP/player-beta.log")"
xdotool key Escape
e2e_poll 2 playing beta 10.77.0.12 "Night market" || e2e_fail "beta's row does not show the entry just chosen"
e2e_log "Down, Down, Return sent index 2; back on the list, beta's row shows it"

# --- a switch made elsewhere shows on the row; quintavo-cli lists what each plays
"$cli" play gamma 1 || e2e_fail "quintavo-cli play gamma 1 failed"
e2e_poll 5 playing gamma 10.77.0.13 "Harbour walk" || e2e_fail "gamma's row does not follow a switch made by quintavo-cli"
"$cli" list --playing --json >"$E2E_TMP/list.json" || e2e_fail "quintavo-cli list --playing failed"
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
e2e_require_no_qml_warnings

# --- another program on the hub port: the empty list says so, in German
e2e_start_http 0.0.0.0 7925
rm -rf "$E2E_TMP/runtime"
LANGUAGE=de e2e_start_app "$app"
notice="Port 7925 wird von einem anderen Programm belegt; Player können sich nicht anmelden."
e2e_poll 20 e2e_accessible_has "^label${tab}$notice${tab}showing\$" || e2e_fail "no German notice of the taken port"
e2e_accessible_has "^label${tab}Keine Player gefunden${tab}showing\$" || e2e_fail "the empty notice is not in German"
e2e_log "with TCP 7925 taken and LANGUAGE=de, the empty notice and the port notice are in German"
e2e_close_app "$title"
e2e_require_no_qml_warnings
