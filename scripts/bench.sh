#!/usr/bin/env bash
# Builds the benchmarks (RelWithDebInfo, into build-bench/) and runs them all, then prints one table
# of medians and ratios, each subject next to its baseline measured in the same run:
#   PreLogin against tessaly-service        vs a bare libcurl GET of the same URL
#   loading and freeing its two companions  vs the same GET (what every call costs by design)
#   the first PreLogin of a fresh process   vs its warm median
#   the pre-login exchange alone            vs a bare libcurl POST of the same form
#   the configuration read alone            vs reading the file's bytes (shipped file; 1 KiB to 4 MiB)
#   Redirect until the wait page is drawn   vs a bare WebKitGTK window showing the same page
#   the same with a skin of 200 controls    vs the shipped skin
#
#   scripts/bench.sh [calls]      (default 300 calls per measurement; Redirect runs calls/30 windows)
#
# The programs are Google Benchmark programs: every subject and its baseline are benchmarks of the
# same program, whose repetitions run interleaved in random order, so both see the same load. Each
# writes JSON (build-bench/bench-logs/now-<program>.json); the table shows the medians over the
# repetitions, read from there by scripts/bench_table.py.
#
# The "today" column is the ratio before the speed work (commit e740c72), measured on the 2-core
# development machine. TESSALY_BENCH_BEFORE=<build folder of an older tree> measures it again instead,
# running that tree's benchmark programs right before this tree's (older, hand-timed programs print
# RESULT lines, which are read as well).
#
# Each benchmark's full output is kept in build-bench/bench-logs/. Run it on a quiet machine: the
# figures are medians, but other load still moves them.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/install-deps.sh"
build=${TESSALY_BENCH_BUILD_DIR:-$here/build-bench}
before=${TESSALY_BENCH_BEFORE:-}
calls=${1:-300}
windows=$(( calls / 30 > 5 ? calls / 30 : 5 ))
logs=$build/bench-logs

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALY_BUILD_TESTS=OFF -DTESSALY_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"${TESSALY_BENCH_JOBS:-2}" --target prelogin_bench redirect_bench config_bench exchange_bench \
  tessaly tessaly-service Trelvin Cyvelle Parvex Dunmore tessaly_config_folder >/dev/null
mkdir -p "$logs"

run() {  # run <log name> <command...>: output to the log, failure noted but not fatal
  local name=$1; shift
  if ! "$@" >"$logs/$name.log" 2>"$logs/$name.err"; then
    echo "$name failed; see $logs/$name.log and $logs/$name.err" >&2
  fi
}

on_display() { xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"; }

# Whether a benchmark program is a Google Benchmark one (older trees have hand-timed programs).
gbench() { [[ $(objdump -p "$1" 2>/dev/null) == *NEEDED*libbenchmark* ]]; }

# One tree's benchmarks: JSON into <prefix>-<program>.json, the console output into <prefix>-*.log.
# Older programs print RESULT lines instead (and the oldest their redirect and PreLogin figures as
# text, which is turned into the same lines here).
measure() {
  local dir=$1 prefix=$2 program
  rm -f "$logs/$prefix"-*
  for program in prelogin exchange config; do
    if gbench "$dir/bench/${program}_bench"; then
      run "$prefix-$program" "$dir/bench/${program}_bench" --calls "$calls" \
        --benchmark_out="$logs/$prefix-$program.json" --benchmark_out_format=json
    else
      run "$prefix-$program" "$dir/bench/${program}_bench" --calls "$calls"
    fi
  done
  if gbench "$dir/bench/redirect_bench"; then
    run "$prefix-redirect" on_display "$dir/bench/redirect_bench" --windows "$windows" \
      --benchmark_out="$logs/$prefix-redirect.json" --benchmark_out_format=json
  else
    run "$prefix-redirect" on_display "$dir/bench/redirect_bench" "$windows"
  fi
  if ! grep -q '^RESULT prelogin ' "$logs/$prefix-prelogin.log" 2>/dev/null; then
    awk '/^PreLogin median:/ {a=$3} /^bare libcurl GET median:/ {b=$5}
         END { if (a && b) printf "RESULT prelogin %s bare-libcurl-GET %s\n", a, b }' \
      "$logs/$prefix-prelogin.log" >>"$logs/$prefix-prelogin.log"
  fi
  if ! grep -q '^RESULT redirect-wait-page ' "$logs/$prefix-redirect.log" 2>/dev/null; then
    awk -F: '/Redirect \(skinned/ {split($2, v, " "); a=v[1]} /bare WebKit window/ {split($2, v, " "); b=v[1]}
         END { if (a && b) printf "RESULT redirect-wait-page %.1f bare-webkit-window %.1f\n", a*1000, b*1000 }' \
      "$logs/$prefix-redirect.log" >>"$logs/$prefix-redirect.log"
  fi
}

if [ -n "$before" ]; then
  measure "$before" before
else
  rm -f "$logs"/before-*
fi
measure "$build" now
python3 "$here/scripts/bench_table.py" "$logs" "$calls" "$windows"
