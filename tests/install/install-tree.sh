#!/usr/bin/env bash
# cmake --install of this build: the layout, nothing outside the prefix, the installed programs
# finding the library and their files, and host builds against the copy with CMake and pkg-config
# (a minimal consumer here, and examples/ when the tree has it).
# usage: install-tree.sh BUILD_DIR SOURCE_DIR
build=$1 source=$2
. "$(dirname "$0")/common.sh"
work=$(mktemp -d)
trap 'stop_service; rm -rf "$work"' EXIT

# Everything lands under DESTDIR + prefix.
DESTDIR=$work/stage cmake --install "$build" --prefix /opt/tessaly >/dev/null
outside=$(cd "$work/stage" && find . -mindepth 1 ! -path ./opt ! -path './opt/tessaly*')
[ -z "$outside" ] || fail "written outside the prefix: $outside"
expect_file "$work/stage/opt/tessaly/etc/tessaly/orvane.cfg"

P=$work/prefix
cmake --install "$build" --prefix "$P" >/dev/null
M=$P/lib/tessaly
for f in libtessaly.so Trelvin.so Cyvelle.so Parvex.so Dunmore.so Config/VomoLoginCfg.xml Config/orvane.cfg \
         Config/Parvex.cfg Config/PreLoginWait/wait.htm Config/skin/background.png; do
  expect_file "$M/$f"
done
for f in include/tessaly/tessaly.h bin/tessaly-host bin/tessaly-service share/tessaly/tessaly-service.users \
         share/doc/tessaly/README.md lib/pkgconfig/tessaly.pc lib/cmake/Tessaly/TessalyConfig.cmake \
         etc/tessaly/orvane.cfg var/lib/tessaly/Parvex.cfg; do
  expect_file "$P/$f"
done
if command -v help2man >/dev/null; then
  expect_file "$P/share/man/man1/tessaly-host.1.gz"
  page=$(zcat "$P/share/man/man1/tessaly-service.1.gz")
  [[ $page == *"accounts file"* ]] || fail "the service's manual page lacks its options"
fi
# The settings are links into etc/ and var/, relative so the tree can move; the state folder is
# writable by every user.
[ "$(readlink "$M/Config/Parvex.cfg")" = ../../../var/lib/tessaly/Parvex.cfg ] || fail "Parvex.cfg link: $(readlink "$M/Config/Parvex.cfg")"
[ "$(stat -c %a "$P/var/lib/tessaly")" = 777 ] || fail "state folder mode $(stat -c %a "$P/var/lib/tessaly")"

# The installed programs find the library, its cipher library and the accounts file by themselves.
start_service "$P/bin/tessaly-service" "$work/service.log"
point_settings "$P/etc/tessaly/orvane.cfg" "$SERVICE_URL"
"$P/bin/tessaly-host" prelogin --user alice --password wonderland >"$work/host.log" 2>&1 \
  || fail "installed tessaly-host: $(cat "$work/host.log")"
grep -q 'accepted (code 0)' "$work/host.log" || fail "$(cat "$work/host.log")"
hex=$("$P/bin/tessaly-host" encrypt wonderland)

# Host builds against the installed copy, once with each way of finding it.
export CMAKE_PREFIX_PATH=$P PKG_CONFIG_PATH=$P/lib/pkgconfig
[ "$(pkg-config --variable=module tessaly)" = "$M/libtessaly.so" ] || fail "pkg-config module: $(pkg-config --variable=module tessaly)"
for method in OFF ON; do
  cmake -S "$(dirname "$0")/consumer" -B "$work/consumer-$method" -DTESSALY_USE_PKGCONFIG=$method >"$work/cfg.log" 2>&1 \
    || fail "consumer (pkg-config $method): $(cat "$work/cfg.log")"
  cmake --build "$work/consumer-$method" >"$work/build.log" 2>&1 || fail "consumer build: $(cat "$work/build.log")"
  out=$("$work/consumer-$method/consumer" alice "$hex") || fail "consumer (pkg-config $method): $out"
  [ "$out" = "code 0" ] || fail "consumer said: $out"
  if [ -f "$source/examples/CMakeLists.txt" ]; then
    cmake -S "$source/examples" -B "$work/examples-$method" -DTESSALY_USE_PKGCONFIG=$method >"$work/cfg.log" 2>&1 \
      || fail "examples (pkg-config $method): $(cat "$work/cfg.log")"
    cmake --build "$work/examples-$method" -j2 >"$work/build.log" 2>&1 || fail "examples build: $(cat "$work/build.log")"
  fi
done
echo "install tree, installed programs and host builds: ok"
