#!/usr/bin/env bash
# Configures and builds Tessaly into ./build (or $TESSALY_BUILD_DIR). Extra arguments go to cmake.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSALY_BUILD_DIR:-$here/build}
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=${TESSALY_BUILD_TYPE:-RelWithDebInfo} "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
