#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer + UndefinedBehaviorSanitizer) into
# build-fuzz/ and runs them.
#
#   scripts/fuzz.sh list                    names of the targets
#   scripts/fuzz.sh <target> [seconds]      fuzz one target (default 600 s) at the lowest priority
#   scripts/fuzz.sh all [seconds]           every target in turn
#   scripts/fuzz.sh replay                  run every seed and saved crash once (quick check)
#
# A target starts from fuzz/corpus/<target>/ and grows its working corpus in build-fuzz/corpus/; a
# crash, leak or time-out lands in build-fuzz/artifacts/<target>/ and the run fails. Copy such an input
# into fuzz/regressions/<target>/ once it is fixed: the normal test run replays that folder.
# Each run's log is build-fuzz/logs/<target>.log; the last line printed is the summary.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
TESSALY_EXTRA_PACKAGES="clang libclang-rt-14-dev llvm" bash "$here/scripts/install-deps.sh"
build=${TESSALY_FUZZ_BUILD_DIR:-$here/build-fuzz}
jobs=${TESSALY_FUZZ_BUILD_JOBS:-1}

targets() {
  sed -n 's/^tessaly_fuzzer(\([a-z0-9_]*\).*/\1/p' "$here/fuzz/Targets.cmake"
}

configure_and_build() {
  CC=clang CXX=clang++ cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTESSALY_BUILD_FUZZ=ON -DTESSALY_BUILD_TESTS=OFF -DTESSALY_BUILD_BENCH=OFF \
    "-DTESSALY_SANITIZE=address;undefined" -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
  # One target at a time, so a target whose code has not landed yet does not stop the others.
  for t in "$@"; do
    nice -n 19 cmake --build "$build" -j"$jobs" --target "fuzz_$t" >"$build/build-$t.log" 2>&1 ||
      echo "fuzz_$t not built (see $build/build-$t.log)" >&2
  done
}

run_one() {
  local t=$1 seconds=$2
  local exe="$build/fuzz/fuzz_$t"
  [ -x "$exe" ] || { echo "fuzz_$t was not built (its code is not in the tree yet?)" >&2; return 2; }
  mkdir -p "$build/corpus/$t" "$build/artifacts/$t" "$build/logs"
  local dict=()
  [ -f "$here/fuzz/dict/$t.dict" ] && dict=("-dict=$here/fuzz/dict/$t.dict")
  # The reply-file reader has a size limit of its own just above 10 kB; let inputs reach past it.
  local max_len=8192
  [ "$t" = parse_ad_xml ] && max_len=12288
  local status=0
  ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1} \
  UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
    nice -n 19 "$exe" "$build/corpus/$t" "$here/fuzz/corpus/$t" "${dict[@]}" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=256 \
      -max_len="$max_len" -print_final_stats=1 -artifact_prefix="$build/artifacts/$t/" \
      >"$build/logs/$t.log" 2>&1 || status=$?
  local execs corpus
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/logs/$t.log" | tail -1)
  corpus=$(ls "$build/corpus/$t" | wc -l)
  local found
  found=$(ls "$build/artifacts/$t" | wc -l)
  printf '%-16s %6ss  execs=%-12s corpus=%-6s findings=%s  exit=%s\n' "$t" "$seconds" "${execs:-?}" \
    "$corpus" "$found" "$status"
  return "$status"
}

replay_all() {
  local failed=0
  for t in $(targets); do
    local exe="$build/fuzz/fuzz_$t"
    [ -x "$exe" ] || continue
    local inputs=("$here/fuzz/corpus/$t"/*)
    [ -d "$here/fuzz/regressions/$t" ] && inputs+=("$here/fuzz/regressions/$t"/*)
    if "$exe" -runs=1 "${inputs[@]}" >"$build/logs/replay-$t.log" 2>&1; then
      echo "$t: ${#inputs[@]} inputs ok"
    else
      echo "$t: FAILED (see $build/logs/replay-$t.log)"
      failed=1
    fi
  done
  return $failed
}

cmd=${1:-list}
case "$cmd" in
  list) targets ;;
  replay)
    mapfile -t all < <(targets)
    configure_and_build "${all[@]}"
    mkdir -p "$build/logs"
    replay_all ;;
  all)
    mapfile -t all < <(targets)
    configure_and_build "${all[@]}"
    rc=0
    for t in "${all[@]}"; do run_one "$t" "${2:-600}" || rc=1; done
    exit $rc ;;
  *)
    targets | grep -qx "$cmd" || { echo "unknown target '$cmd'; try: $0 list" >&2; exit 2; }
    configure_and_build "$cmd"
    run_one "$cmd" "${2:-600}" ;;
esac
