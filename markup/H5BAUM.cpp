// H5BAUM: the insertion modes of the HTML standard, each a function that
// returns true where the standard says "reprocess the token".
#include "markup/H5BAUM.h"

#include "textio/H5KODIERUNG.h"

#include <algorithm>
#include <string>
#include <unordered_map>

namespace {

inline bool leer(wchar_t c) { return c == L'\t' || c == L'\n' || c == L'\f' || c == L'\r' || c == L' '; }

size_t leer_praefix(const wchar_t* s, size_t n) {
    size_t k = 0;
    while (k < n && leer(s[k])) ++k;
    return k;
}

bool gleich_ci(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'A' && x <= L'Z') x += 0x20;
        if (y >= L'A' && y <= L'Z') y += 0x20;
        if (x != y) return false;
    }
    return true;
}

// The same against an ASCII literal (the DOCTYPE identifiers).
bool gleich_ci(std::wstring_view a, const char* b) {
    const std::string_view v(b);
    if (a.size() != v.size()) return false;
    for (size_t i = 0; i < v.size(); ++i) {
        wchar_t x = a[i];
        char y = v[i];
        if (x >= L'A' && x <= L'Z') x += 0x20;
        if (y >= 'A' && y <= 'Z') y += 0x20;
        if (x != static_cast<unsigned char>(y)) return false;
    }
    return true;
}

bool beginnt_ci(std::wstring_view a, const char* praefix) {
    const size_t n = std::string_view(praefix).size();
    return a.size() >= n && gleich_ci(a.substr(0, n), praefix);
}

std::wstring klein_text(std::wstring_view s) {
    std::wstring k(s);
    for (wchar_t& c : k)
        if (c >= L'A' && c <= L'Z') c += 0x20;
    return k;
}

// Camel-case names of SVG elements and attributes, keyed by lower case.
struct Anpassung {
    std::unordered_map<std::wstring, std::wstring_view> svg_elemente, svg_attribute;
    Anpassung() {
        static const wchar_t* const elemente[] = {
            L"altGlyph", L"altGlyphDef", L"altGlyphItem", L"animateColor", L"animateMotion", L"animateTransform",
            L"clipPath", L"feBlend", L"feColorMatrix", L"feComponentTransfer", L"feComposite",
            L"feConvolveMatrix", L"feDiffuseLighting", L"feDisplacementMap", L"feDistantLight", L"feDropShadow",
            L"feFlood", L"feFuncA", L"feFuncB", L"feFuncG", L"feFuncR", L"feGaussianBlur", L"feImage",
            L"feMerge", L"feMergeNode", L"feMorphology", L"feOffset", L"fePointLight", L"feSpecularLighting",
            L"feSpotLight", L"feTile", L"feTurbulence", L"foreignObject", L"glyphRef", L"linearGradient",
            L"radialGradient", L"textPath"};
        static const wchar_t* const attribute[] = {
            L"attributeName", L"attributeType", L"baseFrequency", L"baseProfile", L"calcMode", L"clipPathUnits",
            L"diffuseConstant", L"edgeMode", L"filterUnits", L"glyphRef", L"gradientTransform", L"gradientUnits",
            L"kernelMatrix", L"kernelUnitLength", L"keyPoints", L"keySplines", L"keyTimes", L"lengthAdjust",
            L"limitingConeAngle", L"markerHeight", L"markerUnits", L"markerWidth", L"maskContentUnits",
            L"maskUnits", L"numOctaves", L"pathLength", L"patternContentUnits", L"patternTransform",
            L"patternUnits", L"pointsAtX", L"pointsAtY", L"pointsAtZ", L"preserveAlpha", L"preserveAspectRatio",
            L"primitiveUnits", L"refX", L"refY", L"repeatCount", L"repeatDur", L"requiredExtensions",
            L"requiredFeatures", L"specularConstant", L"specularExponent", L"spreadMethod", L"startOffset",
            L"stdDeviation", L"stitchTiles", L"surfaceScale", L"systemLanguage", L"tableValues", L"targetX",
            L"targetY", L"textLength", L"viewBox", L"viewTarget", L"xChannelSelector", L"yChannelSelector",
            L"zoomAndPan"};
        for (const wchar_t* e : elemente) svg_elemente.emplace(klein_text(e), e);
        for (const wchar_t* a : attribute) svg_attribute.emplace(klein_text(a), a);
    }
};

const Anpassung& anpassung() {
    static const Anpassung a;
    return a;
}

struct FremdAttribut {
    const wchar_t* name;
    H5NS ns;
    const wchar_t* lokal;
};
constexpr FremdAttribut FREMDE_ATTRIBUTE[] = {
    {L"xlink:actuate", H5NS::XLINK, L"actuate"}, {L"xlink:arcrole", H5NS::XLINK, L"arcrole"},
    {L"xlink:href", H5NS::XLINK, L"href"},       {L"xlink:role", H5NS::XLINK, L"role"},
    {L"xlink:show", H5NS::XLINK, L"show"},       {L"xlink:title", H5NS::XLINK, L"title"},
    {L"xlink:type", H5NS::XLINK, L"type"},       {L"xml:lang", H5NS::XML, L"lang"},
    {L"xml:space", H5NS::XML, L"space"},         {L"xmlns", H5NS::XMLNS, L"xmlns"},
    {L"xmlns:xlink", H5NS::XMLNS, L"xlink"}};

// Public identifiers of the DOCTYPE that select quirks mode by prefix.
// (Narrow literals: ASCII, compared without case to the wide identifier.)
constexpr const char* QUIRKS_PRAEFIXE[] = {
    "+//Silmaril//dtd html Pro v0r11 19970101//", "-//AS//DTD HTML 3.0 asWedit + extensions//",
    "-//AdvaSoft Ltd//DTD HTML 3.0 asWedit + extensions//", "-//IETF//DTD HTML 2.0 Level 1//",
    "-//IETF//DTD HTML 2.0 Level 2//", "-//IETF//DTD HTML 2.0 Strict Level 1//",
    "-//IETF//DTD HTML 2.0 Strict Level 2//", "-//IETF//DTD HTML 2.0 Strict//", "-//IETF//DTD HTML 2.0//",
    "-//IETF//DTD HTML 2.1E//", "-//IETF//DTD HTML 3.0//", "-//IETF//DTD HTML 3.2 Final//",
    "-//IETF//DTD HTML 3.2//", "-//IETF//DTD HTML 3//", "-//IETF//DTD HTML Level 0//",
    "-//IETF//DTD HTML Level 1//", "-//IETF//DTD HTML Level 2//", "-//IETF//DTD HTML Level 3//",
    "-//IETF//DTD HTML Strict Level 0//", "-//IETF//DTD HTML Strict Level 1//",
    "-//IETF//DTD HTML Strict Level 2//", "-//IETF//DTD HTML Strict Level 3//", "-//IETF//DTD HTML Strict//",
    "-//IETF//DTD HTML//", "-//Metrius//DTD Metrius Presentational//",
    "-//Microsoft//DTD Internet Explorer 2.0 HTML Strict//", "-//Microsoft//DTD Internet Explorer 2.0 HTML//",
    "-//Microsoft//DTD Internet Explorer 2.0 Tables//", "-//Microsoft//DTD Internet Explorer 3.0 HTML Strict//",
    "-//Microsoft//DTD Internet Explorer 3.0 HTML//", "-//Microsoft//DTD Internet Explorer 3.0 Tables//",
    "-//Netscape Comm. Corp.//DTD HTML//", "-//Netscape Comm. Corp.//DTD Strict HTML//",
    "-//O'Reilly and Associates//DTD HTML 2.0//", "-//O'Reilly and Associates//DTD HTML Extended 1.0//",
    "-//O'Reilly and Associates//DTD HTML Extended Relaxed 1.0//",
    "-//SQ//DTD HTML 2.0 HoTMetaL + extensions//",
    "-//SoftQuad Software//DTD HoTMetaL PRO 6.0::19990601::extensions to HTML 4.0//",
    "-//SoftQuad//DTD HoTMetaL PRO 4.0::19971010::extensions to HTML 4.0//",
    "-//Spyglass//DTD HTML 2.0 Extended//", "-//Sun Microsystems Corp.//DTD HotJava HTML//",
    "-//Sun Microsystems Corp.//DTD HotJava Strict HTML//", "-//W3C//DTD HTML 3 1995-03-24//",
    "-//W3C//DTD HTML 3.2 Draft//", "-//W3C//DTD HTML 3.2 Final//", "-//W3C//DTD HTML 3.2//",
    "-//W3C//DTD HTML 3.2S Draft//", "-//W3C//DTD HTML 4.0 Frameset//", "-//W3C//DTD HTML 4.0 Transitional//",
    "-//W3C//DTD HTML Experimental 19960712//", "-//W3C//DTD HTML Experimental 970421//",
    "-//W3C//DTD W3 HTML//", "-//W3O//DTD W3 HTML 3.0//", "-//WebTechs//DTD Mozilla HTML 2.0//",
    "-//WebTechs//DTD Mozilla HTML//"};

const H5ATTRIBUT* attribut(const H5TOK& t, std::wstring_view name) {
    for (size_t i = 0; i < t.anzahl; ++i)
        if (t.attribute[i].name == name) return &t.attribute[i];
    return nullptr;
}

uint32_t streuwert(std::wstring_view s) {
    uint32_t h = 2166136261u;
    for (wchar_t c : s) h = (h ^ static_cast<uint32_t>(c)) * 16777619u;
    return h;
}

}  // namespace

// ---------------------------------------------------------------- Set-up

H5BAUM::H5BAUM(H5SENKE* s) : senke(s) { zaehler.assign(A_BEKANNT, 0); }

size_t H5BAUM::speicher() const {
    return stapel.capacity() * sizeof(Offen) + zaehler.capacity() * 4 + aktiv.capacity() * sizeof(Aktiv) +
           aktiv_attr.capacity() * sizeof(FAttr) + aktiv_text.capacity() * sizeof(wchar_t) +
           tabtext.capacity() * 8 + attr_tmp.capacity() * sizeof(H5ATTRIBUT) + namen_.speicher() +
           template_modi.capacity();
}

void H5BAUM::fragment(std::wstring_view kontext_name, H5NS ns) {
    ist_fragment = true;
    kontext = Offen{-1, namen_.atom(kontext_name), ns, false, 0};
}

void H5BAUM::lesen(H5TOKEN& t) {
    tok = &t;
    if (ist_fragment) {
        H5ELEMENT e{namen_.name(A_HTML), A_HTML, H5NS::HTML, nullptr, 0, nullptr, nullptr, 0};
        wurzel_ = senke->element(e);
        senke->anhaengen(0, wurzel_);
        push(wurzel_, A_HTML, H5NS::HTML);
        if (kontext.ns == H5NS::HTML) {
            switch (kontext.atom) {
            case A_TITLE:
            case A_TEXTAREA: t.zustand_setzen(H5TOKEN::RCDATA); break;
            case A_STYLE:
            case A_XMP:
            case A_IFRAME:
            case A_NOEMBED:
            case A_NOFRAMES: t.zustand_setzen(H5TOKEN::RAWTEXT); break;
            case A_SCRIPT: t.zustand_setzen(H5TOKEN::SKRIPT); break;
            case A_NOSCRIPT:
                if (skript_an) t.zustand_setzen(H5TOKEN::RAWTEXT);
                break;
            case A_PLAINTEXT: t.zustand_setzen(H5TOKEN::PLAINTEXT); break;
            default: break;
            }
            t.letzter_starttag(namen_.name(kontext.atom));
        }
        if (ist(kontext, A_TEMPLATE)) template_modi.push_back(IN_TEMPLATE);
        modus_zuruecksetzen();
    }
    H5TOK x;
    while (!gestoppt && t.naechstes(x)) {
        token(x);
        const Offen* a = angepasst();
        t.cdata_erlauben(a && a->ns != H5NS::HTML);
        if (x.art == H5ART::DATEIENDE) break;
    }
    if (!gestoppt) beenden();
}

// ---------------------------------------------------------------- Dispatch

void H5BAUM::token(H5TOK& t) {
    tok_stelle = t.von;
    size_t anfang = 0;
    if (lf_weg) {
        lf_weg = false;
        if (t.art == H5ART::ZEICHEN && t.laenge > 0 && t.text[0] == L'\n') anfang = 1;
    }
    if (t.art == H5ART::ZEICHEN) {
        lauf = t;
        zeichen(anfang);
        return;
    }
    akt_tok = &t;
    akt_atom = (t.art == H5ART::START || t.art == H5ART::ENDE) ? namen_.atom(t.name()) : -1;
    for (int runde = 0; runde < 1000; ++runde) {
        const bool nochmal = html_regeln(t) ? nach_modus(t, modus) : fremd(t);
        if (!nochmal || gestoppt) break;
    }
    akt_tok = nullptr;
}

const H5BAUM::Offen* H5BAUM::angepasst() const {
    if (stapel.empty()) return nullptr;
    if (ist_fragment && stapel.size() == 1) return &kontext;
    return &stapel.back();
}

bool H5BAUM::mathml_text_ip(const Offen& e) {
    return e.ns == H5NS::MATHML &&
           (e.atom == A_MI || e.atom == A_MO || e.atom == A_MN || e.atom == A_MS || e.atom == A_MTEXT);
}

bool H5BAUM::html_ip(const Offen& e) {
    if (e.ns == H5NS::MATHML) return e.atom == A_ANNOTATION_XML && e.integration;
    return e.ns == H5NS::SVG && (e.atom == A_FOREIGNOBJECT || e.atom == A_DESC || e.atom == A_TITLE);
}

bool H5BAUM::html_regeln(const H5TOK& t) const {
    const Offen* a = angepasst();
    if (!a || a->ns == H5NS::HTML || t.art == H5ART::DATEIENDE) return true;
    if (t.art == H5ART::START) {
        if (mathml_text_ip(*a) && akt_atom != A_MGLYPH && akt_atom != A_MALIGNMARK) return true;
        if (a->ns == H5NS::MATHML && a->atom == A_ANNOTATION_XML && akt_atom == A_SVG) return true;
        if (html_ip(*a)) return true;
    }
    return false;
}

bool H5BAUM::nach_modus(H5TOK& t, Modus m) {
    switch (m) {
    case INITIAL: return initial(t);
    case VOR_HTML: return vor_html(t);
    case VOR_HEAD: return vor_head(t);
    case IN_HEAD: return in_head(t);
    case IN_HEAD_NOSCRIPT: return in_head_noscript(t);
    case NACH_HEAD: return nach_head(t);
    case IN_BODY: return in_body(t);
    case TEXT: return text_modus(t);
    case IN_TABLE: return in_table(t);
    case IN_TABLE_TEXT: return in_table_text(t);
    case IN_CAPTION: return in_caption(t);
    case IN_COLGROUP: return in_colgroup(t);
    case IN_TBODY: return in_tbody(t);
    case IN_ROW: return in_row(t);
    case IN_CELL: return in_cell(t);
    case IN_SELECT: return in_select(t);
    case IN_SELECT_IN_TABLE: return in_select_in_table(t);
    case IN_TEMPLATE: return in_template(t);
    case NACH_BODY: return nach_body(t);
    case IN_FRAMESET: return in_frameset(t);
    case NACH_FRAMESET: return nach_frameset(t);
    case NACH_NACH_BODY: return nach_nach_body(t);
    case NACH_NACH_FRAMESET: return nach_nach_frameset(t);
    }
    return false;
}

// ---------------------------------------------------------------- Characters

void H5BAUM::zeichen(size_t anfang) {
    const wchar_t* s = lauf.text + anfang;
    size_t n = lauf.laenge - anfang;
    for (int leerlauf = 0; n > 0 && !gestoppt;) {
        const Offen* a = angepasst();
        const bool html = !a || a->ns == H5NS::HTML || mathml_text_ip(*a) || html_ip(*a);
        const size_t k = html ? zeichen_modus(s, n, modus) : zeichen_fremd(s, n);
        s += k;
        n -= k;
        // Mode changes consume nothing; they cannot loop for ever.
        leerlauf = k ? 0 : leerlauf + 1;
        if (leerlauf > 100) break;
    }
}

void H5BAUM::text_einfuegen(const wchar_t* s, size_t n) {
    const Ort ort = einfuegeort();
    if (ort.eltern == 0) return;  // no text in the document itself
    const size_t o = static_cast<size_t>(s - lauf.text);
    // The replacements that touch [o, o + n) (empty ones only inside).
    const H5ERSATZ* r = lauf.ersetzungen;
    const H5ERSATZ* e = r + lauf.anzahl_ersetzungen;
    r = std::lower_bound(r, e, o, [](const H5ERSATZ& x, size_t w) { return x.text_bis <= w; });
    const H5ERSATZ* z = r;
    while (z < e && z->text_von < o + n) ++z;
    const H5TEXT t{{s, n}, lauf.quelle_an(o), lauf.quelle_nach(o + n), r, static_cast<size_t>(z - r), o};
    senke->text(ort.eltern, ort.vor, t);
}

void H5BAUM::text_ersatz(size_t o) {
    const Ort ort = einfuegeort();
    if (ort.eltern == 0) return;
    static const wchar_t ersatz = 0xFFFD;
    const H5ERSATZ x{0, 1, lauf.quelle_an(o), lauf.quelle_nach(o + 1)};
    const H5TEXT t{{&ersatz, 1}, x.quelle_von, x.quelle_bis, &x, 1, 0};
    senke->text(ort.eltern, ort.vor, t);
}

void H5BAUM::body_zeichen(const wchar_t* s, size_t n) {
    size_t i = 0;
    while (i < n) {
        if (s[i] == 0) {
            fehler("unexpected-null-character");
            ++i;
            continue;
        }
        size_t j = i;
        bool nur_leer = true;
        while (j < n && s[j] != 0) {
            if (nur_leer && !leer(s[j])) nur_leer = false;
            ++j;
        }
        rekonstruieren();
        text_einfuegen(s + i, j - i);
        if (!nur_leer) frameset_ok = false;
        i = j;
    }
}

size_t H5BAUM::zeichen_fremd(const wchar_t* s, size_t n) {
    if (s[0] == 0) {
        fehler("unexpected-null-character");
        text_ersatz(static_cast<size_t>(s - lauf.text));
        return 1;
    }
    size_t j = 0;
    bool nur_leer = true;
    while (j < n && s[j] != 0) {
        if (nur_leer && !leer(s[j])) nur_leer = false;
        ++j;
    }
    text_einfuegen(s, j);
    if (!nur_leer) frameset_ok = false;
    return j;
}

size_t H5BAUM::zeichen_modus(const wchar_t* s, size_t n, Modus m) {
    const size_t k = leer_praefix(s, n);
    switch (m) {
    case INITIAL:
        if (k) return k;
        fehler("expected-doctype-but-got-chars");
        dok_modus = H5MODUS::QUIRKS;
        senke->modus(dok_modus);
        modus = VOR_HTML;
        return 0;
    case VOR_HTML:
        if (k) return k;
        {
            const int h = erzeugen(nullptr, A_HTML, H5NS::HTML, nullptr, 0);
            senke->anhaengen(0, h);
            push(h, A_HTML, H5NS::HTML);
        }
        modus = VOR_HEAD;
        return 0;
    case VOR_HEAD:
        if (k) return k;
        head = einfuegen_implizit(A_HEAD);
        modus = IN_HEAD;
        return 0;
    case IN_HEAD:
        if (k) {
            text_einfuegen(s, k);
            return k;
        }
        pop();
        modus = NACH_HEAD;
        return 0;
    case IN_HEAD_NOSCRIPT:
        if (k) {
            text_einfuegen(s, k);
            return k;
        }
        fehler("unexpected-char-in-noscript");
        pop();
        modus = IN_HEAD;
        return 0;
    case NACH_HEAD:
        if (k) {
            text_einfuegen(s, k);
            return k;
        }
        einfuegen_implizit(A_BODY);
        modus = IN_BODY;
        return 0;
    case IN_BODY:
    case IN_CAPTION:
    case IN_CELL:
    case IN_TEMPLATE:
        body_zeichen(s, n);
        return n;
    case TEXT:
        text_einfuegen(s, n);
        return n;
    case IN_TABLE:
    case IN_TBODY:
    case IN_ROW: {
        const Offen& c = aktuell();
        if (c.ns == H5NS::HTML && (c.atom == A_TABLE || c.atom == A_TBODY || c.atom == A_TEMPLATE ||
                                   c.atom == A_TFOOT || c.atom == A_THEAD || c.atom == A_TR)) {
            tabtext.clear();
            tabtext_nicht_leer = false;
            urspruenglich = modus;
            modus = IN_TABLE_TEXT;
            return 0;
        }
        fehler("unexpected-char-in-table");
        pflege = true;
        body_zeichen(s, n);
        pflege = false;
        return n;
    }
    case IN_TABLE_TEXT:
        for (size_t i = 0; i < n;) {
            if (s[i] == 0) {
                fehler("unexpected-null-character");
                ++i;
                continue;
            }
            size_t j = i;
            while (j < n && s[j] != 0) {
                if (!leer(s[j])) tabtext_nicht_leer = true;
                ++j;
            }
            tabtext.emplace_back(static_cast<uint32_t>(s + i - lauf.text), static_cast<uint32_t>(j - i));
            i = j;
        }
        return n;
    case IN_COLGROUP:
        if (k) {
            text_einfuegen(s, k);
            return k;
        }
        if (!aktuell_ist(A_COLGROUP)) {
            fehler("unexpected-char-in-colgroup");
            return 1;
        }
        pop();
        modus = IN_TABLE;
        return 0;
    case IN_SELECT:
    case IN_SELECT_IN_TABLE: {
        if (s[0] == 0) {
            fehler("unexpected-null-character");
            return 1;
        }
        size_t j = 0;
        while (j < n && s[j] != 0) ++j;
        text_einfuegen(s, j);
        return j;
    }
    case NACH_BODY:
    case NACH_NACH_BODY:
        if (k) {
            body_zeichen(s, k);
            return k;
        }
        fehler("unexpected-char-after-body");
        modus = IN_BODY;
        return 0;
    case IN_FRAMESET:
    case NACH_FRAMESET:
    case NACH_NACH_FRAMESET: {
        if (k) {
            if (m == NACH_NACH_FRAMESET) body_zeichen(s, k);
            else text_einfuegen(s, k);
            return k;
        }
        size_t j = 0;
        while (j < n && !leer(s[j])) ++j;
        fehler("unexpected-char-in-frameset");
        return j;
    }
    }
    return n;
}

// ---------------------------------------------------------------- Nodes

H5BAUM::Ort H5BAUM::einfuegeort(const Offen* ziel) {
    const Offen& z = ziel ? *ziel : aktuell();
    if (pflege && z.ns == H5NS::HTML &&
        (z.atom == A_TABLE || z.atom == A_TBODY || z.atom == A_TFOOT || z.atom == A_THEAD || z.atom == A_TR)) {
        long lt = -1, lb = -1;
        for (long i = static_cast<long>(stapel.size()) - 1; i >= 0; --i) {
            if (lt < 0 && ist(stapel[i], A_TEMPLATE)) lt = i;
            if (lb < 0 && ist(stapel[i], A_TABLE)) lb = i;
            if (lb >= 0 && (lt >= 0 || !im_stapel(A_TEMPLATE))) break;
        }
        if (lt >= 0 && (lb < 0 || lt > lb)) return flach({stapel[lt].knoten, 0}, ziel);
        if (lb < 0) return flach({stapel[0].knoten, 0}, ziel);
        const int e = senke->eltern(stapel[lb].knoten);
        if (e >= 0) return flach({e, stapel[lb].knoten}, ziel);
        return flach({stapel[lb - 1].knoten, 0}, ziel);
    }
    return flach({z.knoten, 0}, ziel);
}

// Past TIEFE_GRENZE open elements a node goes beside the element it would
// go into, as browsers build such pages: 100,000 unclosed <b> become a
// run of siblings instead of a tree that no walk could descend, and every
// element and character stays, in order. The adoption agency's own place
// (ziel) is left as it is.
H5BAUM::Ort H5BAUM::flach(Ort o, const Offen* ziel) const {
    if (ziel != nullptr || stapel.size() <= TIEFE_GRENZE || o.vor != 0) return o;
    const int e = senke->eltern(o.eltern);
    if (e > 0) o.eltern = e;
    return o;
}

void H5BAUM::platzieren(int knoten, Ort o) {
    if (o.vor) senke->einfuegen_vor(o.eltern, knoten, o.vor);
    else senke->anhaengen(o.eltern, knoten);
}

int H5BAUM::erzeugen(const H5TOK* t, int32_t atom, H5NS ns, const H5ATTRIBUT* a, size_t n, int vorlage,
                     const wchar_t* von, const wchar_t* bis) {
    if (t) {
        von = t->von;
        bis = t->bis;
    }
    const H5ELEMENT e{namen_.name(atom), atom, ns, a, n, von, bis, vorlage};
    return senke->element(e);
}

int H5BAUM::einfuegen(const H5TOK& t, int32_t atom) {
    const Ort o = einfuegeort();
    const int k = erzeugen(&t, atom, H5NS::HTML, t.attribute, t.anzahl);
    platzieren(k, o);
    push(k, atom, H5NS::HTML);
    return k;
}

int H5BAUM::einfuegen_implizit(int32_t atom) {
    const Ort o = einfuegeort();
    const int k = erzeugen(nullptr, atom, H5NS::HTML, nullptr, 0);
    platzieren(k, o);
    push(k, atom, H5NS::HTML);
    return k;
}

void H5BAUM::attribute_anpassen(const H5TOK& t, H5NS ns) {
    attr_tmp.assign(t.attribute, t.attribute + t.anzahl);
    const Anpassung& an = anpassung();
    for (H5ATTRIBUT& a : attr_tmp) {
        if (ns == H5NS::SVG) {
            auto f = an.svg_attribute.find(std::wstring(a.name));
            if (f != an.svg_attribute.end()) a.name = f->second;
        } else if (ns == H5NS::MATHML && a.name == L"definitionurl") {
            a.name = L"definitionURL";
        }
        if (a.name.size() >= 5 && (a.name[0] == L'x'))
            for (const FremdAttribut& f : FREMDE_ATTRIBUTE)
                if (a.name == f.name) {
                    a.name = f.lokal;
                    a.ns = f.ns;
                    break;
                }
    }
}

int H5BAUM::einfuegen_fremd(const H5TOK& t, H5NS ns) {
    int32_t atom = akt_atom;
    if (ns == H5NS::SVG) {
        const auto& el = anpassung().svg_elemente;
        auto f = el.find(std::wstring(t.name()));
        if (f != el.end()) atom = namen_.atom(f->second);
    }
    attribute_anpassen(t, ns);
    bool integration = false;
    if (ns == H5NS::MATHML && atom == A_ANNOTATION_XML) {
        const H5ATTRIBUT* enc = attribut(t, L"encoding");
        integration = enc && (gleich_ci(enc->wert, L"text/html") || gleich_ci(enc->wert, L"application/xhtml+xml"));
    }
    const Ort o = einfuegeort();
    const int k = erzeugen(&t, atom, ns, attr_tmp.data(), attr_tmp.size());
    platzieren(k, o);
    push(k, atom, ns, integration);
    return k;
}

void H5BAUM::kommentar_einfuegen(const H5TOK& t, int eltern) {
    if (eltern < 0) eltern = einfuegeort().eltern;
    senke->kommentar(eltern, t.name(), t.von, t.bis);
}

void H5BAUM::rohtext(const H5TOK& t, H5TOKEN::Zustand z) {
    einfuegen(t, akt_atom);
    tok->zustand_setzen(z);
    urspruenglich = modus;
    modus = TEXT;
}

// ---------------------------------------------------------------- Stack

void H5BAUM::push(int knoten, int32_t atom, H5NS ns, bool integration) {
    stapel.push_back({knoten, atom, ns, integration, ++serie_zaehler});
    if (ns == H5NS::HTML) {
        if (atom >= static_cast<int32_t>(zaehler.size())) zaehler.resize(atom + 1, 0);
        ++zaehler[atom];
    }
    if (stapel.size() > tiefe_max) tiefe_max = stapel.size();
}

void H5BAUM::pop(bool mit_ende) {
    const Offen e = stapel.back();
    stapel.pop_back();
    if (e.ns == H5NS::HTML) --zaehler[e.atom];
    if (mit_ende && akt_tok && akt_tok->art == H5ART::ENDE) senke->schliessen(e.knoten, akt_tok->von, akt_tok->bis);
    else senke->schliessen(e.knoten, nullptr, nullptr);
}

void H5BAUM::pop_bis(int32_t atom) {
    const bool ende = akt_tok && akt_tok->art == H5ART::ENDE && akt_atom == atom;
    while (!stapel.empty()) {
        const bool treffer = ist(stapel.back(), atom);
        pop(treffer && ende);
        if (treffer) break;
    }
}

void H5BAUM::pop_bis_ueberschrift() {
    while (!stapel.empty()) {
        const Offen& e = stapel.back();
        const bool treffer = e.ns == H5NS::HTML && e.atom >= A_H1 && e.atom <= A_H6;
        pop(treffer);
        if (treffer) break;
    }
}

void H5BAUM::stapel_entfernen(size_t i, bool melden) {
    const Offen e = stapel[i];
    ++mitte_epoche;
    stapel.erase(stapel.begin() + static_cast<long>(i));
    if (e.ns == H5NS::HTML) --zaehler[e.atom];
    if (melden) senke->schliessen(e.knoten, nullptr, nullptr);
}

void H5BAUM::stapel_einfuegen(size_t i, const Offen& e) {
    ++mitte_epoche;
    stapel.insert(stapel.begin() + static_cast<long>(i), e);
    stapel[i].serie = ++serie_zaehler;
    if (e.ns == H5NS::HTML) {
        if (e.atom >= static_cast<int32_t>(zaehler.size())) zaehler.resize(e.atom + 1, 0);
        ++zaehler[e.atom];
    }
    if (stapel.size() > tiefe_max) tiefe_max = stapel.size();
}

long H5BAUM::stapel_index(int knoten) const {
    for (long i = static_cast<long>(stapel.size()) - 1; i >= 0; --i)
        if (stapel[i].knoten == knoten) return i;
    return -1;
}

bool H5BAUM::speziell(const Offen& e) const {
    if (e.ns == H5NS::MATHML)
        return e.atom == A_MI || e.atom == A_MO || e.atom == A_MN || e.atom == A_MS || e.atom == A_MTEXT ||
               e.atom == A_ANNOTATION_XML;
    if (e.ns == H5NS::SVG) return e.atom == A_FOREIGNOBJECT || e.atom == A_DESC || e.atom == A_TITLE;
    switch (e.atom) {
    case A_ADDRESS: case A_APPLET: case A_AREA: case A_ARTICLE: case A_ASIDE: case A_BASE: case A_BASEFONT:
    case A_BGSOUND: case A_BLOCKQUOTE: case A_BODY: case A_BR: case A_BUTTON: case A_CAPTION: case A_CENTER:
    case A_COL: case A_COLGROUP: case A_DD: case A_DETAILS: case A_DIR: case A_DIV: case A_DL: case A_DT:
    case A_EMBED: case A_FIELDSET: case A_FIGCAPTION: case A_FIGURE: case A_FOOTER: case A_FORM: case A_FRAME:
    case A_FRAMESET: case A_H1: case A_H2: case A_H3: case A_H4: case A_H5: case A_H6: case A_HEAD:
    case A_HEADER: case A_HGROUP: case A_HR: case A_HTML: case A_IFRAME: case A_IMG: case A_INPUT:
    case A_KEYGEN: case A_LI: case A_LINK: case A_LISTING: case A_MAIN: case A_MARQUEE: case A_MENU:
    case A_META: case A_NAV: case A_NOEMBED: case A_NOFRAMES: case A_NOSCRIPT: case A_OBJECT: case A_OL:
    case A_P: case A_PARAM: case A_PLAINTEXT: case A_PRE: case A_SCRIPT: case A_SEARCH: case A_SECTION:
    case A_SELECT: case A_SOURCE: case A_STYLE: case A_SUMMARY: case A_TABLE: case A_TBODY: case A_TD:
    case A_TEMPLATE: case A_TEXTAREA: case A_TFOOT: case A_TH: case A_THEAD: case A_TITLE: case A_TR:
    case A_TRACK: case A_UL: case A_WBR: case A_XMP:
        return true;
    default:
        return false;
    }
}

bool H5BAUM::grenze(const Offen& e, Bereich b) const {
    if (b == AUSWAHL) return !(ist(e, A_OPTGROUP) || ist(e, A_OPTION));
    if (e.ns == H5NS::HTML) {
        switch (e.atom) {
        case A_HTML: case A_TABLE: case A_TEMPLATE: return true;
        case A_APPLET: case A_CAPTION: case A_TD: case A_TH: case A_MARQUEE: case A_OBJECT: return b != TABELLE;
        case A_OL: case A_UL: return b == LISTE;
        case A_BUTTON: return b == KNOPF;
        default: return false;
        }
    }
    if (b == TABELLE) return false;
    if (e.ns == H5NS::MATHML)
        return e.atom == A_MI || e.atom == A_MO || e.atom == A_MN || e.atom == A_MS || e.atom == A_MTEXT ||
               e.atom == A_ANNOTATION_XML;
    return e.atom == A_FOREIGNOBJECT || e.atom == A_DESC || e.atom == A_TITLE;
}

bool H5BAUM::im_bereich(int32_t atom, Bereich b) {
    if (!im_stapel(atom)) return false;
    if (b == AUSWAHL) {  // almost every element is a boundary here
        for (long i = static_cast<long>(stapel.size()) - 1; i >= 0; --i) {
            if (ist(stapel[i], atom)) return true;
            if (grenze(stapel[i], b)) return false;
        }
        return false;
    }
    return suchen_bis_grenze(atom, b) >= 0;
}

long H5BAUM::suchen_bis_grenze(int32_t atom, Bereich b, long* grenze_bei) {
    // A walk from the top that ends at a boundary below which the element
    // lies would be repeated for each token of a deep page; the boundary
    // found is kept, and a later walk looks only at the entries pushed since.
    const auto halt = [&](const Offen& e) {
        return b == SPEZIELL ? speziell(e) : b == FREMD ? e.ns == H5NS::HTML : grenze(e, b);
    };
    const auto treffer = [&](const Offen& e) {
        return b == FREMD ? e.ns != H5NS::HTML && namen_.klein(e.atom) == atom : ist(e, atom);
    };
    const uint64_t schluessel = (static_cast<uint64_t>(static_cast<uint32_t>(atom)) << 3) | b;
    if (grenze_bei) *grenze_bei = -1;
    long unten = -1;  // entries at and below unten: known to end at the boundary
    auto s = sperren.find(schluessel);
    if (s != sperren.end()) {
        const Sperre& x = s->second;
        if (x.epoche == mitte_epoche && x.index < stapel.size() && stapel[x.index].serie == x.serie)
            unten = static_cast<long>(x.index);
    }
    for (long i = static_cast<long>(stapel.size()) - 1; i >= 0; --i) {
        const Offen& e = stapel[i];
        if (unten >= 0 && e.serie <= sperren[schluessel].oben) {
            sperren[schluessel].oben = stapel.back().serie;
            if (grenze_bei) *grenze_bei = unten;
            return -1;
        }
        if (treffer(e)) return i;
        if (halt(e)) {
            sperren[schluessel] = Sperre{mitte_epoche, static_cast<uint32_t>(i), e.serie, stapel.back().serie};
            if (grenze_bei) *grenze_bei = i;
            return -1;
        }
    }
    return -1;
}

bool H5BAUM::knoten_im_bereich(int knoten, Bereich b) const {
    for (long i = static_cast<long>(stapel.size()) - 1; i >= 0; --i) {
        if (stapel[i].knoten == knoten) return true;
        if (grenze(stapel[i], b)) return false;
    }
    return false;
}

bool H5BAUM::ueberschrift_im_bereich() const {
    if (!(im_stapel(A_H1) || im_stapel(A_H2) || im_stapel(A_H3) || im_stapel(A_H4) || im_stapel(A_H5) ||
          im_stapel(A_H6)))
        return false;
    for (long i = static_cast<long>(stapel.size()) - 1; i >= 0; --i) {
        const Offen& e = stapel[i];
        if (e.ns == H5NS::HTML && e.atom >= A_H1 && e.atom <= A_H6) return true;
        if (grenze(e, STANDARD)) return false;
    }
    return false;
}

bool H5BAUM::zelle_im_bereich() const {
    if (!im_stapel(A_TD) && !im_stapel(A_TH)) return false;
    for (long i = static_cast<long>(stapel.size()) - 1; i >= 0; --i) {
        const Offen& e = stapel[i];
        if (ist(e, A_TD) || ist(e, A_TH)) return true;
        if (grenze(e, TABELLE)) return false;
    }
    return false;
}

void H5BAUM::implizite_enden(int32_t ausser) {
    while (!stapel.empty()) {
        const Offen& e = stapel.back();
        if (e.ns != H5NS::HTML || e.atom == ausser) return;
        switch (e.atom) {
        case A_DD: case A_DT: case A_LI: case A_OPTGROUP: case A_OPTION: case A_P: case A_RB: case A_RP:
        case A_RT: case A_RTC:
            pop();
            break;
        default:
            return;
        }
    }
}

void H5BAUM::implizite_enden_gruendlich() {
    while (!stapel.empty()) {
        const Offen& e = stapel.back();
        if (e.ns != H5NS::HTML) return;
        switch (e.atom) {
        case A_DD: case A_DT: case A_LI: case A_OPTGROUP: case A_OPTION: case A_P: case A_RB: case A_RP:
        case A_RT: case A_RTC: case A_CAPTION: case A_COLGROUP: case A_TBODY: case A_TD: case A_TFOOT:
        case A_TH: case A_THEAD: case A_TR:
            pop();
            break;
        default:
            return;
        }
    }
}

void H5BAUM::p_schliessen() {
    implizite_enden(A_P);
    if (!aktuell_ist(A_P)) fehler("unexpected-end-tag");
    pop_bis(A_P);
}

void H5BAUM::modus_zuruecksetzen() {
    for (long i = static_cast<long>(stapel.size()) - 1; i >= 0; --i) {
        const bool letzter = i == 0;
        const Offen& e = (letzter && ist_fragment) ? kontext : stapel[i];
        if (e.ns == H5NS::HTML) {
            switch (e.atom) {
            case A_SELECT:
                if (!letzter)
                    for (long j = i - 1; j >= 0; --j) {
                        if (ist(stapel[j], A_TEMPLATE)) break;
                        if (ist(stapel[j], A_TABLE)) {
                            modus = IN_SELECT_IN_TABLE;
                            return;
                        }
                    }
                modus = IN_SELECT;
                return;
            case A_TD:
            case A_TH:
                if (!letzter) {
                    modus = IN_CELL;
                    return;
                }
                break;
            case A_TR: modus = IN_ROW; return;
            case A_TBODY: case A_THEAD: case A_TFOOT: modus = IN_TBODY; return;
            case A_CAPTION: modus = IN_CAPTION; return;
            case A_COLGROUP: modus = IN_COLGROUP; return;
            case A_TABLE: modus = IN_TABLE; return;
            case A_TEMPLATE: modus = template_modi.empty() ? IN_BODY : template_modi.back(); return;
            case A_HEAD:
                if (!letzter) {
                    modus = IN_HEAD;
                    return;
                }
                break;
            case A_BODY: modus = IN_BODY; return;
            case A_FRAMESET: modus = IN_FRAMESET; return;
            case A_HTML: modus = head == 0 ? VOR_HEAD : NACH_HEAD; return;
            default: break;
            }
        }
        if (letzter) {
            modus = IN_BODY;
            return;
        }
    }
    modus = IN_BODY;
}

void H5BAUM::zurueck_zu_tabelle() {
    while (!(aktuell_ist(A_TABLE) || aktuell_ist(A_TEMPLATE) || aktuell_ist(A_HTML))) pop();
}

void H5BAUM::zurueck_zu_tbody() {
    while (!(aktuell_ist(A_TBODY) || aktuell_ist(A_TFOOT) || aktuell_ist(A_THEAD) || aktuell_ist(A_TEMPLATE) ||
             aktuell_ist(A_HTML)))
        pop();
}

void H5BAUM::zurueck_zu_zeile() {
    while (!(aktuell_ist(A_TR) || aktuell_ist(A_TEMPLATE) || aktuell_ist(A_HTML))) pop();
}

void H5BAUM::zelle_schliessen() {
    implizite_enden();
    if (!(aktuell_ist(A_TD) || aktuell_ist(A_TH))) fehler("unexpected-cell-end");
    while (!stapel.empty()) {
        const bool treffer = aktuell_ist(A_TD) || aktuell_ist(A_TH);
        pop();
        if (treffer) break;
    }
    bis_marker_leeren();
    modus = IN_ROW;
}

// ---------------------------------------------------------------- Formatting elements

bool H5BAUM::aktiv_im_stapel(Aktiv& a) {
    if (a.pos < stapel.size() && stapel[a.pos].knoten == a.knoten) return true;
    const long i = stapel_index(a.knoten);
    if (i < 0) return false;
    a.pos = static_cast<uint32_t>(i);
    return true;
}

bool H5BAUM::attr_gleich(const Aktiv& a, const H5TOK& t) const {
    if (a.attr_anzahl != t.anzahl) return false;
    for (uint32_t i = 0; i < a.attr_anzahl; ++i) {
        const FAttr& f = aktiv_attr[a.attr_anfang + i];
        const std::wstring_view n(aktiv_text.data() + f.name_off, f.name_len);
        const std::wstring_view w(aktiv_text.data() + f.wert_off, f.wert_len);
        const H5ATTRIBUT* x = attribut(t, n);
        if (!x || x->wert != w) return false;
    }
    return true;
}

void H5BAUM::aktiv_push(const H5TOK& t, int knoten, int32_t atom) {
    // Noah's Ark: at most three equal entries after the last marker.
    uint32_t sig = static_cast<uint32_t>(atom) * 31u + static_cast<uint32_t>(t.anzahl);
    for (size_t i = 0; i < t.anzahl; ++i)
        sig += streuwert(t.attribute[i].name) ^ (streuwert(t.attribute[i].wert) * 7u);
    int gleich = 0;
    long erste = -1;
    // Fewer than three entries with this signature in the whole list: no
    // scan (a list of many different elements stays linear).
    auto z = sig_zahl.find(sig);
    const bool suchen = z != sig_zahl.end() && z->second >= 3;
    for (long i = static_cast<long>(aktiv.size()) - 1; suchen && i >= 0 && aktiv[i].knoten != 0; --i) {
        const Aktiv& a = aktiv[i];
        if (a.sig == sig && a.atom == atom && attr_gleich(a, t)) {
            ++gleich;
            erste = i;
            if (gleich == 3) break;
        }
    }
    if (gleich >= 3) aktiv_entfernen(static_cast<size_t>(erste));
    // At most AKTIV_GRENZE entries after the last marker: each reconstruction
    // copies the entries that are not open, so many different formatting
    // elements left open (<p><b x=1><p><b x=2>...) would make the tree grow
    // with the square of the input. The oldest entry goes, as for Noah's Ark.
    if (aktiv.size() >= AKTIV_GRENZE) {
        long i = static_cast<long>(aktiv.size()) - 1;
        size_t n = 0;
        while (i >= 0 && aktiv[i].knoten != 0) --i, ++n;
        if (n >= AKTIV_GRENZE) {
            fehler("too-many-active-formatting-elements");
            aktiv_entfernen(static_cast<size_t>(i + 1));
        }
    }
    if (aktiv_text.size() > 65536 && aktiv_text.size() > 4 * aktiv_text_lebend) aktiv_verdichten();
    Aktiv a{knoten, atom, static_cast<uint32_t>(aktiv_attr.size()), static_cast<uint32_t>(t.anzahl),
            t.von, t.bis, sig, static_cast<uint32_t>(stapel.size() - 1)};
    for (size_t i = 0; i < t.anzahl; ++i) {
        const H5ATTRIBUT& x = t.attribute[i];
        FAttr f{static_cast<uint32_t>(aktiv_text.size()), static_cast<uint32_t>(x.name.size()), 0,
                static_cast<uint32_t>(x.wert.size()), x.von, x.bis};
        aktiv_text.insert(aktiv_text.end(), x.name.begin(), x.name.end());
        f.wert_off = static_cast<uint32_t>(aktiv_text.size());
        aktiv_text.insert(aktiv_text.end(), x.wert.begin(), x.wert.end());
        aktiv_text_lebend += x.name.size() + x.wert.size();
        aktiv_attr.push_back(f);
    }
    aktiv.push_back(a);
    ++sig_zahl[sig];
}

void H5BAUM::aktiv_verdichten() {
    std::vector<FAttr> attr;
    std::vector<wchar_t> text;
    for (Aktiv& a : aktiv) {
        if (!a.knoten) continue;
        const uint32_t anfang = static_cast<uint32_t>(attr.size());
        for (uint32_t i = 0; i < a.attr_anzahl; ++i) {
            FAttr f = aktiv_attr[a.attr_anfang + i];
            const uint32_t n = static_cast<uint32_t>(text.size());
            text.insert(text.end(), aktiv_text.begin() + f.name_off, aktiv_text.begin() + f.name_off + f.name_len);
            const uint32_t w = static_cast<uint32_t>(text.size());
            text.insert(text.end(), aktiv_text.begin() + f.wert_off, aktiv_text.begin() + f.wert_off + f.wert_len);
            f.name_off = n;
            f.wert_off = w;
            attr.push_back(f);
        }
        a.attr_anfang = anfang;
    }
    aktiv_attr.swap(attr);
    aktiv_text.swap(text);
    aktiv_text_lebend = aktiv_text.size();
}

void H5BAUM::aktiv_entfernen(size_t i) {
    const Aktiv& a = aktiv[i];
    if (a.knoten) {
        auto z = sig_zahl.find(a.sig);
        if (z != sig_zahl.end() && --z->second == 0) sig_zahl.erase(z);
    }
    for (uint32_t j = 0; j < a.attr_anzahl; ++j) {
        const FAttr& f = aktiv_attr[a.attr_anfang + j];
        aktiv_text_lebend -= f.name_len + f.wert_len;
    }
    aktiv.erase(aktiv.begin() + static_cast<long>(i));
    if (aktiv.empty()) {
        aktiv_attr.clear();
        aktiv_text.clear();
        aktiv_text_lebend = 0;
    }
}

void H5BAUM::bis_marker_leeren() {
    while (!aktiv.empty()) {
        const bool war_marker = aktiv.back().knoten == 0;
        aktiv_entfernen(aktiv.size() - 1);
        if (war_marker) break;
    }
}

long H5BAUM::aktiv_index(int knoten) const {
    for (long i = static_cast<long>(aktiv.size()) - 1; i >= 0; --i)
        if (aktiv[i].knoten == knoten) return i;
    return -1;
}

int H5BAUM::aktiv_kopie(const Aktiv& a) {
    attr_tmp.clear();
    for (uint32_t i = 0; i < a.attr_anzahl; ++i) {
        const FAttr& f = aktiv_attr[a.attr_anfang + i];
        attr_tmp.push_back({std::wstring_view(aktiv_text.data() + f.name_off, f.name_len),
                            std::wstring_view(aktiv_text.data() + f.wert_off, f.wert_len), f.von, f.bis,
                            H5NS::KEIN});
    }
    return erzeugen(nullptr, a.atom, H5NS::HTML, attr_tmp.data(), attr_tmp.size(), a.knoten);
}

void H5BAUM::rekonstruieren() {
    if (aktiv.empty()) return;
    long i = static_cast<long>(aktiv.size()) - 1;
    if (aktiv[i].knoten == 0 || aktiv_im_stapel(aktiv[i])) return;
    while (i > 0) {
        --i;
        if (aktiv[i].knoten == 0 || aktiv_im_stapel(aktiv[i])) {
            ++i;
            break;
        }
    }
    for (; i < static_cast<long>(aktiv.size()); ++i) {
        const int k = aktiv_kopie(aktiv[i]);
        platzieren(k, einfuegeort());
        push(k, aktiv[i].atom, H5NS::HTML);
        aktiv[i].knoten = k;
        aktiv[i].pos = static_cast<uint32_t>(stapel.size() - 1);
    }
}

bool H5BAUM::adoption(const H5TOK& t, int32_t subjekt) {
    (void)t;
    adoption_fe_bleibt = false;
    if (ist(aktuell(), subjekt) && aktiv_index(aktuell().knoten) < 0) {
        pop(true);
        return true;
    }
    for (int aussen = 0; aussen < 8; ++aussen) {
        long fi = -1;
        for (long i = static_cast<long>(aktiv.size()) - 1; i >= 0 && aktiv[i].knoten != 0; --i)
            if (aktiv[i].atom == subjekt) {
                fi = i;
                break;
            }
        if (fi < 0) return false;
        const Aktiv fe = aktiv[fi];
        if (!aktiv_im_stapel(aktiv[fi])) {
            fehler("adoption-agency-1.2");
            aktiv_entfernen(static_cast<size_t>(fi));
            return true;
        }
        const long si = aktiv[fi].pos;
        long grenze_bei = -1;  // the topmost boundary of the default scope
        suchen_bis_grenze(-1, STANDARD, &grenze_bei);
        if (grenze_bei > si) {
            fehler("adoption-agency-4.4");
            adoption_fe_bleibt = aussen == 0;
            return true;
        }
        if (si != static_cast<long>(stapel.size()) - 1) fehler("adoption-agency-1.3");
        long fb = -1;
        for (size_t i = static_cast<size_t>(si) + 1; i < stapel.size(); ++i)
            if (speziell(stapel[i])) {
                fb = static_cast<long>(i);
                break;
            }
        if (fb < 0) {
            while (static_cast<long>(stapel.size()) > si) pop(static_cast<long>(stapel.size()) - 1 == si);
            aktiv_entfernen(static_cast<size_t>(aktiv_index(fe.knoten)));
            return true;
        }
        const Offen gemeinsam = stapel[si - 1];
        const Offen weitest = stapel[fb];
        int lesezeichen_nach = 0;  // 0: the new element takes fe's place in the list
        long ni = fb;
        long entfernt = 0;  // entries taken off between fe and the furthest block
        Offen letzter = weitest;
        for (int innen = 1;; ++innen) {
            --ni;
            const Offen knoten = stapel[ni];
            if (knoten.knoten == fe.knoten) break;
            long ai = aktiv_index(knoten.knoten);
            if (innen > 3 && ai >= 0) {
                aktiv_entfernen(static_cast<size_t>(ai));
                ai = -1;
            }
            if (ai < 0) {
                stapel_entfernen(static_cast<size_t>(ni));
                ++entfernt;
                continue;
            }
            const int neu = aktiv_kopie(aktiv[ai]);
            aktiv[ai].knoten = neu;
            aktiv[ai].pos = static_cast<uint32_t>(ni);
            // The element leaves the stack: its copy takes its place.
            senke->schliessen(knoten.knoten, nullptr, nullptr);
            stapel[ni].knoten = neu;
            if (letzter.knoten == weitest.knoten) lesezeichen_nach = neu;
            senke->anhaengen(neu, letzter.knoten);
            letzter = stapel[ni];
        }
        platzieren(letzter.knoten, einfuegeort(&gemeinsam));
        const long fe_i = aktiv_index(fe.knoten);
        const int neu = aktiv_kopie(aktiv[fe_i]);
        senke->umhaengen(weitest.knoten, neu);
        senke->anhaengen(weitest.knoten, neu);
        if (lesezeichen_nach == 0) {
            aktiv[fe_i].knoten = neu;
        } else {
            Aktiv kopie = aktiv[fe_i];
            kopie.knoten = neu;
            const long b = aktiv_index(lesezeichen_nach);
            aktiv.insert(aktiv.begin() + b + 1, kopie);
            aktiv.erase(aktiv.begin() + aktiv_index(fe.knoten));
        }
        // fe leaves the stack, the new element goes right above the furthest
        // block: the entries between move down by one, nothing above them
        // moves (a deep stack is not shifted), and the names in each region
        // of the stack stay the same (kept boundaries stay valid).
        const long w = fb - entfernt;
        senke->schliessen(fe.knoten, nullptr, nullptr);
        for (long j = si; j < w; ++j) stapel[j] = stapel[j + 1];
        stapel[w] = Offen{neu, fe.atom, H5NS::HTML, false, ++serie_zaehler};
        for (Aktiv& x : aktiv)
            if (x.knoten && x.pos > static_cast<uint32_t>(si) && x.pos <= static_cast<uint32_t>(w)) --x.pos;
        aktiv[aktiv_index(neu)].pos = static_cast<uint32_t>(w);
    }
    return true;
}

// ---------------------------------------------------------------- Stop

void H5BAUM::beenden() {
    gestoppt = true;
    while (!stapel.empty()) {
        const Offen& e = stapel.back();
        if (ist(e, A_BODY) && body_ende_von) {
            senke->schliessen(e.knoten, body_ende_von, body_ende_bis);
            if (e.ns == H5NS::HTML) --zaehler[e.atom];
            stapel.pop_back();
        } else if (ist(e, A_HTML) && html_ende_von && stapel.size() == 1) {
            senke->schliessen(e.knoten, html_ende_von, html_ende_bis);
            --zaehler[e.atom];
            stapel.pop_back();
        } else {
            pop();
        }
    }
}

void H5BAUM::meta_pruefen(const H5TOK& t) {
    // "Change the encoding" in the standard's in-head rules for meta: the
    // builder only records what it found; the caller may decode again.
    const auto schmal = [](std::wstring_view w) {
        std::string s;
        for (wchar_t c : w) s += c < 128 ? static_cast<char>(c) : '?';
        return s;
    };
    std::string_view k;
    if (const H5ATTRIBUT* cs = attribut(t, L"charset")) {
        k = H5KODIERUNG::etikett(schmal(cs->wert));
    } else if (const H5ATTRIBUT* he = attribut(t, L"http-equiv")) {
        const H5ATTRIBUT* c = attribut(t, L"content");
        if (c && gleich_ci(he->wert, L"content-type")) k = H5KODIERUNG::aus_content(schmal(c->wert));
    }
    if (k == "UTF-16LE" || k == "UTF-16BE") k = "UTF-8";
    if (k == "x-user-defined") k = "windows-1252";
    meta_kodierung_ = k;
}

void H5BAUM::quirks_bestimmen(const H5TOK& t) {
    const std::wstring_view pub = t.public_id, sys = t.system_id;
    H5MODUS m = H5MODUS::KEIN_QUIRKS;
    if (t.quirks_erzwungen || !t.hat_name || t.name() != L"html") {
        m = H5MODUS::QUIRKS;
    } else if (t.hat_public && (gleich_ci(pub, "-//W3O//DTD W3 HTML Strict 3.0//EN//") ||
                                gleich_ci(pub, "-/W3C/DTD HTML 4.0 Transitional/EN") || gleich_ci(pub, "HTML"))) {
        m = H5MODUS::QUIRKS;
    } else if (t.hat_system && gleich_ci(sys, "http://www.ibm.com/data/dtd/v11/ibmxhtml1-transitional.dtd")) {
        m = H5MODUS::QUIRKS;
    } else if (t.hat_public) {
        for (const char* p : QUIRKS_PRAEFIXE)
            if (beginnt_ci(pub, p)) {
                m = H5MODUS::QUIRKS;
                break;
            }
        const bool html401 = beginnt_ci(pub, "-//W3C//DTD HTML 4.01 Frameset//") ||
                             beginnt_ci(pub, "-//W3C//DTD HTML 4.01 Transitional//");
        if (m != H5MODUS::QUIRKS) {
            if (!t.hat_system && html401) m = H5MODUS::QUIRKS;
            else if (beginnt_ci(pub, "-//W3C//DTD XHTML 1.0 Frameset//") ||
                     beginnt_ci(pub, "-//W3C//DTD XHTML 1.0 Transitional//") || (t.hat_system && html401))
                m = H5MODUS::BEGRENZT;
        }
    }
    dok_modus = m;
    senke->modus(m);
}

// ---------------------------------------------------------------- Insertion modes

bool H5BAUM::initial(H5TOK& t) {
    if (t.art == H5ART::KOMMENTAR) {
        senke->kommentar(0, t.name(), t.von, t.bis);
        return false;
    }
    if (t.art == H5ART::DOCTYPE) {
        if (!t.hat_name || t.name() != L"html" || t.hat_public ||
            (t.hat_system && t.system_id != L"about:legacy-compat"))
            fehler("unknown-doctype");
        senke->doctype(t);
        quirks_bestimmen(t);
        modus = VOR_HTML;
        return false;
    }
    fehler("expected-doctype-but-got-other");
    dok_modus = H5MODUS::QUIRKS;
    senke->modus(dok_modus);
    modus = VOR_HTML;
    return true;
}

bool H5BAUM::vor_html(H5TOK& t) {
    const int32_t a = akt_atom;
    switch (t.art) {
    case H5ART::DOCTYPE: fehler("unexpected-doctype"); return false;
    case H5ART::KOMMENTAR: senke->kommentar(0, t.name(), t.von, t.bis); return false;
    case H5ART::START:
        if (a == A_HTML) {
            const int h = erzeugen(&t, A_HTML, H5NS::HTML, t.attribute, t.anzahl);
            senke->anhaengen(0, h);
            push(h, A_HTML, H5NS::HTML);
            modus = VOR_HEAD;
            return false;
        }
        break;
    case H5ART::ENDE:
        if (a != A_HEAD && a != A_BODY && a != A_HTML && a != A_BR) {
            fehler("unexpected-end-tag-before-html");
            return false;
        }
        break;
    default: break;
    }
    const int h = erzeugen(nullptr, A_HTML, H5NS::HTML, nullptr, 0);
    senke->anhaengen(0, h);
    push(h, A_HTML, H5NS::HTML);
    modus = VOR_HEAD;
    return true;
}

bool H5BAUM::vor_head(H5TOK& t) {
    const int32_t a = akt_atom;
    switch (t.art) {
    case H5ART::KOMMENTAR: kommentar_einfuegen(t, -1); return false;
    case H5ART::DOCTYPE: fehler("unexpected-doctype"); return false;
    case H5ART::START:
        if (a == A_HTML) return in_body(t);
        if (a == A_HEAD) {
            head = einfuegen(t, A_HEAD);
            modus = IN_HEAD;
            return false;
        }
        break;
    case H5ART::ENDE:
        if (a != A_HEAD && a != A_BODY && a != A_HTML && a != A_BR) {
            fehler("end-tag-after-implied-root");
            return false;
        }
        break;
    default: break;
    }
    head = einfuegen_implizit(A_HEAD);
    modus = IN_HEAD;
    return true;
}

bool H5BAUM::in_head(H5TOK& t) {
    const int32_t a = akt_atom;
    switch (t.art) {
    case H5ART::KOMMENTAR: kommentar_einfuegen(t, -1); return false;
    case H5ART::DOCTYPE: fehler("unexpected-doctype"); return false;
    case H5ART::START:
        switch (a) {
        case A_HTML: return in_body(t);
        case A_BASE: case A_BASEFONT: case A_BGSOUND: case A_LINK: case A_META:
            einfuegen(t, a);
            pop();
            if (a == A_META && meta_kodierung_.empty()) meta_pruefen(t);
            return false;
        case A_TITLE: rohtext(t, H5TOKEN::RCDATA); return false;
        case A_NOSCRIPT:
            if (skript_an) {
                rohtext(t, H5TOKEN::RAWTEXT);
            } else {
                einfuegen(t, a);
                modus = IN_HEAD_NOSCRIPT;
            }
            return false;
        case A_NOFRAMES: case A_STYLE: rohtext(t, H5TOKEN::RAWTEXT); return false;
        case A_SCRIPT: rohtext(t, H5TOKEN::SKRIPT); return false;
        case A_TEMPLATE:
            einfuegen(t, a);
            marker();
            frameset_ok = false;
            modus = IN_TEMPLATE;
            template_modi.push_back(IN_TEMPLATE);
            return false;
        case A_HEAD: fehler("unexpected-start-tag"); return false;
        default: break;
        }
        break;
    case H5ART::ENDE:
        switch (a) {
        case A_HEAD:
            pop(true);
            modus = NACH_HEAD;
            return false;
        case A_BODY: case A_HTML: case A_BR: break;
        case A_TEMPLATE:
            if (!im_stapel(A_TEMPLATE)) {
                fehler("unexpected-end-tag");
                return false;
            }
            implizite_enden_gruendlich();
            if (!aktuell_ist(A_TEMPLATE)) fehler("unexpected-end-tag");
            pop_bis(A_TEMPLATE);
            bis_marker_leeren();
            template_modi.pop_back();
            modus_zuruecksetzen();
            return false;
        default: fehler("unexpected-end-tag"); return false;
        }
        break;
    default: break;
    }
    pop();
    modus = NACH_HEAD;
    return true;
}

bool H5BAUM::in_head_noscript(H5TOK& t) {
    const int32_t a = akt_atom;
    switch (t.art) {
    case H5ART::DOCTYPE: fehler("unexpected-doctype"); return false;
    case H5ART::KOMMENTAR: return in_head(t);
    case H5ART::START:
        switch (a) {
        case A_HTML: return in_body(t);
        case A_BASEFONT: case A_BGSOUND: case A_LINK: case A_META: case A_NOFRAMES: case A_STYLE:
            return in_head(t);
        case A_HEAD: case A_NOSCRIPT: fehler("unexpected-start-tag"); return false;
        default: break;
        }
        break;
    case H5ART::ENDE:
        if (a == A_NOSCRIPT) {
            pop(true);
            modus = IN_HEAD;
            return false;
        }
        if (a != A_BR) {
            fehler("unexpected-end-tag");
            return false;
        }
        break;
    default: break;
    }
    fehler("unexpected-token-in-noscript");
    pop();
    modus = IN_HEAD;
    return true;
}

bool H5BAUM::nach_head(H5TOK& t) {
    const int32_t a = akt_atom;
    switch (t.art) {
    case H5ART::KOMMENTAR: kommentar_einfuegen(t, -1); return false;
    case H5ART::DOCTYPE: fehler("unexpected-doctype"); return false;
    case H5ART::START:
        switch (a) {
        case A_HTML: return in_body(t);
        case A_BODY:
            einfuegen(t, a);
            frameset_ok = false;
            modus = IN_BODY;
            return false;
        case A_FRAMESET:
            einfuegen(t, a);
            modus = IN_FRAMESET;
            return false;
        case A_BASE: case A_BASEFONT: case A_BGSOUND: case A_LINK: case A_META: case A_NOFRAMES:
        case A_SCRIPT: case A_STYLE: case A_TEMPLATE: case A_TITLE: {
            fehler("unexpected-start-tag-out-of-my-head");
            push(head, A_HEAD, H5NS::HTML);
            const bool r = in_head(t);
            const long i = stapel_index(head);
            if (i >= 0) stapel_entfernen(static_cast<size_t>(i), false);
            return r;
        }
        case A_HEAD: fehler("unexpected-start-tag"); return false;
        default: break;
        }
        break;
    case H5ART::ENDE:
        if (a == A_TEMPLATE) return in_head(t);
        if (a != A_BODY && a != A_HTML && a != A_BR) {
            fehler("unexpected-end-tag");
            return false;
        }
        break;
    default: break;
    }
    einfuegen_implizit(A_BODY);
    modus = IN_BODY;
    return true;
}

bool H5BAUM::body_endtag_andere(const H5TOK& t) {
    (void)t;
    const int32_t a = akt_atom;
    // No such element open, or a special element above it: ignored.
    const long i = im_stapel(a) ? suchen_bis_grenze(a, SPEZIELL) : -1;
    if (i < 0) {
        fehler("unexpected-end-tag");
        return false;
    }
    implizite_enden(a);
    if (static_cast<long>(stapel.size()) - 1 != i) fehler("unexpected-end-tag");
    while (static_cast<long>(stapel.size()) > i) pop(static_cast<long>(stapel.size()) - 1 == i);
    return false;
}

bool H5BAUM::in_body(H5TOK& t) {
    const int32_t a = akt_atom;
    switch (t.art) {
    case H5ART::ZEICHEN: return false;
    case H5ART::KOMMENTAR: kommentar_einfuegen(t, -1); return false;
    case H5ART::DOCTYPE: fehler("unexpected-doctype"); return false;
    case H5ART::DATEIENDE:
        if (!template_modi.empty()) return in_template(t);
        beenden();
        return false;
    case H5ART::START:
        switch (a) {
        case A_HTML:
            fehler("non-html-root");
            if (!im_stapel(A_TEMPLATE)) senke->attribute_ergaenzen(stapel[0].knoten, t.attribute, t.anzahl);
            return false;
        case A_BASE: case A_BASEFONT: case A_BGSOUND: case A_LINK: case A_META: case A_NOFRAMES:
        case A_SCRIPT: case A_STYLE: case A_TEMPLATE: case A_TITLE:
            return in_head(t);
        case A_BODY:
            fehler("unexpected-start-tag");
            if (stapel.size() == 1 || !ist(stapel[1], A_BODY) || im_stapel(A_TEMPLATE)) return false;
            frameset_ok = false;
            senke->attribute_ergaenzen(stapel[1].knoten, t.attribute, t.anzahl);
            return false;
        case A_FRAMESET:
            fehler("unexpected-start-tag");
            if (stapel.size() == 1 || !ist(stapel[1], A_BODY) || !frameset_ok) return false;
            senke->entfernen(stapel[1].knoten);
            while (stapel.size() > 1) pop();
            einfuegen(t, a);
            modus = IN_FRAMESET;
            return false;
        case A_ADDRESS: case A_ARTICLE: case A_ASIDE: case A_BLOCKQUOTE: case A_CENTER: case A_DETAILS:
        case A_DIALOG: case A_DIR: case A_DIV: case A_DL: case A_FIELDSET: case A_FIGCAPTION: case A_FIGURE:
        case A_FOOTER: case A_HEADER: case A_HGROUP: case A_MAIN: case A_MENU: case A_NAV: case A_OL: case A_P:
        case A_SEARCH: case A_SECTION: case A_SUMMARY: case A_UL:
            if (im_bereich(A_P, KNOPF)) p_schliessen();
            einfuegen(t, a);
            return false;
        case A_H1: case A_H2: case A_H3: case A_H4: case A_H5: case A_H6:
            if (im_bereich(A_P, KNOPF)) p_schliessen();
            if (aktuell().ns == H5NS::HTML && aktuell().atom >= A_H1 && aktuell().atom <= A_H6) {
                fehler("unexpected-start-tag");
                pop();
            }
            einfuegen(t, a);
            return false;
        case A_PRE: case A_LISTING:
            if (im_bereich(A_P, KNOPF)) p_schliessen();
            einfuegen(t, a);
            lf_weg = true;
            frameset_ok = false;
            return false;
        case A_FORM:
            if (form && !im_stapel(A_TEMPLATE)) {
                fehler("unexpected-start-tag");
                return false;
            }
            if (im_bereich(A_P, KNOPF)) p_schliessen();
            {
                const int k = einfuegen(t, a);
                if (!im_stapel(A_TEMPLATE)) form = k;
            }
            return false;
        case A_LI: case A_DD: case A_DT:
            frameset_ok = false;
            for (long i = static_cast<long>(stapel.size()) - 1; i >= 0; --i) {
                const Offen e = stapel[i];
                const bool treffer = a == A_LI ? ist(e, A_LI) : (ist(e, A_DD) || ist(e, A_DT));
                if (treffer) {
                    implizite_enden(e.atom);
                    if (!aktuell_ist(e.atom)) fehler("unexpected-start-tag");
                    pop_bis(e.atom);
                    break;
                }
                if (speziell(e) && !ist(e, A_ADDRESS) && !ist(e, A_DIV) && !ist(e, A_P)) break;
            }
            if (im_bereich(A_P, KNOPF)) p_schliessen();
            einfuegen(t, a);
            return false;
        case A_PLAINTEXT:
            if (im_bereich(A_P, KNOPF)) p_schliessen();
            einfuegen(t, a);
            tok->zustand_setzen(H5TOKEN::PLAINTEXT);
            return false;
        case A_BUTTON:
            if (im_bereich(A_BUTTON, STANDARD)) {
                fehler("unexpected-start-tag");
                implizite_enden();
                pop_bis(A_BUTTON);
            }
            rekonstruieren();
            einfuegen(t, a);
            frameset_ok = false;
            return false;
        case A_A: {
            for (long i = static_cast<long>(aktiv.size()) - 1; i >= 0 && aktiv[i].knoten != 0; --i)
                if (aktiv[i].atom == A_A) {
                    fehler("unexpected-start-tag-implies-end-tag");
                    const int alt = aktiv[i].knoten;
                    adoption(t, A_A);
                    const long j = aktiv_index(alt);
                    if (j >= 0) aktiv_entfernen(static_cast<size_t>(j));
                    // The adoption agency took it off the stack unless it
                    // was out of scope (no search through a deep stack).
                    if (adoption_fe_bleibt) {
                        const long s = stapel_index(alt);
                        if (s >= 0) stapel_entfernen(static_cast<size_t>(s));
                    }
                    break;
                }
            rekonstruieren();
            const int k = einfuegen(t, a);
            aktiv_push(t, k, a);
            return false;
        }
        case A_B: case A_BIG: case A_CODE: case A_EM: case A_FONT: case A_I: case A_S: case A_SMALL:
        case A_STRIKE: case A_STRONG: case A_TT: case A_U: {
            rekonstruieren();
            const int k = einfuegen(t, a);
            aktiv_push(t, k, a);
            return false;
        }
        case A_NOBR: {
            rekonstruieren();
            if (im_bereich(A_NOBR, STANDARD)) {
                fehler("unexpected-start-tag-implies-end-tag");
                adoption(t, A_NOBR);
                rekonstruieren();
            }
            const int k = einfuegen(t, a);
            aktiv_push(t, k, a);
            return false;
        }
        case A_APPLET: case A_MARQUEE: case A_OBJECT:
            rekonstruieren();
            einfuegen(t, a);
            marker();
            frameset_ok = false;
            return false;
        case A_TABLE:
            if (dok_modus != H5MODUS::QUIRKS && im_bereich(A_P, KNOPF)) p_schliessen();
            einfuegen(t, a);
            frameset_ok = false;
            modus = IN_TABLE;
            return false;
        case A_AREA: case A_BR: case A_EMBED: case A_IMG: case A_KEYGEN: case A_WBR:
            rekonstruieren();
            einfuegen(t, a);
            pop();
            frameset_ok = false;
            return false;
        case A_INPUT: {
            rekonstruieren();
            einfuegen(t, a);
            pop();
            const H5ATTRIBUT* typ = attribut(t, L"type");
            if (!typ || !gleich_ci(typ->wert, L"hidden")) frameset_ok = false;
            return false;
        }
        case A_PARAM: case A_SOURCE: case A_TRACK:
            einfuegen(t, a);
            pop();
            return false;
        case A_HR:
            if (im_bereich(A_P, KNOPF)) p_schliessen();
            einfuegen(t, a);
            pop();
            frameset_ok = false;
            return false;
        case A_IMAGE:
            fehler("unexpected-start-tag-treated-as");
            akt_atom = A_IMG;
            return true;
        case A_TEXTAREA:
            einfuegen(t, a);
            lf_weg = true;
            tok->zustand_setzen(H5TOKEN::RCDATA);
            urspruenglich = modus;
            frameset_ok = false;
            modus = TEXT;
            return false;
        case A_XMP:
            if (im_bereich(A_P, KNOPF)) p_schliessen();
            rekonstruieren();
            frameset_ok = false;
            rohtext(t, H5TOKEN::RAWTEXT);
            return false;
        case A_IFRAME:
            frameset_ok = false;
            rohtext(t, H5TOKEN::RAWTEXT);
            return false;
        case A_NOEMBED: rohtext(t, H5TOKEN::RAWTEXT); return false;
        case A_SELECT:
            rekonstruieren();
            einfuegen(t, a);
            frameset_ok = false;
            modus = (modus == IN_TABLE || modus == IN_CAPTION || modus == IN_TBODY || modus == IN_ROW ||
                     modus == IN_CELL)
                        ? IN_SELECT_IN_TABLE
                        : IN_SELECT;
            return false;
        case A_OPTGROUP: case A_OPTION:
            if (aktuell_ist(A_OPTION)) pop();
            rekonstruieren();
            einfuegen(t, a);
            return false;
        case A_RB: case A_RTC:
            if (im_bereich(A_RUBY, STANDARD)) {
                implizite_enden();
                if (!aktuell_ist(A_RUBY)) fehler("unexpected-start-tag");
            }
            einfuegen(t, a);
            return false;
        case A_RP: case A_RT:
            if (im_bereich(A_RUBY, STANDARD)) {
                implizite_enden(A_RTC);
                if (!aktuell_ist(A_RTC) && !aktuell_ist(A_RUBY)) fehler("unexpected-start-tag");
            }
            einfuegen(t, a);
            return false;
        case A_MATH: case A_SVG:
            rekonstruieren();
            einfuegen_fremd(t, a == A_MATH ? H5NS::MATHML : H5NS::SVG);
            if (t.selbstschliessend) pop();
            return false;
        case A_CAPTION: case A_COL: case A_COLGROUP: case A_FRAME: case A_HEAD: case A_TBODY: case A_TD:
        case A_TFOOT: case A_TH: case A_THEAD: case A_TR:
            fehler("unexpected-start-tag-ignored");
            return false;
        default:
            if (a == A_NOSCRIPT && skript_an) {
                rohtext(t, H5TOKEN::RAWTEXT);
                return false;
            }
            rekonstruieren();
            einfuegen(t, a);
            return false;
        }
    case H5ART::ENDE:
        switch (a) {
        case A_TEMPLATE: return in_head(t);
        case A_BODY:
        case A_HTML:
            if (!im_bereich(A_BODY, STANDARD)) {
                fehler("unexpected-end-tag");
                return false;
            }
            modus = NACH_BODY;
            if (a == A_BODY) {
                body_ende_von = t.von;
                body_ende_bis = t.bis;
                return false;
            }
            return true;
        case A_ADDRESS: case A_ARTICLE: case A_ASIDE: case A_BLOCKQUOTE: case A_BUTTON: case A_CENTER:
        case A_DETAILS: case A_DIALOG: case A_DIR: case A_DIV: case A_DL: case A_FIELDSET: case A_FIGCAPTION:
        case A_FIGURE: case A_FOOTER: case A_HEADER: case A_HGROUP: case A_LISTING: case A_MAIN: case A_MENU:
        case A_NAV: case A_OL: case A_PRE: case A_SEARCH: case A_SECTION: case A_SUMMARY: case A_UL:
            if (!im_bereich(a, STANDARD)) {
                fehler("unexpected-end-tag");
                return false;
            }
            implizite_enden();
            if (!aktuell_ist(a)) fehler("end-tag-too-early");
            pop_bis(a);
            return false;
        case A_FORM:
            if (!im_stapel(A_TEMPLATE)) {
                const int k = form;
                form = 0;
                if (!k || !knoten_im_bereich(k, STANDARD)) {
                    fehler("unexpected-end-tag");
                    return false;
                }
                implizite_enden();
                if (aktuell().knoten != k) fehler("end-tag-too-early-ignored");
                const long i = stapel_index(k);
                if (i == static_cast<long>(stapel.size()) - 1) {
                    pop(true);
                } else {
                    const Offen e = stapel[i];
                    stapel_entfernen(static_cast<size_t>(i), false);
                    senke->schliessen(e.knoten, t.von, t.bis);
                }
            } else {
                if (!im_bereich(A_FORM, STANDARD)) {
                    fehler("unexpected-end-tag");
                    return false;
                }
                implizite_enden();
                if (!aktuell_ist(A_FORM)) fehler("end-tag-too-early-ignored");
                pop_bis(A_FORM);
            }
            return false;
        case A_P:
            if (!im_bereich(A_P, KNOPF)) {
                fehler("unexpected-end-tag");
                einfuegen_implizit(A_P);
            }
            p_schliessen();
            return false;
        case A_LI:
            if (!im_bereich(A_LI, LISTE)) {
                fehler("unexpected-end-tag");
                return false;
            }
            implizite_enden(A_LI);
            if (!aktuell_ist(A_LI)) fehler("end-tag-too-early");
            pop_bis(A_LI);
            return false;
        case A_DD: case A_DT:
            if (!im_bereich(a, STANDARD)) {
                fehler("unexpected-end-tag");
                return false;
            }
            implizite_enden(a);
            if (!aktuell_ist(a)) fehler("end-tag-too-early");
            pop_bis(a);
            return false;
        case A_H1: case A_H2: case A_H3: case A_H4: case A_H5: case A_H6:
            if (!ueberschrift_im_bereich()) {
                fehler("unexpected-end-tag");
                return false;
            }
            implizite_enden();
            if (!aktuell_ist(a)) fehler("end-tag-too-early");
            pop_bis_ueberschrift();
            return false;
        case A_A: case A_B: case A_BIG: case A_CODE: case A_EM: case A_FONT: case A_I: case A_NOBR: case A_S:
        case A_SMALL: case A_STRIKE: case A_STRONG: case A_TT: case A_U:
            if (!adoption(t, a)) return body_endtag_andere(t);
            return false;
        case A_APPLET: case A_MARQUEE: case A_OBJECT:
            if (!im_bereich(a, STANDARD)) {
                fehler("unexpected-end-tag");
                return false;
            }
            implizite_enden();
            if (!aktuell_ist(a)) fehler("end-tag-too-early");
            pop_bis(a);
            bis_marker_leeren();
            return false;
        case A_BR: {
            fehler("unexpected-end-tag-treated-as");
            rekonstruieren();
            const Ort o = einfuegeort();
            const int k = erzeugen(nullptr, A_BR, H5NS::HTML, nullptr, 0, 0, t.von, t.bis);
            platzieren(k, o);
            push(k, A_BR, H5NS::HTML);
            pop();
            frameset_ok = false;
            return false;
        }
        default:
            return body_endtag_andere(t);
        }
    }
    return false;
}

bool H5BAUM::text_modus(H5TOK& t) {
    if (t.art == H5ART::DATEIENDE) {
        fehler("expected-named-closing-tag-but-got-eof");
        pop();
        modus = urspruenglich;
        return true;
    }
    if (t.art == H5ART::ENDE) {
        pop(true);
        modus = urspruenglich;
    }
    return false;
}

bool H5BAUM::in_table(H5TOK& t) {
    const int32_t a = akt_atom;
    switch (t.art) {
    case H5ART::KOMMENTAR: kommentar_einfuegen(t, -1); return false;
    case H5ART::DOCTYPE: fehler("unexpected-doctype"); return false;
    case H5ART::START:
        switch (a) {
        case A_CAPTION:
            zurueck_zu_tabelle();
            marker();
            einfuegen(t, a);
            modus = IN_CAPTION;
            return false;
        case A_COLGROUP:
            zurueck_zu_tabelle();
            einfuegen(t, a);
            modus = IN_COLGROUP;
            return false;
        case A_COL:
            zurueck_zu_tabelle();
            einfuegen_implizit(A_COLGROUP);
            modus = IN_COLGROUP;
            return true;
        case A_TBODY: case A_TFOOT: case A_THEAD:
            zurueck_zu_tabelle();
            einfuegen(t, a);
            modus = IN_TBODY;
            return false;
        case A_TD: case A_TH: case A_TR:
            zurueck_zu_tabelle();
            einfuegen_implizit(A_TBODY);
            modus = IN_TBODY;
            return true;
        case A_TABLE:
            fehler("unexpected-start-tag-implies-end-tag");
            if (!im_bereich(A_TABLE, TABELLE)) return false;
            pop_bis(A_TABLE);
            modus_zuruecksetzen();
            return true;
        case A_STYLE: case A_SCRIPT: case A_TEMPLATE: return in_head(t);
        case A_INPUT: {
            const H5ATTRIBUT* typ = attribut(t, L"type");
            if (!typ || !gleich_ci(typ->wert, L"hidden")) break;
            fehler("unexpected-hidden-input-in-table");
            einfuegen(t, a);
            pop();
            return false;
        }
        case A_FORM:
            fehler("unexpected-form-in-table");
            if (im_stapel(A_TEMPLATE) || form) return false;
            form = einfuegen(t, a);
            pop();
            return false;
        default: break;
        }
        break;
    case H5ART::ENDE:
        switch (a) {
        case A_TABLE:
            if (!im_bereich(A_TABLE, TABELLE)) {
                fehler("unexpected-end-tag");
                return false;
            }
            pop_bis(A_TABLE);
            modus_zuruecksetzen();
            return false;
        case A_BODY: case A_CAPTION: case A_COL: case A_COLGROUP: case A_HTML: case A_TBODY: case A_TD:
        case A_TFOOT: case A_TH: case A_THEAD: case A_TR:
            fehler("unexpected-end-tag");
            return false;
        case A_TEMPLATE: return in_head(t);
        default: break;
        }
        break;
    case H5ART::DATEIENDE: return in_body(t);
    default: break;
    }
    fehler("unexpected-token-in-table");
    pflege = true;
    const bool r = in_body(t);
    pflege = false;
    return r;
}

void H5BAUM::tabellentext_leeren() {
    if (tabtext.empty()) return;
    if (tabtext_nicht_leer) {
        fehler("unexpected-char-in-table");
        pflege = true;
        for (const auto& [o, n] : tabtext) body_zeichen(lauf.text + o, n);
        pflege = false;
    } else {
        for (const auto& [o, n] : tabtext) text_einfuegen(lauf.text + o, n);
    }
    tabtext.clear();
}

bool H5BAUM::in_table_text(H5TOK& t) {
    (void)t;
    tabellentext_leeren();
    modus = urspruenglich;
    return true;
}

bool H5BAUM::in_caption(H5TOK& t) {
    const int32_t a = akt_atom;
    const bool start = t.art == H5ART::START, ende = t.art == H5ART::ENDE;
    if (ende && a == A_CAPTION) {
        if (!im_bereich(A_CAPTION, TABELLE)) {
            fehler("unexpected-end-tag");
            return false;
        }
        implizite_enden();
        if (!aktuell_ist(A_CAPTION)) fehler("end-tag-too-early");
        pop_bis(A_CAPTION);
        bis_marker_leeren();
        modus = IN_TABLE;
        return false;
    }
    if ((start && (a == A_CAPTION || a == A_COL || a == A_COLGROUP || a == A_TBODY || a == A_TD || a == A_TFOOT ||
                   a == A_TH || a == A_THEAD || a == A_TR)) ||
        (ende && a == A_TABLE)) {
        if (!im_bereich(A_CAPTION, TABELLE)) {
            fehler("unexpected-token");
            return false;
        }
        implizite_enden();
        if (!aktuell_ist(A_CAPTION)) fehler("end-tag-too-early");
        pop_bis(A_CAPTION);
        bis_marker_leeren();
        modus = IN_TABLE;
        return true;
    }
    if (ende && (a == A_BODY || a == A_COL || a == A_COLGROUP || a == A_HTML || a == A_TBODY || a == A_TD ||
                 a == A_TFOOT || a == A_TH || a == A_THEAD || a == A_TR)) {
        fehler("unexpected-end-tag");
        return false;
    }
    return in_body(t);
}

bool H5BAUM::in_colgroup(H5TOK& t) {
    const int32_t a = akt_atom;
    switch (t.art) {
    case H5ART::KOMMENTAR: kommentar_einfuegen(t, -1); return false;
    case H5ART::DOCTYPE: fehler("unexpected-doctype"); return false;
    case H5ART::START:
        if (a == A_HTML) return in_body(t);
        if (a == A_COL) {
            einfuegen(t, a);
            pop();
            return false;
        }
        if (a == A_TEMPLATE) return in_head(t);
        break;
    case H5ART::ENDE:
        if (a == A_COLGROUP) {
            if (!aktuell_ist(A_COLGROUP)) {
                fehler("unexpected-end-tag");
                return false;
            }
            pop(true);
            modus = IN_TABLE;
            return false;
        }
        if (a == A_COL) {
            fehler("unexpected-end-tag");
            return false;
        }
        if (a == A_TEMPLATE) return in_head(t);
        break;
    case H5ART::DATEIENDE: return in_body(t);
    default: break;
    }
    if (!aktuell_ist(A_COLGROUP)) {
        fehler("unexpected-token-in-colgroup");
        return false;
    }
    pop();
    modus = IN_TABLE;
    return true;
}

bool H5BAUM::in_tbody(H5TOK& t) {
    const int32_t a = akt_atom;
    const bool start = t.art == H5ART::START, ende = t.art == H5ART::ENDE;
    if (start && a == A_TR) {
        zurueck_zu_tbody();
        einfuegen(t, a);
        modus = IN_ROW;
        return false;
    }
    if (start && (a == A_TH || a == A_TD)) {
        fehler("unexpected-cell-in-table-body");
        zurueck_zu_tbody();
        einfuegen_implizit(A_TR);
        modus = IN_ROW;
        return true;
    }
    if (ende && (a == A_TBODY || a == A_TFOOT || a == A_THEAD)) {
        if (!im_bereich(a, TABELLE)) {
            fehler("unexpected-end-tag");
            return false;
        }
        zurueck_zu_tbody();
        pop(true);
        modus = IN_TABLE;
        return false;
    }
    if ((start && (a == A_CAPTION || a == A_COL || a == A_COLGROUP || a == A_TBODY || a == A_TFOOT ||
                   a == A_THEAD)) ||
        (ende && a == A_TABLE)) {
        if (!im_bereich(A_TBODY, TABELLE) && !im_bereich(A_THEAD, TABELLE) && !im_bereich(A_TFOOT, TABELLE)) {
            fehler("unexpected-token");
            return false;
        }
        zurueck_zu_tbody();
        pop();
        modus = IN_TABLE;
        return true;
    }
    if (ende && (a == A_BODY || a == A_CAPTION || a == A_COL || a == A_COLGROUP || a == A_HTML || a == A_TD ||
                 a == A_TH || a == A_TR)) {
        fehler("unexpected-end-tag");
        return false;
    }
    return in_table(t);
}

bool H5BAUM::in_row(H5TOK& t) {
    const int32_t a = akt_atom;
    const bool start = t.art == H5ART::START, ende = t.art == H5ART::ENDE;
    if (start && (a == A_TH || a == A_TD)) {
        zurueck_zu_zeile();
        einfuegen(t, a);
        modus = IN_CELL;
        marker();
        return false;
    }
    if (ende && a == A_TR) {
        if (!im_bereich(A_TR, TABELLE)) {
            fehler("unexpected-end-tag");
            return false;
        }
        zurueck_zu_zeile();
        pop(true);
        modus = IN_TBODY;
        return false;
    }
    if ((start && (a == A_CAPTION || a == A_COL || a == A_COLGROUP || a == A_TBODY || a == A_TFOOT ||
                   a == A_THEAD || a == A_TR)) ||
        (ende && a == A_TABLE)) {
        if (!im_bereich(A_TR, TABELLE)) {
            fehler("unexpected-token");
            return false;
        }
        zurueck_zu_zeile();
        pop();
        modus = IN_TBODY;
        return true;
    }
    if (ende && (a == A_TBODY || a == A_TFOOT || a == A_THEAD)) {
        if (!im_bereich(a, TABELLE)) {
            fehler("unexpected-end-tag");
            return false;
        }
        if (!im_bereich(A_TR, TABELLE)) return false;
        zurueck_zu_zeile();
        pop();
        modus = IN_TBODY;
        return true;
    }
    if (ende && (a == A_BODY || a == A_CAPTION || a == A_COL || a == A_COLGROUP || a == A_HTML || a == A_TD ||
                 a == A_TH)) {
        fehler("unexpected-end-tag");
        return false;
    }
    return in_table(t);
}

bool H5BAUM::in_cell(H5TOK& t) {
    const int32_t a = akt_atom;
    const bool start = t.art == H5ART::START, ende = t.art == H5ART::ENDE;
    if (ende && (a == A_TD || a == A_TH)) {
        if (!im_bereich(a, TABELLE)) {
            fehler("unexpected-end-tag");
            return false;
        }
        implizite_enden();
        if (!aktuell_ist(a)) fehler("end-tag-too-early");
        pop_bis(a);
        bis_marker_leeren();
        modus = IN_ROW;
        return false;
    }
    if (start && (a == A_CAPTION || a == A_COL || a == A_COLGROUP || a == A_TBODY || a == A_TD || a == A_TFOOT ||
                  a == A_TH || a == A_THEAD || a == A_TR)) {
        if (!zelle_im_bereich()) {
            fehler("unexpected-token");
            return false;
        }
        zelle_schliessen();
        return true;
    }
    if (ende && (a == A_BODY || a == A_CAPTION || a == A_COL || a == A_COLGROUP || a == A_HTML)) {
        fehler("unexpected-end-tag");
        return false;
    }
    if (ende && (a == A_TABLE || a == A_TBODY || a == A_TFOOT || a == A_THEAD || a == A_TR)) {
        if (!im_bereich(a, TABELLE)) {
            fehler("unexpected-end-tag");
            return false;
        }
        zelle_schliessen();
        return true;
    }
    return in_body(t);
}

bool H5BAUM::in_select(H5TOK& t) {
    const int32_t a = akt_atom;
    switch (t.art) {
    case H5ART::KOMMENTAR: kommentar_einfuegen(t, -1); return false;
    case H5ART::DOCTYPE: fehler("unexpected-doctype"); return false;
    case H5ART::DATEIENDE: return in_body(t);
    case H5ART::START:
        switch (a) {
        case A_HTML: return in_body(t);
        case A_OPTION:
            if (aktuell_ist(A_OPTION)) pop();
            einfuegen(t, a);
            return false;
        case A_OPTGROUP:
            if (aktuell_ist(A_OPTION)) pop();
            if (aktuell_ist(A_OPTGROUP)) pop();
            einfuegen(t, a);
            return false;
        case A_HR:
            if (aktuell_ist(A_OPTION)) pop();
            if (aktuell_ist(A_OPTGROUP)) pop();
            einfuegen(t, a);
            pop();
            return false;
        case A_SELECT:
            fehler("unexpected-select-in-select");
            if (!im_bereich(A_SELECT, AUSWAHL)) return false;
            pop_bis(A_SELECT);
            modus_zuruecksetzen();
            return false;
        case A_INPUT: case A_KEYGEN: case A_TEXTAREA:
            fehler("unexpected-input-in-select");
            if (!im_bereich(A_SELECT, AUSWAHL)) return false;
            pop_bis(A_SELECT);
            modus_zuruecksetzen();
            return true;
        case A_SCRIPT: case A_TEMPLATE: return in_head(t);
        default: break;
        }
        break;
    case H5ART::ENDE:
        switch (a) {
        case A_OPTGROUP:
            if (aktuell_ist(A_OPTION) && stapel.size() > 1 && ist(stapel[stapel.size() - 2], A_OPTGROUP)) pop();
            if (aktuell_ist(A_OPTGROUP)) pop(true);
            else fehler("unexpected-end-tag-in-select");
            return false;
        case A_OPTION:
            if (aktuell_ist(A_OPTION)) pop(true);
            else fehler("unexpected-end-tag-in-select");
            return false;
        case A_SELECT:
            if (!im_bereich(A_SELECT, AUSWAHL)) {
                fehler("unexpected-end-tag");
                return false;
            }
            pop_bis(A_SELECT);
            modus_zuruecksetzen();
            return false;
        case A_TEMPLATE: return in_head(t);
        default: break;
        }
        break;
    default: break;
    }
    fehler("unexpected-token-in-select");
    return false;
}

bool H5BAUM::in_select_in_table(H5TOK& t) {
    const int32_t a = akt_atom;
    const bool tabelle = a == A_CAPTION || a == A_TABLE || a == A_TBODY || a == A_TFOOT || a == A_THEAD ||
                         a == A_TR || a == A_TD || a == A_TH;
    if (t.art == H5ART::START && tabelle) {
        fehler("unexpected-table-element-start-tag-in-select-in-table");
        pop_bis(A_SELECT);
        modus_zuruecksetzen();
        return true;
    }
    if (t.art == H5ART::ENDE && tabelle) {
        fehler("unexpected-table-element-end-tag-in-select-in-table");
        if (!im_bereich(a, TABELLE)) return false;
        pop_bis(A_SELECT);
        modus_zuruecksetzen();
        return true;
    }
    return in_select(t);
}

bool H5BAUM::in_template(H5TOK& t) {
    const int32_t a = akt_atom;
    switch (t.art) {
    case H5ART::KOMMENTAR:
    case H5ART::DOCTYPE:
    case H5ART::ZEICHEN: return in_body(t);
    case H5ART::START: {
        Modus neu;
        switch (a) {
        case A_BASE: case A_BASEFONT: case A_BGSOUND: case A_LINK: case A_META: case A_NOFRAMES:
        case A_SCRIPT: case A_STYLE: case A_TEMPLATE: case A_TITLE:
            return in_head(t);
        case A_CAPTION: case A_COLGROUP: case A_TBODY: case A_TFOOT: case A_THEAD: neu = IN_TABLE; break;
        case A_COL: neu = IN_COLGROUP; break;
        case A_TR: neu = IN_TBODY; break;
        case A_TD: case A_TH: neu = IN_ROW; break;
        default: neu = IN_BODY; break;
        }
        template_modi.back() = neu;
        modus = neu;
        return true;
    }
    case H5ART::ENDE:
        if (a == A_TEMPLATE) return in_head(t);
        fehler("unexpected-end-tag");
        return false;
    case H5ART::DATEIENDE:
        if (!im_stapel(A_TEMPLATE)) {
            beenden();
            return false;
        }
        fehler("eof-in-template");
        pop_bis(A_TEMPLATE);
        bis_marker_leeren();
        template_modi.pop_back();
        modus_zuruecksetzen();
        return true;
    }
    return false;
}

bool H5BAUM::nach_body(H5TOK& t) {
    const int32_t a = akt_atom;
    switch (t.art) {
    case H5ART::KOMMENTAR: kommentar_einfuegen(t, stapel[0].knoten); return false;
    case H5ART::DOCTYPE: fehler("unexpected-doctype"); return false;
    case H5ART::START:
        if (a == A_HTML) return in_body(t);
        break;
    case H5ART::ENDE:
        if (a == A_HTML) {
            if (ist_fragment) {
                fehler("unexpected-end-tag");
                return false;
            }
            html_ende_von = t.von;
            html_ende_bis = t.bis;
            modus = NACH_NACH_BODY;
            return false;
        }
        break;
    case H5ART::DATEIENDE: beenden(); return false;
    default: break;
    }
    fehler("unexpected-token-after-body");
    modus = IN_BODY;
    return true;
}

bool H5BAUM::in_frameset(H5TOK& t) {
    const int32_t a = akt_atom;
    switch (t.art) {
    case H5ART::KOMMENTAR: kommentar_einfuegen(t, -1); return false;
    case H5ART::DOCTYPE: fehler("unexpected-doctype"); return false;
    case H5ART::START:
        switch (a) {
        case A_HTML: return in_body(t);
        case A_FRAMESET: einfuegen(t, a); return false;
        case A_FRAME:
            einfuegen(t, a);
            pop();
            return false;
        case A_NOFRAMES: return in_head(t);
        default: break;
        }
        break;
    case H5ART::ENDE:
        if (a == A_FRAMESET) {
            if (stapel.size() == 1) {
                fehler("unexpected-end-tag");
                return false;
            }
            pop(true);
            if (!ist_fragment && !aktuell_ist(A_FRAMESET)) modus = NACH_FRAMESET;
            return false;
        }
        break;
    case H5ART::DATEIENDE:
        if (stapel.size() != 1) fehler("eof-in-frameset");
        beenden();
        return false;
    default: break;
    }
    fehler("unexpected-token-in-frameset");
    return false;
}

bool H5BAUM::nach_frameset(H5TOK& t) {
    const int32_t a = akt_atom;
    switch (t.art) {
    case H5ART::KOMMENTAR: kommentar_einfuegen(t, -1); return false;
    case H5ART::DOCTYPE: fehler("unexpected-doctype"); return false;
    case H5ART::START:
        if (a == A_HTML) return in_body(t);
        if (a == A_NOFRAMES) return in_head(t);
        break;
    case H5ART::ENDE:
        if (a == A_HTML) {
            html_ende_von = t.von;
            html_ende_bis = t.bis;
            modus = NACH_NACH_FRAMESET;
            return false;
        }
        break;
    case H5ART::DATEIENDE: beenden(); return false;
    default: break;
    }
    fehler("unexpected-token-after-frameset");
    return false;
}

bool H5BAUM::nach_nach_body(H5TOK& t) {
    const int32_t a = akt_atom;
    switch (t.art) {
    case H5ART::KOMMENTAR: senke->kommentar(0, t.name(), t.von, t.bis); return false;
    case H5ART::DOCTYPE: return in_body(t);
    case H5ART::START:
        if (a == A_HTML) return in_body(t);
        break;
    case H5ART::DATEIENDE: beenden(); return false;
    default: break;
    }
    fehler("expected-eof-but-got-token");
    modus = IN_BODY;
    return true;
}

bool H5BAUM::nach_nach_frameset(H5TOK& t) {
    const int32_t a = akt_atom;
    switch (t.art) {
    case H5ART::KOMMENTAR: senke->kommentar(0, t.name(), t.von, t.bis); return false;
    case H5ART::DOCTYPE: return in_body(t);
    case H5ART::START:
        if (a == A_HTML) return in_body(t);
        if (a == A_NOFRAMES) return in_head(t);
        break;
    case H5ART::DATEIENDE: beenden(); return false;
    default: break;
    }
    fehler("expected-eof-but-got-token");
    return false;
}

// ---------------------------------------------------------------- Foreign content

bool H5BAUM::fremd(H5TOK& t) {
    const int32_t a = akt_atom;
    switch (t.art) {
    case H5ART::KOMMENTAR: kommentar_einfuegen(t, -1); return false;
    case H5ART::DOCTYPE: fehler("unexpected-doctype"); return false;
    case H5ART::START: {
        bool ausbruch = false;
        switch (a) {
        case A_B: case A_BIG: case A_BLOCKQUOTE: case A_BODY: case A_BR: case A_CENTER: case A_CODE: case A_DD:
        case A_DIV: case A_DL: case A_DT: case A_EM: case A_EMBED: case A_H1: case A_H2: case A_H3: case A_H4:
        case A_H5: case A_H6: case A_HEAD: case A_HR: case A_I: case A_IMG: case A_LI: case A_LISTING:
        case A_MENU: case A_META: case A_NOBR: case A_OL: case A_P: case A_PRE: case A_RUBY: case A_S:
        case A_SMALL: case A_SPAN: case A_STRONG: case A_STRIKE: case A_SUB: case A_SUP: case A_TABLE:
        case A_TT: case A_U: case A_UL: case A_VAR:
            ausbruch = true;
            break;
        case A_FONT:
            ausbruch = attribut(t, L"color") || attribut(t, L"face") || attribut(t, L"size");
            break;
        default: break;
        }
        // The fragment case acts as "any other start tag", as the
        // html5lib-tests expect (an svg fragment keeps <div> in SVG).
        if (ausbruch && !ist_fragment) {
            fehler("unexpected-html-element-in-foreign-content");
            while (!(mathml_text_ip(aktuell()) || html_ip(aktuell()) || aktuell().ns == H5NS::HTML)) pop();
            return nach_modus(t, modus);
        }
        const H5NS ns = angepasst()->ns;
        einfuegen_fremd(t, ns);
        if (t.selbstschliessend) pop();
        return false;
    }
    case H5ART::ENDE: {
        if (a == A_BR || a == A_P) {
            fehler("unexpected-end-tag");
            while (!(mathml_text_ip(aktuell()) || html_ip(aktuell()) || aktuell().ns == H5NS::HTML)) pop();
            return nach_modus(t, modus);
        }
        if (a == A_SCRIPT && aktuell().ns == H5NS::SVG && aktuell().atom == A_SCRIPT) {
            pop(true);
            return false;
        }
        // Down through the foreign elements to one of that name (popped with
        // all above it) or to the first HTML element (the token goes to the
        // insertion mode); the html element alone (fragment case): ignored.
        if (namen_.klein(aktuell().atom) != a) fehler("unexpected-end-tag");
        if (stapel.size() == 1) return false;
        const long i = suchen_bis_grenze(a, FREMD);
        if (i < 0) return nach_modus(t, modus);
        while (static_cast<long>(stapel.size()) > i) pop(static_cast<long>(stapel.size()) - 1 == i);
        return false;
    }
    default: break;
    }
    return nach_modus(t, modus);
}
