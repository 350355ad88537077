#!/usr/bin/env bash
# MQTT output against a mosquitto broker of the test's own on a free loopback port: readings
# reach a subscriber on their topics with the payloads of --json; the broker stopped and
# started again during the run: the readings taken meanwhile arrive afterwards, in order, none
# twice; the retained status says online, offline after a clean end, and offline (the last
# will) when the program is killed.
# Usage: host_mqtt_e2e.sh HOST-PROGRAM METER-PROGRAM
# Exits 77 (skipped, loudly) when the broker or its clients are not installed.
set -uo pipefail
read -r -a emulator <<<"${CJT_EMULATOR:-}"
host=("${emulator[@]}" "$1")
meter=("${emulator[@]}" "$2")
source "$(dirname "$0")/e2e_lib.sh"
mosquitto=$(command -v mosquitto || echo /usr/sbin/mosquitto)
[ -x "$mosquitto" ] || skip_without mosquitto "the MQTT broker"
skip_without mosquitto_sub "the MQTT clients"
skip_without mosquitto_pub "the MQTT clients"

broker_port=$(free_port)
mkdir -p "$dir/broker"
# Persistence keeps the subscriber's session (and what waits for it) over the broker's restart;
# the broker stays the test's user (started as root it would become "mosquitto" and could not
# write its database here).
cat >"$dir/broker.conf" <<CONF
user $(id -un)
listener $broker_port 127.0.0.1
allow_anonymous true
persistence true
persistence_location $dir/broker/
CONF
start_broker() {
  "$mosquitto" -c "$dir/broker.conf" >>"$dir/broker.log" 2>&1 &
  broker_pid=$!
  pids+=("$broker_pid")
  wait_for mosquitto_pub -p "$broker_port" -t probe/up -m up 2>/dev/null || fail "the broker did not start: $(cat "$dir/broker.log")"
}
# retained TOPIC: the retained message on the topic (empty when none within 1 s).
retained() { mosquitto_sub -p "$broker_port" -t "$1" -C 1 -W 1 2>/dev/null; }
is_retained() { [ "$(retained "$1")" = "$2" ]; }

start_broker
mosquitto_sub -p "$broker_port" -q 1 -c -i cjt-test-subscriber -t 'test/#' -v >"$dir/sub.log" 2>"$dir/sub.err" &
pids+=($!)
subscribed() {
  mosquitto_pub -p "$broker_port" -t test/probe -m probe
  grep -q '^test/probe probe$' "$dir/sub.log"
}
wait_for subscribed || fail "the subscriber did not subscribe: $(cat "$dir/sub.err")"
start_meter_tcp 0 "$dir/meter.log" --meter heat:1234567 --meter water:42

# mqtt_host CLIENT-ID OUT ERR: the host program reading both meters and publishing.
mqtt_host() {
  "${host[@]}" --tcp "127.0.0.1:$port" --meter 1234567:heat --meter 42:water --poll 500ms --timeout 300ms --json \
    --mqtt "127.0.0.1:$broker_port" --mqtt-topic 'test/{device}/{function}' --mqtt-status-topic 'status/{client}' \
    --mqtt-client-id "$1" --reconnect-delay 200ms --reconnect-max 400ms --duration 60s >"$2" 2>"$3" &
  host_pid=$!
  pids+=("$host_pid")
}
readings() { grep -vc '^test/probe ' "$dir/sub.log"; }
lines() { wc -l <"$1"; }

# 1. Readings arrive; the broker goes away and comes back; the host ends cleanly.
mqtt_host host1 "$dir/host1.json" "$dir/host1.err"
has_readings() { [ "$(readings)" -ge "$1" ]; }
wait_for has_readings 2 || fail "no readings at the subscriber: $(cat "$dir/host1.err")"
is_retained status/host1 online || fail "status not online while connected: '$(retained status/host1)'"
stop "$broker_pid"
queued_from=$(lines "$dir/host1.json")
more_lines() { [ "$(lines "$dir/host1.json")" -ge $((queued_from + $1)) ]; }
wait_for more_lines 3 || fail "no readings taken while the broker was away"
grep -q "MQTT broker 127.0.0.1:$broker_port: connection lost" "$dir/host1.err" ||
  fail "the lost broker is not reported: $(cat "$dir/host1.err")"
start_broker
all_arrived() { [ "$(readings)" -ge "$(lines "$dir/host1.json")" ]; }
wait_for all_arrived || fail "the queued readings did not arrive: $(readings) of $(lines "$dir/host1.json")"
kill -INT "$host_pid"
wait "$host_pid"
status=$?
[ "$status" -eq 0 ] || fail "exit status $status: $(cat "$dir/host1.err")"
grep -q AddressSanitizer "$dir/host1.err" && fail "sanitizer report: $(cat "$dir/host1.err")"
wait_for all_arrived || fail "the last readings did not arrive"
# Every reading of the output, at the subscriber, in order, once, on its device's and
# function's topic.
python3 - "$dir/sub.log" "$dir/host1.json" <<'PY' || fail "the subscriber's readings differ from the output"
import json, sys
received = [line.rstrip("\n").split(" ", 1) for line in open(sys.argv[1]) if not line.startswith("test/probe ")]
output = [line.rstrip("\n") for line in open(sys.argv[2]) if line.strip()]
payloads = [payload for _, payload in received]
# Two readings of one meter within a second can be equal texts, so the sequences are compared
# as a whole: a reading lost, repeated or out of place makes them differ.
if payloads != output:
    first = next((i for i, (a, b) in enumerate(zip(payloads, output)) if a != b), min(len(payloads), len(output)))
    sys.exit(f"{len(payloads)} received, {len(output)} in the output, first difference at {first}")
for topic, payload in received:
    packet = json.loads(payload)
    if topic != f"test/{packet['device']}/{packet['function']}":
        sys.exit(f"topic {topic} for {payload}")
print(f"{len(payloads)} readings received in order, none lost or twice")
PY
is_retained status/host1 offline || fail "status not offline after a clean end: '$(retained status/host1)'"

# 2. The last will: a host killed without a word leaves "offline" behind.
mqtt_host host2 "$dir/host2.json" "$dir/host2.err"
wait_for is_retained status/host2 online || fail "the second host never said online: $(cat "$dir/host2.err")"
kill -KILL "$host_pid"
wait "$host_pid" 2>/dev/null
wait_for is_retained status/host2 offline || fail "no last will after the host was killed: '$(retained status/host2)'"

finish "host MQTT end-to-end"
