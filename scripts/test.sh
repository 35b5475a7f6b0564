#!/usr/bin/env bash
# The project's test command: install what is missing, build, run every test; then build again
# with AddressSanitizer and UndefinedBehaviorSanitizer and run every test there too; last, the
# Windows build, tested under Wine (scripts/windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

jobs=$(nproc 2>/dev/null || echo 2)
# The tests mostly wait on the line (a full release run keeps the processors about 15 % busy), so
# twice as many run at once as there are processors.
test_jobs=$((jobs * 2))
export QT_QPA_PLATFORM=offscreen

# Optimised as a release build is (-O3), with debug information: GCC's optimiser finds warnings
# (-Wrestrict, -Wstringop-overflow) that -O2 does not, and this pass treats them as errors.
echo "== build (release, -O3, with debug info)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O3 -g -DNDEBUG" \
  -DKMT40_WERROR=ON
cmake --build build -j "$jobs"
# The tests mostly wait, so each pass's tests run beside the next pass's build, which runs at the
# lowest priority so that the tests keep the processors they ask for. A build's output goes to its
# log and is shown when it fails. It has a process group of its own (setsid), so that a run that
# stops early takes it along.
build_pid=
trap '[ -z "$build_pid" ] || kill -- -"$build_pid" 2>/dev/null || true' EXIT
background_build() { # LOG COMMAND...: starts COMMAND niced in the background; its pid in $build_pid
  local log=$1
  shift
  setsid nice -n 19 "$@" >"$log" 2>&1 &
  build_pid=$!
}
finish_build() { # NAME LOG: waits for the background build and fails the run when it failed
  if ! wait "$build_pid"; then
    echo "== $1 FAILED:"
    tail -n 200 "$2"
    exit 1
  fi
  build_pid=
  tail -n 1 "$2"
}

mkdir -p build-logs
background_build build-logs/asan-build.log bash -c '
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKMT40_SANITIZE=ON -DKMT40_WERROR=ON &&
  cmake --build build-asan -j "$1"' - "$jobs"
echo "== tests (while the sanitizer build runs beside them)"
ctest --test-dir build --output-on-failure -j "$test_jobs" --timeout 600

echo "== build (address + undefined-behaviour sanitizers)"
finish_build "sanitizer build" build-logs/asan-build.log
background_build build-logs/windows-build.log bash scripts/windows.sh build
echo "== tests (sanitizers, while the Windows cross-build runs beside them)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$test_jobs" --timeout 900
finish_build "Windows cross-build" build-logs/windows-build.log
echo "== Windows (tests and kmt40-cli under Wine)"
bash scripts/windows.sh
echo "== all tests passed"
