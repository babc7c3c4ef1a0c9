#!/usr/bin/env bash
# The whole road with real input on the real binary: three simulated players
# register and are listed; the update notice shows, opens an https link with
# the desktop's URL handler but not a file: link, and closes on a tap beside
# the links; a tap on a player sends it exactly the playlist request and lists
# its videos with the one it plays highlighted; a tap on the third video and
# one on "Default" send the switch commands for 3 and 0 and the highlight
# follows the player's answers; Back returns to the list; the app closes with
# 0 and no QML warning on the way.
#   tests/e2e/player_road.sh QUINTAVO PLAYER_SIM UPDATE_SIM UPDATE_HOST VERSION
# (inside scripts/netns-run; the test makes a namespace of its own in it)
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"

app=${1:?usage: player_road.sh QUINTAVO PLAYER_SIM UPDATE_SIM UPDATE_HOST VERSION}
player_sim=${2:?}
update_sim=${3:?}
update_host=${4:?}
title="Quintavo v${5:?}"

e2e_require_netns
e2e_own_netns "$0" "$@"
e2e_start_display

# An offer whose description holds a web link and a file: link, each on a
# line of its own at the top of the notice.
https_link='https://quintavo.example/e2e-download'
cat >"$E2E_TMP/offer.json" <<EOF
{"type": "update", "update": {"platform": "windows", "version": "0.9.3",
 "description": "<a href='$https_link'>HTTPS LINK</a><br/><br/><a href='file:///etc/passwd'>FILE LINK</a>",
 "url": "$https_link", "show_message": true}}
EOF
e2e_start_update_service "$update_sim" "$update_host" "$E2E_TMP/offer.json"

# Players answer the app's first scan at start-up, so they come first.
e2e_start_player "$player_sim" lobby 10.77.0.11 --active 2
e2e_start_player "$player_sim" foyer 10.77.0.12
e2e_start_player "$player_sim" gallery 10.77.0.13 --active 5
e2e_record_opened_urls
e2e_start_app "$app"

window=$(e2e_wait_for_window "$title" 30) || {
    e2e_show_app_output
    e2e_fail "no window titled '$title'"
}
e2e_poll 10 e2e_window_has_size "$window" 400x700 \
    || e2e_fail "window size $(e2e_window_size "$window"), want 400x700"
width=400
height=700
shot=$E2E_TMP/window.png

# --- players appear: one registration line each, with the player's own port
e2e_poll 20 e2e_has_registrations 3 || {
    e2e_show_app_output
    e2e_fail "$(e2e_registrations) of 3 players registered"
}
for player in lobby:10.77.0.11 foyer:10.77.0.12 gallery:10.77.0.13; do
    name=${player%%:*} address=${player#*:}
    port=$(sed -n "s/^player $name listening on $address:\([0-9]*\) .*/\1/p" "$E2E_TMP/player-$name.log")
    grep -qxF "quintavo.hub: \"$name\" \"$address\" on port $port" "$E2E_TMP/app.err" \
        || e2e_fail "no registration line for $name $address:$port"
done
[ "$(e2e_latest_registrations | wc -l)" -eq 3 ] || e2e_fail "$(e2e_latest_registrations | wc -l) players registered at the first scan, want 3"
e2e_log "three players registered"

# --- the update notice: a white panel over the middle of the window
e2e_poll_screen 20 "$window" "$shot" e2e_notice_shown || e2e_fail "no update notice in the middle of the window"
grep -q '^update-sim GET /qarn/update.php?' "$E2E_TMP/update-sim.log" \
    || e2e_fail "the update service was not asked"
e2e_log "update notice shown"

# The text starts at the panel's top-left corner (an eighth of the width in,
# a quarter of the height down) plus a margin of 20.
mapfile -t links < <(e2e_link_spots "$shot" \
    "$((width * 3 / 4 - 40))x$((height / 2 - 40))+$((width / 8 + 20))+$((height / 4 + 20))")
[ "${#links[@]}" -eq 2 ] || e2e_fail "${#links[@]} lines of link text in the notice, want 2"
read -r https_x https_y <<<"${links[0]}"
read -r file_x file_y <<<"${links[1]}"

e2e_click "$window" "$https_x" "$https_y"
e2e_poll 10 e2e_has_lines "$E2E_TMP/opened-urls" "^$https_link\$" 1 \
    || e2e_fail "a tap on the https link did not reach the URL handler"
# The file: link first, then the https link again: once the second https
# record is there, the file: tap has long been handled.
e2e_click "$window" "$file_x" "$file_y"
e2e_click "$window" "$https_x" "$https_y"
e2e_poll 10 e2e_has_lines "$E2E_TMP/opened-urls" "^$https_link\$" 2 \
    || e2e_fail "the second tap on the https link did not reach the URL handler"
[ "$(wc -l <"$E2E_TMP/opened-urls")" -eq 2 ] || {
    cat "$E2E_TMP/opened-urls" >&2
    e2e_fail "the URL handler was given more than the https link twice"
}
e2e_grab_and_check "$window" "$shot" e2e_notice_shown "$width" "$height" \
    || e2e_fail "a tap on a link closed the notice"
e2e_log "the https link reached the URL handler, the file: link did not; the notice stays"

e2e_click "$window" "$((width / 2))" "$((height * 70 / 100))"
e2e_poll_screen 10 "$window" "$shot" e2e_notice_hidden || e2e_fail "a tap on the notice beside the links did not close it"
e2e_log "a tap beside the links closed the notice"

# --- the player list: three outlined rows in registration order, no fourth.
# The scene's first scan comes 10 s after the start and lists the players
# anew, in a new order: the taps below come after it.
e2e_wait_for_rescan 3 20 || e2e_fail "the players did not register again at the next scan"
e2e_poll_screen 10 "$window" "$shot" e2e_list_shows 3 || e2e_fail "the list does not show exactly three rows"
e2e_log "the list shows three rows"

# --- a tap on lobby: the playlist request, then its videos with video 2 active
lobby_row=$(e2e_registration_row lobby)
lobby_log=$E2E_TMP/player-lobby.log
commands() { e2e_count "$lobby_log" '^player lobby recv command '; }
e2e_click "$window" "$((width / 2))" "$(e2e_row_middle "$height" "$lobby_row")"
request=$(e2e_command_hex '{ "type" : "playlist" }')
e2e_poll 10 e2e_has_lines "$lobby_log" "^player lobby recv command 24 bytes $request " 1 \
    || e2e_fail "lobby did not receive the 24-byte playlist request: $(grep 'recv command' "$lobby_log")"
[ "$(commands)" -eq 1 ] || e2e_fail "lobby received $(commands) commands, want 1"

# The player screen: the Back button opaque, "Default" and the videos listed,
# the one the player reports as playing (2) highlighted.
player_screen_shows() { e2e_poll_screen 10 "$window" "$shot" e2e_player_screen_shows 6 "$1"; }
player_screen_shows 2 || e2e_fail "player screen with video 2 active not shown;" \
    "active rows: [$(e2e_active_rows "$shot" "$width" "$height" 0 6)]"
e2e_log "lobby got the playlist request; its videos are listed, video 2 highlighted"

# --- a tap on the third video: the switch command for 3, the answer keeps it
switch_to() { e2e_command_hex "{ \"type\" : \"switch\", \"switch\" : { \"type\" : \"index\", \"index\" : $1 } }"; }
e2e_click "$window" "$((width / 2))" "$(e2e_row_middle "$height" 3)"
e2e_poll 10 e2e_has_lines "$lobby_log" "^player lobby recv command 68 bytes $(switch_to 3) " 1 \
    || e2e_fail "lobby did not receive the switch command for 3"
e2e_poll 10 e2e_has_lines "$lobby_log" '^player lobby sent reply [0-9]+ bytes activeIndex=3$' 1 \
    || e2e_fail "lobby did not answer the switch"
player_screen_shows 3 || e2e_fail "video 3 not highlighted after the answer;" \
    "active rows: [$(e2e_active_rows "$shot" "$width" "$height" 0 6)]"
e2e_log "the tap on video 3 sent index 3; video 3 highlighted"

# --- "Default": index 0
e2e_click "$window" "$((width / 2))" "$(e2e_row_middle "$height" 0)"
e2e_poll 10 e2e_has_lines "$lobby_log" "^player lobby recv command 68 bytes $(switch_to 0) " 1 \
    || e2e_fail "lobby did not receive the switch command for 0"
e2e_poll 10 e2e_has_lines "$lobby_log" '^player lobby sent reply [0-9]+ bytes activeIndex=0$' 1 \
    || e2e_fail "lobby did not answer the switch to 0"
player_screen_shows 0 || e2e_fail "Default not highlighted after the answer;" \
    "active rows: [$(e2e_active_rows "$shot" "$width" "$height" 0 6)]"
[ "$(commands)" -eq 3 ] || e2e_fail "lobby received $(commands) commands, want 3"
for name in foyer gallery; do
    ! grep -q "recv command" "$E2E_TMP/player-$name.log" || e2e_fail "$name received a command"
done
e2e_log "the tap on Default sent index 0; Default highlighted; no other player was told anything"

# --- Back, in the header's top-left square
e2e_click "$window" "$((height / 20))" "$((height / 20))"
e2e_poll_screen 10 "$window" "$shot" e2e_list_shows 3 || e2e_fail "Back did not return to the list of three players"
e2e_log "Back returned to the list"

e2e_close_app "$title"
e2e_require_no_qml_warnings
