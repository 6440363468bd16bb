#!/usr/bin/env bash
# Makes the private Wine prefix ready and starts its wineserver, so that the tests that follow start
# in well under a second each and none waits for Wine's helper processes. `wine-prepare.sh stop` ends
# the wineserver again. The prefix takes about 15 s to create the first time.
# `wine-prepare.sh --dpi N` also sets the prefix's screen to N DPI (96 is 100 %, 192 is 200 %); Wine
# reads it when a program starts. A prefix meant for another DPI should have a TESSALY_WINE_ROOT of
# its own, so that programs of the default prefix are not started at that DPI.
set -euo pipefail
# shellcheck source=wine-env.sh
source "$(dirname "$0")/wine-env.sh"
wine_use_64
dpi=
if [ "${1:-}" = "--dpi" ]; then
  dpi=$2
  shift 2
fi
if [ "${1:-}" = "stop" ]; then
  wineserver -k >/dev/null 2>&1 || true
  exit 0
fi
# The server's output is kept off any pipe: a reader of the pipe would otherwise wait for it.
wineserver -p >/dev/null 2>&1 </dev/null || true
if [ ! -f "$WINEPREFIX/.tessaly-ready" ]; then
  # No Mono or Gecko installers on the first start (they would ask on the display).
  WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml=" "$TESSALY_WINE" wineboot -i >/dev/null 2>&1 </dev/null
  # A crashing program fails with its exit code instead of waiting on the crash dialog.
  "$TESSALY_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  "$TESSALY_WINE" wineboot -s >/dev/null 2>&1 </dev/null || true
  touch "$WINEPREFIX/.tessaly-ready"
fi
if [ -n "$dpi" ]; then
  "$TESSALY_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
fi
# Wine's desktop process is started by the first program that makes a window (a COM apartment makes
# one) and would keep that program's output open, so a test runner reading it would wait until its
# time limit. A program that makes a window here, its output off any pipe, starts it and waits until
# it is up. It needs the display, so run this on the display the tests use.
if [ -n "${DISPLAY:-}" ]; then
  "$TESSALY_WINE" rundll32.exe user32.dll,GetDesktopWindow >/dev/null 2>&1 </dev/null || true
fi
