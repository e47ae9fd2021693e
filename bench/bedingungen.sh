#!/usr/bin/env bash
# Condition benchmark: flat documents of 100,000, 200,000 and 400,000
# sibling elements, converted by a script that asks AFTERX, BEFOREX, LAST
# and FIND over the whole document on every element, each in the form that
# would make a walk over the items visit all the other siblings: the
# element AFTERX looks for stands last, the one BEFOREX looks for first, and
# no candidate of the FIND passes its attribute condition. Doubling the
# document should no more than double the time. Then a content regular
# expression on one element of 50 MB.
#
#   bench/bedingungen.sh [PATH/TO/tessar]
set -euo pipefail
hier=$(cd "$(dirname "$0")" && pwd)
tessar=$(realpath "${1:-$hier/../build/tessar}")
arbeit=$(mktemp -d /tmp/tessar-bedingungen.XXXXXX)
trap 'rm -rf "$arbeit"' EXIT
cd "$arbeit"

cat >flach.xb <<'SKRIPT'
SYNTAX = XML
ELEMENT liste ENDE
ELEMENT fuss ENDE
ELEMENT kopf ENDE
ELEMENT eintrag
    IF AFTERX kopf BEG = 'a' ENDIF
    IF BEFOREX fuss BEG = 'b' ENDIF
    IF LAST BEG = 'l' ENDIF
    IF FIND(eintrag[nr="0"],DOC) BEG = 'f' ENDIF
    IF NOTFIND(kopf,DOC) BEG = 'n' ENDIF
ENDE
SKRIPT

messen() {  # name, command...
    local name=$1; shift
    /usr/bin/time -f "%e %U %S %M" -o zeit "$@" >/dev/null
    read -r sekunden user sys kb <zeit
    printf "%-28s %7.2f s wall %7.2f s processor %7.0f MB peak\n" "$name" "$sekunden" \
        "$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')" "$((kb / 1024))"
}

for n in 100000 200000 400000; do
    perl -e 'my $n = shift; print "<liste><fuss/>\n";
             print qq(<eintrag nr="$_">Eintrag $_</eintrag>\n) for 1 .. $n;
             print "<kopf/></liste>\n";' "$n" >flach.xml
    messen "$n Elemente" "$tessar" -q flach.xml flach.xb out
done

cat >gross.xb <<'SKRIPT'
SYNTAX = XML
ELEMENT gross
    IF [#DAT =~ "Wort\d+ende$"] BEG = 'gefunden' ELSE BEG = 'nicht gefunden' ENDIF
ENDE
SKRIPT
perl -e 'print "<gross>"; print "Wort Wort2 Text text " x 2500000; print "Wort99ende</gross>\n";' >gross.xml
messen "50 MB, regulärer Ausdruck" "$tessar" -q gross.xml gross.xb out
echo "Ergebnis: $(cat gross.out | tr -d '\357\273\277' | head -c 40)"
