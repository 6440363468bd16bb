#!/usr/bin/env bash
# Runs a command with the Windows tests' Wine at another DPI: a prefix of its own (the default root
# with "-<dpi>dpi" appended, so programs of the default prefix never start at that DPI), its screen
# set to that DPI, its wineserver and desktop started on the tests' display and ended afterwards.
#   with-dpi.sh DPI COMMAND...
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
dpi=$1
shift
export TESSALY_WINE_ROOT="${TESSALY_WINE_ROOT:-/tmp/tessaly-wine-$(id -u)}-${dpi}dpi"
bash "$here/scripts/wine-prepare.sh" --dpi "$dpi"
trap 'bash "$here/scripts/wine-prepare.sh" stop' EXIT
"$@"
