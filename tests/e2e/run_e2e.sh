#!/usr/bin/env bash
# End-to-end runner: runs the real tessar on case folders and compares the
# console text, the exit code and the output files byte for byte.
#
#   run_e2e.sh PATH/TO/tessar [--update] [NAME-FILTER...]
#
# A case is a folder below tests/e2e/cases holding a file "cmd". Everything in
# the folder except "cmd" and "expect/" is copied to a fresh temporary work
# folder, where "cmd" runs under bash with $TESSAR naming the program. The
# work folder's absolute path shows as @WORK@ in the expected texts.
#   expect/stdout   console text, exactly (required)
#   expect/rc       exit code (required)
#   expect/stderr   standard error (optional; without it stderr must be empty)
#   expect/files/   files that must exist afterwards with exactly these bytes
#   expect/absent   paths (one a line) that must not exist afterwards
# --update rewrites expect/stdout, expect/rc and the files already listed in
# expect/files from the actual run; review the diff before committing.
set -u

here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 1 ] || { echo "usage: $0 TESSAR [--update] [filter...]" >&2; exit 2; }
TESSAR=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shift
[ -x "$TESSAR" ] || { echo "no program at $TESSAR" >&2; exit 2; }
update=0
if [ "${1:-}" = "--update" ]; then update=1; shift; fi
filters=("$@")

export TESSAR
export LANG=C.UTF-8
unset LC_ALL LANGUAGE LC_CTYPE LC_COLLATE LC_NUMERIC
export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

root=$(mktemp -d /tmp/tessar-e2e.XXXXXX)
trap 'chmod -R u+rwx "$root" 2>/dev/null; rm -rf "$root"' EXIT

passed=0
failed=0
failures=()

matches_filter() {
    [ ${#filters[@]} -eq 0 ] && return 0
    local f
    for f in "${filters[@]}"; do [[ "$1" == *"$f"* ]] && return 0; done
    return 1
}

# Replaces the work folder's path by @WORK@ (byte-safe, no regex meaning).
normalise() { WORK="$1" perl -pe 's/\Q$ENV{WORK}\E/\@WORK\@/g'; }

run_case() {
    local case_dir=$1 name=$2
    local work="$root/${name//\//__}"
    local out="$root/${name//\//__}.out" err="$root/${name//\//__}.err"
    mkdir -p "$work"
    (cd "$case_dir" && find . -mindepth 1 -maxdepth 1 ! -name cmd ! -name expect -exec cp -a {} "$work/" \;)
    local rc
    (cd "$work" && timeout 300 bash "$case_dir/cmd") >"$out.raw" 2>"$err.raw"
    rc=$?
    normalise "$work" <"$out.raw" >"$out"
    normalise "$work" <"$err.raw" >"$err"

    if [ $update -eq 1 ]; then
        mkdir -p "$case_dir/expect"
        cp "$out" "$case_dir/expect/stdout"
        echo "$rc" >"$case_dir/expect/rc"
        if [ -d "$case_dir/expect/files" ]; then
            (cd "$case_dir/expect/files" && find . -type f) | while read -r f; do
                [ -f "$work/$f" ] && cp "$work/$f" "$case_dir/expect/files/$f"
            done
        fi
    fi

    local problems=()
    [ -f "$case_dir/expect/stdout" ] || problems+=("expect/stdout missing")
    [ -f "$case_dir/expect/rc" ] || problems+=("expect/rc missing")
    if [ -f "$case_dir/expect/stdout" ] && ! cmp -s "$out" "$case_dir/expect/stdout"; then
        problems+=("console text differs:"$'\n'"$(diff "$case_dir/expect/stdout" "$out" | head -n 40)")
    fi
    if [ -f "$case_dir/expect/rc" ] && [ "$rc" != "$(tr -d '[:space:]' <"$case_dir/expect/rc")" ]; then
        problems+=("exit code $rc, expected $(tr -d '[:space:]' <"$case_dir/expect/rc")")
    fi
    if [ -f "$case_dir/expect/stderr" ]; then
        cmp -s "$err" "$case_dir/expect/stderr" || problems+=("stderr differs:"$'\n'"$(head -c 3000 "$err")")
    elif [ -s "$err" ]; then
        problems+=("unexpected stderr:"$'\n'"$(head -c 3000 "$err")")
    fi
    if [ -d "$case_dir/expect/files" ]; then
        local f
        while IFS= read -r f; do
            if [ ! -f "$work/$f" ]; then
                problems+=("output file $f missing")
            elif ! cmp -s "$work/$f" "$case_dir/expect/files/$f"; then
                problems+=("output file $f differs: $(cmp "$work/$f" "$case_dir/expect/files/$f" 2>&1 | head -n 1)")
            fi
        done < <(cd "$case_dir/expect/files" && find . -type f | sort)
    fi
    if [ -f "$case_dir/expect/absent" ]; then
        local p
        while IFS= read -r p; do
            [ -z "$p" ] && continue
            [ -e "$work/$p" ] && problems+=("$p exists but must not")
        done <"$case_dir/expect/absent"
    fi

    if [ ${#problems[@]} -eq 0 ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        failures+=("$name")
        echo "FAIL $name"
        printf '  %s\n' "${problems[@]}"
    fi
    chmod -R u+rwx "$work" 2>/dev/null
    rm -rf "$work"
}

while IFS= read -r cmdfile; do
    case_dir=$(dirname "$cmdfile")
    name=${case_dir#"$here/cases/"}
    matches_filter "$name" || continue
    run_case "$case_dir" "$name"
done < <(find "$here/cases" -name cmd -type f | sort)

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
