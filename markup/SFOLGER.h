#pragma once
// SFOLGER: the open elements of an SGML document and what ISO 8879 lets a
// reader infer about the tags left out (OMITTAG).
//
// The reader hands it the tokens of the content in order: a start tag, an
// end tag, character data (in element content only what is not white
// space), the end of the document. Each token either fits the innermost
// open element (its content model has a place for it, or an open element
// includes it and none excludes it), or tags are inferred before it, the
// way ISO 8879 says:
//   - an omitted start tag: the innermost element's model requires one
//     element at this point (MODELL::Gefordert: the content cannot end
//     without it, and no other way leads on), its start tag may be
//     omitted ("O"), its declared content is a model or ANY, and the token
//     fits into it (directly, by its own required element, or as an
//     inclusion);
//   - omitted end tags: an element further out takes the token (as
//     above); the elements inside it end there. An end tag that may not be
//     omitted, or content that is not complete, is reported, and the
//     elements end all the same;
//   - an end tag ends the elements inside its element; the end of the
//     document ends every open element.
// A token that nothing takes is reported and stays in the innermost
// element, so that reading goes on. What the inference decides goes to a
// Senke in document order: each element's beginning (with its start tag
// left out or written, a proper subelement or an inclusion) and each end.
//
// Exceptions: every open element has the union of the inclusions and of
// the exclusions of it and its ancestors as one set, kept once per
// distinct union (a number), so that the test of a token is a bit test
// and deep nesting costs nothing per level.
//
// Work per token is constant, except for the elements a token closes
// (each closed once) and, for a token that nothing takes, one walk over
// the open elements; the reader stops after a limited number of faults.
//
// Messages (passed to the Senke, which positions them):
//   "Das Element '%ls' ist nicht deklariert."
//   "Das Element '%ls' ist hier nicht erlaubt."
//   "Zeichendaten sind hier nicht erlaubt."
//   "Der Inhalt des Elements '%ls' ist unvollständig."
//   "Der Endtag des Elements '%ls' fehlt; er darf nicht weggelassen werden."
//   "Der Starttag des Elements '%ls' fehlt; er darf nicht weggelassen werden."
//   "Der Endtag '%ls' schließt kein offenes Element."
//   "Das Dokumentelement ist schon beendet."
//   "Das Dokument ist ungültig. Instanz benötigt. D227"
#include <cstdint>
#include <map>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "markup/SDTD.h"

class SFOLGER {
public:
    class Senke {
    public:
        virtual ~Senke() = default;
        // An element begins: its type (-1: undeclared) and name number;
        // `implizit`: its start tag was left out; `eingeschlossen`: it
        // stands by an inclusion, not by its parent's model.
        virtual void Beginn(int element, int name, bool implizit, bool eingeschlossen) = 0;
        // The innermost open element ends; `implizit`: without its end tag.
        virtual void Schluss(bool implizit) = 0;
        virtual void Fehler(const wchar_t* vorlage, std::wstring_view name) = 0;
        // A proper subelement is about to begin in the innermost element,
        // before its model takes it: a record end held back there becomes
        // data now (Daten_hier).
        virtual void Vor_Unterelement() {}
    };

    // `pcdata`: the name number of #PCDATA in the model; `wurzel`: the
    // name number of the document type (-1 when the DTD does not know it).
    SFOLGER(const SDTD& sdtd, int pcdata, int wurzel, Senke& senke);

    // A start tag of the element named `name` (-1: a name the DTD does not
    // know; `text` names it in messages).
    void Start(int name, std::wstring_view text);
    // Character data; false when it was reported as not allowed.
    bool Daten();
    // Character data that must stay in the innermost element (a record
    // end before a subelement): no tags are inferred for it.
    bool Daten_hier();
    // An end tag; "</>" names the innermost element.
    void Ende(int name, std::wstring_view text);
    void Dokumentende();
    // An element without content (declared EMPTY, or #CONREF given) ends
    // right after its start tag.
    void Leer_beenden() { Schliessen(true); }

    // ---- the innermost open element ----
    int Tiefe() const { return static_cast<int>(tiefe_); }
    int Name(int ebene) const { return stapel_[static_cast<std::size_t>(ebene)].name; }
    int Element(int ebene) const { return stapel_[static_cast<std::size_t>(ebene)].element; }
    DTD::Inhalt Inhalt() const { return tiefe_ == 0 ? DTD::MODELLIERT : oben().inhalt; }
    // Whether characters are data here (mixed content, ANY, CDATA,
    // RCDATA), or white space only separates (element content).
    bool Gemischt() const { return tiefe_ > 0 && oben().gemischt; }
    bool Begonnen() const { return begonnen_; }
    bool Beendet() const { return begonnen_ && tiefe_ == 0; }

private:
    struct Offen {
        int element = -1;
        int name = -1;
        std::wstring_view text;  // the name as written, for names the DTD does not know
        DTD::Inhalt inhalt = DTD::BELIEBIG;
        const MODELL* modell = nullptr;
        MODELL::LAUF lauf;
        int ausnahmen = 0;  // the set of exceptions in force inside it
        bool ende_o = false;
        bool gemischt = true;
    };
    struct Typ {
        const MODELL* modell = nullptr;
        DTD::Inhalt inhalt = DTD::UNDEKLARIERT;
        bool start_o = false, ende_o = false;
        bool gemischt = true;
        bool ausnahmen = false;
    };
    struct Menge {
        std::vector<std::uint64_t> ein, aus;
    };
    // A token: an element name, or DATEN.
    static constexpr int DATEN = -2;

    const Offen& oben() const { return stapel_[tiefe_ - 1]; }
    Offen& oben() { return stapel_[tiefe_ - 1]; }
    void Oeffnen(int element, int name, bool implizit, bool eingeschlossen, std::wstring_view text = {});
    void Schliessen(bool implizit);
    // Closes the elements above `ebene` (an index), reporting what must not.
    void Schliessen_bis(std::size_t ebene);
    bool Passt(const Offen& o, int token) const;
    bool Eingeschlossen(int menge, int name) const { return Bit(mengen_[static_cast<std::size_t>(menge)].ein, name); }
    bool Ausgeschlossen(int menge, int name) const { return Bit(mengen_[static_cast<std::size_t>(menge)].aus, name); }
    static bool Bit(const std::vector<std::uint64_t>& v, int name) {
        const auto i = static_cast<std::size_t>(name) >> 6;
        return name >= 0 && i < v.size() && ((v[i] >> (name & 63)) & 1) != 0;
    }
    int Menge_fuer(int eltern, int element);
    // The element type whose start tag may be inferred in `o` for the
    // token; -1: none.
    int Folgern(const Offen& o, int token);
    bool Nimmt(int element, int token, int eltern_menge, int tiefe);
    // The innermost open element below the top that takes the token (by
    // its model, an inclusion or an inferred start tag); -1: none.
    int Vorfahr_fuer(int token);
    bool Platz_schaffen(int token, int& gefolgert);
    bool Fertig(const Offen& o) const { return o.inhalt != DTD::MODELLIERT || o.modell->Fertig(o.lauf); }
    void Melden(const wchar_t* vorlage, int name);
    void Melden(const wchar_t* vorlage, const Offen& o) {
        senke_.Fehler(vorlage, o.name >= 0 ? dtd_.Text(o.name) : o.text);
    }
    void Daten_melden();
    // Names compared as the DTD folds them.
    bool Gleich(std::wstring_view a, std::wstring_view b) const;

    const DTD& dtd_;
    Senke& senke_;
    int pcdata_;
    int wurzel_;
    std::vector<Typ> typen_;
    std::vector<Offen> stapel_;
    std::size_t tiefe_ = 0;
    std::vector<int> offen_je_name_;
    std::vector<Menge> mengen_;
    std::unordered_map<std::uint64_t, int> nachfolger_;  // (set, element) -> set
    std::map<std::vector<std::uint64_t>, int> nach_inhalt_;
    MODELL::LAUF probe_;
    bool begonnen_ = false;
    bool daten_gemeldet_ = false;
};
