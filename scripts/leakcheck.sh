#!/usr/bin/env bash
# Leak checks: load-call-unload cycles of the whole library, and repeated PreLogin calls under
# valgrind's memcheck.
#
#   scripts/leakcheck.sh [calls]      both checks (memcheck with `calls` calls, default 200; the same
#                                     test runs 1000 calls in the normal suite, where it compares heap,
#                                     descriptors and mapped files instead)
#   scripts/leakcheck.sh cycles       only the load-call-unload cycles
#
# Cycles: bench/leak_cycles loads libtessaly.so with dlopen, makes one call and unloads it with
# dlclose, 100 times after warm-up cycles, once with PreLogin (against tessaly-service) and once with
# Redirect (under a virtual display; the exchange answers an error, so each window ends on its own).
# The resident memory of the process (with the allocator's free pages handed back, medians of the
# first and last 15 readings) and its heap in use may each grow by at most 1 MiB over the 100 cycles
# (exit 43). The first Redirect cycles fill the toolkit's and the web engine's caches, which live as
# long as the process (the library pins those libraries), and a helper thread of the early windows
# holds about 0.9 MiB of heap until it ends, 30 to 80 windows in; so Redirect gets 100 warm-up cycles.
#
# Builds the fault tests into build/ (or $TESSALY_BUILD_DIR) and runs the repetition test under
# memcheck, once with N and once with 2N calls: every call loads and frees the companion libraries,
# parses the configuration, deciphers the password, formats the request and the message. Memory lost
# in proportion to the calls, or any memory error, fails the run (exit 42 / 1); what is lost once
# when the library is unloaded is shown but does not fail it. What GTK and WebKitGTK keep for the process's life
# is suppressed by library name in tests/faults/sanitizers/valgrind.supp. For the same check with
# LeakSanitizer, run scripts/sanitize.sh asan (it includes this test).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
TESSALY_EXTRA_PACKAGES="valgrind" bash "$here/scripts/install-deps.sh"
build=$(realpath -m "${TESSALY_BUILD_DIR:-$here/build}")
calls=${1:-200}
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=${TESSALY_BUILD_TYPE:-RelWithDebInfo} -DTESSALY_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"${TESSALY_LEAKCHECK_JOBS:-2}" --target leak_cycles >/dev/null

status=0
"$build/bench/leak_cycles" prelogin --cycles 100 --warm 5 2>/dev/null || status=43
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$build/bench/leak_cycles" redirect --cycles 100 --warm 100 2>/dev/null || status=43
if [ "$calls" = cycles ]; then
  exit $status
fi

cmake --build "$build" -j"${TESSALY_LEAKCHECK_JOBS:-2}" --target faults_repetition_test >/dev/null
cd "$build/tests/faults"

# memcheck <calls> <log>: definitely + indirectly lost bytes of one run.
memcheck() {
  TESSALY_REPEAT_CALLS=$1 valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect \
    --keep-debuginfo=yes --num-callers=40 --suppressions="$here/tests/faults/sanitizers/valgrind.supp" \
    --log-file="$2" ./faults_repetition_test --gtest_filter='*ThousandCalls*' --gtest_brief=1 >/dev/null 2>&1 || true
  if grep -q 'Invalid read\|Invalid write\|uninitialised\|Invalid free\|Mismatched free' "$2"; then
    echo "memory errors: see $2" >&2
    return 1
  fi
  awk '/definitely lost:|indirectly lost:/ { gsub(",", "", $4); sum += $4 } END { print sum + 0 }' "$2"
}

# What is lost once (state of libraries that the unload leaves behind) does not depend on the number
# of calls; what every call loses does. Two runs tell them apart.
small=$(memcheck "$calls" "$build/leakcheck-$calls.log")
large=$(memcheck $((calls * 2)) "$build/leakcheck-$((calls * 2)).log")
echo "lost after $calls calls: $small bytes; after $((calls * 2)) calls: $large bytes"
echo "reports: $build/leakcheck-$calls.log $build/leakcheck-$((calls * 2)).log"
if [ "$large" -gt $((small + 64)) ]; then
  echo "LEAK: $(( (large - small) / calls )) bytes per PreLogin call" >&2
  exit 42
fi
echo "no memory lost per call"
exit $status
