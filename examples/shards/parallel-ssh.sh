#!/usr/bin/env bash
# Several machines that see this folder at the same path (a shared file
# system): GNU parallel starts one shard on each host of rechner.txt (one
# ssh login a line, ":" for this machine), in this folder. Each shard
# writes its console to protokoll/teil-K.txt and its exit code to
# protokoll/teil-K.rc; sammeln.sh adds them up.
rechner=${RECHNER:-rechner.txt}
n=$(grep -c . "$rechner")
mkdir -p protokoll
parallel --will-cite --sshloginfile "$rechner" --jobs 1 --workdir "$PWD" \
    "tessar 'notizen/*.xml' notiz htm -s -shard={}/$n >protokoll/teil-{}.txt 2>&1; echo \$? >protokoll/teil-{}.rc" \
    ::: $(seq 1 "$n")
