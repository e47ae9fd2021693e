// The reader of SGML open catalogs: a list of keywords with their
// arguments, quoted or bare, and "--" comments between them.
#include <cwctype>

#include "markup/KATALOG.h"

namespace {

bool Leer(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

// The next token from p on, comments skipped; false at the end.
bool Token(const wchar_t*& p, const wchar_t* ende, std::wstring& out) {
    for (;;) {
        while (p < ende && Leer(*p)) ++p;
        if (p + 1 < ende && p[0] == L'-' && p[1] == L'-') {
            p += 2;
            while (p + 1 < ende && !(p[0] == L'-' && p[1] == L'-')) ++p;
            p = p + 1 < ende ? p + 2 : ende;
            continue;
        }
        break;
    }
    if (p >= ende) return false;
    out.clear();
    if (*p == L'"' || *p == L'\'') {
        const wchar_t q = *p++;
        while (p < ende && *p != q) out.push_back(*p++);
        if (p < ende) ++p;
        return true;
    }
    while (p < ende && !Leer(*p)) out.push_back(*p++);
    return true;
}

std::wstring Gross(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return s;
}

}  // namespace

void KATALOG::Sgml_lesen(Datei& d, const wchar_t* p, const wchar_t* ende) {
    std::wstring basis = d.pfad;
    bool override_ = false;
    std::wstring wort, a, b;
    // Keywords this program does not use, with the number of their arguments.
    static const struct {
        const wchar_t* wort;
        int argumente;
    } uebergangen[] = {{L"DTDDECL", 2}, {L"LINKTYPE", 2}, {L"NOTATION", 2}, {L"DOCUMENT", 1}};
    while (Token(p, ende, wort)) {
        const std::wstring k = Gross(wort);
        Art art;
        int argumente = 2;
        if (k == L"PUBLIC") art = PUBLIC;
        else if (k == L"SYSTEM") art = SYSTEM;
        else if (k == L"DOCTYPE") art = DOCTYPE;
        else if (k == L"ENTITY") art = ENTITY;
        else if (k == L"DELEGATE") art = DELEGATE_PUBLIC;
        else if (k == L"CATALOG") art = NEXT, argumente = 1;
        else if (k == L"SGMLDECL") art = SGMLDECL, argumente = 1;
        else if (k == L"BASE") {
            if (Token(p, ende, a)) basis = Aufloesen(basis, a);
            continue;
        } else if (k == L"OVERRIDE") {
            if (Token(p, ende, a)) override_ = Gross(a) == L"YES";
            continue;
        } else {
            for (const auto& u : uebergangen)
                if (k == u.wort)
                    for (int i = 0; i < u.argumente; ++i) Token(p, ende, a);
            continue;
        }
        a.clear();
        if (argumente == 2 && !Token(p, ende, a)) break;
        if (!Token(p, ende, b)) break;
        if (art == PUBLIC || art == DELEGATE_PUBLIC) a = Public_normalisieren(a);
        std::wstring ziel = Aufloesen(basis, b);
        if (art == NEXT || art == DELEGATE_PUBLIC) Datei_von(ziel);
        d.eintraege.push_back({art, override_, std::move(a), std::move(ziel)});
    }
}
