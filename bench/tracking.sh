#!/usr/bin/env bash
# Tracking benchmark: the generated book of MB megabytes (default 10) is
# converted by bench/buch.xb with and without -track, each RUNS times
# (default 5); prints the best wall and CPU time of both, their ratio, and
# the size of the report.
#
#   bench/tracking.sh [PATH/TO/tessar] [MB] [RUNS]
set -euo pipefail
hier=$(cd "$(dirname "$0")" && pwd)
tessar=$(realpath "${1:-$hier/../build/tessar}")
mb=${2:-10}
runs=${3:-5}
arbeit=$(mktemp -d /tmp/tessar-bench.XXXXXX)
trap 'rm -rf "$arbeit"' EXIT
cd "$arbeit"
perl "$hier/buchgen.pl" buch "$mb" >buch.xml

bestes() {  # prints "wall cpu peak-KB" of the fastest of the runs
    local i
    for ((i = 0; i < runs; i++)); do
        /usr/bin/time -f "%e %U %S %M" -o zeit "$tessar" -q buch.xml "$hier/buch.xb" htm "$@" >/dev/null
        awk '{ printf "%.2f %.2f %d\n", $1, $2 + $3, $4 }' zeit
    done | sort -n | head -1
}

read -r w0 c0 m0 < <(bestes)
read -r w1 c1 m1 < <(bestes -track)
awk -v g="$(stat -c %s buch.xml)" -v w0="$w0" -v c0="$c0" -v m0="$m0" -v w1="$w1" -v c1="$c1" -v m1="$m1" \
    -v r="$(stat -c %s buch_track.html)" 'BEGIN {
    printf "Input: %.1f MB book, best of the runs\n", g / 1048576
    printf "%-10s %6.2f s wall %6.2f s CPU %6.0f MB peak\n", "plain", w0, c0, m0 / 1024
    printf "%-10s %6.2f s wall %6.2f s CPU %6.0f MB peak, report %.1f MB\n", "-track", w1, c1, m1 / 1024, r / 1048576
    printf "ratio      %6.2f wall %6.2f CPU\n", w1 / (w0 > 0 ? w0 : 0.01), c1 / (c0 > 0 ? c0 : 0.01) }'
