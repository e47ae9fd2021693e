#pragma once
// NAMEN: the run's table of element and attribute names. Every name of the
// script and of the documents gets a small number once, so that finding an
// element definition, testing a context condition or counting compares
// numbers instead of texts. The table also knows, for every name, the
// number of its lower-case form: two names are equal without regard to
// case exactly when those numbers are equal.
//
// One table serves the whole run (`Namenstabelle()`): the script's names
// are entered when it is compiled, each document's names while it is read.
// The names of a document are dropped again after it (`Marke`,
// `Zuruecksetzen`), so that a batch of documents with ever new names does
// not keep them all. Numbers start at 1; 0 stands for "no name".
//
// Storage: the characters of all names in one text, the entries in one
// array and an open-addressing index of entry numbers; entering a name
// allocates only when one of them grows.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

class NAMEN {
public:
    NAMEN();
    NAMEN(const NAMEN&) = delete;
    NAMEN& operator=(const NAMEN&) = delete;

    // The number of the name, entered when it is new.
    int Nummer(const wchar_t* anfang, const wchar_t* ende);
    int Nummer(std::wstring_view name) { return Nummer(name.data(), name.data() + name.size()); }
    int Nummer(const wchar_t* name) { return name == nullptr ? 0 : Nummer(std::wstring_view(name)); }
    // The number of the name, 0 when it is not in the table.
    int Suchen(std::wstring_view name) const;

    // The number of the name's lower-case form (the name's own when it has
    // no capitals).
    int Gefaltet(int nummer) const { return eintraege[static_cast<std::size_t>(nummer)].gefaltet; }
    // The number under which names are compared: folded when case does
    // not count.
    int Vergleich(int nummer, bool falten) const { return falten ? Gefaltet(nummer) : nummer; }
    std::wstring_view Name(int nummer) const;
    // Numbers in use are 1 .. Anzahl().
    int Anzahl() const { return static_cast<int>(eintraege.size()) - 1; }

    // Where the names entered from now on begin; Zuruecksetzen forgets them.
    int Marke() const { return Anzahl(); }
    void Zuruecksetzen(int marke);

private:
    struct Eintrag {
        std::uint32_t anfang;  // first character in `zeichen`
        std::uint32_t laenge;
        std::uint32_t hash;
        std::int32_t gefaltet;
    };
    static std::uint32_t Hash(const wchar_t* a, std::size_t n);
    int Finden(const wchar_t* a, std::size_t n, std::uint32_t h, std::size_t* platz) const;
    int Eintragen(const wchar_t* a, std::size_t n, std::uint32_t h, std::size_t platz);
    void Index_Verdoppeln();

    std::vector<wchar_t> zeichen;
    std::vector<Eintrag> eintraege;     // [0] unused: number 0 is "no name"
    std::vector<std::int32_t> index;    // entry numbers, 0 free; size a power of two
};

// The table of the run.
NAMEN& Namenstabelle();
