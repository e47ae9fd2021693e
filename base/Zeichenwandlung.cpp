#include "base/Zeichenwandlung.h"

#include <climits>
#include <cstring>
#include <cwchar>

namespace {
constexpr wchar_t kFluchtBasis = 0xDC00;
}

std::wstring SchmalZuBreit(const char* text) {
    std::wstring breit;
    if (text == nullptr) return breit;
    std::size_t rest = std::strlen(text);
    breit.reserve(rest);
    std::mbstate_t zustand{};
    while (rest > 0) {
        wchar_t c = 0;
        std::size_t n = std::mbrtowc(&c, text, rest, &zustand);
        if (n == static_cast<std::size_t>(-1) || n == static_cast<std::size_t>(-2) || n == 0) {
            // Not a character of the locale: keep the byte in escaped form.
            breit.push_back(static_cast<wchar_t>(kFluchtBasis + static_cast<unsigned char>(*text)));
            zustand = std::mbstate_t{};
            n = 1;
        } else {
            breit.push_back(c);
        }
        text += n;
        rest -= n;
    }
    return breit;
}

std::string BreitZuSchmal(const wchar_t* text) {
    std::string schmal;
    if (text == nullptr) return schmal;
    char zeichen[MB_LEN_MAX];
    std::mbstate_t zustand{};
    for (; *text != L'\0'; ++text) {
        wchar_t c = *text;
        if (c >= kFluchtBasis + 0x80 && c <= kFluchtBasis + 0xFF) {
            schmal.push_back(static_cast<char>(c - kFluchtBasis));
            continue;
        }
        std::size_t n = std::wcrtomb(zeichen, c, &zustand);
        if (n == static_cast<std::size_t>(-1)) {
            schmal.push_back('?');
            zustand = std::mbstate_t{};
        } else {
            schmal.append(zeichen, n);
        }
    }
    return schmal;
}
