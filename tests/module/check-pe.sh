#!/usr/bin/env bash
# Checks a Windows DLL's export table and import list:
#   check-pe.sh OBJDUMP DLL EXPORT...
# The DLL must export exactly the names given (undecorated: no leading underscore, no @n) and import
# nothing but DLLs that come with Windows itself (the C++ runtime, libgcc and winpthreads are linked
# in statically, so no runtime DLL may appear).
set -euo pipefail
objdump=$1
dll=$2
shift 2
expected=$(printf '%s\n' "$@" | sort)
dump=$("$objdump" -p "$dll")

# The export table lists "[Ordinal/Name Pointer] Table" lines of the form "\t[   0] +base[   1] Name".
exports=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  sed -n 's/^\s*\[\s*[0-9]*\]\s*\(+base\[\s*[0-9]*\]\s*[0-9a-f]*\s*\)\?//p' | awk 'NF {print $NF}' | sort)
if [ "$exports" != "$expected" ]; then
  echo "$dll exports:"; printf '%s\n' "$exports"; echo "expected:"; printf '%s\n' "$expected"
  exit 1
fi

system_dlls='^(kernel32|user32|gdi32|gdiplus|advapi32|ole32|oleaut32|shlwapi|shell32|comctl32|comdlg32|iphlpapi|msvcrt|ucrtbase|ws2_32|winhttp|bcrypt|crypt32|secur32|version|uxtheme|imm32|msimg32|rpcrt4|setupapi|winmm|ntdll|xmllite|urlmon|wininet|dbghelp|api-ms-win-[a-z0-9-]+)\.dll$'
imports=$(printf '%s\n' "$dump" | sed -n 's/^\s*DLL Name: //p' | sort -u)
status=0
while IFS= read -r name; do
  [ -z "$name" ] && continue
  if ! printf '%s\n' "$name" | tr '[:upper:]' '[:lower:]' | grep -Eq "$system_dlls"; then
    echo "$dll imports $name, which is not a Windows system DLL"
    status=1
  fi
done <<<"$imports"
exit $status
