#!/usr/bin/env bash
# The file size limit: a book of exactly 2,147,483,647 bytes (the largest
# input the reader takes; white space after the document element fills it
# to the byte) is checked and converted by bench/buch.xb, then one byte
# more is refused. Prints the result, wall and processor time and the peak
# memory of each run. Needs about 12 GB of memory and 6 GB of disk.
#
#   bench/grenzen.sh [PATH/TO/tessar]
set -euo pipefail
hier=$(cd "$(dirname "$0")" && pwd)
tessar=$(realpath "${1:-$hier/../build/tessar}")
arbeit=$(mktemp -d "${TMPDIR:-/tmp}/tessar-grenzen.XXXXXX")
trap 'rm -rf "$arbeit"' EXIT
cd "$arbeit"

grenze=2147483647
perl "$hier/buchgen.pl" buch 2040 >gross.xml
fehlt=$((grenze - $(stat -c %s gross.xml)))
[ "$fehlt" -ge 0 ] || { echo "book larger than the limit" >&2; exit 1; }
head -c "$fehlt" /dev/zero | tr '\0' ' ' >>gross.xml
echo "Input: $(stat -c %s gross.xml) bytes"

messen() {  # name, command...
    local name=$1 rc; shift
    set +e
    /usr/bin/time -f "%e %U %S %M" -o zeit "$@" >ausgabe.txt
    rc=$?
    set -e
    # With a failing command time writes a line of its own first.
    read -r sekunden user sys kb < <(tail -n 1 zeit)
    awk -v n="$name" -v s="$sekunden" -v u="$user" -v y="$sys" -v kb="$kb" -v rc="$rc" 'BEGIN {
        printf "%-12s exit %2d %8.1f s wall %8.1f s cpu %8.0f MB peak\n", n, rc, s, u + y, kb / 1024 }'
    grep -v '^$' ausgabe.txt | tail -n 3 | sed 's/^/             /'
}

messen pruefen "$tessar" gross.xml
messen konvertieren "$tessar" gross.xml "$hier/buch.xb" htm
echo "Output: $(stat -c %s gross.htm 2>/dev/null || echo 0) bytes"
rm -f gross.htm
printf ' ' >>gross.xml
echo "Input: $(stat -c %s gross.xml) bytes"
messen zu_gross "$tessar" gross.xml
