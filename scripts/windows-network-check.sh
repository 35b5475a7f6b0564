#!/usr/bin/env bash
# kmt40-cli.exe under Wine on network lines (rfc2217://), through Winsock, against the scripted
# RFC 2217 server of the tests (tests/support/ScriptedComPortServer.cpp) bridged to km4x-sim's
# pseudo-terminal, everything on the loopback:
#
#   binary-refused           CR NUL and IAC round-trip: a whole read equals a direct read
#   flow-suspended           a 1.5 s FLOWCONTROL-SUSPEND is not counted into the time-out: the same
#   late-line-state          line errors reported a moment late fail their exchange, which is asked
#                            for again, the server's first one too: read-setpoints equals a direct
#                            read
#   endless-subnegotiation   ends with status 1 and one message naming the server, bounded in time
#   lost connection          the server killed during a backup: status 1, the connection named
#                            lost (not a time-out), no file
#   connect deadline         a server whose queue is full drops the SYN: status 1 within the
#                            connect deadline, naming the address
#
# scripts/windows.sh runs it after its own checks of kmt40-cli.exe; alone it needs build/ (Linux:
# km4x-sim, kmt40-cli, the scripted server are built here) and build-win/bin/kmt40-cli.exe with its
# Wine prefix (scripts/windows.sh lost-line 1 makes both). The checks run side by side, each on a
# simulator and server of its own. Exit status 1 when one failed.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)
source scripts/windows-env.sh

linux=build
work=$win_build/network-check
exe=$PWD/$win_build/bin/kmt40-cli.exe
cmake --build $linux -j "$(nproc 2>/dev/null || echo 2)" --target kmt40-cli km4x-sim scripted-comport-server >/dev/null
[ -f "$exe" ] || { echo "windows-network-check.sh: $exe is missing (scripts/windows.sh builds it)"; exit 1; }
[ -d "$WINEPREFIX" ] || "$wine" wineboot -i >/dev/null 2>&1
rm -rf $work
mkdir -p $work

pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# serve NAME MODE: a simulator (unit 0 at 38400,E,8,1, factory values) logging to $work/NAME.log,
# and the scripted server in MODE bridged to it; its port goes to $work/NAME.port, its process id
# to $work/NAME.server.
serve() {
  local name=$1 mode=$2
  $linux/bin/km4x-sim --link "$PWD/$work/$name.link" --log $work/$name.log >$work/$name.sim 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    [ -L $work/$name.link ] && break
    sleep 0.1
  done
  $linux/bin/scripted-comport-server "$mode" "$PWD/$work/$name.link" 38400 >$work/$name.port 2>&1 &
  pids+=($!)
  echo $! >$work/$name.server
  for _ in $(seq 100); do
    [ -s $work/$name.port ] && break
    sleep 0.1
  done
}

# win NAME ARGS...: kmt40-cli.exe through the server of NAME, at most 60 s; standard output and
# error in $work/NAME.out and .err (line ends made LF), status in .status, seconds taken in .time.
win() {
  local name=$1 status=0 begun
  shift
  begun=$(date +%s%N)
  (cd $work && exec timeout 60 "$wine" "$exe" --port "rfc2217://127.0.0.1:$(head -1 $name.port)" \
    --baud 38400 --parity E --unit 0 "$@" >$name.out 2>$name.err) || status=$?
  sed -i 's/\r$//' $work/$name.out $work/$name.err
  echo $status >$work/$name.status
  echo $((($(date +%s%N) - begun) / 1000000)) >$work/$name.time
}

failed=0
fail() {
  echo "   $1: $2"
  echo "      $(tr '\n' ' ' <$work/$1.err)"
  failed=1
}
# same_as_direct NAME FILE: exit 0 and FILE equal to the direct read's (direct.app or .aps).
same_as_direct() {
  if [ "$(cat $work/$1.status)" != 0 ]; then
    fail $1 "exit $(cat $work/$1.status)"
  elif ! cmp -s $work/$2 $work/direct.${2##*.}; then
    fail $1 "$2 differs from the direct read"
  else
    echo "   $1: $2 identical to the direct read ($(cat $work/$1.time) ms)"
  fi
}
# one_message NAME TEXT...: exit 1, one line of kmt40-cli on standard error, holding each TEXT.
one_message() {
  local name=$1 text
  shift
  if [ "$(cat $work/$name.status)" != 1 ]; then
    fail $name "exit $(cat $work/$name.status), expected 1"
    return
  fi
  if [ "$(grep -c '^kmt40-cli: ' $work/$name.err)" != 1 ]; then
    fail $name "expected one message"
    return
  fi
  for text in "$@"; do
    if ! grep -q -- "$text" $work/$name.err; then
      fail $name "the message does not say \"$text\""
      return
    fi
  done
  echo "   $name: exit 1 in $(cat $work/$name.time) ms: $(grep '^kmt40-cli: ' $work/$name.err | cut -c1-110)"
}

for name in binary flow late endless lost deadline; do
  case $name in
    binary) serve $name binary-refused ;;
    flow) serve $name flow-suspended ;;
    late) serve $name late-line-state ;;
    endless) serve $name endless-subnegotiation ;;
    lost) serve $name well-behaved ;;
    deadline) serve $name never-accepts ;;
  esac
done
# The reference: the Linux build on the simulator's line itself.
direct=("$linux/bin/kmt40-cli" --port "$PWD/$work/binary.link" --baud 38400 --parity E --unit 0 --fast)
"${direct[@]}" read-params $work/direct.app >/dev/null 2>&1 &&
  "${direct[@]}" read-setpoints $work/direct.aps >/dev/null 2>&1 || { echo "   the direct read failed"; exit 1; }

runs=()
win binary --fast read-params binary.app &
runs+=($!)
win flow --fast read-params flow.app &
runs+=($!)
win late --fast read-setpoints late.aps &
runs+=($!)
win endless identify &
runs+=($!)
win deadline identify &
runs+=($!)
# The server goes away in the middle of the parameters (its process is killed, as a server that
# is switched off): the backup must end as a lost line.
win lost backup lost.bak &
lost=$!
for _ in $(seq 600); do
  [ "$(wc -l <$work/lost.log)" -ge 40 ] && break
  sleep 0.1
done
kill "$(cat $work/lost.server)"
wait $lost "${runs[@]}"

same_as_direct binary binary.app
same_as_direct flow flow.app
same_as_direct late late.aps
one_message endless "broke the Telnet protocol" "127.0.0.1 port"
one_message lost "connection to 127.0.0.1 port" "was lost"
if grep -q "time-out" $work/lost.err || [ -e $work/lost.bak ]; then
  fail lost "reported as a time-out, or left a file"
fi
one_message deadline "no answer from 127.0.0.1 port $(head -1 $work/deadline.port) within 5 s"
# The connect deadline, not the system's minutes (Wine's start included).
if [ "$(cat $work/deadline.time)" -gt 20000 ]; then
  fail deadline "took $(cat $work/deadline.time) ms"
fi

echo "== windows-network-check.sh: $(($(date +%s) - started)) s"
if [ $failed -ne 0 ]; then
  echo "== network line checks under Wine FAILED"
  exit 1
fi
echo "== network line checks under Wine passed"
