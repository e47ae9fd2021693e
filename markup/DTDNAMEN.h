#pragma once
// DTDNAMEN: a table of names, each stored once in one text arena and numbered
// from 0 in the order of arrival. An open-addressing index finds a name's
// number without allocating; numbers are what the declaration model keys
// everything by, so that names can later come from a run-wide table as
// small integers as well.
//
// A lookup may fold case (to upper case, as SGML folds general names): the
// name is then hashed and compared folded and must have been stored folded
// (Aufnehmen with the same flag stores it so).
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

class DTDNAMEN {
public:
    DTDNAMEN();

    // The number of the name, or -1 when it is not in the table.
    int Suche(const wchar_t* a, std::size_t n, bool falten = false) const;
    int Suche(std::wstring_view s, bool falten = false) const { return Suche(s.data(), s.size(), falten); }
    // The number of the name, stored first when it is new.
    int Aufnehmen(const wchar_t* a, std::size_t n, bool falten = false);
    int Aufnehmen(std::wstring_view s, bool falten = false) { return Aufnehmen(s.data(), s.size(), falten); }

    // The name of a number from 0 to Anzahl() - 1; stays valid while the
    // table lives (the arena never moves a stored name).
    std::wstring_view Name(int nummer) const;
    int Anzahl() const { return static_cast<int>(eintraege.size()); }

    static wchar_t Falten(wchar_t c);

private:
    struct Eintrag {
        const wchar_t* text;
        std::uint32_t laenge;
        std::uint32_t hash;
    };
    static std::uint32_t Hash(const wchar_t* a, std::size_t n, bool falten);
    bool Gleich(const Eintrag& e, const wchar_t* a, std::size_t n, bool falten) const;
    const wchar_t* Ablegen(const wchar_t* a, std::size_t n, bool falten);
    void Wachsen();

    // The arena: blocks of at least 64 K characters, never reallocated.
    std::vector<std::vector<wchar_t>> bloecke;
    std::vector<Eintrag> eintraege;
    std::vector<std::int32_t> index;  // slot -> number + 1, 0: free
};
