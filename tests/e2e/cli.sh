#!/usr/bin/env bash
# quintavo-cli against simulated players: three on this network, one that
# hears no scan and never answers in time, and one named with an escape
# sequence on a routed network that the broadcast does not reach. list finds
# the three and, with --scan, the far one, printed escaped (the settings file
# names it too); playlist --json reads it;
# playlist marks the entry playing; play sends exactly the switch command; an
# unknown name exits 3, the silent player 1, a port that refuses 1 at once with
# one line; addresses are read in decimal, leading zeros and all. The
# application answers --version and a bad option without a display, and
# started with --scan it registers the far player too. What the app remembers
# (written within seconds): started again with no --scan, it finds the far
# player again, and so does quintavo-cli list; list --known adds a player
# that stopped, with the time it was last seen. A file that cannot be read is
# set aside, and the app goes on. Then four players at once: a group typed
# into the settings file and one saved beside it; play @foyer --video and play
# --all 0 send each player exactly its switch, name the one that never
# answers, and exit 1; an unknown group and name beside them exit 3, the rest
# switched.
#   tests/e2e/cli.sh QUINTAVO_CLI QUINTAVO PLAYER_SIM MAN_PAGE VERSION
# (inside scripts/netns-run; the test makes a namespace of its own in it)
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"

cli=${1:?usage: cli.sh QUINTAVO_CLI QUINTAVO PLAYER_SIM MAN_PAGE VERSION}
app=${2:?}
player_sim=${3:?}
man_page=${4:?}
version=${5:?}

e2e_own_netns "$0" "$@"
mkdir "$E2E_TMP/config"

# Runs the CLI as case $1: output in $E2E_TMP/$1.out and .err, status in .status.
run() {
    local name=$1 status=0
    shift
    "$cli" "$@" >"$E2E_TMP/$name.out" 2>"$E2E_TMP/$name.err" || status=$?
    echo "$status" >"$E2E_TMP/$name.status"
}
expect_status() {
    local status
    status=$(cat "$E2E_TMP/$1.status")
    [ "$status" = "$2" ] || e2e_fail "$1: exit status $status, want $2; stderr: $(cat "$E2E_TMP/$1.err")"
}
one_error_line() {
    [ "$(wc -l <"$E2E_TMP/$1.err")" -eq 1 ] || e2e_fail "$1: want one line on stderr: $(cat "$E2E_TMP/$1.err")"
}

# --- the application's command line, with no display at all
no_display=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
[ "$("${no_display[@]}" "$app" --version)" = "Quintavo $version" ] || e2e_fail "app --version"
status=0
"${no_display[@]}" "$app" --no-such-option >/dev/null 2>"$E2E_TMP/app-usage.err" || status=$?
[ "$status" -eq 2 ] && [ "$(wc -l <"$E2E_TMP/app-usage.err")" -eq 1 ] \
    || e2e_fail "app --no-such-option: exit status $status, stderr: $(cat "$E2E_TMP/app-usage.err")"
e2e_log "app: --version, and exit 2 on a bad option, without a display"

# Every option of --help is in the man page.
"$cli" --help >"$E2E_TMP/help.out"
for option in $(grep -oE -- '--[a-z]+' "$E2E_TMP/help.out" | sort -u); do
    grep -qF -- "\\-\\-${option#--}" "$man_page" || e2e_fail "the man page lacks $option"
done

# --- the players, started side by side
cat >"$E2E_TMP/foyer.json" <<'EOF'
{"activeIndex": 2, "quintavo": [
 {"description": "Morning loop", "duration": 95, "exists": true},
 {"description": "Evening loop", "duration": 1799.6, "exists": true},
 {"description": "Closed notice", "duration": 30, "exists": true}]}
EOF
e2e_start_far_network
nsenter --net="/proc/$E2E_FAR_PID/ns/net" -- "$player_sim" --name $'annex\e[2J' --bind 10.78.0.2 \
    --source 10.78.0.2 >"$E2E_TMP/player-far.log" 2>&1 &
E2E_PIDS+=($!)
e2e_start_player "$player_sim" foyer 10.77.0.11 --playlist "$E2E_TMP/foyer.json"
e2e_start_player "$player_sim" cafe 10.77.0.12
e2e_start_player "$player_sim" gallery 10.77.0.13
# On another discovery port, so that it hears no scan; it answers too late.
e2e_start_player "$player_sim" silent 10.77.0.14 --discovery-port 7776 --reply-delay 60000
e2e_wait_for_players far foyer cafe gallery silent
port_of() { sed -n "s/^player .* listening on [0-9.]*:\([0-9]*\) .*/\1/p" "$E2E_TMP/player-$1.log"; }
far_port=$(port_of far)
foyer_port=$(port_of foyer)
cafe_port=$(port_of cafe)
gallery_port=$(port_of gallery)
silent_port=$(port_of silent)

# --- the application, started with --scan, while the commands run beside it.
# The players' logs tell whom it reached; the window's rows are other tests' concern.
E2E_PLATFORM=offscreen QT_QUICK_BACKEND=software e2e_start_app "$app" --scan 010.78.0.002

mkdir -p "$E2E_TMP/far-config/Halvorn"
printf '[discovery]\nextraTargets=10.78.0.2\n' >"$E2E_TMP/far-config/Halvorn/Quintavo.conf"
pids=()
run list list --wait 0.5 & pids+=($!)
# The far player by --scan; foyer hears the datagram twice but is listed once.
run scan list --wait 0.5 --scan 10.78.0.2 --scan 10.77.0.11 & pids+=($!)
# The far player by its address, through the settings file.
XDG_CONFIG_HOME=$E2E_TMP/far-config run settings playlist 10.78.0.2 --json & pids+=($!)
run unknown playlist nobody --wait 0.5 & pids+=($!)
run silent --timeout 0.5 playlist "10.77.0.14:$silent_port" & pids+=($!)
# Nothing listens on port 1: refused long before the timeout.
run refused --timeout 20 play 10.77.0.13:1 1 & pids+=($!)
(run playlist playlist foyer && run play play foyer 3) & pids+=($!)
wait "${pids[@]}"

# In the order of registration, which is the order of arrival: compared sorted.
expect_status list 0
three=$(printf '%s\t%s\t%s\n' cafe 10.77.0.12 "$cafe_port" foyer 10.77.0.11 "$foyer_port" \
    gallery 10.77.0.13 "$gallery_port")
[ "$(sort "$E2E_TMP/list.out")" = "$three" ] || e2e_fail "list: $(cat "$E2E_TMP/list.out")"
e2e_log "list: the three players on this network"

expect_status settings 0
"$E2E_PYTHON" -c 'import json, sys; sys.exit(json.load(open(sys.argv[1]))["activeIndex"] != 0)' \
    "$E2E_TMP/settings.out" || e2e_fail "playlist --json: $(cat "$E2E_TMP/settings.out")"
e2e_log "playlist --json: the far player's playlist, through the settings file"

expect_status scan 0
[ "$(sort "$E2E_TMP/scan.out")" = "$(printf 'annex\\x1b[2J\t10.78.0.2\t%s\n%s' "$far_port" "$three")" ] \
    || e2e_fail "list --scan: $(cat -v "$E2E_TMP/scan.out")"
e2e_log "list --scan: the far player too, its name escaped; foyer once"

expect_status unknown 3
one_error_line unknown
[ "$(grep -oE '(foyer|cafe|gallery) \(10\.77\.0\.1[1-3]\)' "$E2E_TMP/unknown.err" | sort -u | wc -l)" -eq 3 ] \
    || e2e_fail "unknown: not every player named: $(cat "$E2E_TMP/unknown.err")"
e2e_log "an unknown name: exit 3, naming the players found"

expect_status silent 1
one_error_line silent
grep -q 'did not answer within 0.5 s' "$E2E_TMP/silent.err" || e2e_fail "silent: $(cat "$E2E_TMP/silent.err")"
e2e_log "a silent player: exit 1 after the timeout"

expect_status refused 1
one_error_line refused
grep -q '^quintavo-cli: 10\.77\.0\.13:1 refused the connection$' "$E2E_TMP/refused.err" \
    || e2e_fail "refused: $(cat "$E2E_TMP/refused.err")"
e2e_log "a refused connection: exit 1 at once, one line naming the player"

expect_status playlist 0
diff <(printf '0\tDefault\t-\n1\tMorning loop\t1:35\n2\tEvening loop\t30:00\t*\n3\tClosed notice\t0:30\n') \
    "$E2E_TMP/playlist.out" >&2 || e2e_fail "playlist: output differs (above)"
e2e_log "playlist: the entries, the one playing marked"

expect_status play 0
[ ! -s "$E2E_TMP/play.out" ] || e2e_fail "play printed: $(cat "$E2E_TMP/play.out")"
playlist_line=$(e2e_command_line)
# Besides the switch, foyer gets only playlist requests: the CLI's, and the
# app's, whose list asks what it plays.
[ "$(e2e_received foyer | grep -vx "$playlist_line")" = "$(e2e_command_line 3)" ] \
    || e2e_fail "foyer received: $(e2e_received foyer)"
e2e_log "play foyer 3: exactly the 68-byte switch command, exit 0"

# --- what the app, started with --scan, found and remembers, in the file of
# its data location: the far player beside the three
players_file=$E2E_DATA/players.json
remembers() { # NAME...: the file names them
    "$E2E_PYTHON" - "$players_file" "$@" <<'EOF'
import json, sys
names = {p["hostName"] for p in json.load(open(sys.argv[1]))["players"]}
sys.exit(not set(sys.argv[2:]) <= names)
EOF
}
e2e_poll 20 remembers $'annex\e[2J' foyer cafe gallery || e2e_fail "the app did not reach or write down the four players"
e2e_log "the app, started with --scan, reached the far player beside the three and remembers the four"

# Started again with no --scan, it finds the far player again.
greeted_by_app() { [ "$(e2e_count "$E2E_TMP/player-$1.log" "recv greeting from .*:7925\$")" -ge "$2" ]; }
kill "$E2E_APP_PID"
e2e_poll 10 e2e_ended "$E2E_APP_PID" || e2e_fail "the app did not stop"
greetings=$(e2e_count "$E2E_TMP/player-far.log" "recv greeting from .*:7925\$")
E2E_PLATFORM=offscreen QT_QUICK_BACKEND=software e2e_start_app "$app"
e2e_poll 20 greeted_by_app far $((greetings + 1)) || e2e_fail "started again without --scan, the app did not reach the far player"
e2e_log "started again without --scan, the app reaches the far player at its remembered address"

# quintavo-cli list reaches it too, through the file; --known adds gallery,
# stopped, with when it was last seen.
kill "${E2E_PLAYER_PID[gallery]}"
e2e_poll 5 e2e_ended "${E2E_PLAYER_PID[gallery]}" || e2e_fail "gallery did not stop"
pids=()
run remembered list --wait 0.5 & pids+=($!)
run known list --wait 0.5 --known & pids+=($!)
run known-json list --wait 0.5 --known --json & pids+=($!)
wait "${pids[@]}"
expect_status remembered 0
grep -qF "$(printf 'annex\\x1b[2J\t10.78.0.2\t%s' "$far_port")" "$E2E_TMP/remembered.out" \
    || e2e_fail "list without --scan: $(cat -v "$E2E_TMP/remembered.out")"
expect_status known 0
grep -qE "^gallery	10.77.0.13	$gallery_port	last seen [0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:]{8}Z\$" "$E2E_TMP/known.out" \
    && grep -q "^foyer	10.77.0.11	$foyer_port	answering\$" "$E2E_TMP/known.out" \
    || e2e_fail "list --known: $(cat -v "$E2E_TMP/known.out")"
"$E2E_PYTHON" - "$E2E_TMP/known-json.out" <<'EOF' || e2e_fail "list --known --json: $(cat "$E2E_TMP/known-json.out")"
import datetime, json, sys
players = {p["name"]: p for p in json.load(open(sys.argv[1]))}
for p in players.values():
    datetime.datetime.strptime(p["lastSeen"], "%Y-%m-%dT%H:%M:%SZ")
sys.exit(players["gallery"]["answering"] or not players["foyer"]["answering"] or len(players) != 4)
EOF
e2e_log "list reaches the far player through the file; --known adds the stopped one, last seen at a time"

# A file that cannot be read: set aside as it was, and the app goes on and
# remembers anew.
kill "$E2E_APP_PID"
e2e_poll 10 e2e_ended "$E2E_APP_PID" || e2e_fail "the app did not stop"
broken='{"version": 1, "players": [{"hostName": "cut sh'
printf '%s' "$broken" >"$players_file"
E2E_PLATFORM=offscreen QT_QUICK_BACKEND=software e2e_start_app "$app"
e2e_poll 20 remembers foyer || e2e_fail "after a broken file, the app did not scan and remember anew"
[ "$(cat "$players_file.bad")" = "$broken" ] || e2e_fail "the broken file was not set aside as it was"
kill -0 "$E2E_APP_PID" || e2e_fail "the app ended after a broken file"
e2e_log "a broken file was set aside whole, and the app went on and remembers anew"

# --- several players at once: four whose playlists differ, three of them
# holding "Evening loop" at different indexes (foyer-3 twice), and foyer-4,
# which takes commands but never answers. The app and the players above stop
# first, so that these hear quintavo-cli alone; the group is typed into the
# settings file as README shows.
for pid in "$E2E_APP_PID" "${E2E_PLAYER_PID[foyer]}" "${E2E_PLAYER_PID[cafe]}" "${E2E_PLAYER_PID[gallery]}"; do
    kill -TERM "$pid" 2>/dev/null || true # gallery stopped above
    e2e_poll 10 e2e_ended "$pid" || e2e_fail "process $pid did not stop"
done
e2e_foyer_playlists
e2e_start_player "$player_sim" foyer-1 10.77.0.15 --playlist "$E2E_TMP/foyer-1.json"
e2e_start_player "$player_sim" foyer-2 10.77.0.16 --playlist "$E2E_TMP/foyer-2.json"
e2e_start_player "$player_sim" foyer-3 10.77.0.17 --playlist "$E2E_TMP/foyer-3.json"
e2e_start_player "$player_sim" foyer-4 10.77.0.18 --playlist "$E2E_TMP/foyer-4.json" --mute
e2e_wait_for_players foyer-1 foyer-2 foyer-3 foyer-4
mute_port=$(port_of foyer-4)
mkdir -p "$E2E_TMP/config/Halvorn"
printf '\n[groups]\nfoyer = foyer-1, foyer-2,foyer-3, foyer-4\n' >>"$E2E_TMP/config/Halvorn/Quintavo.conf"

run groups groups
expect_status groups 0
[ "$(cat "$E2E_TMP/groups.out")" = "$(printf 'foyer\tfoyer-1\tfoyer-2\tfoyer-3\tfoyer-4')" ] \
    || e2e_fail "groups: $(cat -v "$E2E_TMP/groups.out")"
run save groups save "Bar screens" bar-1 "bar 2"
expect_status save 0
run saved groups --json
expect_status saved 0
"$E2E_PYTHON" -c 'import json, sys
groups = {g["name"]: g["members"] for g in json.load(open(sys.argv[1]))}
sys.exit(groups != {"Bar screens": ["bar-1", "bar 2"], "foyer": ["foyer-1", "foyer-2", "foyer-3", "foyer-4"]})' \
    "$E2E_TMP/saved.out" || e2e_fail "groups --json after save: $(cat "$E2E_TMP/saved.out")"
e2e_log "groups: the one typed into the settings file, and one saved beside it"

# Checks the JSON outcome of play in $1 against "name:outcome:index" words.
expect_outcomes() {
    local file=$1
    shift
    "$E2E_PYTHON" -c 'import json, sys
got = sorted("%s:%s:%s" % (p["name"], p["outcome"], "null" if p["index"] is None else p["index"])
             for p in json.load(open(sys.argv[1])))
sys.exit(got != sorted(sys.argv[2:]))' "$E2E_TMP/$file.out" "$@" \
        || e2e_fail "$file: outcomes $(cat "$E2E_TMP/$file.out")"
}

# Run $1 of play ended with 1, naming the mute foyer-4 alone.
mute_named() {
    expect_status "$1" 1
    one_error_line "$1"
    grep -qx "quintavo-cli: foyer-4 (10.77.0.18:$mute_port) did not answer within 0.5 s" "$E2E_TMP/$1.err" \
        || e2e_fail "$1: $(cat "$E2E_TMP/$1.err")"
}
# Player $1 received the playlist request, then the switches to $2....
received_commands() {
    local name=$1 expected=$playlist_line index
    shift
    for index; do expected+=$'\n'$(e2e_command_line "$index"); done
    [ "$(e2e_received "$name")" = "$expected" ] || e2e_fail "$name received: $(e2e_received "$name")"
}

run video --timeout 0.5 play @foyer --video "Evening loop" --json
mute_named video
expect_outcomes video foyer-1:switched:2 foyer-2:switched:1 foyer-3:switched:3 "foyer-4:not answering:null"
received_commands foyer-1 2
received_commands foyer-2 1
received_commands foyer-3 3
received_commands foyer-4
e2e_log "play @foyer --video: each its own index, byte for byte; the mute one named, exit 1"

run all --timeout 0.5 --wait 0.5 play --all 0 --json
mute_named all
expect_outcomes all foyer-1:switched:0 foyer-2:switched:0 foyer-3:switched:0 "foyer-4:not answering:0"
received_commands foyer-1 2 0
received_commands foyer-2 1 0
received_commands foyer-3 3 0
received_commands foyer-4 0
e2e_log "play --all 0: every player that answered the scan got the 68-byte switch to 0; exit 1"

# Names that name nothing beside players that switch: the others are switched
# all the same, a player named three times is told once, and 3 wins over 1.
foyer1_port=$(port_of foyer-1)
run mixed --timeout 0.5 --wait 0.5 play foyer-1 @foyer @nosuch nobody "10.77.0.15:$foyer1_port" 1 --json
expect_status mixed 3
"$E2E_PYTHON" -c 'import json, sys
got = [(p["name"], p["outcome"], p["index"]) for p in json.load(open(sys.argv[1]))]
sys.exit(got != [("foyer-1", "switched", 1), ("foyer-2", "switched", 1), ("foyer-3", "switched", 1),
                 ("foyer-4", "not answering", 1), ("nobody", "not found", None)])' "$E2E_TMP/mixed.out" \
    || e2e_fail "mixed: outcomes $(cat "$E2E_TMP/mixed.out")"
[ "$(wc -l <"$E2E_TMP/mixed.err")" -eq 3 ] \
    && grep -q '^quintavo-cli: no group "nosuch" in .*/Halvorn/Quintavo.conf$' "$E2E_TMP/mixed.err" \
    && grep -q '^quintavo-cli: no player "nobody" answered the scan; found ' "$E2E_TMP/mixed.err" \
    && grep -qx "quintavo-cli: foyer-4 (10.77.0.18:$mute_port) did not answer within 0.5 s" "$E2E_TMP/mixed.err" \
    || e2e_fail "mixed: $(cat "$E2E_TMP/mixed.err")"
[ "$(e2e_received foyer-1 | tail -n 1)" = "$(e2e_command_line 1)" ] && [ "$(e2e_received foyer-1 | wc -l)" -eq 4 ] \
    || e2e_fail "foyer-1 received: $(e2e_received foyer-1)"
e2e_log "play with an unknown group and name: the rest switched, foyer-1 told once, exit 3"
