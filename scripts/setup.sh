#!/usr/bin/env bash
# Installs every Debian package the project needs that is not installed yet.
# Idempotent; runs as root on a fresh machine (or through sudo when not root).
#
#   scripts/setup.sh             what the Linux build, its tests and the benchmarks need (with the
#                                manual pages' converter and the package's checkers)
#   scripts/setup.sh windows     that, and the cross-build for Windows and Wine (scripts/windows.sh)
#   scripts/setup.sh windows-qt  that, and what building Qt for Windows from source needs
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  xvfb xauth fonts-dejavu-core fonts-liberation2 poppler-utils
  clang libclang-rt-dev
  nlohmann-json3-dev
  scdoc groff-base man-db bash-completion
  lintian appstream desktop-file-utils
  ser2net
  libgcrypt20-dev
)
if [ "${1:-}" = windows-qt ]; then
  # scripts/build-windows-qt.sh: Qt for Windows built from Debian's source package, when no built
  # one is at hand.
  packages+=(g++-mingw-w64-x86-64-posix dpkg-dev ninja-build xz-utils)
fi
if [ "${1:-}" = windows ]; then
  # mingw-w64 with POSIX threads (std::thread), Wine to run what it builds, and GoogleTest's
  # sources, which the cross-build compiles for itself; libgcrypt (the line manifest's SHA-256) built
  # for Windows; xz to unpack Qt for Windows; NSIS for the setup program, and xwininfo to find its
  # program's window under Wine.
  packages+=(g++-mingw-w64-x86-64-posix wine64 googletest libgcrypt-mingw-w64-dev xz-utils nsis x11-utils)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
