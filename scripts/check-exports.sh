#!/usr/bin/env bash
# Fails unless the plug-in library exports exactly its eight functions, undecorated.
# Usage: check-exports.sh LIBRARY [OBJDUMP] (OBJDUMP: the one of the Windows toolchain that built a DLL)
set -u
file=$1
expected="CreatePluginInstance
ExecutePluginCommand
FreePluginInstance
GetLogEx
GetModuleInfo
GetOptionsDialog
ProcessData
ShowOptionsDialog"
case "$file" in
  *.dll)
    objdump=${2:-$(command -v i686-w64-mingw32-objdump || command -v objdump)}
    names=$("$objdump" -p "$file" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
            sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p')
    ;;
  *)
    names=$(nm -D --defined-only "$file" | awk '{print $3}')
    ;;
esac
names=$(printf '%s\n' "$names" | grep -v '^$' | LC_ALL=C sort)
if [ "$names" != "$expected" ]; then
  echo "$file exports:"
  echo "$names"
  exit 1
fi
echo "$file exports exactly the eight plug-in functions"
