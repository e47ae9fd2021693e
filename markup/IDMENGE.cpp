#include "markup/IDMENGE.h"

bool IDMENGE::ID(std::wstring_view id, const wchar_t* stelle, const wchar_t** erste) {
    const auto n = static_cast<std::size_t>(namen.Aufnehmen(id));
    if (n >= ort.size()) ort.resize(n + 1, nullptr);
    // A position of null still counts as seen: keep a marker.
    static const wchar_t ohne_ort = 0;
    if (ort[n] != nullptr) {
        if (erste != nullptr) *erste = ort[n] == &ohne_ort ? nullptr : ort[n];
        return false;
    }
    ort[n] = stelle != nullptr ? stelle : &ohne_ort;
    return true;
}

void IDMENGE::Verweis(std::wstring_view idref, const wchar_t* stelle) {
    const int n = namen.Aufnehmen(idref);
    verweise.push_back({namen.Name(n), stelle});
}

void IDMENGE::Offene(std::vector<Offen>& out) const {
    out.clear();
    for (const Offen& v : verweise) {
        const auto n = static_cast<std::size_t>(namen.Suche(v.name));
        if (n >= ort.size() || ort[n] == nullptr) out.push_back(v);
    }
}

void IDMENGE::Leeren() {
    namen = DTDNAMEN();
    ort.clear();
    verweise.clear();
}
