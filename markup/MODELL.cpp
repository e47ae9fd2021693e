#include "markup/MODELL.h"

#include <algorithm>
#include <map>
#include <utility>

namespace {
// Entries of all first and last sets together: a deep nest of groups
// repeats every leaf once per level.
constexpr std::size_t MAX_MENGEN = std::size_t{8} << 20;
}  // namespace

bool MODELL::Beitrag::operator<(const Beitrag& b) const {
    if (knoten != b.knoten) return knoten < b.knoten;
    if (a != b.a) return a < b.a;
    if (gruppe != b.gruppe) return gruppe < b.gruppe;
    return glied < b.glied;
}

// ------------------------------------------------------------------ tree

int MODELL::Blatt(int name, Wdh wdh) {
    knoten_.push_back({NAME, wdh, name, 0, 0});
    return Knotenzahl() - 1;
}

int MODELL::Pcdata() {
    knoten_.push_back({PCDATA, EINMAL, -1, 0, 0});
    return Knotenzahl() - 1;
}

int MODELL::Gruppe(Art art, const int* kinder, int anzahl, Wdh wdh) {
    knoten_.push_back({art, wdh, -1, static_cast<std::int32_t>(kinder_.size()), anzahl});
    kinder_.insert(kinder_.end(), kinder, kinder + anzahl);
    return Knotenzahl() - 1;
}

// ------------------------------------------------------------- compiling

// Numbers the leaves in document order, so that a subtree's leaves are one
// range of positions, and notes per node whether it may match nothing and
// how many "&" groups stand around it.
int MODELL::Analysieren(int k, int tiefe, std::vector<Glied>& kette) {
    if (tiefe > MAX_TIEFE) {
        grenze_ = "Tiefe";
        return 0;
    }
    const Knoten n = knoten_[static_cast<std::size_t>(k)];
    Info& i = info_[static_cast<std::size_t>(k)];
    i.a = static_cast<std::uint8_t>(kette.size());
    i.von = static_cast<std::int32_t>(positionen_.size());
    bool leerbar = true;
    switch (n.art) {
    case NAME:
        if (positionen_.size() > static_cast<std::size_t>(MAX_POSITIONEN)) {
            grenze_ = "Positionen";
            return 0;
        }
        positionen_.emplace_back();
        positionen_.back() = {n.name, -1, static_cast<std::int32_t>(ketten_.size()),
                              static_cast<std::uint8_t>(kette.size()), false};
        for (std::size_t j = kette.size(); j-- > 0;) ketten_.push_back(kette[j]);
        leerbar = false;
        break;
    case PCDATA:
        gemischt_ = true;
        break;
    case FOLGE:
    case WAHL:
        leerbar = n.art == FOLGE || n.anzahl == 0;
        for (int j = 0; j < n.anzahl; ++j) {
            const int c = Kind(n, j);
            if (!Analysieren(c, tiefe + 1, kette)) return 0;
            const bool l = info_[static_cast<std::size_t>(c)].leerbar;
            leerbar = n.art == FOLGE ? (leerbar && l) : (leerbar || l);
        }
        break;
    case UND: {
        if (n.anzahl > MAX_GLIEDER) {
            grenze_ = "Glieder";
            return 0;
        }
        const auto g = static_cast<std::int16_t>(pflicht_.size());
        pflicht_.push_back(0);
        for (int j = 0; j < n.anzahl; ++j) {
            const int c = Kind(n, j);
            kette.push_back({g, static_cast<std::int16_t>(j)});
            const int gut = Analysieren(c, tiefe + 1, kette);
            kette.pop_back();
            if (!gut) return 0;
            if (!info_[static_cast<std::size_t>(c)].leerbar) {
                pflicht_[static_cast<std::size_t>(g)] |= std::uint64_t{1} << j;
                leerbar = false;
            }
        }
        break;
    }
    }
    if (n.wdh == OPTIONAL || n.wdh == STERN) leerbar = true;
    Info& fertig = info_[static_cast<std::size_t>(k)];
    fertig.leerbar = leerbar;
    fertig.bis = static_cast<std::int32_t>(positionen_.size());
    return 1;
}

// The leaves that can come first in a match of node k; memoised.
const std::vector<std::int32_t>& MODELL::Erste(int k) {
    const auto u = static_cast<std::size_t>(k);
    if (erste_da_[u]) return erste_[u];
    std::vector<std::int32_t> m;
    const Knoten n = knoten_[u];
    if (n.art == NAME) m.push_back(info_[u].von);
    for (int j = 0; j < n.anzahl; ++j) {
        const int c = Kind(n, j);
        const auto& e = Erste(c);
        m.insert(m.end(), e.begin(), e.end());
        if (n.art == FOLGE && !info_[static_cast<std::size_t>(c)].leerbar) break;
    }
    mengen_ += m.size();
    erste_[u] = std::move(m);
    erste_da_[u] = true;
    return erste_[u];
}

// The leaves that can come last in a match of node k; memoised.
const std::vector<std::int32_t>& MODELL::Letzte(int k) {
    const auto u = static_cast<std::size_t>(k);
    if (letzte_da_[u]) return letzte_[u];
    std::vector<std::int32_t> m;
    const Knoten n = knoten_[u];
    if (n.art == NAME) m.push_back(info_[u].von);
    for (int j = n.anzahl - 1; j >= 0; --j) {
        const int c = Kind(n, j);
        const auto& e = Letzte(c);
        m.insert(m.end(), e.begin(), e.end());
        if (n.art == FOLGE && !info_[static_cast<std::size_t>(c)].leerbar) break;
    }
    mengen_ += m.size();
    letzte_[u] = std::move(m);
    letzte_da_[u] = true;
    return letzte_[u];
}

// For every leaf, which first sets may follow it: after the sequence
// member it ends, after a repetition it ends, after an "&" member it ends.
int MODELL::Beitraege(std::vector<std::vector<Beitrag>>& je_position) {
    std::size_t gesamt = 0;
    auto beitragen = [&](int von_knoten, Beitrag b) {
        for (std::int32_t p : Letzte(von_knoten)) {
            je_position[static_cast<std::size_t>(p)].push_back(b);
            ++gesamt;
        }
        return gesamt <= MAX_KANTEN && mengen_ <= MAX_MENGEN;
    };
    std::vector<int> stapel{wurzel_};
    std::int16_t gruppe = 0;
    // Groups are numbered in the order Analysieren met them: preorder.
    std::vector<std::int16_t> gruppe_von(knoten_.size(), -1);
    std::vector<int> ordnung;
    while (!stapel.empty()) {
        const int k = stapel.back();
        stapel.pop_back();
        ordnung.push_back(k);
        const Knoten& n = knoten_[static_cast<std::size_t>(k)];
        for (int j = n.anzahl - 1; j >= 0; --j) stapel.push_back(Kind(n, j));
    }
    for (int k : ordnung)
        if (knoten_[static_cast<std::size_t>(k)].art == UND) gruppe_von[static_cast<std::size_t>(k)] = gruppe++;
    for (int k : ordnung) {
        const Knoten n = knoten_[static_cast<std::size_t>(k)];
        const std::uint8_t a = info_[static_cast<std::size_t>(k)].a;
        if ((n.wdh == STERN || n.wdh == PLUS) && !beitragen(k, {k, -1, -1, a})) return 0;
        if (n.art == FOLGE) {
            for (int i = 0; i + 1 < n.anzahl; ++i) {
                for (int j = i + 1; j < n.anzahl; ++j) {
                    const int c = Kind(n, j);
                    if (!beitragen(Kind(n, i), {c, -1, -1, a})) return 0;
                    if (!info_[static_cast<std::size_t>(c)].leerbar) break;
                }
            }
        } else if (n.art == UND) {
            const std::int16_t g = gruppe_von[static_cast<std::size_t>(k)];
            for (int i = 0; i < n.anzahl; ++i)
                for (int j = 0; j < n.anzahl; ++j)
                    if (i != j && !beitragen(Kind(n, i), {Kind(n, j), g, static_cast<std::int16_t>(j),
                                                          static_cast<std::uint8_t>(a + 1)}))
                        return 0;
        }
    }
    return 1;
}

// Builds the table of the union of the contributions for a leaf with
// `quelle`'s number of enclosing groups, sorted by name; notes the first
// ambiguity.
int MODELL::Tabelle(int quelle, const std::vector<Beitrag>& beitraege) {
    const std::uint8_t laenge = positionen_[static_cast<std::size_t>(quelle)].kettenlaenge;
    const std::size_t anfang = kanten_.size();
    for (const Beitrag& b : beitraege) {
        for (std::int32_t q : Erste(b.knoten)) {
            const Position& z = positionen_[static_cast<std::size_t>(q)];
            kanten_.push_back({z.name, q, static_cast<std::uint8_t>(laenge - b.a),
                               static_cast<std::uint8_t>(z.kettenlaenge - b.a), b.gruppe, b.glied});
        }
        if (kanten_.size() > MAX_KANTEN) return 0;
    }
    auto erste = kanten_.begin() + static_cast<std::ptrdiff_t>(anfang);
    std::stable_sort(erste, kanten_.end(), [](const Kante& x, const Kante& y) {
        return x.name != y.name ? x.name < y.name : x.ziel < y.ziel;
    });
    kanten_.erase(std::unique(erste, kanten_.end()), kanten_.end());
    // By position: an empty table has no iterators to step over.
    for (std::size_t k = anfang; k + 1 < kanten_.size(); ++k)
        if (kanten_[k].name == kanten_[k + 1].name && kanten_[k].ziel != kanten_[k + 1].ziel && mehrdeutig_ < 0)
            mehrdeutig_ = kanten_[k].name;
    tabellen_.push_back({static_cast<std::int32_t>(anfang), static_cast<std::int32_t>(kanten_.size() - anfang)});
    return static_cast<int>(tabellen_.size()) - 1;
}

int MODELL::Uebersetzen(int wurzel) {
    wurzel_ = wurzel;
    info_.assign(knoten_.size(), Info{});
    erste_.assign(knoten_.size(), {});
    letzte_.assign(knoten_.size(), {});
    erste_da_.assign(knoten_.size(), false);
    letzte_da_.assign(knoten_.size(), false);
    positionen_.clear();
    positionen_.reserve(knoten_.size() + 1);
    positionen_.push_back(Position{-1, -1, 0, 0, false});
    std::vector<Glied> kette;
    if (!Analysieren(wurzel, 0, kette)) return 0;
    leer_erlaubt_ = info_[static_cast<std::size_t>(wurzel)].leerbar;
    for (std::int32_t p : Letzte(wurzel)) positionen_[static_cast<std::size_t>(p)].ende = true;

    std::vector<std::vector<Beitrag>> je_position(positionen_.size());
    je_position[0].push_back({wurzel, -1, -1, 0});
    if (!Beitraege(je_position)) {
        grenze_ = "Kanten";
        return 0;
    }
    // Leaves with the same contributions and the same number of enclosing
    // groups share one table.
    std::map<std::pair<int, std::vector<Beitrag>>, int> tabellen;
    for (std::size_t p = 0; p < positionen_.size(); ++p) {
        std::vector<Beitrag>& b = je_position[p];
        std::sort(b.begin(), b.end());
        b.erase(std::unique(b.begin(), b.end()), b.end());
        auto schluessel = std::make_pair(static_cast<int>(positionen_[p].kettenlaenge), std::move(b));
        auto gefunden = tabellen.find(schluessel);
        int t;
        if (gefunden != tabellen.end()) {
            t = gefunden->second;
        } else {
            t = Tabelle(static_cast<int>(p), schluessel.second);
            if (t < 0 || mengen_ > MAX_MENGEN) {
                grenze_ = "Kanten";
                return 0;
            }
            tabellen.emplace(std::move(schluessel), t);
        }
        positionen_[p].tabelle = t;
    }
    // The sets were only needed to build the tables.
    erste_.clear();
    letzte_.clear();
    erste_da_.clear();
    letzte_da_.clear();
    return 1;
}

bool MODELL::Mehrdeutig(int* name) const {
    if (name != nullptr) *name = mehrdeutig_;
    return mehrdeutig_ >= 0;
}

// -------------------------------------------------------------- matching

void MODELL::Start(LAUF& lauf) const {
    lauf.zustand = 0;
    lauf.masken.assign(pflicht_.size(), 0);
}

std::pair<const MODELL::Kante*, const MODELL::Kante*> MODELL::Kanten(int zustand, int name) const {
    const auto& t = tabellen_[static_cast<std::size_t>(positionen_[static_cast<std::size_t>(zustand)].tabelle)];
    const Kante* a = kanten_.data() + t.first;
    const Kante* e = a + t.second;
    auto kleiner = [](const Kante& k, int n) { return k.name < n; };
    a = std::lower_bound(a, e, name, kleiner);
    const Kante* b = a;
    while (b < e && b->name == name) ++b;
    return {a, b};
}

// Whether the `anzahl` innermost groups around the leaf have every member
// that cannot be empty.
bool MODELL::Vollstaendig(const LAUF& lauf, int position, int anzahl) const {
    const Position& p = positionen_[static_cast<std::size_t>(position)];
    for (int i = 0; i < anzahl; ++i) {
        const Glied g = ketten_[static_cast<std::size_t>(p.kette + i)];
        const std::uint64_t muss = pflicht_[static_cast<std::size_t>(g.gruppe)];
        if ((lauf.masken[static_cast<std::size_t>(g.gruppe)] & muss) != muss) return false;
    }
    return true;
}

bool MODELL::Erlaubt(const LAUF& lauf, int von, const Kante& k) const {
    if (!Vollstaendig(lauf, von, k.aus)) return false;
    return k.gruppe < 0 || ((lauf.masken[static_cast<std::size_t>(k.gruppe)] >> k.glied) & 1) == 0;
}

void MODELL::Nehmen(LAUF& lauf, const Kante& k) const {
    if (k.gruppe >= 0) lauf.masken[static_cast<std::size_t>(k.gruppe)] |= std::uint64_t{1} << k.glied;
    const Position& z = positionen_[static_cast<std::size_t>(k.ziel)];
    for (int i = 0; i < k.ein; ++i) {
        const Glied g = ketten_[static_cast<std::size_t>(z.kette + i)];
        lauf.masken[static_cast<std::size_t>(g.gruppe)] = std::uint64_t{1} << g.glied;
    }
    lauf.zustand = k.ziel;
}

bool MODELL::Schritt(LAUF& lauf, int name) const {
    if (tabellen_.empty() || name < 0) return false;
    const auto [a, e] = Kanten(lauf.zustand, name);
    for (const Kante* k = a; k < e; ++k) {
        if (!Erlaubt(lauf, lauf.zustand, *k)) continue;
        Nehmen(lauf, *k);
        return true;
    }
    return false;
}

bool MODELL::Fertig(const LAUF& lauf) const {
    if (tabellen_.empty()) return false;
    if (lauf.zustand == 0) return leer_erlaubt_;
    const Position& p = positionen_[static_cast<std::size_t>(lauf.zustand)];
    return p.ende && Vollstaendig(lauf, lauf.zustand, p.kettenlaenge);
}

void MODELL::Moegliche(const LAUF& lauf, std::vector<int>& namen) const {
    namen.clear();
    if (tabellen_.empty()) return;
    const auto& t = tabellen_[static_cast<std::size_t>(positionen_[static_cast<std::size_t>(lauf.zustand)].tabelle)];
    for (int i = 0; i < t.second; ++i) {
        const Kante& k = kanten_[static_cast<std::size_t>(t.first + i)];
        if ((namen.empty() || namen.back() != k.name) && Erlaubt(lauf, lauf.zustand, k)) namen.push_back(k.name);
    }
}

MODELL::Befund MODELL::Pruefen(const int* kinder, int anzahl, bool text) const {
    Befund b;
    LAUF lauf;
    Start(lauf);
    std::vector<int> moeglich;
    for (int i = 0; i < anzahl; ++i) {
        if (Schritt(lauf, kinder[i])) continue;
        b.grund = NICHT_ERLAUBT;
        b.stelle = i;
        Moegliche(lauf, moeglich);
        if (!moeglich.empty()) b.erwartet = moeglich.front();
        return b;
    }
    if (!Fertig(lauf)) {
        b.grund = UNVOLLSTAENDIG;
        b.stelle = anzahl;
        Moegliche(lauf, moeglich);
        if (!moeglich.empty()) b.erwartet = moeglich.front();
        return b;
    }
    if (text && !gemischt_) b.grund = TEXT_VERBOTEN;
    return b;
}
