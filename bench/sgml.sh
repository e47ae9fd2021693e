#!/usr/bin/env bash
# The cost of omitted tags: a LinuxDoc document of MB megabytes (default
# 10; the body of linuxdoc-tools' guide repeated, its labels made unique),
# which leaves out every tag the DTD lets it, against the same document
# with every tag written out (made from the structure onsgmls reports by
# sgml_voll.py), each checked and copied; the DocBook 4.5 SGML DTD with
# its entity sets read for a document of a few lines; and hostile
# nesting (elements whose end tags are left out, 10,000 deep, closed by
# one tag, again and again) at two sizes, which must scale linearly.
#
#   bench/sgml.sh build/tessar [MB]
#
# Needs onsgmls (Debian: opensp), linuxdoc-tools and docbook. Goals: the
# omitted tags cost at most 2x the fully tagged document; the DocBook DTD
# is read in under 0.2 s. Best of RUNS runs (default 3), processor seconds
# (user + system).
set -euo pipefail
tessar=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
mb=${2:-10}
runs=${RUNS:-3}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tessar-sgml.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

zcat /usr/share/doc/linuxdoc-tools/guide.sgml.gz >guide.sgml
python3 - "$mb" <<'PY'
import re, sys
s = open('guide.sgml', encoding='latin-1').read()
a, b = s.index('<sect>Introduction'), s.rindex('</article>')
teile, n = [], 0
while sum(map(len, teile)) < int(sys.argv[1]) * 1_000_000:
    n += 1
    teile.append(re.sub(r'(id=")([^"]*)"', lambda m: '%s%s-%d"' % (m.group(1), m.group(2), n), s[a:b]))
open('kurz.sgml', 'w', encoding='latin-1').write(s[:a] + ''.join(teile) + s[b:])
PY
onsgmls kurz.sgml >kurz.esis
leer=$(grep -io '<!element *[a-z0-9]* *- *o *empty' /usr/share/linuxdoc-tools/dtd/linuxdoc96.dtd | awk '{print $2}' | paste -sd,)
python3 "$here/sgml_voll.py" kurz.esis '<!doctype linuxdoc system>' "$leer" >voll.sgml
printf 'SYNTAX = SGML\nREADERDTD = EXTERNAL\n' >pruef.xb
printf 'SYNTAX = SGML\nREADERDTD = EXTERNAL\nWRITERBOM = NO\n' >kopie.xb

# Best processor time of the runs of one command.
zeit() {
    local best=""
    for _ in $(seq "$runs"); do
        local t
        /usr/bin/time -o zeit.txt -f '%U %S' "$@" >/dev/null 2>&1 || true
        t=$(awk '{printf "%.2f", $1 + $2}' zeit.txt)
        if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
    done
    echo "$best"
}
printf '%-40s %8s %8s\n' "" "check" "copy"
for d in kurz voll; do
    printf '%-40s %8s %8s\n' "$d.sgml ($(( $(stat -c %s $d.sgml) / 1000000 )) MB)" \
        "$(zeit "$tessar" $d.sgml pruef.xb -q)" "$(zeit "$tessar" $d.sgml kopie.xb $d.out -q)"
done

printf '<!DOCTYPE book PUBLIC "-//OASIS//DTD DocBook V4.5//EN">\n<book><title>T</title><chapter><title>C</title><para>P</para></chapter></book>\n' >db.sgml
printf 'SYNTAX = SGML\n' >ohne.xb
printf '%-40s %8s\n' "DocBook 4.5 DTD read" "$(zeit "$tessar" db.sgml pruef.xb -q)"
printf '%-40s %8s\n' "the same without reading it" "$(zeit "$tessar" db.sgml ohne.xb -q)"

for k in 10 40; do
    perl -e 'my $k = shift; print qq{<!DOCTYPE r [\n<!ELEMENT r - - (a|c)*>\n<!ELEMENT a - o (#PCDATA|a|b)* -(x) +(i)>\n<!ELEMENT (b|i|x) - - (#PCDATA)>\n<!ELEMENT c - o EMPTY>\n]>\n<r>};
             for (1 .. $k) { print "<a>t" x 10000, "<i>i</i><c>" } print "</r>\n"' "$k" >tief$k.sgml
    printf '%-40s %8s\n' "nesting 10,000 deep, closed $k times" "$(zeit "$tessar" tief$k.sgml pruef.xb -q)"
done
