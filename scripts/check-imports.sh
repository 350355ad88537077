#!/usr/bin/env bash
# Fails when a Windows binary imports anything but system DLLs: the plug-in must load on a
# plain Windows installation, without the compiler's runtime DLLs.
set -u
file=$1
objdump=${2:-$(command -v i686-w64-mingw32-objdump || command -v objdump)}
imports=$("$objdump" -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
allowed='^(kernel32|user32|gdi32|advapi32|oleaut32|ole32|shell32|shlwapi|version|msvcrt|ws2_32|comctl32)\.dll$'
bad=$(printf '%s\n' "$imports" | grep -v -E "$allowed" | grep -v '^$')
if [ -n "$bad" ]; then
  echo "$file imports non-system DLLs:"
  echo "$bad"
  exit 1
fi
echo "$file imports only system DLLs: $(echo $imports)"
