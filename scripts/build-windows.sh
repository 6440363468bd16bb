#!/usr/bin/env bash
# Cross-builds the Windows version (32-bit Tessaly.dll, its companions, tessaly-host.exe and the tests)
# into ./build-win32 (or $TESSALY_WIN_BUILD_DIR). TESSALY_WIN_ARCH=x86_64 builds the 64-bit variant
# into ./build-win64 instead (the same sources; it is what this machine can run under Wine when it
# cannot run 32-bit programs). Extra arguments go to cmake.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
arch=${TESSALY_WIN_ARCH:-i686}
case "$arch" in
  i686) default_dir=$here/build-win32 ;;
  x86_64) default_dir=$here/build-win64 ;;
  *) echo "TESSALY_WIN_ARCH must be i686 or x86_64" >&2; exit 2 ;;
esac
build=${TESSALY_WIN_BUILD_DIR:-$default_dir}
cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-$arch-w64-mingw32.cmake" \
  -DCMAKE_BUILD_TYPE=${TESSALY_BUILD_TYPE:-RelWithDebInfo} "$@" >/dev/null
# TESSALY_WIN_TARGETS (space-separated) builds only those targets.
read -r -a targets <<<"${TESSALY_WIN_TARGETS:-}"
if [ ${#targets[@]} -gt 0 ]; then
  cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"
else
  cmake --build "$build" -j"$(nproc)"
fi
