#include "markup/SGMLDEKL.h"

#include <algorithm>
#include <cwctype>

namespace {

bool Leer(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r'; }

std::wstring Gross(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return s;
}

// A literal's text with its character references ("&#38;", "&#SPACE;")
// replaced.
std::wstring Literaltext(const wchar_t* a, const wchar_t* e) {
    std::wstring out;
    while (a < e) {
        if (a[0] == L'&' && a + 1 < e && a[1] == L'#') {
            const wchar_t* p = a + 2;
            const wchar_t* n = p;
            while (n < e && std::iswalnum(static_cast<wint_t>(*n))) ++n;
            const std::wstring wort = Gross(std::wstring(p, n));
            wchar_t z = 0;
            if (!wort.empty() && std::all_of(wort.begin(), wort.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
                z = static_cast<wchar_t>(std::wcstol(wort.c_str(), nullptr, 10));
            else if (wort == L"SPACE") z = L' ';
            else if (wort == L"TAB") z = L'\t';
            else if (wort == L"RE" || wort == L"RS") z = L'\n';
            if (z != 0) {
                out.push_back(z);
                a = n < e && *n == L';' ? n + 1 : n;
                continue;
            }
        }
        out.push_back(*a++);
    }
    return out;
}

struct Token {
    std::wstring text;  // names folded to upper case
    bool literal;
};

}  // namespace

SGMLDEKL::SGMLDEKL() {
    for (int c = 0; c < 256; ++c) {
        std::uint8_t k = 0;
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) k = ANFANG | ZEICHEN;
        else if ((c >= '0' && c <= '9') || c == '-' || c == '.') k = ZEICHEN;
        klasse_[c] = k;
    }
}

bool SGMLDEKL::Weit(wchar_t c, bool anfang) const {
    const std::vector<wchar_t>& v = anfang ? weit_anfang_ : weit_zeichen_;
    return std::find(v.begin(), v.end(), c) != v.end();
}

void SGMLDEKL::Hinzu(const std::wstring& zeichen, bool anfang) {
    for (wchar_t c : zeichen) {
        const std::uint8_t k = anfang ? ANFANG | ZEICHEN : ZEICHEN;
        if (static_cast<std::uint32_t>(c) < 256) {
            klasse_[static_cast<std::uint32_t>(c)] |= k;
        } else {
            weit_zeichen_.push_back(c);
            if (anfang) weit_anfang_.push_back(c);
        }
    }
}

bool SGMLDEKL::Beginnt(const wchar_t* p, const wchar_t* ende) {
    if (ende - p < 7 || p[0] != L'<' || p[1] != L'!') return false;
    for (int i = 0; i < 4; ++i)
        if (std::towupper(static_cast<wint_t>(p[2 + i])) != static_cast<wint_t>(L"SGML"[i])) return false;
    return Leer(p[6]);
}

int SGMLDEKL::Lesen(const wchar_t* p, const wchar_t* ende, const wchar_t*& weiter, const wchar_t*& fehler,
                    const wchar_t*& stelle) {
    const wchar_t* anfang = p;
    p += 6;
    std::vector<Token> tokens;
    for (;;) {
        while (p < ende && Leer(*p)) ++p;
        if (p >= ende) {
            fehler = L"Die SGML-Deklaration wird nicht beendet.";
            stelle = anfang;
            return 0;
        }
        if (*p == L'>') {
            ++p;
            break;
        }
        if (p + 1 < ende && p[0] == L'-' && p[1] == L'-') {
            const wchar_t* q = p + 2;
            while (q + 1 < ende && !(q[0] == L'-' && q[1] == L'-')) ++q;
            p = q + 1 < ende ? q + 2 : ende;
            continue;
        }
        if (*p == L'"' || *p == L'\'') {
            const wchar_t q = *p;
            const wchar_t* a = ++p;
            while (p < ende && *p != q) ++p;
            tokens.push_back({Literaltext(a, p), true});
            if (p < ende) ++p;
            continue;
        }
        const wchar_t* a = p;
        while (p < ende && !Leer(*p) && *p != L'>' && *p != L'"' && *p != L'\'') ++p;
        tokens.push_back({Gross(std::wstring(a, p)), false});
    }
    weiter = p;

    auto wort = [&](std::size_t i, const wchar_t* w) { return i < tokens.size() && !tokens[i].literal && tokens[i].text == w; };
    bool in_delim = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.literal) continue;
        if (t.text == L"DELIM") in_delim = true;
        else if (t.text == L"NAMES" || t.text == L"QUANTITY") in_delim = false;
        if ((t.text == L"LCNMSTRT" || t.text == L"UCNMSTRT") && i + 1 < tokens.size() && tokens[i + 1].literal) {
            Hinzu(tokens[i + 1].text, true);
        } else if ((t.text == L"LCNMCHAR" || t.text == L"UCNMCHAR") && i + 1 < tokens.size() && tokens[i + 1].literal) {
            Hinzu(tokens[i + 1].text, false);
        } else if (t.text == L"GENERAL" && (wort(i + 1, L"YES") || wort(i + 1, L"NO"))) {
            namecase_allgemein = wort(i + 1, L"YES");
        } else if (t.text == L"ENTITY" && (wort(i + 1, L"YES") || wort(i + 1, L"NO"))) {
            namecase_entitaet = wort(i + 1, L"YES");
        } else if (t.text == L"OMITTAG" && (wort(i + 1, L"YES") || wort(i + 1, L"NO"))) {
            omittag = wort(i + 1, L"YES");
        } else if (t.text == L"SHORTTAG") {
            // "SHORTTAG NO"; the long form of Web SGML lists its parts.
            shorttag = !wort(i + 1, L"NO");
        } else if (in_delim && t.text == L"SHORTREF") {
            kurzverweise = !wort(i + 1, L"NONE");
        }
    }
    return 1;
}
