#!/usr/bin/env bash
# Builds tessar and runs every test: unit tests, end-to-end cases and the
# saved fuzz inputs (replayed, not fuzzed), first on the release build, then
# again on a build with AddressSanitizer and UndefinedBehaviorSanitizer.
# "./test.sh quick" skips the sanitizer round.
set -euo pipefail
cd "$(dirname "$0")"
jobs=${JOBS:-2}

round() {
    local dir=$1; shift
    echo "== $dir: build"
    cmake -S . -B "$dir" "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    echo "== $dir: unit tests"
    "$dir/unit_tests" --gtest_brief=1
    echo "== $dir: end-to-end tests"
    tests/e2e/run_e2e.sh "$dir/tessar"
    echo "== $dir: fuzz inputs replayed (seeds, saved corpus, findings)"
    local ziel ordner
    for ziel in eingabe dokument skript lauf sdtd folger html5; do
        local eingaben=()
        for ordner in fuzz/saat/$ziel fuzz/korpus/$ziel fuzz/funde/$ziel; do
            [ -d "$ordner" ] && eingaben+=("$ordner")
        done
        "$dir/fuzz/fuzz_$ziel" "${eingaben[@]}"
    done
    echo "== $dir: examples and guide"
    tests/docs/run_examples.sh "$dir/tessar"
    tests/docs/check_guide.py "$dir/tessar"
}

round build -DCMAKE_BUILD_TYPE=Release
echo "== build: browser test of the tracking report"
tests/tracking/run_browser_test.sh build/tessar
echo "== build: message reference, layers, manual page, install"
tests/docs/check_messages.py
tests/base/schichten.py
tests/docs/install_test.sh build
if [ "${1:-}" != "quick" ]; then
    round build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSAR_SANITIZE=ON
fi
echo "== all tests passed"
