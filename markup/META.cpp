#include "markup/META.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>

#include "base/Konsole.h"
#include "base/NAMEN.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

// The records are plain data held in one block. A large store is mapped
// from the system, and growing it moves pages instead of copying. Not in
// huge pages (see the text buffer in textio/BUF.cpp): their cost on a
// virtual machine varies too much from run to run.
namespace {
constexpr std::size_t GROSS = std::size_t{4} << 20;
constexpr std::size_t SEITE = std::size_t{2} << 20;
}  // namespace

META::META() = default;

META::~META() { freigeben(); }

void META::freigeben() {
#if defined(__linux__)
    if (abgebildet != 0) {
        munmap(items, abgebildet);
        abgebildet = 0;
        items = nullptr;
        return;
    }
#endif
    std::free(items);
    items = nullptr;
}

bool META::wachsen(int neue_grenze) {
    const std::size_t n = (static_cast<std::size_t>(neue_grenze) + 1) * sizeof(metaitem);
#if defined(__linux__)
    if (n >= GROSS) {
        const std::size_t bytes = (n + SEITE - 1) / SEITE * SEITE;
        void* neu;
        if (abgebildet != 0) {
            neu = mremap(items, abgebildet, bytes, MREMAP_MAYMOVE);
        } else {
            neu = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (neu != MAP_FAILED && items != nullptr)
                std::memcpy(neu, items, static_cast<std::size_t>(anzahl) * sizeof(metaitem));
        }
        if (neu == MAP_FAILED) return false;
        if (abgebildet == 0) std::free(items);
        items = static_cast<metaitem*>(neu);
        abgebildet = bytes;
        grenze = neue_grenze;
        return true;
    }
#endif
    void* neu = std::realloc(items, n);
    if (neu == nullptr) return false;
    items = static_cast<metaitem*>(neu);
    grenze = neue_grenze;
    return true;
}

int META::Init(int capacity, DCL* declarations) {
    dcl = declarations;
    index = Strukturindex{};
    geloescht = 0;
    freigeben();
    anzahl = 0;
    grenze = 0;
    hinzugefuegt = 0;
    zaehler.reset();
    geloeschte_starttags.clear();
    namensraeume.clear();
    Namen_vergessen();
    arena.clear();
    arena_frei = 0;
    arena_naechster = nullptr;
    text_anfang = text_ende = nullptr;
    if (capacity < 0) {
        Konsole_Text(
            L"FEHLER: (Interpreter) Interner Speicherverwaltungsfehler (M0I0S0N). Bitte mit Beispiel an den "
            L"Entwickler melden.\n");
        return 0;
    }
    if (capacity == INT_MAX) {
        Konsole_Text(L"FEHLER: (Interpreter) Initialisierung, nicht genügend Speicher.\n");
        return 0;
    }
    if (!wachsen(capacity == 0 ? 1 : capacity)) {
        Konsole_Text(L"FEHLER: (Interpreter) Initialisierung, der Speicher ist unzureichend.\n");
        return 0;
    }
    return 1;
}

int META::AddItem_am_Rand(METAtypeItems kind, wchar_t* start, wchar_t* end, int level, int value, int link) {
    if (items == nullptr || anzahl > grenze || !passt(start, end, level)) {
        Konsole_Text(
            L"FEHLER: (Interpreter) Interner Speicherverwaltungsfehler (M0A0M). Bitte mit Beispiel an den "
            L"Entwickler melden.\n");
        return 0;
    }
    items[anzahl] = Satz(kind, start, end, level, value, link);
    ++anzahl;
    ++hinzugefuegt;
    if (anzahl > grenze) {
        if (grenze > INT_MAX - 1 - wachstum || !wachsen(grenze + wachstum)) {
            Konsole_Text(L"FEHLER: (Interpreter) Daten, der Speicher ist unzureichend.\n");
            return 0;
        }
    }
    return anzahl;
}

void META::Erfassen(int nummer) const {
    const METAtypeItems k = items[erfasst].kind;
    if (k == META_ATTR_NAME) {
        attribute.push_back(erfasst);
        attributnamen.push_back(nummer);
        return;
    }
    if (k != META_STARTTAG) return;
    const std::size_t wort = static_cast<std::size_t>(erfasst) >> 6;
    while (tagbits.size() <= wort) {
        tagbits.push_back(0);
        tagrang.push_back(static_cast<int>(starttags.size()));
    }
    tagbits[wort] |= std::uint64_t{1} << (erfasst & 63);
    starttags.push_back(erfasst);
    tagnamen.push_back(nummer);
}

void META::Namen_erfassen() const {
    NAMEN& tabelle = Namenstabelle();
    for (; erfasst < anzahl; ++erfasst) {
        const metaitem& r = items[erfasst];
        const METAtypeItems k = r.kind;
        if (k != META_ATTR_NAME && k != META_STARTTAG) continue;
        Erfassen(r.start != nullptr ? tabelle.Nummer(r.start, r.end) : 0);
    }
    // Every position of the store has its word, start tag or not.
    while (tagbits.size() <= static_cast<std::size_t>(anzahl) >> 6) {
        tagbits.push_back(0);
        tagrang.push_back(static_cast<int>(starttags.size()));
    }
}

void META::Name_mitteilen(int nummer) {
    if (anzahl > 0) Name_erfassen(anzahl - 1, nummer);
}

void META::Name_erfassen(int i, int nummer) {
    if (i < erfasst || i >= anzahl) return;
    // Items before it that nobody named are taken as usual.
    NAMEN& tabelle = Namenstabelle();
    for (; erfasst < i; ++erfasst) {
        const metaitem& r = items[erfasst];
        if (r.kind == META_ATTR_NAME || r.kind == META_STARTTAG)
            Erfassen(r.start != nullptr ? tabelle.Nummer(r.start, r.end) : 0);
    }
    Erfassen(nummer);
    ++erfasst;
}

void META::Kuerzen(int n) {
    if (n < 0 || n >= anzahl) return;
    anzahl = n;
    // Names taken beyond the cut are taken again when asked.
    if (erfasst > n) Namen_vergessen();
}

void META::Namen_vergessen() {
    starttags.clear();
    tagnamen.clear();
    attribute.clear();
    attributnamen.clear();
    tagbits.clear();
    tagrang.clear();
    erfasst = 0;
}

int META::Namensraum(int i) const {
    auto it = std::lower_bound(namensraeume.begin(), namensraeume.end(), std::make_pair(i, std::uint8_t{0}));
    return it != namensraeume.end() && it->first == i ? it->second : 0;
}

wchar_t* META::Ablegen(const wchar_t* text, std::size_t n) {
    const std::size_t bedarf = n + 2;
    if (bedarf > arena_frei) {
        const std::size_t groesse = bedarf > ARENABLOCK ? bedarf : ARENABLOCK;
        std::unique_ptr<wchar_t[]> block(new (std::nothrow) wchar_t[groesse]);
        if (!block) return nullptr;
        arena_naechster = block.get();
        arena_frei = groesse;
        arena.push_back(std::move(block));
    }
    wchar_t* kopie = arena_naechster;
    if (n > 0) std::wmemcpy(kopie, text, n);
    kopie[n] = 0;
    kopie[n + 1] = 0;
    arena_naechster += bedarf;
    arena_frei -= bedarf;
    return kopie;
}

META::metaitem* META::delete_item(int i) {
    if (!gueltig(i)) return nullptr;
    // The names are taken before any of them is gone.
    if (erfasst < anzahl) Namen_erfassen();
    if (items[i].kind == META_STARTTAG && items[i].start != nullptr) geloeschte_starttags.push_back(i);
    items[i].start = nullptr;
    ++geloescht;
    return &items[i];
}

bool META::IPR_is_data(int i) const {
    if (!gueltig(i)) return false;
    const METAtypeItems k = items[i].kind;
    return k == META_DATA || k == META_DATA_GREF || k == META_DATA_NREF || k == META_DATA_CREF;
}

bool META::IPR_is_attr_data(int i) const {
    if (!gueltig(i)) return false;
    const METAtypeItems k = items[i].kind;
    return k == META_ATTR_DATA || k == META_ATTR_GREF || k == META_ATTR_NREF || k == META_ATTR_CREF;
}

bool META::IPR_is_XML_Empty_Element(int i) const {
    if (!gueltig(i)) return false;
    // The close follows the tag's attribute items directly; content (data
    // or references) can only come after a ">", so it answers no as well
    // as the next tag would, without walking the content.
    for (int j = i + 1; j < anzahl; ++j) {
        const METAtypeItems k = items[j].kind;
        if (k == META_EMPTYTAG_CLOSE) return true;
        if ((k & 0x840) != 0x840) return false;  // not a tag or attribute part
    }
    return false;
}
