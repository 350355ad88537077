#!/usr/bin/env bash
# The Windows ZIP as a user gets it: exactly the plug-in library, the host program, the
# language-file template and the install note at the top of the archive and the public header
# under include/; the library stripped and its version resource filled in.
# Usage: package_zip_test.sh PACKAGE.zip OBJDUMP (the Windows toolchain's)
set -uo pipefail
zip=$1 objdump=$2
source "$(dirname "$0")/e2e_lib.sh"

listed=$(unzip -Z1 "$zip" | grep -v '/$' | LC_ALL=C sort | tr '\n' ' ')
[ "$listed" = "INSTALL.txt cjt188-host.exe cjt188.dll cjt188.lng.template include/cjt188/host_abi.h " ] ||
  fail "$zip holds: $listed"

unzip -q "$zip" -d "$dir/unpacked"
dll="$dir/unpacked/cjt188.dll"
"$objdump" -h "$dll" | grep -q '\.debug_' && fail "cjt188.dll is not stripped"
version=$(strings -el "$dll" | grep -A1 -x FileVersion | tail -n 1)
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "cjt188.dll has no FileVersion (found '$version')"
grep -q "cjt188.lng" "$dir/unpacked/INSTALL.txt" || fail "INSTALL.txt does not tell about the language file"

finish package_zip_test
