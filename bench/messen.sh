#!/usr/bin/env bash
# The benchmark suite in one command: prints one table of
#   - check runs (no output) on generated documents (book in UTF-8, Latin-1
#     and UTF-16, flat list, deep nesting, entity-heavy) beside
#     xmllint --noout --stream (--huge, or it refuses the deep nesting),
#   - conversions by the benchmark scripts beside xsltproc with the
#     equivalent stylesheets (buch.xsl, verlag.xsl),
#   - a tag-soup web page copied under SYNTAX = HTML5 beside xsltproc's
#     HTML reader with a copy stylesheet,
#   - the scaling from 10 to 100 MB of every run,
#   - a batch of 200 files of 100 kB, sequential and with -j.
# Times are processor seconds (user + system) of the best of RUNS runs,
# wall seconds in brackets: the machine may be shared, and processor time
# is the steadier figure. Peak is the maximum resident memory.
#
#   bench/messen.sh [PATH/TO/tessar]
#   RUNS=3 SIZES="1 10 100" bench/messen.sh build/tessar
set -euo pipefail
hier=$(cd "$(dirname "$0")" && pwd)
tessar=$(realpath "${1:-$hier/../build/tessar}")
runs=${RUNS:-5}
read -r -a groessen <<<"${SIZES:-1 10 100}"
arbeit=$(mktemp -d "${TMPDIR:-/tmp}/tessar-messen.XXXXXX")
trap 'rm -rf "$arbeit"' EXIT
cd "$arbeit"
for werkzeug in xmllint xsltproc; do
    command -v "$werkzeug" >/dev/null || { echo "$werkzeug fehlt (Debian: libxml2-utils, xsltproc)" >&2; exit 2; }
done

# best "cpu wall peak-KB spread" of the runs of one command (output to
# /dev/null); spread: the slowest run's wall time over the fastest's
bestes() {
    local i
    for ((i = 0; i < runs; i++)); do
        /usr/bin/time -f "%U %S %e %M" -o zeit "$@" >/dev/null 2>&1 || true
        tail -1 zeit | awk '{ printf "%.2f %.2f %d\n", $1 + $2, $3, $4 }'
        rm -f ./*.htm
    done | sort -n | awk 'NR == 1 { c = $1; w = $2; k = $3 }
        { if (min == "" || $2 < min) min = $2; if ($2 > max) max = $2 }
        END { printf "%s %s %s %.2f\n", c, w, k, (min > 0 ? max / min : 1) }'
}

# document name -> file, generated once per size
dokument() {  # art kodierung mb
    local datei="$1-$2-$3.xml"
    [ -f "$datei" ] || perl "$hier/buchgen.pl" "$1" "$3" "$2" >"$datei"
    echo "$datei"
}

declare -A zeit_von  # "row|mb" -> cpu seconds, for the scaling
zeile() {  # label mb file cpu wall kb spread [other-cpu other-wall other-kb]
    local label=$1 mb=$2 datei=$3
    zeit_von["$label|$mb"]=$4
    awk -v l="$label" -v mb="$mb" -v g="$(stat -c %s "$datei")" -v c="$4" -v w="$5" -v k="$6" -v sp="$7" \
        -v oc="${8:-}" -v ow="${9:-}" -v ok="${10:-}" -v modus="$modus" 'BEGIN {
        printf "%-26s %5s %7.2f (%6.2f) %4.2f %7.0f %5.2f", l, mb, c, w, sp, k / 1024, k * 1024 / g
        if (oc == "") { printf "\n"; exit }
        printf "   %7.2f (%6.2f) %7.0f", oc, ow, ok / 1024
        # Below 0.05 s the 10 ms clock of the timing makes no ratio.
        if (c < 0.05 || oc < 0.05) { printf "   (too short for a ratio)\n"; exit }
        if (modus == "pruefen" || modus == "regeln") printf "   %5.2fx time %5.2fx memory\n", c / oc, k / ok
        else printf "   %5.1fx faster %5.2fx memory\n", oc / c, k / ok }'
}

kopf() {  # title, other tool
    echo
    echo "$1"
    printf "%-26s %5s %16s %4s %7s %5s   %16s %7s\n" "" "MB" "tessar s (wall)" "spr." "peak MB" "B/B" "$2 s (wall)" "peak MB"
}

echo "Tessaron benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'); $("$tessar" -h 2>/dev/null | head -1)"
echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(nproc) cores," \
    "$(awk '/MemTotal/ { printf "%.0f GB", $2 / 1048576 }' /proc/meminfo); load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Best of $runs runs each; times are processor seconds (user + system), wall seconds in brackets;"
echo "spr.: the spread of the runs, slowest wall time / fastest; B/B: peak memory per input byte."

modus=pruefen
kopf "Check (no output) against xmllint --noout --stream --huge; goal: time <= 0.5x at 100 MB, memory <= 6 B/B" "xmllint"
for art in "buch UTF-8" "buch ISO-8859-1" "buch UTF-16" "flach UTF-8" "tief UTF-8" "entitaeten UTF-8"; do
    set -- $art
    for mb in "${groessen[@]}"; do
        datei=$(dokument "$1" "$2" "$mb")
        read -r c w k sp < <(bestes "$tessar" -q "$datei")
        read -r oc ow ok osp < <(bestes xmllint --noout --stream --huge "$datei")
        zeile "$1 $2" "$mb" "$datei" "$c" "$w" "$k" "$sp" "$oc" "$ow" "$ok"
    done
done

modus=konvertieren
kopf "Conversion of the book against xsltproc; goal: >= 5x faster, memory <= 0.75x" "xsltproc"
for lauf in "buch.xb buch.xsl UTF-8" "verlag.xb verlag.xsl UTF-8" "verlag.xb verlag.xsl ISO-8859-1" \
    "verlag.xb verlag.xsl UTF-16" "zaehler.xb - UTF-8" "fussnoten.xb - UTF-8" "markup.xb - UTF-8" \
    "nummern.xb - UTF-8"; do
    set -- $lauf
    for mb in "${groessen[@]}"; do
        datei=$(dokument buch "$3" "$mb")
        read -r c w k sp < <(bestes "$tessar" -q "$datei" "$hier/$1" htm)
        if [ "$2" = - ]; then
            zeile "$1 $3" "$mb" "$datei" "$c" "$w" "$k" "$sp"
        else
            read -r oc ow ok osp < <(bestes xsltproc -o ergebnis.htm "$hier/$2" "$datei")
            zeile "$1 $3" "$mb" "$datei" "$c" "$w" "$k" "$sp" "$oc" "$ow" "$ok"
        fi
    done
done

# A tag-soup web page (omitted end tags, unquoted attributes, references,
# misnested formatting, tables) read by the HTML standard's algorithm and
# copied as XML, against xsltproc's HTML reader with a copy stylesheet.
modus=konvertieren
kopf "HTML5: tag soup (suppegen.pl) copied by html5.xb against xsltproc --html kopie.xsl; goal: >= 100 MB/s, <= 8 B/B, >= 3x faster" "xsltproc"
for mb in "${groessen[@]}"; do
    datei="suppe-$mb.html"
    [ -f "$datei" ] || perl "$hier/suppegen.pl" "$mb" >"$datei"
    read -r c w k sp < <(bestes "$tessar" -q "$datei" "$hier/html5.xb" xml)
    read -r oc ow ok osp < <(bestes xsltproc --html -o ergebnis.xml "$hier/kopie.xsl" "$datei")
    zeile "suppe HTML5" "$mb" "$datei" "$c" "$w" "$k" "$sp" "$oc" "$ow" "$ok"
    awk -v mb="$(stat -c %s "$datei")" -v c="$c" -v w="$w" 'BEGIN {
        if (c >= 0.05) printf "  %-24s %6.1f MB/s processor time, %6.1f MB/s wall\n", "", mb / 1048576 / c, mb / 1048576 / w }'
done

# A dozen rules with branches on attributes, IN context and COUNT, against
# the equivalent stylesheet: the time ratio is the figure to watch.
modus=regeln
kopf "Rules (regeln.xb) against xsltproc with regeln.xsl; goal: time <= 0.15x at 20 MB, <= 0.10x at 100 MB" "xsltproc"
for mb in ${REGELN_SIZES:-20 100}; do
    datei=$(dokument buch UTF-8 "$mb")
    read -r c w k sp < <(bestes "$tessar" -q "$datei" "$hier/regeln.xb" htm)
    read -r oc ow ok osp < <(bestes xsltproc -o ergebnis.htm "$hier/regeln.xsl" "$datei")
    zeile "regeln.xb UTF-8" "$mb" "$datei" "$c" "$w" "$k" "$sp" "$oc" "$ow" "$ok"
done

if [[ " ${groessen[*]} " == *" 10 "* && " ${groessen[*]} " == *" 100 "* ]]; then
    echo
    echo "Scaling: processor time at 100 MB / (10 x at 10 MB); goal: <= 1.2"
    for schluessel in "${!zeit_von[@]}"; do
        [[ $schluessel == *"|100" ]] || continue
        label=${schluessel%|100}
        [ -n "${zeit_von[$label|10]:-}" ] || continue   # the rules run has no 10 MB row
        awk -v l="$label" -v a="${zeit_von[$label|10]}" -v b="${zeit_von[$label|100]}" \
            'BEGIN { if (a < 0.05) printf "  %-26s (too short at 10 MB)\n", l
                     else printf "  %-26s %5.2f\n", l, b / (10 * a) }'
    done | sort
fi

if [ -n "${zeit_von[markup.xb UTF-8|100]:-}" ]; then
    echo
    echo "Escaping: processor time of markup.xb / buch.xb at 100 MB; goal: <= 1.10"
    awk -v a="${zeit_von[buch.xb UTF-8|100]}" -v b="${zeit_von[markup.xb UTF-8|100]}" \
        'BEGIN { printf "  %-26s %5.2f\n", "WRITERESCAPE = MARKUP", b / a }'
fi

echo
echo "Batch of 200 files of 100 kB converted by verlag.xb; wall seconds (processor seconds in brackets)"
mkdir stapel
perl "$hier/buchgen.pl" buch 0.1 >stapel/vorlage.xml
for i in $(seq -w 1 200); do cp stapel/vorlage.xml "stapel/b$i.xml"; done
rm stapel/vorlage.xml
stapel() {  # switches...: best "wall cpu" of the runs (at least 5: they are short)
    local i
    for ((i = 0; i < (runs > 5 ? runs : 5); i++)); do
        /usr/bin/time -f "%e %U %S" -o zeit "$tessar" -q 'stapel/*.xml' "$hier/verlag.xb" htm "$@" >/dev/null || true
        tail -1 zeit | awk '{ printf "%.2f %.2f\n", $1, $2 + $3 }'
    done | sort -n | head -1
}
read -r w1 c1 < <(stapel)
read -r w2 c2 < <(stapel -j2)
read -r wj cj < <(stapel -j)
awk -v w1="$w1" -v c1="$c1" -v w2="$w2" -v c2="$c2" -v wj="$wj" -v cj="$cj" -v n="$(nproc)" 'BEGIN {
    printf "  %-24s %6.2f (%5.2f)\n", "sequential", w1, c1
    printf "  %-24s %6.2f (%5.2f)   speed-up %.2fx\n", "-j2", w2, c2, w1 / (w2 > 0 ? w2 : 0.01)
    printf "  %-24s %6.2f (%5.2f)   speed-up %.2fx\n", "-j (" n " cores)", wj, cj, w1 / (wj > 0 ? wj : 0.01) }'
echo
echo "Load after: $(cut -d' ' -f1-3 /proc/loadavg)"
