#!/usr/bin/env bash
# Builds the Debian package tessaly_<version>_amd64.deb from the build in ./build (or
# $TESSALY_BUILD_DIR; built first, which reuses what is already built) and checks it with lintian,
# which must report no errors and no warnings. The package lands in $TESSALY_PACKAGE_DIR (default:
# build/package).
# Run as root on Debian 12 (installs what is missing).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSALY_BUILD_DIR:-$here/build}
out=${TESSALY_PACKAGE_DIR:-$build/package}

bash "$here/scripts/install-deps.sh"
# A package is built from optimised code, whatever the build folder was configured with before.
TESSALY_BUILD_DIR=$build TESSALY_BUILD_TYPE=${TESSALY_BUILD_TYPE:-RelWithDebInfo} bash "$here/scripts/build.sh"
cpack --config "$build/CPackConfig.cmake" -B "$build/cpack" -D CPACK_OUTPUT_FILE_PREFIX="$out" >/dev/null
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb=$out/tessaly_${version}_amd64.deb
[ -f "$deb" ] || { echo "package.sh: cpack made no $deb" >&2; exit 1; }

# Errors and warnings fail the script; notes are shown.
report=$(lintian --tag-display-limit 0 "$deb" || true)
[ -z "$report" ] || echo "$report"
if grep -qE '^(E|W):' <<<"$report"; then
  echo "package.sh: lintian reports errors or warnings" >&2
  exit 1
fi
echo "$deb"
