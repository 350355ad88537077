#!/usr/bin/env bash
# Installs what building and testing every flavour needs, when it is missing (Debian 12).
set -euo pipefail

# zlib for the tests that gunzip the options script: native, i386 (linux32) and mingw (win32).
packages=(cmake make g++ g++-multilib git googletest libbenchmark-dev zlib1g-dev zlib1g-dev:i386
          g++-mingw-w64-i686 binutils-mingw-w64-i686 libz-mingw-w64-dev wine wine32)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# wine32 comes from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
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
