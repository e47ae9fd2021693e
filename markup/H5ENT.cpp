// H5ENT: longest-name search in the table of named references. The names
// are letters and digits with an optional final ";", so the candidates at a
// position are the run of letters and digits there with its ";" (if one
// follows) and each prefix of the run: a hash of every prefix is computed in
// one pass, and a hash table answers for each, longest first (one look-up
// for a reference written with ";").
#include "markup/H5ENT.h"

#include <array>
#include <cstring>

namespace {

constexpr uint32_t FNV_START = 2166136261u;
constexpr uint32_t FNV_FAKTOR = 16777619u;
constexpr size_t MAX_NAME = 33;  // "CounterClockwiseContourIntegral;"
constexpr size_t TABELLE = 8192;

inline bool alnum(wchar_t c) {
    return (c >= L'0' && c <= L'9') || ((c | 0x20) >= L'a' && (c | 0x20) <= L'z');
}

struct Streutabelle {
    std::array<int16_t, TABELLE> platz;
    Streutabelle() {
        platz.fill(-1);
        for (size_t i = 0; i < H5ENT::ANZAHL; ++i) {
            const H5ENT::Eintrag& e = H5ENT::tabelle[i];
            uint32_t h = FNV_START;
            for (size_t k = 0; k < e.laenge; ++k) h = (h ^ static_cast<unsigned char>(e.name[k])) * FNV_FAKTOR;
            size_t j = h & (TABELLE - 1);
            while (platz[j] >= 0) j = (j + 1) & (TABELLE - 1);
            platz[j] = static_cast<int16_t>(i);
        }
    }
    const H5ENT::Eintrag* finden(uint32_t h, const wchar_t* p, size_t n) const {
        for (size_t j = h & (TABELLE - 1); platz[j] >= 0; j = (j + 1) & (TABELLE - 1)) {
            const H5ENT::Eintrag& e = H5ENT::tabelle[platz[j]];
            if (e.laenge != n) continue;
            size_t k = 0;
            while (k < n && static_cast<wchar_t>(static_cast<unsigned char>(e.name[k])) == p[k]) ++k;
            if (k == n) return &e;
        }
        return nullptr;
    }
};

const Streutabelle& streutabelle() {
    static const Streutabelle t;
    return t;
}

}  // namespace

const H5ENT::Eintrag* H5ENT::suchen(const wchar_t* p, const wchar_t* ende, size_t* gelesen) {
    const Streutabelle& t = streutabelle();
    uint32_t h[MAX_NAME + 1];
    size_t lauf = 0;
    uint32_t x = FNV_START;
    while (lauf < MAX_NAME - 1 && p + lauf < ende && alnum(p[lauf])) {
        x = (x ^ static_cast<uint32_t>(p[lauf])) * FNV_FAKTOR;
        h[++lauf] = x;
    }
    *gelesen = 0;
    if (lauf == 0) return nullptr;
    if (p + lauf < ende && p[lauf] == L';') {
        if (const Eintrag* e = t.finden((x ^ static_cast<uint32_t>(L';')) * FNV_FAKTOR, p, lauf + 1)) {
            *gelesen = lauf + 1;
            return e;
        }
    }
    for (size_t n = lauf; n > 0; --n)
        if (const Eintrag* e = t.finden(h[n], p, n)) {
            *gelesen = n;
            return e;
        }
    return nullptr;
}
