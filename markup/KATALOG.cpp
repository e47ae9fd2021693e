// Catalog files: the list, URI helpers, the XML catalog reader and the
// resolution shared by both kinds of catalog.
#include "markup/KATALOG.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>

#include "markup/QUELLE.h"
#include "textio/BUF.h"
#include "base/Konsole.h"

namespace {

// Delegation and next catalogs nest at most this deep (cycles end here).
constexpr int MAX_KATALOGTIEFE = 16;

bool Leer(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

bool Beginnt(std::wstring_view s, std::wstring_view p) { return s.substr(0, p.size()) == p; }
bool Endet(std::wstring_view s, std::wstring_view p) {
    return s.size() >= p.size() && s.substr(s.size() - p.size()) == p;
}

// "%xx" escapes of a file URI.
std::wstring Prozent_weg(std::wstring_view s) {
    std::wstring out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        auto hex = [](wchar_t c) {
            return c >= L'0' && c <= L'9' ? c - L'0' : c >= L'a' && c <= L'f' ? c - L'a' + 10
                                                      : c >= L'A' && c <= L'F' ? c - L'A' + 10 : -1;
        };
        if (s[i] == L'%' && i + 2 < s.size() && hex(s[i + 1]) >= 0 && hex(s[i + 2]) >= 0) {
            out.push_back(static_cast<wchar_t>(hex(s[i + 1]) * 16 + hex(s[i + 2])));
            i += 2;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

// "." and ".." segments of an absolute path taken out; ".." at the root stays at the root.
std::wstring Pfad_glaetten(std::wstring_view pfad) {
    std::vector<std::wstring_view> teile;
    std::size_t i = 0;
    while (i <= pfad.size()) {
        std::size_t j = pfad.find(L'/', i);
        if (j == std::wstring_view::npos) j = pfad.size();
        const std::wstring_view t = pfad.substr(i, j - i);
        if (t == L"..") {
            if (!teile.empty()) teile.pop_back();
        } else if (!t.empty() && t != L".") {
            teile.push_back(t);
        }
        i = j + 1;
    }
    std::wstring out;
    for (auto t : teile) {
        out += L'/';
        out += t;
    }
    if (out.empty() || (!pfad.empty() && pfad.back() == L'/')) out += L'/';
    return out;
}

}  // namespace

KATALOG::KATALOG(const char* variable, const wchar_t* vorgabe, wchar_t trenner) {
    const char* wert = variable != nullptr ? std::getenv(variable) : nullptr;
    std::wstring liste;
    if (wert != nullptr) {
        // Environment text is taken as UTF-8; catalog paths are ASCII in practice.
        liste = QUELLE::Breit(wert);
    } else {
        liste = vorgabe;
    }
    std::size_t i = 0;
    while (i < liste.size()) {
        std::size_t j = i;
        while (j < liste.size() && liste[j] != trenner && !(trenner == L' ' && Leer(liste[j]))) ++j;
        if (j > i) liste_.push_back(Datei_von(Aufloesen(L"", liste.substr(i, j - i))));
        i = j + 1;
    }
}

KATALOG::~KATALOG() = default;

// ------------------------------------------------------------------ URIs

bool KATALOG::Hat_Schema(std::wstring_view s) {
    std::size_t i = 0;
    while (i < s.size() && ((s[i] >= L'a' && s[i] <= L'z') || (s[i] >= L'A' && s[i] <= L'Z') ||
                            (i > 0 && ((s[i] >= L'0' && s[i] <= L'9') || s[i] == L'+' || s[i] == L'-' || s[i] == L'.'))))
        ++i;
    return i >= 2 && i < s.size() && s[i] == L':';  // one letter would be a drive
}

std::wstring KATALOG::Aufloesen(std::wstring_view basis, std::wstring_view ref) {
    if (Beginnt(ref, L"file://")) {
        ref.remove_prefix(7);
        if (!ref.empty() && ref[0] != L'/') ref.remove_prefix(std::min(ref.find(L'/'), ref.size()));  // host
        return Pfad_glaetten(Prozent_weg(ref));
    }
    if (Beginnt(ref, L"file:")) return Pfad_glaetten(Prozent_weg(ref.substr(5)));
    if (Hat_Schema(ref)) return std::wstring(ref);
    if (!ref.empty() && ref[0] == L'/') return Pfad_glaetten(ref);
    if (Hat_Schema(basis)) {
        // A relative reference to a web base: joined, never fetched.
        std::wstring b(basis.substr(0, basis.rfind(L'/') + 1));
        return b + std::wstring(ref);
    }
    std::wstring b(basis);
    if (b.empty() || b[0] != L'/') {
        const std::wstring cwd = QUELLE::Arbeitsordner();
        b = cwd + L"/" + b;
    }
    b.erase(b.rfind(L'/') + 1);
    return Pfad_glaetten(b + std::wstring(ref));
}

std::wstring KATALOG::Public_normalisieren(std::wstring_view s) {
    std::wstring out;
    if (Beginnt(s, L"urn:publicid:")) {
        static const struct {
            const wchar_t* von;
            const wchar_t* nach;
        } ersatz[] = {{L"%2F", L"/"}, {L"%3A", L":"}, {L"%3B", L";"}, {L"%2B", L"+"}, {L"%27", L"'"},
                      {L"%3F", L"?"}, {L"%23", L"#"}, {L"%25", L"%"}, {L"+", L" "}, {L":", L"//"},
                      {L";", L"::"}};
        s.remove_prefix(13);
        for (std::size_t i = 0; i < s.size();) {
            bool ersetzt = false;
            for (const auto& e : ersatz) {
                const std::size_t n = std::wcslen(e.von);
                if (s.compare(i, n, e.von) == 0) {
                    out += e.nach;
                    i += n;
                    ersetzt = true;
                    break;
                }
            }
            if (!ersetzt) out.push_back(s[i++]);
        }
        return Public_normalisieren(out);
    }
    for (wchar_t c : s) {
        if (Leer(c)) {
            if (!out.empty() && out.back() != L' ') out.push_back(L' ');
        } else {
            out.push_back(c);
        }
    }
    if (!out.empty() && out.back() == L' ') out.pop_back();
    return out;
}

// ----------------------------------------------------------------- files

int KATALOG::Datei_von(const std::wstring& pfad) {
    auto gefunden = nach_pfad_.find(pfad);
    if (gefunden != nach_pfad_.end()) return gefunden->second;
    const int d = static_cast<int>(dateien_.size());
    dateien_.push_back({pfad, false, {}});
    nach_pfad_.emplace(pfad, d);
    return d;
}

KATALOG::Datei& KATALOG::Laden(int d) {
    Datei* datei = &dateien_[static_cast<std::size_t>(d)];
    if (datei->geladen) return *datei;
    datei->geladen = true;
    const std::wstring pfad = datei->pfad;
    int grund = 0;
    std::unique_ptr<BUF> buf = Hat_Schema(pfad) ? nullptr : QUELLE::Datei_lesen(pfad, &grund);
    if (!buf) {
        Konsole_Print(L"WARNUNG: (Parser) Der Katalog '%ls' konnte nicht gelesen werden.\n", pfad.c_str());
        return dateien_[static_cast<std::size_t>(d)];
    }
    // Reading may add files (next catalogs): take the entries aside.
    Datei gelesen{pfad, true, {}};
    const wchar_t* p = buf->text;
    const wchar_t* ende = buf->text + buf->length;
    while (p < ende && Leer(*p)) ++p;
    if (p < ende && *p == L'<')
        Xml_lesen(gelesen, p, ende);
    else
        Sgml_lesen(gelesen, p, ende);
    dateien_[static_cast<std::size_t>(d)].eintraege = std::move(gelesen.eintraege);
    return dateien_[static_cast<std::size_t>(d)];
}

// ------------------------------------------------------ XML catalog files

namespace {

// One tag of an XML catalog: its local name, whether it ends ("</" or
// "/>"), and its attributes with references replaced.
struct Tag {
    std::wstring name;
    bool schliesst = false;
    bool leer = false;
    std::vector<std::pair<std::wstring, std::wstring>> attribute;
    const std::wstring* Wert(const wchar_t* n) const {
        for (const auto& a : attribute)
            if (a.first == n) return &a.second;
        return nullptr;
    }
};

std::wstring Referenzen_weg(std::wstring_view s) {
    std::wstring out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const std::size_t schluss = s[i] == L'&' ? s.find(L';', i) : std::wstring_view::npos;
        if (schluss == std::wstring_view::npos) {
            out.push_back(s[i]);
            continue;
        }
        const std::wstring_view r = s.substr(i + 1, schluss - i - 1);
        wchar_t c = 0;
        if (r == L"amp") c = L'&';
        else if (r == L"lt") c = L'<';
        else if (r == L"gt") c = L'>';
        else if (r == L"quot") c = L'"';
        else if (r == L"apos") c = L'\'';
        else if (r.size() > 1 && r[0] == L'#')
            c = static_cast<wchar_t>(r[1] == L'x' ? std::wcstol(std::wstring(r.substr(2)).c_str(), nullptr, 16)
                                                  : std::wcstol(std::wstring(r.substr(1)).c_str(), nullptr, 10));
        if (c == 0) {
            out.push_back(s[i]);
            continue;
        }
        out.push_back(c);
        i = schluss;
    }
    return out;
}

// The next tag from p on, skipping text, comments, processing
// instructions and the document type declaration; false at the end.
bool Naechster_Tag(const wchar_t*& p, const wchar_t* ende, Tag& tag) {
    auto suche = [&](const wchar_t* t) {
        const std::wstring_view rest(p, static_cast<std::size_t>(ende - p));
        const std::size_t i = rest.find(t);
        p = i == std::wstring_view::npos ? ende : p + i + std::wcslen(t);
    };
    for (;;) {
        while (p < ende && *p != L'<') ++p;
        if (p >= ende) return false;
        if (std::wstring_view(p, static_cast<std::size_t>(ende - p)).starts_with(L"<!--")) {
            suche(L"-->");
        } else if (p + 1 < ende && p[1] == L'?') {
            suche(L"?>");
        } else if (p + 1 < ende && p[1] == L'!') {
            // DOCTYPE, perhaps with an internal subset.
            int klammern = 0;
            for (++p; p < ende && !(*p == L'>' && klammern == 0); ++p) {
                if (*p == L'[') ++klammern;
                if (*p == L']') --klammern;
            }
        } else {
            break;
        }
    }
    tag = Tag{};
    ++p;
    if (p < ende && *p == L'/') {
        tag.schliesst = true;
        ++p;
    }
    const wchar_t* a = p;
    while (p < ende && !Leer(*p) && *p != L'>' && *p != L'/') ++p;
    std::wstring_view name(a, static_cast<std::size_t>(p - a));
    if (name.find(L':') != std::wstring_view::npos) name.remove_prefix(name.find(L':') + 1);
    tag.name = name;
    for (;;) {
        while (p < ende && Leer(*p)) ++p;
        if (p >= ende) return false;
        if (*p == L'>') {
            ++p;
            return true;
        }
        if (*p == L'/') {
            tag.leer = true;
            ++p;
            continue;
        }
        a = p;
        while (p < ende && !Leer(*p) && *p != L'=' && *p != L'>') ++p;
        std::wstring attr(a, static_cast<std::size_t>(p - a));
        while (p < ende && Leer(*p)) ++p;
        if (p >= ende || *p != L'=') continue;
        ++p;
        while (p < ende && Leer(*p)) ++p;
        if (p >= ende || (*p != L'"' && *p != L'\'')) continue;
        const wchar_t q = *p++;
        a = p;
        while (p < ende && *p != q) ++p;
        tag.attribute.emplace_back(std::move(attr), Referenzen_weg(std::wstring_view(a, static_cast<std::size_t>(p - a))));
        if (p < ende) ++p;
    }
}

}  // namespace

void KATALOG::Xml_lesen(Datei& d, const wchar_t* p, const wchar_t* ende) {
    struct Rahmen {
        std::wstring basis;
        bool prefer_public;
    };
    std::vector<Rahmen> stapel{{d.pfad, true}};
    static const struct {
        const wchar_t* element;
        Art art;
        const wchar_t* schluessel;
        const wchar_t* ziel;
    } arten[] = {
        {L"public", PUBLIC, L"publicId", L"uri"},
        {L"system", SYSTEM, L"systemId", L"uri"},
        {L"rewriteSystem", REWRITE_SYSTEM, L"systemIdStartString", L"rewritePrefix"},
        {L"systemSuffix", SYSTEM_SUFFIX, L"systemIdSuffix", L"uri"},
        {L"uri", URI, L"name", L"uri"},
        {L"rewriteURI", REWRITE_URI, L"uriStartString", L"rewritePrefix"},
        {L"uriSuffix", URI_SUFFIX, L"uriSuffix", L"uri"},
        {L"delegatePublic", DELEGATE_PUBLIC, L"publicIdStartString", L"catalog"},
        {L"delegateSystem", DELEGATE_SYSTEM, L"systemIdStartString", L"catalog"},
        {L"delegateURI", DELEGATE_URI, L"uriStartString", L"catalog"},
        {L"nextCatalog", NEXT, nullptr, L"catalog"},
    };
    Tag tag;
    while (Naechster_Tag(p, ende, tag)) {
        if (tag.schliesst) {
            if ((tag.name == L"group" || tag.name == L"catalog") && stapel.size() > 1) stapel.pop_back();
            continue;
        }
        Rahmen r = stapel.back();
        if (const std::wstring* b = tag.Wert(L"xml:base")) r.basis = Aufloesen(r.basis, *b);
        if (const std::wstring* pr = tag.Wert(L"prefer")) r.prefer_public = *pr != L"system";
        if (tag.name == L"group" || tag.name == L"catalog") {
            if (!tag.leer) stapel.push_back(r);
            continue;
        }
        for (const auto& a : arten) {
            if (tag.name != a.element) continue;
            const std::wstring* s = a.schluessel != nullptr ? tag.Wert(a.schluessel) : nullptr;
            const std::wstring* z = tag.Wert(a.ziel);
            if (z == nullptr || (a.schluessel != nullptr && s == nullptr)) break;
            std::wstring schluessel = s != nullptr ? *s : std::wstring();
            if (a.art == PUBLIC || a.art == DELEGATE_PUBLIC) schluessel = Public_normalisieren(schluessel);
            std::wstring ziel = Aufloesen(r.basis, *z);
            if (a.art == NEXT || a.art == DELEGATE_PUBLIC || a.art == DELEGATE_SYSTEM || a.art == DELEGATE_URI)
                Datei_von(ziel);
            d.eintraege.push_back({a.art, r.prefer_public, std::move(schluessel), std::move(ziel)});
            break;
        }
    }
}

// ------------------------------------------------------------- resolution

KATALOG::Ergebnis KATALOG::Delegieren(const Datei& d, Art art, std::wstring_view schluessel, std::wstring_view pub,
                                      std::wstring_view sys, std::wstring& ziel, int tiefe) {
    std::vector<std::pair<std::size_t, std::wstring>> treffer;
    for (const Eintrag& e : d.eintraege)
        if (e.art == art && Beginnt(schluessel, e.schluessel) && (art != DELEGATE_PUBLIC || e.prefer_public || sys.empty()))
            treffer.emplace_back(e.schluessel.size(), e.ziel);
    if (treffer.empty()) return NICHTS;
    // Longest prefix first; each catalog once.
    std::stable_sort(treffer.begin(), treffer.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::wstring> gesehen;
    // Delegation starts a search of its own, with other keys.
    besucht_.clear();
    for (const auto& t : treffer) {
        if (std::find(gesehen.begin(), gesehen.end(), t.second) != gesehen.end()) continue;
        gesehen.push_back(t.second);
        const int k = Datei_von(t.second);
        const Ergebnis r = art == DELEGATE_URI ? Uri_in(k, schluessel, ziel, tiefe + 1)
                                               : In_Datei(k, pub, sys, ziel, tiefe + 1);
        if (r == GEFUNDEN) return GEFUNDEN;
    }
    return ABGEBROCHEN;  // delegation ends the search, found or not
}

// Whether file k is searched the first time in this resolution: catalogs
// that name each other are searched once each.
bool KATALOG::Erstmals(int k) {
    if (std::find(besucht_.begin(), besucht_.end(), k) != besucht_.end()) return false;
    besucht_.push_back(k);
    return true;
}

// The next catalogs of a file, copied: reading them may add files.
std::vector<std::wstring> KATALOG::Naechste(const Datei& d) {
    std::vector<std::wstring> naechste;
    for (const Eintrag& e : d.eintraege)
        if (e.art == NEXT) naechste.push_back(e.ziel);
    return naechste;
}

// An exact entry, else the longest rewrite prefix, else the longest suffix.
bool KATALOG::Direkt(const Datei& d, Art genau, Art umschreiben, Art endung, std::wstring_view s, std::wstring& ziel) {
    for (const Eintrag& e : d.eintraege)
        if (e.art == genau && e.schluessel == s) {
            ziel = e.ziel;
            return true;
        }
    for (Art art : {umschreiben, endung}) {
        const Eintrag* bester = nullptr;
        for (const Eintrag& e : d.eintraege)
            if (e.art == art && (art == umschreiben ? Beginnt(s, e.schluessel) : Endet(s, e.schluessel)) &&
                (bester == nullptr || e.schluessel.size() > bester->schluessel.size()))
                bester = &e;
        if (bester != nullptr) {
            ziel = art == umschreiben ? bester->ziel + std::wstring(s.substr(bester->schluessel.size())) : bester->ziel;
            return true;
        }
    }
    return false;
}

KATALOG::Ergebnis KATALOG::In_Datei(int k, std::wstring_view pub, std::wstring_view sys, std::wstring& ziel,
                                    int tiefe) {
    if (tiefe > MAX_KATALOGTIEFE || !Erstmals(k)) return NICHTS;
    const Datei& d = Laden(k);
    if (!sys.empty()) {
        if (Direkt(d, SYSTEM, REWRITE_SYSTEM, SYSTEM_SUFFIX, sys, ziel)) return GEFUNDEN;
        const Ergebnis r = Delegieren(d, DELEGATE_SYSTEM, sys, L"", sys, ziel, tiefe);
        if (r != NICHTS) return r;
    }
    if (!pub.empty()) {
        for (const Eintrag& e : d.eintraege)
            if (e.art == PUBLIC && e.schluessel == pub && (e.prefer_public || sys.empty())) {
                ziel = e.ziel;
                return GEFUNDEN;
            }
        const Ergebnis r = Delegieren(d, DELEGATE_PUBLIC, pub, pub, L"", ziel, tiefe);
        if (r != NICHTS) return r;
    }
    for (const std::wstring& n : Naechste(d)) {
        const Ergebnis r = In_Datei(Datei_von(n), pub, sys, ziel, tiefe + 1);
        if (r != NICHTS) return r;
    }
    return NICHTS;
}

bool KATALOG::Extern(std::wstring_view oeffentlich, std::wstring_view system, std::wstring& ziel) {
    const std::wstring pub = Public_normalisieren(oeffentlich);
    std::wstring sys(system);
    std::wstring pub_aus_sys;
    if (Beginnt(sys, L"urn:publicid:")) {
        // A system identifier that is a public one in disguise.
        pub_aus_sys = Public_normalisieren(sys);
        sys.clear();
    }
    const std::wstring& p = pub.empty() ? pub_aus_sys : pub;
    besucht_.clear();
    for (int d : liste_) {
        const Ergebnis r = In_Datei(d, p, sys, ziel, 0);
        if (r == GEFUNDEN) return true;
        if (r == ABGEBROCHEN) return false;
    }
    return false;
}

KATALOG::Ergebnis KATALOG::Uri_in(int k, std::wstring_view uri, std::wstring& ziel, int tiefe) {
    if (tiefe > MAX_KATALOGTIEFE || !Erstmals(k)) return NICHTS;
    const Datei& d = Laden(k);
    if (Direkt(d, URI, REWRITE_URI, URI_SUFFIX, uri, ziel)) return GEFUNDEN;
    const Ergebnis r = Delegieren(d, DELEGATE_URI, uri, L"", L"", ziel, tiefe);
    if (r != NICHTS) return r;
    for (const std::wstring& n : Naechste(d)) {
        const Ergebnis s = Uri_in(Datei_von(n), uri, ziel, tiefe + 1);
        if (s != NICHTS) return s;
    }
    return NICHTS;
}

bool KATALOG::Uri(std::wstring_view uri, std::wstring& ziel) {
    besucht_.clear();
    for (int d : liste_) {
        const Ergebnis r = Uri_in(d, uri, ziel, 0);
        if (r != NICHTS) return r == GEFUNDEN;
    }
    return false;
}

bool KATALOG::Name_in_Datei(int k, Art art, std::wstring_view name, std::wstring& ziel, int tiefe) {
    if (tiefe > MAX_KATALOGTIEFE || !Erstmals(k)) return false;
    const Datei& d = Laden(k);
    for (const Eintrag& e : d.eintraege)
        if (e.art == art && e.schluessel == name) {
            ziel = e.ziel;
            return true;
        }
    for (const std::wstring& n : Naechste(d))
        if (Name_in_Datei(Datei_von(n), art, name, ziel, tiefe + 1)) return true;
    return false;
}

bool KATALOG::Name_in(Art art, std::wstring_view name, std::wstring& ziel) {
    besucht_.clear();
    for (int d : liste_)
        if (Name_in_Datei(d, art, name, ziel, 0)) return true;
    return false;
}

bool KATALOG::Doctype(std::wstring_view name, std::wstring& ziel) { return Name_in(DOCTYPE, name, ziel); }
bool KATALOG::Entity(std::wstring_view name, std::wstring& ziel) { return Name_in(ENTITY, name, ziel); }
bool KATALOG::Sgmldecl(std::wstring& ziel) { return Name_in(SGMLDECL, L"", ziel); }

// The folders of every file the catalogs name (not of the catalogs
// themselves, nor of targets on the web).
void KATALOG::Ordner_sammeln(int k, int tiefe) {
    if (tiefe > MAX_KATALOGTIEFE || !Erstmals(k)) return;
    std::vector<std::wstring> kataloge;
    for (const Eintrag& e : Laden(k).eintraege) {
        if (e.art == NEXT || e.art == DELEGATE_PUBLIC || e.art == DELEGATE_SYSTEM || e.art == DELEGATE_URI) {
            kataloge.push_back(e.ziel);
        } else if (!Hat_Schema(e.ziel) && !e.ziel.empty() && e.ziel[0] == L'/') {
            ordner_.push_back(e.ziel.substr(0, e.ziel.rfind(L'/') + 1));
        }
    }
    for (const std::wstring& n : kataloge) Ordner_sammeln(Datei_von(n), tiefe + 1);
}

bool KATALOG::Verzeichnet(std::wstring_view pfad) {
    if (!ordner_gesammelt_) {
        ordner_gesammelt_ = true;
        besucht_.clear();
        for (int d : liste_) Ordner_sammeln(d, 0);
        std::sort(ordner_.begin(), ordner_.end());
        ordner_.erase(std::unique(ordner_.begin(), ordner_.end()), ordner_.end());
    }
    for (const std::wstring& o : ordner_)
        if (Beginnt(pfad, o)) return true;
    return false;
}
