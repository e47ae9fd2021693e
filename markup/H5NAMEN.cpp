// H5NAMEN: open addressing over one array of name characters.
#include "markup/H5NAMEN.h"

#include <algorithm>
#include <string>

namespace {

std::wstring klein_text(std::wstring_view s) {
    std::wstring k(s);
    for (wchar_t& c : k)
        if (c >= L'A' && c <= L'Z') c += 0x20;
    return k;
}

uint32_t streuwert(std::wstring_view s) {
    uint32_t h = 2166136261u;
    for (wchar_t c : s) h = (h ^ static_cast<uint32_t>(c)) * 16777619u;
    return h;
}

}  // namespace

H5NAMEN::H5NAMEN() {
    tabelle.assign(512, -1);
    static const wchar_t* const bekannt[] = {
#define H5_TEXT(n, s) L"" s,
        H5_NAMEN(H5_TEXT)
#undef H5_TEXT
    };
    for (const wchar_t* n : bekannt) neu(n);
    // Lower-case forms only now, so that the known names keep their numbers.
    for (int32_t a = 0; a < A_BEKANNT; ++a) {
        const std::wstring k = klein_text(name(a));
        klein_[a] = k == name(a) ? a : atom(k);
    }
}

size_t H5NAMEN::speicher() const {
    return zeichen.capacity() * sizeof(wchar_t) + (anfang.capacity() + laenge.capacity()) * 4 +
           (klein_.capacity() + tabelle.capacity()) * 4;
}

int32_t H5NAMEN::neu(std::wstring_view n) {
    const int32_t a = static_cast<int32_t>(anfang.size());
    anfang.push_back(static_cast<uint32_t>(zeichen.size()));
    laenge.push_back(static_cast<uint32_t>(n.size()));
    zeichen.insert(zeichen.end(), n.begin(), n.end());
    klein_.push_back(a);
    if (anfang.size() * 2 > tabelle.size()) {
        tabelle.assign(tabelle.size() * 2, -1);
        for (int32_t b = 0; b <= a; ++b) {
            size_t i = streuwert(name(b)) & (tabelle.size() - 1);
            while (tabelle[i] >= 0) i = (i + 1) & (tabelle.size() - 1);
            tabelle[i] = b;
        }
    } else {
        size_t i = streuwert(n) & (tabelle.size() - 1);
        while (tabelle[i] >= 0) i = (i + 1) & (tabelle.size() - 1);
        tabelle[i] = a;
    }
    return a;
}

// Names are short: compared here in line rather than by a library call.
bool H5NAMEN::gleich(int32_t atom, std::wstring_view n) const {
    if (laenge[atom] != n.size()) return false;
    const wchar_t* a = zeichen.data() + anfang[atom];
    for (size_t k = 0; k < n.size(); ++k)
        if (a[k] != n[k]) return false;
    return true;
}

int32_t H5NAMEN::atom(std::wstring_view n) {
    size_t i = streuwert(n) & (tabelle.size() - 1);
    while (tabelle[i] >= 0) {
        if (gleich(tabelle[i], n)) return tabelle[i];
        i = (i + 1) & (tabelle.size() - 1);
    }
    const bool hat_gross = std::any_of(n.begin(), n.end(), [](wchar_t c) { return c >= L'A' && c <= L'Z'; });
    const int32_t a = neu(n);
    if (hat_gross && anfang.size() > A_BEKANNT) {
        const int32_t k = atom(klein_text(n));
        klein_[a] = k;
    }
    return a;
}
