#include "tracking/TRACK.h"

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
        text.push_back(static_cast<wchar_t>(c));
        return 1;
    }
    text.append(L"&#");
    AddNr(static_cast<long>(c));
    text.push_back(L';');
    return 1;
}

int TRACK::AddText(const wchar_t* s) {
    if (s == nullptr) return 1;
    for (; *s != 0; ++s) AddZeichen(static_cast<unsigned int>(*s));
    return 1;
}

int TRACK::AddNr(long n) {
    wchar_t ziffern[24];
    int i = sizeof ziffern / sizeof ziffern[0];
    // Negative numbers by their magnitude, which also holds the smallest long.
    unsigned long betrag = n < 0 ? 0UL - static_cast<unsigned long>(n) : static_cast<unsigned long>(n);
    do {
        ziffern[--i] = static_cast<wchar_t>(L'0' + betrag % 10);
        betrag /= 10;
    } while (betrag != 0);
    if (n < 0) ziffern[--i] = L'-';
    text.append(ziffern + i, sizeof ziffern / sizeof ziffern[0] - i);
    hat_text = true;
    return 1;
}

int TRACK::AddStartLabel() {
    text.append(L"<label title=\"");
    zeile = 1;
    AddNr(zeile);
    text.append(L"\"></label>");
    hat_text = true;
    nach_cr = false;
    return 1;
}

int TRACK::AddLabel() {
    text.append(L"<em>&para;</em>\n<label title=\"");
    ++zeile;
    AddNr(zeile);
    text.append(L"\"></label>");
    hat_text = true;
    return 1;
}

int TRACK::AddHtmlZeichen(unsigned int c) {
    hat_text = true;
    const bool war_cr = nach_cr;
    nach_cr = false;
    switch (c) {
        case 9: text.append(L"&nbsp;&nbsp;"); break;
        case 10:
            if (!war_cr) AddLabel();
            break;
        case 13:
            AddLabel();
            nach_cr = true;
            break;
        case '"': text.append(L"&quot;"); break;
        case '&': text.append(L"&amp;"); break;
        case '\'': text.append(L"&apos;"); break;
        case '<': text.append(L"&lt;"); break;
        case '>': text.append(L"&gt;"); break;
        default: AddZeichen(c); break;
    }
    return 1;
}

int TRACK::AddHtmlText(const wchar_t* s) {
    if (s == nullptr) return 1;
    for (; *s != 0; ++s) AddHtmlZeichen(static_cast<unsigned int>(*s));
    return 1;
}

int TRACK::AddHtmlText(const wchar_t* anfang, const wchar_t* ende) {
    if (anfang == nullptr || ende == nullptr) return 1;
    const wchar_t* p = anfang;
    while (p < ende) {
        // Plain runs are the bulk of any text: append them in one piece.
        const wchar_t* lauf = p;
        while (lauf < ende && schlicht(static_cast<unsigned int>(*lauf))) ++lauf;
        if (lauf != p) {
            text.append(p, static_cast<std::size_t>(lauf - p));
            hat_text = true;
            nach_cr = false;
            p = lauf;
            continue;
        }
        AddHtmlZeichen(static_cast<unsigned int>(*p++));
    }
    return 1;
}

int TRACK::AddHtmlSpanne(wchar_t art, long nr, const wchar_t* anfang, const wchar_t* ende) {
    if (art == 0) return AddHtmlText(anfang, ende);
    text.append(L"<span id=\"");
    text.push_back(art);
    AddNr(nr);
    text.append(L"\">");
    AddHtmlText(anfang, ende);
    text.append(L"</span>");
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
