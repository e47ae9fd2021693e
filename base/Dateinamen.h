#pragma once
// File names: the path split, the checks of input and output names, and
// the builders of output names. '/' is the only directory separator;
// '*' and '?' are the wildcards.
#include <cstddef>
#include <string>

// Capacity of every path buffer: 1023 characters and the terminator.
constexpr std::size_t DATEINAME_MAX = 1024;

// A path cut into four parts:
//   server       "//host" when the text begins with "//", else empty
//   verzeichnis  everything before the last '/' of the rest
//   name         the last component up to its last '.'
//   erweiterung  what follows that '.'
// absolut tells whether the text began with '/'; it keeps the root
// directory, which the four parts alone cannot tell from "no directory".
struct Pfadteile {
    std::wstring server;
    std::wstring verzeichnis;
    std::wstring name;
    std::wstring erweiterung;
    bool absolut = false;
};

Pfadteile PfadZerlegen(const wchar_t* pfad);

// Server, directory, name and extension put back together: one '/' between
// the pieces, one leading '.' of the extension skipped.
std::wstring PfadZusammensetzen(const Pfadteile& teile);

bool HatPlatzhalter(const std::wstring& text);

// Each prints one message and gives false when the text is not valid.
bool CheckEingabemuster(const wchar_t* muster);
bool CheckEingabedateiname(const wchar_t* name);
bool CheckAusgabeerweiterung(const wchar_t* erweiterung);
bool CheckAusgabedateiname(const wchar_t* name);

// The source path with its extension replaced, made absolute. Silent false
// when the source has no directory or no name.
bool MakeLokalName(std::wstring& ergebnis, const wchar_t* quelle, const wchar_t* erweiterung);
bool MakeLokalName(wchar_t* ergebnis, const wchar_t* quelle, const wchar_t* erweiterung);

// The output name placed below the base directory (unless it is absolute
// itself), made absolute. Prints a message when it cannot be built.
bool MakeGlobalName(std::wstring& ergebnis, const wchar_t* basis, const wchar_t* name);
bool MakeGlobalName(wchar_t* ergebnis, const wchar_t* basis, const wchar_t* name);

// A path made absolute against the working directory: "." and empty
// components vanish, ".." goes up one level (at the root it stays there).
// False when the result would be empty or longer than 1023 characters.
bool VollerPfad(std::wstring& ergebnis, const wchar_t* pfad);
bool wfullpath(wchar_t* ergebnis, const wchar_t* pfad, unsigned long kapazitaet);

// The working directory; empty when it cannot be read.
std::string ArbeitsverzeichnisSchmal();
std::wstring Arbeitsverzeichnis();
