#!/usr/bin/env bash
# Builds Qt for Windows (qtbase 6.4.2, mingw-w64 with POSIX threads, shared DLLs, Release) from
# Debian's own source package, with Debian's Qt host tools of the same version for moc, rcc and
# uic. scripts/windows-qt.sh runs it when no Qt for Windows is given or found; about 30 minutes on
# two cores, once per machine.
#
#   scripts/build-windows-qt.sh DIR     builds in DIR and installs into DIR/install
#
# What it fetches: the source package (apt-get source) and Debian's libwine-dev (apt-get download,
# not installed) for the two tablet headers the source package lacks; everything else comes from
# the packages scripts/setup.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
repo=$PWD
jobs=$(nproc 2>/dev/null || echo 2)

bash scripts/setup.sh windows-qt
host_qt=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
case $host_qt in
  6.4.2+*) ;;
  *) echo "build-windows-qt: Debian's Qt host tools are $host_qt; the source must be the same version (6.4.2)" >&2
     exit 1 ;;
esac

mkdir -p "$dir/logs"
cd "$dir"
if ! ls qt6-base_*.dsc >/dev/null 2>&1; then
  if ! apt-get source --download-only "qt6-base=$host_qt" >logs/apt-source.log 2>&1; then
    echo "build-windows-qt: apt-get source failed (is a deb-src line configured?); see $dir/logs/apt-source.log" >&2
    exit 1
  fi
fi
rm -rf src build install
dpkg-source -x qt6-base_*.dsc src >logs/dpkg-source.log 2>&1 # applies Debian's patches

# The source package lacks src/3rdparty/wintab (wintab.h, pktdef.h), which the windows platform
# plugin needs for tablet events: Wine's LGPL copies from Debian's libwine-dev, with a shim for
# the two macros only Wine defines.
mkdir -p wine-headers
(cd wine-headers && { ls libwine-dev_*.deb >/dev/null 2>&1 || apt-get download libwine-dev >../logs/apt-download.log 2>&1; } &&
  dpkg-deb -x libwine-dev_*.deb x)
mkdir -p src/src/3rdparty/wintab
cp wine-headers/x/usr/include/wine/wine/windows/wintab.h src/src/3rdparty/wintab/wine_wintab.h
cp wine-headers/x/usr/include/wine/wine/windows/pktdef.h src/src/3rdparty/wintab/pktdef.h
cat >src/src/3rdparty/wintab/wintab.h <<'SHIM'
/* Lets Wine's LGPL wintab.h (Debian's libwine-dev) compile with mingw-w64, standing in for
   src/3rdparty/wintab, which Debian's source package does not have. */
#ifndef KMT40_WINTAB_SHIM_H
#define KMT40_WINTAB_SHIM_H
#include <windows.h>
#ifndef WINELIB_NAME_AW
# ifdef UNICODE
#  define WINELIB_NAME_AW(x) x##W
# else
#  define WINELIB_NAME_AW(x) x##A
# endif
#endif
#ifndef DECL_WINELIB_TYPE_AW
# define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;
#endif
#include "wine_wintab.h"
#ifndef API
# define API WINAPI
#endif
#endif
SHIM

# The project's own mingw-w64 toolchain file: the same compiler the project is built with.
echo "build-windows-qt: configuring qtbase (log: $dir/logs/configure.log)"
cmake -G Ninja -S src -B build \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
  -DCMAKE_INSTALL_PREFIX="$dir/install" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DFEATURE_pkg_config=OFF \
  -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
  -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF \
  -DFEATURE_direct2d=ON -DFEATURE_direct2d1_1=OFF -DFEATURE_jpeg=OFF \
  -DFEATURE_icu=OFF -DFEATURE_zstd=OFF -DFEATURE_openssl=OFF -DFEATURE_glib=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF \
  -DFEATURE_system_png=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF \
  -DFEATURE_androiddeployqt=OFF -DFEATURE_accessibility=ON >logs/configure.log 2>&1
echo "build-windows-qt: building qtbase, about 30 minutes (log: $dir/logs/build.log)"
nice -n 10 ninja -C build -j "$jobs" >logs/build.log 2>&1
cmake --install build >logs/install.log 2>&1
touch "$dir/.built"
echo "build-windows-qt: Qt for Windows in $dir/install"
