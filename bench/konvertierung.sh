#!/usr/bin/env bash
# Conversion benchmark: a generated book of MB megabytes (default 100) is
# converted to HTML by bench/buch.xb with the real program, and by
# bench/buch.xsl with xsltproc for comparison. Prints wall time, throughput
# and peak memory of both (wall and processor time).
#
#   bench/konvertierung.sh [PATH/TO/tessar] [MB]
set -euo pipefail
hier=$(cd "$(dirname "$0")" && pwd)
tessar=$(realpath "${1:-$hier/../build/tessar}")
mb=${2:-100}
arbeit=$(mktemp -d /tmp/tessar-bench.XXXXXX)
trap 'rm -rf "$arbeit"' EXIT
cd "$arbeit"

perl "$hier/buchgen.pl" buch "$mb" >buch.xml
groesse=$(stat -c %s buch.xml)

messen() {  # name, command...
    local name=$1; shift
    /usr/bin/time -f "%e %U %S %M" -o zeit "$@" >/dev/null
    read -r sekunden user sys kb <zeit
    # On a shared machine the processor time (user + system) is the steadier figure.
    awk -v n="$name" -v s="$sekunden" -v c="$(awk -v u="$user" -v y="$sys" 'BEGIN { print u + y }')" \
        -v kb="$kb" -v g="$groesse" 'BEGIN {
        printf "%-10s %7.2f s wall %7.1f MB/s  %7.2f s cpu %7.1f MB/s  %6.0f MB peak %6.2f bytes/input byte\n",
               n, s, g / 1048576 / (s > 0 ? s : 0.01), c, g / 1048576 / (c > 0 ? c : 0.01), kb / 1024, kb * 1024 / g }'
}

echo "Input: $(awk -v g="$groesse" 'BEGIN { printf "%.1f MB", g / 1048576 }') book document"
messen tessar "$tessar" -q buch.xml "$hier/buch.xb" htm
if command -v xsltproc >/dev/null; then
    messen xsltproc xsltproc -o buch.xslt.htm "$hier/buch.xsl" buch.xml
else
    echo "xsltproc        not installed"
fi
