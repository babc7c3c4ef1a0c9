#!/usr/bin/env bash
# One video on several screens through the real window, with a screen reader
# (AT-SPI) and real key and pointer events (XTest): four players whose
# playlists differ, three of them holding "Evening loop" at different indexes
# (foyer-3 twice), and foyer-4, which takes commands but never answers;
# screen readers find the rows in screen order, whatever order they came in.
# Ctrl+A selects the four rows, which a screen reader hears as selected; Tab
# and Return open Play, which offers "Evening loop — 3 of 4"; a click on it
# sends each of the three exactly the switch to its own index, byte for
# byte, and foyer-4 nothing; the rows say what each plays now, foyer-4's that
# it is not answering, and the sum line says so.
#   tests/e2e/selection.sh QUINTAVO PLAYER_SIM VERSION
# (inside scripts/netns-run; the test makes a namespace of its own in it)
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
E2E_NAME=selection
source "$(dirname "$0")/lib.sh"

app=${1:?usage: selection.sh QUINTAVO PLAYER_SIM VERSION}
player_sim=${2:?}
title="Quintavo v${3:?}"
tab=$'\t' # between role, name, states and description of accessible objects

e2e_own_netns "$0" "$@"
e2e_start_display
e2e_start_accessibility_bus
e2e_software_home

e2e_foyer_playlists
# They register in their own order; the rows stand in name order.
e2e_start_player "$player_sim" foyer-1 10.77.0.15 --playlist "$E2E_TMP/foyer-1.json" --answer-jitter 300
e2e_start_player "$player_sim" foyer-2 10.77.0.16 --playlist "$E2E_TMP/foyer-2.json" --answer-jitter 300
e2e_start_player "$player_sim" foyer-3 10.77.0.17 --playlist "$E2E_TMP/foyer-3.json" --answer-jitter 300
e2e_start_player "$player_sim" foyer-4 10.77.0.18 --playlist "$E2E_TMP/foyer-4.json" --mute --answer-jitter 300
e2e_wait_for_players foyer-1 foyer-2 foyer-3 foyer-4
# foyer-4 is given up on after a second, not five.
QUINTAVO_PLAYER_DEADLINE_MS=500 e2e_start_app "$app"
window=$(e2e_wait_for_window "$title" 30) || e2e_fail "no window titled '$title'"
four="foyer-1, 10.77.0.15 | foyer-2, 10.77.0.16 | foyer-3, 10.77.0.17 | foyer-4, 10.77.0.18"
e2e_accessible 20 rows "$four" || e2e_fail "the four players are not listed"
e2e_accessible 2 tree "$four" || e2e_fail "the accessibility tree does not list the rows in screen order"

# --- Ctrl+A: every row selected, as a screen reader hears it; the bar says how many
xdotool windowfocus --sync "$window"
xdotool key ctrl+a
for n in 1 2 3 4; do
    e2e_accessible 5 "^list item${tab}foyer-$n, 10\.77\.0\.1$((n + 4))(, [^$tab]*)?${tab}showing( focused)? selected${tab}$n of 4\$" \
        || e2e_fail "foyer-$n's row is not heard as selected, the ${n}th of 4"
done
e2e_accessible 5 "^label${tab}4 selected${tab}showing" || e2e_fail "the bar does not say 4 selected"
e2e_log "Ctrl+A selected the four rows; a screen reader hears each selected, with its place"

# --- Tab and Return open Play; a click on the entry plays it on all four
xdotool key Tab Return
entry="^menu item${tab}Evening loop — 3 of 4${tab}showing"
e2e_accessible 10 "$entry" || e2e_fail "Play does not offer 'Evening loop — 3 of 4'"
read -r x y < <("$E2E_PYTHON" "$E2E_ROOT/tests/e2e/accessible.py" quintavo --where "$entry") \
    || e2e_fail "the entry has no place on screen"
xdotool mousemove "$x" "$y" click 1
e2e_log "Play offered Evening loop, held by 3 of 4; chosen with a click"

playlist_line=$(e2e_command_line)
sum="3 of 4 switched: foyer-4 is not answering"
e2e_accessible 10 "^alert${tab}$sum${tab}showing" || e2e_fail "no sum line '$sum' for screen readers"
# Besides the switch, only playlist requests: the list's and Play's.
for expected in "foyer-1 2" "foyer-2 1" "foyer-3 3"; do
    name=${expected% *}
    [ "$(e2e_received "$name" | grep -vx "$playlist_line")" = "$(e2e_command_line "${expected#* }")" ] \
        || e2e_fail "$name received: $(e2e_received "$name")"
    e2e_accessible 2 "^list item${tab}$name, 10\.77\.0\.1[5-7], playing Evening loop${tab}" \
        || e2e_fail "$name's row does not say it plays Evening loop"
done
[ -z "$(e2e_received foyer-4 | grep -vx "$playlist_line")" ] || e2e_fail "foyer-4 received: $(e2e_received foyer-4)"
e2e_accessible 0 "^list item${tab}foyer-4, 10\.77\.0\.18, not answering${tab}" \
    || e2e_fail "foyer-4's row does not say it is not answering"
e2e_log "each of the three got exactly its own switch; the rows and the sum line say so, foyer-4 not answering"

e2e_close_app "$title"
e2e_require_no_qml_warnings
