#pragma once
// DTD: the declarations of one document type, for XML and for SGML.
//
// Design
// - Model. Every name (element type, attribute, entity, notation, token of
//   an enumeration) is a number of one name table (DTDNAMEN); element types,
//   entities and notations are found from the number through a dense map,
//   attributes through an open-addressing index of (element, attribute)
//   pairs. No lookup allocates. SGML folds element, attribute and token
//   names to upper case when `namecase` is set (entity names never); the
//   lookups by text fold the same way. Content models are MODELL objects,
//   compiled to automata when their declaration is read.
// - Reading. DTDR reads XML declarations (internal subset from a cursor in
//   the document's BUF, external subset and external parameter entities
//   from files) and fills this model through the Neu... operations below;
//   the first declaration of an entity or attribute binds, a second one is
//   left out. QUELLE resolves external identifiers (catalogs, then a file
//   relative to the referring one) and opens files. Every BUF read for the
//   DTD is handed to this model (Behalten) and lives as long as it does,
//   so that entity texts and message positions may point into them.
// - Use during conversion: the default attributes of a start tag
//   (Vorgaben), attribute value normalisation (Normalisieren), content
//   validation (Inhalt_pruefen with MODELL::Befund), required attributes
//   (Pflicht_fehlt), value checks (Wert_pruefen), IDs (IDMENGE), and the
//   text of a general entity with nested references expanded
//   (Entitaetstext). None of these allocate per call once their output
//   vectors have grown, except Entitaetstext on the first expansion of an
//   entity, whose result is kept.
// - Limits against hostile input: entity expansions nest at most
//   MAX_ENTITAETSTIEFE deep, one expanded text holds at most
//   MAX_ERSETZUNG characters, and all expansions of one model together at
//   most `expansionsgrenze` characters (billion laughs); an entity that
//   refers to itself, directly or through others, is reported as a
//   recursion. Content models: see MODELL.
// - Messages (all "(Parser)", positioned through the BUF they point into;
//   "WARNUNG" where noted, the others are errors and fail the file):
//   see DTDR.h and QUELLE.h for the reader's and the resolver's texts; the
//   texts of this class are listed at Entitaetstext.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "markup/MODELL.h"
#include "markup/DTDNAMEN.h"

class BUF;

class DTD {
public:
    enum Inhalt : std::uint8_t {
        UNDEKLARIERT,  // named in an ATTLIST or a model only
        LEER,          // EMPTY
        BELIEBIG,      // ANY
        MODELLIERT,    // a model group, mixed or element content
        ZEICHEN,       // SGML CDATA
        ERSETZBAR,     // SGML RCDATA
    };
    enum Typ : std::uint8_t {
        T_CDATA, T_ID, T_IDREF, T_IDREFS, T_ENTITY, T_ENTITIES, T_NMTOKEN, T_NMTOKENS,
        T_NOTATION, T_AUFZAEHLUNG,
        // SGML only
        T_NAME, T_NAMES, T_NUMBER, T_NUMBERS, T_NUTOKEN, T_NUTOKENS,
    };
    enum Vorgabe : std::uint8_t {
        V_WERT,      // "value"
        V_FEST,      // #FIXED "value"
        V_PFLICHT,   // #REQUIRED
        V_IMPLIZIT,  // #IMPLIED
        V_AKTUELL,   // SGML #CURRENT
        V_CONREF,    // SGML #CONREF
    };
    enum Entitaetsart : std::uint8_t {
        E_INTERN,      // replacement text
        E_EXTERN,      // parsed external entity
        E_UNGEPARST,   // external with NDATA (SGML also CDATA, SDATA with a notation)
        E_CDATA,       // SGML internal CDATA entity
        E_SDATA,       // SGML internal SDATA entity
        E_PI,          // SGML internal processing-instruction entity
    };

    struct Elementtyp {
        std::int32_t name = -1;
        Inhalt inhalt = UNDEKLARIERT;
        bool start_auslassbar = false;  // SGML "O" before the content
        bool ende_auslassbar = false;   // SGML "O" after it
        std::int32_t modell = -1;       // MODELLIERT: index for Modell()
        std::vector<std::int32_t> attribute;  // attribute indices in declaration order
        std::vector<std::int32_t> einschluss; // SGML +(...), name numbers
        std::vector<std::int32_t> ausschluss; // SGML -(...)
        std::int32_t id_attribut = -1;
        const BUF* quelle = nullptr;    // where it was declared
        const wchar_t* stelle = nullptr;
    };
    struct Attribut {
        std::int32_t element = -1;      // element name number
        std::int32_t name = -1;
        Typ typ = T_CDATA;
        Vorgabe vorgabe = V_IMPLIZIT;
        std::vector<std::int32_t> werte;  // enumeration or notation names, sorted
        std::wstring_view wert;         // V_WERT, V_FEST: the normalised default
        const BUF* quelle = nullptr;
        const wchar_t* stelle = nullptr;
    };
    struct Entitaet {
        std::int32_t name = -1;
        bool parameter = false;
        Entitaetsart art = E_INTERN;
        bool extern_deklariert = false;  // in the external subset or an external entity
        std::wstring_view text;          // E_INTERN and SGML internal kinds: replacement text
        std::wstring_view oeffentlich;   // public identifier
        std::wstring_view system;        // system identifier as written
        std::wstring_view basis;         // file the system identifier is relative to
        std::int32_t notation = -1;      // E_UNGEPARST: notation name number
        const BUF* quelle = nullptr;     // where it was declared
        const wchar_t* stelle = nullptr;
        // Internal texts that equal their literal: the literal in `quelle`,
        // so that messages inside the text point into the file.
        const wchar_t* literal = nullptr;
        // Entitaetstext's kept result.
        std::int8_t zustand = 0;         // 0 not yet, 1 in work, 2 done, -1 failed
        bool hat_markup = false;         // the expanded text contains "<"
        std::wstring_view expandiert;
        std::uint8_t fehler = 0;         // zustand -1: the Expansionsfehler
        std::wstring_view fehlername;    // and the entity it names
    };
    struct Notation {
        std::int32_t name = -1;
        std::wstring_view oeffentlich;
        std::wstring_view system;
        const BUF* quelle = nullptr;
        const wchar_t* stelle = nullptr;
    };

    // XML name characters (fifth edition); SGML readers use their own.
    static bool Namensanfang(wchar_t c);
    static bool Namenszeichen(wchar_t c);
    // The XML Char production.
    static bool Zeichen_erlaubt(std::uint32_t c);

    static constexpr int MAX_ENTITAETSTIEFE = 40;
    static constexpr std::size_t MAX_ERSETZUNG = std::size_t{1} << 22;  // characters

    // `xml`: XML rules (the five predefined entities exist); `namecase`:
    // SGML folding of element, attribute and token names.
    explicit DTD(bool xml = true, bool namecase = false);
    ~DTD();
    DTD(const DTD&) = delete;
    DTD& operator=(const DTD&) = delete;

    bool Xml() const { return xml_; }
    bool Namecase() const { return namecase_; }

    // ---- names ----
    DTDNAMEN& Namen() { return namen_; }
    const DTDNAMEN& Namen() const { return namen_; }
    // The number of an element, attribute or token name as the model folds
    // it (-1: unknown); Name_aufnehmen stores it when new.
    int Name(std::wstring_view s) const { return namen_.Suche(s, namecase_); }
    int Name_aufnehmen(std::wstring_view s) { return namen_.Aufnehmen(s, namecase_); }
    // Entity names are never folded.
    int Entitaetsname(std::wstring_view s) const { return namen_.Suche(s, false); }
    std::wstring_view Text(int name) const { return namen_.Name(name); }

    // ---- lookups; -1 when absent ----
    int Element(int name) const { return Karte(elemente_nach_name_, name); }
    int Attribut_von(int element_name, int attribut_name) const;
    int Entitaet_von(int name, bool parameter) const {
        return Karte(parameter ? parameter_nach_name_ : entitaeten_nach_name_, name);
    }
    int Notation_von(int name) const { return Karte(notationen_nach_name_, name); }

    const Elementtyp& Elemente(int i) const { return elemente_[static_cast<std::size_t>(i)]; }
    const Attribut& Attribute(int i) const { return attribute_[static_cast<std::size_t>(i)]; }
    const Entitaet& Entitaeten(int i) const { return entitaeten_[static_cast<std::size_t>(i)]; }
    const Notation& Notationen(int i) const { return notationen_[static_cast<std::size_t>(i)]; }
    const MODELL& Modell(int i) const { return *modelle_[static_cast<std::size_t>(i)]; }
    int Elementzahl() const { return static_cast<int>(elemente_.size()); }
    int Attributzahl() const { return static_cast<int>(attribute_.size()); }
    int Entitaetszahl() const { return static_cast<int>(entitaeten_.size()); }
    int Notationszahl() const { return static_cast<int>(notationen_.size()); }

    // ---- building (the readers) ----
    // The element type of the name, created undeclared when new.
    Elementtyp& Elementtyp_von(int name);
    // Declares the content; false when the type was declared before (the
    // first declaration stays).
    bool Element_deklarieren(int name, Inhalt inhalt, std::unique_ptr<MODELL> modell, const BUF* quelle,
                             const wchar_t* stelle);
    // A new attribute definition; -1 when the element has one of that name
    // already (the first binds).
    int Attribut_neu(int element_name, int attribut_name, const BUF* quelle, const wchar_t* stelle);
    Attribut& Attribut_bearbeiten(int i) { return attribute_[static_cast<std::size_t>(i)]; }
    // A new entity; -1 when one of that name and kind exists (the first
    // binds). An XML predefined entity may be declared again: -1 as well.
    int Entitaet_neu(int name, bool parameter, const BUF* quelle, const wchar_t* stelle);
    Entitaet& Entitaet_bearbeiten(int i) { return entitaeten_[static_cast<std::size_t>(i)]; }
    int Notation_neu(int name, const BUF* quelle, const wchar_t* stelle);
    Notation& Notation_bearbeiten(int i) { return notationen_[static_cast<std::size_t>(i)]; }
    // Keeps a text for the model's lifetime; the view stays valid.
    std::wstring_view Ablegen(std::wstring_view s);
    std::wstring_view Ablegen(std::wstring&& s);
    // Takes over a BUF that texts or positions may point into.
    BUF* Behalten(std::unique_ptr<BUF> buf);
    // Whether an element type of the name has an ATTLIST of the given
    // attribute type already (XML: one ID, one NOTATION per element).
    bool Hat_Typ(int element_name, Typ typ) const;

    // ---- use during conversion ----
    // The attributes with a default (V_WERT or V_FEST) that a start tag of
    // the element leaves out, as attribute indices in declaration order.
    // `gegeben`: the names of the attributes the tag carries.
    void Vorgaben(int element_name, const int* gegeben, int anzahl, std::vector<int>& out) const;
    // The #REQUIRED attributes the tag leaves out.
    void Pflicht_fehlt(int element_name, const int* gegeben, int anzahl, std::vector<int>& out) const;
    // Attribute value normalisation in place, for text without references:
    // line ends, tabs and line feeds become blanks ("\r\n" one blank); for
    // every type but CDATA the blanks then shrink (Zusammenziehen). A value
    // with references is normalised piece by piece: its text pieces with
    // cdata = true, the characters of character references as they are,
    // then the whole by Zusammenziehen (Attributwert_expandieren does the
    // first two steps). The new length.
    static std::size_t Normalisieren(wchar_t* text, std::size_t laenge, bool cdata);
    // Runs of blanks shrink to one, leading and trailing blanks go; only
    // U+0020 counts, so characters from references stay.
    static std::size_t Zusammenziehen(wchar_t* text, std::size_t laenge);
    // Checks a normalised value against the attribute's type (token syntax,
    // enumeration and notation membership, unparsed entity names, #FIXED).
    enum Wertbefund : std::uint8_t {
        W_GUT, W_SYNTAX, W_NICHT_IN_LISTE, W_NICHT_FEST, W_KEINE_ENTITAET, W_LEER,
    };
    Wertbefund Wert_pruefen(int attribut, std::wstring_view wert) const;
    // Matches an element's content against its declaration; the children's
    // names as numbers of this model (-1 for names it does not know).
    MODELL::Befund Inhalt_pruefen(int element_name, const int* kinder, int anzahl, bool text) const;

    // The replacement text of general entity `entitaet` with every
    // reference in it expanded (character references, predefined and
    // declared general entities), kept after the first call. 0 with a
    // positioned message (through `buf` at `stelle`, the reference) when it
    // cannot be given:
    //   "Die Entität '%ls' ist nicht deklariert."            an undeclared reference in the text
    //   "Die Entität '%ls' verweist auf sich selbst (Rekursion)."
    //   "Die Ersetzung der Entität '%ls' ist zu groß oder zu tief verschachtelt."
    //   "Die Entität '%ls' ist nicht analysiert (NDATA) und hat keinen Text."
    //   "Die externe Entität '%ls' wird nicht gelesen."      external parsed entity: text not available here
    int Entitaetstext(int entitaet, std::wstring_view& text, BUF* buf, const wchar_t* stelle);
    // Sum of the characters all expansions may produce, and what they did.
    std::size_t expansionsgrenze = std::size_t{1} << 26;
    std::size_t Expandiert() const { return expandiert_; }

    // Expands references in an attribute value literal (`roh`, without
    // quotes) into `out`: character references, predefined and declared
    // internal general entities, recursively; white space characters of
    // the text become blanks. For DTDR (defaults) and for callers who hold
    // a raw attribute value. 0 with `fehler` set and `fehlername` naming the
    // entity when it fails.
    enum Expansionsfehler : std::uint8_t {
        X_GUT, X_UNDEKLARIERT, X_REKURSION, X_GRENZE, X_EXTERN, X_UNGEPARST, X_KLEINER, X_SYNTAX,
    };
    int Attributwert_expandieren(std::wstring_view roh, std::wstring& out, Expansionsfehler& fehler,
                                 std::wstring_view& fehlername);
    // The message template of a failure above.
    static const wchar_t* Fehlertext(Expansionsfehler f);

private:
    static int Karte(const std::vector<std::int32_t>& k, int name) {
        return name >= 0 && static_cast<std::size_t>(name) < k.size() ? k[static_cast<std::size_t>(name)] : -1;
    }
    static void Eintragen(std::vector<std::int32_t>& k, int name, int wert);
    int Expandieren(std::wstring_view text, bool attributwert, int tiefe, std::wstring& out,
                    Expansionsfehler& fehler, std::wstring_view& fehlername);
    int Referenz(std::wstring_view text, std::size_t& i, bool attributwert, int tiefe, std::wstring& out,
                 Expansionsfehler& fehler, std::wstring_view& fehlername);
    void Vordefinieren();
    bool Token_pruefen(std::wstring_view w, Typ typ) const;

    bool xml_;
    bool namecase_;
    DTDNAMEN namen_;
    std::vector<Elementtyp> elemente_;
    std::vector<Attribut> attribute_;
    std::vector<Entitaet> entitaeten_;
    std::vector<Notation> notationen_;
    std::vector<std::unique_ptr<MODELL>> modelle_;
    std::vector<std::int32_t> elemente_nach_name_;
    std::vector<std::int32_t> entitaeten_nach_name_;
    std::vector<std::int32_t> parameter_nach_name_;
    std::vector<std::int32_t> notationen_nach_name_;
    // (element name, attribute name) -> attribute index; open addressing.
    struct Paar {
        std::uint64_t schluessel;
        std::int32_t wert;
    };
    std::vector<Paar> attributindex_;
    void Einsortieren(const Paar& p);
    std::size_t attributindex_belegt_ = 0;
    std::deque<std::wstring> texte_;
    std::vector<std::unique_ptr<BUF>> puffer_;
    std::size_t expandiert_ = 0;
    std::vector<std::uint8_t> offen_;  // per entity: being expanded now
    bool markup_ = false;              // the last expansion copied a "<"
    int vordefiniert_ = 0;  // the first entities are the predefined ones
};
