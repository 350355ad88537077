#!/usr/bin/env bash
# Builds and tests every flavour:
#   native-asan  all tests with AddressSanitizer and UndefinedBehaviorSanitizer
#   native-tsan  the threaded tests with ThreadSanitizer
#   linux32      all tests of the 32-bit x86 build with the POSIX platform layer
#   win32        all tests of the 32-bit Windows build under wine
# Exits non-zero when any build or test fails.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh || exit 1

jobs=$(nproc)
export WINEDEBUG=-all
export WINEPREFIX="$root/build/wineprefix"
export WINEDLLOVERRIDES="mscoree,mshtml="
failed=()

# run_flavour NAME CTEST-ARGS -- CMAKE-ARGS...
run_flavour() {
  local name=$1 ctest_args=$2
  shift 3
  echo "=== $name ==="
  if cmake -S . -B "build/$name" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"build/$name.configure.log" 2>&1 &&
     cmake --build "build/$name" -j"$jobs" >"build/$name.build.log" 2>&1; then
    # shellcheck disable=SC2086
    (cd "build/$name" && ctest --output-on-failure -j"$jobs" $ctest_args) || failed+=("$name tests")
  else
    tail -n 40 "build/$name.configure.log" "build/$name.build.log"
    failed+=("$name build")
  fi
}

mkdir -p build
run_flavour native-asan "" -- -DCJT_SANITIZE=address,undefined
run_flavour native-tsan "-L threads" -- -DCJT_SANITIZE=thread
run_flavour linux32 "" -- -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-linux32.cmake
# wine sets up its prefix on first use; do it once before tests run in parallel.
wineboot -i >/dev/null 2>&1 || true
# The wine test of the host program talks over TCP to the native meter program built above.
run_flavour win32 "" -- -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake \
  -DCJT_NATIVE_METER="$root/build/native-asan/tools/cjt188-meter/cjt188-meter"

if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "All flavours built and passed."
