#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs the whole suite under a virtual X
# display (xvfb-run starts its own server, so no display is needed); then the window and host tests
# labelled "wayland" once more on a Wayland-only session under a headless compositor.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/install-deps.sh"
bash "$here/scripts/build.sh"
build=${TESSALY_BUILD_DIR:-$here/build}
cd "$build"
# -noreset: by default the server resets whenever its last client leaves and refuses a client that
# connects meanwhile, which a window test reads as "cannot open display" about once in twenty runs.
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j2 --timeout 600 "$@"
bash "$here/scripts/wayland-session.sh" ctest --output-on-failure -j2 --timeout 600 -L '^wayland$' "$@"
bash "$here/scripts/test-windows.sh"
