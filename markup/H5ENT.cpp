// H5ENT: longest-name search in the sorted table of named references.
#include "markup/H5ENT.h"

const H5ENT::Eintrag* H5ENT::suchen(const wchar_t* p, const wchar_t* ende, size_t* gelesen) {
    // The range [lo, hi) holds the names that start with the k characters
    // read so far; a name of exactly k+1 characters sorts first in it.
    size_t lo = 0, hi = ANZAHL;
    const Eintrag* best = nullptr;
    *gelesen = 0;
    for (size_t k = 0; p + k < ende; ++k) {
        const wchar_t c = p[k];
        if (c > 127) break;
        const auto zeichen_an = [k](const Eintrag& e) -> int {
            return e.laenge > k ? static_cast<unsigned char>(e.name[k]) : -1;
        };
        size_t a = lo, b = hi;
        while (a < b) {  // first with character >= c
            const size_t m = (a + b) / 2;
            if (zeichen_an(tabelle[m]) < static_cast<int>(c)) a = m + 1; else b = m;
        }
        size_t z = a, e = hi;
        while (z < e) {  // first with character > c
            const size_t m = (z + e) / 2;
            if (zeichen_an(tabelle[m]) <= static_cast<int>(c)) z = m + 1; else e = m;
        }
        if (a == z) break;
        lo = a;
        hi = z;
        if (tabelle[lo].laenge == k + 1) {
            best = &tabelle[lo];
            *gelesen = k + 1;
        }
    }
    return best;
}
