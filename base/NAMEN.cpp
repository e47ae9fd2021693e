#include "base/NAMEN.h"

#include <cwctype>

namespace {
constexpr std::size_t kErsterIndex = 256;
}

NAMEN::NAMEN() {
    eintraege.push_back({0, 0, 0, 0});
    index.assign(kErsterIndex, 0);
}

NAMEN& Namenstabelle() {
    static NAMEN tabelle;
    return tabelle;
}

// FNV-1a over the code points: names are short, and a cheap hash with good
// spread matters more than speed per character.
std::uint32_t NAMEN::Hash(const wchar_t* a, std::size_t n) {
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < n; ++i) {
        h ^= static_cast<std::uint32_t>(a[i]);
        h *= 16777619u;
    }
    return h;
}

// The entry of the name, or 0 and in *platz the free slot where it belongs.
int NAMEN::Finden(const wchar_t* a, std::size_t n, std::uint32_t h, std::size_t* platz) const {
    const std::size_t maske = index.size() - 1;
    for (std::size_t i = h & maske;; i = (i + 1) & maske) {
        const int e = index[i];
        if (e == 0) {
            if (platz != nullptr) *platz = i;
            return 0;
        }
        const Eintrag& x = eintraege[static_cast<std::size_t>(e)];
        if (x.hash == h && x.laenge == n) {
            const wchar_t* b = zeichen.data() + x.anfang;
            std::size_t k = 0;
            while (k < n && a[k] == b[k]) ++k;
            if (k == n) return e;
        }
    }
}

int NAMEN::Suchen(std::wstring_view name) const {
    return Finden(name.data(), name.size(), Hash(name.data(), name.size()), nullptr);
}

int NAMEN::Nummer(const wchar_t* anfang, const wchar_t* ende) {
    const std::size_t n = anfang != nullptr && ende > anfang ? static_cast<std::size_t>(ende - anfang) : 0;
    const std::uint32_t h = Hash(anfang, n);
    std::size_t platz = 0;
    const int gefunden = Finden(anfang, n, h, &platz);
    return gefunden != 0 ? gefunden : Eintragen(anfang, n, h, platz);
}

// The lower-case form is entered before the name itself, so that a name
// never refers to one entered after it: dropping the newest names
// (Zuruecksetzen) leaves no kept name without its folded form.
int NAMEN::Eintragen(const wchar_t* a, std::size_t n, std::uint32_t h, std::size_t platz) {
    int gefaltet = 0;
    std::size_t i = 0;
    while (i < n && static_cast<wchar_t>(std::towlower(static_cast<wint_t>(a[i]))) == a[i]) ++i;
    if (i < n) {
        std::vector<wchar_t> klein(a, a + n);
        for (; i < n; ++i) klein[i] = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(klein[i])));
        gefaltet = Nummer(klein.data(), klein.data() + n);
        Finden(a, n, h, &platz);  // the index may have grown meanwhile
    }
    const int nummer = static_cast<int>(eintraege.size());
    eintraege.push_back({static_cast<std::uint32_t>(zeichen.size()), static_cast<std::uint32_t>(n), h,
                         gefaltet != 0 ? gefaltet : nummer});
    zeichen.insert(zeichen.end(), a, a + n);
    index[platz] = nummer;
    if (eintraege.size() * 2 > index.size()) Index_Verdoppeln();
    return nummer;
}

void NAMEN::Index_Verdoppeln() {
    std::vector<std::int32_t> neu(index.size() * 2, 0);
    const std::size_t maske = neu.size() - 1;
    for (std::size_t e = 1; e < eintraege.size(); ++e) {
        std::size_t i = eintraege[e].hash & maske;
        while (neu[i] != 0) i = (i + 1) & maske;
        neu[i] = static_cast<std::int32_t>(e);
    }
    index.swap(neu);
}

std::wstring_view NAMEN::Name(int nummer) const {
    if (nummer <= 0 || nummer > Anzahl()) return {};
    const Eintrag& x = eintraege[static_cast<std::size_t>(nummer)];
    return std::wstring_view(zeichen.data() + x.anfang, x.laenge);
}

void NAMEN::Zuruecksetzen(int marke) {
    if (marke < 0 || marke >= Anzahl()) return;
    eintraege.resize(static_cast<std::size_t>(marke) + 1);
    zeichen.resize(eintraege.back().anfang + eintraege.back().laenge);
    // The index is built anew at a size for what is left.
    std::size_t groesse = kErsterIndex;
    while (eintraege.size() * 2 > groesse) groesse *= 2;
    index.assign(groesse / 2, 0);
    Index_Verdoppeln();
}
