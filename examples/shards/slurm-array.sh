#!/usr/bin/env bash
#SBATCH --job-name=notizen
#SBATCH --array=1-4
#SBATCH --output=protokoll/teil-%a.txt
# A job array of a cluster scheduler (mkdir -p protokoll; sbatch
# slurm-array.sh, in a folder that every node sees): each array task
# converts one shard, K being its task number and N the number of tasks.
# The scheduler writes the console to protokoll/teil-K.txt; the exit code
# goes beside it for sammeln.sh.
tessar 'notizen/*.xml' notiz htm -s -shard="$SLURM_ARRAY_TASK_ID/$SLURM_ARRAY_TASK_COUNT"
rc=$?
echo "$rc" >"protokoll/teil-$SLURM_ARRAY_TASK_ID.rc"
exit "$rc"
