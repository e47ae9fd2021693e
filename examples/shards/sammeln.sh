#!/usr/bin/env bash
# Collects what the shards left in protokoll/ (or the folder given): each
# part's exit code and summary, the counts of all parts together, and one
# exit code as one run over all files would end: 0 only when every part
# ended with 0, else the largest code (12: a file failed).
ordner=${1:-protokoll}
rc=0 bytes=0 dateien=0 fehlerhaft=0
for datei in $(ls "$ordner"/teil-*.rc | sort -V); do
    teil=${datei%.rc}
    code=$(cat "$datei")
    zeile=$(grep 'Insgesamt' "$teil.txt" | tail -n 1)
    echo "Teil ${teil##*-}: rc=$code  $zeile"
    [ "$code" -gt "$rc" ] && rc=$code
    [[ $zeile =~ ([0-9]+)\ Bytes\ in\ ([0-9]+)\ Datei ]] || continue
    bytes=$((bytes + BASH_REMATCH[1]))
    dateien=$((dateien + BASH_REMATCH[2]))
    if [[ $zeile =~ wovon\ +([0-9]+) ]]; then
        fehlerhaft=$((fehlerhaft + BASH_REMATCH[1]))
    elif [[ $zeile == *"fehlerhaft verarbeitet"* ]]; then
        fehlerhaft=$((fehlerhaft + BASH_REMATCH[2]))
    fi
done
echo "Zusammen: $bytes Bytes in $dateien Dateien, davon $fehlerhaft fehlerhaft; rc=$rc"
exit "$rc"
