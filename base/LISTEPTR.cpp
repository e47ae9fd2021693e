#include "base/LISTEPTR.h"

#include <algorithm>
#include <climits>
#include <new>

#include "base/Konsole.h"

// Room for capacity + 1 pointers from the start, so that the first two
// entries never write past the storage.
LISTEPTR::LISTEPTR() : speicher(2, nullptr) {}

LISTEPTR::~LISTEPTR() = default;

int LISTEPTR::Init(int n) {
    int kap = n <= 0 ? 1 : n;
    index = 0;
    try {
        speicher.assign(static_cast<std::size_t>(kap) + 1, nullptr);
    } catch (std::bad_alloc const&) {
        Konsole_Text(speicher.empty() ? L"FEHLER: (Intern) Zeichenkettenindex ist Null, nicht genügend Speicher.\n"
                                      : L"FEHLER: (Intern) Zeichenkettenindex, nicht genügend Speicher.\n");
        speicher.clear();
        speicher.shrink_to_fit();
        kapazitaet = 0;
        anzahl = 0;
        return 0;
    }
    kapazitaet = kap;
    anzahl = 1;
    return 1;
}

int LISTEPTR::AddItem(wchar_t* text) {
    if (index > kapazitaet || static_cast<std::size_t>(index) >= speicher.size()) return 0;
    speicher[static_cast<std::size_t>(index)] = text;
    ++anzahl;
    ++index;
    if (index > kapazitaet || static_cast<std::size_t>(index) >= speicher.size()) {
        bool gewachsen = false;
        if (kapazitaet <= INT_MAX - schritt - 1) {
            try {
                speicher.resize(static_cast<std::size_t>(kapazitaet + schritt) + 1, nullptr);
                kapazitaet += schritt;
                gewachsen = true;
            } catch (std::bad_alloc const&) {
            }
        }
        if (!gewachsen) {
            Konsole_Text(L"FEHLER: (Intern) Eintrag Zeichenkettenindex, nicht genügend Speicher.\n");
            return 0;
        }
    }
    return 1;
}

// Terminates every recorded text. A slot is emptied once written, so that a
// later Clear never writes through a pointer of an earlier round again.
int LISTEPTR::Clear() {
    if (kapazitaet == 0 || speicher.empty()) return 0;
    std::size_t bis = std::min(static_cast<std::size_t>(anzahl < 0 ? 0 : anzahl), speicher.size());
    for (std::size_t i = 0; i < bis; ++i) {
        if (speicher[i] != nullptr) {
            *speicher[i] = L'\0';
            speicher[i] = nullptr;
        }
    }
    index = 0;
    return 1;
}

int LISTEPTR::Delete() {
    speicher.clear();
    speicher.shrink_to_fit();
    index = 0;
    kapazitaet = 0;
    return 1;
}

wchar_t* LISTEPTR::Eintrag(int i) const {
    if (i < 0 || i >= index) return nullptr;
    return speicher[static_cast<std::size_t>(i)];
}
