#!/usr/bin/env bash
# Pipelines benchmark.
# 1. The generated book of MB megabytes (default 100) converted by
#    bench/buch.xb file to file, from standard input to standard output
#    (both redirected files), and inside a pipeline (cat | tessar | cat):
#    best of RUNS (default 5) wall and processor time of tessar itself, its
#    peak memory, and the ratio to file to file.
# 2. A batch of FILES documents of 2 kB (default 4000) converted per file in
#    N shards, N = 1, 4, 16, 64: the processor time of the N runs together,
#    and what each run beyond the first adds (starting, finding all files,
#    choosing its own), which is the same whatever N is.
#
#   bench/pipelines.sh [PATH/TO/tessar] [MB] [RUNS] [FILES]
set -euo pipefail
hier=$(cd "$(dirname "$0")" && pwd)
tessar=$(realpath "${1:-$hier/../build/tessar}")
mb=${2:-100}
runs=${3:-5}
dateien=${4:-4000}
arbeit=$(mktemp -d /tmp/tessar-bench.XXXXXX)
trap 'rm -rf "$arbeit"' EXIT
cd "$arbeit"
perl "$hier/buchgen.pl" buch "$mb" >buch.xml
cp "$hier/buch.xb" .

# "wall cpu peak-KB" of the fastest of the runs of the command line given.
bestes() {
    local i
    for ((i = 0; i < runs; i++)); do
        bash -c "$1"
        awk '{ printf "%.2f %.2f %d\n", $1, $2 + $3, $4 }' zeit
    done | sort -n | head -1
}
messen="/usr/bin/time -f '%e %U %S %M' -o zeit $tessar"
read -r w0 c0 m0 < <(bestes "$messen buch.xml buch.xb htm -q")
read -r w1 c1 m1 < <(bestes "$messen - buch.xb - -q <buch.xml >aus.htm")
read -r w2 c2 m2 < <(bestes "cat buch.xml | $messen - buch.xb - -q | cat >aus2.htm")
cmp -s buch.htm aus.htm && cmp -s buch.htm aus2.htm || { echo "the results differ" >&2; exit 1; }
awk -v g="$(stat -c %s buch.xml)" -v w0="$w0" -v c0="$c0" -v m0="$m0" -v w1="$w1" -v c1="$c1" -v m1="$m1" \
    -v w2="$w2" -v c2="$c2" -v m2="$m2" 'BEGIN {
    printf "Book of %.1f MB by buch.xb, best of the runs (results identical)\n", g / 1048576
    printf "%-24s %6.2f s wall %6.2f s CPU %6.0f MB peak\n", "file to file", w0, c0, m0 / 1024
    printf "%-24s %6.2f s wall %6.2f s CPU %6.0f MB peak  %.2fx wall %.2fx CPU\n", "standard input to output", w1, c1, m1 / 1024, w1 / w0, c1 / c0
    printf "%-24s %6.2f s wall %6.2f s CPU %6.0f MB peak  %.2fx wall %.2fx CPU\n", "cat | tessar | cat", w2, c2, m2 / 1024, w2 / w0, c2 / c0 }'

perl "$hier/buchgen.pl" buch 0.002 >klein.xml
for ((i = 0; i < dateien; i++)); do
    mkdir -p "d/k$((i % 20))"
    cp klein.xml "d/k$((i % 20))/f$i.xml"
done
echo
echo "Batch of $dateien files of 2 kB by buch.xb in N shards, processor seconds (user + system), best of the runs"
teile() {  # N: the processor time of the N runs together
    local k summe=0
    for ((k = 1; k <= $1; k++)); do
        /usr/bin/time -f '%U %S' -o zeit "$tessar" 'd/*.xml' buch.xb htm -s -q -shard="$k/$1"
        summe=$(awk -v s="$summe" '{ print s + $1 + $2 }' zeit)
    done
    echo "$summe"
}
# Once before timing, so that every timed run finds the outputs in place.
"$tessar" 'd/*.xml' buch.xb htm -s -q
for n in 1 4 16 64; do
    summe=$(for ((i = 0; i < runs; i++)); do teile "$n"; done | sort -n | head -1)
    awk -v n="$n" -v s="$summe" 'BEGIN { printf "  N=%-3d %7.2f s all runs  %6.3f s a run\n", n, s, s / n }'
done
# A part that (almost surely) holds no file: what a run costs beyond its
# own files, the same for every N.
leer=$(for ((i = 0; i < runs; i++)); do
    /usr/bin/time -f '%U %S' -o zeit "$tessar" 'd/*.xml' buch.xb htm -s -q -shard=1/999999
    awk '{ print $1 + $2 }' zeit
done | sort -n | head -1)
awk -v l="$leer" -v d="$dateien" 'BEGIN {
    printf "  a run that converts none of them: %.3f s (%.1f microseconds a file of the batch)\n", l, 1e6 * l / d }'
