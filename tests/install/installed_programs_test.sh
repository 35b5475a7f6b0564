#!/usr/bin/env bash
# Installs the build into a temporary prefix and uses it as a user would: the installed kmt40-cli
# backs up a simulated controller, and the installed kmt40 starts with --simulate from a directory
# that is not its own, finds its data in share/kmt40 and keeps application.ini in the user's
# configuration directory. Usage: installed_programs_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/kmt40-install-XXXXXX")
sim_pid=
gui_pid=
cleanup() {
  [ -n "$gui_pid" ] && kill "$gui_pid" 2>/dev/null || true
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/usr" >/dev/null
for f in bin/kmt40-cli bin/km4x-sim share/kmt40/Parameters.txt share/kmt40/Taal1.ini share/kmt40/ErrorHelp2.rtf \
         share/applications/kmt40.desktop share/icons/hicolor/128x128/apps/kmt40.png; do
  [ -e "$work/usr/$f" ] || fail "not installed: $f"
done

# The command-line tool against the simulator, with no settings file anywhere (the fast end of reply:
# the installed layout is tested here, not how a reply ends).
"$work/usr/bin/km4x-sim" --unit 0:38400,E,8,1 --link "$work/link" >"$work/sim.out" &
sim_pid=$!
for _ in $(seq 100); do [ -e "$work/link" ] && break; sleep 0.05; done
[ -e "$work/link" ] || fail "the simulator did not start"
export XDG_CONFIG_HOME="$work/config" HOME="$work/home"
"$work/usr/bin/kmt40-cli" --port "$work/link" --baud 38400 --parity E --fast backup "$work/unit0.bak" 2>"$work/cli.err" \
  || { cat "$work/cli.err" >&2; fail "kmt40-cli backup"; }
[ "$(stat -c %s "$work/unit0.bak")" = 16020 ] || fail "backup size"
[ ! -e "$work/config/kmt40/application.ini" ] || fail "kmt40-cli wrote settings"

if [ -x "$work/usr/bin/kmt40" ]; then
  mkdir -p "$work/elsewhere" "$work/tmp"
  (cd "$work/elsewhere" && QT_QPA_PLATFORM=offscreen TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/tmp" \
     exec "$work/usr/bin/kmt40" --simulate >"$work/gui.out" 2>&1) &
  gui_pid=$!
  for _ in $(seq 100); do [ -d "$work/config/kmt40" ] && break; sleep 0.1; done
  [ -d "$work/config/kmt40" ] || fail "kmt40 made no configuration directory"
  sleep 1
  kill -0 "$gui_pid" 2>/dev/null || { cat "$work/gui.out" >&2; fail "kmt40 did not keep running"; }
  kill -TERM "$gui_pid"
  wait "$gui_pid" || true
  gui_pid=
  [ -f "$work/config/kmt40/application.ini" ] || fail "kmt40 kept no settings in the configuration directory"
  grep -q '^\[Serieel\]' "$work/config/kmt40/application.ini" || fail "settings file without [Serieel]"
  [ ! -e "$work/usr/bin/application.ini" ] || fail "settings written beside the installed program"
  ls "$work/elsewhere" | grep -q . && fail "files left in the working directory"
fi
echo "installed programs: ok"
