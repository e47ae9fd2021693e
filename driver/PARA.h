#pragma once
// PARA: the command line as a list of wide strings. Entry 0 is the
// program's name, entries 1 to n the parameters. Every read consumes the
// entry it takes (it becomes empty), so each argument is used once and
// whatever is left at the end is an unknown parameter.
#include <cstdint>
#include <string>

#include "base/LISTESTR.h"

class PARA {
public:
    PARA(int argc, char const** argv);
    PARA(int argc, wchar_t const** argv);

    // 0, or the code of the last failure (30001 to 30005).
    int Fehler() const { return fehler; }

    // An entry equal to the switch, ignoring case.
    bool LeseSchalter(wchar_t const* schalter);
    // The text after the first two characters of an entry that begins with
    // the two characters of the prefix (exactly) and is longer than them.
    bool LeseSchalterText(wchar_t const* praefix, wchar_t* ziel, unsigned long kapazitaet);
    // An entry that is the switch (ignoring case) followed by a number from
    // 1 to 9999; any other entry that begins with it is left in the list.
    bool LeseSchalterZahl(wchar_t const* schalter, int* zahl);
    // The text after the switch of an entry that begins with it (the switch
    // ignoring case, such as "-shard="), of any length; it may be empty.
    bool LeseSchalterWert(wchar_t const* schalter, std::wstring& wert);
    // The next positional parameter.
    bool LeseText(wchar_t* ziel, unsigned long kapazitaet);
    // Every entry left, joined by single blanks; nothing is consumed.
    bool FalscheParameter(wchar_t* ziel, unsigned long kapazitaet);
    bool EigenerName(wchar_t* ziel, unsigned long kapazitaet);
    int AnzahlParameter() const { return anzahl; }

private:
    void Leer(int code);
    void ZuGross(int code, const wchar_t* was, std::size_t laenge, unsigned long kapazitaet, const wchar_t* text);

    std::int32_t fehler = 0;
    LISTESTR liste;
    std::int32_t anzahl = 0;
};
