#pragma once
// VERZLINUX: the directory search. Turns the input argument (a file name,
// or a pattern with '*' and '?' in the file-name part) into the register:
// a list of absolute file paths, numbered from 1, the files of a directory
// before those of its subdirectories (with -s), each directory's names in
// ascending order (with -o).
//
// Error codes (Fehler()):
//   20101 the pattern could not be prepared
//   20104 the base directory does not exist
//   20105 the working directory cannot be read
//   20107 the start directory cannot be entered again
//   21001 an entry number out of range was read
//   23100 a directory cannot be opened for reading
//   24105 a (sub)directory cannot be entered
//   24106 a path found is longer than 1023 characters
#include <regex.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class VERZLINUX {
public:
    VERZLINUX(wchar_t const* eingabe, bool rekursiv, bool sortiert);
    // A register of the given paths, in their order, without a search; the
    // base directory is the working directory.
    explicit VERZLINUX(std::vector<std::wstring> dateien);
    ~VERZLINUX();
    VERZLINUX(const VERZLINUX&) = delete;
    VERZLINUX& operator=(const VERZLINUX&) = delete;

    // Copies entry i (1 to Anzahl()) into a buffer of 1024 characters.
    bool RegisterRead(std::int64_t i, wchar_t* ziel);
    bool RegisterWrite(std::wstring const& pfad);
    // Keeps the entries for which the test holds, in their order.
    void RegisterBehalten(std::function<bool(std::wstring const&)> const& behalten);

    bool InitSuchmuster(wchar_t const* eingabe);
    void DirAuslesen(std::wstring const& verzeichnis);
    void DatAuslesen(std::wstring const& verzeichnis);

    std::int64_t Anzahl() const { return anzahl; }
    int Fehler() const { return fehler; }
    // The working directory when the search began.
    wchar_t const* Startverzeichnis() const { return startverzeichnis.c_str(); }
    std::wstring const& Dateimuster() const { return dateimuster; }
    std::wstring const& Basisverzeichnis() const { return basisverzeichnis; }

private:
    bool Passt(std::wstring const& pfad);
    bool Eintreten(std::wstring const& verzeichnis);

    std::wstring dateimuster;       // name and extension of the input
    std::wstring basisverzeichnis;  // absolute directory the search starts in
    std::string suchausdruck;       // the pattern as a POSIX extended expression
    bool rekursiv = false;
    bool sortiert = false;
    std::int64_t anzahl = 0;
    int fehler = 0;
    std::wstring startverzeichnis;
    std::string start_schmal;

    std::vector<std::wstring> reg;
    std::int64_t kapazitaet = 4096;  // grows in steps of 4096 entries
    regex_t ausdruck{};
    bool ausdruck_bereit = false;
};

// The file pattern as an anchored POSIX extended expression: '*' is any
// run of characters, '?' one character but a dot, a [...] bracket stays a
// character class, and every other character stands for itself.
std::wstring Suchausdruck(std::wstring const& muster);

// Case-insensitive order of two wide names (qsort style).
int SortCompare(void const* a, void const* b);
