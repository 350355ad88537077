#!/usr/bin/env bash
# The Windows build of cjt188-host under wine, through the DLL beside it: simulated meters,
# and, when a native cjt188-meter program is given, a TCP connection to it.
# Usage: host_wine.sh WINE HOST-EXE [NATIVE-METER-PROGRAM]
# WINE: the loader that runs the build's programs (wine for 32-bit, wine64 for 64-bit).
# Exits 77 (skipped) when no meter program is given, after the simulated run passed.
set -uo pipefail
wine=$1
host=$2
meter=${3:-}
dir=$(mktemp -d)
meter_pid=
cleanup() {
  [ -n "$meter_pid" ] && kill "$meter_pid" 2>/dev/null && wait "$meter_pid" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# check NAME JSON-FILE STATUS DEVICE...: every device has a reading with a unit.
check() {
  local name=$1 out=$2 status=$3
  shift 3
  if [ "$status" -ne 0 ]; then
    echo "FAIL: $name: exit status $status: $(cat "$dir/err")"
    exit 1
  fi
  for device in "$@"; do
    if ! jq -e -s --arg d "$device" 'any(.[]; .device == $d and .status == "ok"
            and (.values.CUMULATIVE_FLOW.value | type) == "number" and .values.CUMULATIVE_FLOW.unit == "m3")' \
         "$out" >/dev/null; then
      echo "FAIL: $name: no reading of $device in: $(head -c 2000 "$out")"
      exit 1
    fi
  done
  echo "$name: passed"
}

"$wine" "$host" --simulate --json --duration 6s >"$dir/sim.json" 2>"$dir/err"
check "simulated meters under wine" "$dir/sim.json" $? 00000001234567 00000000000042 00000000778899

if [ -z "$meter" ]; then
  echo "no native meter program given: the TCP run is skipped"
  exit 77
fi
# start_meter METER-OPTIONS...: the native meter program on a free TCP port, in $port.
start_meter() {
  "$meter" --tcp 0 "$@" >"$dir/meter.log" 2>&1 &
  meter_pid=$!
  for _ in $(seq 100); do
    grep -q "listening on" "$dir/meter.log" && break
    sleep 0.1
  done
  port=$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$dir/meter.log")
}
start_meter --meter heat:1234567 --meter gas:778899
"$wine" "$host" --tcp "127.0.0.1:$port" --meter 1234567:heat --meter 778899:gas --poll 1s --json --duration 6s \
  >"$dir/tcp.json" 2>"$dir/err"
check "TCP under wine" "$dir/tcp.json" $? 00000001234567 00000000778899

# The address of the one meter on a line: the first meter alone this time.
kill "$meter_pid" && wait "$meter_pid" 2>/dev/null
start_meter --meter cooling:31415926
"$wine" "$host" --tcp "127.0.0.1:$port" --scan --timeout 500ms >"$dir/scan.out" 2>"$dir/err"
status=$?
if [ "$status" -ne 0 ] || ! grep -q "^address 00000031415926 type 0x21 (Heat meter (cooling))" "$dir/scan.out"; then
  echo "FAIL: scan under wine: exit status $status, printed: $(cat "$dir/scan.out") $(cat "$dir/err")"
  exit 1
fi
echo "scan under wine: passed"
