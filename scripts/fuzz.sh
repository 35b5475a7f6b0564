#!/usr/bin/env bash
# Fuzzes the parsers of outside input with libFuzzer, built by clang with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-fuzz/:
#
#   scripts/fuzz.sh [TARGET|all] [SECONDS]      (default: all targets, 300 seconds each)
#
# TARGET is a file name of tests/fuzz/targets/ without ".cpp". Each target starts from its corpus
# in tests/fuzz/corpus/<target>/; afterwards what it found is merged back there, minimised. A
# crash's reproducer is copied into tests/fuzz/regressions/<target>/, where the replay test of
# every build keeps running it, and the script ends with status 1. Runs at the lowest priority.
# TARGET reply-schedules (also part of all) runs the reply rule's property test through the real
# kmt40-cli with a long random schedule of reply faults: SECONDS / 2 runs.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

only=${1:-all}
seconds=${2:-300}
build=build-fuzz
jobs=$(nproc 2>/dev/null || echo 2)

targets=()
for source in tests/fuzz/targets/*.cpp; do
  name=$(basename "$source" .cpp)
  if [ "$only" = all ] || [ "$only" = "$name" ]; then
    targets+=("$name")
  fi
done
schedules=0
if [ "$only" = all ] || [ "$only" = reply-schedules ]; then
  schedules=1
fi
if [ ${#targets[@]} -eq 0 ] && [ $schedules -eq 0 ]; then
  echo "fuzz.sh: no target named '$only' (see tests/fuzz/targets/)" >&2
  exit 2
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKMT40_GUI=OFF \
  -DKMT40_SANITIZE=ON -DKMT40_FUZZ=ON >/dev/null
if [ ${#targets[@]} -gt 0 ]; then
  nice -n 19 cmake --build "$build" -j "$jobs" --target "${targets[@]/#/fuzz_}"
fi

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=0
summary=()
for name in "${targets[@]}"; do
  binary=$build/bin/fuzz_$name
  corpus=tests/fuzz/corpus/$name
  work=$build/work/$name
  crashes=$build/crashes/$name
  log=$build/log/$name.log
  rm -rf "$work" "$crashes" "$build/merged/$name"
  mkdir -p "$corpus" "$work" "$crashes" "$build/log" "$build/merged/$name"

  echo "== $name: $seconds s"
  start=$(date +%s)
  status=0
  nice -n 19 "$binary" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$crashes/" "$work" "$corpus" >"$log" 2>&1 || status=$?
  elapsed=$(( $(date +%s) - start ))

  # Back into the corpus, minimised: only the inputs that add coverage of an edge (hit counts
  # would keep several times as many files for little more).
  nice -n 19 "$binary" -merge=1 -use_counters=0 "$build/merged/$name" "$corpus" "$work" >>"$log" 2>&1 || true
  if [ -n "$(ls -A "$build/merged/$name")" ]; then
    rm -f "$corpus"/*
    cp "$build/merged/$name"/* "$corpus"/
  fi

  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  found=$(find "$crashes" -type f | wc -l)
  if [ "$found" -gt 0 ] || [ "$status" -ne 0 ]; then
    mkdir -p "tests/fuzz/regressions/$name"
    find "$crashes" -type f -exec cp {} "tests/fuzz/regressions/$name/" \;
    echo "   FAILED (status $status): see $log; reproducers copied to tests/fuzz/regressions/$name/"
    failed=1
  fi
  summary+=("$(printf '%-20s %5s s  %10s executions  coverage %5s  crashes %s' "$name" "$elapsed" \
    "${executions:-?}" "${coverage:-?}" "$found")")
done

if [ $schedules -eq 1 ]; then
  nice -n 19 cmake --build "$build" -j "$jobs" --target cli_process_test kmt40-cli
  runs=$(( seconds / 2 ))
  log=$build/log/reply-schedules.log
  mkdir -p "$build/log"
  echo "== reply-schedules: $runs runs"
  status=0
  KMT40_REPLY_SCHEDULES=$runs nice -n 19 "$build/bin/cli_process_test" \
    --gtest_filter='*RandomReplyFaultSchedules*' >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    echo "   FAILED: see $log (KMT40_REPLY_SEED repeats the schedule it names)"
    failed=1
  fi
  summary+=("$(printf '%-20s %5s runs  status %s' reply-schedules "$runs" "$status")")
fi

echo "== summary"
printf '%s\n' "${summary[@]}"
exit $failed
