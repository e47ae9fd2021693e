#include "base/LISTESTR.h"

#include <new>

#include "base/Zeichenwandlung.h"
#include "base/Konsole.h"

LISTESTR::LISTESTR() = default;

LISTESTR::~LISTESTR() = default;

int LISTESTR::Init() {
    eintraege.clear();
    return 1;
}

int LISTESTR::Delete() {
    eintraege.clear();
    status = 0;
    return 1;
}

int LISTESTR::AddItem(wchar_t const* text) {
    if (text == nullptr) return 0;
    try {
        eintraege.emplace_back(text);
    } catch (std::bad_alloc const&) {
        Konsole_Text(L"FEHLER: (Intern) Eintrag, nicht genügend Speicher.\n");
        return 0;
    }
    anzahl = static_cast<int>(eintraege.size());
    return 1;
}

int LISTESTR::AddItem(char const* text) {
    if (text == nullptr) return 0;
    try {
        eintraege.push_back(SchmalZuBreit(text));
    } catch (std::bad_alloc const&) {
        Konsole_Text(L"FEHLER: (Intern) Eintrag, nicht genügend Speicher.\n");
        return 0;
    }
    anzahl = static_cast<int>(eintraege.size());
    return 1;
}
