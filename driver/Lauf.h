#pragma once
// The whole run of one command line: returns the exit code.
#include <cstdint>

int Lauf(int argc, char const** argv);

// What the file loop counts.
struct Lauf_Bilanz {
    std::int64_t verarbeitet = 0;  // files processed, failed ones included
    std::int64_t fehlerhaft = 0;   // files failed
    std::int64_t bytes = 0;        // decoded characters of the files that succeeded
    bool ausgabefehler = false;    // the global output could not be written
};

// Prints the closing line of a check or convert run (success lines only
// when not quiet) and gives the exit code: 0, or 12 when a file failed.
int Lauf_Zusammenfassung(const Lauf_Bilanz& bilanz, bool konvertieren, bool quiet);
