#!/usr/bin/env bash
# The Windows package on the road, under Wine, with real input: the zip is
# unpacked into an empty folder and Quintavo.exe runs from there with nothing
# else on its paths, on a private X server, beside Linux simulated players and
# the update service stand-in:
# - --version and --help print to the output they were sent to, with exit 0;
#   an unknown option exits 2; started with no output and no console to
#   write to, --version and an unknown option show a message box instead,
#   with the same exit statuses;
# - the update notice shows, and closes on a tap;
# - three players are listed in name order (their names' widths tell the
#   rows apart): the first scan, before the app knows any address, reached
#   them at the test network's broadcast address, which Wine's interfaces
#   name;
# - a tap on a row sends that player the playlist request and shows its
#   videos; a tap on a video sends exactly its switch command; Back returns
#   to the list;
# - a second launch hands over to the first, whose minimised window comes
#   back, and exits 0;
# - quintavo-cli.exe lists the players as JSON and switches one;
# - the window closes on the window manager's request with exit code 0.
#   tests/e2e/windows.sh ZIP PLAYER_SIM UPDATE_SIM UPDATE_HOST VERSION
# (inside scripts/netns-run, with WINEPREFIX naming a prepared Wine prefix;
# the test makes a namespace of its own in it)
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
E2E_NAME=e2e-windows

zip=${1:?usage: windows.sh ZIP PLAYER_SIM UPDATE_SIM UPDATE_HOST VERSION}
player_sim=${2:?}
update_sim=${3:?}
update_host=${4:?}
version=${5:?}
title="Quintavo v$version"
: "${WINEPREFIX:?windows.sh: WINEPREFIX must name a prepared Wine prefix}"

e2e_own_netns "$0" "$@"
# Wine's server and services of this namespace end with the test.
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; e2e_cleanup' EXIT
# Before the first Windows program: Wine's desktop process, started with it,
# shows no window ever after when it started without a display.
e2e_start_display
[ -f "$zip" ] || e2e_fail "no package $zip (scripts/windows makes it)"

# The package alone: no Qt of the build tree on any path.
unset QUINTAVO_WINE_QT QT_PLUGIN_PATH QML2_IMPORT_PATH WINEPATH
mkdir "$E2E_TMP/install"
unzip -q "$zip" -d "$E2E_TMP/install"
folder=$(find "$E2E_TMP/install" -name Quintavo.exe -printf '%h\n')
[ -n "$folder" ] || e2e_fail "no Quintavo.exe in $zip"
wine=("$E2E_ROOT/scripts/wine-run")
exe=$folder/Quintavo.exe
cli=$folder/quintavo-cli.exe

# --- the GUI program's own words, before any window
expect_words() { # NAME STATUS PATTERN ARGS...: exit status and what it printed
    local name=$1 want=$2 pattern=$3 status=0
    shift 3
    timeout 60 "${wine[@]}" "$exe" "$@" >"$E2E_TMP/$name.out" 2>"$E2E_TMP/$name.err" || status=$?
    [ "$status" -eq "$want" ] || e2e_fail "Quintavo.exe $*: exit $status, want $want: $(cat "$E2E_TMP/$name.err")"
    grep -qE -e "$pattern" "$E2E_TMP/$name.out" "$E2E_TMP/$name.err" \
        || e2e_fail "Quintavo.exe $*: no '$pattern' in $(cat "$E2E_TMP/$name.out" "$E2E_TMP/$name.err")"
}
expect_words version 0 "^Quintavo $version" --version
expect_words help 0 "--scan <ADDRESS>" --help
expect_words unknown 2 "^quintavo: Unknown option 'bogus'" --bogus
e2e_log "--version, --help and an unknown option, with their exit statuses"

# Started as from the desktop, through Windows' start: no output to inherit,
# no console. Return closes the box.
boxed() { # STATUS ARGS...
    local want=$1 status=0 box
    shift
    (cd "$folder" && exec /usr/lib/wine/wine64 start /wait /unix "$exe" "$@") >"$E2E_TMP/start.out" 2>&1 &
    local starter=$!
    box=$(e2e_wait_for_window Quintavo 30) || e2e_fail "Quintavo.exe $* from the desktop showed no message box"
    xdotool windowfocus --sync "$box" key Return
    e2e_poll 20 e2e_ended "$starter" || e2e_fail "the message box of $* did not close on Return"
    wait "$starter" || status=$?
    [ "$status" -eq "$want" ] || e2e_fail "Quintavo.exe $* from the desktop: exit $status, want $want"
}
boxed 0 --version
boxed 2 --bogus
e2e_log "from the desktop, --version and an unknown option showed a message box, exit 0 and 2"

e2e_start_update_service "$update_sim" "$update_host" "<b>Quintavo 0.9.3</b> is available."

cat >"$E2E_TMP/bar.json" <<'EOF'
{"activeIndex": 1, "quintavo": [
 {"description": "Menu board", "duration": 60, "exists": true},
 {"description": "Happy hour", "duration": 95, "exists": true},
 {"description": "Closed notice", "duration": 30, "exists": true}]}
EOF
# In name order; the middle name is far wider than the others.
e2e_start_player "$player_sim" atrium 10.77.0.11
e2e_start_player "$player_sim" bar 10.77.0.12 --playlist "$E2E_TMP/bar.json"
e2e_start_player "$player_sim" concourse 10.77.0.13 --name "concourse-east-wing-upper-level-screen"
e2e_wait_for_players atrium bar concourse
e2e_serve screen.py

# The app under Wine: its process is wine-run's.
E2E_PLATFORM=windows QT_QUICK_BACKEND=software e2e_start_app "${wine[@]}" "$exe"
window=$(e2e_wait_for_window "$title" 60) || e2e_fail "no window titled '$title'"
e2e_poll 20 e2e_sized "$window" "400 700" || e2e_fail "window at $(e2e_area "$window"), want 400x700"

e2e_sees 30 notice shown || e2e_fail "no update notice"
e2e_tap notice
e2e_sees 10 notice hidden || e2e_fail "a tap on the notice did not close it"
e2e_log "the update notice showed and closed on a tap"

e2e_sees 20 list 3 || e2e_fail "the list does not show three rows"
e2e_sees 0 spans 2 0.6 && ! e2e_sees 0 spans 0 0.45 && ! e2e_sees 0 spans 1 0.45 \
    || e2e_fail "the rows are not atrium, bar and concourse-east-wing-... in name order"
e2e_log "three players listed in name order, found by the broadcast"

e2e_tap 1
e2e_poll 10 e2e_got bar || e2e_fail "bar did not receive the playlist request"
e2e_sees 10 player 3 1 || e2e_fail "bar's videos are not shown with video 1 active"
e2e_tap 2
e2e_poll 10 e2e_got bar 2 || e2e_fail "bar did not receive the switch command for 2"
e2e_sees 10 player 3 2 || e2e_fail "video 2 is not highlighted after the answer"
e2e_log "bar's videos shown; a tap on video 2 sent exactly its switch command"

e2e_tap back
e2e_sees 10 list 3 || e2e_fail "Back did not return to the list"
e2e_log "Back returned to the list"

# --- a second launch hands over to the first, whose minimised window comes
# back, and ends with 0
minimised() { xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN; }
xdotool windowminimize --sync "$window"
e2e_poll 5 minimised || e2e_fail "the window could not be minimised"
status=0
QT_QPA_PLATFORM=windows timeout 60 "${wine[@]}" "$exe" >"$E2E_TMP/second.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || e2e_fail "the second launch exited with $status: $(cat "$E2E_TMP/second.log")"
e2e_poll 10 eval '! minimised' || e2e_fail "the first instance's window did not come back"
kill -0 "$E2E_APP_PID" || e2e_fail "the first instance ended"
[ "$(wmctrl -l | grep -cF "$title")" -eq 1 ] || e2e_fail "more than one window: $(wmctrl -l)"
e2e_log "a second launch exited 0, opened no window and brought the first one back"

# --- quintavo-cli.exe against the same players
timeout 60 "${wine[@]}" "$cli" list --wait 1 --json >"$E2E_TMP/list.json" \
    || e2e_fail "quintavo-cli.exe list --json failed"
"$E2E_PYTHON" - "$E2E_TMP/list.json" <<'EOF' || e2e_fail "list --json: $(cat "$E2E_TMP/list.json")"
import json, sys
names = sorted(p["name"] for p in json.load(open(sys.argv[1])))
sys.exit(names != ["atrium", "bar", "concourse-east-wing-upper-level-screen"])
EOF
timeout 60 "${wine[@]}" "$cli" play atrium 3 >"$E2E_TMP/play.out" 2>&1 \
    || e2e_fail "quintavo-cli.exe play atrium 3 failed: $(cat "$E2E_TMP/play.out")"
e2e_got atrium 3 || e2e_fail "atrium did not receive the switch command for 3"
e2e_log "quintavo-cli.exe listed the three players as JSON and switched atrium to 3"

e2e_close_app "$title"
e2e_require_no_qml_warnings
