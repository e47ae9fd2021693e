#pragma once
// H5BAUM: the tree construction of the HTML standard ("13.2.6 Tree
// construction"): every insertion mode, foreign content (SVG, MathML), the
// adoption agency, foster parenting, templates, frameset, quirks mode from
// the DOCTYPE; scripting disabled by default (noscript as the standard says
// for that case). It pulls tokens from H5TOKEN and builds the tree through
// a sink (H5SENKE), so that the tree's storage is the sink's business.
//
// Design note (read this first)
// -----------------------------
// Sink: H5SENKE below, in the manner of html5ever's TreeSink. Nodes are
// int handles chosen by the sink: 0 is the document, elements are created
// by element() and placed by anhaengen()/einfuegen_vor(); text and comments
// are created and placed in one call. Out-of-order operations are only:
// einfuegen_vor and text with vor != 0 (foster parenting: before a table),
// umhaengen/entfernen/anhaengen of an attached node (adoption agency,
// frameset replacing body), attribute_ergaenzen (html/body merge). A sink
// that keeps nodes in creation order plus a flag "something moved" can
// linearise the common case (no such call) without a tree walk: there,
// creation order is document order, and every element's end comes with
// schliessen() in document order too (see H5DOM for a sink on flat arrays).
//
// Positions: element() gets the source span of the start tag (null for an
// implied element or a copy made by the adoption agency or the
// reconstruction of formatting elements: then H5ELEMENT::vorlage names the
// element copied); schliessen() gets the span of the end tag that closed
// the element, or null when its end was implied. text() gets the decoded
// characters, the exact source span they were read from, and the places in
// it where they differ from the source (H5TEXT: decoded references, CR LF,
// replaced NULs), so that a sink can point text items into the source and
// keep references as items of their own without copying any text.
//
// Names: the builder interns every tag name it sees in H5NAMEN (one table
// per document, growing with the distinct names only): the sink gets the
// name as text and as a small int (atom), so that it can store 4 bytes per
// element instead of a string. Attribute names and values are views into
// the tokenizer's buffers or the source, valid during the call only.
//
// Memory of the builder: the stack of open elements (12 bytes an entry),
// the list of active formatting elements (with copies of the attributes of
// its elements, needed by the standard for the copies it makes), counters
// per name for the scope checks. Nothing per node of the tree: a page of
// 100 MB keeps the builder in kilobytes unless its nesting is deep. No
// recursion anywhere: deep stacks are fine.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "markup/H5TOKEN.h"

// The names the algorithm knows, as atoms with fixed numbers.
#define H5_NAMEN(X)                                                                                          \
    X(A, "a") X(ADDRESS, "address") X(ANNOTATION_XML, "annotation-xml") X(APPLET, "applet") X(AREA, "area")     \
    X(ARTICLE, "article") X(ASIDE, "aside") X(B, "b") X(BASE, "base") X(BASEFONT, "basefont")                  \
    X(BGSOUND, "bgsound") X(BIG, "big") X(BLOCKQUOTE, "blockquote") X(BODY, "body") X(BR, "br")               \
    X(BUTTON, "button") X(CAPTION, "caption") X(CENTER, "center") X(CODE, "code") X(COL, "col")               \
    X(COLGROUP, "colgroup") X(DD, "dd") X(DESC, "desc") X(DETAILS, "details") X(DIALOG, "dialog")             \
    X(DIR, "dir") X(DIV, "div") X(DL, "dl") X(DT, "dt") X(EM, "em") X(EMBED, "embed")                         \
    X(FIELDSET, "fieldset") X(FIGCAPTION, "figcaption") X(FIGURE, "figure") X(FONT, "font")                   \
    X(FOOTER, "footer") X(FOREIGNOBJECT, "foreignObject") X(FORM, "form") X(FRAME, "frame")                   \
    X(FRAMESET, "frameset") X(H1, "h1") X(H2, "h2") X(H3, "h3") X(H4, "h4") X(H5, "h5") X(H6, "h6")           \
    X(HEAD, "head") X(HEADER, "header") X(HGROUP, "hgroup") X(HR, "hr") X(HTML, "html") X(I, "i")             \
    X(IFRAME, "iframe") X(IMAGE, "image") X(IMG, "img") X(INPUT, "input") X(KEYGEN, "keygen") X(LI, "li")     \
    X(LINK, "link") X(LISTING, "listing") X(MAIN, "main") X(MALIGNMARK, "malignmark") X(MARQUEE, "marquee")   \
    X(MATH, "math") X(MENU, "menu") X(META, "meta") X(MGLYPH, "mglyph") X(MI, "mi") X(MN, "mn") X(MO, "mo")   \
    X(MS, "ms") X(MTEXT, "mtext") X(NAV, "nav") X(NOBR, "nobr") X(NOEMBED, "noembed") X(NOFRAMES, "noframes") \
    X(NOSCRIPT, "noscript") X(OBJECT, "object") X(OL, "ol") X(OPTGROUP, "optgroup") X(OPTION, "option")       \
    X(P, "p") X(PARAM, "param") X(PLAINTEXT, "plaintext") X(PRE, "pre") X(RB, "rb") X(RP, "rp") X(RT, "rt")   \
    X(RTC, "rtc") X(RUBY, "ruby") X(S, "s") X(SCRIPT, "script") X(SEARCH, "search") X(SECTION, "section")     \
    X(SELECT, "select") X(SMALL, "small") X(SOURCE, "source") X(SPAN, "span") X(STRIKE, "strike")             \
    X(STRONG, "strong") X(STYLE, "style") X(SUB, "sub") X(SUMMARY, "summary") X(SUP, "sup") X(SVG, "svg")     \
    X(TABLE, "table") X(TBODY, "tbody") X(TD, "td") X(TEMPLATE, "template") X(TEXTAREA, "textarea")           \
    X(TFOOT, "tfoot") X(TH, "th") X(THEAD, "thead") X(TITLE, "title") X(TR, "tr") X(TRACK, "track")           \
    X(TT, "tt") X(U, "u") X(UL, "ul") X(VAR, "var") X(WBR, "wbr") X(XMP, "xmp")

enum H5A : int32_t {
#define H5_ATOM(n, s) A_##n,
    H5_NAMEN(H5_ATOM)
#undef H5_ATOM
        A_BEKANNT  // first atom of a name found in a document
};

// Interned names: atom <-> text, and the atom of a name's ASCII lower case.
class H5NAMEN {
public:
    H5NAMEN();
    int32_t atom(std::wstring_view name);
    std::wstring_view name(int32_t atom) const { return {zeichen.data() + anfang[atom], laenge[atom]}; }
    int32_t klein(int32_t atom) const { return klein_[atom]; }
    size_t anzahl() const { return anfang.size(); }
    size_t speicher() const;

private:
    int32_t neu(std::wstring_view name);
    std::vector<wchar_t> zeichen;
    std::vector<uint32_t> anfang;
    std::vector<uint32_t> laenge;
    std::vector<int32_t> klein_;
    std::vector<int32_t> tabelle;  // open addressing, -1 free
};

enum class H5MODUS : uint8_t { KEIN_QUIRKS, BEGRENZT, QUIRKS };

// An element for the sink.
struct H5ELEMENT {
    std::wstring_view name;  // as the DOM has it (SVG names in camel case: foreignObject)
    int32_t atom;            // the name's atom in H5BAUM::namen()
    H5NS ns;
    const H5ATTRIBUT* attribute;  // adjusted for foreign elements; views valid during the call
    size_t anzahl;
    const wchar_t* von;  // start tag's source span; null when implied or copied
    const wchar_t* bis;
    int vorlage;  // copies (adoption agency, reconstruction): the element copied; else 0
};

// Characters for the sink: a piece of one character run, with the exact
// source it was read from. Where ersetzungen is empty the characters equal
// the source [von, bis) one for one, so that a sink may keep the source
// span instead of a copy (even when text points into a scratch buffer).
// Otherwise ersetzungen lists, in order, the places where they differ;
// their text offsets minus basis are offsets into text (clamp them to
// [0, text.size()]: a replacement may reach over the piece's edge).
struct H5TEXT {
    std::wstring_view text;
    const wchar_t* von;
    const wchar_t* bis;
    const H5ERSATZ* ersetzungen;
    size_t anzahl;
    size_t basis;
    bool unveraendert() const { return anzahl == 0; }
};

// The sink: where the tree goes. Handles are the sink's; 0 is the document.
class H5SENKE {
public:
    virtual ~H5SENKE() = default;
    // Creates an element, not yet in the tree; returns its handle (> 0).
    virtual int element(const H5ELEMENT& e) = 0;
    // Appends kind as the last child of eltern; kind leaves its parent first, if any.
    virtual void anhaengen(int eltern, int kind) = 0;
    // Inserts kind into eltern before its child vor (foster parenting).
    virtual void einfuegen_vor(int eltern, int kind, int vor) = 0;
    // Inserts characters as the last child of eltern (vor == 0) or before
    // its child vor; they join a text node directly before that place.
    virtual void text(int eltern, int vor, const H5TEXT& t) = 0;
    // Appends a comment to eltern (0: the document).
    virtual void kommentar(int eltern, std::wstring_view text, const wchar_t* von, const wchar_t* bis) = 0;
    // Appends the document type to the document (t: the DOCTYPE token).
    virtual void doctype(const H5TOK& t) = 0;
    // The parent of a node, or -1 when it has none.
    virtual int eltern(int knoten) = 0;
    // Takes a node out of its parent.
    virtual void entfernen(int knoten) = 0;
    // Moves all children of von, in order, to the end of nach.
    virtual void umhaengen(int von, int nach) = 0;
    // Adds each attribute that the element does not have yet (html, body).
    virtual void attribute_ergaenzen(int knoten, const H5ATTRIBUT* a, size_t anzahl) = 0;
    // The element left the stack of open elements; von/bis: its end tag, or
    // null when its end was implied.
    virtual void schliessen(int knoten, const wchar_t* von, const wchar_t* bis) {
        (void)knoten, (void)von, (void)bis;
    }
    // The document's mode, from the DOCTYPE (told once, before the html element).
    virtual void modus(H5MODUS m) { (void)m; }
};

class H5BAUM {
public:
    explicit H5BAUM(H5SENKE* senke);

    void fehlerziel(H5FEHLER f, void* kontext) {
        fehler_fn = f;
        fehler_kontext = kontext;
    }
    // Scripting flag of the standard (default off: noscript's content is parsed).
    void skripting(bool an) { skript_an = an; }
    // The fragment case (tests): the context element; before lesen(). The
    // fragment's nodes become the children of the html element (handle
    // wurzel()) that the builder creates and appends to the document.
    void fragment(std::wstring_view kontext_name, H5NS ns);
    // Reads the whole document from the tokenizer.
    void lesen(H5TOKEN& tok);

    H5NAMEN& namen() { return namen_; }
    H5MODUS dokumentmodus() const { return dok_modus; }
    // The encoding that the first <meta charset> or <meta http-equiv=
    // "Content-Type"> met by the in-head rules names (canonical name, UTF-16
    // read as UTF-8), or empty. When the encoding was only a guess (no BOM,
    // nothing from the prescan) and this differs, the standard decodes the
    // document again with it ("change the encoding").
    std::string_view meta_kodierung() const { return meta_kodierung_; }
    int wurzel() const { return stapel.empty() ? wurzel_ : stapel[0].knoten; }
    // Bytes held by the builder (stack, lists, names).
    size_t speicher() const;
    size_t max_tiefe() const { return tiefe_max; }

    enum Modus : uint8_t {
        INITIAL, VOR_HTML, VOR_HEAD, IN_HEAD, IN_HEAD_NOSCRIPT, NACH_HEAD, IN_BODY, TEXT, IN_TABLE,
        IN_TABLE_TEXT, IN_CAPTION, IN_COLGROUP, IN_TBODY, IN_ROW, IN_CELL, IN_SELECT, IN_SELECT_IN_TABLE,
        IN_TEMPLATE, NACH_BODY, IN_FRAMESET, NACH_FRAMESET, NACH_NACH_BODY, NACH_NACH_FRAMESET
    };

private:
    struct Offen {
        int knoten;
        int32_t atom;
        H5NS ns;
        bool integration;  // annotation-xml that is an HTML integration point
    };
    struct FAttr {
        uint32_t name_off, name_len, wert_off, wert_len;
        const wchar_t* von;
        const wchar_t* bis;
    };
    struct Aktiv {
        int knoten;  // 0: marker
        int32_t atom;
        uint32_t attr_anfang, attr_anzahl;  // copies in aktiv_attr
        const wchar_t* von;
        const wchar_t* bis;
        uint32_t sig;  // name and attributes hashed, for the Noah's Ark check
        uint32_t pos;  // where the element was on the stack (a hint)
    };
    enum Bereich : uint8_t { STANDARD, LISTE, KNOPF, TABELLE, AUSWAHL };

    void fehler(const char* code) {
        if (fehler_fn) fehler_fn(fehler_kontext, code, tok_stelle);
    }

    // Dispatch.
    void token(H5TOK& t);
    void zeichen(size_t anfang);
    bool html_regeln(const H5TOK& t) const;
    bool nach_modus(H5TOK& t, Modus m);  // true: reprocess
    bool fremd(H5TOK& t);
    size_t zeichen_modus(const wchar_t* s, size_t n, Modus m);
    size_t zeichen_fremd(const wchar_t* s, size_t n);

    bool initial(H5TOK& t);
    bool vor_html(H5TOK& t);
    bool vor_head(H5TOK& t);
    bool in_head(H5TOK& t);
    bool in_head_noscript(H5TOK& t);
    bool nach_head(H5TOK& t);
    bool in_body(H5TOK& t);
    bool text_modus(H5TOK& t);
    bool in_table(H5TOK& t);
    bool in_table_text(H5TOK& t);
    bool in_caption(H5TOK& t);
    bool in_colgroup(H5TOK& t);
    bool in_tbody(H5TOK& t);
    bool in_row(H5TOK& t);
    bool in_cell(H5TOK& t);
    bool in_select(H5TOK& t);
    bool in_select_in_table(H5TOK& t);
    bool in_template(H5TOK& t);
    bool nach_body(H5TOK& t);
    bool in_frameset(H5TOK& t);
    bool nach_frameset(H5TOK& t);
    bool nach_nach_body(H5TOK& t);
    bool nach_nach_frameset(H5TOK& t);
    bool body_endtag_andere(const H5TOK& t);
    void body_zeichen(const wchar_t* s, size_t n);
    void text_ersatz(size_t o);  // U+FFFD for the NUL at offset o of the run
    void tabellentext_leeren();

    // Nodes.
    struct Ort {
        int eltern;
        int vor;
    };
    Ort einfuegeort(const Offen* ziel = nullptr);
    int erzeugen(const H5TOK* t, int32_t atom, H5NS ns, const H5ATTRIBUT* a, size_t n, int vorlage = 0,
                 const wchar_t* von = nullptr, const wchar_t* bis = nullptr);
    int einfuegen(const H5TOK& t, int32_t atom);  // insert an HTML element for a start tag
    int einfuegen_implizit(int32_t atom);
    int einfuegen_fremd(const H5TOK& t, H5NS ns);
    void platzieren(int knoten, Ort o);
    void text_einfuegen(const wchar_t* s, size_t n);
    void kommentar_einfuegen(const H5TOK& t, int eltern);
    void rohtext(const H5TOK& t, H5TOKEN::Zustand z);

    // The stack of open elements.
    void push(int knoten, int32_t atom, H5NS ns, bool integration = false);
    void pop(bool mit_ende = false);
    void pop_bis(int32_t atom);  // pops until an HTML element of that name is popped
    void pop_bis_ueberschrift();
    void stapel_entfernen(size_t i, bool melden = true);
    void stapel_einfuegen(size_t i, const Offen& e);
    const Offen& aktuell() const { return stapel.back(); }
    const Offen* angepasst() const;
    bool aktuell_ist(int32_t atom) const { return !stapel.empty() && ist(stapel.back(), atom); }
    static bool ist(const Offen& e, int32_t atom) { return e.ns == H5NS::HTML && e.atom == atom; }
    bool speziell(const Offen& e) const;
    bool grenze(const Offen& e, Bereich b) const;
    bool im_bereich(int32_t atom, Bereich b) const;
    bool knoten_im_bereich(int knoten, Bereich b) const;
    bool ueberschrift_im_bereich() const;
    bool zelle_im_bereich() const;
    bool im_stapel(int32_t atom) const { return atom < static_cast<int32_t>(zaehler.size()) && zaehler[atom] > 0; }
    long stapel_index(int knoten) const;
    void implizite_enden(int32_t ausser = -1);
    void implizite_enden_gruendlich();
    void p_schliessen();
    void modus_zuruecksetzen();
    void zurueck_zu_tabelle();
    void zurueck_zu_tbody();
    void zurueck_zu_zeile();
    void zelle_schliessen();

    // The list of active formatting elements.
    void aktiv_push(const H5TOK& t, int knoten, int32_t atom);
    void marker() { aktiv.push_back({0, 0, 0, 0, nullptr, nullptr, 0, 0}); }
    bool aktiv_im_stapel(Aktiv& a);
    bool attr_gleich(const Aktiv& a, const H5TOK& t) const;
    void bis_marker_leeren();
    void rekonstruieren();
    long aktiv_index(int knoten) const;
    void aktiv_entfernen(size_t i);
    int aktiv_kopie(const Aktiv& a);  // creates an element for the entry's token
    void aktiv_verdichten();
    bool adoption(const H5TOK& t, int32_t atom);  // false: "any other end tag"

    // Foreign content.
    void attribute_anpassen(const H5TOK& t, H5NS ns);
    static bool mathml_text_ip(const Offen& e);
    static bool html_ip(const Offen& e);

    void quirks_bestimmen(const H5TOK& t);
    void meta_pruefen(const H5TOK& t);
    void beenden();

    H5SENKE* senke;
    H5NAMEN namen_;
    H5FEHLER fehler_fn = nullptr;
    void* fehler_kontext = nullptr;
    H5TOKEN* tok = nullptr;
    const wchar_t* tok_stelle = nullptr;
    const H5TOK* akt_tok = nullptr;  // the tag token being processed
    int32_t akt_atom = -1;           // its name's atom (img for image)
    H5TOK lauf;                      // the run whose characters are being inserted
    const wchar_t* body_ende_von = nullptr;  // </body> and </html>, for schliessen()
    const wchar_t* body_ende_bis = nullptr;
    const wchar_t* html_ende_von = nullptr;
    const wchar_t* html_ende_bis = nullptr;

    Modus modus = INITIAL;
    Modus urspruenglich = INITIAL;
    std::vector<Modus> template_modi;
    std::vector<Offen> stapel;
    std::vector<uint32_t> zaehler;  // HTML elements on the stack, per atom
    std::vector<Aktiv> aktiv;
    std::vector<FAttr> aktiv_attr;
    std::vector<wchar_t> aktiv_text;
    size_t aktiv_text_lebend = 0;
    std::unordered_map<uint32_t, uint32_t> sig_zahl;  // entries per signature (Noah's Ark)
    int head = 0;
    int form = 0;
    bool frameset_ok = true;
    bool pflege = false;  // foster parenting
    bool skript_an = false;
    bool lf_weg = false;  // ignore a newline at the start of the next token
    bool gestoppt = false;
    bool adoption_fe_bleibt = false;  // the adoption agency left its first formatting element on the stack
    H5MODUS dok_modus = H5MODUS::KEIN_QUIRKS;
    int wurzel_ = 0;
    std::string_view meta_kodierung_;

    // Fragment case.
    bool ist_fragment = false;
    Offen kontext{0, 0, H5NS::HTML, false};

    // In table text: pending characters, as pieces (offset, length) of the
    // run (still valid while the token after it is processed).
    std::vector<std::pair<uint32_t, uint32_t>> tabtext;
    bool tabtext_nicht_leer = false;

    // Scratch.
    std::vector<H5ATTRIBUT> attr_tmp;
    size_t tiefe_max = 0;
};
