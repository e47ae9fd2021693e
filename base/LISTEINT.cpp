#include "base/LISTEINT.h"

#include <algorithm>
#include <climits>
#include <new>

#include "base/Konsole.h"

LISTEINT::LISTEINT() : speicher(1, 0) {}

LISTEINT::~LISTEINT() = default;

int LISTEINT::Init(int n) {
    index = 0;
    if (n <= 0) {
        speicher.clear();
        kapazitaet = 0;
        hochwasser = 0;
        return 0;
    }
    try {
        speicher.assign(static_cast<std::size_t>(n) + 1, 0);
    } catch (std::bad_alloc const&) {
        Konsole_Text(speicher.empty() ? L"FEHLER: (Intern) Datenindex ist Null, nicht genügend Speicher.\n"
                                      : L"FEHLER: (Intern) Datenindex, nicht genügend Speicher.\n");
        speicher.clear();
        speicher.shrink_to_fit();
        kapazitaet = 0;
        hochwasser = 0;
        return 0;
    }
    kapazitaet = n;
    hochwasser = 1;
    return 1;
}

// Grows the capacity by one step; the stack is unchanged when that fails.
bool LISTEINT::Wachsen() {
    if (kapazitaet > INT_MAX - schritt - 1) return false;
    int neu = kapazitaet + schritt;
    try {
        speicher.resize(static_cast<std::size_t>(neu) + 1, 0);
    } catch (std::bad_alloc const&) {
        return false;
    }
    kapazitaet = neu;
    return true;
}

int LISTEINT::PushItem() {
    int neu = index + 1;
    // The size check also covers a storage emptied by Delete or a failed Init.
    while (neu > kapazitaet || static_cast<std::size_t>(neu) >= speicher.size()) {
        if (!Wachsen()) {
            Konsole_Text(L"FEHLER: (Interpreter) Eintrag im Datenindex, nicht genügend Speicher.\n");
            return 0;
        }
    }
    index = neu;
    if (index >= hochwasser) hochwasser = index + 1;
    return 1;
}

int LISTEINT::PopItem() {
    if (index <= 0) return 0;
    speicher[static_cast<std::size_t>(index)] = 0;
    --index;
    return 1;
}

int LISTEINT::IncItem() {
    if (static_cast<std::size_t>(index) >= speicher.size()) return 0;
    ++speicher[static_cast<std::size_t>(index)];
    return 1;
}

std::uint32_t LISTEINT::Item() const {
    if (static_cast<std::size_t>(index) >= speicher.size()) return 0;
    return speicher[static_cast<std::size_t>(index)];
}

int LISTEINT::SetItem(int wert) {
    if (index <= 0) return 0;
    speicher[static_cast<std::size_t>(index)] = static_cast<std::uint32_t>(wert);
    return 1;
}

std::uint32_t LISTEINT::GetItem(int i) const {
    if (i <= 0 || i > index) return 0;
    return speicher[static_cast<std::size_t>(i)];
}

int LISTEINT::Clear() {
    std::size_t bis = std::min(static_cast<std::size_t>(hochwasser < 0 ? 0 : hochwasser), speicher.size());
    for (std::size_t i = 0; i < bis; ++i) speicher[i] = 0;
    index = 0;
    return 1;
}

int LISTEINT::Delete() {
    speicher.clear();
    speicher.shrink_to_fit();
    index = 0;
    kapazitaet = 0;
    hochwasser = 0;
    return 1;
}
