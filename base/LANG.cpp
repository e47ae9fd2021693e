#include "base/LANG.h"

#include <langinfo.h>

#include <clocale>
#include <cstring>
#include <cwchar>

#include "base/Zeichenwandlung.h"
#include "base/Konsole.h"

bool unicode_setlocale(int kategorie, wchar_t const* name) {
    if (name == nullptr) name = L"";
    if (std::setlocale(kategorie, BreitZuSchmal(name).c_str()) != nullptr) return true;
    Konsole_Print(L"FEHLER: Die Sprache %ls konnte nicht aktiviert werden.\n", name);
    return false;
}

void Locale_Start() {
    unicode_setlocale(LC_ALL, L"");
    // Any of these gives a decimal point; a missing one is no failure.
    if (std::setlocale(LC_NUMERIC, "en_US.UTF-8") == nullptr && std::setlocale(LC_NUMERIC, "C.UTF-8") == nullptr)
        std::setlocale(LC_NUMERIC, "C");
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
}

LANG::LANG(wchar_t const* sprache) {
    if (sprache == nullptr || sprache[0] == L'\0') return;
    const wchar_t* locale = L"de_DE.utf8";
    if (std::wcscmp(sprache, L"english") == 0) locale = L"en_US.UTF-8";
    if (std::wcscmp(sprache, L"french") == 0) locale = L"fr_FR.UTF-8";
    if (unicode_setlocale(LC_COLLATE, locale)) {
        Konsole_Text(L"- Spracherweiterung");
        Konsole_Print(L" (%ls) aktiviert.\n", sprache);
    } else {
        Konsole_Text(L"- Spracherweiterung");
        Konsole_Print(L" (%ls, ls) nicht aktiviert.\n", sprache);
    }
}
