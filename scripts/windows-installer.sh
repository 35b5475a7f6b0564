#!/usr/bin/env bash
# The Windows setup program, made and proven on this Linux machine:
#
#  1. build-win/kmt40-<version>-setup.exe, made with NSIS (packaging/windows/kmt40.nsi) from the
#     deploy folder build-win/kmt40/ (exactly what is installed) and the licences of what it ships,
#     collected from this machine's Debian packages;
#  2. its round trip under Wine, in a prefix of its own (build-win/installer-wine/, so that it runs
#     beside the other Wine checks): a silent install into Program Files, its entry in the list of
#     programs and the Start menu; the installed kmt40-cli.exe --version, and its identify of a
#     simulated unit on COM12 (build/bin/km4x-sim), named in the user's settings and typed by hand as
#     a port's device; the installed kmt40.exe shows its main window (on Xvfb, the windows
#     platform), closes when asked as at logoff and keeps its settings in the user's
#     %APPDATA%\KMT40\, never in the installed folder, where the installed kmt40-cli.exe reads them;
#     while it runs, the setup program and the uninstaller change nothing and end with 2;
#     a second install over the first keeps them; the silent uninstall leaves no .exe or .dll, no
#     entry and no Start-menu link, and the user's settings.
#
#   scripts/windows-installer.sh          both, the setup program compressed with zlib (quick to make;
#                                         scripts/windows.sh runs it once build-win/kmt40/ is built)
#   scripts/windows-installer.sh release  only the setup program, compressed with LZMA (smaller, some
#                                         20 s to make): the one to hand out
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)
mode=${1:-all}
case $mode in
  all) compressor=zlib ;;
  release) compressor=lzma ;;
  *) echo "usage: scripts/windows-installer.sh [release]" >&2; exit 2 ;;
esac

source scripts/windows-env.sh
deploy=$win_build/kmt40
work=$win_build/installer
version=$(sed -n 's/^set(KMT40_VERSION \([0-9.]*\))$/\1/p' cmake/version.cmake)
setup=$win_build/kmt40-$version-setup.exe

for file in kmt40.exe kmt40-cli.exe; do
  [ -f $deploy/$file ] || { echo "windows-installer.sh: $deploy/$file is missing (build the deploy folder first)" >&2; exit 1; }
done

# The round trip's prefix is made while makensis works, on a display of its own from the start:
# Wine's desktop is set up by the first program that needs it, and one set up without a display
# shows no window after.
xvfb=
sim=
cleanup() {
  [ $mode = all ] || return 0
  "$wineserver" -k 2>/dev/null || true
  [ -z "$xvfb" ] || kill $xvfb 2>/dev/null || true
  [ -z "$sim" ] || kill $sim 2>/dev/null || true
}
trap cleanup EXIT
if [ $mode = all ]; then
  export WINEPREFIX=$PWD/$win_build/installer-wine
  unset QT_QPA_PLATFORM # kmt40.exe on the windows platform
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$WINEPREFIX" $win_build/installer-display
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>$win_build/installer-display 2>/dev/null &
  xvfb=$!
  for _ in $(seq 100); do
    [ -s $win_build/installer-display ] && break
    sleep 0.1
  done
  [ -s $win_build/installer-display ] || { echo "windows-installer.sh: Xvfb did not start"; exit 1; }
  export DISPLAY=:$(head -1 $win_build/installer-display)
  "$wine" wineboot -i >$win_build/installer-wineboot.log 2>&1 &
  wineboot=$!
fi

# --- the licences of what it ships, from this machine ------------------------------------------
rm -rf $work
mkdir -p $work/licenses
licenses=$work/licenses
doc=/usr/share/doc
common=/usr/share/common-licenses
qt_package=$(dpkg-query -W -f='${source:Package} ${Version}' qt6-base-dev)
gcrypt_package=$(dpkg-query -W -f='${source:Package} ${Version}' libgcrypt-mingw-w64-dev)
gpg_error_package=$(dpkg-query -W -f='${source:Package} ${Version}' libgpg-error-mingw-w64-dev)
cp packaging/copyright $licenses/KMT40.txt
cp $common/LGPL-3 $licenses/LGPL-3.txt
cp $common/GPL-3 $licenses/GPL-3.txt
cp $common/LGPL-2.1 $licenses/LGPL-2.1.txt
cp $doc/qt6-base-dev/copyright $licenses/Qt.txt
cp $doc/gcc-mingw-w64-base/copyright $licenses/mingw-w64-gcc-runtime.txt
cp $doc/mingw-w64-common/copyright $licenses/mingw-w64-runtime.txt
cp $doc/libgcrypt-mingw-w64-dev/copyright $licenses/libgcrypt.txt
cp $doc/libgpg-error-mingw-w64-dev/copyright $licenses/libgpg-error.txt
cat >$licenses/README.txt <<EOF
KMT40 $version and what it ships with

KMT40.txt                  KMT40 itself, and the JSON library kmt40-cli.exe is built with.
Qt.txt, LGPL-3.txt,        Qt 6 (Qt6*.dll, platforms\\, styles\\): LGPL-3 (which builds on the GPL-3).
GPL-3.txt                  Qt.txt is the copyright record of Debian's Qt source package, with the
                           code Qt carries inside.
mingw-w64-gcc-runtime.txt  libstdc++-6.dll, libgcc_s_seh-1.dll: GPL-3 with the GCC Runtime Library
                           Exception (in the file).
mingw-w64-runtime.txt      libwinpthread-1.dll and the mingw-w64 start-up code in every .exe.
libgcrypt.txt,             libgcrypt-20.dll and libgpg-error-0.dll (libgcrypt and libgpg-error, for
libgpg-error.txt,          the SHA-256 of the line manifest in kmt40.exe and kmt40-cli.exe):
LGPL-2.1.txt               LGPL-2.1 or later.

Where Qt's source comes from: the Qt DLLs are Qt 6.4.2 (qtbase) as Debian publishes it, the source
package $qt_package, unchanged, built for Windows with Debian's mingw-w64 compiler. Its source:
"apt-get source qt6-base=${qt_package#* }" on Debian 12, or
https://snapshot.debian.org/package/qt6-base/${qt_package#* }/ . You may replace the Qt DLLs
with your own build of that source (the same version, built with the same compiler); KMT40's
developers send the exact build recipe on request.

Where libgcrypt's and libgpg-error's source comes from: the two DLLs are Debian's own Windows
builds (stripped of their symbol tables, as every .exe and .dll here, otherwise unchanged) from the
source packages $gcrypt_package and $gpg_error_package
("apt-get source" of those on Debian 12, or https://snapshot.debian.org/package/NAME/VERSION/).
kmt40.exe and kmt40-cli.exe load them from their folder, so you may replace them with your own
build of a compatible version.
EOF
# Windows' editors expect CR LF.
sed -i 's/\r*$/\r/' $licenses/*.txt

# --- what the uninstaller removes: exactly the installed files, then their folders, deepest first
{
  echo "!macro RemoveInstalledFiles"
  for root in "$deploy" "$licenses"; do
    prefix='$INSTDIR'
    [ "$root" = "$licenses" ] && prefix='$INSTDIR\licenses'
    (cd "$root" && find . -type f | sort) | sed 's|^\./||; s|/|\\|g' | while read -r file; do
      echo "  Delete \"$prefix\\$file\""
    done
    (cd "$root" && find . -mindepth 1 -type d | sort -r) | sed 's|^\./||; s|/|\\|g' | while read -r dir; do
      echo "  RMDir \"$prefix\\$dir\""
    done
  done
  echo '  RMDir "$INSTDIR\licenses"'
  echo "!macroend"
} >$work/remove-installed-files.nsh

size_kb=$(du -sk "$deploy" "$licenses" | awk '{ sum += $1 } END { print sum }')
echo "== setup program $setup ($compressor)"
rm -f "$setup"
makensis -V2 -INPUTCHARSET UTF8 \
  -DVERSION="$version" -DDEPLOY_DIR="$PWD/$deploy" -DLICENSE_DIR="$PWD/$licenses" \
  -DREMOVE_LIST="$PWD/$work/remove-installed-files.nsh" -DSIZE_KB="$size_kb" -DCOMPRESSOR="$compressor" \
  -DOUTFILE="$PWD/$setup" packaging/windows/kmt40.nsi
built=$(date +%s)
echo "   $(du -h "$setup" | cut -f1), made in $((built - started)) s"
[ $mode = release ] && exit 0

# --- the round trip -------------------------------------------------------------------------------
wait $wineboot || { echo "windows-installer.sh: wineboot failed"; cat $win_build/installer-wineboot.log; exit 1; }
# A simulated controller on COM12, above COM9, where Windows opens a port only through the device
# prefix. The Wine server reads the mapping when it starts again, after the install.
simulator=build/bin/km4x-sim
[ -x $simulator ] || { echo "windows-installer.sh: $simulator is missing (scripts/windows.sh builds it)" >&2; exit 1; }
rm -f $work/com12.link
$simulator --link "$PWD/$work/com12.link" >$work/sim.out 2>&1 </dev/null &
sim=$!
for _ in $(seq 100); do
  [ -L $work/com12.link ] && break
  sleep 0.1
done
[ -L $work/com12.link ] || { echo "windows-installer.sh: km4x-sim did not start"; cat $work/sim.out; exit 1; }
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM12 /t REG_SZ /d "$PWD/$work/com12.link" /f >/dev/null 2>&1
drive=$WINEPREFIX/drive_c
installed="$drive/Program Files/KMT40"
start_menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/KMT40.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KMT40'
failed=0
fail() {
  echo "   FAILED: $*"
  failed=1
}
# Runs a Windows program and waits for everything it started (an uninstaller runs a copy of itself).
run() {
  local status=0
  timeout 120 "$wine" "$@" || status=$?
  timeout 120 "$wineserver" -w || status=$?
  return $status
}
user_settings() { find "$drive/users" -path '*/AppData/Roaming/KMT40/application.ini' 2>/dev/null | head -1; }
registered() { "$wine" reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z]* *//p"; }

echo "== setup program under Wine (silent install, program, install over, silent uninstall)"
run "$PWD/$setup" /S || fail "the silent install ended with status $?"
for file in kmt40.exe kmt40-cli.exe Uninstall.exe application.ini platforms/qwindows.dll licenses/README.txt; do
  [ -f "$installed/$file" ] || fail "Program Files\\KMT40\\$file was not installed"
done
[ -f "$start_menu" ] || fail "no Start-menu entry"
for value in DisplayName DisplayVersion Publisher UninstallString QuietUninstallString InstallLocation; do
  [ -n "$(registered $value)" ] || fail "the list of programs lacks $value"
done
[ "$(registered DisplayVersion)" = "$version" ] || fail "DisplayVersion is '$(registered DisplayVersion)', not $version"

out=$(cd "$installed" && timeout 60 "$wine" ./kmt40-cli.exe --version | tr -d '\r') || true
[ "$out" = "kmt40-cli $version" ] && echo "   installed kmt40-cli.exe --version: $out" ||
  fail "installed kmt40-cli.exe --version said '$out'"

# The main window, found by its title, then closed as at logoff (taskkill without /f posts
# WM_CLOSE), which saves the settings.
title="Kelmor Software Tool (KMT40)"
"$wine" "$installed/kmt40.exe" >$work/kmt40.log 2>&1 &
program=$!
window=
for _ in $(seq 120); do
  window=$(xwininfo -root -tree 2>/dev/null | grep -o "\"$title[^\"]*\"" | head -1) || true
  [ -n "$window" ] && break
  sleep 0.5
done
# While it runs, neither the setup program nor the uninstaller changes a thing: silently both end
# with error level 2. The uninstaller runs in place (_?=, given in two words so that Wine does not
# quote the folder's blank), as a script that wants its error level runs it.
if [ -n "$window" ]; then
  status=0
  timeout 60 "$wine" "$PWD/$setup" /S || status=$?
  [ $status = 2 ] || fail "the setup program over the running program ended with status $status, not 2"
  status=0
  timeout 60 "$wine" "$installed/Uninstall.exe" /S '_?=C:\Program' 'Files\KMT40' || status=$?
  [ $status = 2 ] || fail "the uninstaller of the running program ended with status $status, not 2"
  [ -f "$installed/Taal0.ini" ] && [ -n "$(registered DisplayName)" ] && [ -f "$start_menu" ] ||
    fail "the setup program or the uninstaller changed the installation while the program ran"
fi
"$wine" taskkill /im kmt40.exe >/dev/null 2>&1 || true
for _ in $(seq 60); do
  kill -0 $program 2>/dev/null || break
  sleep 0.5
done
if kill -0 $program 2>/dev/null; then
  fail "kmt40.exe did not close when asked"
  "$wine" taskkill /f /im kmt40.exe >/dev/null 2>&1 || true
fi
timeout 60 "$wineserver" -w || fail "a Windows program of the round trip did not end"
[ -n "$window" ] && echo "   installed kmt40.exe showed its main window: $window" || fail "kmt40.exe showed no main window"
settings=$(user_settings)
if [ -z "$settings" ]; then
  fail "no application.ini in the user's %APPDATA%\\KMT40\\"
else
  echo "   settings kept in ${settings#$drive/}"
  grep -q '^\[Serieel\]' "$settings" || fail "the user's application.ini has no [Serieel]"
fi
cmp -s "$deploy/application.ini" "$installed/application.ini" || fail "the installed application.ini was changed"
[ -z "$(find "$installed" -name '.kmt40-*')" ] || fail "temporary files left in the installed folder"

# kmt40-cli.exe reads the user's file: the port named there is the one it opens, COM12 chosen from
# the list of port names, then typed by hand as the device of COM1 (as in the serial settings window).
identify_through() {
  out=$(cd "$drive" && timeout 60 "$wine" "$installed/kmt40-cli.exe" identify 2>&1 | tr -d '\r') || true
  [ "$(head -1 <<<"$out")" = "KM40 V2.31" ] && echo "   installed kmt40-cli.exe identifies the unit on $1" ||
    fail "installed kmt40-cli.exe did not reach the unit on $1: $out"
}
if [ -n "$settings" ]; then
  sed -i 's/^portname=.*\r*$/portname=11\r/' "$settings"
  identify_through "COM12 from the user's settings"
  sed -i 's/^portname=.*\r*$/portname=0\r/' "$settings"
  printf '[Poorten]\r\nCOM1=com12\r\n' >>"$settings"
  identify_through "COM1 mapped to com12 typed by hand"
fi

# Over the earlier install: the same folder, one entry, the user's settings as they were.
[ -n "$settings" ] && cp "$settings" $work/settings-before
run "$PWD/$setup" /S || fail "the install over the earlier one ended with status $?"
[ -f "$installed/kmt40.exe" ] || fail "kmt40.exe is missing after the install over the earlier one"
[ -n "$settings" ] && { cmp -s "$settings" $work/settings-before || fail "the install over the earlier one changed the user's settings"; }

# As the list of programs runs it: the quoted uninstaller, then /S.
uninstall=$(registered QuietUninstallString)
uninstaller=$(sed -n 's/^"\([^"]*\)" \/S$/\1/p' <<<"$uninstall")
[ -n "$uninstaller" ] || fail "QuietUninstallString is '$uninstall', not the quoted uninstaller and /S"
run "$uninstaller" /S || fail "the silent uninstall ended with status $?"
left=$(find "$drive/Program Files" -path '*KMT40*' \( -iname '*.exe' -o -iname '*.dll' \) 2>/dev/null)
[ -z "$left" ] || fail "left behind by the uninstaller: $left"
[ ! -e "$installed" ] || fail "Program Files\\KMT40 is still there: $(find "$installed" | head -5)"
[ ! -e "$start_menu" ] || fail "the Start-menu entry is still there"
[ -z "$(registered DisplayName)" ] || fail "the list of programs still has KMT40"
[ -n "$settings" ] && { [ -f "$settings" ] || fail "the uninstaller removed the user's settings"; }

finished=$(date +%s)
echo "== windows-installer.sh: $((finished - started)) s (setup program $((built - started)) s," \
  "round trip $((finished - built)) s)"
[ $failed = 0 ] || { echo "== setup program checks FAILED"; exit 1; }
echo "== setup program checks passed"
