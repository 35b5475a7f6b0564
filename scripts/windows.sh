#!/usr/bin/env bash
# Proves the Windows build on this Linux machine:
#
#  1. cross-builds everything with mingw-w64 into build-win/: the Qt-free part (serial library,
#     core, kmt40-cli and their tests), kmt40.exe with its windows against Qt for Windows
#     (scripts/windows-qt.sh finds it), window tests, and build-win/kmt40/, the folder a Windows
#     user gets installed;
#  2. runs those tests under Wine through CTest, the window scenarios against the Linux km4x-sim on
#     pseudo-terminals mapped to COM ports, on an X display of their own (Xvfb);
#  3. runs kmt40-cli.exe under Wine against the Linux km4x-sim on pseudo-terminals mapped to COM
#     ports, and compares what it writes with what the Linux kmt40-cli writes, byte for byte:
#     identify, read-setpoints, read-params, backup, and restore (the requests it sends); then a
#     line that goes away in the middle of a read must end it with status 1 and a message with the
#     system's text;
#     and identify through a real ser2net on the loopback (rfc2217://127.0.0.1:PORT), over Winsock.
#
#   scripts/windows.sh              all of it (scripts/test.sh runs it)
#   scripts/windows.sh full         the same with every window test under Wine rather than the
#                                   scenarios chosen for every run
#   scripts/windows.sh build        only the cross-build and the Wine prefix, no test: scripts/test.sh
#                                   runs it in the background while the sanitizer pass tests, so
#                                   that its own run finds everything built
#   scripts/windows.sh lost-line N  only the lost line, N times (10 if not given), each on a
#                                   simulator of its own, the line closed at once and while a reply
#                                   is awaited in turn: for trying that check on a busy machine. It
#                                   builds no more than kmt40-cli.exe and the simulator.
#
# scripts/test.sh runs it as its last pass, after the Linux build in build/, which it reuses.
# Wine's settings live in build-win/wine/, never in the user's own ~/.wine (scripts/windows-env.sh).
#
# Kept short for CI: the cross-build is optimised without debug information, the fuzz-corpus
# replays are left out (the parsers have no platform code; the Linux passes replay them), and the
# transfers run side by side, each on a simulator of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)
mode=${1:-all}
rounds=${2:-10}
case $mode in
  all | full | build | lost-line) ;;
  *) echo "usage: scripts/windows.sh [full | build | lost-line [ROUNDS]]" >&2; exit 2 ;;
esac

bash scripts/setup.sh windows
source scripts/windows-env.sh
source scripts/windows-qt.sh

jobs=$(nproc 2>/dev/null || echo 2)
linux=build
win=$win_build
work=$win/cli-check

sims=()
cleanup() {
  local pid
  for pid in "${sims[@]}" ${ser2net_pid:-}; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${sims[@]}" ${ser2net_pid:-}; do
    wait "$pid" 2>/dev/null || true
  done
  "$wineserver" -k 2>/dev/null || true
}
trap cleanup EXIT

# The Linux simulator (the window tests' and kmt40-cli.exe's controller) and the Linux kmt40-cli.
linux_tools() {
  if [ ! -f $linux/CMakeCache.txt ]; then
    cmake -S . -B $linux -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKMT40_WERROR=ON >/dev/null
  fi
  cmake --build $linux -j "$jobs" --target kmt40-cli km4x-sim copy_data >/dev/null
}

# Wine's COM1..COM3 are the kmt40-cli checks' simulators b, d and e (started later); COM4..COM7 are
# the slots of the window tests' simulators (tests/support/wine/SimulatorUnderWine.cpp). Wine
# passes no QT_* variable to a Windows program; what Qt must see goes into the prefix's environment:
# QtTest's output on standard error rather than the debugger's channel, and the fonts of the
# offscreen platform.
rm -rf $work
mkdir -p $win $work/linux $work/windows $work/slots
export KMT40_WINE_SIMULATOR="$PWD/$linux/bin/km4x-sim|$PWD/$work/slots|4|4"
wine_setup() {
  "$wine" reg add 'HKCU\Environment' /v QT_FORCE_STDERR_LOGGING /t REG_SZ /d 1 /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Environment' /v QT_QPA_FONTDIR /t REG_SZ /d 'Z:\usr\share\fonts\truetype\dejavu' /f \
    >/dev/null 2>&1
  win_map_ports "$PWD/$work/b.link" "$PWD/$work/d.link" "$PWD/$work/e.link" \
    "$PWD/$work/slots/slot0.link" "$PWD/$work/slots/slot1.link" "$PWD/$work/slots/slot2.link" \
    "$PWD/$work/slots/slot3.link"
}

if [ $mode != lost-line ]; then
  echo "== cross-build for Windows (mingw-w64) into $win/: the Qt-free part, the windows, build-win/kmt40/"
  # The Wine prefix is made while CMake configures; the build runs each test program under Wine to
  # list its tests.
  "$wine" wineboot -i >$win/wineboot.log 2>&1 &
  wineboot=$!
  every_scenario=OFF
  [ $mode = full ] && every_scenario=ON
  win_configure -DKMT40_FUZZ_REPLAY=OFF -DKMT40_WINE_ALL_SCENARIOS=$every_scenario
  wait $wineboot || { echo "windows.sh: wineboot failed"; cat $win/wineboot.log; exit 1; }
  cmake --build $win -j "$jobs"
  linux_tools
  wine_setup
  built=$(date +%s)
  if [ $mode = build ]; then
    "$wineserver" -k 2>/dev/null || true
    echo "== windows.sh build: $((built - started)) s"
    exit 0
  fi

  # Under one X display, so that the window test on the windows platform has a screen; the others
  # do not care. The X server goes with the run: Wine's server goes too, so that kmt40-cli.exe
  # below does not find a desktop whose display has gone.
  # Wine's own services start with the first Windows program and hold its output open for as long
  # as they run: started first with none, they cannot keep ctest waiting for a test's output.
  echo "== tests under Wine, the window scenarios among them"
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '"$1" cmd /c exit </dev/null >/dev/null 2>&1
    exec ctest --test-dir "$2" --output-on-failure -j "$3" --timeout 300' - "$wine" $win "$jobs"
  "$wineserver" -k 2>/dev/null || true
  "$wineserver" -w
  tested=$(date +%s)
else
  echo "== cross-build of kmt40-cli.exe into $win/"
  "$wine" wineboot -i >$win/wineboot.log 2>&1 &
  wineboot=$!
  [ -f $win/CMakeCache.txt ] || win_configure -DKMT40_FUZZ_REPLAY=OFF
  wait $wineboot || { echo "windows.sh: wineboot failed"; cat $win/wineboot.log; exit 1; }
  cmake --build $win -j "$jobs" --target kmt40-cli
  linux_tools
  wine_setup
  built=$(date +%s)
  tested=$built
fi

echo "== kmt40-cli.exe under Wine against km4x-sim"

# start_sims SIM...: a simulator for each (unit 0 at 38400,E,8,1, factory values) on a
# pseudo-terminal at $work/SIM.link, logging its requests to $work/SIM.log. d and e, where the line
# goes away, take console commands from a pipe (file descriptors 3 and 4).
start_sims() {
  local sim input
  for sim in "$@"; do
    input=/dev/null
    rm -f $work/$sim.link
    case $sim in d | e) rm -f $work/$sim.console; mkfifo $work/$sim.console; input=$work/$sim.console ;; esac
    $linux/bin/km4x-sim --link "$PWD/$work/$sim.link" --log $work/$sim.log <$input >$work/$sim.out 2>&1 &
    sims+=($!)
    case $sim in d) exec 3>$work/d.console ;; e) exec 4>$work/e.console ;; esac
  done
  for sim in "$@"; do
    for _ in $(seq 100); do
      [ -L $work/$sim.link ] && break
      sleep 0.1
    done
    [ -L $work/$sim.link ] || { echo "windows.sh: km4x-sim $sim did not start"; cat $work/$sim.out; exit 1; }
  done
}
stop_sims() {
  local pid
  exec 3>&- 4>&-
  for pid in "${sims[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  sims=()
}

# Both builds read the same values and the long transfers run at the same time: a and c for Linux,
# b and d for Windows; d and e end with the line going away. Windows reaches b, d and e as COM1,
# COM2 and COM3.
if [ $mode != lost-line ]; then
  start_sims a b c d e
else
  start_sims d e
fi

line=(--baud 38400 --parity E --unit 0)
# cli SIDE SIM NAME ARGS...: runs one command of the Linux build (side linux) or of the Windows build
# under Wine (side windows) against simulator SIM, in $work/SIDE/. Keeps its standard output and
# error as NAME.out and NAME.err, its exit status as NAME.status and the requests it sent, as the
# simulator logged them without the time, as NAME.requests. It may take at most $limit seconds.
limit=300
cli() {
  local side=$1 sim=$2 name=$3
  shift 3
  local before status=0
  before=$(wc -l <$work/$sim.log)
  if [ $side = linux ]; then
    (cd $work/linux && exec timeout $limit "$OLDPWD/$linux/bin/kmt40-cli" --port "$OLDPWD/$work/$sim.link" "${line[@]}" \
      "$@" >$name.out 2>$name.err) || status=$?
  else
    local port
    case $sim in b) port=COM1 ;; d) port=COM2 ;; e) port=COM3 ;; esac
    (cd $work/windows && exec timeout $limit "$wine" "$OLDPWD/$win/bin/kmt40-cli.exe" --port $port "${line[@]}" \
      "$@" >$name.out 2>$name.err) || status=$?
    # The console of a Windows program ends its lines with CR LF.
    sed -i 's/\r$//' $work/windows/$name.out $work/windows/$name.err
  fi
  echo $status >$work/$side/$name.status
  tail -n +"$((before + 1))" $work/$sim.log | cut -d' ' -f3- >$work/$side/$name.requests
}

failed=0
check_status() {
  local side name status
  for side in linux windows; do
    for name in "$@"; do
      status=$(cat $work/$side/$name.status)
      if [ "$status" != 0 ]; then
        echo "   $name ($side): exit $status: $(cat $work/$side/$name.err)"
        failed=1
      fi
    done
  done
}
same() {
  if cmp -s "$work/linux/$1" "$work/windows/$1"; then
    echo "   $1: identical ($(wc -c <"$work/linux/$1") bytes)"
  else
    echo "   $1: DIFFERS"
    cmp "$work/linux/$1" "$work/windows/$1" || true
    failed=1
  fi
}

# lost_line SIM FD TIMING: the line goes away while kmt40-cli.exe reads the parameters from SIM
# (as when a USB adapter is pulled out), closed through the console on FD: at whatever moment of
# the exchanges it lands (TIMING any), or while a reply is awaited (TIMING wait: the unit falls
# silent first, so that the close lands in the read's wait, which Wine may end as a time-out). The
# run must end by itself, within a minute, with status 1 and say why in the system's words.
lost_line() {
  local sim=$1 fd=$2 timing=$3 before status message
  before=$(wc -l <$work/$sim.log)
  limit=60 cli windows $sim lost-$sim read-params lost-$sim.app &
  local run=$!
  for _ in $(seq 300); do
    [ $(($(wc -l <$work/$sim.log) - before)) -ge 50 ] && break
    sleep 0.1
  done
  [ $timing = wait ] && echo "fault silent on" >&"$fd"
  echo close >&"$fd"
  wait $run || true
  status=$(cat $work/windows/lost-$sim.status)
  message=$(cat $work/windows/lost-$sim.err)
  echo "   line closed during read-params ($timing): exit $status: ${message##*$'\n'}"
  if [ "$status" != 1 ]; then
    echo "   expected exit status 1"
    failed=1
  fi
  if ! grep -Eq 'system error [0-9]+ \(.+\)' <<<"$message"; then
    echo "   expected a message naming the system error and its text"
    failed=1
  fi
}

if [ $mode = lost-line ]; then
  echo "== the line lost during read-params, $rounds times"
  for round in $(seq "$rounds"); do
    [ $round = 1 ] || start_sims d e
    echo "   round $round"
    lost_line d 3 any
    lost_line e 4 wait
    stop_sims
  done
  finished=$(date +%s)
  echo "== windows.sh lost-line: $((finished - started)) s (build $((built - started)) s)"
  [ $failed = 0 ] || { echo "== lost line check FAILED"; exit 1; }
  echo "== lost line check passed $rounds times"
  exit 0
fi

# The setpoints on the default end of reply (50 ms of silence), everything else with the fast one
# (a reply ends at its CR LF), so that both ways of ending a reply are proven on Windows and the
# whole-controller transfers take seconds, not half a minute each.
runs=()
(cli linux a identify identify && cli linux a read-setpoints read-setpoints unit0.aps &&
  cli linux a read-params --fast read-params unit0.app) &
runs+=($!)
(cli windows b identify identify && cli windows b read-setpoints read-setpoints unit0.aps &&
  cli windows b read-params --fast read-params unit0.app) &
runs+=($!)
cli linux c backup --fast backup unit0.bak &
runs+=($!)
cli windows d backup --fast backup unit0.bak &
runs+=($!)
wait "${runs[@]}"
check_status identify read-setpoints read-params backup
same identify.out
same unit0.aps
same unit0.app
same unit0.bak

# Both restore the backup the Linux build made.
runs=()
cli linux a restore --fast restore ../linux/unit0.bak &
runs+=($!)
cli windows b restore --fast restore ../linux/unit0.bak &
runs+=($!)

# Meanwhile the faults, one after the other.
lost_line d 3 any
lost_line e 4 wait
wait "${runs[@]}"
check_status restore
same restore.requests
same restore.out

# The search changes the line's rate between its probes, before and after a unit has answered: Wine
# on a pseudo-terminal refuses a change of a line that has parity unless the serial library works
# round it. Not compared with Linux: on a pseudo-terminal Wine sets 28800 bit/s, a rate without a
# classic speed code, as 38400, where the unit answers too.
cli windows b search search --from 28800 --last-unit 1
status=$(cat $work/windows/search.status)
if [ "$status" != 0 ] || ! grep -q '^00,.*,38400,Even,1$' $work/windows/search.out; then
  echo "   search (windows): exit $status, expected unit 0 at 38400,Even,1 among:"
  cat $work/windows/search.out $work/windows/search.err
  failed=1
fi

# identify through a serial device server: ser2net on the loopback bridges simulator a (its runs
# are over) to an RFC 2217 port; kmt40-cli.exe reaches it through Winsock.
listening() { grep -q "^ *[0-9]*: 0100007F:$(printf '%04X' "$1") [0-9A-F:]* 0A " /proc/net/tcp; }
ser2net_port=
for _ in 1 2 3; do
  port=$((20000 + RANDOM % 40000))
  listening $port && continue
  printf 'connection: &a\n  accepter: telnet(rfc2217),tcp,127.0.0.1,%s\n  connector: serialdev,%s,38400e81,local\n' \
    $port "$PWD/$work/a.link" >$work/ser2net.yaml
  /usr/sbin/ser2net -n -u -c $work/ser2net.yaml -P "$PWD/$work/ser2net.pid" >$work/ser2net.log 2>&1 &
  ser2net_pid=$!
  for _ in $(seq 100); do
    listening $port && break
    sleep 0.1
  done
  if listening $port; then
    ser2net_port=$port
    break
  fi
  kill $ser2net_pid 2>/dev/null || true
  wait $ser2net_pid 2>/dev/null || true
  ser2net_pid=
done
if [ -z "$ser2net_port" ]; then
  echo "   ser2net did not start: $(cat $work/ser2net.log)"
  failed=1
else
  status=0
  (cd $work/windows && exec timeout 60 "$wine" "$OLDPWD/$win/bin/kmt40-cli.exe" \
    --port rfc2217://127.0.0.1:$ser2net_port "${line[@]}" identify >network.out 2>network.err) || status=$?
  sed -i 's/\r$//' $work/windows/network.out $work/windows/network.err
  if [ $status = 0 ] && cmp -s $work/linux/identify.out $work/windows/network.out; then
    echo "   identify through ser2net (rfc2217): identical to the Linux build's on the line itself"
  else
    echo "   identify through ser2net (rfc2217): exit $status: $(cat $work/windows/network.err)"
    failed=1
  fi
fi
bash scripts/windows-network-check.sh || failed=1

bash scripts/windows-installer.sh || failed=1 # the setup program, and its round trip in a Wine prefix of its own
finished=$(date +%s)
echo "== windows.sh: $((finished - started)) s (build $((built - started)) s, tests $((tested - built)) s," \
  "kmt40-cli $((finished - tested)) s)"
if [ $failed -ne 0 ]; then
  echo "== Windows checks FAILED"
  exit 1
fi
echo "== Windows checks passed"
