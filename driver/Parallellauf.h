#pragma once
// Parallel batches (-jN): the files of a per-file batch are converted in
// worker processes, one process per file and at most N at a time. Each
// worker sends its console text and its counts back through a pipe; the
// parent shows every file's text whole and in the order of the file list
// and adds the counts, so that the console, the summary and the exit code
// are those of the sequential loop. Processes rather than threads: the
// console writer, the locale and the caches of the run are global state.
#include <cstdint>
#include <functional>

#include "driver/Lauf.h"

// What one file added to the counts; the worker runs this for file i.
using Datei_Auftrag = std::function<Lauf_Bilanz(std::int64_t datei)>;

// Runs files 1 to anzahl in up to `prozesse` workers. A file whose worker
// cannot be started runs in this process once every earlier file is shown.
void Parallel_Bearbeiten(std::int64_t anzahl, int prozesse, Lauf_Bilanz& bilanz, const Datei_Auftrag& datei);

// The processors this process may run on; at least 1.
int Prozessoranzahl();
