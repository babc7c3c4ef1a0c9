# shellcheck shell=bash
# Shared helpers for the end-to-end tests, sourced by the test scripts:
# a private X server with a window manager, bounded waits for windows and
# processes, and a clean-up on exit that stops everything the test started.
#
#   source "$(dirname "$0")/lib.sh"
#   e2e_require_netns
#   e2e_start_display              # sets DISPLAY, starts Xvfb and openbox
#   e2e_start_app "$binary"        # sets E2E_APP_PID, logs in $E2E_TMP/app.{out,err}
#   id=$(e2e_wait_for_window 'Quintavo v0.9.2')

E2E_TMP=$(mktemp -d)
E2E_PIDS=()
E2E_APP_PID=

e2e_log() { echo "e2e: $*"; }
e2e_fail() {
    echo "e2e: FAIL: $*" >&2
    exit 1
}

# The app scans the first network it finds by broadcast: only ever inside the
# private namespace that scripts/netns-run makes.
e2e_require_netns() {
    if [ "${QUINTAVO_NETNS:-}" != 1 ]; then
        echo "e2e: refusing to run outside a private network namespace;" \
            "use scripts/netns-run (scripts/test does)" >&2
        exit 1
    fi
}

# Stops what the test started, newest first: TERM, a bounded wait, then KILL.
e2e_cleanup() {
    local i pid
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${E2E_PIDS[i]}
        kill -0 "$pid" 2>/dev/null || continue
        kill -TERM "$pid" 2>/dev/null || true
        e2e_wait_for_exit "$pid" 5 || kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

# Polls until process $1 has ended, at most $2 seconds; false on time-out.
e2e_wait_for_exit() {
    local pid=$1 deadline=$((SECONDS + $2))
    while kill -0 "$pid" 2>/dev/null; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# Polls until the command succeeds, at most $1 seconds; false on time-out.
e2e_poll() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# Starts Xvfb on a display it picks itself (-displayfd writes the number once
# the server accepts clients) and openbox on it, which turns a close request
# into a real close event for the app. Exports DISPLAY.
e2e_start_display() {
    local display_file=$E2E_TMP/display
    : >"$display_file"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
        3>"$display_file" >"$E2E_TMP/xvfb.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_poll 20 grep -q '[0-9]' "$display_file" \
        || e2e_fail "Xvfb did not start: $(cat "$E2E_TMP/xvfb.log")"
    DISPLAY=":$(tr -dc '0-9' <"$display_file")"
    export DISPLAY
    e2e_log "Xvfb on $DISPLAY"

    openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
    E2E_PIDS+=($!)
    # wmctrl -m answers once the window manager has announced itself.
    e2e_poll 20 wmctrl -m || e2e_fail "openbox did not start: $(cat "$E2E_TMP/openbox.log")"
    e2e_log "openbox running"
}

# Starts the application on the private display; its output goes to
# $E2E_TMP/app.out and $E2E_TMP/app.err.
e2e_start_app() {
    mkdir -m 700 "$E2E_TMP/runtime"
    QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$E2E_TMP/runtime "$@" >"$E2E_TMP/app.out" 2>"$E2E_TMP/app.err" &
    E2E_APP_PID=$!
    E2E_PIDS+=("$E2E_APP_PID")
    e2e_log "started $1 (pid $E2E_APP_PID)"
}

# Prints the title of window $1 as the window manager shows it (_NET_WM_NAME).
# Qt puts the display name only there when a window sets no title of its own;
# WM_NAME, which xdotool's --name and getwindowname read, stays empty.
e2e_window_title() {
    xprop -id "$1" -notype _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p'
}

# Prints the id of the managed top-level window titled exactly $1, waiting at
# most $2 seconds (default 30).
e2e_wait_for_window() {
    local title=$1 deadline=$((SECONDS + ${2:-30})) id
    while [ "$SECONDS" -lt "$deadline" ]; do
        for id in $(wmctrl -l 2>/dev/null | awk '{ print $1 }'); do
            if [ "$(e2e_window_title "$id")" = "$title" ]; then
                echo "$((id))" # decimal, as xdotool prints window ids
                return 0
            fi
        done
        sleep 0.1
    done
    return 1
}

# Prints "WIDTHxHEIGHT" of window $1.
e2e_window_size() {
    local WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(WIDTH|HEIGHT)=')"
    echo "${WIDTH}x${HEIGHT}"
}

# True when window $1 is $2 ("WIDTHxHEIGHT") large; for e2e_poll.
e2e_window_has_size() {
    [ "$(e2e_window_size "$1")" = "$2" ]
}

# Saves what window $1 shows to the PNG file $2. A GL window cannot be grabbed
# by its id under Xvfb, so this grabs the screen and crops the window's area.
e2e_grab_window() {
    local X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    import-im6.q16 -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
}

# Prints the share (0 to 1) of pure white pixels in the area WxH+X+Y ($2) of
# the PNG file $1. White is what a Qt Quick window shows where no item draws.
e2e_white_share() {
    convert-im6.q16 "$1" -crop "$2" +repage -fill black +opaque white -colorspace gray \
        -format '%[fx:mean]' info:
}

# Shows the app's output, for a failing test.
e2e_show_app_output() {
    echo "--- app stderr (last 40 lines)" >&2
    tail -n 40 "$E2E_TMP/app.err" >&2 || true
}
