# shellcheck shell=bash
# Shared helpers for the end-to-end tests, sourced by the test scripts:
# a private X server with a window manager, bounded waits for windows and
# processes, and a clean-up on exit that stops everything the test started.

E2E_TMP=$(mktemp -d)
# Never the user's settings or remembered players: every program the test
# starts finds its settings in $E2E_TMP/config and its data (the players the
# app remembers, players.json) in $E2E_DATA, which a test may empty or fill.
export XDG_CONFIG_HOME=$E2E_TMP/config XDG_DATA_HOME=$E2E_TMP/data
E2E_DATA=$XDG_DATA_HOME/Halvorn/Quintavo
# The window's texts in English, as the tests read them, whatever language
# the desktop around the tests has; a start of the app may ask for another.
export LANGUAGE=en
E2E_PIDS=()
E2E_APP_PID=
E2E_ANSWER=

# Log lines start with $E2E_NAME (default "e2e"). A failure shows the end of
# the app's output and, with a screen reader's bus, its accessible objects.
# Each line says when, in seconds since the test began.
E2E_STARTED=${EPOCHREALTIME/[.,]/}
e2e_log() {
    local us=$((${EPOCHREALTIME/[.,]/} - E2E_STARTED))
    printf '%s: %d.%02d s: %s\n' "${E2E_NAME:-e2e}" $((us / 1000000)) $((us / 10000 % 100)) "$*"
}
e2e_fail() {
    echo "${E2E_NAME:-e2e}: FAIL: $*" >&2
    [ "${E2E_ANSWER:-ok}" = ok ] || echo "--- the probe's last answer: $E2E_ANSWER" >&2
    if [ -s "$E2E_TMP/app.err" ]; then
        echo "--- app stderr (last 40 lines)" >&2
        tail -n 40 "$E2E_TMP/app.err" >&2
    fi
    if [ "${QT_LINUX_ACCESSIBILITY_ALWAYS_ON:-}" = 1 ]; then
        echo "--- accessible objects" >&2
        "$E2E_ROOT/tests/e2e/accessible.py" quintavo >&2 || true
    fi
    exit 1
}

# Stops what the test started: TERM to all, newest first, then a bounded wait
# for each and KILL.
e2e_cleanup() {
    local i pid
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        kill -TERM "${E2E_PIDS[i]}" 2>/dev/null || true
    done
    for pid in "${E2E_PIDS[@]}"; do
        e2e_poll 5 e2e_ended "$pid" || kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

# True once process $1 has ended; for e2e_poll.
e2e_ended() { ! kill -0 "$1" 2>/dev/null; }

# Waits $1 seconds without starting a process: a read from a pipe that nothing
# writes to times out.
mkfifo "$E2E_TMP/nap"
exec {E2E_NAP}<>"$E2E_TMP/nap"
e2e_nap() { read -rt "$1" -u "$E2E_NAP" _ || true; }

# Polls until the command succeeds, at most $1 seconds; false on time-out.
e2e_poll() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        e2e_nap 0.03
    done
}

# Starts Xvfb on a free display number from 90 on and openbox on it, which
# turns a close request into a real close event for the app. Exports DISPLAY.
# The screen is $E2E_SCREEN (default 1280x1024x24) at $E2E_DPI (default 96),
# and the desktop's font setting Xft.dpi says the same, as desktops do: Qt
# scales by it, or by the screen's size in millimetres when it is not set.
# The numbers are shared by every namespace through Xvfb's lock files
# (/tmp/.X<N>-lock): a server whose number is taken exits, and the next number
# is tried. (-displayfd would pick by the abstract socket, which each network
# namespace has its own of, and would take no lock: parallel tests would then
# share one number, its socket file and its keymap file.)
e2e_start_display() {
    local number pid deadline=$((SECONDS + 30))
    for ((number = 90; number < 190; number++)); do
        # -noreset: by default the server resets when its last client leaves,
        # and a client connecting meanwhile (openbox, after a probe) fails.
        Xvfb ":$number" -screen 0 "${E2E_SCREEN:-1280x1024x24}" -dpi "${E2E_DPI:-96}" -nolisten tcp -noreset >"$E2E_TMP/xvfb.log" 2>&1 &
        pid=$!
        # Ours once the lock holds our pid and the server answers.
        until [ "$({ tr -dc '0-9' <"/tmp/.X$number-lock"; } 2>/dev/null)" = "$pid" ] \
            && DISPLAY=":$number" xdpyinfo >/dev/null 2>&1; do
            kill -0 "$pid" 2>/dev/null || break
            [ "$SECONDS" -lt "$deadline" ] || e2e_fail "Xvfb did not start: $(cat "$E2E_TMP/xvfb.log")"
            e2e_nap 0.03
        done
        if kill -0 "$pid" 2>/dev/null; then
            E2E_PIDS+=("$pid")
            break
        fi
        wait "$pid" 2>/dev/null || true
    done
    [ "$number" -lt 190 ] || e2e_fail "no free display number: $(cat "$E2E_TMP/xvfb.log")"
    DISPLAY=":$number"
    export DISPLAY
    xrdb -merge <<<"Xft.dpi: ${E2E_DPI:-96}"
    e2e_log "Xvfb on $DISPLAY"

    openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
    E2E_PIDS+=($!)
    # wmctrl -m answers once the window manager has announced itself.
    e2e_poll 20 wmctrl -m || e2e_fail "openbox did not start: $(cat "$E2E_TMP/openbox.log")"
    e2e_log "openbox running"
}

# Starts the application on the private display (or the Qt platform
# $E2E_PLATFORM); the output of every start goes to $E2E_TMP/app.out and
# $E2E_TMP/app.err.
# Its settings file is $E2E_TMP/config/Halvorn/Quintavo.conf and the players it
# remembers are in $E2E_DATA, never the user's.
e2e_start_app() {
    rm -rf "$E2E_TMP/runtime"
    mkdir -m 700 "$E2E_TMP/runtime"
    QT_QPA_PLATFORM=${E2E_PLATFORM:-xcb} XDG_RUNTIME_DIR=$E2E_TMP/runtime XDG_CONFIG_HOME=$E2E_TMP/config QT_LOGGING_RULES=${QT_LOGGING_RULES:-quintavo.*.debug=true} "$@" >>"$E2E_TMP/app.out" 2>>"$E2E_TMP/app.err" &
    E2E_APP_PID=$!
    E2E_PIDS+=("$E2E_APP_PID")
    e2e_log "started $1 (pid $E2E_APP_PID)"
}

# Prints the id of the managed top-level window titled exactly $1, waiting at
# most $2 seconds (default 30). The title is read as the window manager shows
# it (_NET_WM_NAME): Qt puts the display name only there when a window sets no
# title of its own; WM_NAME, which xdotool's --name reads, stays empty.
e2e_wait_for_window() {
    local title=$1 deadline=$((SECONDS + ${2:-30})) id
    while [ "$SECONDS" -lt "$deadline" ]; do
        for id in $(wmctrl -l 2>/dev/null | awk '{ print $1 }'); do
            if [ "$(xprop -id "$id" -notype _NET_WM_NAME 2>/dev/null)" = "_NET_WM_NAME = \"$title\"" ]; then
                echo "$((id))" # decimal, as xdotool prints window ids
                return 0
            fi
        done
        e2e_nap 0.03
    done
    return 1
}

# Prints "X Y WIDTH HEIGHT" of window $1's area inside its frame.
e2e_area() {
    xwininfo -id "$1" | awk -F: '/Absolute upper-left [XY]/ { printf "%d ", $2 }
        /^ *(Width|Height)/ { printf "%d ", $2 } END { print "" }'
}

# True when window $1 is $2 ("WIDTH HEIGHT") large; for e2e_poll.
e2e_sized() { [ "$(e2e_area "$1" | cut -d' ' -f3,4)" = "$2" ]; }

# ---------------------------------------------------------------------------
# Simulated players, the update service stand-in, taps and pixels.

E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# Debian's own python3 (scripts/setup installs it), not whatever python3 comes
# first on PATH: a version manager's wrapper there takes longer to start than
# most checks take to run.
E2E_PYTHON=/usr/bin/python3

# Runs the calling script ("$0" "$@") again in a network namespace of its own,
# once, inside the private one that scripts/netns-run makes (the app scans the
# first network it finds by broadcast): the app takes the fixed hub and
# discovery ports and scans the whole test subnet, so tests that run side by
# side must not share a namespace.
e2e_own_netns() {
    [ "${QUINTAVO_NETNS:-}" = 1 ] || e2e_fail "refusing to run outside a private network namespace;" \
        "use scripts/netns-run (scripts/test does)"
    [ "${E2E_OWN_NETNS:-}" = 1 ] && return 0
    rm -rf "$E2E_TMP"
    trap - EXIT
    E2E_OWN_NETNS=1 QUINTAVO_NETNS_NEW=1 exec "$E2E_ROOT/scripts/netns-run" bash "$@"
}

# Starts update-sim ($1) on port 80 of the address under which the app looks
# up its update host ($2), with its own offer or one of 0.9.3 with the notice
# $3 (the text of a JSON string) shown. A host name is mapped to 127.0.0.1 in
# this namespace's own /etc/hosts (the namespace has a mount namespace of its
# own); an address is made local.
e2e_start_update_service() {
    local binary=$1 host=$2 address hosts offer=()
    if [ -n "${3:-}" ]; then
        printf '{"type":"update","update":{"platform":"windows","version":"0.9.3","description":"%s",
 "url":"https://quintavo.example/download","show_message":true}}\n' "$3" >"$E2E_TMP/offer.json"
        offer=(--body "$E2E_TMP/offer.json")
    fi
    if [[ $host =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
        address=$host
        ip -4 -o addr show | grep -q " inet $address/" || ip addr add "$address/32" dev lo
    else
        address=127.0.0.1
        if [ "$(getent ahostsv4 "$host" | awk 'NR == 1 { print $1 }')" != "$address" ]; then
            hosts=$E2E_TMP/hosts
            { cat /etc/hosts; echo "$address $host"; } >"$hosts"
            mount --bind "$hosts" /etc/hosts
        fi
    fi
    "$binary" --bind "$address" --port 80 "${offer[@]}" >"$E2E_TMP/update-sim.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_poll 20 grep -q '^listening on 80$' "$E2E_TMP/update-sim.log" \
        || e2e_fail "update-sim did not start: $(cat "$E2E_TMP/update-sim.log")"
    e2e_log "update service for $host on $address:80"
}

# Starts player-sim ($1) as player $2 on address $3 (it listens and registers
# there, so the hub tells it apart from others) with further options, in the
# background; its log is $E2E_TMP/player-$2.log, its process id
# ${E2E_PLAYER_PID[$2]}. A later --name in the options gives the player
# another name than its label.
declare -A E2E_PLAYER_PID
e2e_start_player() {
    local binary=$1 name=$2 address=$3
    shift 3
    "$binary" --name "$name" --bind "$address" --source "$address" "$@" >"$E2E_TMP/player-$name.log" 2>&1 &
    E2E_PIDS+=($!)
    # shellcheck disable=SC2034 # read by the tests
    E2E_PLAYER_PID[$name]=$!
}

# Returns once the players labelled $1... hear discovery datagrams: their
# discovery socket is bound before the first report.
e2e_wait_for_players() {
    local name
    for name in "$@"; do
        e2e_poll 20 grep -qE "^player .*(listening on|refusing commands)" "$E2E_TMP/player-$name.log" \
            || e2e_fail "player $name did not start: $(cat -v "$E2E_TMP/player-$name.log")"
    done
    e2e_log "players $* started"
}

# Counts the lines of file $1 that match the extended regular expression $2.
e2e_count() {
    grep -cE "$2" "$1" 2>/dev/null || true
}

# For tests that read the window over AT-SPI: a home of the test's own (Qt
# keeps the QML it compiles at run time under ~/.cache; no settings either),
# and the scene drawn in software, which starts quicker (tests/e2e/road.sh
# reads what OpenGL draws).
e2e_software_home() {
    export HOME=$E2E_TMP/home QT_QUICK_BACKEND=software
    mkdir "$HOME"
}

# The playlists of four foyer players, in $E2E_TMP/foyer-N.json: three hold
# "Evening loop" at different indexes (foyer-3 twice), foyer-4 alone.
e2e_foyer_playlists() {
    e2e_videos "Morning loop" "Evening loop" "Closed notice" >"$E2E_TMP/foyer-1.json"
    e2e_videos "Evening loop" "Menu board" >"$E2E_TMP/foyer-2.json"
    e2e_videos "Menu board" "Lunch menu" "Evening loop" "Night market" "Evening loop" >"$E2E_TMP/foyer-3.json"
    e2e_videos "Evening loop" >"$E2E_TMP/foyer-4.json"
}

# A player's playlist file: one minute-long video of each description.
e2e_videos() {
    local description first=1
    printf '{"activeIndex": 0, "quintavo": ['
    for description in "$@"; do
        [ "$first" ] || printf ', '
        first=
        printf '{"description": "%s", "duration": 60, "exists": true}' "$description"
    done
    printf ']}\n'
}

# Starts an HTTP server on address $1, port $2; $E2E_TMP/http-$2.log gets a
# line for each request after its first line.
e2e_start_http() {
    "$E2E_PYTHON" -u -m http.server --bind "$1" --directory "$E2E_TMP" "$2" >"$E2E_TMP/http-$2.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_poll 20 grep -q '^Serving HTTP' "$E2E_TMP/http-$2.log" || e2e_fail "no HTTP server: $(cat "$E2E_TMP/http-$2.log")"
}

# A real click (XTest pointer events) at X Y inside window $1.
e2e_click() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
}

# A real click inside what the window $window shows at $1: a row (a player
# row, or on the player screen an entry: "Default" is 0, video k is k), back
# or notice, wherever the screen shows it; needs e2e_serve screen.py.
e2e_tap() {
    e2e_ask "10 ${window:?} place $1" || e2e_fail "no $1 on screen: $E2E_ANSWER"
    local point=${E2E_ANSWER#ok }
    e2e_click "$window" "${point% *}" "${point#* }"
}

# Polls at most $1 seconds until the check $2... (see tests/e2e/screen.py)
# holds for what the window $window shows; needs e2e_serve screen.py.
e2e_sees() { e2e_ask "$1 ${window:?} ${*:2}"; }

# Prints the bytes of a player command, its text and the final 0x00, in hex as
# player-sim logs them.
e2e_command_hex() {
    printf '%s\0' "$1" | od -An -v -tx1 | tr -d ' \n'
}

# A command as player-sim logs it and e2e_received prints it, its length and
# bytes in hex: the switch to index $1, or with no index the playlist request.
e2e_command_line() {
    local text='{ "type" : "playlist" }'
    [ -z "${1:-}" ] || text="{ \"type\" : \"switch\", \"switch\" : { \"type\" : \"index\", \"index\" : $1 } }"
    echo "$((${#text} + 1)) $(e2e_command_hex "$text")"
}
# What the player labelled $1 (of them, the one named $2) received, one
# command a line, as e2e_command_line prints it.
e2e_received() { sed -n "s/^player ${2:-.*} recv command \([0-9]*\) bytes \([0-9a-f]*\) .*/\1 \2/p" "$E2E_TMP/player-$1.log"; }
# True once player $1 has received the playlist request, or with $2 the switch
# to index $2; for e2e_poll.
e2e_got() { e2e_received "$1" | grep -qx "$(e2e_command_line "${2:-}")"; }

# Puts a stand-in for the desktop's URL handler first on PATH, so that no link
# opens anything: Qt's openUrlExternally runs xdg-open.
e2e_no_url_handler() {
    mkdir -p "$E2E_TMP/bin"
    ln -s /bin/true "$E2E_TMP/bin/xdg-open"
    PATH=$E2E_TMP/bin:$PATH
}

# Fails when the app's output holds a QML warning. They carry the file and
# line ("qrc:/qml/Quintavo/main.qml:12:5: ...") or come from the engine's
# classes; console output from the scene starts "qml:".
e2e_require_no_qml_warnings() {
    if grep -E '\.qml(:[0-9]+)+|\bQML\b|QQml|^qml:' "$E2E_TMP/app.err" "$E2E_TMP/app.out"; then
        e2e_fail "QML warnings above"
    fi
    e2e_log "no QML warnings"
}

# Sends the window manager's close request to the app's window titled $1 and
# requires the app to end with 0 within 20 s.
e2e_close_app() {
    local status=0
    wmctrl -c "$1"
    e2e_poll 20 e2e_ended "$E2E_APP_PID" || e2e_fail "app still running 20 s after the close request"
    wait "$E2E_APP_PID" || status=$?
    [ "$status" -eq 0 ] || e2e_fail "app exited with $status"
    e2e_log "app closed, exit code 0"
}

# ---------------------------------------------------------------------------
# A second network, routed, that the broadcast does not reach.

# Makes a nested network namespace, the far network, joined to this one by an
# unnumbered veth link with a route each way: 10.78.0.2 there is reached from
# here by unicast, and answers to 10.77.0.1, the source address here. The link
# has no IPv4 address on this side, so no scan broadcasts on it: players there
# hear only datagrams sent to their address. Run commands there with e2e_far.
E2E_FAR_PID=
e2e_start_far_network() {
    local ours
    ours=$(readlink /proc/self/ns/net)
    # The namespace lives as long as this process, which does nothing else.
    unshare --net sleep 3600 &
    E2E_FAR_PID=$!
    E2E_PIDS+=("$E2E_FAR_PID")
    e2e_poll 10 e2e_netns_differs "$E2E_FAR_PID" "$ours" || e2e_fail "no far network namespace"
    ip link add qf0 type veth peer name qf1
    ip link set qf1 netns "$E2E_FAR_PID"
    ip link set qf0 up
    ip route add 10.78.0.2 dev qf0 src 10.77.0.1
    e2e_far ip link set lo up
    e2e_far ip addr add 10.78.0.2/32 dev qf1
    e2e_far ip link set qf1 up
    e2e_far ip route add 10.77.0.0/24 dev qf1
    e2e_log "far network: 10.78.0.2, routed through qf0"
}
e2e_netns_differs() { [ "$(readlink "/proc/$1/ns/net")" != "$2" ]; }
e2e_far() { nsenter --net="/proc/$E2E_FAR_PID/ns/net" -- "$@"; }

# ---------------------------------------------------------------------------
# Screen readers and a second launch.

# Starts a session bus and exports DBUS_SESSION_BUS_ADDRESS and
# QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1: applications started afterwards publish
# their accessible objects on the accessibility bus, as for a screen reader.
# The bus is started here, by the first look of the reader that serves
# e2e_accessible (an application looks for the bus once, at its start); it
# ends with the session bus.
e2e_start_accessibility_bus() {
    dbus-daemon --session --nofork --print-address=1 >"$E2E_TMP/dbus.address" 2>"$E2E_TMP/dbus.log" &
    E2E_PIDS+=($!)
    e2e_poll 10 test -s "$E2E_TMP/dbus.address" || e2e_fail "no session bus: $(cat "$E2E_TMP/dbus.log")"
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$E2E_TMP/dbus.address")
    export DBUS_SESSION_BUS_ADDRESS QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    e2e_serve accessible.py quintavo --serve
    e2e_accessible 0 absent . || true
    e2e_log "accessibility bus on the session bus $DBUS_SESSION_BUS_ADDRESS"
}

# Polls at most $1 seconds until an accessible object of the application (a
# line ROLE<TAB>NAME<TAB>STATES of tests/e2e/accessible.py) matches the
# extended regular expression $2; with "absent" before it, until none matches
# $3; with "rows", until the rows in view are $3; with "tree", until the
# accessibility tree lists them in that order (see accessible.py).
#   e2e_accessible 5 "^push button${tab}Back${tab}showing$"
#   e2e_accessible 0 absent "Back"
e2e_accessible() {
    case $2 in
    absent | rows | tree) e2e_ask "$*" ;;
    *) e2e_ask "$1 present $2" ;;
    esac
}

# ---------------------------------------------------------------------------
# Probes that answer the test's questions, each in one process that looks as
# often as it can: tests/e2e/screen.py and accessible.py.

# Starts the probe tests/e2e/$1 with the arguments $2..., which serves the
# test's requests from here on.
e2e_serve() {
    coproc E2E_PROBE { exec "$E2E_PYTHON" -u "$E2E_ROOT/tests/e2e/$1" "${@:2}" 2>>"$E2E_TMP/probe.log"; }
    E2E_PIDS+=("$E2E_PROBE_PID")
}

# Sends the probe the request $*; true when it answers "ok" (with what it
# found, for some requests). A failure shows the last answer, which may say
# what was found instead.
e2e_ask() {
    echo "$*" >&"${E2E_PROBE[1]}"
    read -r E2E_ANSWER <&"${E2E_PROBE[0]}" || e2e_fail "the probe ended: $(cat "$E2E_TMP/probe.log")"
    [ "${E2E_ANSWER%% *}" = ok ]
}
