#include "textio/MELDUNGEN.h"

#include "base/Konsole.h"

namespace {

std::uint64_t mischen(std::uint64_t h, std::uint64_t wert) {
    h ^= wert + 0x9E3779B97F4A7C15ULL + (h << 6) + (h >> 2);
    return h * 0xBF58476D1CE4E5B9ULL;
}

std::uint64_t adresse(const void* p) { return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(p)); }

}  // namespace

bool MELDUNGEN::Zeigen(const std::wstring& zeile, const void* stelle, bool skript) {
    const std::uint64_t text = std::hash<std::wstring>{}(zeile);
    if (skript) skriptstelle_ = stelle;
    const void* skriptseite = skript ? stelle : skriptstelle_;
    const void* dokumentseite = skript ? element : stelle;
    const std::uint64_t gruppe = mischen(mischen(text, adresse(skriptseite)), skript ? 1 : 2);
    const std::uint64_t meldung = mischen(gruppe, adresse(dokumentseite));
    zuletzt_gezeigt_ = false;
    if (!gesehen_.insert(meldung).second) return false;
    auto [it, neu] = gruppe_von_.emplace(gruppe, gruppen_.size());
    if (neu) {
        std::wstring ohne_ende = zeile;
        while (!ohne_ende.empty() && ohne_ende.back() == L'\n') ohne_ende.pop_back();
        gruppen_.push_back({ohne_ende, 0, 0});
    }
    Gruppe& g = gruppen_[it->second];
    if (g.gezeigt >= GRENZE) {
        ++g.zurueckgehalten;
        return false;
    }
    ++g.gezeigt;
    zuletzt_gezeigt_ = true;
    return true;
}

void MELDUNGEN::Bilanz() {
    for (const Gruppe& g : gruppen_) {
        if (g.zurueckgehalten == 1)
            Konsole_Print(L"Hinweis: Die Meldung '%ls' wurde ein weiteres Mal unterdrückt.\n", g.zeile.c_str());
        else if (g.zurueckgehalten > 1)
            Konsole_Print(L"Hinweis: Die Meldung '%ls' wurde %lld weitere Male unterdrückt.\n", g.zeile.c_str(),
                          g.zurueckgehalten);
    }
    gesehen_.clear();
    gruppe_von_.clear();
    gruppen_.clear();
    zuletzt_gezeigt_ = true;
    skriptstelle_ = nullptr;
}
