#pragma once
// The tracking reports of a run: the records are prepared for each file (or
// once for a global output), and after a file (or after the last file of a
// global output) the report is written from the template. A report never
// changes a file's result or the exit code.
#include <set>
#include <string>
#include <sys/types.h>
#include <unordered_set>
#include <utility>

class IPR;

// The report's name for an output file: up to the output name's last '.',
// then "_track.html".
std::wstring Trackingname(const wchar_t* ausgabename);

// Before a file: with one output per file the source, target and action
// records start afresh. With a global output they collect every file.
void Tracking_Dateibeginn(IPR& ipr, bool global);
// Once before the first file of a global output.
void Tracking_Globalbeginn(IPR& ipr);

// The files of the run that a report must not overwrite: its inputs, the
// outputs derived from them, the global output and the script.
class Trackingschutz {
public:
    void Aufnehmen(const wchar_t* pfad);
    bool Geschuetzt(const wchar_t* pfad) const;
    bool Leer() const { return namen.empty(); }

private:
    std::unordered_set<std::wstring> namen;
    std::set<std::pair<dev_t, ino_t>> dateien;  // the same files by identity
};

// Writes one report from the interpreter's records. `quelle`, `skript` and
// `ziel` are paths (or a pattern) of which the report shows the last
// component; `modus` 2 starts the report's playback on opening. 1 when the
// report was written.
int Tracking_Bericht(IPR& ipr, int modus, const wchar_t* quelle, const wchar_t* skript, const wchar_t* ziel,
                     const std::wstring& name, const Trackingschutz& schutz);

class VERZLINUX;
// Takes every input of the search, the output each would get with the
// extension (when one is given), the global output and the script.
void Trackingschutz_Aufbauen(Trackingschutz& schutz, VERZLINUX& suche, const wchar_t* erweiterung, const IPR& ipr);
// Takes every input of the search and the script: what the per-file
// outputs of a run must not overwrite.
void Ausgabeschutz_Aufbauen(Trackingschutz& schutz, VERZLINUX& suche, const IPR& ipr);
