#!/usr/bin/env bash
# The list on a network that loses broadcasts, as Wi-Fi does (it neither
# acknowledges nor resends them): eight live players (as many rows as the
# window shows) each miss one discovery broadcast in ten, at random but the
# same each run (seeded). The rows are read over AT-SPI every 40 ms for a
# minute while the scene scans every 10 s (or for SECONDS, while it scans as
# often as QUINTAVO_SCAN_INTERVAL_MS says): no live player is ever shown as not
# answering, though some missed a broadcast, and each one that did was sent
# the datagram at its own address.
#   tests/e2e/lossy.sh QUINTAVO PLAYER_SIM VERSION [SECONDS [--report]]
# With --report it only prints what it read (false "not answering" events per
# minute, the share of row-time a live player showed as not answering), for a
# measurement of any build, and fails only when it could not read.
# (inside scripts/netns-run; the test makes a namespace of its own in it)
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
E2E_NAME=lossy

app=${1:?usage: lossy.sh QUINTAVO PLAYER_SIM VERSION [SECONDS [--report]]}
player_sim=${2:?}
title="Quintavo v${3:?}"
seconds=${4:-60}
report=${5:-}

e2e_own_netns "$0" "$@"
e2e_start_display
e2e_start_accessibility_bus
e2e_software_home

# Seeds under which broadcasts are missed within the first few scans.
e2e_start_player "$player_sim" stage 10.77.0.11 --count 7 --answer-jitter 250 --miss-broadcasts 10 --seed 7
e2e_start_player "$player_sim" lone 10.77.0.12 --name stage-10 --answer-jitter 250 --miss-broadcasts 10 --seed 3
e2e_wait_for_players stage lone
e2e_start_app "$app"
e2e_wait_for_window "$title" 30 >/dev/null || e2e_fail "no window titled '$title'"
order="stage-1, 10.77.0.11 | stage-2, 10.77.0.11 | stage-3, 10.77.0.11 | stage-4, 10.77.0.11"
order+=" | stage-5, 10.77.0.11 | stage-6, 10.77.0.11 | stage-7, 10.77.0.11 | stage-10, 10.77.0.12"
e2e_accessible 20 rows "$order" || e2e_fail "the rows are not the eight players"
e2e_log "eight players listed; reading their rows for $seconds s"

"$E2E_PYTHON" "$E2E_ROOT/tests/e2e/accessible.py" quintavo --names >"$E2E_TMP/names" &
reader=$!
E2E_PIDS+=("$reader")
e2e_nap "$seconds" # the time the rows are watched, not a wait for anything
kill "$reader"
wait "$reader" || true

missed=$(cat "$E2E_TMP"/player-{stage,lone}.log | e2e_count - "missed datagram")
# Each reading: the seconds, then the rows' names; a name that says "not
# answering" is a false alarm, every player being live throughout.
read -r readings events share < <("$E2E_PYTHON" - "$E2E_TMP/names" <<'EOF'
import sys
readings, events, flagged_time, row_time = 0, 0, 0.0, 0.0
shown, last = {}, None
for line in open(sys.argv[1]):
    at, _, names = line.rstrip("\n").partition("\t")
    at = float(at)
    rows = [name for name in names.split(" | ") if name]
    if len(rows) != 8:
        continue
    readings += 1
    for name in rows:
        host, flagged = name.split(", ")[0], "not answering" in name
        if flagged and not shown.get(host, False):
            events += 1
        if last is not None:
            row_time += at - last
            flagged_time += (at - last) if shown.get(host, False) else 0
        shown[host] = flagged
    last = at
print(readings, events, f"{100 * flagged_time / row_time if row_time else 0:.1f}")
EOF
)
per_minute=$(awk -v e="$events" -v s="$seconds" 'BEGIN { printf "%.1f", e * 60 / s }')
e2e_log "$readings readings in $seconds s; $missed broadcasts missed; $events false \"not answering\" events ($per_minute a minute); $share % of row-time shown as not answering"
[ "$readings" -ge $((seconds * 5)) ] || e2e_fail "only $readings readings of the eight rows"
if [ "$report" = --report ]; then
    exit 0
fi
[ "$missed" -ge 1 ] || e2e_fail "no player missed a broadcast: the run proves nothing"
[ "$events" -eq 0 ] || e2e_fail "$events times a live player was shown as not answering"
# Every broadcast a player missed was made up for by one sent to its address,
# 2 s after the scan (which may have come as the watch ended).
made_up() {
    direct=$(cat "$E2E_TMP"/player-{stage,lone}.log | e2e_count - "recv datagram .*\(direct\)")
    [ "$direct" -ge "$missed" ]
}
e2e_poll 5 made_up || e2e_fail "$missed broadcasts missed, $direct datagrams sent to a player's address"
e2e_log "no live player was ever shown as not answering"
