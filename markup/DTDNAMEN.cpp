#include "markup/DTDNAMEN.h"

#include <cwchar>
#include <cwctype>

namespace {
constexpr std::size_t BLOCK = 65536;
}

DTDNAMEN::DTDNAMEN() : index(256, 0) {}

wchar_t DTDNAMEN::Falten(wchar_t c) {
    if (c < 128) return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c;
    return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
}

// FNV-1a over the code points.
std::uint32_t DTDNAMEN::Hash(const wchar_t* a, std::size_t n, bool falten) {
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < n; ++i) {
        h ^= static_cast<std::uint32_t>(falten ? Falten(a[i]) : a[i]);
        h *= 16777619u;
    }
    return h;
}

bool DTDNAMEN::Gleich(const Eintrag& e, const wchar_t* a, std::size_t n, bool falten) const {
    if (e.laenge != n) return false;
    if (!falten) return std::wmemcmp(e.text, a, n) == 0;
    for (std::size_t i = 0; i < n; ++i)
        if (e.text[i] != Falten(a[i])) return false;
    return true;
}

int DTDNAMEN::Suche(const wchar_t* a, std::size_t n, bool falten) const {
    const std::uint32_t h = Hash(a, n, falten);
    const std::size_t maske = index.size() - 1;
    for (std::size_t s = h & maske;; s = (s + 1) & maske) {
        const std::int32_t k = index[s];
        if (k == 0) return -1;
        const Eintrag& e = eintraege[static_cast<std::size_t>(k - 1)];
        if (e.hash == h && Gleich(e, a, n, falten)) return k - 1;
    }
}

const wchar_t* DTDNAMEN::Ablegen(const wchar_t* a, std::size_t n, bool falten) {
    if (bloecke.empty() || bloecke.back().capacity() - bloecke.back().size() < n + 1) {
        bloecke.emplace_back();
        bloecke.back().reserve(n + 1 > BLOCK ? n + 1 : BLOCK);
    }
    std::vector<wchar_t>& b = bloecke.back();
    const std::size_t anfang = b.size();
    for (std::size_t i = 0; i < n; ++i) b.push_back(falten ? Falten(a[i]) : a[i]);
    b.push_back(0);
    return b.data() + anfang;
}

void DTDNAMEN::Wachsen() {
    std::vector<std::int32_t> neu(index.size() * 2, 0);
    const std::size_t maske = neu.size() - 1;
    for (std::size_t k = 0; k < eintraege.size(); ++k) {
        std::size_t s = eintraege[k].hash & maske;
        while (neu[s] != 0) s = (s + 1) & maske;
        neu[s] = static_cast<std::int32_t>(k + 1);
    }
    index.swap(neu);
}

int DTDNAMEN::Aufnehmen(const wchar_t* a, std::size_t n, bool falten) {
    const int da = Suche(a, n, falten);
    if (da >= 0) return da;
    // At most half full, so that probes stay short.
    if ((eintraege.size() + 1) * 2 > index.size()) Wachsen();
    const std::uint32_t h = Hash(a, n, falten);
    eintraege.push_back({Ablegen(a, n, falten), static_cast<std::uint32_t>(n), h});
    const std::size_t maske = index.size() - 1;
    std::size_t s = h & maske;
    while (index[s] != 0) s = (s + 1) & maske;
    index[s] = static_cast<std::int32_t>(eintraege.size());
    return static_cast<int>(eintraege.size() - 1);
}

std::wstring_view DTDNAMEN::Name(int nummer) const {
    if (nummer < 0 || nummer >= Anzahl()) return {};
    const Eintrag& e = eintraege[static_cast<std::size_t>(nummer)];
    return {e.text, e.laenge};
}
