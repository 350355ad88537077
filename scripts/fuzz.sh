#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer) and runs every one of them: its checked-in seed
# corpus (fuzz/corpus/NAME), then new inputs for the given time, with its dictionary
# (fuzz/NAME.dict) where there is one.
#   bash scripts/fuzz.sh [SECONDS-PER-TARGET] [NAME...]   (default 20 s, every target)
# New inputs go to build/fuzz-corpus/NAME (kept between runs, never into the checked-in
# corpus); the report of the last run of a target is build/fuzz-artifacts/NAME.log, and an
# input that crashed, leaked, timed out or ran out of memory in it is kept in
# build/fuzz-artifacts/NAME/. The targets' temporary files go to build/fuzz-tmp. Prints runs,
# coverage and findings per target; exits non-zero when any target found something or when
# the targets did not build.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

seconds=${1:-20}
shift $(($# > 0 ? 1 : 0))
build=build/fuzz
jobs=${CJT_FUZZ_JOBS:-$(nproc)}

mkdir -p build
echo "=== fuzz: build ==="
if ! CC=clang CXX=clang++ cmake -S . -B "$build" -DCJT_FUZZ=ON -DCJT_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
       >build/fuzz.configure.log 2>&1 ||
   ! cmake --build "$build" --target cjt_fuzz_targets -j"$jobs" >build/fuzz.build.log 2>&1; then
  tail -n 40 build/fuzz.configure.log build/fuzz.build.log
  echo "FAILED: the fuzz targets did not build"
  exit 1
fi

# Undefined behaviour is a finding too, not a message to read past.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=1
# A target that crashed left its scratch files there; they go before the next run.
export TMPDIR=$root/build/fuzz-tmp
rm -rf "$TMPDIR"
mkdir -p "$TMPDIR"

# The figures of libFuzzer's last status line: runs, cov, ft.
figures() {
  local log=$1
  local line
  line=$(grep -E '^#[0-9]+[[:space:]]+(DONE|INITED|NEW|REDUCE|pulse)' "$log" | tail -n 1)
  local runs cov ft
  runs=$(sed -nE 's/^#([0-9]+).*/\1/p' <<<"$line")
  cov=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$line")
  ft=$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<<"$line")
  echo "runs ${runs:-?} cov ${cov:-?} ft ${ft:-?}"
}

# What went wrong, from libFuzzer's report: crash, leak, timeout, oom or nothing.
finding() {
  local log=$1
  if grep -q 'ERROR: LeakSanitizer' "$log"; then echo leak
  elif grep -q 'ERROR: libFuzzer: timeout' "$log"; then echo timeout
  elif grep -qE 'ERROR: libFuzzer: out-of-memory|malloc limit' "$log"; then echo oom
  elif grep -qE 'ERROR: (AddressSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error:|SUMMARY: ' "$log"; then echo crash
  fi
}

# run_target PATH: one target over its corpus and for the chosen time; prints its line (and
# the first lines of the report on a finding).
run_target() {
  local program=$1 name
  name=$(basename "$program")
  local scratch=build/fuzz-corpus/$name artifacts=build/fuzz-artifacts/$name
  local log=build/fuzz-artifacts/$name.log
  rm -rf "$artifacts"
  mkdir -p "$scratch" "$artifacts"
  local args=("$scratch")
  [ -d "fuzz/corpus/$name" ] && args+=("fuzz/corpus/$name")
  [ -f "fuzz/$name.dict" ] && args+=("-dict=fuzz/$name.dict")
  "$program" "${args[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$artifacts/" -print_final_stats=1 >"$log" 2>&1
  local status=$? found
  found=$(finding "$log")
  [ -z "$found" ] && [ $status -ne 0 ] && found="exit status $status"
  printf '%-28s %s findings: %s\n' "$name" "$(figures "$log")" "${found:-none}"
  if [ -n "$found" ]; then
    grep -E 'ERROR:|runtime error:|SUMMARY:|Test unit written' "$log" | head -n 5 | sed 's/^/    /'
  else
    rmdir "$artifacts"
  fi
}

targets=()
if [ $# -gt 0 ]; then
  for name in "$@"; do targets+=("$build/fuzz/$name"); done
else
  for program in "$build"/fuzz/*_fuzz; do [ -x "$program" ] && targets+=("$program"); done
fi
if [ ${#targets[@]} -eq 0 ]; then
  echo "FAILED: no fuzz targets in $build/fuzz"
  exit 1
fi

# The targets run side by side, as many at a time as the build used jobs; their lines are
# printed in order when all have run.
echo "=== fuzz: ${#targets[@]} targets, $seconds s each, $jobs at a time ==="
mkdir -p build/fuzz-artifacts
for program in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
  run_target "$program" >"build/fuzz-artifacts/$(basename "$program").summary" &
done
wait
failed=()
for program in "${targets[@]}"; do
  summary=build/fuzz-artifacts/$(basename "$program").summary
  cat "$summary"
  grep -q 'findings: none$' "$summary" || failed+=("$(basename "$program")")
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED fuzz targets: ${failed[*]} (inputs and reports in build/fuzz-artifacts/)"
  exit 1
fi
echo "All fuzz targets ran without findings."
