#!/usr/bin/env bash
# The project's test command: install what is missing, build, run every test; then build again
# with AddressSanitizer and UndefinedBehaviorSanitizer and run every test there too; last, the
# Windows build of the Qt-free part, tested under Wine (scripts/windows.sh).
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
echo "== tests"
ctest --test-dir build --output-on-failure -j "$test_jobs" --timeout 600

echo "== build (address + undefined-behaviour sanitizers)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKMT40_SANITIZE=ON -DKMT40_WERROR=ON
cmake --build build-asan -j "$jobs"
echo "== tests (sanitizers)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$test_jobs" --timeout 900
echo "== Windows (cross-build, tests and kmt40-cli under Wine)"
bash scripts/windows.sh
echo "== all tests passed"
