#!/usr/bin/env bash
# Drives kmt40-cli's bash completion as bash does on Tab, with the built kmt40-cli on the PATH:
# what it offers for commands, options, option values, COM names from application.ini and files.
# Usage: completion_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kmt40-completion-XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0

export PATH="$build/bin:$PATH" XDG_CONFIG_HOME="$work/config" HOME="$work/home"
mkdir -p "$XDG_CONFIG_HOME/kmt40" "$work/files/sub"
# As the windowed program writes it: CR LF, any case; a COM name outside [Poorten] is no port.
printf '[Serieel]\r\nPort=1\r\n[Poorten]\r\nCOM3=/dev/ttyUSB7\r\ncom12 = /dev/ttyS4\r\n[Grafiek]\r\nCOM9=x\r\n' \
  >"$XDG_CONFIG_HOME/kmt40/application.ini"
touch "$work/files/"{a.app,b.APS,c.bak,d.txt,sub/e.bak}
cd "$work/files"

source "$source/packaging/completion/kmt40-cli"
complete -p kmt40-cli | grep -q -- '-F _kmt40_cli' || { echo "FAIL: not registered for kmt40-cli"; exit 1; }

# What Tab offers when the last argument is the word being completed; sorted, on one line.
offers() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMP_LINE="$*"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _kmt40_cli
  printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | paste -sd' ' -
}
expect() {
  local want=$1 got
  shift
  got=$(offers "$@")
  [ "$got" = "$want" ] || { echo "FAIL: after \"$*\": offered \"$got\", expected \"$want\"" >&2; failed=1; }
}
expect_among() {
  local words=$1 word got
  shift
  got=" $(offers "$@") "
  for word in $words; do
    [[ $got == *" $word "* ]] || { echo "FAIL: after \"$*\": \"$word\" not offered (got$got)" >&2; failed=1; }
  done
}
expect_not() {
  local words=$1 word got
  shift
  got=" $(offers "$@") "
  for word in $words; do
    [[ $got != *" $word "* ]] || { echo "FAIL: after \"$*\": \"$word\" offered" >&2; failed=1; }
  done
}

# Commands, read from --help.
expect_among "identify read-params read-setpoints write-params write-setpoints backup restore send bp diff verify search" kmt40-cli ""
expect_not "--port a.app" kmt40-cli ""
expect "read-params read-setpoints restore" kmt40-cli re
expect "search send" kmt40-cli --unit 3 s

# Options: the line options everywhere, the search options only for search.
expect_among "--port --baud --parity --databits --stopbits --unit --fast --json --help --version" kmt40-cli read-params --
expect_not "--from --last-unit --auto-parity" kmt40-cli read-params --
expect_among "--from --last-unit --auto-parity --auto-stopbits --baud" kmt40-cli search --
expect "--auto-parity --auto-stopbits" kmt40-cli --port COM1 search --a

# Option values, also after "=".
expect "115200 1200 19200" kmt40-cli --baud 1
expect "E N O" kmt40-cli --parity ""
expect "7 8" kmt40-cli restore x.bak --databits ""
expect "3 30 31" kmt40-cli --unit 3
expect "28800" kmt40-cli search --from 2
expect "3 30 31" kmt40-cli search --last-unit = 3
expect "c.bak sub" kmt40-cli --baud = 9600 restore ""

# Port names from [Poorten] (in capitals), and devices.
expect_among "COM3 COM12" kmt40-cli --port ""
expect_not "COM9" kmt40-cli --port ""
expect "COM12" kmt40-cli --port = COM1

# Files of the kind a command takes, and directories to go into.
expect "c.bak sub" kmt40-cli restore ""
expect "sub/e.bak" kmt40-cli --baud 9600 restore sub/
expect "a.app sub" kmt40-cli read-params ""
expect "b.APS sub" kmt40-cli --unit 5 write-setpoints ""
expect "a.app b.APS c.bak sub" kmt40-cli verify ""
expect "a.app b.APS c.bak sub" kmt40-cli diff a.app ""
expect "" kmt40-cli diff a.app c.bak ""
expect "" kmt40-cli restore c.bak ""
expect "" kmt40-cli send ""
expect "" kmt40-cli identify ""

[ "$failed" = 0 ] && echo "completion: ok"
exit "$failed"
