#!/usr/bin/env bash
# Makes the Windows package build-win32/package/tessaly-1.0-win32.zip from the 32-bit build (built
# first when needed) and checks that it holds what a Windows client needs.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSALY_WIN_BUILD_DIR:-$here/build-win32}
TESSALY_WIN_ARCH=i686 TESSALY_WIN_BUILD_DIR=$build bash "$here/scripts/build-windows.sh"
(cd "$build" && cpack -G ZIP >/dev/null)
zip=$build/package/tessaly-1.0-win32.zip
listing=$(unzip -Z1 "$zip")
for needed in Tessaly.dll Trelvin.dll Cyvelle.dll Parvex.dll Dunmore.dll tessaly-host.exe Tessaly.def \
              README-Windows.txt include/tessaly/tessaly.h Config/VomoLoginCfg.xml Config/orvane.cfg \
              Config/Parvex.cfg Config/PreLoginWait/wait.htm; do
  if ! grep -qx "$needed" <<<"$listing"; then
    echo "package-windows.sh: $needed is missing from $zip" >&2
    exit 1
  fi
done
echo "$zip"
