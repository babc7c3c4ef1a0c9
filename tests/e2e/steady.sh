#!/usr/bin/env bash
# The list of players stands still while players answer each scan in their
# own order and time, read over AT-SPI as a screen reader reads it:
# - eight players, as many as the window shows rows, answer every scan after
#   a random delay of up to 400 ms; they stand in name order, numbers
#   compared as numbers ("stage-10" after "stage-7");
# - over three scans, read every 40 ms, no reading lists fewer than eight
#   rows and only one order is ever seen;
# - the row focused with the keyboard keeps its player through the scans,
#   and Return opens that player;
# - a player that stops answering is shown as not answering at the scan that
#   finds it missed the one before, and is gone after missing three.
#   tests/e2e/steady.sh QUINTAVO PLAYER_SIM VERSION
# (inside scripts/netns-run; the test makes a namespace of its own in it)
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"

app=${1:?usage: steady.sh QUINTAVO PLAYER_SIM VERSION}
player_sim=${2:?}
title="Quintavo v${3:?}"
tab=$'\t'

e2e_own_netns "$0" "$@"
e2e_start_display
e2e_start_accessibility_bus
export HOME=$E2E_TMP/home
mkdir "$HOME"

e2e_start_player "$player_sim" stage 10.77.0.11 --count 7 --answer-jitter 400
e2e_start_player "$player_sim" lone 10.77.0.12 --name stage-10 --answer-jitter 400
e2e_wait_for_players stage lone
e2e_start_app "$app"
window=$(e2e_wait_for_window "$title" 30) || e2e_fail "no window titled '$title'"

order="stage-1, 10.77.0.11 | stage-2, 10.77.0.11 | stage-3, 10.77.0.11 | stage-4, 10.77.0.11"
order+=" | stage-5, 10.77.0.11 | stage-6, 10.77.0.11 | stage-7, 10.77.0.11 | stage-10, 10.77.0.12"
# The rows' names without what their players play, which comes in meanwhile.
rows_of() { sed -E 's/, playing [^|]*( \||$)/\1/g'; }
rows_now() { "$E2E_PYTHON" "$E2E_ROOT/tests/e2e/rows.py" quintavo 0.01 | head -n 1 | rows_of; }
all_listed() { [ "$(rows_now)" = "$order" ]; }
e2e_poll 20 all_listed || e2e_fail "the rows are not the eight players in name order: $(rows_now)"
e2e_log "eight players listed in name order"

# Scans on F5, each once every player has heard the one before and had time
# to answer it.
scans=0
heard() { [ "$(e2e_count "$E2E_TMP/player-stage.log" "recv datagram")" -ge "$1" ]; }
scan() {
    scans=$((scans + 1))
    sleep 0.5 # the slowest answer to the scan before
    xdotool key F5
    e2e_poll 5 heard "$((7 * (scans + 1)))" || e2e_fail "scan $scans did not reach the players"
}

xdotool windowfocus --sync "$window"
xdotool key Down Down Down
focused() { e2e_accessible_has "^push button${tab}stage-3, 10.77.0.11(, playing .*)?${tab}showing focused\$"; }
e2e_poll 5 focused || e2e_fail "Down three times did not focus the third row"

"$E2E_PYTHON" "$E2E_ROOT/tests/e2e/rows.py" quintavo 4 | rows_of >"$E2E_TMP/readings" &
reader=$!
scan
scan
scan
wait "$reader"
readings=$(wc -l <"$E2E_TMP/readings")
orders=$(sort -u "$E2E_TMP/readings" | wc -l)
[ "$readings" -ge 20 ] || e2e_fail "only $readings readings of the rows"
[ "$orders" -eq 1 ] && [ "$(head -n 1 "$E2E_TMP/readings")" = "$order" ] \
    || e2e_fail "$orders different lists in $readings readings: $(sort "$E2E_TMP/readings" | uniq -c)"
e2e_log "$readings readings over three scans: always the eight rows, in one order"

focused || e2e_fail "the keyboard focus left stage-3 during the scans"
request=$(e2e_command_hex '{ "type" : "playlist" }')
xdotool key Return
# Each was asked once what it plays when it appeared; stage-3 is opened now.
e2e_poll 10 e2e_has_lines "$E2E_TMP/player-stage.log" "^player stage-3 recv command 24 bytes $request " 2 \
    || e2e_fail "Return did not open stage-3"
[ "$(e2e_count "$E2E_TMP/player-stage.log" "recv command 24 bytes")" -eq 8 ] \
    || e2e_fail "another player was opened: $(grep 'recv command' "$E2E_TMP/player-stage.log")"
e2e_log "the focus stayed on stage-3 through the scans, and Return opened it"

# --- a player stops: dimmed, then gone; the others stay
xdotool key Escape
kill "$(pgrep -f -- '--name stage-10')"
dimmed() { e2e_accessible_has "^push button${tab}stage-10, 10.77.0.12, (playing .*, )?not answering${tab}showing"; }
gone() { ! e2e_accessible_has "stage-10"; }
# A scan finds out who missed the one before it.
scan # the first that stage-10 misses
dimmed && e2e_fail "stage-10 was dimmed before it had missed a scan"
scan
e2e_poll 5 dimmed || e2e_fail "stage-10 is not shown as not answering after missing a scan"
scan
gone && e2e_fail "stage-10 left after missing two scans"
scan
e2e_poll 5 gone || e2e_fail "stage-10 is still listed after missing three scans"
[ "$(rows_now)" = "${order% | stage-10*}" ] || e2e_fail "the other rows changed: $(rows_now)"
e2e_log "a stopped player was dimmed after missing a scan and gone after missing three"

e2e_close_app "$title"
e2e_require_no_qml_warnings
