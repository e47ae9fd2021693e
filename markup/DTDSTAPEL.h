#pragma once
// DTDSTAPEL: the stack of inputs that the DTD readers (XML: DTDR, SGML:
// SDTDR) read through: the subset or file at the bottom, above it the
// replacement texts of the parameter entities being read. Reading moves
// through the top input; an input that is used up is left (the end of an
// entity), never the bottom one. The XML reader surrounds a replacement
// text by a blank on either side (`vorn`, `hinten`); the SGML reader does
// not.
//
// Messages go through the BUF that holds their position; a position in a
// replacement text is reported where the reference to it stood.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class BUF;

class DTDSTAPEL {
public:
    virtual ~DTDSTAPEL() = default;
    int Fehler() const { return fehler_; }
    int Warnungen() const { return warnungen_; }

protected:
    struct Eingabe {
        const wchar_t* p;
        const wchar_t* ende;
        BUF* buf;                  // the text lies in it; null: a replacement text
        std::wstring_view basis;   // file that relative identifiers refer to
        int entitaet;              // parameter entity whose text this is, -1
        bool extern_;              // XML: external text, references in declarations allowed
        bool vorn, hinten;         // XML: blanks still to come before and after the text
        const wchar_t* bezug;      // where the reference stood in the input below
        int nummer;                // identifies the input for nesting checks
        int abschnitte;            // XML: INCLUDE sections open when it was pushed
        const wchar_t* anfang;     // where the text begins
    };

    // The character at the reading position; inputs above the bottom that
    // are used up are left on the way. 0 at the end of the bottom input.
    wchar_t Z();
    void W();
    const wchar_t* Stelle();
    int Nummer();
    // Whether t stands at the reading position within the current input.
    bool Folgt(const wchar_t* t);
    bool Nimm(const wchar_t* t);
    // A name within the current input, by the reader's name characters.
    template <class Anfang, class Zeichen>
    bool Name_lesen(std::wstring& out, Anfang anfang, Zeichen zeichen) {
        out.clear();
        Z();
        Eingabe& e = stapel_.back();
        if (e.vorn || e.p >= e.ende || !anfang(*e.p)) return false;
        const wchar_t* a = e.p;
        while (e.p < e.ende && zeichen(*e.p)) ++e.p;
        out.assign(a, static_cast<std::size_t>(e.p - a));
        return true;
    }
    // A quoted literal within the current input, without its quotes.
    bool Literal(std::wstring_view& out, const wchar_t* label);
    void Push(const Eingabe& e);
    void Pop();
    // An input is left (Pop): checks of what must end in it.
    virtual void Verlassen(const Eingabe& e) = 0;
    // Skips to the end of a faulty declaration: past the next ">", but not
    // past the "]" that ends the internal subset.
    void Ueberspringen();
    BUF* Puffer_von(const wchar_t* stelle) const;
    void Melden(bool warnung, const wchar_t* label, const wchar_t* vorlage, const wchar_t* stelle,
                const std::wstring_view* argument = nullptr);
    void Fehler(const wchar_t* label, const wchar_t* vorlage, const wchar_t* stelle,
                std::wstring_view argument = {}) {
        Melden(false, label, vorlage, stelle, argument.empty() ? nullptr : &argument);
    }

    std::vector<Eingabe> stapel_;
    std::size_t basis_ = 1;             // inputs at or below this are never left by reading
    std::vector<std::uint8_t> offen_;   // per entity: its text is being read
    std::vector<BUF*> puffer_;          // every BUF messages may point into
    int naechste_nummer_ = 0;
    int fehler_ = 0;
    int warnungen_ = 0;
    bool intern_ = false;               // reading the internal subset
};
