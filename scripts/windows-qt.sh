# Sourced by scripts/windows.sh and bench/run.sh (after scripts/windows-env.sh): finds Qt for
# Windows (mingw-w64) and sets win_qt to its prefix (the folder with bin/, lib/, plugins/).
#
# Where it comes from, first found wins:
#  1. KMT40_QT_WINDOWS: an unpacked prefix, or a tarball of one (unpacked like 2);
#  2. ../shared/windows-qt/qt6.4.2-mingw64-posix.tar.xz beside the repository, checked against the
#     SHA256SUMS beside it;
#  3. built from Debian's source package by scripts/build-windows-qt.sh (about 30 minutes, once).
# A tarball is unpacked once per machine into the cache, in a folder named by its digest; the build
# of 3 lands in the cache too. The cache: ${XDG_CACHE_HOME:-$HOME/.cache}/kmt40/.

win_qt_cache=${XDG_CACHE_HOME:-$HOME/.cache}/kmt40
win_qt_shared=../shared/windows-qt/qt6.4.2-mingw64-posix.tar.xz

# win_qt_unpack TARBALL: the prefix inside the tarball, unpacked into the cache unless it already is.
win_qt_unpack() {
  local tarball=$1 digest dir
  digest=$(sha256sum "$tarball" | cut -d' ' -f1)
  dir=$win_qt_cache/qt-windows-$digest
  if [ ! -f "$dir/.unpacked" ]; then
    echo "windows-qt: unpacking $tarball into $dir (once)" >&2
    rm -rf "$dir.part"
    mkdir -p "$dir.part"
    tar -C "$dir.part" -xf "$tarball"
    rm -rf "$dir"
    mv "$dir.part" "$dir"
    touch "$dir/.unpacked"
  fi
  win_qt_prefix_in "$dir"
}

# win_qt_prefix_in DIR: DIR itself when it is a Qt prefix, else its one sub-folder that is.
win_qt_prefix_in() {
  local sub
  for sub in "$1" "$1"/*; do
    if [ -f "$sub/lib/cmake/Qt6/Qt6Config.cmake" ]; then
      (cd "$sub" && pwd)
      return 0
    fi
  done
  echo "windows-qt: no Qt prefix (lib/cmake/Qt6/Qt6Config.cmake) in $1" >&2
  return 1
}

win_find_qt() {
  if [ -n "${KMT40_QT_WINDOWS:-}" ]; then
    if [ -d "$KMT40_QT_WINDOWS" ]; then
      win_qt_prefix_in "$KMT40_QT_WINDOWS"
    elif [ -f "$KMT40_QT_WINDOWS" ]; then
      win_qt_unpack "$KMT40_QT_WINDOWS"
    else
      echo "windows-qt: KMT40_QT_WINDOWS=$KMT40_QT_WINDOWS is neither a folder nor a file" >&2
      return 1
    fi
    return
  fi
  if [ -f "$win_qt_shared" ]; then
    local sums
    sums=$(dirname "$win_qt_shared")/SHA256SUMS
    if ! (cd "$(dirname "$win_qt_shared")" && grep " $(basename "$win_qt_shared")\$" SHA256SUMS | sha256sum -c --quiet -) >&2; then
      echo "windows-qt: $win_qt_shared does not match $sums" >&2
      return 1
    fi
    win_qt_unpack "$win_qt_shared"
    return
  fi
  local built=$win_qt_cache/qt-windows-built
  if [ ! -f "$built/.built" ]; then
    echo "windows-qt: no Qt for Windows found; building it from Debian's source package into $built" >&2
    echo "windows-qt: this takes about 30 minutes, once per machine" >&2
    bash scripts/build-windows-qt.sh "$built" >&2 || return 1
  fi
  win_qt_prefix_in "$built/install"
}

win_qt=$(win_find_qt) || { echo "windows-qt: Qt for Windows is not available" >&2; return 1 2>/dev/null || exit 1; }
