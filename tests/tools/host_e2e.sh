#!/usr/bin/env bash
# End to end through real lines: cjt188-meter on one end of a pseudo-terminal pair (socat)
# and on a TCP port, cjt188-host on the other end with the plug-in library, its JSON output
# checked with jq; then the failures that must give one line on stderr and a non-zero exit
# (without reconnecting: host_reconnect_e2e.sh has the line faults that are survived).
# Usage: host_e2e.sh HOST-PROGRAM METER-PROGRAM
# CJT_EMULATOR, when set, runs both programs (qemu-i386-static for a 32-bit build on a kernel
# that executes no 32-bit programs).
set -uo pipefail
read -r -a emulator <<<"${CJT_EMULATOR:-}"
host=("${emulator[@]}" "$1")
meter=("${emulator[@]}" "$2")
source "$(dirname "$0")/e2e_lib.sh"

meters=(--meter heat:1234567 --meter water:42)
quick=(--meter 1234567:heat --meter 42:water --poll 1s --timeout 500ms --json --duration 5s)

# 1. A serial line: a pseudo-terminal pair.
start_pty_pair "$dir/serial-meter" "$dir/serial-host"
start_meter_serial "$dir/serial-meter" "$dir/meter-serial.log" "${meters[@]}"
# A third meter that is not on the line: its requests time out and are reported.
"${host[@]}" --serial "$dir/serial-host" "${quick[@]}" --meter 99:gas >"$dir/serial.json" 2>"$dir/serial.err"
check_readings serial "$dir/serial.json" "$dir/serial.err" $?
jq -e -s 'any(.[]; .device == "00000000000099" and .status == "timeout")' "$dir/serial.json" >/dev/null ||
  fail "serial: no time-out reported for the missing meter"
grep -q "time-outs [1-9]" "$dir/serial.err" || fail "serial: time-outs not counted: $(tail -n 1 "$dir/serial.err")"

# 1b. Which meter is on a line: one broadcast read-address request, the address and type
# printed, the program ended at once.
start_pty_pair "$dir/scan-meter" "$dir/scan-host"
start_meter_serial "$dir/scan-meter" "$dir/meter-scan.log" --meter gas:20250331 --variant unit-first
"${host[@]}" --serial "$dir/scan-host" --scan --timeout 500ms >"$dir/scan.out" 2>"$dir/scan.err"
status=$?
[ "$status" -eq 0 ] || fail "scan: exit status $status: $(cat "$dir/scan.err")"
grep -qx "address 00000020250331 type 0x30 (Gas 0)" "$dir/scan.out" || fail "scan: printed $(cat "$dir/scan.out")"

# 2. TCP: the meter takes a free port and says which.
start_meter_tcp 0 "$dir/meter-tcp.log" "${meters[@]}"
meter_tcp=$meter_pid
# This time the requests come from a configuration file written over several lines.
cat >"$dir/meters.xml" <<'XML'
<?xml version="1.0"?>
<QUERY>
  <Request caption="heat">
    <Enabled>1</Enabled>
    <RequestMethod><MethodPoll>1</MethodPoll></RequestMethod>
    <PollInterval>1</PollInterval>
    <PollUnits>S</PollUnits>
    <Device>1234567</Device>
    <DeviceType>20</DeviceType>
    <Timeout>500</Timeout>
    <Response>
      <Item><Function>901F</Function></Item>
    </Response>
  </Request>
  <Request caption="water">
    <Enabled>1</Enabled>
    <MethodPoll>1</MethodPoll><PollInterval>1</PollInterval><PollUnits>S</PollUnits>
    <Device>42</Device>
    <DeviceType>10</DeviceType>
    <Response><Item><Function>901F</Function></Item></Response>
  </Request>
</QUERY>
XML
"${host[@]}" --tcp "127.0.0.1:$port" --config "$dir/meters.xml" --json --duration 5s >"$dir/tcp.json" 2>"$dir/tcp.err"
check_readings tcp "$dir/tcp.json" "$dir/tcp.err" $?

# 3. Failures: exactly one line on stderr that names the place, and a non-zero exit.
# expect_failure NAME PATTERN ARGUMENTS...
expect_failure() {
  local name=$1 pattern=$2
  shift 2
  "${host[@]}" "$@" >"$dir/fail.out" 2>"$dir/fail.err"
  local status=$?
  [ "$status" -ne 0 ] || fail "$name: exit status 0"
  [ "$(wc -l <"$dir/fail.err")" -eq 1 ] || fail "$name: not one line on stderr: $(cat "$dir/fail.err")"
  grep -q -- "$pattern" "$dir/fail.err" || fail "$name: '$pattern' not in: $(cat "$dir/fail.err")"
}
expect_failure "missing serial device" "$dir/no-such-tty" --serial "$dir/no-such-tty" --meter 1 --duration 2s --no-reconnect
# The meter's port, once the meter is gone, refuses connections.
stop "$meter_tcp"
expect_failure "refused TCP port" "127.0.0.1:$port.*[Rr]efused" --tcp "127.0.0.1:$port" --meter 1 --duration 2s --no-reconnect
printf '<QUERY>\n  <Request>\n    <Device>1</Devic>\n  </Request>\n</QUERY>\n' >"$dir/broken.xml"
expect_failure "broken configuration" "$dir/broken.xml:3:14: end tag </Devic>" --config "$dir/broken.xml" --duration 2s
printf '<Requests><Request/></Requests>\n' >"$dir/noquery.xml"
expect_failure "configuration without QUERY" "$dir/noquery.xml: no QUERY" --config "$dir/noquery.xml" --duration 2s
expect_failure "plug-in library" "$dir/missing.so" --plugin "$dir/missing.so" --duration 2s
expect_failure "bad option" "--help" --serial
expect_failure "bad option value" "--poll" --poll soon

# 4. Simulated meters by default, ended by SIGINT: a clean end with status 0.
"${host[@]}" --json >"$dir/sim.json" 2>"$dir/sim.err" &
sim=$!
pids+=($sim)
has_three() { [ "$(wc -l <"$dir/sim.json")" -ge 3 ]; }
wait_for has_three || fail "no packets from simulated meters"
kill -INT "$sim"
wait "$sim"
status=$?
[ "$status" -eq 0 ] || fail "SIGINT: exit status $status: $(cat "$dir/sim.err")"
for device in 00000001234567 00000000000042 00000000778899; do
  jq -e -s --arg d "$device" 'any(.[]; .device == $d)' "$dir/sim.json" >/dev/null || fail "simulated meter $device not read"
done

finish "host end-to-end"
