#pragma once
// H5LESER: the document reader of SYNTAX = HTML5. It runs the HTML
// standard's parsing algorithm (H5TOKEN, H5BAUM) over the text of the input
// buffer and, as the tree builder's sink, records the tree in the item
// store META with the items SGMLR records for the other syntaxes: start
// tag, attribute names and value pieces, data, end tag, in tree order, with
// levels, sibling numbers and links, so that the conversion works on a web
// page as on any document.
//
// Items and the source. An item points into the document's text wherever
// the tree's text stands there: tag and attribute names (their case folded
// in place, the same number of characters), attribute values and runs of
// text. A value or run whose tree text differs from its source (decoded
// references, CR LF as LF) is written in place of its source, which is
// never shorter, and blanks fill the rest; item texts thus cost no memory
// beyond the document's text, and a run with references stays one item.
// Message positions after such a run may then be off by a few characters
// on its line; with PARSEERRORS = SHOW the source stays as it is, the
// decoded pieces going into the store's arena as items of their own. In
// the arena too: elements and end tags the algorithm implied, and the
// attributes of elements it copied. Void elements get the close of an
// empty tag instead of an end tag, as "/>" gives in XML.
//
// Order. The builder calls come in document order as long as the page is
// well nested; then each item is appended and the store is in tree order
// as it stands. Foster parenting, the adoption agency, a second <html> or
// <body> tag's attributes and late children of the head put nodes before
// others already recorded. The reader therefore keeps the order as a list
// of pieces (runs of items in creation order) and an end marker for each
// open element; in the linear case it is one growing piece, and every
// out-of-order call costs a piece or two. At the end the items are put
// into the list's order in place (one walk along the cycles of the
// permutation, a bit per item), items of nodes taken out of the tree are
// dropped, and one walk sets levels, sibling numbers and links. The reader
// keeps 16 bytes per element (its first item, parent, end item or end
// marker) besides the items, and frees them with itself.
//
// Messages: the standard's parse errors never fail a document; with
// PARSEERRORS = SHOW they are listed as warnings (German, with the
// standard's code), limited per text as the conversion's messages are.
// Nesting deeper than the other syntaxes allow fails the document with
// their message.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "markup/H5BAUM.h"
#include "markup/META.h"
#include "textio/MELDUNGEN.h"

class BUF;
class DCL;

// Where an item came from in the source, for the tracking report: items
// that the adoption agency moved, or whose text lies in the arena, still
// point at their tags.
struct H5SPANNE {
    const wchar_t* von;
    const wchar_t* bis;
    int item;
};

class H5LESER : public H5SENKE {
public:
    // fehler_zeigen: PARSEERRORS = SHOW; spannen: keep the source spans of
    // the items (tracking).
    H5LESER(BUF* buffer, META* store, DCL* declarations, bool fehler_zeigen, bool spannen);
    ~H5LESER() override;
    H5LESER(const H5LESER&) = delete;
    H5LESER& operator=(const H5LESER&) = delete;

    bool ok() const { return bereit; }
    // Parses the whole text into the store; 0 when the document failed
    // (nesting too deep, memory).
    int document();
    // Terminates every item's text in place (after the tracking record has
    // read the text); positions of later messages are approximate.
    int Namen_Abschliessen();
    // The source spans of the items, sorted by position (with `spannen`).
    std::vector<H5SPANNE> Spannen_abgeben() { return std::move(spannen_); }
    // The encoding a <meta> met by the tree builder names (empty: none).
    std::string Meta_Kodierung() const { return meta_kodierung; }

    // The sink.
    int element(const H5ELEMENT& e) override;
    void anhaengen(int eltern, int kind) override;
    void einfuegen_vor(int eltern, int kind, int vor) override;
    void text(int eltern, int vor, const H5TEXT& t) override;
    void kommentar(int, std::wstring_view, const wchar_t*, const wchar_t*) override {}
    void doctype(const H5TOK&) override {}
    int eltern(int knoten) override;
    void entfernen(int knoten) override;
    void umhaengen(int von, int nach) override;
    void attribute_ergaenzen(int knoten, const H5ATTRIBUT* a, size_t anzahl) override;
    void schliessen(int knoten, const wchar_t* von, const wchar_t* bis) override;

private:
    // An element: its start tag's item, its parent, and its state: -1 not
    // placed yet, -2 - m open with the end marker m, >= 0 its end item.
    struct Knoten {
        int32_t s;
        int32_t eltern;  // the parent at the last placement; -1: not in the tree
        int32_t zustand;
    };
    static int marke_von(const Knoten& k) { return k.zustand <= -2 ? -2 - k.zustand : -1; }
    static int32_t ende_von(const Knoten& k) { return k.zustand >= 0 ? k.zustand : -1; }
    // The first items of the pieces, as bits in three levels: the piece
    // that holds an item begins at the nearest start at or before it, and
    // that item's link names it while the document is read.
    struct Anfaenge {
        std::vector<uint64_t> stufe[3];
        void setzen(int32_t k);
        int32_t vorgaenger(int32_t k) const;  // the largest start <= k; -1: none
        template <typename F>
        void alle(F&& f) const;  // every start, ascending
    };
    // A run [a, b) of items in creation order that stands as one in tree
    // order; a == b == -1: an end marker. Linked in tree order.
    struct Stueck {
        int32_t a, b;
        int32_t vor, nach;
    };

    // Items.
    int anfuegen(METAtypeItems art, const wchar_t* von, const wchar_t* bis, int value = 0, int link = 0);
    int anzahl() const { return meta->Anzahl(); }
    wchar_t* ablegen(std::wstring_view text);
    wchar_t* name_ablegen(int32_t atom, std::wstring_view name);
    void name_item(METAtypeItems art, const wchar_t* quelle, std::wstring_view name, int value, int link);
    void attribut_items(const H5ATTRIBUT& a, bool fremd);
    int32_t attribut_wert(std::wstring_view name);
    void text_items(const H5TEXT& t, bool anschluss);
    void text_kompakt(const H5TEXT& t, bool anschluss);
    static void einschreiben(wchar_t* ziel, std::wstring_view text, const wchar_t* ende);
    void vorige_auslagern(META::metaitem& vorige);
    void quelltext_item(const wchar_t* von, size_t n, bool anschluss);
    void dekodiert_item(std::wstring_view text, const wchar_t* von, const wchar_t* bis);
    void spanne(const wchar_t* von, const wchar_t* bis, int item);
    bool im_text(const wchar_t* p) const { return p >= text_anfang && p < text_ende; }

    // Pieces.
    int stueck_neu(int32_t a, int32_t b);
    void stueck_frei(int p);
    void verbinden_vor(int erstes, int letztes, int ziel);
    void loesen(int erstes, int letztes);
    int stueck_mit(int32_t k) const;  // the piece that holds item k; -1: none
    int beginn_bei(int32_t k);  // the piece that begins at item k (split if needed); -1: none
    int ende_bei(int32_t k);    // the piece that ends behind item k (split if needed); -1: none
    int32_t inhalt_anfang(int knoten) const;  // the item after the element's attributes
    int ziel(int eltern);                     // where a new last child of eltern goes
    int kette_anlegen(int knoten);
    void einsetzen(int eltern, int kind, int vor);
    void stueck_anhaengen(int32_t a, int32_t b, int ziel);

    // The end: order, levels, links, names.
    bool abschliessen();
    bool ordnen(int32_t& gesamt);
    bool ebenen_setzen(int32_t gesamt);
    static int name_nummer(const META::metaitem& it, int32_t atom, std::vector<int>& nummer_von_atom);

    // Parse errors.
    static void fehler_melden(void* kontext, const char* code, const wchar_t* stelle);

    BUF* buf;
    META* meta;
    DCL* dcl;
    bool fehler_zeigen;
    bool mit_spannen;
    bool bereit = false;
    bool abgeschlossen = false;
    const wchar_t* text_anfang = nullptr;
    const wchar_t* text_ende = nullptr;
    H5NAMEN* namen = nullptr;

    std::vector<Knoten> knoten;  // by handle; [0] is the document
    std::vector<Stueck> stuecke;
    int frei = -1;               // free pieces, linked by nach
    int kopf = -1, dok_marke = -1;  // the document's list: head and end marker
    Anfaenge anfaenge;
    std::unordered_map<int, int> letztes_attribut;  // html, body: the piece of attributes added last

    // Shared arena texts: implied tags by name atom, short decoded texts.
    std::vector<wchar_t*> namen_text;
    std::unordered_map<uint64_t, wchar_t*> kurztexte;
    // The last data item that points into the source, and where it ends
    // there: text that continues it joins it, text that only touches it
    // makes it move into the arena (its terminator would cut the new one).
    int letzte_daten = -1;
    const wchar_t* letzte_daten_ende = nullptr;
    // The piece that ends with the items appended last (the linear case).
    bool speicher_voll = false;

    std::vector<H5SPANNE> spannen_;
    std::string meta_kodierung;
    MELDUNGEN meldungen;
};
