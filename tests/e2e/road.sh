#!/usr/bin/env bash
# The whole road with real input on the real binary, in one window's life:
# - the window is titled with the display name and opens at the scene's size;
# - eight simulated players register at once (six of them from one process)
#   while a ninth holds its registration link open without a record; the eight
#   are listed in name order under the grey-blue header, down to the bottom
#   of the window;
# - the update service's notice shows, and closes on a tap; the picture it
#   names on an HTTP server is never asked for;
# - a tap on a player sends it exactly the playlist request and lists its
#   videos with the one it plays highlighted; a tap on the third video sends
#   the switch command for 3, and the highlight follows;
# - a player whose name and descriptions are markup pointing at an HTTP server
#   is listed with that text, and the server is never asked for anything;
# - the scene follows a resize; the app closes with 0 and no QML warning.
# The list orders players by name, so each player's row is known in advance:
# the markup player's name starts with "<", which comes before letters.
#   tests/e2e/road.sh QUINTAVO PLAYER_SIM UPDATE_SIM UPDATE_HOST VERSION
# (inside scripts/netns-run; the test makes a namespace of its own in it)
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"

app=${1:?usage: road.sh QUINTAVO PLAYER_SIM UPDATE_SIM UPDATE_HOST VERSION}
player_sim=${2:?}
update_sim=${3:?}
update_host=${4:?}
title="Quintavo v${5:?}"

e2e_own_netns "$0" "$@"
e2e_start_display

# Anything that would fetch the markup's pictures asks this server.
bait=http://10.77.0.1:8099
e2e_start_http 10.77.0.1 8099

# The service's notice names a picture on that server too.
e2e_start_update_service "$update_sim" "$update_host" "<b>Quintavo 0.9.3</b> is available.<img src='$bait/notice.png'><br/>Get it from <a href='https://quintavo.example/download'>quintavo.example</a>."

markup="<img src=\"$bait/name.png\">Lobby"
cat >"$E2E_TMP/markup.json" <<EOF
{"activeIndex": 1, "quintavo": [
 {"description": "<img src=\"$bait/video.png\">Walk", "duration": 60, "exists": true},
 {"description": "<b>Bold</b>", "duration": 61, "exists": true}]}
EOF

# Players answer the app's first scan at start-up: all of them start at once,
# and the app once each hears datagrams.
e2e_start_player "$player_sim" lobby 10.77.0.11 --active 2
e2e_start_player "$player_sim" crowd 10.77.0.12 --count 6
e2e_start_player "$player_sim" markup 10.77.0.15 --playlist "$E2E_TMP/markup.json" --name "$markup"
e2e_start_player "$player_sim" mute 10.77.0.16 --silent-registration
e2e_wait_for_players lobby crowd markup mute
e2e_no_url_handler
e2e_serve screen.py
e2e_start_app "$app"

window=$(e2e_wait_for_window "$title" 30) || e2e_fail "no window titled '$title'"
e2e_poll 10 e2e_sized "$window" "400 700" || e2e_fail "window at $(e2e_area "$window"), want 400x700"

markup_row=0 lobby_row=7 # crowd-1 to crowd-6 between them

# --- the update notice: a white panel over the middle of the window
e2e_sees 20 notice shown || e2e_fail "no update notice in the middle of the window"
e2e_tap notice
e2e_sees 10 notice hidden || e2e_fail "a tap on the notice did not close it"
[ "$(wc -l <"$E2E_TMP/http-8099.log")" -eq 1 ] || e2e_fail "the notice made the app ask: $(cat "$E2E_TMP/http-8099.log")"
e2e_log "the update notice showed and closed on a tap; its picture was not asked for"

# --- the player list: eight outlined rows to the bottom of the window under
# the grey-blue header, none for the silent player; the markup player's row
# shows its name as text, far wider than "Lobby"
e2e_sees 10 list 8 && e2e_sees 0 spans "$markup_row" 0.5 \
    || e2e_fail "the list does not show eight rows under the header with the markup player's name as text"
grep -q '^player mute withheld record' "$E2E_TMP/player-mute.log" \
    || e2e_fail "the silent player never held a registration link open"
e2e_log "the list shows eight rows under the header, the markup name as text, while a ninth held its link silent"

# --- lobby: the playlist request, then its videos with video 2 active
# Switch commands a player received; playlist requests also come from the
# list, which asks its players what they play.
switches() { e2e_count "$E2E_TMP/player-$1.log" "^player .* recv command 6[89] bytes "; }
player_screen_shows() { e2e_sees 10 player "$1" "$2" || e2e_fail "$3"; }
open_player() { # NAME ROW: a tap on its row, then its playlist request
    e2e_tap "$2"
    e2e_poll 10 e2e_got "$1" || e2e_fail "$1 did not receive the playlist request: $(e2e_received "$1")"
}
tap_entry() { # ENTRY NAME: a tap on entry ENTRY and the switch command it sends
    e2e_tap "$1"
    e2e_poll 10 e2e_got "$2" "$1" || e2e_fail "$2 did not receive the switch command for $1"
}
back() {
    e2e_tap back
    e2e_sees 10 list 8 || e2e_fail "Back did not return to the list of eight players"
}

open_player lobby "$lobby_row"
player_screen_shows 6 2 "player screen with video 2 active not shown"
e2e_log "lobby got the playlist request; its videos are listed, video 2 highlighted"

tap_entry 3 lobby
player_screen_shows 6 3 "video 3 not highlighted after the answer"
[ "$(switches lobby)" -eq 1 ] || e2e_fail "lobby received $(switches lobby) switch commands, want 1"
e2e_log "a tap on video 3 sent index 3; the highlight followed"

# --- markup: its videos are listed, its pictures never asked for
back
open_player markup "$markup_row"
player_screen_shows 2 1 "the markup player's videos are not listed"
[ "$(wc -l <"$E2E_TMP/http-8099.log")" -eq 1 ] || e2e_fail "the markup made the app ask: $(cat "$E2E_TMP/http-8099.log")"
[ "$(switches crowd)" -eq 0 ] || e2e_fail "the crowd received switch commands"
e2e_log "markup from a player is shown as text and fetches nothing; no other player was told anything"

# --- the scene follows a resize: it covers the area right of and below its
# first size instead of leaving the window's white there
xdotool windowsize "$window" 640 900
e2e_poll 10 e2e_sized "$window" "640 900" || e2e_fail "after a resize at $(e2e_area "$window"), want 640x900"
e2e_sees 10 white 200x160+420+720 0.5 \
    || e2e_fail "the scene does not follow the window: white right of and below its first size"
e2e_log "the scene fills the resized window"

e2e_close_app "$title"
e2e_require_no_qml_warnings
