#!/usr/bin/env bash
# Fifty simulated players and one that opens a registration link but never
# sends its record: the fifty register promptly all the same (the silent one
# is not waited for), the list shows rows and the silent one is not listed.
# An update offer without "show_message" leaves the notice hidden.
#   tests/e2e/many_players.sh QUINTAVO PLAYER_SIM UPDATE_SIM UPDATE_HOST VERSION
# (inside scripts/netns-run; the test makes a namespace of its own in it)
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"

app=${1:?usage: many_players.sh QUINTAVO PLAYER_SIM UPDATE_SIM UPDATE_HOST VERSION}
player_sim=${2:?}
update_sim=${3:?}
update_host=${4:?}
title="Quintavo v${5:?}"
count=50
# Far below the hub's 30 s registration deadline for the silent peer.
prompt=10

e2e_require_netns
e2e_own_netns "$0" "$@"
e2e_start_display

cat >"$E2E_TMP/offer.json" <<'EOF'
{"type": "update", "update": {"platform": "windows", "version": "0.9.3",
 "description": "<b>Quintavo 0.9.3</b>", "url": "https://quintavo.example/", "show_message": false}}
EOF
e2e_start_update_service "$update_sim" "$update_host" "$E2E_TMP/offer.json"
e2e_start_player "$player_sim" mute 10.77.0.12 --silent-registration
e2e_start_player "$player_sim" crowd 10.77.0.11 --count "$count"
started=$SECONDS
e2e_start_app "$app"

e2e_poll "$prompt" e2e_has_registrations "$count" || {
    e2e_show_app_output
    e2e_fail "$(e2e_registrations) of $count players registered within $prompt s"
}
e2e_log "$count players registered within $((SECONDS - started)) s of the start"
grep -q '^player mute withheld record' "$E2E_TMP/player-mute.log" \
    || e2e_fail "the silent player never held a registration link open"
for ((i = 1; i <= count; i++)); do
    grep -qE "^quintavo\.hub: \"crowd-$i\" \"10\.77\.0\.11\" on port [0-9]+$" "$E2E_TMP/app.err" \
        || e2e_fail "no registration line for crowd-$i"
done
! grep -q '"mute"' "$E2E_TMP/app.err" || e2e_fail "the silent player was registered"
e2e_log "every crowd player registered once the silent one held its link; the silent one did not"

window=$(e2e_wait_for_window "$title" 30) || e2e_fail "no window titled '$title'"
e2e_poll 10 e2e_window_has_size "$window" 400x700 \
    || e2e_fail "window size $(e2e_window_size "$window"), want 400x700"
width=400
height=700
shot=$E2E_TMP/window.png

# Rows from the top of the list to the bottom of the window, no empty notice
# ("No Players Found" would sit in the first row's place), no update notice.
list_full() {
    local row
    for row in 0 1 2 3 4 5 6 7; do
        e2e_row_outlined "$1" "$2" "$3" "$row" || return 1
    done
}
e2e_poll_screen 10 "$window" "$shot" list_full || e2e_fail "the list does not show rows down to the bottom of the window"
e2e_poll 10 grep -q '^update-sim GET /qarn/update.php?' "$E2E_TMP/update-sim.log" \
    || e2e_fail "the update service was not asked"
e2e_grab_and_check "$window" "$shot" e2e_notice_hidden "$width" "$height" \
    || e2e_fail "the update notice shows although the offer says show_message false"
e2e_log "the list shows rows to the bottom of the window; no update notice"

e2e_close_app "$title"
e2e_require_no_qml_warnings
