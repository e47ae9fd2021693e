#pragma once
// DTDDOK: the document type definition of one XML document as its reader
// applies it. The reader (SGMLR) hands it the internal subset and the
// external identifier of the DOCTYPE, and then calls it for every start
// tag, attribute, end tag, text run and entity reference while it records
// the document.
//
// - Reading: the internal subset always, the external subset and external
//   parameter entities only when asked (READERDTD = EXTERNAL, or when
//   validating), through the run's XML catalogs or beside the document
//   (QUELLE). The general entities are recorded as entity items (with
//   their external identifiers), so that FILE finds them.
// - Names: the DTD numbers names in its own table (DTDNAMEN), the store in
//   the run's table (NAMEN). The start tags and attribute names are looked
//   up by their run-wide number in a table of this document (one entry per
//   name, made on first sight), so that a tag costs no second hash: the
//   reader hands that number to the store too (META::Name_mitteilen).
//   Nothing of this runs for documents without ATTLIST declarations unless
//   they are validated; validation needs no items (a check without a
//   script records none).
// - Defaults: the attributes a start tag leaves out and the DTD gives a
//   value (a default or #FIXED) are appended after the written ones as an
//   attribute name and a value item, their texts in the store's arena,
//   laid down once per declared attribute.
// - Normalisation: the value of an attribute declared with another type
//   than CDATA loses leading, trailing and repeated blanks (line ends and
//   tabs count as blanks); a value piece that changes gets its new text in
//   the arena, a character reference of a blank that goes is deleted.
// - Expansion (CONVERTENTITIES = EXPAND): a reference to an entity that
//   the DTD declares and the script does not define is replaced while the
//   document is read: in content by its replacement text, read as content
//   in its place (Ersetzung), in an attribute value by its expanded text.
//   The limits: nesting MAX_ENTITAETSTIEFE, and per document at most
//   max(MIN_ERSETZUNG, ERSETZUNG_JE_ZEICHEN x the document's length)
//   characters of replacement read, each replacement counting 16 more.
// - Validation (-v): DTDPRUEF, owned here.
//
// After reading, the conversion keeps this object (CNV) for the questions
// of CONVERTENTITIES = EXPAND; the reader is then gone.
//
// Messages ("(Parser)", positioned in the document; errors fail the file):
//   "Der Ersetzungstext der Entität '%ls' ist kein vollständiger Inhalt."
//        an element or comment that begins in an entity's text ends outside it
//   the expansion faults of DTD::Fehlertext (recursion, limits, NDATA, '<'
//   in an attribute value), with the entity's name.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "markup/DTD.h"
#include "markup/META.h"

class BUF;
class DTDPRUEF;
class DTDR;
class KATALOG;
class QUELLE;
class SGMLR;
class SKRIPTFRAGEN;

class DTDDOK {
public:
    struct Auftrag {
        bool extern_lesen = false;  // the external subset and parameter entities
        bool validieren = false;
        bool expandieren = false;   // CONVERTENTITIES = EXPAND
    };
    // None is owned; `skript` and `katalog` may be null.
    DTDDOK(SGMLR* leser, BUF* buf, META* meta, const SKRIPTFRAGEN* skript, KATALOG* katalog, const Auftrag& auftrag);
    ~DTDDOK();
    DTDDOK(const DTDDOK&) = delete;
    DTDDOK& operator=(const DTDDOK&) = delete;

    DTD& Modell() { return dtd_; }
    const DTD& Modell() const { return dtd_; }
    const Auftrag& Auftraege() const { return auftrag_; }

    // ---- the DOCTYPE (the reader's prolog) ----
    // Reads the internal subset from just after "[" up to the "]" where the
    // cursor is left. The number of errors found (reported).
    int Intern(wchar_t*& cursor);
    // The document type's name and external identifier (views into the
    // document; empty when absent), after the whole declaration. Reads
    // the external subset when asked, records the entity items and
    // prepares the tables. The number of errors found.
    int Abschliessen(std::wstring_view name, std::wstring_view oeffentlich, std::wstring_view system,
                     const wchar_t* stelle);
    int Warnungen() const { return warnungen_; }
    // Whether start tags need looking at: ATTLIST declarations, or validation.
    bool Aktiv() const { return aktiv_; }
    // The document names an external subset that was not read (not asked
    // for, or not found), or parameter entities were left unread.
    bool Extern_ungelesen() const { return extern_ungelesen_; }

    // ---- start tags (only when Aktiv) ----
    // A start tag with the name a .. e, appended as item `item` (-1 when
    // the reader records nothing: validation still needs every tag).
    void Starttag(int item, const wchar_t* a, const wchar_t* e);
    // An attribute name, appended as item `item` (or -1).
    void Attributname(int item, const wchar_t* a, const wchar_t* e);
    // The value of the last attribute is complete: the literal a .. e
    // without its quotes; its pieces are the items after its name.
    void Attributwert(const wchar_t* a, const wchar_t* e);
    // The attributes of the tag are complete: defaults are appended.
    // `leer`: "/>" closes it.
    void Tag_fertig(bool leer);
    // End tag of the element whose content is complete (at `stelle`).
    void Endtag(const wchar_t* stelle);
    // Character data (a .. e) or a reference (a null) in content.
    void Text(const wchar_t* a, const wchar_t* e, const wchar_t* stelle);
    // After the document element: the references to IDs.
    void Dokumentende();

    // ---- entity references (only with expandieren) ----
    enum Ersatzart { BEHALTEN, FEHLER, TEXT, INHALT };
    struct Ersatz {
        Ersatzart art = BEHALTEN;
        wchar_t* text = nullptr;   // TEXT: the text; INHALT: text to read, ending at `ende`
        wchar_t* ende = nullptr;   // INHALT: a "<" that ends the reading
        int entitaet = -1;         // INHALT: to be passed to Ersetzung_fertig
    };
    // What a reference `name` (at `stelle`) becomes, in content or in an
    // attribute value.
    Ersatz Ersetzung(std::wstring_view name, bool attributwert, const wchar_t* stelle);
    void Ersetzung_fertig(int entitaet);
    // A limit was reached: the reading must end (the message is out).
    bool Erschoepft() const { return erschoepft_; }

    // ---- the conversion asks ----
    // The declared entity of the name (general entities), -1.
    int Entitaet(std::wstring_view name) const;

private:
    struct Attributinfo {
        int attribut;           // index in the DTD
        int nummer;             // the name's number in the run's table
        wchar_t* name = nullptr;  // arena texts of a default, made when first needed
        wchar_t* name_ende = nullptr;
        wchar_t* wert = nullptr;
        wchar_t* wert_ende = nullptr;
        bool cdata;
        bool vorgabe;           // the DTD gives a value
    };
    struct Elementinfo {
        int element;            // index in the DTD, -1
        int name;               // number in the DTD's table, -1
        int erstes, anzahl;     // its attributes in attribute_
        bool vorgaben;          // some have a value
    };

    int Info_von(int nummer, const wchar_t* a, const wchar_t* e);
    int Info_bauen(const wchar_t* a, const wchar_t* e);
    void Vorgabe_anfuegen(Attributinfo& a);
    void Normalisieren(int von, int bis);
    void Entitaeten_aufnehmen();
    void Melden(const wchar_t* label, const wchar_t* vorlage, std::wstring_view argument, const wchar_t* stelle);
    bool Budget(std::size_t laenge, std::wstring_view name, const wchar_t* stelle);
    bool Skript_definiert(int entitaet);

    SGMLR* leser_;
    BUF* buf_;
    META* meta_;
    const SKRIPTFRAGEN* skript_;
    Auftrag auftrag_;
    DTD dtd_;
    std::unique_ptr<QUELLE> quelle_;
    std::unique_ptr<DTDR> dtdr_;
    std::unique_ptr<DTDPRUEF> pruefung_;
    int warnungen_ = 0;
    bool aktiv_ = false;
    bool extern_ungelesen_ = false;

    std::vector<int> info_nach_nummer_;   // run-wide name number -> info, -1: not yet
    std::vector<Elementinfo> infos_;
    std::vector<Attributinfo> attribute_;

    // The tag being read.
    int tag_info_ = -1;
    int attribut_item_ = -1;              // name item of the attribute being read
    int attribut_info_ = -1;              // its entry in attribute_, -1: undeclared
    std::vector<int> gegeben_;            // name numbers of the written attributes
    std::vector<std::wstring> stuecke_;   // normalisation scratch, one per value piece
    std::vector<char> weg_;               // pieces that normalisation removes
    std::wstring wert_;                   // the value as validation sees it

    // Expansion: per entity its text in the arena, whether it is being
    // read, and whether the script defines it (0 unknown, 1 no, 2 yes).
    struct Ersatztext {
        wchar_t* text = nullptr;
        wchar_t* ende = nullptr;
        wchar_t* attribut = nullptr;
        wchar_t* attribut_ende = nullptr;
        std::int8_t skript = 0;
        bool offen = false;
        bool markup = false;
    };
    std::vector<Ersatztext> ersatz_;
    int tiefe_ = 0;
    bool erschoepft_ = false;
    std::size_t ersetzt_ = 0;
    std::size_t ersatzgrenze_ = 0;

    friend class DTDPRUEF;

public:
    static constexpr std::size_t MIN_ERSETZUNG = std::size_t{1} << 25;
    static constexpr std::size_t ERSETZUNG_JE_ZEICHEN = 4;
};
