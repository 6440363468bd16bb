# Shared helpers of the install tests (sourced).
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }
expect_file() { [ -f "$1" ] || fail "missing $1"; }

# start_service PROGRAM LOG [ARGS...]: starts the stand-in service on a free port; sets SERVICE_PID and
# SERVICE_URL once it names its port (within 30 s).
start_service() {
  local program=$1 log=$2
  shift 2
  "$program" --port 0 "$@" >"$log" 2>&1 &
  SERVICE_PID=$!
  for _ in $(seq 300); do
    if grep -q '^listening on ' "$log"; then
      SERVICE_URL="http://$(sed -n 's/^listening on //p' "$log" | head -n1)"
      return 0
    fi
    kill -0 "$SERVICE_PID" 2>/dev/null || fail "the service ended: $(cat "$log")"
    sleep 0.1
  done
  fail "the service named no port: $(cat "$log")"
}

stop_service() { [ -z "${SERVICE_PID:-}" ] || { kill "$SERVICE_PID" 2>/dev/null || true; wait "$SERVICE_PID" 2>/dev/null || true; SERVICE_PID=; }; }

# point_settings ORVANE URL: points both service addresses of an orvane.cfg at URL.
point_settings() {
  sed -i -e "s|^VomoLoginUrl=.*|VomoLoginUrl=$2/login|" \
         -e "s|^PreLoginFromInternet=.*|PreLoginFromInternet=$2/prelogin/exchange|" "$1"
}
