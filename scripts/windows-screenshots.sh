#!/usr/bin/env bash
# Renders every window as a Windows user sees it: the screenshot programs built for Windows, run
# under Wine on an X display of their own (Xvfb) with Windows' own platform and its windowsvista
# style, against the Linux km4x-sim on pseudo-terminals mapped to COM ports. The PNG files go to
# docs/screenshots/windows/ (or the folder given).
#
#   scripts/windows-screenshots.sh [DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshots/windows}

bash scripts/setup.sh windows
source scripts/windows-env.sh
source scripts/windows-qt.sh

jobs=$(nproc 2>/dev/null || echo 2)
programs=(${KMT40_SCREENSHOT_PROGRAMS:-main_window_screenshots editor_screenshots service_window_screenshots view_screenshots})
[ -f $win_build/CMakeCache.txt ] || win_configure -DKMT40_FUZZ_REPLAY=OFF
cmake --build $win_build -j "$jobs" --target "${programs[@]}" windows_runtime
[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs" --target km4x-sim >/dev/null

slots=$PWD/$win_build/screenshot-slots
rm -rf "$slots"
mkdir -p "$slots" "$out"
export KMT40_WINE_SIMULATOR="$PWD/build/bin/km4x-sim|$slots|1|2"
# Wine has none of Windows' own faces; the nearest of this machine's stand in for them, so that
# texts are as wide as on Windows.
for face in "Segoe UI" Tahoma "MS Shell Dlg" "MS Shell Dlg 2" Arial; do
  "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d "Liberation Sans" /f >/dev/null 2>&1
done
win_map_ports "$slots/slot0.link" "$slots/slot1.link"
trap '"$wineserver" -k 2>/dev/null || true' EXIT

# Wine's services start with the first program of the display (see scripts/windows.sh).
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  wine=$1 dir=$2 out=$3
  shift 3
  "$wine" cmd /c exit </dev/null >/dev/null 2>&1
  failed=0
  for program in "$@"; do
    echo "== $program"
    (cd "$dir" && timeout 300 "$wine" "$program.exe" "Z:$out") </dev/null || { echo "$program failed"; failed=1; }
  done
  exit $failed' - "$wine" "$win_build/bin" "$(cd "$out" && pwd)" "${programs[@]}"
echo "== the windows as PNG files in $out/"
