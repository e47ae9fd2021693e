// Context queries on the item store: where a start tag stands among its
// parent, siblings and descendants, and the text of attributes and content.
#include <algorithm>
#include <bit>
#include <cwchar>
#include <cwctype>
#include <tuple>

#include "base/NAMEN.h"
#include "markup/DCL.h"
#include "markup/META.h"
#include "base/Konsole.h"

namespace {

void Interner_Fehler(const wchar_t* text) { Konsole_Print(L"FEHLER: (Interpreter) %ls\n", text); }

// Attribute names and value pieces share the bits 0x800 and 0x040.
bool Ist_Attributteil(METAtypeItems k) { return (k & 0x840) == 0x840; }
bool Ist_Wertteil(METAtypeItems k) { return Ist_Attributteil(k) && k != META_ATTR_NAME; }
bool Ist_Inhalt(METAtypeItems k) { return (k & 0x400) != 0; }

// Where the text of attribute and content walks goes: counted or copied.
struct Zaehler {
    std::size_t n = 0;
    bool text(const wchar_t* b, const wchar_t* e) {
        n += static_cast<std::size_t>(e - b);
        return true;
    }
    bool zeichen(wchar_t) {
        ++n;
        return true;
    }
};

struct Anhaenger {
    std::vector<wchar_t>& out;
    bool text(const wchar_t* b, const wchar_t* e) {
        out.insert(out.end(), b, e);
        return true;
    }
    bool zeichen(wchar_t c) {
        out.push_back(c);
        return true;
    }
};

struct Kopierer {
    wchar_t* out;
    std::size_t kapazitaet;
    std::size_t n = 0;
    bool text(const wchar_t* b, const wchar_t* e) {
        const std::size_t laenge = static_cast<std::size_t>(e - b);
        if (n + laenge + 1 > kapazitaet) return false;
        std::wmemcpy(out + n, b, laenge);
        n += laenge;
        return true;
    }
    bool zeichen(wchar_t c) {
        if (n + 2 > kapazitaet) return false;
        out[n++] = c;
        return true;
    }
};

// A reference as text ("&name;", "&#name;") or as one space.
template <class Senke>
bool Referenz(Senke& s, const META::metaitem& r, int als_text) {
    if (!als_text) return s.zeichen(L' ');
    const bool zeichen = (r.kind & 0x180) != 0;
    return s.zeichen(L'&') && (!zeichen || s.zeichen(L'#')) && s.text(r.start, r.end) && s.zeichen(L';');
}

// The value pieces from `first` on, up to the first item that is none.
template <class Senke>
bool Attribut_gehen(const META& m, int first, int als_text, Senke& s) {
    for (int j = first; j >= 0 && j < m.Anzahl(); ++j) {
        const META::metaitem& r = m.Item(j);
        if (!Ist_Wertteil(r.kind)) break;
        if (r.start == nullptr) continue;
        const bool ok = (r.kind & 0x380) != 0 ? Referenz(s, r, als_text) : s.text(r.start, r.end);
        if (!ok) return false;
    }
    return true;
}

// One item of an element's content. The content ends at the element's end
// tag, at the next start tag of its level or a lower one, or at any content
// item that stands outside it (an element whose end tag was left out, an
// SGML empty element): then `fertig` is set.
enum class Schritt { WEITER, FERTIG, VOLL };

template <class Senke>
Schritt Inhalt_Stelle(const META::metaitem& r, int ebene, int tags_als_leer, int als_text, Senke& s) {
    if (r.kind == META_STARTTAG || r.kind == META_ENDTAG) {
        if (r.level <= ebene) return Schritt::FERTIG;
        if (r.kind == META_STARTTAG && tags_als_leer && r.start != nullptr && !s.zeichen(L' ')) return Schritt::VOLL;
        return Schritt::WEITER;
    }
    if (!Ist_Inhalt(r.kind)) return Schritt::WEITER;
    if (r.level <= ebene) return Schritt::FERTIG;
    if (r.start == nullptr) return Schritt::WEITER;
    const bool ok = r.kind == META_DATA ? s.text(r.start, r.end) : Referenz(s, r, als_text);
    return ok ? Schritt::WEITER : Schritt::VOLL;
}

// The content through the index: only the content items of the subtree,
// and the start tags of the descendants when they read as blanks, merged
// in document order. A chain of nested elements then costs its text, not its
// depth, for every element of the chain.
template <class Senke>
bool Inhalt_gehen(const META& m, int start, int tags_als_leer, int als_text, Senke& s, const std::vector<int>& inhalt,
                  const int* tag, const int* tag_ende, int grenze) {
    const int ebene = m.Item(start).level;
    auto j = std::upper_bound(inhalt.begin(), inhalt.end(), start);
    if (!tags_als_leer) tag = tag_ende;
    for (;;) {
        const bool aus_inhalt = j != inhalt.end() && *j < grenze && (tag == tag_ende || *j < *tag);
        if (!aus_inhalt && tag == tag_ende) return true;
        const int stelle = aus_inhalt ? *j++ : *tag++;
        const Schritt x = Inhalt_Stelle(m.Item(stelle), ebene, tags_als_leer, als_text, s);
        if (x != Schritt::WEITER) return x == Schritt::FERTIG;
    }
}

}  // namespace

// ---------------------------------------------------------------- names

bool META::Name_gleich(int i, const wchar_t* name) const {
    if (!gueltig(i) || name == nullptr) return false;
    const metaitem& r = items[i];
    if (r.start == nullptr) return false;
    const bool fold = dcl != nullptr && dcl->namecase;
    const wchar_t* p = r.start;
    for (; p < r.end && *name != 0; ++p, ++name) {
        if (*p == *name) continue;
        if (!fold || std::towlower(static_cast<wint_t>(*p)) != std::towlower(static_cast<wint_t>(*name)))
            return false;
    }
    return p == r.end && *name == 0;
}

bool META::Namen_gleich(int a, int b) const {
    const NAMEN& t = Namenstabelle();
    if (a <= 0 || b <= 0 || a > t.Anzahl() || b > t.Anzahl()) return false;
    return a == b || (dcl != nullptr && dcl->namecase && t.Gefaltet(a) == t.Gefaltet(b));
}

int META::Vergleichsnummer(int name) const {
    const NAMEN& t = Namenstabelle();
    if (name <= 0 || name > t.Anzahl()) return -1;
    return t.Vergleich(name, dcl != nullptr && dcl->namecase);
}

// The number the index groups the name under; -1 when no start tag has it.
int META::Namensnummer(const wchar_t* name) {
    return name == nullptr ? -1 : Namensnummer(Namenstabelle().Nummer(name, name + std::wcslen(name)));
}

int META::Namensnummer(int name) {
    const Strukturindex& x = Index();
    const int v = Vergleichsnummer(name);
    return v >= 0 && v < x.namen ? v : -1;
}


int META::Attributname(int i) const {
    if (!ist_art(i, META_ATTR_NAME) || items[i].start == nullptr) return 0;
    if (i >= erfasst) Namen_erfassen();
    auto it = std::lower_bound(attribute.begin(), attribute.end(), i);
    return it == attribute.end() || *it != i ? 0 : attributnamen[static_cast<std::size_t>(it - attribute.begin())];
}

// ---------------------------------------------------------------- the index

META::Strukturindex& META::Index() {
    if (erfasst < anzahl) Namen_erfassen();
    const int namecase = dcl != nullptr && dcl->namecase ? 1 : 0;
    Strukturindex& x = index;
    if (x.gebaut && x.namecase == namecase) return x;
    x = Strukturindex{};
    x.namecase = namecase;
    const int n = static_cast<int>(starttags.size());
    auto ebene = [&](int k) { return items[starttags[k]].level; };
    x.eltern.assign(n, -1);
    x.vor.assign(n, -1);
    x.nach.assign(n, -1);
    x.ende.assign(n, n);
    x.nid.assign(n, -1);

    // Open start tags with rising levels: a new start tag closes every one
    // of its level or deeper; the one of its own level is its previous
    // sibling, the one left on top its parent.
    std::vector<int> offen;
    for (int k = 0; k < n; ++k) {
        const int l = ebene(k);
        int gleich = -1;
        while (!offen.empty() && ebene(offen.back()) >= l) {
            if (ebene(offen.back()) == l) gleich = offen.back();
            x.ende[offen.back()] = k;
            offen.pop_back();
        }
        x.eltern[k] = offen.empty() ? -1 : offen.back();
        if (gleich >= 0 && l > 0) {
            x.vor[k] = gleich;
            x.nach[gleich] = k;
        }
        offen.push_back(k);
    }

    // Names grouped as the declarations compare them; deleted start tags
    // have no name any more.
    const NAMEN& tabelle = Namenstabelle();
    x.namen = tabelle.Anzahl() + 1;
    for (int k = 0; k < n; ++k)
        if (items[starttags[k]].start != nullptr) x.nid[k] = tabelle.Vergleich(tagnamen[k], namecase != 0);

    // The nearest open element of each name: walking up from a start tag,
    // the ancestors of its own name.
    x.gleichnamig.assign(n, -1);
    x.vorfahr_merk.assign(x.namen, {});
    std::vector<int> innerstes(x.namen, -1);
    offen.clear();
    for (int k = 0; k < n; ++k) {
        while (!offen.empty() && x.ende[offen.back()] <= k) {
            const int t = offen.back();
            if (x.nid[t] >= 0) innerstes[x.nid[t]] = x.gleichnamig[t];
            offen.pop_back();
        }
        if (x.nid[k] >= 0) {
            x.gleichnamig[k] = innerstes[x.nid[k]];
            innerstes[x.nid[k]] = k;
        }
        offen.push_back(k);
    }

    // Grouped by name (counting sort keeps document order), then the
    // non-root ones stably by parent: (parent, name, ordinal) order.
    const int namen = x.namen;
    x.dok_anfang.assign(namen + 1, 0);
    for (int k = 0; k < n; ++k)
        if (x.nid[k] >= 0) ++x.dok_anfang[x.nid[k] + 1];
    for (int i = 0; i < namen; ++i) x.dok_anfang[i + 1] += x.dok_anfang[i];
    x.dok.resize(x.dok_anfang[namen]);
    {
        std::vector<int> platz(x.dok_anfang.begin(), x.dok_anfang.end() - 1);
        for (int k = 0; k < n; ++k)
            if (x.nid[k] >= 0) x.dok[platz[x.nid[k]]++] = k;
    }
    std::vector<int> anfang(n + 2, 0);  // parent + 1 -> first place
    for (int k : x.dok)
        if (ebene(k) > 0) ++anfang[x.eltern[k] + 2];
    for (int i = 0; i <= n; ++i) anfang[i + 1] += anfang[i];
    x.geschw.resize(anfang[n + 1]);
    for (int k : x.dok)
        if (ebene(k) > 0) x.geschw[anfang[x.eltern[k] + 1]++] = k;

    x.gebaut = true;
    return x;
}



// The skip distances exist only once something has been deleted: before,
// every place is alive and answers at once.
int META::Naechster_lebend(const std::vector<int>& liste, std::vector<int>& sprung, int j) const {
    const int n = static_cast<int>(liste.size());
    if (j >= n || Lebt(liste[j])) return j;
    if (sprung.empty()) sprung.assign(liste.size(), 0);
    int r = j;
    while (r < n && !Lebt(liste[r])) r += std::max(1, sprung[r]);
    for (int t = j; t < r;) {
        const int weiter = t + std::max(1, sprung[t]);
        sprung[t] = r - t;
        t = weiter;
    }
    return r;
}

int META::Voriger_lebend(const std::vector<int>& liste, std::vector<int>& sprung, int j) const {
    if (j < 0 || Lebt(liste[j])) return j;
    if (sprung.empty()) sprung.assign(liste.size(), 0);
    int r = j;
    while (r >= 0 && !Lebt(liste[r])) r -= std::max(1, sprung[r]);
    for (int t = j; t > r;) {
        const int weiter = t - std::max(1, sprung[t]);
        sprung[t] = t - r;
        t = weiter;
    }
    return r;
}

namespace {
// Order of the sibling list: (parent, name, ordinal).
struct Geschwisterschluessel {
    const std::vector<int>& eltern;
    const std::vector<int>& nid;
    bool operator()(int k, const std::tuple<int, int, int>& s) const {
        return std::make_tuple(eltern[k], nid[k], k) < s;
    }
};
}  // namespace

int META::Geschwister_ab(int eltern, int name, int nach_ordinal) {
    Strukturindex& x = index;
    auto it = std::lower_bound(x.geschw.begin(), x.geschw.end(), std::make_tuple(eltern, name, nach_ordinal + 1),
                               Geschwisterschluessel{x.eltern, x.nid});
    const int j = Naechster_lebend(x.geschw, x.geschw_vor, static_cast<int>(it - x.geschw.begin()));
    if (j >= static_cast<int>(x.geschw.size())) return -1;
    const int k = x.geschw[j];
    return x.eltern[k] == eltern && x.nid[k] == name ? k : -1;
}

int META::Geschwister_vor(int eltern, int name, int vor_ordinal) {
    Strukturindex& x = index;
    auto it = std::lower_bound(x.geschw.begin(), x.geschw.end(), std::make_tuple(eltern, name, vor_ordinal),
                               Geschwisterschluessel{x.eltern, x.nid});
    const int j = Voriger_lebend(x.geschw, x.geschw_rueck, static_cast<int>(it - x.geschw.begin()) - 1);
    if (j < 0) return -1;
    const int k = x.geschw[j];
    return x.eltern[k] == eltern && x.nid[k] == name ? k : -1;
}

int META::Namentlich_ab(int name, int nach_ordinal) {
    Strukturindex& x = index;
    const auto b = x.dok.begin() + x.dok_anfang[name];
    const auto e = x.dok.begin() + x.dok_anfang[name + 1];
    const int ab = static_cast<int>(std::upper_bound(b, e, nach_ordinal) - x.dok.begin());
    const int j = Naechster_lebend(x.dok, x.dok_vor, ab);
    return j < x.dok_anfang[name + 1] ? x.dok[j] : -1;
}

// The first ordinal after the position whose start tag has the level or a
// lower one. Through the index when the position lies inside an element of
// that level, else by walking the start tags.
int META::Grenze_Ebene(int position, int level) {
    Strukturindex& x = Index();
    const int n = static_cast<int>(starttags.size());
    const int erster = static_cast<int>(std::upper_bound(starttags.begin(), starttags.end(), position) - starttags.begin());
    int a = erster - 1;
    while (a >= 0 && items[starttags[a]].level > level) a = x.eltern[a];
    if (a >= 0 && items[starttags[a]].level == level) return x.ende[a];
    for (int k = erster; k < n; ++k)
        if (items[starttags[k]].level <= level) return k;
    return n;
}

// ---------------------------------------------------------------- relations

int META::Starttag_von(int i) const {
    if (!gueltig(i)) return -1;
    const metaitem& r = items[i];
    if (r.kind == META_STARTTAG) return i;
    if (r.kind == META_ENDTAG) {
        for (int j = i - 1; j >= 0; --j)
            if (items[j].kind == META_STARTTAG && items[j].level == r.level) return j;
        return -1;
    }
    // Content belongs to the element that contains it, not to whatever
    // nested element happened to start last before it.
    if (Ist_Inhalt(r.kind)) {
        const int l = r.link - 1;
        return l >= 0 && l < i && items[l].kind == META_STARTTAG ? l : -1;
    }
    for (int j = i - 1; j >= 0; --j)
        if (items[j].kind == META_STARTTAG) return j;
    return -1;
}

int META::Elternteil(int i, bool melden) {
    if (!ist_art(i, META_STARTTAG) || items[i].level <= 0) return -1;
    const int l = items[i].link - 1;
    if (l >= 0 && l < i) {
        if (items[l].kind == META_STARTTAG) return l;
        if (melden) Interner_Fehler(L"Element, Kein Starttag.");
    }
    Strukturindex& x = Index();
    const int p = x.eltern[Ordinal(i)];
    return p < 0 ? -1 : starttags[p];
}

// ---------------------------------------------------------------- queries

bool META::IPR_if_in(int* item, const wchar_t* name) { return IPR_if_in_nr(item, Namenstabelle().Nummer(name)); }

bool META::IPR_if_in_nr(int* item, int name) {
    if (!ist_art(*item, META_STARTTAG)) {
        Interner_Fehler(L"IN, Kein Starttag.");
        return false;
    }
    const int p = Elternteil(*item);
    if (p < 0 || !Namen_gleich(Tagname(p), name)) return false;
    *item = p;
    return true;
}

// The last element of that name before s, then its ancestors of the same
// name: the first of them whose subtree holds s is the nearest such
// ancestor of s, without climbing every level of a deep document.
int META::Vorfahr(int s, const wchar_t* name) { return Vorfahr(s, Namenstabelle().Nummer(name)); }

int META::Vorfahr(int s, int name) {
    const int nummer = Namensnummer(name);
    if (nummer < 0 || !ist_art(s, META_STARTTAG)) return -1;
    Strukturindex& x = index;
    const int eltern = x.eltern[Ordinal(s)];
    if (eltern < 0) return -1;
    if (x.nid[eltern] == nummer && Lebt(eltern)) return starttags[eltern];
    Strukturindex::Vorfahrmerk& merk = x.vorfahr_merk[nummer];
    if (merk.eltern != eltern || merk.stand != geloescht) {
        merk = {eltern, -1, geloescht};
        const auto b = x.dok.begin() + x.dok_anfang[nummer];
        const auto e = x.dok.begin() + x.dok_anfang[nummer + 1];
        const auto vor = std::lower_bound(b, e, eltern);
        for (int k = vor == b ? -1 : *(vor - 1); k >= 0; k = x.gleichnamig[k]) {
            if (x.ende[k] > eltern && Lebt(k)) {
                merk.antwort = k;
                break;
            }
        }
    }
    return merk.antwort < 0 ? -1 : starttags[merk.antwort];
}

bool META::IPR_if_inx(int* item, const wchar_t* name) { return IPR_if_inx_nr(item, Namenstabelle().Nummer(name)); }

bool META::IPR_if_inx_nr(int* item, int name) {
    const int s = Starttag_von(*item);
    if (s < 0) {
        Interner_Fehler(L"INX, Kein passender Starttag gefunden.");
        return false;
    }
    const int p = Vorfahr(s, name);
    if (p < 0) return false;
    *item = p;
    return true;
}

// The next later (or nearest earlier) sibling, or with `irgendeins` the
// nearest one of that name. The root has no siblings.
bool META::Geschwister(int* item, int name, bool spaeter, bool irgendeins) {
    const int s = Starttag_von(*item);
    if (s < 0 || items[s].level <= 0) return false;
    Strukturindex& x = Index();
    const int k = Ordinal(s);
    int g = spaeter ? x.nach[k] : x.vor[k];
    if (irgendeins) {
        const int nummer = Namensnummer(name);
        if (nummer < 0) return false;
        g = spaeter ? Geschwister_ab(x.eltern[k], nummer, k) : Geschwister_vor(x.eltern[k], nummer, k);
    } else if (g >= 0 && !Namen_gleich(Tagname(starttags[g]), name)) {
        g = -1;
    }
    if (g < 0) return false;
    *item = starttags[g];
    return true;
}

bool META::IPR_if_before_nr(int* item, int name) { return Geschwister(item, name, true, false); }
bool META::IPR_if_beforex_nr(int* item, int name) { return Geschwister(item, name, true, true); }
bool META::IPR_if_after_nr(int* item, int name) { return Geschwister(item, name, false, false); }
bool META::IPR_if_afterx_nr(int* item, int name) { return Geschwister(item, name, false, true); }
bool META::IPR_if_before(int* item, const wchar_t* name) { return IPR_if_before_nr(item, Namenstabelle().Nummer(name)); }
bool META::IPR_if_beforex(int* item, const wchar_t* name) {
    return IPR_if_beforex_nr(item, Namenstabelle().Nummer(name));
}
bool META::IPR_if_after(int* item, const wchar_t* name) { return IPR_if_after_nr(item, Namenstabelle().Nummer(name)); }
bool META::IPR_if_afterx(int* item, const wchar_t* name) { return IPR_if_afterx_nr(item, Namenstabelle().Nummer(name)); }

bool META::IPR_if_first(int item) {
    if (!ist_art(item, META_STARTTAG)) {
        Interner_Fehler(L"FIRST, Kein Starttag.");
        return false;
    }
    return items[item].value == 1;
}

bool META::IPR_if_last(int item) {
    if (!ist_art(item, META_STARTTAG)) {
        Interner_Fehler(L"LAST, Kein Starttag.");
        return false;
    }
    if (items[item].level <= 0) return true;
    Strukturindex& x = Index();
    return x.nach[Ordinal(item)] < 0;
}

// Deleted items are no content, whatever their kind: an element whose
// children were all cut away is empty. Whatever stands at the element's
// level or above lies outside it (a "/>" element, an SGML empty element).
bool META::IPR_if_empty(int item) {
    const int s = Starttag_von(item);
    if (s < 0) {
        Interner_Fehler(L"EMPTY, Kein Starttag gefunden.");
        return false;
    }
    if (IPR_is_XML_Empty_Element(s)) return true;
    const int ebene = items[s].level;
    for (int j = s + 1; j < anzahl; ++j) {
        const metaitem& r = items[j];
        if (r.kind == META_STARTTAG || r.kind == META_ENDTAG) {
            if (r.level <= ebene) return true;
            if (r.kind == META_STARTTAG && r.start != nullptr) return false;
            continue;
        }
        if (!Ist_Inhalt(r.kind)) continue;
        if (r.level <= ebene) return true;
        if (r.start == nullptr || (r.kind == META_DATA && r.start == r.end)) continue;
        return false;
    }
    return true;
}

bool META::IPR_if_element(int item, const wchar_t* name) { return IPR_if_element_nr(item, Namenstabelle().Nummer(name)); }

bool META::IPR_if_element_nr(int item, int name) {
    if (!ist_art(item, META_STARTTAG)) {
        Interner_Fehler(L"Element, Kein Starttag.");
        return false;
    }
    return Namen_gleich(Tagname(item), name);
}

bool META::IPR_find_starttag(int* item) {
    const int s = Starttag_von(*item);
    if (s < 0) return false;
    *item = s;
    return true;
}

bool META::IPR_find_context_element(int* item) {
    const int s = ist_art(*item, META_STARTTAG) ? Elternteil(*item) : Starttag_von(*item);
    if (s < 0) return false;
    *item = s;
    return true;
}

bool META::IPR_find_starttag_context(int* item, const wchar_t* name) {
    if (name == nullptr || *name == 0) return IPR_find_starttag(item);
    return IPR_find_starttag_context_nr(item, Namenstabelle().Nummer(name));
}

bool META::IPR_find_starttag_context_nr(int* item, int name) {
    if (name <= 0) return IPR_find_starttag(item);
    const int s = Starttag_von(*item);
    if (s < 0) return false;
    Elternteil(s, true);  // reports a recorded parent that is no start tag
    const int p = Vorfahr(s, name);
    if (p < 0) return false;
    *item = p;
    return true;
}

bool META::IPR_find_attrname(int* item, const wchar_t* name) {
    return name != nullptr && IPR_find_attrname_nr(item, Namenstabelle().Nummer(name));
}

bool META::IPR_find_attrname_nr(int* item, int name) {
    if (!gueltig(*item)) return false;
    if (erfasst < anzahl) Namen_erfassen();
    // The attribute names of the tag stand together in the list of them.
    auto a = std::upper_bound(attribute.begin(), attribute.end(), *item);
    for (int j = *item + 1; j < anzahl && Ist_Attributteil(items[j].kind); ++j) {
        if (items[j].kind != META_ATTR_NAME) continue;
        while (a != attribute.end() && *a < j) ++a;
        const bool gleich = a != attribute.end() && *a == j && items[j].start != nullptr &&
                            Namen_gleich(attributnamen[static_cast<std::size_t>(a - attribute.begin())], name);
        if (gleich) {
            *item = j;
            return true;
        }
    }
    return false;
}

bool META::IPR_find_subelement(int* item, int level, const wchar_t* name) {
    return IPR_find_subelement_nr(item, level, Namenstabelle().Nummer(name));
}

bool META::IPR_find_subelement_nr(int* item, int level, int name) {
    const int nummer = Namensnummer(name);
    if (nummer < 0 || *item < -1) return false;
    const int grenze = Grenze_Ebene(*item, level);
    const int ab = static_cast<int>(std::upper_bound(starttags.begin(), starttags.end(), *item) - starttags.begin());
    const int k = Namentlich_ab(nummer, ab - 1);
    if (k < 0 || k >= grenze) return false;
    *item = starttags[k];
    return true;
}

bool META::IPR_find_childelement(int* item, int level, const wchar_t* name) {
    return IPR_find_childelement_nr(item, level, Namenstabelle().Nummer(name));
}

bool META::IPR_find_childelement_nr(int* item, int level, int name) {
    const int nummer = Namensnummer(name);
    if (nummer < 0 || *item < -1) return false;
    Strukturindex& x = index;
    const int n = static_cast<int>(starttags.size());
    const int erster = static_cast<int>(std::upper_bound(starttags.begin(), starttags.end(), *item) - starttags.begin());
    int a = erster - 1;
    while (a >= 0 && items[starttags[a]].level > level) a = x.eltern[a];
    if (a >= 0 && items[starttags[a]].level == level) {
        const int k = Geschwister_ab(a, nummer, erster - 1);
        if (k < 0) return false;
        *item = starttags[k];
        return true;
    }
    for (int k = erster; k < n; ++k) {
        const int l = items[starttags[k]].level;
        if (l <= level) return false;
        if (l == level + 1 && x.nid[k] == nummer && Lebt(k)) {
            *item = starttags[k];
            return true;
        }
    }
    return false;
}

// The parent: walking back, the siblings of the element and their content
// are passed over; the first start tag of a lower level is the parent.
bool META::IPR_find_parentelement(int* item, int level, const wchar_t* name) {
    return IPR_find_parentelement_nr(item, level, Namenstabelle().Nummer(name));
}

bool META::IPR_find_parentelement_nr(int* item, int level, int name) {
    int p = -1;
    if (ist_art(*item, META_STARTTAG) && items[*item].level == level) {
        p = Elternteil(*item);
    } else {
        for (int j = std::min(*item, anzahl) - 1; j >= 0; --j) {
            if (items[j].kind == META_STARTTAG && items[j].level < level) {
                p = j;
                break;
            }
        }
    }
    if (p < 0 || items[p].level != level - 1 || !Namen_gleich(Tagname(p), name)) return false;
    *item = p;
    return true;
}

bool META::IPR_find_element(int* item, const wchar_t* name) {
    return IPR_find_element_nr(item, Namenstabelle().Nummer(name));
}

bool META::IPR_find_element_nr(int* item, int name) {
    const int nummer = Namensnummer(name);
    if (nummer < 0) return false;
    const int ab = *item < 0 ? 0
                             : static_cast<int>(std::upper_bound(starttags.begin(), starttags.end(), *item) -
                                                starttags.begin());
    const int k = Namentlich_ab(nummer, ab - 1);
    if (k < 0) return false;
    *item = starttags[k];
    return true;
}

bool META::IPR_find_entity(int* item, const wchar_t* name) {
    if (name == nullptr) return false;
    const std::size_t laenge = std::wcslen(name);
    for (int j = 0; j < anzahl && items[j].kind != META_STARTTAG; ++j) {
        const metaitem& r = items[j];
        if (r.kind == META_ENTITY_NAME && r.start != nullptr && static_cast<std::size_t>(r.end - r.start) == laenge &&
            std::wmemcmp(r.start, name, laenge) == 0) {
            *item = j;
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- texts

std::size_t META::Attributwert_Laenge(int first, int refs_as_text) const {
    Zaehler z;
    Attribut_gehen(*this, first, refs_as_text, z);
    return z.n;
}

bool META::Read_attribute_value(int first, wchar_t* out, int capacity, int refs_as_text) {
    if (out == nullptr || capacity <= 0) return false;
    Kopierer k{out, static_cast<std::size_t>(capacity)};
    const bool ok = Attribut_gehen(*this, first, refs_as_text, k);
    out[k.n] = 0;
    if (!ok) Interner_Fehler(L"Attribut, Attributwert zu groß.");
    return ok;
}

template <class Senke>
bool META::Inhalt_schreiben(int start, int tags_as_spaces, int refs_as_text, Senke& s) {
    if (dcl != nullptr && (dcl->xml || dcl->html5) && IPR_is_XML_Empty_Element(start)) return true;
    Strukturindex& x = Index();
    if (x.inhalt.empty()) {
        // Counted first, so that the list is filled without moving; only
        // the content conditions need it.
        std::size_t inhalt = 0;
        for (int i = 0; i < anzahl; ++i)
            if (Ist_Inhalt(items[i].kind)) ++inhalt;
        x.inhalt.reserve(inhalt);
        for (int i = 0; i < anzahl; ++i)
            if (Ist_Inhalt(items[i].kind)) x.inhalt.push_back(i);
    }
    const int k = Ordinal(start);
    const int grenze = x.ende[k] < static_cast<int>(starttags.size()) ? starttags[x.ende[k]] : anzahl;
    return Inhalt_gehen(*this, start, tags_as_spaces, refs_as_text, s, x.inhalt, starttags.data() + k + 1,
                        starttags.data() + x.ende[k], grenze);
}

void META::Inhalt_lesen(int start, int tags_as_spaces, int refs_as_text, std::vector<wchar_t>& out) {
    out.clear();
    if (ist_art(start, META_STARTTAG)) {
        // Counted first: a text of a large element is held once, not twice.
        Zaehler z;
        Inhalt_schreiben(start, tags_as_spaces, refs_as_text, z);
        if (out.capacity() < z.n + 1) std::vector<wchar_t>().swap(out);
        out.reserve(z.n + 1);
        Anhaenger a{out};
        Inhalt_schreiben(start, tags_as_spaces, refs_as_text, a);
    }
    out.push_back(0);
}

bool META::Read_content_value(int start, wchar_t* out, int capacity, int tags_as_spaces, int refs_as_text) {
    if (out == nullptr || capacity <= 0) return false;
    out[0] = 0;
    if (!ist_art(start, META_STARTTAG)) return false;
    Kopierer k{out, static_cast<std::size_t>(capacity)};
    const bool ok = Inhalt_schreiben(start, tags_as_spaces, refs_as_text, k);
    out[k.n] = 0;
    if (!ok) Interner_Fehler(L"Content, Inhalt zu groß.");
    return ok;
}
