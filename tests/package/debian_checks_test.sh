#!/usr/bin/env bash
# Builds the .deb from the existing build (CPack, in a directory of its own) and checks it as
# a distribution would: lintian (no error, no warning), appstreamcli on the metainfo and
# desktop-file-validate on the desktop entry; and that it carries the manual pages, the completion,
# the copyright file and a changelog, all of the program's version.
# Usage: debian_checks_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kmt40-deb-XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

for tool in cpack lintian appstreamcli desktop-file-validate dpkg-deb; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/setup.sh installs it)" >&2; exit 1; }
done

# CPack's own install would first make sure the whole tree is built (some 20 s of make on this
# build, just after the build): the files are installed, stripped, as CPack installs them, and
# CPack packs that directory with the package's settings.
DESTDIR="$work/installed" cmake --install "$build" --prefix /usr --strip >"$work/install.log" 2>&1 \
  || { cat "$work/install.log" >&2; echo "FAIL: cmake --install" >&2; exit 1; }
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" -D CPACK_INSTALL_CMAKE_PROJECTS= \
  -D "CPACK_INSTALLED_DIRECTORIES=$work/installed;." >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }
deb=$(echo "$work"/kmt40_*.deb)
[ -f "$deb" ] || { cat "$work/cpack.log" >&2; echo "FAIL: no package built" >&2; exit 1; }
dpkg-deb -x "$deb" "$work/root"
root=$work/root/usr

version=$("$build/bin/kmt40-cli" --version)
version=${version#kmt40-cli }
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version $(dpkg-deb -f "$deb" Version), program $version"
zcat "$root/share/doc/kmt40/changelog.gz" | head -1 | grep -qF "kmt40 ($version)" || fail "changelog does not begin with $version"
grep -m1 '<release ' "$root/share/metainfo/org.example.kmt40.metainfo.xml" | grep -qF "version=\"$version\"" \
  || fail "metainfo's latest release is not $version"
for f in share/man/man1/kmt40-cli.1.gz share/man/man1/km4x-sim.1.gz share/bash-completion/completions/kmt40-cli \
         share/doc/kmt40/copyright bin/kmt40-cli; do
  [ -f "$root/$f" ] || fail "not in the package: /usr/$f"
done
if [ -x "$build/bin/kmt40" ]; then
  [ -f "$root/share/man/man1/kmt40.1.gz" ] || fail "not in the package: kmt40.1.gz"
fi

# As on a system with the package installed: the installed program, its manual page found by man,
# and its completion loaded on demand by bash-completion from where the package puts it.
[ "$("$root/bin/kmt40-cli" --version)" = "kmt40-cli $version" ] || fail "the packaged kmt40-cli --version"
MANPATH=$root/share/man man -w kmt40-cli | grep -qF "$root/share/man/man1/kmt40-cli.1.gz" || fail "man does not find kmt40-cli"
offered=$(cd "$work" && PATH="$root/bin:$PATH" XDG_DATA_DIRS="$root/share" bash --norc -c '
  source /usr/share/bash-completion/bash_completion
  __load_completion kmt40-cli || exit 1
  COMP_WORDS=(kmt40-cli re) COMP_CWORD=1 COMP_LINE="kmt40-cli re" COMP_POINT=12
  _kmt40_cli
  echo "${COMPREPLY[*]}"')
[ "$offered" = "read-params read-setpoints restore" ] || fail "Tab after \"kmt40-cli re\" offered \"$offered\""

echo "== lintian"
lintian --fail-on error,warning --display-info "$deb" || fail "lintian"
echo "== appstreamcli validate"
appstreamcli validate --no-net "$root/share/metainfo/org.example.kmt40.metainfo.xml" || fail "appstreamcli validate"
echo "== desktop-file-validate"
desktop-file-validate "$root/share/applications/kmt40.desktop" || fail "desktop-file-validate"

[ "$failed" = 0 ] && echo "package checks: ok"
exit "$failed"
