#!/usr/bin/env bash
# Installs a build under a fresh prefix and checks that the installed
# program runs, that its manual page renders without a warning, and that
# the manual page documents every switch of the program's help.
#
#   install_test.sh BUILD-DIR
set -euo pipefail
build=$(cd "$1" && pwd)
cd "$(dirname "$0")/../.."
prefix=$(mktemp -d /tmp/tessar-install.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL install: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
page=$prefix/share/man/man1/tessar.1
[ -x "$prefix/bin/tessar" ] || fail "no program in $prefix/bin"
[ -f "$page" ] || fail "no manual page in $prefix/share/man/man1"

set +e
help=$("$prefix/bin/tessar" -h); rc=$?
set -e
[ $rc -eq 4 ] || fail "installed tessar -h exits with $rc, not 4"
grep -q '^Kommandozeilenaufruf:' <<<"$help" || fail "installed tessar -h shows no help"

warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
[ -z "$warnings" ] || fail "groff warns about the manual page: $warnings"
text=$(MANWIDTH=80 man -l "$page" 2>&1) || fail "man -l cannot show the page"
for heading in NAME SYNOPSIS OPTIONS "EXIT STATUS" FILES EXAMPLES; do
    grep -q "^$heading" <<<"$text" || fail "the manual page has no section $heading"
done

# Every switch the help names must have an entry in the manual page; the
# page may name more (-h, -d, -j, -shard, -name and -l with a free name are
# not in the help).
help_switches=$(grep -oE '(^|\(|[[:space:]])-[a-z]+' <<<"$help" | grep -oE -- '-[a-z]+' | sort -u)
page_switches=$(grep -E '^\.(B|BR) \\-' "$page" | grep -oE '\\-[a-z]+' | tr -d '\\' | sort -u)
missing=$(comm -23 <(echo "$help_switches") <(echo "$page_switches"))
[ -z "$missing" ] || fail "switches of the help without an entry in the manual page:" $missing
extra=$(comm -13 <(echo "$help_switches") <(echo "$page_switches") | { grep -vxE -- '-h|-d|-j|-shard|-name' || true; })
[ -z "$extra" ] || fail "switches in the manual page that the help does not know:" $extra
echo "ok   install: program and manual page, $(wc -l <<<"$help_switches") switches agree"
