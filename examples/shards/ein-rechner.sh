#!/usr/bin/env bash
# One machine: every core converts. -j gives the files of the batch to one
# worker process per processor; find chooses which files, and @- reads
# its names from standard input.
tessar 'notizen/*.xml' notiz htm -s -o -j -q
echo "alle Notizen: rc=$?"
find notizen/2025 -name '*.xml' -print | tessar @- notiz htm -j -q
echo "nur 2025: rc=$?"
