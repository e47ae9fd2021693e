// Counters of COUNT on the item store.
//
// Numbering every paragraph of a large book must not walk back to the
// parent or to the start of the document for each one. For every name that
// is counted, the first count indexes the start tags of that name once: in
// document order (DOC) and grouped by parent (LEVEL), each order with a
// Fenwick tree of the elements still alive. A count is then two prefix
// sums, and a deletion (CUT, DEL) one update, so deleted elements never
// count however late they were deleted.
#include <algorithm>
#include <cwctype>
#include <string>
#include <unordered_map>
#include <utility>

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

// The key under which a name is counted: as the names are compared.
std::wstring Schluessel(const wchar_t* name, const DCL* dcl) {
    std::wstring s(name);
    if (dcl != nullptr && dcl->namecase)
        for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return s;
}

}  // namespace

struct META::ZAEHLER {
    std::unordered_map<std::wstring, Namenszaehler> namen;
    std::size_t nachgetragen = 0;  // deletions already applied

    static void Freigeben(ZAEHLER* z) { delete z; }

    // The counter of the name, indexed on first use and brought up to date
    // with the deletions since the last count.
    Namenszaehler& Fuer(META& meta, const wchar_t* name) {
        for (; nachgetragen < meta.geloeschte_starttags.size(); ++nachgetragen) {
            const int position = meta.geloeschte_starttags[nachgetragen];
            for (auto& eintrag : namen) eintrag.second.Entfernen(position, meta.items[position].link);
        }
        auto [eintrag, neu] = namen.try_emplace(Schluessel(name, meta.dcl));
        Namenszaehler& z = eintrag->second;
        if (!neu) return z;
        // Deleted start tags have no name any more and are left out.
        DCL standard;
        const DCL* vergleich = meta.dcl != nullptr ? meta.dcl : &standard;
        for (int i = 0; i < meta.anzahl; ++i) {
            const metaitem& it = meta.items[i];
            if (it.kind == META_STARTTAG && vergleich->general_name_compare(it.start, name)) {
                z.positionen.push_back(i);
                z.geschwister.emplace_back(it.link, i);
            }
        }
        std::sort(z.geschwister.begin(), z.geschwister.end());
        z.dokument.Init(z.positionen.size());
        z.ebene.Init(z.geschwister.size());
        return z;
    }
};

bool META::IPR_if_ine(int* item, const wchar_t* name) {
    if (name == nullptr || !gueltig(*item)) return false;
    int s = *item;
    if (items[s].kind != META_STARTTAG && !IPR_find_starttag(&s)) return false;
    DCL standard;
    const DCL* vergleich = dcl != nullptr ? dcl : &standard;
    // Up the recorded parents; each lies before its child, so this ends.
    for (;;) {
        if (vergleich->general_name_compare(items[s].start, name)) {
            *item = s;
            return true;
        }
        const int eltern = items[s].link - 1;
        if (eltern < 0 || eltern >= s) return false;
        s = eltern;
    }
}

int META::IPR_count(int item) {
    if (!gueltig(item) || items[item].kind != META_STARTTAG || items[item].start == nullptr) return 0;
    if (!zaehler) zaehler = {new ZAEHLER{{}, geloeschte_starttags.size()}, &ZAEHLER::Freigeben};
    const Namenszaehler& z = zaehler->Fuer(*this, items[item].start);
    const int eltern = items[item].link;
    const auto& g = z.geschwister;
    const auto erstes = std::lower_bound(g.begin(), g.end(), std::make_pair(eltern, -1));
    const auto selbst = std::upper_bound(g.begin(), g.end(), std::make_pair(eltern, item));
    return z.ebene.Vor(static_cast<std::size_t>(selbst - g.begin())) -
           z.ebene.Vor(static_cast<std::size_t>(erstes - g.begin()));
}

int META::IPR_count_doc(int item) {
    if (!gueltig(item) || items[item].kind != META_STARTTAG || items[item].start == nullptr) return 0;
    if (!zaehler) zaehler = {new ZAEHLER{{}, geloeschte_starttags.size()}, &ZAEHLER::Freigeben};
    const Namenszaehler& z = zaehler->Fuer(*this, items[item].start);
    const auto& p = z.positionen;
    return z.dokument.Vor(static_cast<std::size_t>(std::upper_bound(p.begin(), p.end(), item) - p.begin()));
}
