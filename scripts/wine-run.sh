#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's private prefix (scripts/wine-env.sh):
#   wine-run.sh [--64] PROGRAM [ARGS...]
# --64 for a program of the 64-bit build. The program's exit code comes through. CMake's
# cross-compiling emulator, so ctest runs the Windows tests through it.
set -euo pipefail
# shellcheck source=wine-env.sh
source "$(dirname "$0")/wine-env.sh"
if [ "${1:-}" = "--64" ]; then
  shift
  wine_use_64
else
  wine_use_32
fi
exec "$TESSALY_WINE" "$@"
