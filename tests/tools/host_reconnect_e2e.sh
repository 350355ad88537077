#!/usr/bin/env bash
# Line faults that the host program survives: a TCP converter that is not there at the start,
# then closes and comes back; a serial device (a pseudo-terminal pair) that vanishes and comes
# back. Each loss and recovery is one line on stderr and one status record in the output (JSON
# and CSV, both still valid), readings resume, and the counts go on to the end.
# Usage: host_reconnect_e2e.sh HOST-PROGRAM METER-PROGRAM
# CJT_EMULATOR, when set, runs both programs.
set -uo pipefail
read -r -a emulator <<<"${CJT_EMULATOR:-}"
host=("${emulator[@]}" "$1")
meter=("${emulator[@]}" "$2")
source "$(dirname "$0")/e2e_lib.sh"

# Short waits between attempts keep the test to seconds.
quick=(--meter 1234567:heat --poll 500ms --timeout 300ms --reconnect-delay 200ms --reconnect-max 400ms --duration 40s)

# check_end NAME STATUS STDERR-FILE LOSSES: a clean end, one stderr line per loss and per
# recovery, and the losses in the closing counts.
check_end() {
  local name=$1 status=$2 err=$3 losses=$4
  [ "$status" -eq 0 ] || fail "$name: exit status $status: $(cat "$err")"
  grep -q AddressSanitizer "$err" && fail "$name: sanitizer report: $(cat "$err")"
  [ "$(grep -c 'line lost' "$err")" -eq "$losses" ] || fail "$name: not $losses loss lines on stderr: $(cat "$err")"
  [ "$(grep -c 'line back' "$err")" -eq "$losses" ] || fail "$name: not $losses recovery lines on stderr: $(cat "$err")"
  grep -q "^requests [1-9].*, line losses $losses$" "$err" || fail "$name: closing counts: $(tail -n 1 "$err")"
}

# 1. TCP, JSON: nothing listens at first, then the meter comes, goes and comes back on its port.
port=$(free_port)
"${host[@]}" --tcp "127.0.0.1:$port" "${quick[@]}" --json >"$dir/tcp.json" 2>"$dir/tcp.err" &
host_pid=$!
pids+=("$host_pid")
wait_for at_least 1 "$dir/tcp.json" '.line == "lost"' || fail "tcp: no status record for the refused connection"
start_meter_tcp "$port" "$dir/meter1.log" --meter heat:1234567
wait_for at_least 1 "$dir/tcp.json" '.status == "ok"' || fail "tcp: no reading once the meter listened"
stop "$meter_pid"
wait_for at_least 2 "$dir/tcp.json" '.line == "lost"' || fail "tcp: no status record for the closed connection"
start_meter_tcp "$port" "$dir/meter2.log" --meter heat:1234567
wait_for at_least 2 "$dir/tcp.json" '.line == "back"' || fail "tcp: the connection did not come back"
readings_after_back() {
  jq -e -s '([to_entries[] | select(.value.line == "back") | .key] | last) as $back
            | .[$back + 1:] | any(.status == "ok" and .values.ENERGY_HEAT.unit == "kWh")' "$1" >/dev/null
}
wait_for readings_after_back "$dir/tcp.json" || fail "tcp: no reading after the connection came back"
kill -INT "$host_pid"
wait "$host_pid"
check_end tcp $? "$dir/tcp.err" 2
jq -e -s '[.[] | select(.record == "status") | .line] == ["lost", "back", "lost", "back"]' "$dir/tcp.json" >/dev/null ||
  fail "tcp: status records out of order: $(jq -c 'select(.record == "status")' "$dir/tcp.json")"
jq -e -s '[.[] | select(.record == "status" and .line == "lost")][1].message | test("closed")' "$dir/tcp.json" \
  >/dev/null || fail "tcp: the loss does not say the connection was closed"

# 2. A serial device, CSV: the pseudo-terminal pair vanishes with its meter and is made again.
start_pty_pair "$dir/meter" "$dir/host"
start_meter_serial "$dir/meter" "$dir/meter-serial1.log" --meter heat:1234567
"${host[@]}" --serial "$dir/host" "${quick[@]}" --csv >"$dir/serial.csv" 2>"$dir/serial.err" &
host_pid=$!
pids+=("$host_pid")
# csv_check FILE: every row as wide as the header; prints the status column.
csv_statuses() { python3 -c 'import csv, sys
rows = list(csv.reader(open(sys.argv[1])))
assert all(len(row) == len(rows[0]) for row in rows), "ragged rows"
print("\n".join(row[4] for row in rows[1:]))' "$1"; }
has_row() { csv_statuses "$dir/serial.csv" | grep -q "$1"; }
wait_for has_row '^ok$' || fail "serial: no reading"
stop "$socat_pid"
stop "$meter_pid"
wait_for has_row '^line lost' || fail "serial: no status record for the vanished device"
start_pty_pair "$dir/meter" "$dir/host"
start_meter_serial "$dir/meter" "$dir/meter-serial2.log" --meter heat:1234567
ok_after_back() { csv_statuses "$dir/serial.csv" | sed -n '/^line back/,$p' | grep -q '^ok$'; }
wait_for ok_after_back || fail "serial: no reading after the device came back: $(csv_statuses "$dir/serial.csv")"
kill -INT "$host_pid"
wait "$host_pid"
check_end serial $? "$dir/serial.err" 1
csv_statuses "$dir/serial.csv" >/dev/null || fail "serial: the CSV output is not valid"

finish "host reconnect end-to-end"
