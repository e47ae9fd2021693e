#!/usr/bin/env bash
# Runs every example under examples/ with the real program and compares the
# console text and every result file byte for byte with the example's
# expected/ folder.
#
#   run_examples.sh PATH/TO/tessar [--update] [NAME...]
#
# An example is a folder examples/NAME holding a file "command": tessar
# command lines as a user types them in that folder. The folder (without
# expected/) is copied to a fresh work folder named NAME, where the lines
# run with "tessar" standing for the program. expected/console.txt is the
# console text of all lines, the work folder's path shown as "…"; the
# "Build" line of the banner names the compiler and is compared by its
# start only. Every other file below expected/ must exist afterwards, at
# the same place, with exactly these bytes.
# --update writes the console text and the files already listed in
# expected/ from the run; check every byte before committing them.
set -u

here=$(cd "$(dirname "$0")" && pwd)
examples=$(cd "$here/../../examples" && pwd)
[ $# -ge 1 ] || { echo "usage: $0 TESSAR [--update] [name...]" >&2; exit 2; }
TESSAR=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shift
[ -x "$TESSAR" ] || { echo "no program at $TESSAR" >&2; exit 2; }
update=0
if [ "${1:-}" = "--update" ]; then update=1; shift; fi
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for d in "$examples"/*/; do [ -f "$d/command" ] && names+=("$(basename "$d")"); done
fi

export TESSAR LANG=C.UTF-8
unset LC_ALL LANGUAGE LC_CTYPE LC_COLLATE LC_NUMERIC

root=$(mktemp -d /tmp/tessar-examples.XXXXXX)
trap 'rm -rf "$root"' EXIT

# The work folder's path becomes "…"; the compiler in the banner is cut off.
normalise() {
    WORK="$1" perl -CSD -pe 's/\Q$ENV{WORK}\E/\x{2026}/g; s/^Build .*/Build \x{2026}/'
}

failed=0
for name in "${names[@]}"; do
    src="$examples/$name"
    work="$root/$name"
    mkdir -p "$work"
    (cd "$src" && find . -mindepth 1 -maxdepth 1 ! -name expected -exec cp -a {} "$work/" \;)
    (cd "$work" && tessar() { "$TESSAR" "$@"; } && source ./command) >"$root/$name.out" 2>&1
    normalise "$work" <"$root/$name.out" >"$root/$name.console"
    problems=()
    if [ $update -eq 1 ]; then
        mkdir -p "$src/expected"
        cp "$root/$name.console" "$src/expected/console.txt"
        while IFS= read -r f; do
            [ -f "$work/$f" ] && cp "$work/$f" "$src/expected/$f"
        done < <(cd "$src/expected" && find . -type f ! -path ./console.txt)
    fi
    normalise "/nowhere" <"$src/expected/console.txt" >"$root/$name.expected"
    if ! cmp -s "$root/$name.expected" "$root/$name.console"; then
        problems+=("console text differs:"$'\n'"$(diff "$root/$name.expected" "$root/$name.console" | head -n 30)")
    fi
    while IFS= read -r f; do
        if [ ! -f "$work/$f" ]; then
            problems+=("result $f missing")
        elif ! cmp -s "$work/$f" "$src/expected/$f"; then
            problems+=("result $f differs: $(cmp "$work/$f" "$src/expected/$f" 2>&1 | head -n 1)")
        fi
    done < <(cd "$src/expected" && find . -type f ! -path ./console.txt | sort)
    if [ ${#problems[@]} -eq 0 ]; then
        echo "ok   example $name"
    else
        failed=$((failed + 1))
        echo "FAIL example $name"
        printf '  %s\n' "${problems[@]}"
    fi
done
[ $failed -eq 0 ]
