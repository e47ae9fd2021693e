// H5DOM: the flat-array tree and its html5lib-tests serialisation.
#include "markup/H5DOM.h"

#include <algorithm>
#include <utility>

uint32_t H5DOM::ablegen(std::wstring_view s) {
    const uint32_t o = static_cast<uint32_t>(arena.size());
    arena.insert(arena.end(), s.begin(), s.end());
    return o;
}

int H5DOM::element(const H5ELEMENT& e) {
    Knoten k;
    k.art = ELEMENT;
    k.ns = e.ns;
    k.atom = e.atom;
    k.daten = static_cast<uint32_t>(attribute.size());
    k.laenge = static_cast<uint32_t>(e.anzahl);
    k.von = stelle(e.von);
    k.bis = stelle(e.bis);
    for (size_t i = 0; i < e.anzahl; ++i) attribute.push_back(attribut_ablegen(e.attribute[i]));
    knoten.push_back(k);
    return static_cast<int>(knoten.size() - 1);
}

H5DOM::Attribut H5DOM::attribut_ablegen(const H5ATTRIBUT& a) {
    Attribut x{};
    x.ns = a.ns;
    x.von = stelle(a.von);
    x.bis = stelle(a.bis);
    x.name_len = static_cast<uint32_t>(a.name.size());
    x.wert_len = static_cast<uint32_t>(a.wert.size());
    if (in_quelle(a.name)) {
        x.name = static_cast<uint32_t>(a.name.data() - quelle);
        x.in_quelle |= 1;
    } else {
        x.name = ablegen(a.name);
    }
    if (in_quelle(a.wert)) {
        x.wert = static_cast<uint32_t>(a.wert.data() - quelle);
        x.in_quelle |= 2;
    } else {
        x.wert = ablegen(a.wert);
    }
    return x;
}

void H5DOM::abhaengen(int k) {
    Knoten& n = knoten[k];
    if (n.eltern < 0) return;
    Knoten& p = knoten[n.eltern];
    if (n.vor) knoten[n.vor].nach = n.nach;
    else p.erstes = n.nach;
    if (n.nach) knoten[n.nach].vor = n.vor;
    else p.letztes = n.vor;
    n.eltern = -1;
    n.vor = n.nach = 0;
    verschoben = true;
}

void H5DOM::anhaengen(int eltern, int kind) {
    abhaengen(kind);
    Knoten& p = knoten[eltern];
    Knoten& k = knoten[kind];
    k.eltern = eltern;
    k.vor = p.letztes;
    k.nach = 0;
    if (p.letztes) knoten[p.letztes].nach = kind;
    else p.erstes = kind;
    p.letztes = kind;
    if (p.zu) verschoben = true;
}

void H5DOM::einfuegen_vor(int eltern, int kind, int vor) {
    abhaengen(kind);
    verschoben = true;
    Knoten& k = knoten[kind];
    Knoten& v = knoten[vor];
    k.eltern = eltern;
    k.nach = vor;
    k.vor = v.vor;
    if (v.vor) knoten[v.vor].nach = kind;
    else knoten[eltern].erstes = kind;
    v.vor = kind;
}

std::wstring_view H5DOM::text_von(const Knoten& k) const {
    if (k.in_quelle) return {quelle + k.daten, k.laenge};
    return {arena.data() + k.daten, k.laenge};
}

void H5DOM::text(int eltern, int vor, const H5TEXT& t) {
    if (vor || knoten[eltern].zu) verschoben = true;
    const std::wstring_view s = t.text;
    const int davor = vor ? knoten[vor].vor : knoten[eltern].letztes;
    // Characters equal to their source stay there (no copy).
    const bool aus_quelle = t.unveraendert();
    if (davor && knoten[davor].art == TEXT) {
        Knoten& k = knoten[davor];
        if (k.in_quelle && aus_quelle && k.daten + k.laenge == static_cast<uint32_t>(t.von - quelle)) {
            k.laenge += static_cast<uint32_t>(s.size());
        } else {
            if (k.in_quelle || k.daten + k.laenge != arena.size()) {
                const std::wstring alt(text_von(k));
                k.daten = ablegen(alt);
                k.in_quelle = false;
            }
            ablegen(s);
            k.laenge += static_cast<uint32_t>(s.size());
        }
        k.bis = stelle(t.bis);
        return;
    }
    Knoten k;
    k.art = TEXT;
    k.von = stelle(t.von);
    k.bis = stelle(t.bis);
    if (aus_quelle) {
        k.in_quelle = true;
        k.daten = static_cast<uint32_t>(t.von - quelle);
    } else {
        k.daten = ablegen(s);
    }
    k.laenge = static_cast<uint32_t>(s.size());
    knoten.push_back(k);
    const int n = static_cast<int>(knoten.size() - 1);
    if (vor) einfuegen_vor(eltern, n, vor);
    else anhaengen(eltern, n);
}

void H5DOM::kommentar(int eltern, std::wstring_view s, const wchar_t* von, const wchar_t* bis) {
    Knoten k;
    k.art = KOMMENTAR;
    k.daten = ablegen(s);
    k.laenge = static_cast<uint32_t>(s.size());
    k.von = stelle(von);
    k.bis = stelle(bis);
    knoten.push_back(k);
    anhaengen(eltern, static_cast<int>(knoten.size() - 1));
}

void H5DOM::doctype(const H5TOK& t) {
    Knoten k;
    k.art = DOCTYPE;
    k.atom = static_cast<int32_t>(doctypes.size());
    k.von = stelle(t.von);
    k.bis = stelle(t.bis);
    doctypes.emplace_back(t.name());
    doctypes.emplace_back(t.public_id);
    doctypes.emplace_back(t.system_id);
    doctype_flags.push_back(static_cast<uint8_t>((t.hat_public ? 1 : 0) | (t.hat_system ? 2 : 0)));
    knoten.push_back(k);
    anhaengen(0, static_cast<int>(knoten.size() - 1));
}

void H5DOM::entfernen(int k) { abhaengen(k); }

void H5DOM::umhaengen(int von, int nach) {
    verschoben = true;
    while (knoten[von].erstes) anhaengen(nach, knoten[von].erstes);
}

void H5DOM::attribute_ergaenzen(int k, const H5ATTRIBUT* a, size_t anzahl) {
    Knoten& n = knoten[k];
    std::vector<Attribut> neu(attribute.begin() + n.daten, attribute.begin() + n.daten + n.laenge);
    bool geaendert = false;
    for (size_t i = 0; i < anzahl; ++i) {
        bool da = false;
        for (const Attribut& x : neu)
            if (name_von(x) == a[i].name) da = true;
        if (da) continue;
        neu.push_back(attribut_ablegen(a[i]));
        geaendert = true;
    }
    if (!geaendert) return;
    verschoben = true;
    n.daten = static_cast<uint32_t>(attribute.size());
    n.laenge = static_cast<uint32_t>(neu.size());
    attribute.insert(attribute.end(), neu.begin(), neu.end());
}

void H5DOM::schliessen(int k, const wchar_t* von, const wchar_t* bis) {
    knoten[k].zu = true;
    knoten[k].ende_von = stelle(von);
    knoten[k].ende_bis = stelle(bis);
}

std::wstring H5DOM::baum_text(int wurzel) const {
    std::wstring aus;
    // Iterative walk: (node, depth); templates show their children under "content".
    std::vector<std::pair<int, int>> weg;
    for (int c = knoten[wurzel].letztes; c; c = knoten[c].vor) weg.emplace_back(c, 0);
    while (!weg.empty()) {
        const auto [i, tiefe] = weg.back();
        weg.pop_back();
        const Knoten& k = knoten[i];
        aus += L"| ";
        aus.append(static_cast<size_t>(tiefe) * 2, L' ');
        int kind_tiefe = tiefe + 1;
        switch (k.art) {
        case ELEMENT: {
            aus += L'<';
            if (k.ns == H5NS::SVG) aus += L"svg ";
            else if (k.ns == H5NS::MATHML) aus += L"math ";
            aus += namen->name(k.atom);
            aus += L">\n";
            std::vector<std::pair<std::wstring, std::wstring>> attr;
            for (uint32_t j = 0; j < k.laenge; ++j) {
                const Attribut& a = attribute[k.daten + j];
                std::wstring n;
                if (a.ns == H5NS::XLINK) n = L"xlink ";
                else if (a.ns == H5NS::XML) n = L"xml ";
                else if (a.ns == H5NS::XMLNS) n = L"xmlns ";
                n += name_von(a);
                attr.emplace_back(n, std::wstring(wert_von(a)));
            }
            std::sort(attr.begin(), attr.end());
            for (const auto& [n, w] : attr) {
                aus += L"| ";
                aus.append(static_cast<size_t>(tiefe + 1) * 2, L' ');
                aus += n + L"=\"" + w + L"\"\n";
            }
            if (k.ns == H5NS::HTML && k.atom == A_TEMPLATE) {
                aus += L"| ";
                aus.append(static_cast<size_t>(tiefe + 1) * 2, L' ');
                aus += L"content\n";
                kind_tiefe = tiefe + 2;
            }
            break;
        }
        case TEXT:
            aus += L'"';
            aus += text_von(k);
            aus += L"\"\n";
            break;
        case KOMMENTAR:
            aus += L"<!-- ";
            aus += text_von(k);
            aus += L" -->\n";
            break;
        case DOCTYPE: {
            aus += L"<!DOCTYPE ";
            aus += doctypes[k.atom];
            const uint8_t f = doctype_flags[k.atom / 3];
            if (f) aus += L" \"" + doctypes[k.atom + 1] + L"\" \"" + doctypes[k.atom + 2] + L"\"";
            aus += L">\n";
            break;
        }
        case DOKUMENT: break;
        }
        for (int c = k.letztes; c; c = knoten[c].vor) weg.emplace_back(c, kind_tiefe);
    }
    return aus;
}
