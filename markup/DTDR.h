#pragma once
// DTDR: the reader of XML document type declarations. It fills a DTD from
// the internal subset (a cursor into the document's BUF) and from the
// external subset and external parameter entities (files found through
// QUELLE, each read into its own BUF that the DTD keeps).
//
// The text is read through a stack of inputs: the subset or file at the
// bottom, above it the replacement texts of the parameter entities being
// read. A reference is replaced by its text with one blank before and
// after it, except inside an entity value, where the text is inserted as
// it is. Conditional sections (INCLUDE, IGNORE; IGNORE nests) and
// references inside declarations are allowed in external text only, as
// the XML recommendation says; in the internal subset a reference may
// stand only between declarations. Once an external parameter entity has
// been left unread, further ENTITY and ATTLIST declarations are read but
// not taken.
//
// Well-formedness faults are errors and fail the document. Validity
// faults of the declarations (an element declared twice, a second ID
// attribute, an ambiguous content model, declarations that a parameter
// entity begins and does not end ...) are errors only when `validieren`
// is set and are not reported otherwise, except an ambiguous content
// model, which is then a warning.
//
// Messages, "(Parser)" with the declaration's keyword as label (errors
// unless marked):
//   "Leerraum erwartet."                                   a separator is missing
//   "Name erwartet."                                       a name is missing
//   "Ende der Deklaration (>) erwartet."
//   "Unbekannte Deklaration im DTD."                       "<!" followed by no known keyword
//   "Unerwartetes Zeichen im DTD."                         text between declarations
//   "Inhaltsmodell erwartet (EMPTY, ANY oder Gruppe)."
//   "Fehlerhaftes Inhaltsmodell."                          a group that breaks the grammar
//   "Gemischter Inhalt muss mit ')*' enden."
//   "Das Inhaltsmodell von '%ls' ist zu groß oder zu tief verschachtelt."
//   "Das Inhaltsmodell von '%ls' ist nicht deterministisch (mehrdeutig)." (WARNUNG unless validating)
//   "Das Element '%ls' ist mehrfach deklariert."           validating only
//   "Attributtyp erwartet."
//   "Attributvorgabe erwartet (#REQUIRED, #IMPLIED, #FIXED oder Wert)."
//   "Der Vorgabewert des Attributs '%ls' passt nicht zu seinem Typ."   validating only
//   "Das Element hat schon ein Attribut vom Typ %ls."     validating only (ID, NOTATION)
//   "Ein ID-Attribut braucht #IMPLIED oder #REQUIRED."    validating only
//   "Der Wert '%ls' steht mehrfach in der Liste."         validating only
//   "Zeichenkette erwartet."                              a quoted literal is missing
//   "Die Zeichenkette wird in dieser Entität nicht beendet."
//   "System- oder Public-Identifikator erwartet."
//   "Ungültiges Zeichen im Public-Identifikator."
//   "Ungültige Zeichenreferenz."
//   "Das Zeichen '%ls' ist hier nicht erlaubt."          "&" or "%" without a reference, "<" in a value
//   "Referenzende (;) erwartet."
//   "Parameter-Entity-Referenzen sind im internen Subset nur zwischen Deklarationen erlaubt."
//   "Die Parameter-Entität '%ls' ist nicht deklariert."  (WARNUNG in external text unless validating)
//   "Die Parameter-Entität '%ls' verweist auf sich selbst (Rekursion)."
//   "Die Entitätsersetzung ist zu groß oder zu tief verschachtelt."  billion laughs and the like
//   "Die Deklaration beginnt und endet nicht in derselben Entität."  (internal subset; else validating only)
//   "Die Gruppe beginnt und endet nicht in derselben Entität."        validating only
//   "Bedingte Abschnitte sind nur im externen Subset erlaubt."
//   "INCLUDE oder IGNORE erwartet."
//   "Beginn des bedingten Abschnitts ([) erwartet."
//   "Der bedingte Abschnitt wird in dieser Entität nicht beendet."
//   "Ende eines bedingten Abschnitts (]]>) ohne Anfang."
//   "Ende des Kommentars (-->) fehlt.", "Die Zeichenfolge '--' ist im Kommentar nicht erlaubt."
//   "Ende der Verarbeitungsanweisung (?>) fehlt."
//   "Die Verarbeitungsanweisung 'xml' ist hier nicht erlaubt."
//   "Fehlerhafte Textdeklaration (encoding fehlt)."
//   "Die Notation '%ls' ist nicht deklariert."            validating only, at the end
//   "Ein als EMPTY deklariertes Element darf kein NOTATION-Attribut haben."  validating only, at the end
// The attribute-default failures use DTD::Fehlertext().
#include <string>
#include <string_view>
#include <vector>

#include "markup/DTD.h"

class BUF;
class QUELLE;

class DTDR {
public:
    // Neither is owned; `quelle` may be null (then nothing external is read).
    DTDR(DTD* dtd, QUELLE* quelle);

    bool validieren = false;   // validity faults are errors
    bool extern_lesen = true;  // external parameter entities are read

    // Reads the internal subset from `cursor` (just after "[") up to the
    // "]" that ends it, where `cursor` is left (at the end of the text
    // when there is none). 1 when no error was found.
    int Intern(BUF* buf, wchar_t*& cursor);
    // Reads the external subset named by the document type declaration in
    // `bezug` (`stelle` points at the identifier). A subset that cannot be
    // found is a warning, and the result is still 1.
    int Extern(std::wstring_view oeffentlich, std::wstring_view system, BUF* bezug, const wchar_t* stelle);
    // Checks that need the whole DTD (notations named by attributes and
    // entities); call once after the last subset. Validating only.
    int Abschliessen();

    int Fehler() const { return fehler_; }
    int Warnungen() const { return warnungen_; }
    // Whether a subset or parameter entity was left unread (not asked for,
    // or not found), so that later declarations were not taken.
    bool Uebergangen() const { return uebergangen_; }

    // Limits: nesting of parameter entities, and the characters of
    // replacement text read in all.
    static constexpr int MAX_TIEFE = 40;
    static constexpr std::size_t MAX_ERSETZT = std::size_t{1} << 25;

private:
    struct Eingabe {
        const wchar_t* p;
        const wchar_t* ende;
        BUF* buf;                  // the text lies in it; null: a replacement text
        std::wstring_view basis;   // file that relative identifiers refer to
        int entitaet;              // parameter entity whose text this is, -1
        bool extern_;              // external text: references in declarations allowed
        bool vorn, hinten;         // blanks still to come before and after the text
        const wchar_t* bezug;      // where the reference stood in the input below
        int nummer;                // identifies the input for nesting checks
        int abschnitte;            // INCLUDE sections open when it was pushed
    };
    struct Abschnitt {
        int nummer;                // input where it began
    };

    // ---- reading through the stack (DTDR.cpp) ----
    wchar_t Z();
    void W();
    const wchar_t* Stelle();
    int Nummer();
    bool Folgt(const wchar_t* t);
    bool Nimm(const wchar_t* t);
    bool Wort(const wchar_t* w);
    bool Leer(bool* fehlerhaft = nullptr);
    bool Leer_pflicht(const wchar_t* label);
    bool Name(std::wstring& out);
    bool Literal(std::wstring_view& out, const wchar_t* label);
    void Push(const Eingabe& e);
    void Pop();
    void Referenz(const wchar_t* stelle, bool in_deklaration);
    void Oeffnen(int entitaet, const wchar_t* stelle);
    bool Extern_laden(int entitaet, std::wstring_view pub, std::wstring_view sys, std::wstring_view basis,
                      const wchar_t* stelle, Eingabe& e);
    void Textdeklaration(Eingabe& e);
    void Lesen(bool intern);
    void Ueberspringen();
    bool Intern_kontext() { return !stapel_.back().extern_; }
    void Melden(bool warnung, const wchar_t* label, const wchar_t* vorlage, const wchar_t* stelle,
                const std::wstring_view* argument = nullptr);
    void Fehler(const wchar_t* label, const wchar_t* vorlage, const wchar_t* stelle,
                std::wstring_view argument = {}) {
        Melden(false, label, vorlage, stelle, argument.empty() ? nullptr : &argument);
    }
    // Validity faults: errors when validating, else nothing.
    void Gueltigkeit(const wchar_t* label, const wchar_t* vorlage, const wchar_t* stelle,
                     std::wstring_view argument = {}) {
        if (validieren) Fehler(label, vorlage, stelle, argument);
    }

    // ---- declarations (DTDR_Deklarationen.cpp) ----
    void Kommentar();
    void Verarbeitung();
    void Bedingt();
    void Abschnitt_uebergehen(const wchar_t* stelle);
    void Abschnitt_ende();
    void Element();
    int Inhaltsgruppe(MODELL& m, int tiefe, const wchar_t* stelle);
    int Teilchen(MODELL& m, int tiefe, const wchar_t* stelle);
    MODELL::Wdh Haeufigkeit();
    void Attliste();
    bool Attributdefinition(int element, const wchar_t* stelle);
    void Vorgabe_setzen(int attribut, std::wstring_view roh, const wchar_t* stelle);
    void Entity();
    bool Entitaetswert(std::wstring_view roh, std::wstring& out, const wchar_t* ort, bool genau, int tiefe);
    bool Parameter_einsetzen(std::wstring_view name, std::wstring& out, const wchar_t* stelle, int tiefe);
    bool Extern_id(std::wstring_view& pub, std::wstring_view& sys, bool system_optional, const wchar_t* label);
    void Notation();
    bool Ende(const wchar_t* label, int nummer, const wchar_t* stelle);
    BUF* Puffer_von(const wchar_t* stelle) const;

    DTD* dtd_;
    QUELLE* quelle_;
    std::vector<Eingabe> stapel_;
    std::size_t basis_ = 1;         // inputs at or below this are never left by reading
    std::vector<Abschnitt> abschnitte_;
    std::vector<std::uint8_t> offen_;   // per entity: its text is being read
    std::vector<BUF*> geladen_;         // per entity: its file, once read
    std::vector<BUF*> puffer_;          // every BUF messages may point into
    std::wstring name_;                 // scratch
    int element_ = -1;                  // name of the element being declared
    std::size_t ersetzt_ = 0;
    int naechste_nummer_ = 0;
    int fehler_ = 0;
    int warnungen_ = 0;
    bool uebergangen_ = false;  // an external parameter entity was left unread
    bool intern_ = false;       // reading the internal subset
};
