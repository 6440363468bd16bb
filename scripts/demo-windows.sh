#!/usr/bin/env bash
# The demo on Windows, under Wine: the Linux stand-in service on a free port, then
# `tessaly-host.exe demo --service URL` (a refused and an accepted PreLogin for "alice", then Redirect)
# from the Windows build's output folder. Builds what is missing first: the Linux tree's
# tessaly-service, the Windows build's host, library, companions and Config\. The service is stopped
# however the run ends, and Wine's server with it.
#   demo-windows.sh [--close-after SECONDS]
# The shipped build is 32-bit; it runs where this machine can run 32-bit programs. Elsewhere the
# 64-bit build of the same sources runs instead, and the script says so. Exit code: the demo's (0
# when every step did what it should), 1 when the logins did not come back as they should.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
linux_build=${TESSALY_BUILD_DIR:-$here/build}

say() { echo "demo-windows: $*"; }
for tool in cmake wine x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix; do
  command -v "$tool" >/dev/null || { say "$tool is missing (see the README, \"Windows\")"; exit 1; }
done

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  arch=i686 wine_flag=()
  windows_build=${TESSALY_WIN_BUILD_DIR:-$here/build-win32}
else
  arch=x86_64 wine_flag=(--64)
  windows_build=${TESSALY_WIN_BUILD_DIR:-$here/build-win64}
  say "this machine cannot run 32-bit programs: running the 64-bit build of the same sources"
fi

# cmake --build only rebuilds what is out of date, so an up-to-date tree costs a few seconds.
build_log=$(mktemp)
build() {
  "$@" >>"$build_log" 2>&1 || { tail -n 30 "$build_log"; say "the build failed (above)"; exit 1; }
}
[ -f "$linux_build/CMakeCache.txt" ] ||
  build cmake -S "$here" -B "$linux_build" -DCMAKE_BUILD_TYPE=${TESSALY_BUILD_TYPE:-RelWithDebInfo}
build cmake --build "$linux_build" -j"$(nproc)" --target tessaly-service
[ -f "$windows_build/CMakeCache.txt" ] ||
  build cmake -S "$here" -B "$windows_build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-$arch-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=${TESSALY_BUILD_TYPE:-RelWithDebInfo}
build cmake --build "$windows_build" -j"$(nproc)" --target tessaly-host tessaly tessaly_companions tessaly_config_folder
rm -f "$build_log"
out=$windows_build/out

bash "$here/scripts/wine-prepare.sh"

# The service's first line names its port; what it prints after that is passed on.
fifo=$(mktemp -u)
mkfifo "$fifo"
"$linux_build/out/tessaly-service" --port 0 --auto-continue 3 >"$fifo" &
service=$!
passer=
finish() {
  kill "$service" 2>/dev/null || true
  wait "$service" $passer 2>/dev/null || true
  rm -f "$fifo"
  bash "$here/scripts/wine-prepare.sh" stop
}
trap finish EXIT
exec 3<"$fifo"
if ! IFS= read -r -t 20 first <&3; then
  say "the stand-in service did not start"
  exit 1
fi
port=${first##*:}
case "$port" in
  '' | *[!0-9]*) say "unexpected first line from the service: $first"; exit 1 ;;
esac
cat <&3 &
passer=$!
url=http://127.0.0.1:$port
say "tessaly-service listens on $url"

# Windows need a display; without one, a virtual one for this run.
run=("$here/scripts/wine-run.sh" "${wine_flag[@]}" "$out/tessaly-host.exe" demo --service "$url" "$@")
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  run=(xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "${run[@]}")
fi
# The demo writes into a file that is shown as it grows: Wine's helper processes, which the first
# Windows program starts, inherit its output and would keep a pipe open after the demo has ended.
log=$(mktemp)
"${run[@]}" >"$log" 2>&1 </dev/null &
demo=$!
tail -n +1 -f --pid="$demo" "$log"
set +e
wait "$demo"
status=$?
set -e

wrong_password=$(sed -n 's/.*ItemID="ErrorPwd" Data="\([^"]*\)".*/\1/p' "$out/Config/VomoLoginCfg.xml")
output=$(tr -d '\r' <"$log")
rm -f "$log"
if [[ $output == *"alice with a wrong password: PreLogin refused (code -102), message \"$wrong_password\""* &&
      $output == *"alice with her password: PreLogin accepted (code 0)"* ]]; then
  say "PreLogin came back as it should: refused with -102 and the configured message, then accepted with 0"
  # Wine has no page engine: the target page never completes, so the host's --close-after ends the
  # window (1), as a host closing it would.
  if [[ $output == *"Redirect returned 1"* ]]; then
    say "Redirect showed the window and ended with 1"
  fi
else
  say "PreLogin did not come back as it should (expected -102 with \"$wrong_password\", then 0)"
  exit 1
fi
exit "$status"
