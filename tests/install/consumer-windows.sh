#!/usr/bin/env bash
# Host programs outside this project's targets, as a customer builds them: consumer-windows/consumer.c
# and consumer.cpp, each compiled on its own with the mingw-w64 compilers, "-I include" and the
# system libraries the header needs (ole32, user32), for 64-bit and for 32-bit Windows. Those of this
# build's architecture then run under Wine against the build's Tessaly.dll, from a private copy of the
# output folder pointed first at the stand-in service (TESSALY_TEST_SERVICE_URL, which
# tests/wine/with-service.sh provides) and then at a port where nothing listens. The other
# architecture's programs are only compiled and linked (this machine may not run 32-bit programs).
# usage: consumer-windows.sh OUT_DIR SOURCE_DIR WORK_DIR TRIPLET EMULATOR...
out=$1 source=$2 work=$3 triplet=$4
shift 4
. "$(dirname "$0")/common.sh"
[ -n "${TESSALY_TEST_SERVICE_URL:-}" ] || fail "no stand-in service: run through tests/wine/with-service.sh"
rm -rf "$work"
mkdir -p "$work"

for arch in x86_64 i686; do
  cc=$arch-w64-mingw32-gcc-posix cxx=$arch-w64-mingw32-g++-posix
  "$cc" -std=c11 -Wall -Wextra -Werror -municode -I "$source/include" "$source/tests/install/consumer-windows/consumer.c" \
    -o "$work/consumer-c-$arch.exe" -static -lole32 -luser32 || fail "the C consumer does not build for $arch"
  "$cxx" -std=c++20 -Wall -Wextra -Werror -municode -I "$source/include" \
    "$source/tests/install/consumer-windows/consumer.cpp" -o "$work/consumer-cpp-$arch.exe" -static -lole32 -luser32 ||
    fail "the C++ consumer does not build for $arch"
done
[[ $(i686-w64-mingw32-objdump -f "$work/consumer-c-i686.exe") == *pei-i386* ]] || fail "the 32-bit consumer is not a 32-bit program"

# The configured texts the library hands back: the wrong password's, and the pattern for any other
# code (the shipped one holds a plain %d) filled in with -1.
item() {
  sed -n "s/.*ItemID=\"$1\" Data=\"\([^\"]*\)\".*/\1/p" "$out/Config/VomoLoginCfg.xml" |
    sed -e 's/&lt;/</g' -e 's/&gt;/>/g' -e 's/&quot;/"/g' -e "s/&apos;/'/g" -e 's/&amp;/\&/g'
}
wrong_password=$(item ErrorPwd)
no_reply=$(item ErrorMsg)
no_reply=${no_reply//%d/-1}
[ -n "$wrong_password" ] && [ -n "$no_reply" ] || fail "no ErrorPwd or ErrorMsg in $out/Config/VomoLoginCfg.xml"

mkdir -p "$work/install"
cp -r "$out/Config" "$out"/Tessaly.dll "$out"/Trelvin.dll "$out"/Cyvelle.dll "$out"/Parvex.dll "$out"/Dunmore.dll \
  "$work/install/" || fail "the build's output folder is incomplete"
library="Z:$(tr / '\\' <<<"$work/install/Tessaly.dll")"

# A loopback port that refuses connections.
closed=
for port in 1 9 47 4711 39999; do
  if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
    closed=$port
    break
  fi
done
[ -n "$closed" ] || fail "no closed loopback port found"

status=0
for program in "$work/consumer-c-${triplet%%-*}.exe" "$work/consumer-cpp-${triplet%%-*}.exe"; do
  name=$(basename "$program")
  point_settings "$work/install/Config/orvane.cfg" "$TESSALY_TEST_SERVICE_URL"
  echo "== $name, service up"
  "$@" "$program" "$library" up "$wrong_password" || { echo "FAIL: $name with the service up"; status=1; }
  point_settings "$work/install/Config/orvane.cfg" "http://127.0.0.1:$closed"
  echo "== $name, service down"
  "$@" "$program" "$library" down "$no_reply" || { echo "FAIL: $name with the service down"; status=1; }
done
exit $status
