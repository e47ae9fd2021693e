// H5TOKEN: the tokenizer states of the HTML standard, one case each; the
// character reference states are one function (the whole input is at hand).
#include "markup/H5TOKEN.h"

#include <unordered_set>

#include "markup/H5ENT.h"

namespace {

constexpr int32_t DE = -1;  // end of the input

inline bool leer(int32_t c) { return c == L'\t' || c == L'\n' || c == L'\f' || c == L' ' || c == L'\r'; }
inline bool gross(int32_t c) { return c >= L'A' && c <= L'Z'; }
inline bool alpha(int32_t c) { return (c | 0x20) >= L'a' && (c | 0x20) <= L'z'; }
inline bool ziffer(int32_t c) { return c >= L'0' && c <= L'9'; }
inline bool alnum(int32_t c) { return alpha(c) || ziffer(c); }
inline wchar_t klein(int32_t c) { return static_cast<wchar_t>(gross(c) ? c + 0x20 : c); }

// Characters that need no attention in text: no markup, no CR, no NUL, no
// character that the input stream reports as an error.
inline bool schlicht(wchar_t c) {
    if (c >= 0x20) {
        if (c < 0x7F) return true;
        if (c < 0xA0) return false;
        if (c < 0xD800) return true;
        return !(c < 0xE000 || (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE || c > 0x10FFFF);
    }
    return c == L'\t' || c == L'\n' || c == L'\f';
}

// Numeric references to 0x80-0x9F: windows-1252's characters.
constexpr char16_t C1_ERSATZ[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                    0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

}  // namespace

H5TOKEN::H5TOKEN(const wchar_t* anfang, const wchar_t* ende)
    : text_anfang(anfang), text_ende(ende), p(anfang), vorher(anfang) {}

size_t H5TOKEN::speicher() const {
    return (laufpuffer.capacity() + tagpuffer.capacity()) * sizeof(wchar_t) + ersetzungen.capacity() * sizeof(H5ERSATZ) +
           roh.capacity() * sizeof(RohAttribut) + attribute.capacity() * sizeof(H5ATTRIBUT);
}

void H5TOKEN::eingabefehler(wchar_t c, const wchar_t* stelle) {
    if (c >= 0xD800 && c < 0xE000) fehler("surrogate-in-input-stream", stelle);
    else if ((c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE) fehler("noncharacter-in-input-stream", stelle);
    else fehler("control-character-in-input-stream", stelle);
}

void H5TOKEN::tag_beginnen(bool ende, const wchar_t* lt) {
    art = ende ? H5ART::ENDE : H5ART::START;
    tok_von = lt;
    tagpuffer.clear();
    roh.clear();
    selbst = false;
    sp_start(name, p);
}

void H5TOKEN::attribut_beginnen() {
    roh.push_back({});
    RohAttribut& a = roh.back();
    sp_start(a.name, p);
    a.wert = Spanne{};
    a.von = p;
    a.bis = p;
    a.doppelt = false;
}

void H5TOKEN::attributname_fertig() {
    RohAttribut& a = roh.back();
    a.bis = vorher;
    const std::wstring_view n = sp_text(a.name, tagpuffer);
    const size_t k = roh.size() - 1;
    if (k < 64) {
        for (size_t i = 0; i < k; ++i)
            if (sp_text(roh[i].name, tagpuffer) == n) {
                a.doppelt = true;
                break;
            }
    } else {
        // Many attributes: a set of the names (only hostile tags get here).
        std::unordered_set<std::wstring_view> namen;
        for (size_t i = 0; i < k; ++i) namen.insert(sp_text(roh[i].name, tagpuffer));
        a.doppelt = namen.count(n) != 0;
    }
    if (a.doppelt) fehler("duplicate-attribute", a.von);
}

void H5TOKEN::kommentar_beginnen(const wchar_t* lt) {
    art = H5ART::KOMMENTAR;
    tok_von = lt;
    tagpuffer.clear();
    sp_start(name, p);
}

void H5TOKEN::doctype_beginnen(const wchar_t* lt) {
    art = H5ART::DOCTYPE;
    tok_von = lt;
    tagpuffer.clear();
    sp_start(name, p);
    sp_start(pub, p);
    sp_start(sys, p);
    hat_name = hat_pub = hat_sys = quirks = false;
}

void H5TOKEN::ausgeben(H5ART a) {
    fertig = H5TOK{};
    fertig.art = a;
    fertig.von = a == H5ART::DATEIENDE ? text_ende : tok_von;
    fertig.bis = a == H5ART::DATEIENDE ? text_ende : p;
    fertig_da = true;
}

void H5TOKEN::tag_ausgeben() {
    ausgeben(art);
    const std::wstring_view n = sp_text(name, tagpuffer);
    fertig.text = n.data();
    fertig.laenge = n.size();
    fertig.selbstschliessend = selbst;
    if (art == H5ART::START) {
        attribute.clear();
        for (const RohAttribut& r : roh)
            if (!r.doppelt)
                attribute.push_back({sp_text(r.name, tagpuffer), sp_text(r.wert, tagpuffer), r.von, r.bis, H5NS::KEIN});
        fertig.attribute = attribute.data();
        fertig.anzahl = attribute.size();
        letzter.assign(n);
    } else {
        if (!roh.empty()) fehler("end-tag-with-attributes", tok_von);
        if (selbst) fehler("end-tag-with-trailing-solidus", tok_von);
    }
    zustand = DATEN;
}

// The end of the input inside a tag (dropped), a comment or a DOCTYPE
// (both handed out, the DOCTYPE forcing quirks mode).
void H5TOKEN::tag_dateiende() {
    fehler("eof-in-tag", vorher);
    ausgeben(H5ART::DATEIENDE);
}

void H5TOKEN::kommentar_dateiende() {
    fehler("eof-in-comment", vorher);
    kommentar_ausgeben();
}

void H5TOKEN::doctype_dateiende() {
    fehler("eof-in-doctype", vorher);
    quirks = true;
    doctype_ausgeben();
}

void H5TOKEN::kommentar_ausgeben() {
    ausgeben(H5ART::KOMMENTAR);
    const std::wstring_view n = sp_text(name, tagpuffer);
    fertig.text = n.data();
    fertig.laenge = n.size();
}

void H5TOKEN::doctype_ausgeben() {
    ausgeben(H5ART::DOCTYPE);
    const std::wstring_view n = sp_text(name, tagpuffer);
    fertig.text = n.data();
    fertig.laenge = n.size();
    fertig.hat_name = hat_name;
    fertig.hat_public = hat_pub;
    fertig.hat_system = hat_sys;
    fertig.quirks_erzwungen = quirks;
    if (hat_pub) fertig.public_id = sp_text(pub, tagpuffer);
    if (hat_sys) fertig.system_id = sp_text(sys, tagpuffer);
}

bool H5TOKEN::passendes_endtag(const wchar_t* a, const wchar_t* b) const {
    if (letzter.empty() || static_cast<size_t>(b - a) != letzter.size()) return false;
    for (size_t i = 0; a + i < b; ++i)
        if (klein(a[i]) != letzter[i]) return false;
    return true;
}

bool H5TOKEN::endtag_in_text(Zustand zurueck_zu) {
    // p stands behind "</".
    const wchar_t* q = p;
    while (q < text_ende && alpha(*q)) ++q;
    if (q > p && passendes_endtag(p, q) && q < text_ende && (leer(*q) || *q == L'/' || *q == L'>')) {
        tag_beginnen(true, p - 2);
        for (const wchar_t* r = p; r < q; ++r) sp_zeichen(name, tagpuffer, r, klein(*r));
        p = q;
        const int32_t c = lies();
        if (c == L'>') {
            tag_ausgeben();
            return true;
        }
        zustand = c == L'/' ? SELBST_SCHLIESSEND : VOR_ATTRNAME;
        return false;
    }
    lauf_bereich(p - 2, q);
    p = q;
    zustand = zurueck_zu;
    return false;
}

void H5TOKEN::ref_ausgeben(bool im_attribut, const wchar_t* amp, const wchar_t* nach, char32_t c1, char32_t c2) {
    if (im_attribut) {
        sp_neu(roh.back().wert, tagpuffer, c1);
        if (c2) sp_neu(roh.back().wert, tagpuffer, c2);
        return;
    }
    if (!lauf_offen) lauf_beginnen(amp);
    lauf_luecke(amp);
    const uint32_t t0 = lauf.n;
    sp_neu(lauf, laufpuffer, c1);
    if (c2) sp_neu(lauf, laufpuffer, c2);
    ersetzungen.push_back({t0, lauf.n, amp, nach});
    lauf_qende = nach;
}

void H5TOKEN::ref_quelle(bool im_attribut, const wchar_t* a, const wchar_t* b) {
    if (im_attribut) sp_bereich(roh.back().wert, tagpuffer, a, b);
    else lauf_bereich(a, b);
}

void H5TOKEN::referenz(const wchar_t* amp, bool im_attribut) {
    // p stands behind "&".
    const int32_t c = p < text_ende ? *p : DE;
    if (alnum(c)) {
        size_t n = 0;
        const H5ENT::Eintrag* e = H5ENT::suchen(p, text_ende, &n);
        if (e) {
            const wchar_t* nach = p + n;
            const bool semikolon = e->name[n - 1] == ';';
            if (im_attribut && !semikolon && nach < text_ende && (*nach == L'=' || alnum(*nach))) {
                ref_quelle(true, amp, nach);
                p = nach;
                return;
            }
            if (!semikolon) fehler("missing-semicolon-after-character-reference", nach);
            ref_ausgeben(im_attribut, amp, nach, e->zeichen1, e->zeichen2);
            p = nach;
            return;
        }
        const wchar_t* q = p;
        while (q < text_ende && alnum(*q)) ++q;
        if (q < text_ende && *q == L';') fehler("unknown-named-character-reference", q);
        ref_quelle(im_attribut, amp, q);
        p = q;
        return;
    }
    if (c != L'#') {
        ref_quelle(im_attribut, amp, p);
        return;
    }
    const wchar_t* q = p + 1;
    bool hex = false;
    if (q < text_ende && (*q == L'x' || *q == L'X')) {
        hex = true;
        ++q;
    }
    const wchar_t* ziffern = q;
    uint32_t wert = 0;
    for (; q < text_ende; ++q) {
        uint32_t z;
        if (ziffer(*q)) z = *q - L'0';
        else if (hex && (*q | 0x20) >= L'a' && (*q | 0x20) <= L'f') z = (*q | 0x20) - L'a' + 10;
        else break;
        wert = wert * (hex ? 16 : 10) + z;
        if (wert > 0x10FFFF) wert = 0x110000;
    }
    if (q == ziffern) {
        fehler("absence-of-digits-in-numeric-character-reference", q);
        ref_quelle(im_attribut, amp, q);
        p = q;
        return;
    }
    if (q < text_ende && *q == L';') ++q;
    else fehler("missing-semicolon-after-character-reference", q);
    char32_t z = wert;
    if (wert == 0) {
        fehler("null-character-reference", amp);
        z = 0xFFFD;
    } else if (wert > 0x10FFFF) {
        fehler("character-reference-outside-unicode-range", amp);
        z = 0xFFFD;
    } else if (wert >= 0xD800 && wert <= 0xDFFF) {
        fehler("surrogate-character-reference", amp);
        z = 0xFFFD;
    } else if ((wert >= 0xFDD0 && wert <= 0xFDEF) || (wert & 0xFFFE) == 0xFFFE) {
        fehler("noncharacter-character-reference", amp);
    } else if (wert == 0x0D || (wert < 0x20 && wert != 0x09 && wert != 0x0A && wert != 0x0C) ||
               (wert >= 0x7F && wert <= 0x9F)) {
        fehler("control-character-reference", amp);
        if (wert >= 0x80) z = C1_ERSATZ[wert - 0x80];
    }
    ref_ausgeben(im_attribut, amp, q, z, 0);
    p = q;
}

// The states of a tag go straight on to the next one with goto: each way
// round the switch is an indirect jump that the processor guesses badly,
// and a page has a tag every few dozen characters. Only transitions that
// hand out no token jump.
bool H5TOKEN::naechstes(H5TOK& t) {
    if (fertig_da) {
        t = fertig;
        fertig_da = false;
        if (t.art == H5ART::DATEIENDE) zustand = FERTIG;
        return true;
    }
    if (zustand == FERTIG) return false;
    int32_t c;
    while (!fertig_da) {
        switch (zustand) {
        case DATEN:
            for (;;) {
                const wchar_t* a = p;
                while (schlicht(*p) && *p != L'<' && *p != L'&') ++p;
                if (p > a) lauf_bereich(a, p);
                if (p >= text_ende) {
                    ausgeben(H5ART::DATEIENDE);
                    break;
                }
                if (*p == L'<') {
                    ++p;
                    zustand = TAG_OFFEN;
                    goto tag_offen;
                }
                if (*p == L'&') {
                    const wchar_t* amp = p++;
                    referenz(amp, false);
                    continue;
                }
                c = lies();
                if (c == 0) fehler("unexpected-null-character", vorher);
                lauf_zeichen(vorher, static_cast<wchar_t>(c));
            }
            break;
        case RCDATA:
        case RAWTEXT:
        case PLAINTEXT:
        case SKRIPT: {
            const wchar_t lt = zustand == PLAINTEXT ? 0 : L'<';
            const wchar_t amp = zustand == RCDATA ? L'&' : 0;
            for (;;) {
                const wchar_t* a = p;
                while (schlicht(*p) && *p != lt && *p != amp) ++p;
                if (p > a) lauf_bereich(a, p);
                if (p >= text_ende) {
                    ausgeben(H5ART::DATEIENDE);
                    break;
                }
                if (*p == L'<' && lt) {
                    ++p;
                    zustand = zustand == RCDATA ? RCDATA_KLEINER : zustand == RAWTEXT ? RAWTEXT_KLEINER : SKRIPT_KLEINER;
                    break;
                }
                if (*p == L'&' && amp) {
                    const wchar_t* s = p++;
                    referenz(s, false);
                    continue;
                }
                c = lies();
                if (c == 0) {
                    fehler("unexpected-null-character", vorher);
                    lauf_neu(vorher, 0xFFFD);
                } else {
                    lauf_zeichen(vorher, static_cast<wchar_t>(c));
                }
            }
            break;
        }
        case TAG_OFFEN:
        tag_offen:
            c = lies();
            if (c == L'!') {
                zustand = MARKUP_DEKL;
            } else if (c == L'/') {
                zustand = ENDTAG_OFFEN;
                goto endtag_offen;
            } else if (alpha(c)) {
                zurueck();
                tag_beginnen(false, p - 1);
                zustand = TAGNAME;
                goto tagname;
            } else if (c == L'?') {
                fehler("unexpected-question-mark-instead-of-tag-name", vorher);
                zurueck();
                kommentar_beginnen(p - 1);
                zustand = BOGUS_KOMMENTAR;
            } else if (c == DE) {
                fehler("eof-before-tag-name", vorher);
                lauf_zeichen(p - 1, L'<');
                ausgeben(H5ART::DATEIENDE);
            } else {
                fehler("invalid-first-character-of-tag-name", vorher);
                zurueck();
                lauf_zeichen(p - 1, L'<');
                zustand = DATEN;
            }
            break;
        case ENDTAG_OFFEN:
        endtag_offen:
            c = lies();
            if (alpha(c)) {
                zurueck();
                tag_beginnen(true, p - 2);
                zustand = TAGNAME;
                goto tagname;
            } else if (c == L'>') {
                fehler("missing-end-tag-name", vorher);
                zustand = DATEN;
            } else if (c == DE) {
                fehler("eof-before-tag-name", vorher);
                lauf_bereich(p - 2, p);
                ausgeben(H5ART::DATEIENDE);
            } else {
                fehler("invalid-first-character-of-tag-name", vorher);
                zurueck();
                kommentar_beginnen(p - 2);
                zustand = BOGUS_KOMMENTAR;
            }
            break;
        case TAGNAME:
        tagname: {
            const wchar_t* a = p;
            while ((*p >= L'a' && *p <= L'z') || ziffer(*p) || *p == L'-') ++p;
            if (p > a) sp_bereich(name, tagpuffer, a, p);
            c = lies();
            if (leer(c)) {
                zustand = VOR_ATTRNAME;
                goto vor_attrname;
            } else if (c == L'/') zustand = SELBST_SCHLIESSEND;
            else if (c == L'>') tag_ausgeben();
            else if (c == 0) {
                fehler("unexpected-null-character", vorher);
                sp_neu(name, tagpuffer, 0xFFFD);
            } else if (c == DE) {
                tag_dateiende();
            } else {
                sp_zeichen(name, tagpuffer, vorher, klein(c));
                goto tagname;
            }
            break;
        }
        case RCDATA_KLEINER:
        case RAWTEXT_KLEINER:
            c = lies();
            if (c == L'/') {
                endtag_in_text(zustand == RCDATA_KLEINER ? RCDATA : RAWTEXT);
            } else {
                zurueck();
                lauf_zeichen(p - 1, L'<');
                zustand = zustand == RCDATA_KLEINER ? RCDATA : RAWTEXT;
            }
            break;
        case SKRIPT_KLEINER:
            c = lies();
            if (c == L'/') {
                endtag_in_text(SKRIPT);
            } else if (c == L'!') {
                lauf_bereich(p - 2, p);
                zustand = SKRIPT_ESC_START;
            } else {
                zurueck();
                lauf_zeichen(p - 1, L'<');
                zustand = SKRIPT;
            }
            break;
        case SKRIPT_ESC_START:
        case SKRIPT_ESC_START_STRICH:
            c = lies();
            if (c == L'-') {
                lauf_zeichen(vorher, L'-');
                zustand = zustand == SKRIPT_ESC_START ? SKRIPT_ESC_START_STRICH : SKRIPT_ESC_STRICH_STRICH;
            } else {
                zurueck();
                zustand = SKRIPT;
            }
            break;
        case SKRIPT_ESC:
        case SKRIPT_DESC: {
            const bool d = zustand == SKRIPT_DESC;
            const wchar_t* a = p;
            while (schlicht(*p) && *p != L'<' && *p != L'-') ++p;
            if (p > a) lauf_bereich(a, p);
            c = lies();
            if (c == L'-') {
                lauf_zeichen(vorher, L'-');
                zustand = d ? SKRIPT_DESC_STRICH : SKRIPT_ESC_STRICH;
            } else if (c == L'<') {
                if (d) lauf_zeichen(vorher, L'<');
                zustand = d ? SKRIPT_DESC_KLEINER : SKRIPT_ESC_KLEINER;
            } else if (c == 0) {
                fehler("unexpected-null-character", vorher);
                lauf_neu(vorher, 0xFFFD);
            } else if (c == DE) {
                fehler("eof-in-script-html-comment-like-text", vorher);
                ausgeben(H5ART::DATEIENDE);
            } else {
                lauf_zeichen(vorher, static_cast<wchar_t>(c));
            }
            break;
        }
        case SKRIPT_ESC_STRICH:
        case SKRIPT_ESC_STRICH_STRICH:
        case SKRIPT_DESC_STRICH:
        case SKRIPT_DESC_STRICH_STRICH: {
            const bool d = zustand == SKRIPT_DESC_STRICH || zustand == SKRIPT_DESC_STRICH_STRICH;
            const bool zwei = zustand == SKRIPT_ESC_STRICH_STRICH || zustand == SKRIPT_DESC_STRICH_STRICH;
            c = lies();
            if (c == L'-') {
                lauf_zeichen(vorher, L'-');
                zustand = d ? SKRIPT_DESC_STRICH_STRICH : SKRIPT_ESC_STRICH_STRICH;
            } else if (c == L'<') {
                if (d) lauf_zeichen(vorher, L'<');
                zustand = d ? SKRIPT_DESC_KLEINER : SKRIPT_ESC_KLEINER;
            } else if (c == L'>' && zwei) {
                lauf_zeichen(vorher, L'>');
                zustand = SKRIPT;
            } else if (c == 0) {
                fehler("unexpected-null-character", vorher);
                lauf_neu(vorher, 0xFFFD);
                zustand = d ? SKRIPT_DESC : SKRIPT_ESC;
            } else if (c == DE) {
                fehler("eof-in-script-html-comment-like-text", vorher);
                ausgeben(H5ART::DATEIENDE);
            } else {
                lauf_zeichen(vorher, static_cast<wchar_t>(c));
                zustand = d ? SKRIPT_DESC : SKRIPT_ESC;
            }
            break;
        }
        case SKRIPT_ESC_KLEINER:
            c = lies();
            if (c == L'/') {
                endtag_in_text(SKRIPT_ESC);
            } else if (alpha(c)) {
                zurueck();
                lauf_zeichen(p - 1, L'<');
                zustand = SKRIPT_DESC_START;
            } else {
                zurueck();
                lauf_zeichen(p - 1, L'<');
                zustand = SKRIPT_ESC;
            }
            break;
        case SKRIPT_DESC_START:
        case SKRIPT_DESC_ENDE: {
            // The letters of the "temporary buffer" are the source's.
            const wchar_t* a = p;
            while (p < text_ende && alpha(*p)) ++p;
            if (p > a) lauf_bereich(a, p);
            const bool skript = p - a == 6 && klein(a[0]) == L's' && klein(a[1]) == L'c' && klein(a[2]) == L'r' &&
                                klein(a[3]) == L'i' && klein(a[4]) == L'p' && klein(a[5]) == L't';
            c = lies();
            if (leer(c) || c == L'/' || c == L'>') {
                lauf_zeichen(vorher, static_cast<wchar_t>(c));
                if (zustand == SKRIPT_DESC_START) zustand = skript ? SKRIPT_DESC : SKRIPT_ESC;
                else zustand = skript ? SKRIPT_ESC : SKRIPT_DESC;
            } else {
                zurueck();
                zustand = zustand == SKRIPT_DESC_START ? SKRIPT_ESC : SKRIPT_DESC;
            }
            break;
        }
        case SKRIPT_DESC_KLEINER:
            c = lies();
            if (c == L'/') {
                lauf_zeichen(vorher, L'/');
                zustand = SKRIPT_DESC_ENDE;
            } else {
                zurueck();
                zustand = SKRIPT_DESC;
            }
            break;
        case VOR_ATTRNAME:
        vor_attrname:
            c = lies();
            if (leer(c)) goto vor_attrname;
            if (c == L'/' || c == L'>' || c == DE) {
                zurueck();
                zustand = NACH_ATTRNAME;
            } else if (c == L'=') {
                fehler("unexpected-equals-sign-before-attribute-name", vorher);
                zurueck();
                attribut_beginnen();
                ++p;
                sp_bereich(roh.back().name, tagpuffer, p - 1, p);
                zustand = ATTRNAME;
            } else {
                zurueck();
                attribut_beginnen();
                zustand = ATTRNAME;
                goto attrname;
            }
            break;
        case ATTRNAME:
        attrname: {
            Spanne& n = roh.back().name;
            const wchar_t* a = p;
            while ((*p >= L'a' && *p <= L'z') || *p == L'-' || *p == L':' || *p == L'_' || ziffer(*p)) ++p;
            if (p > a) sp_bereich(n, tagpuffer, a, p);
            c = lies();
            if (leer(c) || c == L'/' || c == L'>' || c == DE) {
                attributname_fertig();
                zurueck();
                zustand = NACH_ATTRNAME;
            } else if (c == L'=') {
                attributname_fertig();
                zustand = VOR_ATTRWERT;
                goto vor_attrwert;
            } else if (c == 0) {
                fehler("unexpected-null-character", vorher);
                sp_neu(n, tagpuffer, 0xFFFD);
            } else {
                if (c == L'"' || c == L'\'' || c == L'<') fehler("unexpected-character-in-attribute-name", vorher);
                sp_zeichen(n, tagpuffer, vorher, klein(c));
                goto attrname;
            }
            break;
        }
        case NACH_ATTRNAME:
            c = lies();
            if (leer(c)) break;
            if (c == L'/') zustand = SELBST_SCHLIESSEND;
            else if (c == L'=') zustand = VOR_ATTRWERT;
            else if (c == L'>') tag_ausgeben();
            else if (c == DE) {
                tag_dateiende();
            } else {
                zurueck();
                attribut_beginnen();
                zustand = ATTRNAME;
            }
            break;
        case VOR_ATTRWERT:
        vor_attrwert:
            c = lies();
            if (leer(c)) break;
            if (c == L'"' || c == L'\'') {
                sp_start(roh.back().wert, p);
                zustand = c == L'"' ? ATTRWERT_DQ : ATTRWERT_SQ;
                goto attrwert_zitiert;
            } else if (c == L'>') {
                fehler("missing-attribute-value", vorher);
                tag_ausgeben();
            } else {
                zurueck();
                sp_start(roh.back().wert, p);
                zustand = ATTRWERT_UQ;
                goto attrwert_frei;
            }
            break;
        case ATTRWERT_DQ:
        case ATTRWERT_SQ:
        attrwert_zitiert: {
            const wchar_t q = zustand == ATTRWERT_DQ ? L'"' : L'\'';
            Spanne& w = roh.back().wert;
            const wchar_t* a = p;
            while (schlicht(*p) && *p != q && *p != L'&') ++p;
            if (p > a) sp_bereich(w, tagpuffer, a, p);
            c = lies();
            if (c == q) {
                roh.back().bis = p;
                zustand = NACH_ATTRWERT;
                goto nach_attrwert;
            } else if (c == L'&') {
                referenz(vorher, true);
                goto attrwert_zitiert;
            } else if (c == 0) {
                fehler("unexpected-null-character", vorher);
                sp_neu(w, tagpuffer, 0xFFFD);
            } else if (c == DE) {
                tag_dateiende();
            } else {
                sp_zeichen(w, tagpuffer, vorher, static_cast<wchar_t>(c));
                goto attrwert_zitiert;
            }
            break;
        }
        case ATTRWERT_UQ:
        attrwert_frei: {
            Spanne& w = roh.back().wert;
            const wchar_t* a = p;
            while (schlicht(*p) && !leer(*p) && *p != L'&' && *p != L'>' && *p != L'"' && *p != L'\'' &&
                   *p != L'<' && *p != L'=' && *p != L'`')
                ++p;
            if (p > a) sp_bereich(w, tagpuffer, a, p);
            c = lies();
            if (leer(c)) {
                roh.back().bis = vorher;
                zustand = VOR_ATTRNAME;
                goto vor_attrname;
            } else if (c == L'&') {
                referenz(vorher, true);
                goto attrwert_frei;
            } else if (c == L'>') {
                roh.back().bis = vorher;
                tag_ausgeben();
            } else if (c == 0) {
                fehler("unexpected-null-character", vorher);
                sp_neu(w, tagpuffer, 0xFFFD);
            } else if (c == DE) {
                tag_dateiende();
            } else {
                if (c == L'"' || c == L'\'' || c == L'<' || c == L'=' || c == L'`')
                    fehler("unexpected-character-in-unquoted-attribute-value", vorher);
                sp_zeichen(w, tagpuffer, vorher, static_cast<wchar_t>(c));
                goto attrwert_frei;
            }
            break;
        }
        case NACH_ATTRWERT:
        nach_attrwert:
            c = lies();
            if (leer(c)) {
                zustand = VOR_ATTRNAME;
                goto vor_attrname;
            } else if (c == L'/') zustand = SELBST_SCHLIESSEND;
            else if (c == L'>') tag_ausgeben();
            else if (c == DE) {
                tag_dateiende();
            } else {
                fehler("missing-whitespace-between-attributes", vorher);
                zurueck();
                zustand = VOR_ATTRNAME;
            }
            break;
        case SELBST_SCHLIESSEND:
            c = lies();
            if (c == L'>') {
                selbst = true;
                tag_ausgeben();
            } else if (c == DE) {
                tag_dateiende();
            } else {
                fehler("unexpected-solidus-in-tag", vorher);
                zurueck();
                zustand = VOR_ATTRNAME;
            }
            break;
        case BOGUS_KOMMENTAR: {
            const wchar_t* a = p;
            while (schlicht(*p) && *p != L'>') ++p;
            if (p > a) sp_bereich(name, tagpuffer, a, p);
            c = lies();
            if (c == L'>') {
                kommentar_ausgeben();
                zustand = DATEN;
            } else if (c == DE) {
                kommentar_ausgeben();
                zustand = DATEN;
            } else if (c == 0) {
                fehler("unexpected-null-character", vorher);
                sp_neu(name, tagpuffer, 0xFFFD);
            } else {
                sp_zeichen(name, tagpuffer, vorher, static_cast<wchar_t>(c));
            }
            break;
        }
        case MARKUP_DEKL: {
            const wchar_t* lt = p - 2;
            if (p[0] == L'-' && p[1] == L'-') {
                p += 2;
                kommentar_beginnen(lt);
                zustand = KOMMENTAR_START;
                break;
            }
            static const wchar_t dt[] = L"doctype";
            int i = 0;
            while (i < 7 && klein(p[i]) == dt[i]) ++i;
            if (i == 7) {
                p += 7;
                doctype_beginnen(lt);
                zustand = DOCTYPE;
                break;
            }
            static const wchar_t cd[] = L"[CDATA[";
            i = 0;
            while (i < 7 && p[i] == cd[i]) ++i;
            if (i == 7) {
                if (cdata_erlaubt) {
                    p += 7;
                    zustand = CDATA;
                } else {
                    fehler("cdata-in-html-content", lt);
                    kommentar_beginnen(lt);
                    p += 7;
                    sp_bereich(name, tagpuffer, p - 7, p);
                    zustand = BOGUS_KOMMENTAR;
                }
                break;
            }
            fehler("incorrectly-opened-comment", lt);
            kommentar_beginnen(lt);
            zustand = BOGUS_KOMMENTAR;
            break;
        }
        case KOMMENTAR_START:
            c = lies();
            if (c == L'-') zustand = KOMMENTAR_START_STRICH;
            else if (c == L'>') {
                fehler("abrupt-closing-of-empty-comment", vorher);
                kommentar_ausgeben();
                zustand = DATEN;
            } else {
                zurueck();
                zustand = KOMMENTAR;
            }
            break;
        case KOMMENTAR_START_STRICH:
            c = lies();
            if (c == L'-') zustand = KOMMENTAR_ENDE;
            else if (c == L'>') {
                fehler("abrupt-closing-of-empty-comment", vorher);
                kommentar_ausgeben();
                zustand = DATEN;
            } else if (c == DE) {
                kommentar_dateiende();
            } else {
                zurueck();
                sp_zeichen(name, tagpuffer, p - 1, L'-');
                zustand = KOMMENTAR;
            }
            break;
        case KOMMENTAR: {
            const wchar_t* a = p;
            while (schlicht(*p) && *p != L'<' && *p != L'-') ++p;
            if (p > a) sp_bereich(name, tagpuffer, a, p);
            c = lies();
            if (c == L'<') {
                sp_zeichen(name, tagpuffer, vorher, L'<');
                zustand = KOMMENTAR_KLEINER;
            } else if (c == L'-') {
                zustand = KOMMENTAR_ENDE_STRICH;
            } else if (c == 0) {
                fehler("unexpected-null-character", vorher);
                sp_neu(name, tagpuffer, 0xFFFD);
            } else if (c == DE) {
                kommentar_dateiende();
            } else {
                sp_zeichen(name, tagpuffer, vorher, static_cast<wchar_t>(c));
            }
            break;
        }
        case KOMMENTAR_KLEINER:
            c = lies();
            if (c == L'!') {
                sp_zeichen(name, tagpuffer, vorher, L'!');
                zustand = KOMMENTAR_KLEINER_A;
            } else if (c == L'<') {
                sp_zeichen(name, tagpuffer, vorher, L'<');
            } else {
                zurueck();
                zustand = KOMMENTAR;
            }
            break;
        case KOMMENTAR_KLEINER_A: weiche(L'-', KOMMENTAR_KLEINER_A_S, KOMMENTAR); break;
        case KOMMENTAR_KLEINER_A_S: weiche(L'-', KOMMENTAR_KLEINER_A_S_S, KOMMENTAR_ENDE_STRICH); break;
        case KOMMENTAR_KLEINER_A_S_S:
            c = lies();
            if (c != L'>' && c != DE) fehler("nested-comment", vorher);
            zurueck();
            zustand = KOMMENTAR_ENDE;
            break;
        case KOMMENTAR_ENDE_STRICH:
            c = lies();
            if (c == L'-') zustand = KOMMENTAR_ENDE;
            else if (c == DE) {
                kommentar_dateiende();
            } else {
                zurueck();
                sp_zeichen(name, tagpuffer, p - 1, L'-');
                zustand = KOMMENTAR;
            }
            break;
        case KOMMENTAR_ENDE:
            c = lies();
            if (c == L'>') {
                kommentar_ausgeben();
                zustand = DATEN;
            } else if (c == L'!') {
                zustand = KOMMENTAR_ENDE_AUSRUF;
            } else if (c == L'-') {
                sp_zeichen(name, tagpuffer, vorher - 2, L'-');
            } else if (c == DE) {
                kommentar_dateiende();
            } else {
                zurueck();
                sp_zeichen(name, tagpuffer, p - 2, L'-');
                sp_zeichen(name, tagpuffer, p - 1, L'-');
                zustand = KOMMENTAR;
            }
            break;
        case KOMMENTAR_ENDE_AUSRUF:
            c = lies();
            if (c == L'-') {
                sp_zeichen(name, tagpuffer, vorher - 3, L'-');
                sp_zeichen(name, tagpuffer, vorher - 2, L'-');
                sp_zeichen(name, tagpuffer, vorher - 1, L'!');
                zustand = KOMMENTAR_ENDE_STRICH;
            } else if (c == L'>') {
                fehler("incorrectly-closed-comment", vorher);
                kommentar_ausgeben();
                zustand = DATEN;
            } else if (c == DE) {
                kommentar_dateiende();
            } else {
                zurueck();
                sp_zeichen(name, tagpuffer, p - 3, L'-');
                sp_zeichen(name, tagpuffer, p - 2, L'-');
                sp_zeichen(name, tagpuffer, p - 1, L'!');
                zustand = KOMMENTAR;
            }
            break;
        case DOCTYPE:
            c = lies();
            if (leer(c)) zustand = VOR_DOCTYPE_NAME;
            else if (c == L'>') {
                zurueck();
                zustand = VOR_DOCTYPE_NAME;
            } else if (c == DE) {
                doctype_dateiende();
            } else {
                fehler("missing-whitespace-before-doctype-name", vorher);
                zurueck();
                zustand = VOR_DOCTYPE_NAME;
            }
            break;
        case VOR_DOCTYPE_NAME:
            c = lies();
            if (leer(c)) break;
            if (c == L'>') {
                fehler("missing-doctype-name", vorher);
                quirks = true;
                doctype_ausgeben();
                zustand = DATEN;
            } else if (c == DE) {
                doctype_dateiende();
            } else {
                hat_name = true;
                sp_start(name, vorher);
                if (c == 0) {
                    fehler("unexpected-null-character", vorher);
                    sp_neu(name, tagpuffer, 0xFFFD);
                } else {
                    sp_zeichen(name, tagpuffer, vorher, klein(c));
                }
                zustand = DOCTYPE_NAME;
            }
            break;
        case DOCTYPE_NAME:
            c = lies();
            if (leer(c)) zustand = NACH_DOCTYPE_NAME;
            else if (c == L'>') {
                doctype_ausgeben();
                zustand = DATEN;
            } else if (c == 0) {
                fehler("unexpected-null-character", vorher);
                sp_neu(name, tagpuffer, 0xFFFD);
            } else if (c == DE) {
                doctype_dateiende();
            } else {
                sp_zeichen(name, tagpuffer, vorher, klein(c));
            }
            break;
        case NACH_DOCTYPE_NAME: {
            c = lies();
            if (leer(c)) break;
            if (c == L'>') {
                doctype_ausgeben();
                zustand = DATEN;
                break;
            }
            if (c == DE) {
                doctype_dateiende();
                break;
            }
            zurueck();
            static const wchar_t pu[] = L"public";
            static const wchar_t sy[] = L"system";
            int i = 0, j = 0;
            while (i < 6 && klein(p[i]) == pu[i]) ++i;
            while (j < 6 && klein(p[j]) == sy[j]) ++j;
            if (i == 6) {
                p += 6;
                zustand = NACH_PUBLIC_KW;
            } else if (j == 6) {
                p += 6;
                zustand = NACH_SYSTEM_KW;
            } else {
                fehler("invalid-character-sequence-after-doctype-name", p);
                quirks = true;
                zustand = BOGUS_DOCTYPE;
            }
            break;
        }
        case NACH_PUBLIC_KW:
        case NACH_SYSTEM_KW:
        case VOR_PUBLIC_ID:
        case VOR_SYSTEM_ID: {
            const bool sys_id = zustand == NACH_SYSTEM_KW || zustand == VOR_SYSTEM_ID;
            const bool nach_kw = zustand == NACH_PUBLIC_KW || zustand == NACH_SYSTEM_KW;
            c = lies();
            if (leer(c)) {
                zustand = sys_id ? VOR_SYSTEM_ID : VOR_PUBLIC_ID;
            } else if (c == L'"' || c == L'\'') {
                if (nach_kw)
                    fehler(sys_id ? "missing-whitespace-after-doctype-system-keyword"
                                  : "missing-whitespace-after-doctype-public-keyword",
                           vorher);
                if (sys_id) {
                    hat_sys = true;
                    sp_start(sys, p);
                    zustand = c == L'"' ? SYSTEM_ID_DQ : SYSTEM_ID_SQ;
                } else {
                    hat_pub = true;
                    sp_start(pub, p);
                    zustand = c == L'"' ? PUBLIC_ID_DQ : PUBLIC_ID_SQ;
                }
            } else if (c == L'>') {
                fehler(sys_id ? "missing-doctype-system-identifier" : "missing-doctype-public-identifier", vorher);
                quirks = true;
                doctype_ausgeben();
                zustand = DATEN;
            } else if (c == DE) {
                doctype_dateiende();
            } else {
                fehler(sys_id ? "missing-quote-before-doctype-system-identifier"
                              : "missing-quote-before-doctype-public-identifier",
                       vorher);
                quirks = true;
                zurueck();
                zustand = BOGUS_DOCTYPE;
            }
            break;
        }
        case PUBLIC_ID_DQ:
        case PUBLIC_ID_SQ:
        case SYSTEM_ID_DQ:
        case SYSTEM_ID_SQ: {
            const bool sys_id = zustand == SYSTEM_ID_DQ || zustand == SYSTEM_ID_SQ;
            const wchar_t q = (zustand == PUBLIC_ID_DQ || zustand == SYSTEM_ID_DQ) ? L'"' : L'\'';
            Spanne& s = sys_id ? sys : pub;
            c = lies();
            if (c == q) {
                zustand = sys_id ? NACH_SYSTEM_ID : NACH_PUBLIC_ID;
            } else if (c == 0) {
                fehler("unexpected-null-character", vorher);
                sp_neu(s, tagpuffer, 0xFFFD);
            } else if (c == L'>') {
                fehler(sys_id ? "abrupt-doctype-system-identifier" : "abrupt-doctype-public-identifier", vorher);
                quirks = true;
                doctype_ausgeben();
                zustand = DATEN;
            } else if (c == DE) {
                doctype_dateiende();
            } else {
                sp_zeichen(s, tagpuffer, vorher, static_cast<wchar_t>(c));
            }
            break;
        }
        case NACH_PUBLIC_ID:
        case ZWISCHEN_PUBLIC_SYSTEM:
            c = lies();
            if (leer(c)) {
                zustand = ZWISCHEN_PUBLIC_SYSTEM;
            } else if (c == L'>') {
                doctype_ausgeben();
                zustand = DATEN;
            } else if (c == L'"' || c == L'\'') {
                if (zustand == NACH_PUBLIC_ID)
                    fehler("missing-whitespace-between-doctype-public-and-system-identifiers", vorher);
                hat_sys = true;
                sp_start(sys, p);
                zustand = c == L'"' ? SYSTEM_ID_DQ : SYSTEM_ID_SQ;
            } else if (c == DE) {
                doctype_dateiende();
            } else {
                fehler("missing-quote-before-doctype-system-identifier", vorher);
                quirks = true;
                zurueck();
                zustand = BOGUS_DOCTYPE;
            }
            break;
        case NACH_SYSTEM_ID:
            c = lies();
            if (leer(c)) break;
            if (c == L'>') {
                doctype_ausgeben();
                zustand = DATEN;
            } else if (c == DE) {
                doctype_dateiende();
            } else {
                fehler("unexpected-character-after-doctype-system-identifier", vorher);
                zurueck();
                zustand = BOGUS_DOCTYPE;
            }
            break;
        case BOGUS_DOCTYPE:
            c = lies();
            if (c == L'>') {
                doctype_ausgeben();
                zustand = DATEN;
            } else if (c == DE) {
                doctype_ausgeben();
            } else if (c == 0) {
                fehler("unexpected-null-character", vorher);
            }
            break;
        case CDATA: {
            const wchar_t* a = p;
            while (schlicht(*p) && *p != L']') ++p;
            if (p > a) lauf_bereich(a, p);
            c = lies();
            if (c == L']') zustand = CDATA_KLAMMER;
            else if (c == DE) {
                fehler("eof-in-cdata", vorher);
                ausgeben(H5ART::DATEIENDE);
            } else {
                lauf_zeichen(vorher, static_cast<wchar_t>(c));
            }
            break;
        }
        case CDATA_KLAMMER:
            c = lies();
            if (c == L']') zustand = CDATA_ENDE;
            else {
                zurueck();
                lauf_zeichen(p - 1, L']');
                zustand = CDATA;
            }
            break;
        case CDATA_ENDE:
            c = lies();
            if (c == L']') {
                lauf_zeichen(vorher - 2, L']');
            } else if (c == L'>') {
                zustand = DATEN;
            } else {
                zurueck();
                lauf_zeichen(p - 2, L']');
                lauf_zeichen(p - 1, L']');
                zustand = CDATA;
            }
            break;
        case FERTIG:
            return false;
        }
    }
    // A comment or DOCTYPE cut off by the end of the input: the end of file
    // follows it.
    if (fertig.art != H5ART::DATEIENDE && p >= text_ende) zustand = DATEN;
    // A completed token; a pending run goes out first.
    if (lauf_offen) {
        const std::wstring_view l = sp_text(lauf, laufpuffer);
        t = H5TOK{};
        t.art = H5ART::ZEICHEN;
        t.von = lauf_von;
        t.bis = fertig.von;
        t.text = l.data();
        t.laenge = l.size();
        lauf_luecke(fertig.von);
        t.ersetzungen = ersetzungen.data();
        t.anzahl_ersetzungen = ersetzungen.size();
        lauf_offen = false;
        return true;
    }
    t = fertig;
    fertig_da = false;
    if (t.art == H5ART::DATEIENDE) zustand = FERTIG;
    return true;
}
