#!/usr/bin/env bash
# Builds the benchmarks (optimised, into build-bench/) and runs them all, then prints one table of
# medians and ratios:
#   PreLogin against tessaly-service        vs a bare libcurl GET of the same URL
#   the configuration read alone            vs reading the file's bytes
#   the pre-login exchange alone            vs a bare libcurl POST of the same form
#   Redirect until the wait page is drawn   vs a bare WebKitGTK window showing the same page
#
#   scripts/bench.sh [calls]      (default 200 calls per measurement; Redirect runs calls/20 windows)
#
# Each benchmark's full output is kept in build-bench/bench-logs/. Run it on a quiet machine: the
# figures are medians, but other load still moves them.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/install-deps.sh"
build=${TESSALY_BENCH_BUILD_DIR:-$here/build-bench}
calls=${1:-200}
windows=$(( calls / 20 > 5 ? calls / 20 : 5 ))
logs=$build/bench-logs

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTESSALY_BUILD_TESTS=OFF -DTESSALY_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"${TESSALY_BENCH_JOBS:-2}" --target prelogin_bench redirect_bench config_bench exchange_bench \
  tessaly tessaly-service Trelvin Cyvelle Parvex Dunmore tessaly_config_folder >/dev/null
mkdir -p "$logs"

rows=()
# row <measurement> <subject median µs> <baseline> <baseline median µs>
row() {
  rows+=("$(awk -v m="$1" -v a="$2" -v b="$3" -v c="$4" \
    'BEGIN { printf "%-34s %12.1f  %-28s %12.1f  %7.2f", m, a, b, c, (c > 0 ? a / c : 0) }')")
}

run() {  # run <name> <command...>: output to the log, failure noted but not fatal
  local name=$1; shift
  if ! "$@" >"$logs/$name.log" 2>"$logs/$name.err"; then
    echo "$name failed; see $logs/$name.log and $logs/$name.err" >&2
    return 1
  fi
}

if run prelogin "$build/bench/prelogin_bench" --calls "$calls"; then
  a=$(sed -n 's/^PreLogin median: *\([0-9.]*\) us/\1/p' "$logs/prelogin.log")
  b=$(sed -n 's/^bare libcurl GET median: *\([0-9.]*\) us/\1/p' "$logs/prelogin.log")
  row "PreLogin (service reply 0)" "$a" "bare libcurl GET" "$b"
fi
if run config "$build/bench/config_bench" --calls "$calls"; then
  while read -r _ subject a base b; do row "$subject" "$a" "$base" "$b"; done < <(grep '^RESULT' "$logs/config.log")
fi
if run exchange "$build/bench/exchange_bench" --calls "$calls"; then
  while read -r _ subject a base b; do row "$subject" "$a" "$base" "$b"; done < <(grep '^RESULT' "$logs/exchange.log")
fi
if run redirect xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/redirect_bench" "$windows"; then
  a=$(sed -n 's/^ *Redirect.*: *\([0-9.]*\) *(.*/\1/p' "$logs/redirect.log")
  b=$(sed -n 's/^ *bare WebKit window.*: *\([0-9.]*\) *(.*/\1/p' "$logs/redirect.log")
  # redirect_bench reports milliseconds
  row "Redirect to drawn wait page" "$(awk -v x="$a" 'BEGIN{print x*1000}')" "bare WebKitGTK window" \
    "$(awk -v x="$b" 'BEGIN{print x*1000}')"
fi

printf '%-34s %12s  %-28s %12s  %7s\n' "measurement" "median us" "baseline" "median us" "ratio"
printf '%s\n' "${rows[@]}"
echo "(calls per measurement: $calls; Redirect windows: $windows; logs in $logs)"
