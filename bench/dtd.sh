#!/usr/bin/env bash
# The cost of a DTD: the book of buchgen.pl (MB megabytes, default 100)
# converted by buch.xb and verlag.xb as it is, and with an internal subset
# of 1,000 declarations that declares every element and gives most of them
# (paragraphs, rows, cells, titles, list items, emphasis, footnotes) default
# attributes; and the subset's book checked with and without -v.
#
#   bench/dtd.sh build/tessar [MB]
#
# Goals: the subset costs at most 20 % of the conversion time, validation
# at most 30 % of the check. Best of RUNS runs (default 3), processor
# seconds (user + system).
set -euo pipefail
tessar=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
mb=${2:-100}
runs=${RUNS:-3}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tessar-dtd.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

perl "$here/buchgen.pl" buch "$mb" > ohne.xml
# The same book behind the larger subset (it keeps the two entities).
perl -e '
my @d = (
  q{<!ENTITY verlag "Beispielverlag">}, q{<!ENTITY autor "A. Autorin">},
  q{<!ELEMENT buch (titel, kapitel+)>},
  q{<!ATTLIST buch id ID #IMPLIED sprache NMTOKEN "de" version CDATA #FIXED "1.0">},
  q{<!ELEMENT titel (#PCDATA)>}, q{<!ATTLIST titel ebene NMTOKEN "1">},
  q{<!ELEMENT kapitel (titel, abschnitt+)>},
  q{<!ATTLIST kapitel nr CDATA #REQUIRED typ (normal|anhang) "normal">},
  q{<!ELEMENT abschnitt (titel, (absatz|tabelle|liste)*)>}, q{<!ATTLIST abschnitt nr CDATA #IMPLIED>},
  q{<!ELEMENT absatz (#PCDATA|hervor|fussnote)*>},
  q{<!ATTLIST absatz typ (normal|hinweis) "normal" sprache NMTOKEN "de">},
  q{<!ELEMENT hervor (#PCDATA)>}, q{<!ATTLIST hervor art (fett|kursiv) #REQUIRED farbe CDATA "schwarz">},
  q{<!ELEMENT fussnote (#PCDATA)>}, q{<!ATTLIST fussnote nr NMTOKEN #REQUIRED stil CDATA "klein">},
  q{<!ELEMENT tabelle (zeile+)>}, q{<!ATTLIST tabelle spalten NMTOKEN #REQUIRED breite CDATA #IMPLIED>},
  q{<!ELEMENT zeile (zelle+)>}, q{<!ATTLIST zeile art CDATA "daten">},
  q{<!ELEMENT zelle (#PCDATA)>}, q{<!ATTLIST zelle ausrichtung (links|rechts|mitte) "links">},
  q{<!ELEMENT liste (punkt+)>}, q{<!ATTLIST liste art CDATA "punkte">},
  q{<!ELEMENT punkt (#PCDATA)>}, q{<!ATTLIST punkt marke CDATA "kreis">},
);
for (my $i = 0; @d < 1000; ++$i) {
  push @d, "<!ELEMENT frei$i (#PCDATA|frei" . ($i + 1) . ")*>",
           "<!ATTLIST frei$i stufe NMTOKEN \"$i\" name CDATA #IMPLIED>",
           "<!ENTITY frei$i \"Text $i\">";
}
splice @d, 1000;
print qq(<?xml version="1.0" encoding="UTF-8"?>\n<!DOCTYPE buch [\n), join("\n", @d), "\n]>\n";
' > mit.xml
sed '1,/^]>$/d' ohne.xml >> mit.xml
echo "Declarations in the subset: $(grep -cE '^<!(ELEMENT|ATTLIST|ENTITY)' mit.xml)"

# The best processor times of two commands, run by turns so that a busy
# spell of the machine weighs on both: "a b" on standard output.
zeit() {
    /usr/bin/time -o zeit -f '%U %S' "$@" >/dev/null 2>&1 || true
    awk '{print $1 + $2}' zeit
}
kleiner() { awk -v a="$1" -v b="$2" 'BEGIN{exit !(b == "" || a < b)}'; }
paar() {
    local a="" b="" t
    local -a erstes zweites
    IFS='|' read -r -a erstes <<<"$1"
    IFS='|' read -r -a zweites <<<"$2"
    for _ in $(seq "$runs"); do
        t=$(zeit "${erstes[@]}"); kleiner "$t" "$a" && a=$t
        t=$(zeit "${zweites[@]}"); kleiner "$t" "$b" && b=$t
    done
    echo "$a $b"
}
verhaeltnis() { awk -v a="$1" -v b="$2" 'BEGIN{ if (b > 0) printf "%.2f", a / b; else print "-" }'; }

printf '%-34s %8s %8s %6s\n' "" "ohne s" "mit s" "ratio"
zeile() {  # label, goal, first command, second command
    read -r a b < <(paar "$3" "$4")
    printf '%-34s %8s %8s %6s   (goal <= %s)\n' "$1" "$a" "$b" "$(verhaeltnis "$b" "$a")" "$2"
}
for skript in buch verlag; do
    zeile "$skript.xb, $mb MB, subset" 1.20 "$tessar|ohne.xml|$here/$skript.xb|html|-q" "$tessar|mit.xml|$here/$skript.xb|html|-q"
done
zeile "check of the subset's book, -v" 1.30 "$tessar|mit.xml|-q" "$tessar|mit.xml|-q|-v"
zeile "buch.xb of the subset's book, -v" 1.30 "$tessar|mit.xml|$here/buch.xb|html|-q" "$tessar|mit.xml|$here/buch.xb|html|-q|-v"
