#!/usr/bin/env bash
# The Debian package as a user gets it: unpacked into a scratch root (dpkg -x), its files where
# a system expects them, the systemd unit installed but not enabled, and the host program run
# from that root, without LD_LIBRARY_PATH, against meters that the meter program from the
# same root plays on a pseudo-terminal pair and on a TCP port.
# Usage: package_deb_test.sh PACKAGE.deb
set -uo pipefail
deb=$(realpath "$1")
source "$(dirname "$0")/e2e_lib.sh"

root="$dir/root"
dpkg -x "$deb" "$root" || { echo "FAIL: dpkg -x $deb"; exit 1; }
host=("$root/usr/bin/cjt188-host")
meter=("$root/usr/bin/cjt188-meter")

# The contents a user relies on.
for file in usr/bin/cjt188-host usr/bin/cjt188-meter usr/include/cjt188/host_abi.h \
            usr/lib/systemd/system/cjt188-host.service usr/share/doc/cjt188/cjt188-host.txt \
            usr/share/doc/cjt188/cjt188-meter.txt usr/share/doc/cjt188/examples/meters.xml \
            usr/share/doc/cjt188/examples/cjt188-host.env; do
  [ -s "$root/$file" ] || fail "the package has no $file"
done
plugin=$(find "$root/usr/lib" -name libcjt188.so -path '*/cjt188/*')
[ -n "$plugin" ] || fail "the package has no libcjt188.so in a cjt188 folder under /usr/lib"
readelf -S "$plugin" | grep -q '\.symtab' && fail "libcjt188.so is not stripped"
# Installed, never enabled: no link in a .wants folder and no maintainer script that enables it.
find "$root" -path '*.wants*' | grep -q . && fail "the package enables a unit"
dpkg-deb -e "$deb" "$dir/control"
grep -rqs "systemctl\|deb-systemd-helper" "$dir/control" && fail "a maintainer script enables the unit"
grep -q "^ExecStart=/usr/bin/cjt188-host " "$root/usr/lib/systemd/system/cjt188-host.service" ||
  fail "the unit does not start /usr/bin/cjt188-host"
grep -q -- "--meter" "$root/usr/share/doc/cjt188/cjt188-host.txt" || fail "cjt188-host.txt is not its --help"

# check_readings NAME JSON-FILE STDERR-FILE EXIT-STATUS: the heat and the water meter read.
check_readings() {
  local name=$1 out=$2 err=$3 status=$4
  [ "$status" -eq 0 ] || fail "$name: exit status $status: $(cat "$err")"
  jq -e -s 'any(.[]; .device == "00000001234567" and .status == "ok" and .values.ENERGY_HEAT.value > 0)' \
    "$out" >/dev/null || fail "$name: no heat meter reading in $(head -c 2000 "$out")"
  jq -e -s 'any(.[]; .device == "00000000000042" and .status == "ok")' "$out" >/dev/null ||
    fail "$name: no water meter reading in $(head -c 2000 "$out")"
}

meters=(--meter heat:1234567 --meter water:42)
quick=(--meter 1234567:heat --meter 42:water --poll 1s --timeout 500ms --json --duration 4s)
unset LD_LIBRARY_PATH

start_pty_pair "$dir/serial-meter" "$dir/serial-host"
start_meter_serial "$dir/serial-meter" "$dir/meter-serial.log" "${meters[@]}"
(cd "$dir" && "${host[@]}" --serial "$dir/serial-host" "${quick[@]}" >"$dir/serial.json" 2>"$dir/serial.err")
check_readings serial "$dir/serial.json" "$dir/serial.err" $?

start_meter_tcp 0 "$dir/meter-tcp.log" "${meters[@]}"
(cd "$dir" && "${host[@]}" --tcp "127.0.0.1:$port" "${quick[@]}" >"$dir/tcp.json" 2>"$dir/tcp.err")
check_readings tcp "$dir/tcp.json" "$dir/tcp.err" $?

finish package_deb_test
