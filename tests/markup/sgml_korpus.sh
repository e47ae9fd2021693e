#!/usr/bin/env bash
# SGML documents of this machine's packages, read with their DTDs: the
# tree of a copy conversion (every element copied, READERDTD = EXTERNAL,
# CONVERTENTITIES = EXPAND, WRITERESCAPE = MARKUP) must equal the element
# structure onsgmls reports, attribute defaults included (both sides made
# comparable by sgml_esis.py). A document onsgmls finds faulty must fail
# the conversion as well. Not part of the test run; prints one line per
# difference and the counts.
#
#   tests/markup/sgml_korpus.sh build/tessar [FILE...]
# Without files: LinuxDoc's example and guide, the DocBook examples,
# man-db's DocBook example, docbook-dsssl-doc's test data, and every
# HTML 4 page under /usr/share/doc.
set -u -o pipefail
tessar=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shift
hier=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tessar-sgml.XXXXXX")
trap 'rm -rf "$work"' EXIT
export LANG=C.UTF-8
command -v onsgmls >/dev/null || { echo "onsgmls fehlt (Paket opensp)" >&2; exit 2; }

# HTML pages are read as UTF-8, the other documents as Latin-1 (SGML's
# default), by both.
printf 'SYNTAX = SGML\nREADERDTD = EXTERNAL\nCONVERTENTITIES = EXPAND\nWRITERESCAPE = MARKUP\nWRITERENCODING = UTF-8\nWRITERBOM = NO\n' \
    >"$work/kopie-ISO-8859-1.xb"
{ cat "$work/kopie-ISO-8859-1.xb"; printf 'READERENCODING = UTF-8\n'; } >"$work/kopie-UTF-8.xb"

html4_dekl=/usr/share/sgml/html/dtd/4.01/HTML4.decl
dateien=("$@")
if [ ${#dateien[@]} -eq 0 ]; then
    mkdir -p "$work/gz"
    for gz in /usr/share/doc/linuxdoc-tools/example/example.sgml.gz /usr/share/doc/linuxdoc-tools/guide.sgml.gz; do
        [ -f "$gz" ] && zcat "$gz" >"$work/gz/$(basename "$gz" .gz)"
    done
    dateien+=("$work"/gz/*.sgml /usr/share/doc/linuxdoc-tools/example/example-tr.sgml)
    dateien+=(/usr/share/doc/docbook/examples/*.sgml /usr/share/doc/man-db/examples/*.sgml)
    dateien+=(/usr/share/doc/docbook-dsssl-doc/doc/testdata/*.sgm)
    while IFS= read -r f; do dateien+=("$f"); done < <(grep -rlis --include='*.html' --include='*.htm' \
        'DTD HTML 4' /usr/share/doc 2>/dev/null | sort)
fi

gleich=0 verschieden=0 beide_fehler=0 nur_onsgmls=0 nur_tessar=0
for datei in "${dateien[@]}"; do
    [ -f "$datei" ] || continue
    case "$datei" in *.htm|*.html) k=UTF-8 ;; *) k=ISO-8859-1 ;; esac
    # onsgmls does not take the SGML declaration that the catalogs give
    # HTML 4 (DTDDECL): it is named before the document.
    dekl=()
    head -c 400 "$datei" | grep -qi 'DTD HTML 4' && [ -f "$html4_dekl" ] && dekl=("$html4_dekl")
    # onsgmls reads the document where it lies (relative entities).
    (cd "$(dirname "$datei")" && SP_CHARSET_FIXED=YES SP_ENCODING=$k onsgmls "${dekl[@]}" "$datei") \
        >"$work/esis" 2>"$work/onsgmls.err"
    o=$?
    "$tessar" "$datei" "$work/kopie-$k.xb" "$work/kopie.out" -q >"$work/meldung" 2>&1
    t=$?
    if [ $o -ne 0 ] && [ $t -ne 0 ]; then beide_fehler=$((beide_fehler + 1)); continue; fi
    if [ $o -ne 0 ]; then
        nur_onsgmls=$((nur_onsgmls + 1))
        printf 'nur onsgmls: %s  %s\n' "$datei" "$(head -1 "$work/onsgmls.err")"
        continue
    fi
    if [ $t -ne 0 ]; then
        nur_tessar=$((nur_tessar + 1))
        printf 'nur tessar:  %s  %s\n' "$datei" "$(grep -m1 FEHLER "$work/meldung")"
        continue
    fi
    python3 "$hier/sgml_esis.py" esis "$work/esis" >"$work/a"
    python3 "$hier/sgml_esis.py" kopie "$work/kopie.out" >"$work/b"
    if cmp -s "$work/a" "$work/b"; then
        gleich=$((gleich + 1))
    else
        verschieden=$((verschieden + 1))
        printf 'verschieden: %s\n' "$datei"
        diff "$work/a" "$work/b" | head -${DIFFZEILEN:-6} | sed 's/^/    /'
    fi
done
echo "gleich: $gleich, verschieden: $verschieden, beide fehlerhaft: $beide_fehler, nur onsgmls fehlerhaft: $nur_onsgmls, nur tessar fehlerhaft: $nur_tessar"
