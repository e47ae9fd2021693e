// Counters of COUNT on the item store, and the ancestor searches of the
// macros, kept so that they stay linear.
//
// Numbering every paragraph of a large book must not walk back to the
// parent or to the start of the document for each one. For every name that
// is counted, the first count indexes the start tags of that name once: in
// document order (DOC) and grouped by parent (LEVEL), each order with a
// Fenwick tree of the elements still alive. A count is then two prefix
// sums, and a deletion (CUT, DEL) one update, so deleted elements never
// count however late they were deleted. The nearest ancestor of a name (or
// that carries an attribute, for IMPLIED) is remembered per start tag.
#include <algorithm>
#include <cwctype>
#include <string>
#include <unordered_map>
#include <utility>

#include "base/NAMEN.h"
#include "convert/CNV.h"
#include "markup/DCL.h"

namespace {

// Counts of the live elements among n positions, by prefix.
class Fenwick {
public:
    void Init(std::size_t n) {
        baum.assign(n + 1, 0);
        // Every element starts alive: node i covers (i - lowbit(i), i].
        for (std::size_t i = 1; i <= n; ++i) baum[i] = static_cast<int>(i & (~i + 1));
    }
    void Entfernen(std::size_t index) {
        for (std::size_t i = index + 1; i < baum.size(); i += i & (~i + 1)) --baum[i];
    }
    // Live elements at the indexes 0 to index - 1.
    int Vor(std::size_t index) const {
        int summe = 0;
        for (std::size_t i = index; i > 0; i -= i & (~i + 1)) summe += baum[i];
        return summe;
    }

private:
    std::vector<int> baum;
};

// The start tags of one name.
struct Namenszaehler {
    std::vector<int> positionen;                // document order
    Fenwick dokument;
    std::vector<std::pair<int, int>> geschwister;  // (parent number, position), sorted
    Fenwick ebene;

    void Entfernen(int position, int eltern) {
        auto p = std::lower_bound(positionen.begin(), positionen.end(), position);
        if (p == positionen.end() || *p != position) return;
        dokument.Entfernen(static_cast<std::size_t>(p - positionen.begin()));
        auto g = std::lower_bound(geschwister.begin(), geschwister.end(), std::make_pair(eltern, position));
        ebene.Entfernen(static_cast<std::size_t>(g - geschwister.begin()));
    }
};

}  // namespace

struct META::ZAEHLER {
    // Per name as the names are compared (see Vergleichsnummer).
    std::unordered_map<int, Namenszaehler> namen;
    std::size_t nachgetragen = 0;  // deletions already applied
    int ohne_index = 0;            // names counted by a pass of their own

    // Per name, and per attribute for IMPLIED, and start tag (by ordinal):
    // the nearest ancestor of that name, or that carries the attribute; -1
    // for none; unknown until asked. Asking every element of a chain 10,000
    // deep for an ancestor it does not have must not walk the chain for each.
    std::unordered_map<int, std::vector<int>> vorfahren;
    std::unordered_map<int, std::vector<int>> traeger;
    std::vector<int> pfad;

    static void Freigeben(ZAEHLER* z) { delete z; }

    // The store's counters, made on the first count; deletions before it
    // are already absent from every index it builds.
    static ZAEHLER& Von(META& meta) {
        if (!meta.zaehler) {
            ZAEHLER* z = new ZAEHLER;
            z->nachgetragen = meta.geloeschte_starttags.size();
            meta.zaehler = {z, &Freigeben};
        }
        return *meta.zaehler;
    }

    // The start tag p itself or its nearest ancestor for which `passt` holds,
    // -1 for none. Answers found on the way are kept for every start tag
    // walked; one that has been deleted since no longer answers, and the
    // walk goes on above it.
    template <class Passt>
    int Suchen(META& meta, std::vector<int>& bekannt, int p, Passt passt) {
        constexpr int kUnbekannt = -2;
        meta.Ordinal(0);  // takes the start tags
        const std::vector<int>& tags = meta.starttags;
        if (bekannt.size() != tags.size()) bekannt.assign(tags.size(), kUnbekannt);
        pfad.clear();
        int ergebnis = -1;
        for (; p >= 0; p = meta.Elternteil(p)) {
            const int o = meta.Ordinal(p);
            if (o < 0) break;
            const int b = bekannt[o];
            if (b != kUnbekannt && (b < 0 || meta.items[b].start != nullptr)) {
                ergebnis = b;
                break;
            }
            if (meta.items[p].start != nullptr && passt(p)) {
                ergebnis = p;
                break;
            }
            pfad.push_back(o);
        }
        for (int o : pfad) bekannt[o] = ergebnis;
        if (ergebnis >= 0) bekannt[meta.Ordinal(ergebnis)] = ergebnis;
        return ergebnis;
    }

    // The counter of the name, indexed on first use and brought up to date
    // with the deletions since the last count.
    Namenszaehler& Fuer(META& meta, int name) {
        for (; nachgetragen < meta.geloeschte_starttags.size(); ++nachgetragen) {
            const int position = meta.geloeschte_starttags[nachgetragen];
            for (auto& eintrag : namen) eintrag.second.Entfernen(position, meta.items[position].link);
        }
        auto [eintrag, neu] = namen.try_emplace(name);
        Namenszaehler& z = eintrag->second;
        if (!neu) return z;
        // Deleted start tags have no name any more and are left out. The
        // first few names are found by one pass over the start tags, so a
        // script that only counts needs no structure index; after that the
        // index, which groups the start tags by name, pays for itself.
        auto aufnehmen = [&](int position) {
            const metaitem& it = meta.items[position];
            if (it.start == nullptr) return;
            z.positionen.push_back(position);
            z.geschwister.emplace_back(it.link, position);
        };
        if (name < 0) {
        } else if (!meta.index.gebaut && ++ohne_index <= 8) {
            meta.Ordinal(0);  // takes the names
            const bool falten = meta.dcl != nullptr && meta.dcl->namecase;
            const NAMEN& tabelle = Namenstabelle();
            for (std::size_t k = 0; k < meta.starttags.size(); ++k)
                if (tabelle.Vergleich(meta.tagnamen[k], falten) == name) aufnehmen(meta.starttags[k]);
        } else {
            const Strukturindex& x = meta.Index();
            if (name < x.namen)
                for (int j = x.dok_anfang[name]; j < x.dok_anfang[name + 1]; ++j) aufnehmen(meta.starttags[x.dok[j]]);
        }
        std::sort(z.geschwister.begin(), z.geschwister.end());
        z.dokument.Init(z.positionen.size());
        z.ebene.Init(z.geschwister.size());
        return z;
    }
};

bool META::IPR_if_ine(int* item, const wchar_t* name) {
    return name != nullptr && IPR_if_ine_nr(item, Namenstabelle().Nummer(name));
}

bool META::IPR_if_ine_nr(int* item, int name) {
    if (name <= 0) return false;
    const int s = Starttag_von(*item);
    if (s < 0) return false;
    int gefunden = s;
    if (!Namen_gleich(Tagname(s), name)) {
        ZAEHLER& z = ZAEHLER::Von(*this);
        gefunden = z.Suchen(*this, z.vorfahren[Vergleichsnummer(name)], Elternteil(s),
                            [&](int p) { return Namen_gleich(Tagname(p), name); });
    }
    if (gefunden < 0) return false;
    *item = gefunden;
    return true;
}

int META::IPR_find_traeger(int item, const wchar_t* attribut, bool (*traegt)(void*, int), void* kontext) {
    const int s = Starttag_von(item);
    if (s < 0 || attribut == nullptr) return -1;
    ZAEHLER& z = ZAEHLER::Von(*this);
    return z.Suchen(*this, z.traeger[Namenstabelle().Nummer(attribut)], s, [&](int p) { return traegt(kontext, p); });
}

int META::IPR_count(int item) {
    if (!gueltig(item) || items[item].kind != META_STARTTAG || items[item].start == nullptr) return 0;
    const Namenszaehler& z = ZAEHLER::Von(*this).Fuer(*this, Vergleichsnummer(Tagname(item)));
    const int eltern = items[item].link;
    const auto& g = z.geschwister;
    const auto erstes = std::lower_bound(g.begin(), g.end(), std::make_pair(eltern, -1));
    const auto selbst = std::upper_bound(g.begin(), g.end(), std::make_pair(eltern, item));
    return z.ebene.Vor(static_cast<std::size_t>(selbst - g.begin())) -
           z.ebene.Vor(static_cast<std::size_t>(erstes - g.begin()));
}

int META::IPR_count_doc(int item) {
    if (!gueltig(item) || items[item].kind != META_STARTTAG || items[item].start == nullptr) return 0;
    const Namenszaehler& z = ZAEHLER::Von(*this).Fuer(*this, Vergleichsnummer(Tagname(item)));
    const auto& p = z.positionen;
    return z.dokument.Vor(static_cast<std::size_t>(std::upper_bound(p.begin(), p.end(), item) - p.begin()));
}
