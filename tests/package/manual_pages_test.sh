#!/usr/bin/env bash
# The manual pages render without a warning (as lintian renders them), and every command and
# option that a program's --help lists is set in bold in its page, so the two cannot drift apart.
# Usage: manual_pages_test.sh BUILD_DIR
set -euo pipefail
build=$1
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# Options anywhere in the help (--word, -x), and commands: the first word of a line indented by
# exactly two blanks, and each word after " / " before the explanation ("close / reopen").
help_words() {
  grep -oE -- '(^|[^[:alnum:]-])--?[a-z][a-z0-9-]*' "$1" | sed -E 's/^[^-]*//'
  grep -E '^  [a-z]' "$1" | while IFS= read -r line; do
    line=${line:2}
    line=${line%%  *}
    echo "${line%% *}"
    grep -oE '/ [a-z][a-z0-9-]*' <<<"$line" | cut -c3- || true
  done
}

checked=0
for program in kmt40 kmt40-cli km4x-sim; do
  binary=$build/bin/$program
  page=$build/man/$program.1
  if [ ! -x "$binary" ]; then
    [ "$program" = kmt40 ] && continue # built without the windows
    fail "$binary missing"
    continue
  fi
  [ -s "$page" ] || { fail "no manual page $page"; continue; }
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$program.1 renders with warnings: $warnings"

  "$binary" --help >"$build/man/$program.help"
  version=$("$binary" --version)
  [[ $version =~ ^$program\ [0-9]+\.[0-9]+$ ]] || fail "$program --version printed \"$version\""
  grep -q "KMT40 ${version#* }" "$page" || fail "$program.1 does not carry the version ${version#* }"

  bold=$(grep -oE '\\fB[^\\]+\\fR' "$page" | sed -E 's/^\\fB//; s/\\fR$//' | tr ' ,|[]' '\n\n\n\n\n' | sort -u)
  words=$(help_words "$build/man/$program.help" | sort -u)
  [ "$(wc -l <<<"$words")" -ge 5 ] || fail "read too few words from $program --help: $words"
  for word in $words; do
    grep -qxF -- "$word" <<<"$bold" || fail "$program --help lists $word, its manual page does not"
  done
  checked=$((checked + 1))
done
[ "$checked" -ge 2 ] || fail "checked $checked pages"
[ "$failed" = 0 ] && echo "manual pages: ok ($checked)"
exit "$failed"
