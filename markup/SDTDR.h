#pragma once
// SDTDR: the reader of SGML document type declarations. It fills an SDTD
// from the internal subset (a cursor into the document's BUF) and from the
// external subset and the external parameter entities (files found through
// QUELLE: the SGML catalogs by public identifier, by entity or document
// type name, or the system identifier relative to the file that names it).
//
// The text is read through a stack of inputs, as the XML reader does: the
// subset or file at the bottom, above it the replacement texts of the
// parameter entities being read. A parameter entity reference ("%name;",
// the ";" may be left out before a character that is no name character,
// and a line end may stand for it) may stand wherever a parameter
// separator may, within groups, in the status keywords of marked sections
// and in parameter literals; its text is read in its place, and the end of
// an entity separates tokens. Comments ("-- ... --") may stand between the
// parameters of every declaration. Keywords and general names ignore case
// (names are folded to upper case when the SGML declaration says NAMECASE
// GENERAL YES); entity names keep theirs.
//
// Declarations: ELEMENT (a name or a name group, omitted tag minimization,
// declared content CDATA, RCDATA, EMPTY, ANY or a model group with
// inclusions and exclusions), ATTLIST (every declared value of ISO 8879 and
// every default kind), ENTITY (general and parameter, #DEFAULT, texts of
// the kinds CDATA, SDATA, PI, STARTTAG, ENDTAG, MS and MD, external
// entities with SUBDOC, NDATA, CDATA and SDATA), NOTATION, SHORTREF,
// USEMAP, marked sections (IGNORE, INCLUDE, TEMP; IGNORE wins, and nests),
// comment declarations and processing instructions. LINKTYPE and the
// other link declarations are read past.
//
// #PCDATA is a leaf of the content model like a name (DTD name "#PCDATA")
// that repeats, so that the automaton knows where character data may
// stand; the reader of the document asks for it by Pcdata().
//
// Every fault is an error and fails the document: ISO 8879 knows no
// "well-formed" DTD besides a valid one. Only what is left unread is a
// warning (an external entity not found, outside the folders that may be
// read, on the net).
//
// Messages ("(Parser)", label as the declaration's keyword), beyond the
// texts it shares with the XML reader (DTDR.h: "Leerraum erwartet.",
// "Name erwartet.", "Ende der Deklaration (>) erwartet.", "Unbekannte
// Deklaration im DTD.", "Unerwartetes Zeichen im DTD.", "Fehlerhaftes
// Inhaltsmodell.", "Das Inhaltsmodell von '%ls' ist zu groß oder zu tief
// verschachtelt.", "Das Inhaltsmodell von '%ls' ist nicht deterministisch
// (mehrdeutig).", "Das Element '%ls' ist mehrfach deklariert.",
// "Attributtyp erwartet.", "Zeichenkette erwartet.", "Die Zeichenkette
// wird in dieser Entität nicht beendet.", "System- oder
// Public-Identifikator erwartet.", "Die Parameter-Entität '%ls' ist nicht
// deklariert.", "Die Parameter-Entität '%ls' verweist auf sich selbst
// (Rekursion).", "Die Entitätsersetzung ist zu groß oder zu tief
// verschachtelt.", "Der bedingte Abschnitt wird in dieser Entität nicht
// beendet.", "Ende eines bedingten Abschnitts (]]>) ohne Anfang.", "Der
// Vorgabewert des Attributs '%ls' passt nicht zu seinem Typ."):
//   "Inhaltsdeklaration erwartet (CDATA, RCDATA, EMPTY, ANY oder Gruppe)."
//   "Attributvorgabe erwartet (#FIXED, #REQUIRED, #CURRENT, #CONREF, #IMPLIED oder Wert)."
//   "Ende des Kommentars erwartet."                 (label "Kommentar")
//   "Schlüsselwort des markierten Bereichs erwartet."
//   "Ungültiger Kurzverweis-Begrenzer '%ls'."
//   "Die Kurzverweis-Tabelle '%ls' ist mehrfach deklariert."
//   "Die Kurzverweis-Tabelle '%ls' ist nicht deklariert."
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "markup/DTDSTAPEL.h"
#include "markup/SDTD.h"

class BUF;
class QUELLE;

class SDTDR : public DTDSTAPEL {
public:
    // Neither is owned; `quelle` may be null (then nothing external is read).
    SDTDR(SDTD* sdtd, QUELLE* quelle);

    bool extern_lesen = true;  // external parameter entities are read

    // Reads the internal subset from `cursor` (just after "[") up to the
    // "]" that ends it, where `cursor` is left.
    void Intern(BUF* buf, const wchar_t*& cursor);
    // Reads the external subset that the document type declaration names
    // (`name`: the document type's name, for the catalogs' DOCTYPE
    // entries). False after a warning when it cannot be found.
    bool Extern(std::wstring_view oeffentlich, std::wstring_view system, std::wstring_view name, BUF* bezug,
                const wchar_t* stelle);
    // After the last subset: USEMAP names resolved, attribute defaults
    // expanded and checked, the maps' tables made.
    void Abschliessen(BUF* bezug);

    // Whether an external parameter entity was left unread.
    bool Uebergangen() const { return uebergangen_; }
    // The name number of "#PCDATA" in the model.
    int Pcdata() const { return pcdata_; }

    // Finds and reads the file of an external entity (`name` for the
    // catalogs' ENTITY and DOCTYPE entries, "%name" for parameter
    // entities); null after a warning through `bezug` at `stelle`. The
    // buffer is read as `vorbild` was (single bytes, or the encoding it
    // was read in). `kaputt` tells an unreadable file from a missing one.
    static std::unique_ptr<BUF> Datei(QUELLE& quelle, std::wstring_view oeffentlich, std::wstring_view system,
                                      std::wstring_view doctype, std::wstring_view entity, std::wstring_view basis,
                                      BUF* bezug, const wchar_t* stelle, bool* kaputt);

    static constexpr int MAX_TIEFE = 40;
    static constexpr std::size_t MAX_ERSETZT = std::size_t{1} << 25;

private:
    struct Vorgabe {               // an attribute default, as written
        int attribut;
        std::wstring roh;
        bool literal;
        const wchar_t* stelle;
    };

    // ---- reading through the stack (SDTDR.cpp) ----
    bool Ps();
    bool Ps_pflicht(const wchar_t* label);
    bool Name(std::wstring& out);
    bool Schluessel(std::wstring& out);  // a name in upper case
    bool Parameterliteral(std::wstring& out, const wchar_t* label);
    bool Einsetzen(std::wstring_view roh, std::wstring& out, const wchar_t* stelle, int tiefe);
    void Verlassen(const Eingabe& e) override;
    bool Referenz();
    void Oeffnen(int entitaet, const wchar_t* stelle);
    void Lesen(bool intern);
    const wchar_t* Lesen_aus(BUF* buf, const wchar_t* p, bool intern);
    // ---- declarations (SDTDR_Deklarationen.cpp) ----
    void Kommentar();
    void Verarbeitung();
    void Markiert();
    void Abschnitt_uebergehen(const wchar_t* stelle);
    bool Ende(const wchar_t* label);
    bool Namensgruppe(std::vector<int>& namen, const wchar_t* label);
    bool Namen(std::vector<int>& namen, const wchar_t* label);
    void Element();
    int Modellgruppe(MODELL& m, int tiefe, const wchar_t* stelle);
    MODELL::Wdh Haeufigkeit();
    void Attliste();
    bool Attributdefinition(const std::vector<int>& elemente, int liste);
    void Entity();
    void Notation();
    void Shortref();
    void Usemap();
    void Vorgabe_setzen(const Vorgabe& v, BUF* bezug);

    SDTD* sdtd_;
    DTD* dtd_;
    const SGMLDEKL* dekl_;
    QUELLE* quelle_;
    std::vector<int> abschnitte_;       // INCLUDE sections open: the input they began in
    std::vector<Vorgabe> vorgaben_;
    std::wstring name_;                 // scratch
    int pcdata_ = -1;
    int listen_ = 0;                    // ATTLIST declarations read
    std::size_t ersetzt_ = 0;
    bool uebergangen_ = false;
};
