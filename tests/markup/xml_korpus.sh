#!/usr/bin/env bash
# Every XML file of this machine's system folders that xmllint reads,
# converted twice by a copy script (a script of settings only):
#   1. as it is: the conversion must succeed;
#   2. with READERDTD = EXTERNAL, CONVERTENTITIES = EXPAND and
#      WRITERESCAPE = MARKUP: the copy's canonical form must equal the one
#      xmllint gives the file with its DTD read, defaults added and
#      entities expanded (xmllint --c14n --dtdattr --noent --loaddtd).
#      Comments and processing instructions are left out of both sides:
#      the conversion never copies them.
# Not part of the test run (it takes minutes); prints one line per failure
# and the counts by cause.
#
#   tests/markup/xml_korpus.sh build/tessar [FOLDER...]
#   KORPUS_LISTE=files.txt tests/markup/xml_korpus.sh build/tessar   # a given list
set -u -o pipefail
tessar=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shift
ordner=("$@")
[ ${#ordner[@]} -gt 0 ] || ordner=(/usr /etc /var /opt)
work=$(mktemp -d "${TMPDIR:-/tmp}/tessar-korpus.XXXXXX")
trap 'rm -rf "$work"' EXIT
export LANG=C.UTF-8

printf 'SYNTAX = XML\nWRITERENCODING = UTF-8\n' >"$work/kopie.xb"
printf 'SYNTAX = XML\nWRITERENCODING = UTF-8\nREADERDTD = EXTERNAL\nCONVERTENTITIES = EXPAND\nWRITERESCAPE = MARKUP\n' \
    >"$work/kanon.xb"

if [ -n "${KORPUS_LISTE:-}" ]; then
    cp "$KORPUS_LISTE" "$work/liste"
else
    find "${ordner[@]}" -xdev -type f -name '*.xml' 2>/dev/null | sort >"$work/liste"
fi

# The encoding a file declares, in upper case (UTF-8 without a declaration).
kodierung() {
    head -c 200 "$1" | tr -d '\0' | grep -oiE "encoding=[\"'][^\"']+" | head -1 | cut -c11- | tr 'a-z' 'A-Z'
}
# Encodings the reader decodes (a byte-order mark takes UTF-16 and UTF-32).
gelesene_kodierung() {
    case "$(kodierung "$1")" in
        ""|UTF-8|UTF8|ISO-8859-1|LATIN1|US-ASCII|ASCII|UTF-16|UTF-16LE|UTF-16BE) return 0 ;;
        *) return 1 ;;
    esac
}

# The canonical form without comments, processing instructions and the
# white space around the document element.
kanonisch() { perl -0pe 's/<!--.*?-->//gs; s/<\?.*?\?>//gs; s/^\s+//; s/\s+$//'; }

declare -A ursache
gelesen=0 ungelesen=0 kopiert=0 gleich=0
fehlschlag() {  # cause, file, detail
    ursache[$1]=$(( ${ursache[$1]:-0} + 1 ))
    printf '%-28s %s  %s\n' "$1" "$2" "$3"
}
while IFS= read -r datei; do
    xmllint --noout "$datei" >/dev/null 2>&1 || { ungelesen=$((ungelesen + 1)); continue; }
    gelesen=$((gelesen + 1))
    if ! "$tessar" "$datei" "$work/kopie.xb" "$work/kopie.out" -q >"$work/meldung" 2>&1; then
        fehlschlag "copy fails" "$datei" "$(grep -m1 -E 'FEHLER|WARNUNG' "$work/meldung")"
        continue
    fi
    kopiert=$((kopiert + 1))
    if ! xmllint --c14n --dtdattr --noent --loaddtd "$datei" 2>/dev/null | kanonisch >"$work/soll"; then
        fehlschlag "no reference (xmllint)" "$datei" ""
        continue
    fi
    if ! "$tessar" "$datei" "$work/kanon.xb" "$work/kanon.out" -q >"$work/meldung" 2>&1; then
        fehlschlag "expanded copy fails" "$datei" "$(grep -m1 -E 'FEHLER|WARNUNG' "$work/meldung")"
        continue
    fi
    if ! xmllint --c14n "$work/kanon.out" 2>"$work/c14n.err" | kanonisch >"$work/ist"; then
        fehlschlag "copy is no XML" "$datei" "$(head -c 200 "$work/c14n.err" | head -1)"
        continue
    fi
    if cmp -s "$work/soll" "$work/ist"; then
        gleich=$((gleich + 1))
    elif ! gelesene_kodierung "$datei"; then
        fehlschlag "encoding not decoded" "$datei" "$(kodierung "$datei")"
    else
        fehlschlag "canonical forms differ" "$datei" "$(cmp "$work/soll" "$work/ist" 2>&1 | head -1)"
    fi
done <"$work/liste"

echo
echo "files named *.xml:              $(wc -l <"$work/liste")"
echo "not read by xmllint --noout:    $ungelesen"
echo "read by xmllint:                $gelesen"
echo "copied:                         $kopiert"
echo "canonical forms equal:          $gleich"
for u in "${!ursache[@]}"; do printf 'failures, %-22s %d\n' "$u:" "${ursache[$u]}"; done | sort
