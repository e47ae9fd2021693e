#!/usr/bin/env bash
# Macro benchmark: generated books of 25, 50 and 100 MB (or the sizes given)
# converted by bench/buch.xb, by bench/zaehler.xb (COUNT in every element)
# and by bench/fussnoten.xb (every footnote cut to its chapter's end). The
# times of COUNT must grow with the size, and the cut may cost at most as
# much again as the conversion without it.
#
#   bench/makros.sh [PATH/TO/tessar] [MB...]
set -euo pipefail
hier=$(cd "$(dirname "$0")" && pwd)
tessar=$(realpath "${1:-$hier/../build/tessar}")
shift || true
[ $# -gt 0 ] && groessen=("$@") || groessen=(25 50 100)
arbeit=$(mktemp -d /tmp/tessar-makros.XXXXXX)
trap 'rm -rf "$arbeit"' EXIT
cd "$arbeit"

zeit() {  # script -> "wall/cpu" seconds (the machine may be shared: cpu is steadier)
    /usr/bin/time -f "%e %U %S" -o zeit "$tessar" -q buch.xml "$1" htm >/dev/null || echo "(Lauf fehlgeschlagen)" >&2
    awk '{ printf "%.2f/%.2f", $1, $2 + $3 }' zeit
}

printf "%6s %16s %16s %16s   (seconds, wall/cpu)\n" "MB" "buch.xb" "zaehler.xb" "fussnoten.xb"
for mb in "${groessen[@]}"; do
    perl "$hier/buchgen.pl" buch "$mb" >buch.xml
    printf "%6s %16s %16s %16s\n" "$mb" "$(zeit "$hier/buch.xb")" "$(zeit "$hier/zaehler.xb")" \
        "$(zeit "$hier/fussnoten.xb")"
done
