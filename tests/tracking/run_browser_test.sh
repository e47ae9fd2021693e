#!/usr/bin/env bash
# Makes two tracking reports of a small book with the real program (one with
# -track, one with -trackautostart) and lets the browser test open them in
# headless Chromium.
#   run_browser_test.sh PATH/TO/tessar [--screenshot PNG]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tessar=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shift

command -v node >/dev/null || { echo "browser test: node is missing" >&2; exit 1; }
command -v "${CHROMIUM:-chromium}" >/dev/null || { echo "browser test: chromium is missing" >&2; exit 1; }

work=$(mktemp -d /tmp/tessar-browser.XXXXXX)
trap 'rm -rf "$work"' EXIT
for art in track trackautostart; do
    mkdir -p "$work/$art"
    cp "$here/bericht.xml" "$here/bericht.xb" "$work/$art/"
    (cd "$work/$art" && "$tessar" bericht.xml bericht.xb htm "-$art" -q) || {
        echo "browser test: the conversion with -$art failed" >&2
        exit 1
    }
done
node "$here/browser_test.js" "$work/track/bericht_track.html" "$work/trackautostart/bericht_track.html" "$@"
