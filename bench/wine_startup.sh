#!/usr/bin/env bash
# kmt40.exe's start-up under Wine on Xvfb, to its main window on the screen, as a ratio to the
# floor: a minimal Qt Widgets window (bench/WindowFloor.cpp) built with the same toolchain and Qt
# and started the same way, in the same run; and the resident memory of each a second after its
# window showed. kmt40.exe starts from build-win/kmt40/, the folder a Windows user gets installed.
# The medians over RUNS alternating runs are printed (bench/run.sh runs it when Wine is present).
#
#   bench/wine_startup.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/windows-env.sh
source scripts/windows-qt.sh

runs=${1:-5}
jobs=$(nproc 2>/dev/null || echo 2)
[ -f $win_build/CMakeCache.txt ] || win_configure -DKMT40_FUZZ_REPLAY=OFF
cmake --build $win_build --target kmt40_deploy bench_window_floor windows_runtime -j "$jobs" >/dev/null
[ -f "$WINEPREFIX/system.reg" ] || "$wine" wineboot -i >/dev/null 2>&1
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w

xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  wine=$1 wineserver=$2 deploy=$3 bin=$4 runs=$5
  # start DIR EXE TITLE: milliseconds from the start until the window TITLE is on the screen, then
  # the resident memory (kB) a second later; the program is ended after.
  start() {
    local begin pid ms rss
    begin=$(date +%s%N)
    (cd "$1" && exec "$wine" "$2" </dev/null >/dev/null 2>&1) &
    pid=$!
    until xwininfo -name "$3" 2>/dev/null | grep -q "Map State: IsViewable"; do
      sleep 0.01
      kill -0 $pid 2>/dev/null || { echo "$2 ended before its window showed" >&2; exit 1; }
    done
    ms=$((($(date +%s%N) - begin) / 1000000))
    sleep 1
    rss=$(awk "/^VmRSS:/ {print \$2}" /proc/$pid/status)
    kill $pid
    wait $pid 2>/dev/null || true
    echo "$ms $rss"
  }
  # Wine'\''s own services and its first loading of the DLLs are not what is measured.
  "$wine" cmd /c exit </dev/null >/dev/null 2>&1
  start "$bin" bench_window_floor.exe "KMT40 start-up floor" >/dev/null
  for _ in $(seq "$runs"); do
    echo "floor $(start "$bin" bench_window_floor.exe "KMT40 start-up floor")"
    echo "kmt40 $(start "$deploy" kmt40.exe "Kelmor Software Tool (KMT40)")"
  done' - "$wine" "$wineserver" "$PWD/$win_build/kmt40" "$PWD/$win_build/bin" "$runs" >$win_build/startup.txt

median() { sort -n | sed -n "$(((runs + 1) / 2))p"; }
floor_ms=$(awk '$1 == "floor" {print $2}' $win_build/startup.txt | median)
kmt40_ms=$(awk '$1 == "kmt40" {print $2}' $win_build/startup.txt | median)
floor_kb=$(awk '$1 == "floor" {print $3}' $win_build/startup.txt | median)
kmt40_kb=$(awk '$1 == "kmt40" {print $3}' $win_build/startup.txt | median)
awk -v f="$floor_ms" -v k="$kmt40_ms" -v fm="$floor_kb" -v km="$kmt40_kb" 'BEGIN {
  printf "start-up to the main window: kmt40.exe %d ms, floor %d ms (medians)\n", k, f
  printf "ratio kmt40.exe / floor: %.3f (goal <= 1.1)\n", k / f
  printf "resident memory a second after: kmt40.exe %.1f MB, floor %.1f MB\n", km / 1024, fm / 1024
}'
