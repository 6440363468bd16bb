#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs the demo on the shipped default
# configuration: the stand-in service, a refused and an accepted PreLogin, then Redirect.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/install-deps.sh"
bash "$here/scripts/build.sh"
build=${TESSALY_BUILD_DIR:-$here/build}
exec "$build/out/tessaly-host" demo "$@"
