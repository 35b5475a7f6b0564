#!/usr/bin/env bash
# The time of one exchange of the Windows kmt40-cli.exe under Wine against that of the Linux
# kmt40-cli, on the same simulator (bench/run.sh runs it when Wine is present).
#
# A whole read-params (400 exchanges) less an identify (4 exchanges) is 396 exchanges of each
# build; taking the difference leaves out what is not an exchange (starting the program, and
# Wine, opening the port, "sc 0"). The ratio of the medians over RUNS alternating runs is printed.
#
#   bench/wine_exchange.sh LINUX_BUILD [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/windows-env.sh
source scripts/windows-qt.sh

linux=$1
runs=${2:-3}
jobs=$(nproc 2>/dev/null || echo 2)

if [ ! -f $win_build/CMakeCache.txt ]; then
  win_configure
fi
cmake --build $win_build --target kmt40-cli -j "$jobs" >/dev/null
cmake --build "$linux" --target kmt40-cli km4x-sim -j "$jobs" >/dev/null
[ -f "$WINEPREFIX/system.reg" ] || "$wine" wineboot -i >/dev/null 2>&1

work=$win_build/bench
rm -rf $work
mkdir -p $work
"$linux/bin/km4x-sim" --link "$PWD/$work/line" </dev/null >$work/sim.out 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; "$wineserver" -k 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [ -L $work/line ] && break
  sleep 0.1
done
win_map_ports "$PWD/$work/line"

line=(--baud 38400 --parity E --unit 0)
# ms <command...>: wall time of the command in milliseconds.
ms() {
  local start
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  echo $((($(date +%s%N) - start) / 1000000))
}
linux_cli() { "$linux/bin/kmt40-cli" --port "$PWD/$work/line" "${line[@]}" "$@"; }
wine_cli() { "$wine" $win_build/bin/kmt40-cli.exe --port COM1 "${line[@]}" "$@"; }

wine_cli identify >/dev/null 2>&1 # Wine's first start loads more than a later one
linux_ms=()
wine_ms=()
for _ in $(seq "$runs"); do
  linux_ms+=($(($(ms linux_cli read-params $work/linux.app) - $(ms linux_cli identify))))
  wine_ms+=($(($(ms wine_cli read-params $work/wine.app) - $(ms wine_cli identify))))
done
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }
linux_median=$(median "${linux_ms[@]}")
wine_median=$(median "${wine_ms[@]}")
awk -v l="$linux_median" -v w="$wine_median" 'BEGIN {
  printf "Linux: %.2f ms per exchange, Wine: %.2f ms per exchange (median of the runs)\n", l / 396, w / 396
  printf "ratio Wine / Linux: %.3f (goal <= 1.02)\n", w / l
}'
