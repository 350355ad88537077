# Shared by the host program's end-to-end scripts (sourced, not run): a scratch folder and the
# processes started into it, removed at the end; failures counted; waiting; the meter program
# on a pseudo-terminal pair or a TCP port; the readings of a heat and a water meter checked;
# loud skips.
# The sourcing script sets host=(...) and meter=(...) (with CJT_EMULATOR in front) first.

dir=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# finish NAME: the script's verdict and exit status.
finish() {
  if [ "$failures" -gt 0 ]; then
    echo "$failures failed"
    exit 1
  fi
  echo "$1: all passed"
  exit 0
}

# skip_without PROGRAM WHY: exits 77 (skipped) with a line nobody can miss when the program
# is not installed.
skip_without() {
  command -v "$1" >/dev/null && return 0
  echo "!!!!! SKIPPED: $1 is not installed ($2); scripts/setup.sh installs it !!!!!"
  exit 77
}

# wait_for COMMAND...: up to 10 s for the command to succeed.
wait_for() {
  for _ in $(seq 100); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# stop PID: ends a process started here and waits for it.
stop() {
  kill "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}

# start_pty_pair METER-LINK HOST-LINK: socat joins two pseudo-terminals at those names; sets
# socat_pid.
start_pty_pair() {
  socat -d -d "pty,raw,echo=0,link=$1" "pty,raw,echo=0,link=$2" 2>>"$dir/socat.log" &
  socat_pid=$!
  pids+=("$socat_pid")
  wait_for test -e "$1" -a -e "$2" || fail "socat made no pseudo-terminals: $(cat "$dir/socat.log")"
}

# start_meter LOG READY-TEXT METER-ARGUMENTS...: the meter program, waited for until its log
# says READY-TEXT; sets meter_pid.
start_meter() {
  local log=$1 ready=$2
  shift 2
  "${meter[@]}" "$@" >"$log" 2>&1 &
  meter_pid=$!
  pids+=("$meter_pid")
  wait_for grep -q "$ready" "$log" || fail "meter $* did not start: $(cat "$log")"
}

# start_meter_serial DEVICE LOG METER-OPTIONS...: the meter program serving the device.
start_meter_serial() {
  local device=$1 log=$2
  shift 2
  start_meter "$log" serving --serial "$device" "$@"
}

# start_meter_tcp PORT LOG METER-OPTIONS...: the meter program listening on the port (0: a free
# one); sets port too.
start_meter_tcp() {
  local wanted=$1 log=$2
  shift 2
  start_meter "$log" "listening on" --tcp "$wanted" "$@"
  port=$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$log")
}

# free_port: a TCP port on the loopback that nothing listens on now.
free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# count_lines FILE JQ-FILTER: the number of JSON lines in the file that pass the filter.
count_lines() {
  jq -c "select($2)" "$1" 2>/dev/null | wc -l
}

# check_readings NAME JSON-FILE STDERR-FILE EXIT-STATUS: a heat and a water meter read.
check_readings() {
  local name=$1 out=$2 err=$3 status=$4
  [ "$status" -eq 0 ] || fail "$name: exit status $status: $(cat "$err")"
  grep -q AddressSanitizer "$err" && fail "$name: sanitizer report: $(cat "$err")"
  jq -e -s 'any(.[]; .device == "00000001234567" and .status == "ok" and .function == "901F"
                and .values.ENERGY_HEAT.unit == "kWh" and .values.ENERGY_HEAT.value > 0
                and .values.TEMP_INLET.value > .values.TEMP_OUTLET.value)' "$out" >/dev/null ||
    fail "$name: no heat meter reading in $(head -c 2000 "$out")"
  jq -e -s 'any(.[]; .device == "00000000000042" and .values.CUMULATIVE_FLOW.unit == "m3"
                and (.values.CUMULATIVE_FLOW.value | type) == "number")' "$out" >/dev/null ||
    fail "$name: no water meter reading in $(head -c 2000 "$out")"
  jq -e -s 'all(.[]; .source != null and .time != null)' "$out" >/dev/null || fail "$name: malformed packets"
  grep -q "^requests [1-9]" "$err" || fail "$name: no closing counts on stderr: $(cat "$err")"
}

# at_least N FILE JQ-FILTER: true when that many lines pass.
at_least() {
  [ "$(count_lines "$2" "$3")" -ge "$1" ]
}
