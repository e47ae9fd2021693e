#include "markup/H5LESER.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <string>

#include "base/Konsole.h"
#include "base/NAMEN.h"
#include "markup/DCL.h"
#include "markup/H5FEHLERTEXT.h"
#include "markup/SGML.h"
#include "textio/BUF.h"

namespace {

// While the document is read, a start tag's value holds its name's atom
// (shifted by 3) with the namespace and whether "/>" closed it, and the
// link of a piece's first item names the piece; the last walk sets both as
// the other readers have them.
constexpr int32_t NS_SVG = 1, NS_MATHML = 2, SELBST = 4;
// An attribute name's value holds its atom plus one (0: none), so that the
// last walk numbers the name without reading its text again: by then the
// text has long left the cache.
constexpr int32_t ATOM_GRENZE = 1 << 20;

int32_t ns_code(H5NS ns) { return ns == H5NS::SVG ? NS_SVG : ns == H5NS::MATHML ? NS_MATHML : 0; }

// Void elements of HTML: they never have content, and their copy is an
// empty tag.
bool leeres_element(int32_t atom) {
    switch (atom) {
    case A_AREA: case A_BASE: case A_BASEFONT: case A_BGSOUND: case A_BR: case A_COL: case A_EMBED:
    case A_FRAME: case A_HR: case A_IMG: case A_INPUT: case A_KEYGEN: case A_LINK: case A_META:
    case A_PARAM: case A_SOURCE: case A_TRACK: case A_WBR: return true;
    default: return false;
    }
}

wchar_t klein(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; }

// Where a tag or attribute name in the source ends (at white space, "/",
// ">" or, for attribute names, "=").
const wchar_t* name_ende(const wchar_t* p, const wchar_t* ende, bool attribut) {
    while (p < ende) {
        const wchar_t c = *p;
        if (c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\f' || c == L'/' || c == L'>' ||
            (attribut && c == L'='))
            break;
        ++p;
    }
    return p;
}

constexpr bool ist_marke(int32_t a) { return a < 0; }

}  // namespace

H5LESER::H5LESER(BUF* buffer, META* store, DCL* declarations, bool zeigen, bool spannen)
    : buf(buffer), meta(store), dcl(declarations), fehler_zeigen(zeigen), mit_spannen(spannen) {
    if (buf == nullptr || meta == nullptr || buf->text == nullptr) return;
    const std::uint64_t n = buf->length;
    if (n > static_cast<std::uint64_t>(INT_MAX)) {
        Konsole_Text(L"FEHLER: (Parser) Datenmenge zu groß (2 GB erreicht oder überschritten).\n");
        Konsole_Text(L"FEHLER: (Parser) Initialisierung fehlgeschlagen.\n");
        return;
    }
    // Web pages have short runs and tags the algorithm adds: about one
    // item per 6 to 10 characters.
    const int kapazitaet = n < 65536 ? static_cast<int>(n / 2) : static_cast<int>(n / 8);
    if (!meta->Init(kapazitaet, dcl)) {
        Konsole_Text(L"FEHLER: (Parser) Initialisierung fehlgeschlagen.\n");
        return;
    }
    text_anfang = buf->text;
    text_ende = buf->text + n;
    meta->Dokumenttext(text_anfang, text_ende);
    knoten.reserve(static_cast<size_t>(n / 32) + 16);
    bereit = true;
}

H5LESER::~H5LESER() = default;

// ------------------------------------------------------------------ parsing

int H5LESER::document() {
    if (!bereit) return 0;
    kopf = stueck_neu(-1, -1);
    dok_marke = stueck_neu(-1, -1);
    stuecke[kopf].nach = dok_marke;
    stuecke[dok_marke].vor = kopf;
    knoten.push_back({-1, -1, -2 - dok_marke});
    {
        H5TOKEN tok(text_anfang, text_ende);
        H5BAUM baum(this);
        namen = &baum.namen();
        if (fehler_zeigen) {
            tok.fehlerziel(fehler_melden, this);
            baum.fehlerziel(fehler_melden, this);
        }
        baum.lesen(tok);
        meta_kodierung = std::string(baum.meta_kodierung());
        namen = nullptr;
    }
    if (fehler_zeigen) meldungen.Bilanz();
    const bool gut = !speicher_voll && abschliessen();
    std::vector<Knoten>().swap(knoten);
    std::vector<Stueck>().swap(stuecke);
    anfaenge = Anfaenge{};
    return gut ? 1 : 0;
}

void H5LESER::fehler_melden(void* kontext, const char* code, const wchar_t* stelle) {
    auto* l = static_cast<H5LESER*>(kontext);
    const std::wstring text = H5_Fehlertext(code);
    const std::wstring zeile = L"WARNUNG: (Parser) HTML5, " + text;
    if (!l->meldungen.Zeigen(zeile, stelle, false)) return;
    l->buf->Fehlermeldung(0, 0, L"HTML5", text.c_str(), nullptr, stelle);
}

// -------------------------------------------------------------------- items

int H5LESER::anfuegen(METAtypeItems art, const wchar_t* von, const wchar_t* bis, int value, int link) {
    if (speicher_voll) return -1;
    const int nummer = meta->AddItem(art, const_cast<wchar_t*>(von), const_cast<wchar_t*>(bis), 0, value, link);
    if (nummer == 0) {
        // The store has said why; the document cannot be converted.
        speicher_voll = true;
        return -1;
    }
    return nummer - 1;
}

wchar_t* H5LESER::ablegen(std::wstring_view text) {
    if (text.size() <= 2) {
        const uint64_t schluessel = (text.size() > 0 ? static_cast<uint64_t>(text[0]) : 0) << 32 |
                                    (text.size() > 1 ? static_cast<uint64_t>(text[1]) + 1 : 0);
        auto [it, neu] = kurztexte.emplace(schluessel, nullptr);
        if (neu) it->second = meta->Ablegen(text.data(), text.size());
        return it->second;
    }
    return meta->Ablegen(text.data(), text.size());
}

wchar_t* H5LESER::name_ablegen(int32_t atom, std::wstring_view name) {
    if (atom < 0) return ablegen(name);
    if (static_cast<size_t>(atom) >= namen_text.size()) namen_text.resize(static_cast<size_t>(atom) + 1, nullptr);
    if (namen_text[atom] == nullptr) namen_text[atom] = meta->Ablegen(name.data(), name.size());
    return namen_text[atom];
}

void H5LESER::spanne(const wchar_t* von, const wchar_t* bis, int item) {
    if (mit_spannen && item >= 0 && von != nullptr && im_text(von)) spannen_.push_back({von, bis, item});
}

// A name that stands in the source at `quelle` (its case may differ there)
// points there, its case folded in place; one the source does not hold
// that way goes into the arena.
void H5LESER::name_item(METAtypeItems art, const wchar_t* quelle, std::wstring_view name, int value, int link) {
    const wchar_t* q_ende = name_ende(quelle, text_ende, art == META_ATTR_NAME);
    int item;
    if (static_cast<size_t>(q_ende - quelle) >= name.size() && !name.empty()) {
        wchar_t* ziel = const_cast<wchar_t*>(quelle);
        for (size_t i = 0; i < name.size(); ++i)
            if (ziel[i] != name[i]) ziel[i] = name[i];
        item = anfuegen(art, quelle, quelle + name.size(), value, link);
    } else {
        const wchar_t* t = ablegen(name);
        if (t == nullptr) {
            speicher_voll = true;
            return;
        }
        item = anfuegen(art, t, t + name.size(), value, link);
    }
    spanne(quelle, q_ende, item);
}

int32_t H5LESER::attribut_wert(std::wstring_view name) {
    const int32_t atom = namen != nullptr ? namen->atom(name) : -1;
    return atom >= 0 && atom < ATOM_GRENZE ? atom + 1 : 0;
}

void H5LESER::attribut_items(const H5ATTRIBUT& a, bool aus_quelle) {
    // Foreign attributes keep their prefix in the name (xlink:href).
    std::wstring qualifiziert;
    std::wstring_view name = a.name;
    if (a.ns == H5NS::XLINK || a.ns == H5NS::XML || (a.ns == H5NS::XMLNS && a.name != L"xmlns")) {
        qualifiziert = a.ns == H5NS::XLINK ? L"xlink:" : a.ns == H5NS::XML ? L"xml:" : L"xmlns:";
        qualifiziert += a.name;
        name = qualifiziert;
    }
    const int32_t wert = attribut_wert(name);
    if (aus_quelle && a.von != nullptr && im_text(a.von)) {
        name_item(META_ATTR_NAME, a.von, name, wert, 0);
    } else {
        const wchar_t* t = ablegen(name);
        if (t == nullptr) {
            speicher_voll = true;
            return;
        }
        anfuegen(META_ATTR_NAME, t, t + name.size(), wert);
    }
    if (a.wert.empty()) return;
    const wchar_t* w = a.wert.data();
    if (aus_quelle && im_text(w)) {
        spanne(w, w + a.wert.size(), anfuegen(META_ATTR_DATA, w, w + a.wert.size()));
        return;
    }
    if (aus_quelle && !fehler_zeigen && a.von != nullptr && im_text(a.von)) {
        // The decoded value is never longer than its source: it takes that
        // place in the text.
        const wchar_t* q = name_ende(a.von, a.bis, true);
        while (q < a.bis && (*q == L' ' || *q == L'\t' || *q == L'\n' || *q == L'\r' || *q == L'\f')) ++q;
        if (q < a.bis && *q == L'=') ++q;
        while (q < a.bis && (*q == L' ' || *q == L'\t' || *q == L'\n' || *q == L'\r' || *q == L'\f')) ++q;
        const bool zitiert = q < a.bis && (*q == L'"' || *q == L'\'');
        const wchar_t* ende = zitiert ? a.bis - 1 : a.bis;
        if (zitiert) ++q;
        if (q <= ende && static_cast<size_t>(ende - q) >= a.wert.size()) {
            wchar_t* ziel = const_cast<wchar_t*>(q);
            einschreiben(ziel, a.wert, ende);
            spanne(q, ende, anfuegen(META_ATTR_DATA, ziel, ziel + a.wert.size()));
            return;
        }
    }
    const wchar_t* t = meta->Ablegen(w, a.wert.size());
    if (t == nullptr) {
        speicher_voll = true;
        return;
    }
    const int item = anfuegen(META_ATTR_DATA, t, t + a.wert.size());
    if (aus_quelle) spanne(a.von, a.bis, item);
}

int H5LESER::element(const H5ELEMENT& e) {
    const int32_t s = anzahl();
    const bool aus_quelle = e.von != nullptr && im_text(e.von);
    bool selbst = false;
    if (aus_quelle) {
        selbst = e.bis - e.von >= 2 && e.bis[-2] == L'/';
        name_item(META_STARTTAG, e.von + 1, e.name, e.atom << 3 | ns_code(e.ns) | (selbst ? SELBST : 0), 0);
    } else {
        const wchar_t* t = name_ablegen(e.atom, e.name);
        if (t == nullptr) speicher_voll = true;
        else anfuegen(META_STARTTAG, t, t + e.name.size(), e.atom << 3 | ns_code(e.ns));
    }
    for (size_t i = 0; i < e.anzahl; ++i) attribut_items(e.attribute[i], aus_quelle);
    knoten.push_back({s, -1, -1});
    return static_cast<int>(knoten.size() - 1);
}

// Writes the decoded text at ziel, a place in the source it was read from
// (references and CR LF only make it shorter); the rest up to ende becomes
// blanks, so that no line feed left there counts in message positions.
void H5LESER::einschreiben(wchar_t* ziel, std::wstring_view text, const wchar_t* ende) {
    if (text.data() != ziel) std::wmemmove(ziel, text.data(), text.size());
    for (wchar_t* p = ziel + text.size(); p < ende; ++p) *p = L' ';
}

// A piece of text as one item in its own place in the source: decoded
// there (einschreiben); text that continues the last data item in the
// source and in tree order joins it.
void H5LESER::text_kompakt(const H5TEXT& t, bool anschluss) {
    const size_t n = t.text.size();
    if (n == 0) return;
    const std::wstring_view text = t.unveraendert() ? std::wstring_view(t.von, n) : t.text;
    if (letzte_daten >= 0 && letzte_daten_ende == t.von) {
        META::metaitem& vorige = meta->Item(letzte_daten);
        if (anschluss && letzte_daten == anzahl() - 1) {
            wchar_t* w = vorige.end;
            einschreiben(w, text, t.bis);
            vorige.end = w + n;
            letzte_daten_ende = t.bis;
            if (mit_spannen && !spannen_.empty() && spannen_.back().item == letzte_daten) spannen_.back().bis = t.bis;
            return;
        }
        if (vorige.end == t.von) vorige_auslagern(vorige);
    }
    wchar_t* ziel = const_cast<wchar_t*>(t.von);
    einschreiben(ziel, text, t.bis);
    const int item = anfuegen(META_DATA, ziel, ziel + n);
    if (item < 0) return;
    letzte_daten = item;
    letzte_daten_ende = t.bis;
    spanne(t.von, t.bis, item);
}

// The last data item ends where new text begins that goes elsewhere: it
// moves into the arena, so that its terminator cannot cut the new text.
void H5LESER::vorige_auslagern(META::metaitem& vorige) {
    const std::wstring_view alt = vorige.Text();
    wchar_t* kopie = meta->Ablegen(alt.data(), alt.size());
    if (kopie == nullptr) {
        speicher_voll = true;
        return;
    }
    vorige.start = kopie;
    vorige.end = kopie + alt.size();
}

// A piece of text, item by item, where messages need the source as it is
// (PARSEERRORS = SHOW): runs equal to their source point there, decoded
// characters lie in the arena. `anschluss`: the items follow the last item
// in tree order, so that text continuing the last data item in the source
// joins it.
void H5LESER::text_items(const H5TEXT& t, bool anschluss) {
    const size_t n = t.text.size();
    const wchar_t* q = t.von;
    size_t pos = 0;
    for (size_t i = 0; i < t.anzahl; ++i) {
        const H5ERSATZ& r = t.ersetzungen[i];
        const size_t tv = std::min(n, r.text_von > t.basis ? r.text_von - t.basis : 0);
        const size_t tb = std::min(n, r.text_bis > t.basis ? r.text_bis - t.basis : 0);
        if (tv > pos) {
            quelltext_item(q, tv - pos, anschluss);
            pos = tv;
        }
        if (tb > pos) {
            const std::wstring_view d = t.text.substr(pos, tb - pos);
            const size_t ql = static_cast<size_t>(r.quelle_bis - r.quelle_von);
            // A CR LF is the LF behind the CR.
            if (d.size() <= ql && std::wmemcmp(r.quelle_bis - d.size(), d.data(), d.size()) == 0)
                quelltext_item(r.quelle_bis - d.size(), d.size(), anschluss);
            else
                dekodiert_item(d, r.quelle_von, r.quelle_bis);
            pos = tb;
        }
        q = r.quelle_bis;
    }
    if (n > pos) quelltext_item(q, n - pos, anschluss);
}

void H5LESER::quelltext_item(const wchar_t* von, size_t n, bool anschluss) {
    if (letzte_daten >= 0 && letzte_daten_ende == von) {
        META::metaitem& vorige = meta->Item(letzte_daten);
        if (anschluss && letzte_daten == anzahl() - 1) {
            vorige.end = const_cast<wchar_t*>(von + n);
            letzte_daten_ende = von + n;
            if (mit_spannen && !spannen_.empty() && spannen_.back().item == letzte_daten) spannen_.back().bis = von + n;
            return;
        }
        vorige_auslagern(vorige);
    }
    const int item = anfuegen(META_DATA, von, von + n);
    if (item < 0) return;
    letzte_daten = item;
    letzte_daten_ende = von + n;
    spanne(von, von + n, item);
}

void H5LESER::dekodiert_item(std::wstring_view text, const wchar_t* von, const wchar_t* bis) {
    const wchar_t* t = ablegen(text);
    if (t == nullptr) {
        speicher_voll = true;
        return;
    }
    spanne(von, bis, anfuegen(META_DATA, t, t + text.size()));
}

void H5LESER::text(int eltern, int vor, const H5TEXT& t) {
    const int32_t x = anzahl();
    int z = vor != 0 ? beginn_bei(knoten[vor].s) : -1;
    if (z < 0) z = ziel(eltern);
    const int pv = stuecke[z].vor;
    const bool anschluss = pv >= 0 && stuecke[pv].b == x;
    if (fehler_zeigen) text_items(t, anschluss);
    else text_kompakt(t, anschluss);
    const int32_t y = anzahl();
    if (y > x) stueck_anhaengen(x, y, z);
}

// ------------------------------------------------------------------- pieces

int H5LESER::stueck_neu(int32_t a, int32_t b) {
    int p;
    if (frei >= 0) {
        p = frei;
        frei = stuecke[p].nach;
        stuecke[p] = {a, b, -1, -1};
    } else {
        p = static_cast<int>(stuecke.size());
        stuecke.push_back({a, b, -1, -1});
    }
    if (!ist_marke(a)) {
        anfaenge.setzen(a);
        meta->Item(a).link = p;
    }
    return p;
}

void H5LESER::stueck_frei(int p) {
    stuecke[p] = {-1, -1, -1, frei};
    frei = p;
}

void H5LESER::verbinden_vor(int erstes, int letztes, int ziel) {
    const int vor = stuecke[ziel].vor;
    stuecke[erstes].vor = vor;
    if (vor >= 0) stuecke[vor].nach = erstes;
    stuecke[letztes].nach = ziel;
    stuecke[ziel].vor = letztes;
}

void H5LESER::loesen(int erstes, int letztes) {
    const int vor = stuecke[erstes].vor, nach = stuecke[letztes].nach;
    if (vor >= 0) stuecke[vor].nach = nach;
    if (nach >= 0) stuecke[nach].vor = vor;
    stuecke[erstes].vor = -1;
    stuecke[letztes].nach = -1;
}

void H5LESER::Anfaenge::setzen(int32_t k) {
    uint64_t x = static_cast<uint64_t>(k);
    for (auto& s : stufe) {
        const size_t w = x >> 6;
        if (w >= s.size()) s.resize(w + 1 + s.size() / 2, 0);
        s[w] |= uint64_t{1} << (x & 63);
        x = w;
    }
}

int32_t H5LESER::Anfaenge::vorgaenger(int32_t k) const {
    if (k < 0) return -1;
    int64_t x = k;
    auto msb = [](uint64_t m) { return 63 - __builtin_clzll(m); };
    for (int l = 0; l < 3; ++l) {
        const std::vector<uint64_t>& s = stufe[l];
        int64_t w = x >> 6;
        uint64_t m = 0;
        if (w >= static_cast<int64_t>(s.size())) {
            w = static_cast<int64_t>(s.size()) - 1;
            if (w >= 0) m = s[w];
        } else {
            const int b = static_cast<int>(x & 63);
            m = s[w] & (b == 63 ? ~uint64_t{0} : (uint64_t{2} << b) - 1);
        }
        // The top level has no summary: its words are few and scanned.
        while (l == 2 && m == 0 && w > 0) m = s[--w];
        if (m != 0) {
            x = (w << 6) + msb(m);
            for (int u = l - 1; u >= 0; --u) x = (x << 6) + msb(stufe[u][x]);
            return static_cast<int32_t>(x);
        }
        if (w <= 0) return -1;
        x = w - 1;
    }
    return -1;
}

template <typename F>
void H5LESER::Anfaenge::alle(F&& f) const {
    const std::vector<uint64_t>& s = stufe[0];
    for (size_t w = 0; w < s.size(); ++w)
        for (uint64_t m = s[w]; m != 0; m &= m - 1) f(static_cast<int32_t>((w << 6) + __builtin_ctzll(m)));
}

int H5LESER::stueck_mit(int32_t k) const {
    const int32_t a = anfaenge.vorgaenger(k);
    if (a < 0) return -1;
    const int p = meta->Item(a).link;
    return p >= 0 && p < static_cast<int>(stuecke.size()) && k < stuecke[p].b ? p : -1;
}

int H5LESER::beginn_bei(int32_t k) {
    const int p = stueck_mit(k);
    if (p < 0 || stuecke[p].a == k) return p;
    const int32_t b = stuecke[p].b;
    const int q = stueck_neu(k, b);
    stuecke[p].b = k;
    const int nach = stuecke[p].nach;
    stuecke[q].vor = p;
    stuecke[q].nach = nach;
    stuecke[p].nach = q;
    if (nach >= 0) stuecke[nach].vor = q;
    return q;
}

int H5LESER::ende_bei(int32_t k) {
    const int p = stueck_mit(k);
    if (p >= 0 && stuecke[p].b > k + 1) beginn_bei(k + 1);
    return p;
}

int32_t H5LESER::inhalt_anfang(int k) const {
    const int32_t n = anzahl();
    int32_t i = knoten[k].s + 1;
    while (i < n && (meta->Item(i).kind & 0x840) == 0x840) ++i;
    return i;
}

// A piece of items placed before the piece `ziel`; it continues the piece
// there when that ends with the item before a.
void H5LESER::stueck_anhaengen(int32_t a, int32_t b, int ziel) {
    const int pv = stuecke[ziel].vor;
    if (pv >= 0 && !ist_marke(stuecke[pv].a) && stuecke[pv].b == a) {
        stuecke[pv].b = b;
        return;
    }
    const int p = stueck_neu(a, b);
    verbinden_vor(p, p, ziel);
}

int H5LESER::kette_anlegen(int k) {
    const int a = stueck_neu(knoten[k].s, inhalt_anfang(k));
    const int m = stueck_neu(-1, -1);
    stuecke[a].nach = m;
    stuecke[m].vor = a;
    knoten[k].zustand = -2 - m;
    return m;
}

int H5LESER::ziel(int eltern) {
    if (eltern <= 0) return dok_marke;
    const Knoten& e = knoten[eltern];
    if (marke_von(e) >= 0) return marke_von(e);
    if (ende_von(e) >= 0) {
        const int p = beginn_bei(ende_von(e));
        if (p >= 0) return p;
        // An element whose end left the tree: what goes into it is lost
        // with it, in a list of its own.
        const int m = stueck_neu(-1, -1);
        return m;
    }
    return kette_anlegen(eltern);
}

void H5LESER::einsetzen(int eltern, int kind, int vor) {
    int z = vor != 0 ? beginn_bei(knoten[vor].s) : -1;
    if (z < 0) z = ziel(eltern);
    const Knoten& k = knoten[kind];
    if (k.zustand == -1) {
        // First placement: its start tag's items, then its end marker.
        const int32_t cb = inhalt_anfang(kind);
        stueck_anhaengen(k.s, cb, z);
        const int m = stueck_neu(-1, -1);
        verbinden_vor(m, m, z);
        knoten[kind].zustand = -2 - m;
    } else {
        const int erstes = beginn_bei(k.s);
        const int letztes = marke_von(k) >= 0 ? marke_von(k) : ende_bei(ende_von(k));
        if (erstes >= 0 && letztes >= 0) {
            loesen(erstes, letztes);
            verbinden_vor(erstes, letztes, z);
        }
    }
    knoten[kind].eltern = eltern;
}

void H5LESER::anhaengen(int eltern, int kind) { einsetzen(eltern, kind, 0); }

void H5LESER::einfuegen_vor(int eltern, int kind, int vor) { einsetzen(eltern, kind, vor); }

// The builder asks only for a table's parent, to foster content before the
// table, which itself says where that goes; what counts is whether it has
// one. The parent recorded at the last placement may be stale where the
// adoption agency handed the children of one element to another, which
// changes no answer of this kind.
int H5LESER::eltern(int k) {
    if (k <= 0 || k >= static_cast<int>(knoten.size())) return -1;
    return knoten[k].eltern;
}

void H5LESER::entfernen(int k) {
    const Knoten& e = knoten[k];
    if (e.eltern < 0) return;
    const int erstes = beginn_bei(e.s);
    const int letztes = marke_von(e) >= 0 ? marke_von(e) : ende_von(e) >= 0 ? ende_bei(ende_von(e)) : -1;
    if (erstes >= 0 && letztes >= 0) loesen(erstes, letztes);
    knoten[k].eltern = -1;
}

void H5LESER::umhaengen(int von, int nach) {
    const Knoten& v = knoten[von];
    if (v.zustand == -1) return;
    const int attr = ende_bei(inhalt_anfang(von) - 1);
    const int schluss = marke_von(v) >= 0 ? marke_von(v) : beginn_bei(ende_von(v));
    if (attr < 0 || schluss < 0) return;
    const int erstes = stuecke[attr].nach;
    if (erstes == schluss || erstes < 0) return;
    const int letztes = stuecke[schluss].vor;
    const int z = ziel(nach);
    loesen(erstes, letztes);
    verbinden_vor(erstes, letztes, z);
}

void H5LESER::attribute_ergaenzen(int k, const H5ATTRIBUT* a, size_t n) {
    auto it = letztes_attribut.find(k);
    const int nach = it != letztes_attribut.end() ? it->second : ende_bei(inhalt_anfang(k) - 1);
    const int32_t x = anzahl();
    for (size_t i = 0; i < n; ++i) attribut_items(a[i], true);
    const int32_t y = anzahl();
    if (y == x) return;
    if (nach < 0) return;
    const int p = stueck_neu(x, y);
    const int folgend = stuecke[nach].nach;
    stuecke[p].vor = nach;
    stuecke[p].nach = folgend;
    stuecke[nach].nach = p;
    if (folgend >= 0) stuecke[folgend].vor = p;
    letztes_attribut[k] = p;
}

void H5LESER::schliessen(int k, const wchar_t* von, const wchar_t* bis) {
    const Knoten& e = knoten[k];
    const int marke = marke_von(e);
    if (marke < 0) return;
    const META::metaitem& start = meta->Item(e.s);
    const int32_t atom = start.value >> 3, flags = start.value & 7;
    const std::wstring_view name = start.Text();
    const int pv = stuecke[marke].vor;
    const int32_t cb = inhalt_anfang(k);
    const bool leer = pv >= 0 && !ist_marke(stuecke[pv].a) && stuecke[pv].b == cb && stuecke[pv].a <= e.s;
    const int32_t x = anzahl();
    const bool html = (flags & 3) == 0;
    if (leer && ((html && leeres_element(atom)) || (!html && (flags & SELBST)))) {
        const wchar_t* t = ablegen(L"/");
        if (t != nullptr) anfuegen(META_EMPTYTAG_CLOSE, t, t + 1);
    } else if (von != nullptr && im_text(von) && bis - von > 2) {
        // The end tag's name in the source, when it names the element.
        const wchar_t* q = von + 2;
        const wchar_t* q_ende = name_ende(q, bis, false);
        bool gleich = static_cast<size_t>(q_ende - q) == name.size();
        for (size_t i = 0; gleich && i < name.size(); ++i) gleich = klein(q[i]) == klein(name[i]);
        if (gleich) {
            name_item(META_ENDTAG, q, name, 0, 0);
        } else {
            const wchar_t* t = name_ablegen(atom, name);
            if (t != nullptr) spanne(von, bis, anfuegen(META_ENDTAG, t, t + name.size()));
        }
    } else {
        const wchar_t* t = name_ablegen(atom, name);
        if (t != nullptr) anfuegen(META_ENDTAG, t, t + name.size());
    }
    const int32_t y = anzahl();
    if (y == x) {
        speicher_voll = true;
        return;
    }
    stueck_anhaengen(x, y, marke);
    loesen(marke, marke);
    stueck_frei(marke);
    knoten[k].zustand = x;
}

// ------------------------------------------------------------------ the end

bool H5LESER::abschliessen() {
    // An element still open here (none should be) ends where its content ends.
    for (size_t k = 1; k < knoten.size(); ++k)
        if (marke_von(knoten[k]) >= 0) schliessen(static_cast<int>(k), nullptr, nullptr);
    if (speicher_voll) return false;
    int32_t gesamt = 0;
    if (!ordnen(gesamt)) return false;
    // What the order needed is not needed any more.
    std::vector<Knoten>().swap(knoten);
    std::vector<Stueck>().swap(stuecke);
    anfaenge = Anfaenge{};
    return ebenen_setzen(gesamt);
}

// Puts the items into tree order in place and drops those of nodes that
// left the tree.
bool H5LESER::ordnen(int32_t& gesamt) {
    // Each piece's place in tree order.
    std::vector<int32_t> ziel_von_stueck(stuecke.size(), -1);
    int32_t pos = 0;
    bool gleich = true;
    for (int p = stuecke[kopf].nach; p >= 0; p = stuecke[p].nach) {
        const Stueck& s = stuecke[p];
        if (ist_marke(s.a)) continue;
        if (s.a != pos) gleich = false;
        ziel_von_stueck[p] = pos;
        pos += s.b - s.a;
    }
    gesamt = pos;
    const int32_t n = anzahl();
    if (gleich && gesamt == n) return true;
    // The runs by their items, ascending: the pieces and the items of no
    // piece between them, which go behind the tree in their order.
    struct Bereich {
        int32_t a, b, ziel;
    };
    std::vector<Bereich> alle;
    int32_t rest = gesamt, bei = 0;
    anfaenge.alle([&](int32_t a) {
        const int p = meta->Item(a).link;
        if (a > bei) {
            alle.push_back({bei, a, rest});
            rest += a - bei;
        }
        const int32_t z = ziel_von_stueck[p];
        const int32_t b = stuecke[p].b;
        if (z >= 0) {
            alle.push_back({a, b, z});
        } else {
            alle.push_back({a, b, rest});
            rest += b - a;
        }
        bei = b;
    });
    if (bei < n) alle.push_back({bei, n, rest});
    std::vector<int32_t>().swap(ziel_von_stueck);
    // For each block of 64 items the first run that reaches into it.
    std::vector<int32_t> block((static_cast<size_t>(n) >> 6) + 1, 0);
    for (size_t r = 0, b = 0; b < block.size(); ++b) {
        while (r + 1 < alle.size() && alle[r].b <= static_cast<int32_t>(b << 6)) ++r;
        block[b] = static_cast<int32_t>(r);
    }
    auto ziel_von = [&](int32_t i) {
        size_t r = static_cast<size_t>(block[static_cast<size_t>(i) >> 6]);
        while (alle[r].b <= i) ++r;
        return alle[r].ziel + (i - alle[r].a);
    };
    std::vector<uint64_t> fertig((static_cast<size_t>(n) + 63) / 64, 0);
    auto erledigt = [&fertig](int32_t i) { return (fertig[static_cast<size_t>(i) >> 6] >> (i & 63)) & 1; };
    auto markieren = [&fertig](int32_t i) { fertig[static_cast<size_t>(i) >> 6] |= uint64_t{1} << (i & 63); };
    for (int32_t i = 0; i < n; ++i) {
        if (erledigt(i)) continue;
        META::metaitem getragen = meta->Item(i);
        int32_t j = i;
        for (;;) {
            const int32_t d = ziel_von(j);
            META::metaitem dort = meta->Item(d);
            meta->Item(d) = getragen;
            markieren(d);
            if (d == i) break;
            getragen = dort;
            j = d;
        }
    }
    if (mit_spannen) {
        std::vector<H5SPANNE> neu;
        neu.reserve(spannen_.size());
        for (H5SPANNE s : spannen_) {
            s.item = ziel_von(s.item);
            if (s.item < gesamt) neu.push_back(s);
        }
        spannen_.swap(neu);
    }
    meta->Kuerzen(gesamt);
    return true;
}

// The number of an item's name in the name table, looked up once per atom.
int H5LESER::name_nummer(const META::metaitem& it, int32_t atom, std::vector<int>& nummer_von_atom) {
    NAMEN& tabelle = Namenstabelle();
    if (atom < 0 || atom >= ATOM_GRENZE) return tabelle.Nummer(it.start, it.end);
    if (static_cast<size_t>(atom) >= nummer_von_atom.size()) nummer_von_atom.resize(static_cast<size_t>(atom) + 1, 0);
    if (nummer_von_atom[atom] == 0) nummer_von_atom[atom] = tabelle.Nummer(it.start, it.end);
    return nummer_von_atom[atom];
}

// Levels, sibling numbers and links as SGMLR sets them; the namespaces of
// foreign elements and the names' numbers; the nesting limit.
bool H5LESER::ebenen_setzen(int32_t gesamt) {
    struct Offen {
        int32_t start;
        int32_t geschwister;
    };
    std::vector<Offen> stapel;
    int32_t oberste = 0;  // sibling count of the top level
    std::vector<std::pair<int32_t, uint8_t>> fremde;
    std::vector<int> nummer_von_atom;
    for (int32_t i = 0; i < gesamt; ++i) {
        META::metaitem& it = meta->Item(i);
        const int32_t ebene = static_cast<int32_t>(stapel.size());
        const int32_t eltern = stapel.empty() ? 0 : stapel.back().start + 1;
        switch (it.kind) {
        case META_STARTTAG: {
            const int32_t atom = it.value >> 3, link = it.value & 7;
            if (ebene >= SGML_MAX_TIEFE) {
                const wchar_t* ort = meta->Im_Dokument(i) ? static_cast<const wchar_t*>(it.start) : nullptr;
                for (int32_t j = i; ort == nullptr && j >= 0 && j > i - 64; --j)
                    if (meta->Im_Dokument(j)) ort = meta->Item(j).start;
                buf->Fehlermeldung(-1, 0, L"Element", L"Maximale Verschachtelungstiefe überschritten.", nullptr, ort);
                meta->Kuerzen(i);
                return false;
            }
            it.level = ebene;
            it.value = ++(stapel.empty() ? oberste : stapel.back().geschwister);
            it.link = eltern;
            if ((link & 3) != 0) fremde.emplace_back(i, static_cast<uint8_t>(link & 3));
            meta->Name_erfassen(i, name_nummer(it, atom, nummer_von_atom));
            stapel.push_back({i, 0});
            break;
        }
        case META_EMPTYTAG_CLOSE:
            it.level = 0;
            it.link = stapel.size() >= 2 ? stapel[stapel.size() - 2].start + 1 : 0;
            if (!stapel.empty()) stapel.pop_back();
            break;
        case META_ENDTAG:
            if (!stapel.empty()) stapel.pop_back();
            it.level = static_cast<int32_t>(stapel.size());
            it.link = stapel.empty() ? 0 : stapel.back().start + 1;
            it.value = 0;
            break;
        case META_ATTR_NAME:
            meta->Name_erfassen(i, name_nummer(it, it.value - 1, nummer_von_atom));
            [[fallthrough]];
        case META_ATTR_DATA:
            it.level = ebene - 1 < 0 ? 0 : ebene - 1;
            it.link = stapel.size() >= 2 ? stapel[stapel.size() - 2].start + 1 : 0;
            it.value = 0;
            break;
        default:
            it.level = ebene;
            it.link = eltern;
            it.value = 0;
            break;
        }
    }
    meta->Namensraeume(std::move(fremde));
    return true;
}

int H5LESER::Namen_Abschliessen() {
    if (abgeschlossen) return 0;
    const int n = meta->Anzahl();
    // The ends lie all over a text long gone from the cache: asking for
    // them some items ahead keeps the walk from waiting on each.
    constexpr int VORAUS = 16;
    for (int i = 0; i < n; ++i) {
        if (i + VORAUS < n) __builtin_prefetch(static_cast<const wchar_t*>(meta->Item(i + VORAUS).end), 1);
        wchar_t* ende = meta->Item(i).end;
        if (ende == nullptr || !meta->Im_Dokument(i)) continue;
        if (*ende == L'\n') buf->Zeilenende_retten(ende);
        if (ende < text_ende) *ende = L'\0';
    }
    abgeschlossen = true;
    return 1;
}
