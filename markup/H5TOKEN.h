#pragma once
// H5TOKEN: the tokenizer of the HTML standard ("13.2.5 Tokenization"), every
// state of it, over a whole document held as decoded wide text.
//
// Design note (read this first)
// -----------------------------
// Input: the whole document as wide text [anfang, ende) with *ende == 0.
// The tokenizer never writes into it. naechstes() hands out one token at a
// time (pull model); the tree builder H5BAUM switches the tokenizer's state
// (RCDATA, RAWTEXT, script data, PLAINTEXT) and the CDATA flag between two
// tokens, as the standard's tree construction does.
//
// Positions: every token carries the source span [von, bis) of what it was
// read from: a tag from its "<" to behind its ">", a comment or DOCTYPE
// likewise, a character run from its first character to the start of the
// next token (or ende). Every attribute carries the span from the first
// character of its name to behind its value (closing quote included).
//
// Text: a token's texts (tag and attribute names in ASCII lower case,
// attribute values, comment data, the characters of a run, DOCTYPE name and
// identifiers) are pointer/length pairs. Where a text equals its source
// characters it points INTO the source (no copy; for a run then
// text == von and laenge == bis - von, see H5TOK::unveraendert()). Where it
// differs (references decoded, CR LF and lone CR turned into LF, U+0000
// replaced, upper-case letters of names lowered) it points into one of two
// reusable scratch buffers of the tokenizer (one for character runs, one
// for everything else), which hold the decoded text. Either way the text is
// the decoded one. A tag's, comment's or DOCTYPE's texts are valid until
// the next call of naechstes(); a run's (text and replacements) until the
// call after that, since a run is handed out before the token that ends it
// and stays valid while that token is processed (H5BAUM relies on this for
// pending table text).
// A run also lists every place where its text differs from the source
// (H5ERSATZ: decoded range -> source range), so that each decoded character
// maps back to its exact source (H5TOK::quelle_an / quelle_nach).
//
// Character tokens: all characters between two other tokens form ONE run
// (a "<" that starts no tag, a decoded reference, ... stay in it). A run may
// contain U+0000 in the data, CDATA and PLAINTEXT states (as the standard
// emits it there); the tree builder deals with it.
//
// Parse errors are reported through a callback with the standard's error
// code ("unexpected-null-character", ...) and the position in the source;
// the tokenizer never fails.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Namespaces of elements (HTML, SVG, MathML) and of adjusted foreign
// attributes (xlink, xml, xmlns); KEIN for an attribute without namespace.
enum class H5NS : uint8_t { HTML, SVG, MATHML, XLINK, XML, XMLNS, KEIN };

// Parse error receiver: the standard's error code and where it was found.
using H5FEHLER = void (*)(void* kontext, const char* code, const wchar_t* stelle);

// One attribute of a start tag. For the sink the tree builder adjusts names
// of foreign attributes (viewBox, xlink:href → ns XLINK, name "href").
struct H5ATTRIBUT {
    std::wstring_view name;
    std::wstring_view wert;
    const wchar_t* von = nullptr;  // source span; null for attributes made up by the tree builder
    const wchar_t* bis = nullptr;
    H5NS ns = H5NS::KEIN;
};

enum class H5ART : uint8_t { ZEICHEN, START, ENDE, KOMMENTAR, DOCTYPE, DATEIENDE };

// A place where a character run's decoded text differs from its source:
// the decoded characters [text_von, text_bis) (offsets into the run's
// text) stand for the source [quelle_von, quelle_bis): a reference, CR LF
// or a lone CR (one LF), a NUL turned into U+FFFD; text_von == text_bis for
// source that gives no characters ("</>"). Between two replacements the
// decoded text equals the source character for character.
struct H5ERSATZ {
    uint32_t text_von, text_bis;
    const wchar_t* quelle_von;
    const wchar_t* quelle_bis;
};

struct H5TOK {
    H5ART art = H5ART::DATEIENDE;
    bool selbstschliessend = false;  // tags: "/>"
    bool quirks_erzwungen = false;   // DOCTYPE: force-quirks flag
    bool hat_name = false;           // DOCTYPE: name present
    bool hat_public = false;         // DOCTYPE: public identifier present
    bool hat_system = false;         // DOCTYPE: system identifier present
    const wchar_t* von = nullptr;    // source span of the whole token
    const wchar_t* bis = nullptr;
    // ZEICHEN: the characters; START/ENDE: the tag name; KOMMENTAR: the
    // data; DOCTYPE: the name.
    const wchar_t* text = nullptr;
    size_t laenge = 0;
    std::wstring_view public_id, system_id;  // DOCTYPE
    const H5ATTRIBUT* attribute = nullptr;   // START (end tags never carry any)
    size_t anzahl = 0;
    const H5ERSATZ* ersetzungen = nullptr;   // ZEICHEN: where text differs from [von, bis), in order
    size_t anzahl_ersetzungen = 0;

    // ZEICHEN: the source position of the decoded character at offset o,
    // and the source position behind the decoded characters before offset e.
    const wchar_t* quelle_an(size_t o) const {
        const wchar_t* q = von;
        size_t t = 0;
        for (size_t i = 0; i < anzahl_ersetzungen && ersetzungen[i].text_von <= o; ++i) {
            const H5ERSATZ& r = ersetzungen[i];
            if (o < r.text_bis) return r.quelle_von;
            q = r.quelle_bis;
            t = r.text_bis;
        }
        return q + (o - t);
    }
    const wchar_t* quelle_nach(size_t e) const {
        const wchar_t* q = von;
        size_t t = 0;
        for (size_t i = 0; i < anzahl_ersetzungen && ersetzungen[i].text_von < e; ++i) {
            const H5ERSATZ& r = ersetzungen[i];
            if (e < r.text_bis) return r.quelle_bis;
            q = r.quelle_bis;
            t = r.text_bis;
        }
        return q + (e - t);
    }

    std::wstring_view name() const { return {text, laenge}; }
    // A character run whose text is its source span unchanged.
    bool unveraendert() const { return anzahl_ersetzungen == 0 && text == von; }
};

class H5TOKEN {
public:
    enum Zustand : uint8_t {
        DATEN, RCDATA, RAWTEXT, SKRIPT, PLAINTEXT,
        TAG_OFFEN, ENDTAG_OFFEN, TAGNAME,
        RCDATA_KLEINER, RAWTEXT_KLEINER,
        SKRIPT_KLEINER, SKRIPT_ESC_START, SKRIPT_ESC_START_STRICH, SKRIPT_ESC, SKRIPT_ESC_STRICH,
        SKRIPT_ESC_STRICH_STRICH, SKRIPT_ESC_KLEINER, SKRIPT_DESC_START, SKRIPT_DESC, SKRIPT_DESC_STRICH,
        SKRIPT_DESC_STRICH_STRICH, SKRIPT_DESC_KLEINER, SKRIPT_DESC_ENDE,
        VOR_ATTRNAME, ATTRNAME, NACH_ATTRNAME, VOR_ATTRWERT, ATTRWERT_DQ, ATTRWERT_SQ, ATTRWERT_UQ,
        NACH_ATTRWERT, SELBST_SCHLIESSEND,
        BOGUS_KOMMENTAR, MARKUP_DEKL, KOMMENTAR_START, KOMMENTAR_START_STRICH, KOMMENTAR, KOMMENTAR_KLEINER,
        KOMMENTAR_KLEINER_A, KOMMENTAR_KLEINER_A_S, KOMMENTAR_KLEINER_A_S_S, KOMMENTAR_ENDE_STRICH,
        KOMMENTAR_ENDE, KOMMENTAR_ENDE_AUSRUF,
        DOCTYPE, VOR_DOCTYPE_NAME, DOCTYPE_NAME, NACH_DOCTYPE_NAME, NACH_PUBLIC_KW, VOR_PUBLIC_ID,
        PUBLIC_ID_DQ, PUBLIC_ID_SQ, NACH_PUBLIC_ID, ZWISCHEN_PUBLIC_SYSTEM, NACH_SYSTEM_KW, VOR_SYSTEM_ID,
        SYSTEM_ID_DQ, SYSTEM_ID_SQ, NACH_SYSTEM_ID, BOGUS_DOCTYPE,
        CDATA, CDATA_KLAMMER, CDATA_ENDE,
        FERTIG
    };

    H5TOKEN(const wchar_t* anfang, const wchar_t* ende);

    void fehlerziel(H5FEHLER f, void* kontext) {
        fehler_fn = f;
        fehler_kontext = kontext;
    }
    // The next token; false once the end-of-file token has been handed out.
    bool naechstes(H5TOK& t);
    // Switches the state (tree construction: RCDATA, RAWTEXT, SKRIPT, PLAINTEXT).
    void zustand_setzen(Zustand z) { zustand = z; }
    // Whether "<![CDATA[" opens a CDATA section: the adjusted current node
    // is not an HTML element.
    void cdata_erlauben(bool ja) { cdata_erlaubt = ja; }
    // The last start tag's name, for the "appropriate end tag" (tests, fragments).
    void letzter_starttag(std::wstring_view name) { letzter.assign(name); }

    const wchar_t* anfang() const { return text_anfang; }
    const wchar_t* ende() const { return text_ende; }
    // Bytes held by the scratch buffers (for measurements).
    size_t speicher() const;

private:
    // A text under construction: a range of the source while it equals its
    // source, else a range of a scratch buffer.
    struct Spanne {
        const wchar_t* q = nullptr;
        uint32_t n = 0;
        uint32_t off = 0;
        bool kopie = false;
    };
    struct RohAttribut {
        Spanne name, wert;
        const wchar_t* von;
        const wchar_t* bis;
        bool doppelt;
    };

    static void sp_start(Spanne& s, const wchar_t* pos) {
        s.q = pos;
        s.n = 0;
        s.kopie = false;
    }
    // Appends c, read at pos (the source character there may differ from c).
    static void sp_zeichen(Spanne& s, std::vector<wchar_t>& puffer, const wchar_t* pos, wchar_t c) {
        if (!s.kopie) {
            if (s.q + s.n == pos && *pos == c) {
                ++s.n;
                return;
            }
            sp_kopieren(s, puffer);
        }
        puffer.push_back(c);
        ++s.n;
    }
    static void sp_bereich(Spanne& s, std::vector<wchar_t>& puffer, const wchar_t* a, const wchar_t* b) {
        if (!s.kopie) {
            if (s.q + s.n == a) {
                s.n += static_cast<uint32_t>(b - a);
                return;
            }
            sp_kopieren(s, puffer);
        }
        puffer.insert(puffer.end(), a, b);
        s.n += static_cast<uint32_t>(b - a);
    }
    static void sp_neu(Spanne& s, std::vector<wchar_t>& puffer, char32_t c) {
        if (!s.kopie) sp_kopieren(s, puffer);
        puffer.push_back(static_cast<wchar_t>(c));
        ++s.n;
    }
    static void sp_kopieren(Spanne& s, std::vector<wchar_t>& puffer) {
        s.off = static_cast<uint32_t>(puffer.size());
        puffer.insert(puffer.end(), s.q, s.q + s.n);
        s.kopie = true;
    }
    static std::wstring_view sp_text(const Spanne& s, const std::vector<wchar_t>& puffer) {
        return s.kopie ? std::wstring_view(puffer.data() + s.off, s.n) : std::wstring_view(s.q, s.n);
    }

    void fehler(const char* code, const wchar_t* stelle) {
        if (fehler_fn) fehler_fn(fehler_kontext, code, stelle);
    }
    // Reads one character (CR LF and CR as LF); -1 at the end.
    int32_t lies() {
        vorher = p;
        if (p >= text_ende) return -1;
        wchar_t c = *p++;
        if (c == L'\r') {
            if (*p == L'\n' && p < text_ende) ++p;
            return L'\n';
        }
        if ((c < 0x20 && c != L'\t' && c != L'\n' && c != L'\f' && c != 0) || (c >= 0x7F && c < 0xA0) ||
            (c >= 0xD800 && c < 0xE000) || (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE)
            eingabefehler(c, vorher);
        return c;
    }
    void zurueck() { p = vorher; }
    // One character: x leads to ja, anything else is read again in nein.
    void weiche(wchar_t x, Zustand ja, Zustand nein) {
        if (lies() == x) {
            zustand = ja;
        } else {
            zurueck();
            zustand = nein;
        }
    }
    void eingabefehler(wchar_t c, const wchar_t* stelle);

    // Character runs. Each append notes where the text leaves the source:
    // skipped source (lauf_luecke), and characters other than their source.
    void lauf_luecke(const wchar_t* a) {
        if (a != lauf_qende) ersetzungen.push_back({lauf.n, lauf.n, lauf_qende, a});
    }
    // c read at pos; where c differs from the source there, its source is [pos, p).
    void lauf_zeichen(const wchar_t* pos, wchar_t c) {
        if (!lauf_offen) lauf_beginnen(pos);
        lauf_luecke(pos);
        if (*pos == c) {
            lauf_qende = pos + 1;
        } else {
            ersetzungen.push_back({lauf.n, lauf.n + 1, pos, p});
            lauf_qende = p;
        }
        sp_zeichen(lauf, laufpuffer, pos, c);
    }
    void lauf_bereich(const wchar_t* a, const wchar_t* b) {
        if (!lauf_offen) lauf_beginnen(a);
        lauf_luecke(a);
        sp_bereich(lauf, laufpuffer, a, b);
        lauf_qende = b;
    }
    // c (U+FFFD for a NUL) stands for the source [pos, p).
    void lauf_neu(const wchar_t* pos, char32_t c) {
        if (!lauf_offen) lauf_beginnen(pos);
        lauf_luecke(pos);
        ersetzungen.push_back({lauf.n, lauf.n + 1, pos, p});
        lauf_qende = p;
        sp_neu(lauf, laufpuffer, c);
    }
    void lauf_beginnen(const wchar_t* pos) {
        lauf_offen = true;
        laufpuffer.clear();
        ersetzungen.clear();
        sp_start(lauf, pos);
        lauf_von = pos;
        lauf_qende = pos;
    }

    // Tags, comments, DOCTYPEs.
    void tag_beginnen(bool ende, const wchar_t* lt);
    void attribut_beginnen();
    void attributname_fertig();
    void kommentar_beginnen(const wchar_t* lt);
    void doctype_beginnen(const wchar_t* lt);
    // Completes the current tag/comment/DOCTYPE ending at bis; true: hand out.
    void tag_ausgeben();
    void kommentar_ausgeben();
    void doctype_ausgeben();
    void tag_dateiende();
    void kommentar_dateiende();
    void doctype_dateiende();
    void ausgeben(H5ART art);
    bool passendes_endtag(const wchar_t* a, const wchar_t* b) const;
    // Character reference after "&" at amp; appends to the run or to the
    // current attribute value.
    void referenz(const wchar_t* amp, bool im_attribut);
    // A decoded reference [amp, nach) as one or two characters.
    void ref_ausgeben(bool im_attribut, const wchar_t* amp, const wchar_t* nach, char32_t c1, char32_t c2);
    void ref_quelle(bool im_attribut, const wchar_t* a, const wchar_t* b);
    // RCDATA, RAWTEXT, script data: "</" + letters at p; an appropriate end
    // tag starts a tag token, else the characters go to the run.
    bool endtag_in_text(Zustand zurueck_zu);

    const wchar_t* text_anfang;
    const wchar_t* text_ende;
    const wchar_t* p;
    const wchar_t* vorher;
    Zustand zustand = DATEN;
    bool cdata_erlaubt = false;
    H5FEHLER fehler_fn = nullptr;
    void* fehler_kontext = nullptr;

    // The pending run.
    bool lauf_offen = false;
    Spanne lauf;
    const wchar_t* lauf_von = nullptr;
    const wchar_t* lauf_qende = nullptr;  // source behind what the run has taken
    std::vector<wchar_t> laufpuffer;
    std::vector<H5ERSATZ> ersetzungen;

    // The token under construction.
    H5ART art = H5ART::START;
    const wchar_t* tok_von = nullptr;
    Spanne name;  // tag name, comment data, DOCTYPE name
    Spanne pub, sys;
    bool hat_name = false, hat_pub = false, hat_sys = false, quirks = false, selbst = false;
    std::vector<RohAttribut> roh;
    std::vector<H5ATTRIBUT> attribute;
    std::vector<wchar_t> tagpuffer;
    std::wstring letzter;

    // A token completed behind a pending run.
    bool fertig_da = false;
    H5TOK fertig;
};
