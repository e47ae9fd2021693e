#include "base/TRACK.h"

#include <cstdlib>
#include <cwchar>
#include <new>
#include <sys/mman.h>

namespace {

// Characters that the HTML rule passes through unchanged.
inline bool schlicht(unsigned int c) {
    if (c > 128) return false;
    switch (c) {
        case 9: case 10: case 13: case '"': case '&': case '\'': case '<': case '>': return false;
        default: return true;
    }
}

}  // namespace

namespace {

constexpr std::size_t GROSSE_SEITE = std::size_t{2} << 20;

}  // namespace

template <>
char* TRACK_Speicher<char>::allocate(std::size_t n) {
    if (n < GROSSE_SEITE) {
        if (void* p = std::malloc(n)) return static_cast<char*>(p);
        throw std::bad_alloc();
    }
    const std::size_t groesse = (n + GROSSE_SEITE - 1) / GROSSE_SEITE * GROSSE_SEITE;
    void* p = nullptr;
    if (posix_memalign(&p, GROSSE_SEITE, groesse) != 0) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    madvise(p, groesse, MADV_HUGEPAGE);
#endif
    return static_cast<char*>(p);
}

template <>
void TRACK_Speicher<char>::deallocate(char* p, std::size_t) {
    std::free(p);
}

int TRACK::Reset() {
    text.clear();
    hat_text = false;
    first_id = 0;
    last_id = 0;
    eintraege = 0;
    zeile = 0;
    nach_cr = false;
    return 1;
}

int TRACK::AddZeichen(unsigned int c) {
    hat_text = true;
    if (c <= 128) {
        text.push_back(static_cast<char>(c));
        return 1;
    }
    text.append("&#");
    AddNr(static_cast<long>(c));
    text.push_back(';');
    return 1;
}

int TRACK::AddText(const wchar_t* s) {
    if (s == nullptr) return 1;
    for (; *s != 0; ++s) AddZeichen(static_cast<unsigned int>(*s));
    return 1;
}

int TRACK::AddAscii(const char* s) {
    text.append(s);
    hat_text = true;
    return 1;
}

int TRACK::AddNr(long n) {
    char ziffern[24];
    int i = sizeof ziffern / sizeof ziffern[0];
    // Negative numbers by their magnitude, which also holds the smallest long.
    unsigned long betrag = n < 0 ? 0UL - static_cast<unsigned long>(n) : static_cast<unsigned long>(n);
    do {
        ziffern[--i] = static_cast<char>('0' + betrag % 10);
        betrag /= 10;
    } while (betrag != 0);
    if (n < 0) ziffern[--i] = '-';
    text.append(ziffern + i, sizeof ziffern / sizeof ziffern[0] - i);
    hat_text = true;
    return 1;
}

int TRACK::AddStartLabel() {
    text.append("<label title=\"");
    zeile = 1;
    AddNr(zeile);
    text.append("\"></label>");
    hat_text = true;
    nach_cr = false;
    return 1;
}

int TRACK::AddLabel() {
    text.append("<em>&para;</em>\n<label title=\"");
    ++zeile;
    AddNr(zeile);
    text.append("\"></label>");
    hat_text = true;
    return 1;
}

int TRACK::AddHtmlZeichen(unsigned int c) {
    hat_text = true;
    const bool war_cr = nach_cr;
    nach_cr = false;
    switch (c) {
        case 9: text.append("&nbsp;&nbsp;"); break;
        case 10:
            if (!war_cr) AddLabel();
            break;
        case 13:
            AddLabel();
            nach_cr = true;
            break;
        case '"': text.append("&quot;"); break;
        case '&': text.append("&amp;"); break;
        case '\'': text.append("&apos;"); break;
        case '<': text.append("&lt;"); break;
        case '>': text.append("&gt;"); break;
        default: AddZeichen(c); break;
    }
    return 1;
}

int TRACK::AddHtmlText(const wchar_t* s) {
    if (s == nullptr) return 1;
    return AddHtmlText(s, s + std::wcslen(s));
}

int TRACK::AddHtmlText(const wchar_t* anfang, const wchar_t* ende) {
    if (anfang == nullptr || ende == nullptr) return 1;
    const wchar_t* p = anfang;
    while (p < ende) {
        // Plain runs are the bulk of any text: append them in one piece.
        const wchar_t* lauf = p;
        while (lauf < ende && schlicht(static_cast<unsigned int>(*lauf))) ++lauf;
        if (lauf != p) {
            // Plain characters are at most 128 and fit one byte each.
            char block[256];
            while (p < lauf) {
                std::size_t n = 0;
                while (p < lauf && n < sizeof block) block[n++] = static_cast<char>(*p++);
                text.append(block, n);
            }
            hat_text = true;
            nach_cr = false;
            continue;
        }
        AddHtmlZeichen(static_cast<unsigned int>(*p++));
    }
    return 1;
}

int TRACK::AddHtmlSpanne(wchar_t art, long nr, const wchar_t* anfang, const wchar_t* ende) {
    if (art == 0) return AddHtmlText(anfang, ende);
    text.append("<span id=\"");
    text.push_back(static_cast<char>(art));
    AddNr(nr);
    text.append("\">");
    AddHtmlText(anfang, ende);
    text.append("</span>");
    return 1;
}

int TRACK::AddFirstId(long n) {
    first_id += n;
    return 1;
}

int TRACK::AddLastId(long n) {
    last_id += n;
    return 1;
}
