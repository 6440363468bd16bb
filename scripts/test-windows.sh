#!/usr/bin/env bash
# The Windows pass of the test command: cross-builds the shipped 32-bit build (build-win32/) and the
# 64-bit build of the same sources (build-win64/), checks the shipped DLLs' export tables and import
# lists, and runs the Windows suite (ctest label "windows") under Wine on a virtual display. The suite
# runs on the 32-bit build where this machine can run 32-bit programs, else on the 64-bit build (some
# kernels, such as this project's sandbox, refuse 32-bit programs outright). The Linux build (./build)
# must exist: the Windows tests talk to its stand-in service.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/install-deps.sh"
# shellcheck source=wine-env.sh
source "$here/scripts/wine-env.sh"
# The shipped 32-bit binaries are always built and checked; its tests only where they can run.
if wine_can_run_32; then
  TESSALY_WIN_ARCH=i686 bash "$here/scripts/build-windows.sh"
else
  TESSALY_WIN_ARCH=i686 TESSALY_WIN_TARGETS="tessaly Trelvin Cyvelle Parvex Dunmore tessaly-host" \
    bash "$here/scripts/build-windows.sh"
  TESSALY_WIN_ARCH=x86_64 bash "$here/scripts/build-windows.sh"
fi

if wine_can_run_32; then
  suite=$here/build-win32
else
  suite=$here/build-win64
  echo "This machine cannot run 32-bit programs: the Windows suite runs on the 64-bit build."
fi

(cd "$here/build-win32" && ctest --output-on-failure -L '^windows-pe$')
trap 'bash "$here/scripts/wine-prepare.sh" stop' EXIT
cd "$suite"
# The prefix is made ready on the tests' display, where Wine's desktop process starts off their pipes.
# One test at a time: the registry, which some tests switch tracing on in, is one for the whole prefix.
xvfb-run -a -s "-screen 0 1600x1200x24 -noreset" bash -c 'bash "$1" && shift &&
  exec ctest --output-on-failure -j1 --timeout 600 -L "^windows$" "$@"' _ "$here/scripts/wine-prepare.sh" "$@"
