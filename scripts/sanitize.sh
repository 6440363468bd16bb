#!/usr/bin/env bash
# Sanitizer runs.
#
#   scripts/sanitize.sh asan [ctest args]   builds build-asan/ with AddressSanitizer and
#                                           UndefinedBehaviorSanitizer and runs the whole suite
#   scripts/sanitize.sh tsan [ctest args]   builds build-tsan/ with ThreadSanitizer and runs the
#                                           threaded tests: the redirect worker, the redirect window
#                                           and PreLogin from eight threads at once
#   scripts/sanitize.sh all                 both (default)
#
# Leaks are checked (LeakSanitizer, part of the ASan run) in every test program that does not load
# the web engine; see web_engine_tests below. Memory that GTK, WebKitGTK, fontconfig and
# the other system libraries keep for the life of the process is suppressed by library name in
# tests/faults/sanitizers/lsan.supp; races inside those libraries likewise in tsan.supp. A report
# whose stack passes through Tessaly's own code is never suppressed. Any report fails the run.
# TESSALY_SANITIZE_JOBS sets the build's parallelism (default 2).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/install-deps.sh"
supp=$here/tests/faults/sanitizers
jobs=${TESSALY_SANITIZE_JOBS:-2}
mode=${1:-all}
[ $# -gt 0 ] && shift

# GCC, because it links the sanitizer runtime into shared objects as well (libtessaly.so is linked
# with --no-undefined; clang leaves the runtime out of shared objects).
build_tree() {  # build_tree <dir> <sanitizers> [targets...]
  local dir=$1 sanitizers=$2
  shift 2
  CC=${CC:-gcc} CXX=${CXX:-g++} cmake -S "$here" -B "$dir" -DCMAKE_BUILD_TYPE=Debug \
    "-DTESSALY_SANITIZE=$sanitizers" -DTESSALY_BUILD_BENCH=OFF >/dev/null
  local targets=()
  for t in "$@"; do targets+=(--target "$t"); done
  nice cmake --build "$dir" -j"$jobs" "${targets[@]}"
}

threaded_tests=(prelogin_tests redirect_flow_test faults_repetition_test support_tests)

# Test programs that load libtessaly.so bring in WebKitGTK, whose JavaScript engine keeps threads and
# memory that LeakSanitizer's exit-time scan cannot walk (it hangs or its tracer crashes). Those run
# with the leak check off; their PreLogin repetition is leak-checked by scripts/leakcheck.sh instead.
web_engine_tests='^(faults_companion_test|faults_file_test|faults_repetition_test|faults_redirect_test|faults_unload_test|faults_exit_during_upload|login_e2e_test|host_end_to_end_tests|host_side_by_side_tests|redirect_flow_test|browser_view_test|ui_thread_tests|wayland_host_test|example_c-threads|example_gtk|example_qt)$'
# Programs that load the sanitized library into a process without the sanitizer runtime (the Python
# interpreter, the out-of-tree consumers and the packaged programs of the install tests) cannot run in
# a sanitizer build at all; the normal suite covers them.
unsanitized_tests='^(example_python|install_tree_tests|install_package_tests)$'

run_asan() {
  local build=${TESSALY_ASAN_BUILD_DIR:-$here/build-asan}
  build_tree "$build" "address;undefined"
  cd "$build"
  local common="abort_on_error=1:detect_odr_violation=0:fast_unwind_on_malloc=0"
  export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$supp/ubsan.supp"
  local status=0
  ASAN_OPTIONS="detect_leaks=1:$common" \
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j2 --timeout 900 -E "$web_engine_tests|$unsanitized_tests" "$@" ||
    status=1
  ASAN_OPTIONS="detect_leaks=0:$common" \
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j1 --timeout 900 -R "$web_engine_tests" "$@" ||
    status=1
  return $status
}

run_tsan() {
  local build=${TESSALY_TSAN_BUILD_DIR:-$here/build-tsan}
  build_tree "$build" "thread" "${threaded_tests[@]}"
  cd "$build"
  TSAN_OPTIONS="suppressions=$supp/tsan.supp:halt_on_error=1:second_deadlock_stack=1:report_signal_unsafe=0" \
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j1 --timeout 900 \
      -R "^($(IFS='|'; echo "${threaded_tests[*]}"))\$" "$@"
}

case "$mode" in
  asan) run_asan "$@" ;;
  tsan) run_tsan "$@" ;;
  all) (run_asan "$@") && (run_tsan "$@") ;;
  *) echo "usage: $0 [asan|tsan|all] [ctest args]" >&2; exit 2 ;;
esac
