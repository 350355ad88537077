#!/usr/bin/env bash
# The Windows build of cjt188-host on a COM port under wine: socat joins two pseudo-terminals,
# wine's port table (HKLM\Software\Wine\Ports) makes the host's end COM12 (a number that needs
# the \\.\ device namespace), and the native cjt188-meter serves the other end. Meters are
# read with their values, a missing meter times out, a scan finds the one meter on a line at
# other serial settings, and a port that vanishes and comes back is survived.
# Usage: host_wine_serial.sh WINE HOST-EXE METER-PROGRAM PREFIX
# WINE: the loader that runs the build's programs. PREFIX: a wine prefix of this test's own,
# made on its first run. Wine's mount manager reads the port table only when a wine server
# starts, so the prefix's table holds one fixed entry, COM12 = PREFIX/com12-line, and each run
# points that link at its own pseudo-terminal before it starts the prefix's server (a server
# of the test's own, independent of the one that other tests share).
# Exits 77 (skipped) only when wine or socat is not installed.
set -uo pipefail
wine=$1
host=("$wine" "$2")
meter=("$3")
prefix=$4
source "$(dirname "$0")/e2e_lib.sh"
skip_without "$wine" "the Windows programs run under it"
skip_without socat "it makes the pseudo-terminal pair"

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
port=COM12
loader_dir=$(dirname "$(readlink -f "$(command -v "$wine")")")
wineserver=$loader_dir/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver) || {
  echo "FAIL: no wineserver beside $wine"
  exit 1
}

server_pid=
# start_server / stop_server: the prefix's own wine server, its output (it may report a
# hang-up of the pseudo-terminal) kept in the scratch folder.
start_server() {
  "$wineserver" -f -p >>"$dir/wineserver.log" 2>&1 &
  server_pid=$!
  pids+=("$server_pid")
}
stop_server() {
  "$wineserver" -k 2>/dev/null
  wait "$server_pid" 2>/dev/null
}
trap 'stop_server; cleanup' EXIT

# The prefix with COM12 in its port table, made once. A prefix without the mark of a finished
# setup (an interrupted first run) is made again.
if [ ! -e "$prefix/com12-ready" ]; then
  rm -rf "$prefix"
  mkdir -p "$prefix"
  start_server
  timeout 240 "$wine" reg add 'HKLM\Software\Wine\Ports' /v "$port" /d "$prefix/com12-line" /f \
    >"$dir/setup.log" 2>&1 || { echo "FAIL: the wine prefix was not made: $(cat "$dir/setup.log")"; exit 1; }
  stop_server
  touch "$prefix/com12-ready"
fi

ln -sfn "$dir/host" "$prefix/com12-line"
start_server

# fresh_line METER-OPTIONS...: a new pseudo-terminal pair under the same names, the meter
# program on its far end (socat ends the old pair when its meter program closes its end).
socat_pid=
meter_pid=
fresh_line() {
  [ -n "$meter_pid" ] && stop "$meter_pid"
  [ -n "$socat_pid" ] && stop "$socat_pid"
  start_pty_pair "$dir/meter" "$dir/host"
  start_meter_serial "$dir/meter" "$dir/meter-$((++lines)).log" "$@"
}
lines=0

# run_host NAME HOST-OPTIONS...: the host on COM12 (bounded even if it hangs); output in
# $dir/NAME.out and $dir/NAME.err, its exit status in status.
run_host() {
  local name=$1
  shift
  timeout 90 "${host[@]}" --serial "$port" "$@" >"$dir/$name.out" 2>"$dir/$name.err"
  status=$?
}

# 1. A heat and a water meter read (their answers late and behind wake-up bytes), a third
# meter that is not on the line timed out.
fresh_line --meter heat:1234567 --meter water:42 --preamble 4 --delay 50
run_host read --meter 1234567:heat --meter 42:water --meter 99:gas --poll 1s --timeout 500ms --json --duration 6s
check_readings "$port" "$dir/read.out" "$dir/read.err" "$status"
jq -e -s 'any(.[]; .device == "00000000000099" and .status == "timeout")' "$dir/read.out" >/dev/null ||
  fail "$port: no time-out reported for the missing meter"
grep -q "time-outs [1-9]" "$dir/read.err" || fail "$port: time-outs not counted: $(tail -n 1 "$dir/read.err")"

# 2. The one meter on a line, at 9600 baud without parity: the port takes other settings too.
fresh_line --baud 9600 --parity N --meter cooling:31415926
run_host scan --baud 9600 --parity N --scan --timeout 500ms
[ "$status" -eq 0 ] || fail "$port scan: exit status $status: $(cat "$dir/scan.err")"
grep -q "^address 00000031415926 type 0x21 (Heat meter (cooling))" "$dir/scan.out" ||
  fail "$port scan: printed $(cat "$dir/scan.out") $(cat "$dir/scan.err")"

# 3. The port vanishes with its meter (an unplugged adapter) and comes back under the same
# name: one loss, one recovery, readings again.
fresh_line --meter heat:1234567
timeout 90 "${host[@]}" --serial "$port" --meter 1234567:heat --poll 500ms --timeout 300ms --reconnect-delay 200ms \
  --reconnect-max 400ms --json --duration 20s >"$dir/lost.out" 2>"$dir/lost.err" &
host_pid=$!
pids+=("$host_pid")
wait_for at_least 1 "$dir/lost.out" '.status == "ok"' || fail "$port: no reading before the port vanished"
stop "$socat_pid"
wait_for at_least 1 "$dir/lost.out" '.line == "lost"' || fail "$port: no status record for the vanished port"
fresh_line --meter heat:1234567
reading_after_back() {
  jq -e -s '([to_entries[] | select(.value.line == "back") | .key] | first) as $back
            | $back != null and (.[$back + 1:] | any(.status == "ok" and .values.ENERGY_HEAT.unit == "kWh"))' \
    "$1" >/dev/null
}
wait_for reading_after_back "$dir/lost.out" || fail "$port: no reading after the port came back: $(cat "$dir/lost.err")"
wait "$host_pid"
status=$?
[ "$status" -eq 0 ] || fail "$port: exit status $status after the port came back: $(cat "$dir/lost.err")"
# (Lines end in CR LF under wine.)
grep -q "^requests [1-9].*, line losses 1[[:space:]]*$" "$dir/lost.err" ||
  fail "$port: closing counts: $(tail -n 1 "$dir/lost.err")"

finish "host on a COM port under wine"
