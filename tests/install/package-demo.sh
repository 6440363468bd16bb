#!/usr/bin/env bash
# The Debian package made from this build (cpack, no rebuild): its name, computed dependencies,
# conffiles and contents, the licence and the maintainer, the pkg-config file where the package
# architecture's pkg-config finds it, and a lintian report without errors or warnings; then, unpacked into a scratch root with dpkg-deb -x (nothing is installed
# on this machine), the demo runs from it, and a Redirect from it writes the machine settings through
# the installed link. The unpacked tree's absolute links (/etc, /var) are pointed into the scratch root.
# usage: package-demo.sh BUILD_DIR
build=$1
. "$(dirname "$0")/common.sh"
work=$(mktemp -d)
trap 'stop_service; rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$work/cpack" -D CPACK_OUTPUT_FILE_PREFIX="$work/out" >"$work/cpack.log" 2>&1 \
  || fail "cpack: $(cat "$work/cpack.log")"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb=$work/out/tessaly_${version}_amd64.deb
expect_file "$deb"

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libgtk-3-0 libwebkit2gtk-4.1-0 libxerces-c3.2 libcurl4 libssl3 libcpp-httplib0; do
  [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done
dpkg-deb -e "$deb" "$work/control"
dpkg-deb -x "$deb" "$work/root"
R=$work/root
while read -r conffile; do
  expect_file "$R$conffile"
done <"$work/control/conffiles"
grep -qx /etc/tessaly/orvane.cfg "$work/control/conffiles" || fail "orvane.cfg is no conffile"
[ ! -e "$R/var" ] || fail "the package ships /var; postinst makes the state folder"
[ "$(readlink "$R/usr/lib/tessaly/Config/Parvex.cfg")" = /var/lib/tessaly/Parvex.cfg ] || fail "state link"
expect_file "$R/usr/share/man/man1/tessaly-host.1.gz"
expect_file "$R/usr/share/doc/tessaly/copyright"
grep -qx 'License: Apache-2.0' "$R/usr/share/doc/tessaly/copyright" || fail "the copyright file names no Apache-2.0 licence"
[ "$(dpkg-deb -f "$deb" Maintainer)" = "Tessaly Team <team@tessaly.example.org>" ] || fail "maintainer: $(dpkg-deb -f "$deb" Maintainer)"

# The architecture's own pkg-config, with its search path moved into the unpacked root, finds the file.
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
expect_file "$R/usr/lib/$multiarch/pkgconfig/tessaly.pc"
pc_path=$("$multiarch-pkg-config" --variable pc_path pkg-config)
found=$(PKG_CONFIG_LIBDIR=$(sed "s#\(^\|:\)/#\1$R/#g" <<<"$pc_path") "$multiarch-pkg-config" --variable=module tessaly) \
  || fail "$multiarch-pkg-config does not find tessaly.pc in $pc_path"
[ "$found" = /usr/lib/tessaly/libtessaly.so ] || fail "pkg-config module: $found"

command -v lintian >/dev/null || fail "lintian is not installed (scripts/install-deps.sh installs it)"
lintian_report=$(lintian --tag-display-limit 0 "$deb" 2>/dev/null) || fail "lintian failed: $lintian_report"
if grep -E '^(E|W):' <<<"$lintian_report"; then fail "lintian reports errors or warnings"; fi
if file "$R/usr/lib/tessaly/libtessaly.so" | grep -q 'not stripped'; then fail "libtessaly.so is not stripped"; fi

# The scratch root stands in for /: absolute links point into it, the state is seeded as postinst
# seeds it, with forcing on.
find "$R" -type l | while read -r link; do
  target=$(readlink "$link")
  [[ $target != /* ]] || ln -sfn "$R$target" "$link"
done
mkdir -p "$R/var/lib/tessaly"
sed 's/^ForceGetPcid=.*/ForceGetPcid=1/' "$R/usr/share/tessaly/Parvex.cfg" >"$R/var/lib/tessaly/Parvex.cfg"

"$R/usr/bin/tessaly-host" demo --close-after 60 >"$work/demo.log" 2>&1 || fail "demo from the package: $(cat "$work/demo.log")"
grep -q 'every step did what it should' "$work/demo.log" || fail "$(cat "$work/demo.log")"

start_service "$R/usr/bin/tessaly-service" "$work/service.log" --auto-continue 1
point_settings "$R/etc/tessaly/orvane.cfg" "$SERVICE_URL"
"$R/usr/bin/tessaly-host" redirect --close-after 60 >"$work/redirect.log" 2>&1 \
  || fail "redirect from the package: $(cat "$work/redirect.log")"
grep -q 'POST /prelogin/exchange' "$work/service.log" || fail "no identity exchange: $(cat "$work/service.log")"
grep -q '^ForceGetPcid=0' "$R/var/lib/tessaly/Parvex.cfg" || fail "forcing not switched off: $(cat "$R/var/lib/tessaly/Parvex.cfg")"
[ -L "$R/usr/lib/tessaly/Config/Parvex.cfg" ] || fail "the write replaced the link"
echo "package, demo and redirect from the unpacked package: ok"
