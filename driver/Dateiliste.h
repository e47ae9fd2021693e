#pragma once
// File lists (@liste.txt, or @- for standard input): the input files of a
// run named one per line, as `find` prints them. Blank lines and lines that
// begin with '#' are skipped, a carriage return before the line feed is
// dropped, and a byte-order mark at the start is ignored. The bytes of a
// name are taken as the command line's are (UTF-8 in a UTF-8 locale), and
// a relative name is taken from the working directory.
#include <string>
#include <vector>

// A name that stood in the list before; its file is converted once.
struct Listendoppel {
    std::wstring pfad;
    long long zeile = 0;
};

// Reads the list `quelle` ("-": standard input) into absolute paths in list
// order, each path once. False, with its message, when the list cannot be
// read or a line is no usable name.
bool Dateiliste_Lesen(const wchar_t* quelle, std::vector<std::wstring>& dateien, std::vector<Listendoppel>& doppelte);
