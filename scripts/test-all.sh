#!/usr/bin/env bash
# Builds and tests every flavour:
#   native-asan  all tests with AddressSanitizer and UndefinedBehaviorSanitizer
#   native-tsan  the threaded tests with ThreadSanitizer
#   fuzz         every fuzz target (clang, libFuzzer) over its seed corpus and 20 s more
#   linux32      all tests of the 32-bit x86 build with the POSIX platform layer; under
#                qemu-i386-static where the kernel executes no 32-bit programs
#   win64        all tests of the 64-bit Windows build under wine64
#   win32        the 32-bit Windows build, the real target: always built and statically
#                checked; its tests run under wine where the kernel executes 32-bit programs
#   packages     the Debian package from a Release tree of the packaged programs only, unpacked
#                and run against simulated meters; the ZIPs of win64 and win32, their contents
#                checked
# CJT_NO_32BIT=1 answers "cannot execute 32-bit programs" without asking the kernel, to try
# that path on any machine.
# Extra arguments go to every ctest run (for example --repeat until-fail:10).
# Exits non-zero when any build or test fails.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh || exit 1

jobs=$(nproc)
ctest_extra=("$@")
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
failed=()
mkdir -p build

# run_flavour NAME CTEST-ARGS -- CMAKE-ARGS...
run_flavour() {
  local name=$1 ctest_args=$2
  shift 3
  echo "=== $name ==="
  if cmake -S . -B "build/$name" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"build/$name.configure.log" 2>&1 &&
     cmake --build "build/$name" -j"$jobs" >"build/$name.build.log" 2>&1; then
    # shellcheck disable=SC2086
    (cd "build/$name" && ctest --output-on-failure -j"$jobs" $ctest_args "${ctest_extra[@]}") || failed+=("$name tests")
  else
    tail -n 40 "build/$name.configure.log" "build/$name.build.log"
    failed+=("$name build")
  fi
}

# package_zip NAME OBJDUMP: the Windows flavour's ZIP, made from its tree, and its contents.
package_zip() {
  echo "=== $1 package ==="
  if (cd "build/$1" && cpack -G ZIP >"../$1.cpack.log" 2>&1); then
    bash tests/tools/package_zip_test.sh "build/$1"/packages/cjt188-*-"$1".zip "$2" || failed+=("$1 package")
  else
    tail -n 20 "build/$1.cpack.log"
    failed+=("$1 package")
  fi
}

# Can the kernel execute 32-bit x86 programs? Some kernels of our machines refuse them
# ("Exec format error"); a tiny -m32 program tells. Sets can_run_32 and why_not_32.
probe_32bit() {
  can_run_32=false
  if [ -n "${CJT_NO_32BIT:-}" ]; then
    why_not_32="CJT_NO_32BIT is set"
    return
  fi
  local dir=build/probe32
  mkdir -p "$dir"
  printf 'int main(void) { return 0; }\n' >"$dir/probe.c"
  if ! gcc -m32 "$dir/probe.c" -o "$dir/probe" 2>"$dir/error"; then
    why_not_32="gcc -m32 fails: $(head -n 1 "$dir/error")"
    return
  fi
  if "$dir/probe" 2>"$dir/error"; then
    can_run_32=true
  else
    why_not_32="the kernel refuses: $(head -n 1 "$dir/error")"
  fi
}

probe_32bit
if $can_run_32; then
  echo "32-bit programs: this machine executes them; linux32 runs natively, win32 under wine."
else
  echo "32-bit programs: this machine cannot execute them ($why_not_32);" \
       "linux32 runs under qemu-i386-static, win32 is built and checked without running."
fi

run_flavour native-asan "" -- -DCJT_SANITIZE=address,undefined
run_flavour native-tsan "-L threads" -- -DCJT_SANITIZE=thread

echo "=== Debian package ==="
bash scripts/package-deb.sh build/package || failed+=("Debian package")

# No fuzz target may rot: each is built and runs its checked-in corpus and 20 s more.
echo "=== fuzz ==="
bash scripts/fuzz.sh 20 || failed+=("fuzz")

# The cross trees are built without debug information: they are there to be tested, and
# without it their builds take a fifth less time and a tenth of the disk.
no_debug_info=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG")

linux32_emulator=()
$can_run_32 || linux32_emulator=(-DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v qemu-i386-static)")
run_flavour linux32 "" -- -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-linux32.cmake "${linux32_emulator[@]}" \
  "${no_debug_info[@]}"

# The wine tests of the host program talk over TCP to the native meter program built above.
native_meter="$root/build/native-asan/tools/cjt188-meter/cjt188-meter"

# with_wine PREFIX LOADER COMMAND...: runs the command with its own wine prefix and one
# wineserver for the whole of it, instead of a server started and ended with every burst of
# programs (Debian's wine keeps a server only while a program uses it). The LOADER's wineboot
# sets the prefix up once, before tests run in parallel.
with_wine() {
  local prefix=$1 loader=$2
  shift 2
  export WINEPREFIX=$prefix
  /usr/lib/wine/wineserver64 -p
  "$loader" wineboot -i >/dev/null 2>&1 || true
  "$@"
  /usr/lib/wine/wineserver64 -k
  unset WINEPREFIX
}

# Under wine a test program has been seen, rarely (three times in some 550 runs of the Windows
# suites), to hang at its exit after all its tests had passed; ctest runs a test that timed
# out there once more, unless the caller asked for repeats of its own.
wine_ctest="--repeat after-timeout:2"
[[ " ${ctest_extra[*]} " == *" --repeat"* ]] && wine_ctest=""

# win64 calls the 64-bit loader itself (Debian's "wine" starts the 32-bit one first whenever
# it is installed).
with_wine "$root/build/wineprefix64" /usr/lib/wine/wine64 run_flavour win64 "$wine_ctest" -- \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake -DCJT_NATIVE_METER="$native_meter" "${no_debug_info[@]}"
package_zip win64 x86_64-w64-mingw32-objdump

if $can_run_32; then
  with_wine "$root/build/wineprefix" wine run_flavour win32 "$wine_ctest" -- \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake -DCJT_NATIVE_METER="$native_meter" "${no_debug_info[@]}"
else
  run_flavour win32 "-L static" -- -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake "${no_debug_info[@]}"
  echo "!!!!! win32 TESTS SKIPPED: this machine cannot execute 32-bit programs ($why_not_32);" \
       "the 32-bit DLL was built and its exports, imports and record layouts checked, nothing of it was run. !!!!!"
fi
package_zip win32 i686-w64-mingw32-objdump

if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "All flavours built and passed."
