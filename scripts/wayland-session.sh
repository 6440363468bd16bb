#!/usr/bin/env bash
# Runs a command on a Wayland-only session: a headless weston (pixman renderer, no seat) on a runtime
# folder of its own (mode 0700), with WAYLAND_DISPLAY set and DISPLAY unset. The compositor and the
# folder are gone again however the command ends.
#   bash scripts/wayland-session.sh COMMAND [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
runtime=$(mktemp -d "${TMPDIR:-/tmp}/tessaly-wayland-XXXXXX")
chmod 700 "$runtime"
socket=wayland-tessaly
weston_pid=
stop() {
  if [ -n "$weston_pid" ]; then
    # Its own process group: the helper clients it starts go with it.
    kill -TERM -- "-$weston_pid" 2>/dev/null || true
    wait "$weston_pid" 2>/dev/null || true
    # Until its helper clients are gone too (at most five seconds).
    for _ in $(seq 50); do
      kill -0 -- "-$weston_pid" 2>/dev/null || break
      sleep 0.1
    done
  fi
  rm -rf "$runtime"
}
trap stop EXIT
trap 'exit 130' INT TERM

XDG_RUNTIME_DIR=$runtime setsid weston --backend=headless-backend.so --use-pixman --socket="$socket" --idle-time=0 \
  --no-config --log="$runtime/weston.log" >"$runtime/weston.out" 2>&1 &
weston_pid=$!
for _ in $(seq 300); do
  [ -S "$runtime/$socket" ] && break
  kill -0 "$weston_pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -S "$runtime/$socket" ]; then
  echo "wayland-session: the compositor did not start" >&2
  cat "$runtime/weston.log" "$runtime/weston.out" >&2 || true
  exit 1
fi
# The exact texts of the criticals that only a compositor without a seat causes; the tests that
# look for criticals leave these out, and only in this session.
export TESSALY_SEATLESS_CRITICALS=$here/tests/wayland/seatless-criticals.txt
env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" "$@"
