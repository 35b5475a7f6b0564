# Sourced by scripts/windows.sh and bench/run.sh: the Windows cross-build in build-win/ and the
# Wine that runs it, with its own prefix in build-win/wine/ (never the user's ~/.wine).

win_build=build-win
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
export WINEPREFIX=$PWD/$win_build/wine
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and Wine would offer to download them.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Configures build-win/ as a release build is made (-O3, no debug information), warnings as
# errors: this pass is also what proves the portable code free of the warnings that only the
# optimiser of a release build finds. With Qt for Windows found (win_qt, scripts/windows-qt.sh) it
# builds the windows too, against Debian's Qt host tools of the same version (moc, rcc, uic);
# without it, the Qt-free part. Further arguments go to cmake.
win_configure() {
  local qt=(-DKMT40_GUI=OFF)
  if [ -n "${win_qt:-}" ]; then
    qt=(-DKMT40_GUI=ON -DCMAKE_PREFIX_PATH="$win_qt" -DQT_HOST_PATH=/usr
      -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
  fi
  cmake -S . -B $win_build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O3 -DNDEBUG" "${qt[@]}" -DKMT40_WERROR=ON "$@" >/dev/null
}

# win_map_ports PATH1 [PATH2 ...]: Wine's COM1, COM2, ... become these devices. Wine finds COM
# ports through its registry (a link made by hand in dosdevices/ is replaced when the Wine server
# starts) and reads it when its server starts, so the server is restarted after; its own messages
# go to build-win/wineserver.log, not into a program's standard error.
win_map_ports() {
  local n=1 path
  for path in "$@"; do
    "$wine" reg add 'HKLM\Software\Wine\Ports' /v COM$n /t REG_SZ /d "$path" /f >/dev/null 2>&1
    n=$((n + 1))
  done
  "$wineserver" -w
  "$wineserver" -p 2>$win_build/wineserver.log
}
