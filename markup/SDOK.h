#pragma once
// SDOK: the reader of SGML documents that have a DTD. It reads the
// prolog (an SGML declaration, the document type declaration with its
// internal subset; the external subset under READERDTD = EXTERNAL or -v,
// through the SGML catalogs), and then the instance with every markup
// minimization of ISO 8879 that the DTD and the SGML declaration allow,
// recording the same items into the store as SGMLR does for a fully
// tagged document:
//   - tags left out are inferred (SFOLGER) and recorded as start and end
//     tag items without source text (their names in the store's arena),
//     placed where they were implied, with levels, links and sibling
//     numbers as written tags have them; an element without content
//     (declared EMPTY, or #CONREF given) ends with an empty-tag close;
//   - SHORTTAG: empty start and end tags ("<>", "</>"), unclosed tags
//     ("<a<b>"), net-enabling start tags and null end tags ("<em/text/"),
//     unquoted attribute values and values without their name
//     ("<ol compact>");
//   - short references: the map in force (USEMAP in the DTD, for the
//     element or inherited from its parent; <!USEMAP> in the content)
//     replaces its delimiters by entity references;
//   - record ends as ISO 8879 wants them: a line end is data, except the
//     first in an element before any data, record start or proper
//     subelement, the last in an element after all of them, one on a line
//     that holds only markup, and every one in element content (their
//     characters are left out of the data items);
//   - declared content: CDATA and RCDATA content ends at the first "</"
//     before a name (or at a null end tag); EMPTY has no end tag.
// Names are folded as the SGML declaration says: element, attribute and
// token names in place in the text, so that the items carry them. The
// values of attributes that are not CDATA are normalised and folded,
// defaults and #CURRENT values appended after the written attributes.
//
// Entity references: a reference to an entity whose text holds markup,
// and to an external text entity, is read as content in its place (its
// items point into a copy of the text in the arena, or into the entity's
// file); under CONVERTENTITIES = EXPAND every reference the script does
// not define is replaced by its text as well (SDATA and CDATA texts as
// data). Other references stay reference items, counted as data.
//
// Faults are errors and fail the file; reading goes on to the end, but
// stops after MAX_FEHLER of them. Messages: those of SFOLGER, SDTDR and
// QUELLE, the attribute texts of DTDPRUEF ("Das Attribut '%ls' ist für
// dieses Element nicht deklariert.", "Das Pflichtattribut '%ls' fehlt.",
// "Der Wert '%ls' ist für dieses Attribut nicht erlaubt.", "Der Wert '%ls'
// passt nicht zum Typ des Attributs.", "Das Attribut '%ls' hat nicht
// seinen festen Wert (#FIXED).", "Der Wert '%ls' nennt keine nicht
// analysierte Entität.", "Die ID '%ls' ist mehrfach vergeben.", "Die ID
// '%ls' ist nicht vergeben."), the expansion texts of DTD::Fehlertext, and
//   "Das Attribut '%ls' ist im Starttag mehrfach angegeben."
//   "Der Wert '%ls' steht in keiner Namensgruppe eines Attributs dieses Elements."
//   "Das Attribut '%ls' (#CURRENT) muss beim ersten Element angegeben werden."
//   "Die Ende-Markierung (>) des Starttags fehlt."
//   "Die Ende-Markierung (>) des Endtags fehlt."
//   "Unerwartetes Zeichen im Tag."
//   "Die Entität '%ls' ist nicht deklariert."
//   "Die Entität '%ls' verweist auf sich selbst (Rekursion)."
//   "Die Ersetzung der Entität '%ls' ist zu groß oder zu tief verschachtelt."
//   "Die Entität '%ls' kann nicht gelesen werden."
//   "Der Ersetzungstext der Entität '%ls' ist kein vollständiger Inhalt."
//   "Der markierte Bereich wird nicht beendet."
//   "Schlüsselwort des markierten Bereichs erwartet."
//   "Die Kurzverweis-Tabelle '%ls' ist nicht deklariert."
//   "Diese Deklaration ist im Inhalt nicht erlaubt."
//   "Ungültige Zeichenreferenz."
//   "Das Lesen wird nach %d Fehlern abgebrochen."
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "markup/IDMENGE.h"
#include "markup/META.h"
#include "markup/SDTD.h"
#include "markup/SFOLGER.h"

class BUF;
class DCL;
class KATALOG;
class QUELLE;
class SKRIPTFRAGEN;

class SDOK : private SFOLGER::Senke {
public:
    enum Ergebnis { OHNE_DTD, MIT_DTD, FEHLGESCHLAGEN };
    static constexpr int MAX_FEHLER = 100;

    // Like SGMLR: `aufzeichnen` false checks only (nothing is recorded).
    SDOK(BUF* buf, const SKRIPTFRAGEN* skript, META* meta, DCL* dcl, bool aufzeichnen = true);
    ~SDOK() override;
    SDOK(const SDOK&) = delete;
    SDOK& operator=(const SDOK&) = delete;

    // The SGML catalogs (default: the run's, from SGML_CATALOG_FILES or
    // /etc/sgml/catalog).
    void Katalog(KATALOG* k) { katalog_ = k; }
    // Reads the prolog and the DTD. OHNE_DTD: the document has no DTD (no
    // document type declaration, none that declares elements, or one that
    // could not be found, which was reported as a warning); nothing of the
    // text has been changed, and the reader of documents without DTD
    // takes it. FEHLGESCHLAGEN: the DTD is faulty (reported).
    Ergebnis Prolog();
    // Reads the instance into the store. 1 when no error was found.
    int Instanz();
    // The DTD with the files of the entities read; the items may point
    // into them, so the conversion keeps it as long as the store.
    std::unique_ptr<SDTD> DTD_abgeben() { return std::move(sdtd_); }
    // The document names an external DTD that was not read (not asked
    // for, or not found).
    bool Extern_ungelesen() const { return extern_ungelesen_; }
    int Fehler() const { return fehler_; }
    int Warnungen() const { return warnungen_; }

private:
    struct Eingabe {
        wchar_t* anfang;
        wchar_t* p;
        wchar_t* ende;
        int entitaet;              // general entity whose text this is, -1
        const wchar_t* bezug;      // where the reference stood in the input below
        bool zeilenanfang;         // a record starts at p
    };
    struct Ebene {                 // the reader's part of an open element
        int item;                  // its start tag's number, 0 when not recorded
        int kinder;                // elements in it so far
        int karte;                 // short reference map in force, -1: none
        bool net;                  // opened by a net-enabling start tag
        bool gesehen;              // a record start, data or proper subelement came
        bool daten_seit_rs;        // data or a proper subelement since the record start
        bool markup_seit_rs;       // other markup since the record start
        wchar_t* re;               // the record end held back, null
        wchar_t* re_ende;
    };
    struct Wertstueck {            // a piece of an attribute value
        METAtypeItems art;
        wchar_t* a;
        wchar_t* e;
        int wert;
    };
    struct Angabe {                // an attribute as the start tag writes it
        wchar_t* name;             // null: the value alone
        wchar_t* name_ende;
        wchar_t* wert;             // the value as written (literal without quotes)
        wchar_t* wert_ende;
        bool literal;
        int attribut = -1;         // DTD attribute index
    };

    // ---- prolog, messages, items (SDOK.cpp) ----
    void Deklaration_suchen(SGMLDEKL& d, std::wstring_view oeffentlich);
    void Melden(bool warnung, const wchar_t* label, const wchar_t* vorlage, std::wstring_view argument,
                const wchar_t* stelle);
    void Fehler_melden(const wchar_t* label, const wchar_t* vorlage, std::wstring_view argument,
                       const wchar_t* stelle) {
        Melden(false, label, vorlage, argument, stelle);
    }
    int Aufnehmen(METAtypeItems art, wchar_t* a, wchar_t* e, int level, int wert, int link);
    wchar_t* Ablegen(std::wstring_view text);
    void Falten(wchar_t* a, wchar_t* e);
    std::wstring Gefaltet(std::wstring_view s) const;
    void Beginn(int element, int name, bool implizit, bool eingeschlossen) override;
    void Schluss(bool implizit) override;
    void Fehler(const wchar_t* vorlage, std::wstring_view name) override;
    void Vor_Unterelement() override;
    int Laufnummer(int dtd_name);
    const wchar_t* Name_im_Arena(int dtd_name, const wchar_t** ende);

    // ---- content (SDOK_Inhalt.cpp) ----
    Eingabe& E() { return eingaben_.back(); }
    bool Abbruch() const { return abbruch_; }
    void Inhalt();
    void Zeilenanfang();
    bool Kurzverweis(bool zeilenanfang);
    void Daten_nehmen(wchar_t* a, wchar_t* e);
    bool Daten_beginnen();
    void Lauf_schreiben();
    void Zeilenende(wchar_t* a, wchar_t* e);
    void Satzende(wchar_t* a, wchar_t* e);
    void Satzanfang();
    wchar_t* Referenz_in(wchar_t* p, wchar_t* ende);
    void Zeichen_item(wchar_t* p, wchar_t* q, long wert, bool funktion, bool ungueltig);
    bool Budget(std::size_t laenge, int name, const wchar_t* stelle);
    void Re_ausgeben();
    void Re_nehmen(bool folgern);
    void Markup();
    void Text(wchar_t* a, wchar_t* b);
    void Datenlauf();
    void Markiert_ende();
    bool Kurzverweis_leer(wchar_t* p, wchar_t* q, bool zeilenende, const SDTD::Karte& k);
    void Verweis(int name, const wchar_t* stelle);
    void Referenz_item(wchar_t* a, wchar_t* e, bool daten);
    const wchar_t* Meldestelle(const wchar_t* stelle) const;
    void Rohinhalt();
    void Referenz();
    void Entitaet_einsetzen(int entitaet, wchar_t* name, wchar_t* name_ende, const wchar_t* stelle);
    bool Text_einsetzen(int entitaet, std::wstring_view text, wchar_t* eigen, const wchar_t* stelle);
    void Entitaet_verlassen();
    void Markierter_bereich();
    void Kommentar();
    void Verarbeitung();
    void Usemap();
    int Karte_aktuell() const;

    // ---- tags (SDOK_Tags.cpp) ----
    void Starttag();
    void Endtag();
    void Netz_ende();
    bool Angaben_lesen(std::vector<Angabe>& angaben, bool& net, const wchar_t* stelle);
    void Attribute_schreiben(int element, int name, std::vector<Angabe>& angaben, const wchar_t* stelle,
                             bool& leer);
    void Vorgaben_schreiben(int element, const wchar_t* stelle, bool& leer);
    bool Gegeben(int attribut) const {
        return static_cast<std::size_t>(attribut) < gegeben_.size() && gegeben_[static_cast<std::size_t>(attribut)] == tagnummer_;
    }
    bool Wert_lesen(const Angabe& a, const DTD::Attribut& at, std::vector<Wertstueck>& stuecke,
                    std::wstring& wert, const wchar_t* stelle);
    void Wert_pruefen(int attribut, std::wstring_view wert, const wchar_t* stelle);

    BUF* buf_;
    const SKRIPTFRAGEN* skript_;
    META* meta_;
    DCL* dcl_;
    bool aufzeichnen_;
    KATALOG* katalog_ = nullptr;
    std::unique_ptr<QUELLE> quelle_;
    std::unique_ptr<SDTD> sdtd_;
    const SGMLDEKL* dekl_ = nullptr;
    std::unique_ptr<SFOLGER> folger_;
    int pcdata_ = -1;
    const wchar_t* instanz_ = nullptr;  // where the instance begins
    wchar_t* doctype_name_ = nullptr;
    wchar_t* doctype_name_ende_ = nullptr;
    bool extern_ungelesen_ = false;
    bool expandieren_ = false;

    std::vector<Eingabe> eingaben_;
    std::vector<Ebene> ebenen_;
    std::vector<int> geschwister_oben_;  // sibling counter outside the document element
    std::vector<int> marken_;            // open INCLUDE sections: the input depth they began in
    int net_offen_ = 0;                  // open net-enabled elements
    wchar_t* lauf_a_ = nullptr;          // the data run being collected
    wchar_t* lauf_e_ = nullptr;
    const wchar_t* tokenstelle_ = nullptr;  // where the current token began
    // The start tag being read, while the inference places it.
    struct Tag {
        bool aktiv = false;
        wchar_t* name = nullptr;
        wchar_t* name_ende = nullptr;
        std::vector<Angabe>* angaben = nullptr;
        bool net = false;
        bool leer = false;
    } tag_;
    bool leer_schluss_ = false;         // the element ending has no end tag
    wchar_t* endtag_a_ = nullptr;       // the name of the end tag being read
    wchar_t* endtag_e_ = nullptr;
    bool abbruch_ = false;
    int fehler_ = 0;
    int warnungen_ = 0;
    std::size_t ersetzt_ = 0;
    std::size_t ersatzgrenze_ = 0;
    IDMENGE ids_;
    std::vector<int> gegeben_;                      // per attribute: the tag that gave it last
    int tagnummer_ = 0;
    std::vector<wchar_t*> vorgabetexte_;
    std::vector<wchar_t*> datentexte_;              // per entity: its CDATA or SDATA text, laid down once            // per attribute: its default, laid down once
    std::vector<const wchar_t*> namen_im_arena_;   // per DTD name: its text, laid down once
    std::vector<int> laufnummern_;                  // per DTD name: the run's name number, 0: not yet
    // #CURRENT: per ATTLIST the values last given, by attribute name.
    std::vector<std::vector<std::pair<int, std::wstring_view>>> aktuelle_werte_;
    std::wstring scratch_;
};
