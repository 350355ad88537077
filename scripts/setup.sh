#!/usr/bin/env bash
# Installs what building and testing every flavour needs, when it is missing (Debian 12).
#   --demo  only what the demo needs: the native build of the host program and the plug-in.
set -euo pipefail

# The host program's command line and JSON output use cxxopts and nlohmann::json (header-only,
# copied into every flavour's build tree).
demo_packages=(cmake make g++ libcxxopts-dev nlohmann-json3-dev)
# zlib for the tests that gunzip the options script: native, i386 (linux32) and mingw (win32,
# win64); wine32 and wine64 run the Windows flavours' tests; qemu-user-static runs the linux32
# tests on kernels that execute no 32-bit programs; socat, jq and python3 (free ports, CSV checks)
# for the host program's end-to-end tests; clang and its runtime libraries (libclang_rt.fuzzer
# among them) build the fuzz targets; libmosquitto-dev for the host program's MQTT output, the
# mosquitto broker and its clients for its end-to-end tests; dpkg-dev (dpkg-shlibdeps: the
# Debian package's dependencies) and unzip for the packages and their tests.
packages=("${demo_packages[@]}" clang libclang-rt-14-dev g++-multilib git googletest libbenchmark-dev zlib1g-dev zlib1g-dev:i386
          g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
          libz-mingw-w64-dev wine wine32 wine64 qemu-user-static socat jq python3 libmosquitto-dev mosquitto mosquitto-clients
          dpkg-dev unzip)

demo=false
[ "${1:-}" = "--demo" ] && demo=true
$demo && packages=("${demo_packages[@]}")

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# wine32 comes from the i386 architecture.
if ! $demo && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi

missing=()
for package in "${packages[@]}"; do
  # dpkg-query, not dpkg -s: a name installed for two architectures (zlib1g-dev) is ambiguous to dpkg -s.
  dpkg-query -W -f='${db:Status-Status}\n' "$package" 2>/dev/null | grep -qx installed || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi
