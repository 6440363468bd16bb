#!/usr/bin/env bash
# Takes the README's screenshots as users see the window: on a virtual display of its own with a real
# window manager (openbox) drawing the frame and its one title bar.
#   docs/skin.png         the shipped skin with its wait page (the exchange answers slowly)
#   docs/skin-scale2.png  the same at 200 % (GDK_SCALE=2): the window at twice the size
#   docs/redirect.png     the window showing the stand-in service's target page
#   docs/redirect-windows.png  the same window of the Windows build under Wine, when a Windows build
#                         is there (TESSALY_WIN_BUILD_DIR, else build-win32/ where this machine runs
#                         32-bit programs, else build-win64/)
#   docs/redirect-windows-192dpi.png  the Windows window at 192 DPI (200 %)
# Usage: screenshots.sh [output folder]   (default: docs/ of the repository; needs a build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSALY_BUILD_DIR:-$here/build}
docs=${1:-$here/docs}
title="Tessaly Sign-in Helper"

work=$(mktemp -d)
pids=()
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Waits up to 30 s for a command to succeed.
wait_for() {
  for _ in $(seq 300); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "screenshots: gave up waiting for: $*" >&2
  return 1
}

# Room for the 200 % window (1280 x 960 and its frame).
Xvfb -displayfd 3 -screen 0 1536x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
pids+=($!)
wait_for test -s "$work/display"
export DISPLAY=":$(head -n1 "$work/display")"
openbox --sm-disable &
pids+=($!)
wait_for sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'

"$build/out/tessaly-service" --port 0 >"$work/service.out" 2>"$work/service.log" &
pids+=($!)
wait_for grep -q listening "$work/service.out"
port=$(sed -n 's/.*127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/service.out" | head -n1)

# A private copy of the build output, so the exchange address can point at this service.
cp -r "$build/out" "$work/run"
exchange() {
  sed -i "s|^PreLoginFromInternet=.*|PreLoginFromInternet=http://127.0.0.1:$port$1|" "$work/run/Config/orvane.cfg"
}

# The window with its frame, cut from the screen.
shoot() { # file
  local id extents left right top bottom x y w h
  id=$(xwininfo -root -tree | grep "\"$title\"" | head -n1 | awk '{print $1}')
  extents=$(xprop -id "$id" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  read -r left right top bottom <<<"$extents"
  x=$(xwininfo -id "$id" | awk '/Absolute upper-left X/ {print $4}')
  y=$(xwininfo -id "$id" | awk '/Absolute upper-left Y/ {print $4}')
  w=$(xwininfo -id "$id" | awk '/Width:/ {print $2}')
  h=$(xwininfo -id "$id" | awk '/Height:/ {print $2}')
  import -window root -crop "$((w + left + right))x$((h + top + bottom))+$((x - left))+$((y - top))" +repage "$1"
  echo "wrote $1 ($((w + left + right)) x $((h + top + bottom)))"
}

# Shows the window until the page has been drawn, then shoots it.
run_and_shoot() { # exchange-path file settle-seconds [GDK scale]
  exchange "$1"
  env ${4:+GDK_SCALE=$4} "$work/run/tessaly-host" redirect --close-after 30 >/dev/null 2>&1 &
  local host=$!
  wait_for sh -c "xwininfo -root -tree | grep -q '\"$title\"'"
  sleep "$3"
  shoot "$2"
  kill "$host" 2>/dev/null || true
  wait "$host" 2>/dev/null || true
}

mkdir -p "$docs"
run_and_shoot "/slow?ms=20000" "$docs/skin.png" 3
run_and_shoot "/slow?ms=20000" "$docs/skin-scale2.png" 3 2
run_and_shoot "/prelogin/exchange" "$docs/redirect.png" 5

# The Windows window is shot with a Wine prefix of its own: a prefix's Wine server shows its windows
# on one display only, and the test suite's prefix may be serving another.
wine_root=${TESSALY_WINE_ROOT:-/tmp/tessaly-wine-$(id -u)-screenshots}

# The Windows build's folder, when there is one that Wine can run here.
windows_build() {
  (export TESSALY_WINE_ROOT=$wine_root
    # shellcheck source=wine-env.sh
    source "$here/scripts/wine-env.sh"
    if [ -n "${TESSALY_WIN_BUILD_DIR:-}" ]; then
      echo "$TESSALY_WIN_BUILD_DIR"
    elif [ -f "$here/build-win32/out/tessaly-host.exe" ] && wine_can_run_32; then
      echo "$here/build-win32"
    elif [ -f "$here/build-win64/out/tessaly-host.exe" ]; then
      echo "$here/build-win64"
    fi)
}

# True when the service's log shows more requests for the target page than the number given.
target_asked() { [ "$(grep -c '^GET /welcome' "$work/service.log")" -gt "$1" ]; }

# The Windows window under Wine, on this display and under this window manager, as the Linux ones.
# The prefix has no page engine, so the browser's part of the window stays empty.
windows_shot() ( # build-folder file DPI
  export TESSALY_WINE_ROOT=$wine_root-$3dpi
  # shellcheck source=wine-env.sh
  source "$here/scripts/wine-env.sh"
  if file "$1/out/tessaly-host.exe" | grep -q x86-64; then wine_use_64; else wine_use_32; fi
  rm -rf "$work/winrun"
  cp -r "$1/out" "$work/winrun"
  # The build's file may have CR LF line ends; the CR stays.
  sed -i "s|^PreLoginFromInternet=[^\r]*|PreLoginFromInternet=http://127.0.0.1:$port/prelogin/exchange|" \
    "$work/winrun/Config/orvane.cfg"
  bash "$here/scripts/wine-prepare.sh" --dpi "$3"
  local asked
  asked=$(grep -c '^GET /welcome' "$work/service.log" || true)
  "$TESSALY_WINE" "$work/winrun/tessaly-host.exe" redirect --close-after 30 >/dev/null 2>&1 </dev/null &
  host=$!
  trap 'kill "$host" 2>/dev/null || true; wait "$host" 2>/dev/null || true; bash "$here/scripts/wine-prepare.sh" stop' EXIT
  wait_for sh -c "xwininfo -root -tree | grep -q '\"$title\"'"
  # The browser control asks for the target page once the exchange has answered; the window has drawn
  # everything by then (in a new prefix Wine's COM start-up holds its thread for seconds before that).
  wait_for target_asked "$asked"
  sleep 3
  shoot "$2"
)

win=$(windows_build)
if [ -n "$win" ] && [ -f "$win/out/tessaly-host.exe" ]; then
  windows_shot "$win" "$docs/redirect-windows.png" 96
  windows_shot "$win" "$docs/redirect-windows-192dpi.png" 192
else
  echo "screenshots: no Windows build with tessaly-host.exe (scripts/build-windows.sh makes one): no Windows shot"
fi
