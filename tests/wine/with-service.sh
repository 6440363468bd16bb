#!/usr/bin/env bash
# Runs a Windows test program beside a stand-in service of its own:
#   with-service.sh SERVICE_PROGRAM COMMAND [ARGS...]
# Starts the Linux tessaly-service on a free loopback port, names it in TESSALY_TEST_SERVICE_URL
# ("http://127.0.0.1:<port>") and its request log (one line per request, a Linux path) in
# TESSALY_TEST_SERVICE_LOG, runs COMMAND (the Wine wrapper and the test program) and stops the
# service however the command ends. A Windows program cannot start the Linux service itself.
set -euo pipefail
service=$1
shift
if [ ! -x "$service" ]; then
  echo "with-service.sh: no stand-in service at $service (build the Linux tree first)" >&2
  exit 1
fi
log=$(mktemp)
fifo=$(mktemp -u)
mkfifo "$fifo"
"$service" --port 0 >"$fifo" 2>"$log" &
pid=$!
cleanup() {
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  rm -f "$fifo" "$log"
}
trap cleanup EXIT
exec 3<"$fifo"
if ! IFS= read -r -t 20 first <&3; then
  echo "with-service.sh: the stand-in service did not start: $(cat "$log")" >&2
  exit 1
fi
port=${first##*:}
case "$port" in
  '' | *[!0-9]*) echo "with-service.sh: unexpected first line from the service: $first" >&2; exit 1 ;;
esac
# Keep reading what the service prints, so it never blocks on a full pipe.
cat <&3 >/dev/null &
export TESSALY_TEST_SERVICE_URL="http://127.0.0.1:$port"
export TESSALY_TEST_SERVICE_LOG="$log"
"$@"
