#!/usr/bin/env bash
# Builds the benchmarks when needed and runs them. Every figure is a ratio to a floor measured in
# the same run (shared machines are noisy; absolute times mean little).
#   bench/run.sh            all benchmarks
#   bench/run.sh exchange   only those whose name contains "exchange"
#   KMT40_SOAK_EXCHANGES=1000000 bench/run.sh soak
#                           the long run with that many exchanges (100000 when not set)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${KMT40_BENCH_BUILD:-build-bench}
filter=${1:-}
jobs=$(nproc 2>/dev/null || echo 2)

gui_build=${KMT40_BENCH_GUI_BUILD:-build-bench-gui}

# Once per run: a build made before a benchmark was added learns its target.
configure() {
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKMT40_GUI=OFF >/dev/null
  elif [ -z "${configured:-}" ]; then
    cmake -S . -B "$build" >/dev/null
  fi
  configured=1
}

# The benchmarks of windows need a build with them.
configure_gui() {
  if [ ! -f "$gui_build/CMakeCache.txt" ]; then
    cmake -S . -B "$gui_build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
}

# bench <name> <target> <command line relative to the build's bin directory...>
bench() {
  local name=$1 target=$2
  shift 2
  if [ -n "$filter" ] && [[ "$name" != *"$filter"* ]]; then
    return 0
  fi
  configure
  cmake --build "$build" --target "$target" -j "$jobs" >/dev/null
  echo "== $name"
  (cd "$build/bin" && "./$@")
  echo
}

bench "exchange: KT750 requests against the simulator" bench_exchange bench_exchange 300
# Through a serial device server: ser2net on the loopback bridging the simulator's pseudo-terminal.
bench "network exchange: through ser2net (rfc2217) and on the pty directly" bench_network_exchange bench_network_exchange 200

# The Windows build under Wine: time of one exchange against the Linux build's, same simulator.
if command -v wine64 >/dev/null || command -v wine >/dev/null || [ -x /usr/lib/wine/wine64 ]; then
  if [ -z "$filter" ] || [[ "wine: exchange" == *"$filter"* ]]; then
    configure
    echo "== wine: exchange time under Wine / on Linux"
    bench/wine_exchange.sh "$build" 3
    echo
  fi
  if [ -z "$filter" ] || [[ "wine: start-up" == *"$filter"* ]]; then
    echo "== wine: kmt40.exe start-up to its main window / a minimal Qt window, on Xvfb"
    bench/wine_startup.sh 5
    echo
  fi
fi

# The live graph: a full redraw of 4001 samples against a bare polyline, and the log's sample rate
# against the line's exchange rate.
if [ -z "$filter" ] || [[ "live graph" == *"$filter"* ]]; then
  configure_gui
  cmake --build "$gui_build" --target bench_graph -j "$jobs" >/dev/null
  echo "== live graph: redraw and sample rate"
  (cd "$gui_build/bin" && ./bench_graph 200 200)
  echo
fi
# The live polls and the graph's logging for a long run: resident memory, descriptors and threads
# at its start and end.
bench "soak: live values, inputs/outputs and graph logging" bench_soak bench_soak "${KMT40_SOAK_EXCHANGES:-100000}"
# Further benchmarks follow here, one bench line each.
# The device search without auto options over an empty line (160 probes), as a ratio to 160 probe floors.
bench "search: 160 probes over an empty line" bench_search bench_search 20
# kmt40-cli: a whole read (backup, 448 values) against the simulator, as a ratio to 448 single-exchange
# floors; with --fast as a ratio to a plain line reader, with the speed-up and CPU per exchange.
bench "cli: full read of 448 values through kmt40-cli, with and without --fast" bench_cli_read bench_cli_read 2
# kmt40-cli line-backup of four units against four single backups of the same units, both --fast.
bench "line: line-backup of four units against four single backups" bench_line_backup bench_line_backup 3
