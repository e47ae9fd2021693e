#pragma once
// SDTD: the document type of one SGML document: the declarations in the
// model that XML shares (DTD: element types with their declared content,
// omission flags and exceptions, attributes, entities, notations), the
// SGML declaration in force (SGMLDEKL), and what only SGML has: short
// reference maps and the elements they are used in.
//
// Short references. The reference concrete syntax has 32 short reference
// delimiters (Trenner): a tab, a record end, a record start, blanks at the
// start or end of a record, a blank line, runs of blanks, and 24 single
// characters (and "--"). A map names for some of them the general entity
// that replaces them; a delimiter the current map leaves out is text. "B"
// in a delimiter stands for one or more blanks (space or tab), "&#RS;"
// for the start of a record (of a line), "&#RE;" for its end (the line
// feed).
//
// #CURRENT: attributes declared together in one ATTLIST share the value
// last given (Liste()).
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "markup/DTD.h"
#include "markup/SGMLDEKL.h"

class BUF;

class SDTD {
public:
    enum Trenner : std::uint8_t {
        TR_TAB, TR_RE, TR_RS, TR_RS_B, TR_RS_RE, TR_RS_B_RE, TR_B_RE, TR_SPACE, TR_BB,
        TR_ZEICHEN,  // the single characters follow, in the order of EINZELN
        TR_STRICHE = TR_ZEICHEN + 10,  // "--"
        TR_ANZAHL = 32,
    };
    // The single-character delimiters; "-" is at TR_ZEICHEN + 9, and "--"
    // takes the place after it.
    static constexpr const wchar_t* EINZELN = L"\"#%'()*+,-:;=@[]^_{|}~";
    // The delimiter an SGML declaration writes as `text` (its character
    // references already replaced, except "&#RS;" and "&#RE;", which are
    // passed as RS and RE below); -1 when it is none.
    static constexpr wchar_t RS = 0xE000, RE = 0xE001;
    static int Trenner_von(std::wstring_view text);

    // A character reference at p ("&#"): decimal, hexadecimal ("&#x"), or
    // a function character (RE, RS, SPACE, TAB, in any case). True with
    // its code (the function characters as 13, 10, 32 and 9, `funktion`
    // set) and p after it, its ";" or a line end closing it; false when
    // none stands there (p unchanged) or its value is out of range
    // (`ungueltig` set).
    static bool Zeichenreferenz(const SGMLDEKL& d, const wchar_t*& p, const wchar_t* ende, long& wert,
                                bool& funktion, bool& ungueltig);
    // The text of an attribute value (a literal, without quotes) with its
    // character references and general entity references replaced (texts
    // of internal entities expanded again, CDATA and SDATA texts as they
    // are; function characters RE and TAB as blanks, RS as nothing). False
    // with `fehlt` naming an entity that is not declared or cannot give a
    // text, or that nests too deep or grows too large.
    bool Wert_expandieren(std::wstring_view roh, std::wstring& out, int tiefe, std::wstring& fehlt) const;

    struct Karte {
        std::int32_t name = -1;  // the map's name (a number of the DTD's names)
        std::array<std::int32_t, TR_ANZAHL> entitaet;  // entity name numbers, -1: not mapped
        bool zeilenanfang = false;  // a delimiter with RS is mapped
        std::uint64_t erste[2] = {0, 0};  // characters below 128 that begin a mapped delimiter
        Karte() { entitaet.fill(-1); }
    };
    static constexpr int LEERE_KARTE = -2;  // #EMPTY

    explicit SDTD(bool namecase);
    ~SDTD();
    SDTD(const SDTD&) = delete;
    SDTD& operator=(const SDTD&) = delete;

    DTD& Modell() { return dtd_; }
    const DTD& Modell() const { return dtd_; }
    SGMLDEKL& Deklaration() { return dekl_; }
    const SGMLDEKL& Deklaration() const { return dekl_; }

    // ---- short reference maps ----
    // The map of the name (-1: none yet); Karte_neu declares it (-1 when
    // it is declared already).
    int Karte_von(int name) const;
    int Karte_neu(int name);
    Karte& Karte_bearbeiten(int i) { return karten_[static_cast<std::size_t>(i)]; }
    const Karte& Karten(int i) const { return karten_[static_cast<std::size_t>(i)]; }
    int Kartenzahl() const { return static_cast<int>(karten_.size()); }
    // After the map's delimiters are all set: the tables for reading.
    void Karte_abschliessen(int i);
    // USEMAP in the DTD: the map (or LEERE_KARTE) of an element type; the
    // map is named by its name number, as it may be declared later.
    void Verwenden(int element_name, int karten_name);
    // The map an element type uses: an index, LEERE_KARTE, or -1 when it
    // names none (the surrounding map stays). Resolved after reading.
    int Karte_fuer(int element_name) const;
    // Resolves the names of USEMAP declarations; 0 with `fehlt` set to a
    // map name that is not declared.
    int Karten_aufloesen(int& fehlt);

    // ---- the files of external entities read as content ----
    // Items point into them, so they live as long as the DTD.
    BUF* Datei_behalten(std::unique_ptr<BUF> datei);
    const std::vector<std::unique_ptr<BUF>>& Dateien() const { return dateien_; }

    // ---- #CURRENT ----
    void Liste_setzen(int attribut, int liste);
    int Liste(int attribut) const;

private:
    DTD dtd_;
    SGMLDEKL dekl_;
    std::vector<Karte> karten_;
    std::vector<std::int32_t> karte_nach_name_;
    std::vector<std::int32_t> verwendet_;       // element name -> map name, LEERE_KARTE, -1
    std::vector<std::int32_t> karte_je_element_;  // element name -> map index, LEERE_KARTE, -1
    std::vector<std::int32_t> liste_;           // attribute -> ATTLIST number
    std::vector<std::unique_ptr<BUF>> dateien_;
};
