#include "markup/SDTD.h"

#include <cwchar>
#include <cwctype>
#include <string>

#include "textio/BUF.h"

namespace {

void Setzen(std::vector<std::int32_t>& v, int i, int wert) {
    if (i < 0) return;
    if (static_cast<std::size_t>(i) >= v.size()) v.resize(static_cast<std::size_t>(i) + 1, -1);
    v[static_cast<std::size_t>(i)] = wert;
}

int Holen(const std::vector<std::int32_t>& v, int i) {
    return i >= 0 && static_cast<std::size_t>(i) < v.size() ? v[static_cast<std::size_t>(i)] : -1;
}

void Erstes(SDTD::Karte& k, wchar_t c) {
    if (static_cast<std::uint32_t>(c) < 128) k.erste[c >> 6] |= std::uint64_t{1} << (c & 63);
}

}  // namespace

SDTD::SDTD(bool namecase) : dtd_(false, namecase) {}
SDTD::~SDTD() = default;

BUF* SDTD::Datei_behalten(std::unique_ptr<BUF> datei) {
    dateien_.push_back(std::move(datei));
    return dateien_.back().get();
}

int SDTD::Trenner_von(std::wstring_view t) {
    static const std::wstring formen[] = {
        L"\t", std::wstring(1, RE), std::wstring(1, RS), std::wstring(1, RS) + L"B",
        std::wstring(1, RS) + RE, std::wstring(1, RS) + L"B" + RE, std::wstring(L"B") + RE, L" ", L"BB",
    };
    for (int i = 0; i < TR_ZEICHEN; ++i)
        if (t == formen[i]) return i;
    if (t == L"--") return TR_STRICHE;
    if (t.size() != 1) return -1;
    const wchar_t* s = std::wcschr(EINZELN, t[0]);
    if (s == nullptr || t[0] == 0) return -1;
    const int i = static_cast<int>(s - EINZELN);
    return i <= 9 ? TR_ZEICHEN + i : TR_ZEICHEN + i + 1;
}

int SDTD::Karte_von(int name) const { return Holen(karte_nach_name_, name); }

int SDTD::Karte_neu(int name) {
    if (Karte_von(name) >= 0) return -1;
    karten_.emplace_back();
    karten_.back().name = name;
    const int i = static_cast<int>(karten_.size()) - 1;
    Setzen(karte_nach_name_, name, i);
    return i;
}

void SDTD::Karte_abschliessen(int i) {
    Karte& k = karten_[static_cast<std::size_t>(i)];
    k.erste[0] = k.erste[1] = 0;
    k.zeilenanfang = false;
    for (int t = 0; t < TR_ANZAHL; ++t) {
        if (k.entitaet[static_cast<std::size_t>(t)] < 0) continue;
        switch (t) {
        case TR_RS: case TR_RS_B: case TR_RS_RE: case TR_RS_B_RE:
            k.zeilenanfang = true;
            break;
        case TR_TAB: Erstes(k, L'\t'); break;
        case TR_RE: break;  // a line end stops every run of text anyway
        case TR_B_RE: case TR_BB: Erstes(k, L' '); Erstes(k, L'\t'); break;
        case TR_SPACE: Erstes(k, L' '); break;
        case TR_STRICHE: Erstes(k, L'-'); break;
        default: {
            const int z = t - TR_ZEICHEN;
            Erstes(k, EINZELN[z <= 9 ? z : z - 1]);
        }
        }
    }
}

void SDTD::Verwenden(int element_name, int karten_name) { Setzen(verwendet_, element_name, karten_name); }

int SDTD::Karte_fuer(int element_name) const { return Holen(karte_je_element_, element_name); }

int SDTD::Karten_aufloesen(int& fehlt) {
    karte_je_element_.assign(verwendet_.size(), -1);
    for (std::size_t e = 0; e < verwendet_.size(); ++e) {
        const int n = verwendet_[e];
        if (n == -1) continue;
        if (n == LEERE_KARTE) {
            karte_je_element_[e] = LEERE_KARTE;
            continue;
        }
        const int k = Karte_von(n);
        if (k < 0) {
            fehlt = n;
            return 0;
        }
        karte_je_element_[e] = k;
    }
    return 1;
}

void SDTD::Liste_setzen(int attribut, int liste) { Setzen(liste_, attribut, liste); }
int SDTD::Liste(int attribut) const { return Holen(liste_, attribut); }

bool SDTD::Zeichenreferenz(const SGMLDEKL& d, const wchar_t*& p, const wchar_t* ende, long& wert, bool& funktion,
                           bool& ungueltig) {
    ungueltig = funktion = false;
    if (ende - p < 3 || p[0] != L'&' || p[1] != L'#') return false;
    const wchar_t* q = p + 2;
    const bool hex = (*q == L'x' || *q == L'X') && q + 1 < ende && std::iswxdigit(static_cast<wint_t>(q[1]));
    if (hex || (*q >= L'0' && *q <= L'9')) {
        if (hex) ++q;
        wert = 0;
        for (; q < ende && (hex ? std::iswxdigit(static_cast<wint_t>(*q)) != 0 : (*q >= L'0' && *q <= L'9')); ++q) {
            const unsigned z = *q <= L'9' ? static_cast<unsigned>(*q - L'0') : static_cast<unsigned>((*q | 0x20) - L'a' + 10);
            if (wert <= 0x10FFFF) wert = wert * (hex ? 16 : 10) + static_cast<long>(z);
        }
        ungueltig = wert > 0x10FFFF || wert == 0;
    } else if (d.Namensanfang(*q)) {
        const wchar_t* a = q;
        while (q < ende && d.Namenszeichen(*q)) ++q;
        std::wstring w(a, q);
        for (wchar_t& c : w) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
        funktion = true;
        wert = w == L"RE" ? 13 : w == L"RS" ? 10 : w == L"SPACE" ? 32 : w == L"TAB" ? 9 : -1;
        ungueltig = wert < 0;
    } else {
        return false;
    }
    if (q < ende && *q == L';') ++q;
    else if (q < ende && *q == L'\n') ++q;
    p = q;
    return true;
}

bool SDTD::Wert_expandieren(std::wstring_view roh, std::wstring& out, int tiefe, std::wstring& fehlt) const {
    const wchar_t* p = roh.data();
    const wchar_t* ende = p + roh.size();
    while (p < ende) {
        if (*p != L'&' || p + 1 >= ende) {
            out.push_back(*p++);
            continue;
        }
        long wert = 0;
        bool funktion = false, ungueltig = false;
        if (Zeichenreferenz(dekl_, p, ende, wert, funktion, ungueltig)) {
            if (ungueltig) {
                fehlt = L"#";
                return false;
            }
            if (funktion && wert == 10) continue;
            out.push_back(funktion && (wert == 13 || wert == 9) ? L' ' : static_cast<wchar_t>(wert));
            continue;
        }
        if (!dekl_.Namensanfang(p[1])) {
            out.push_back(*p++);
            continue;
        }
        const wchar_t* a = ++p;
        while (p < ende && dekl_.Namenszeichen(*p)) ++p;
        std::wstring name(a, p);
        if (p < ende && (*p == L';' || *p == L'\n')) ++p;
        if (dekl_.namecase_entitaet)
            for (wchar_t& c : name) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
        int e = dtd_.Entitaet_von(dtd_.Entitaetsname(name), false);
        if (e < 0) e = dtd_.Entitaet_von(dtd_.Entitaetsname(L"#DEFAULT"), false);
        const DTD::Entitaet* ent = e >= 0 ? &dtd_.Entitaeten(e) : nullptr;
        if (ent == nullptr || tiefe >= DTD::MAX_ENTITAETSTIEFE ||
            (ent->art != DTD::E_INTERN && ent->art != DTD::E_CDATA && ent->art != DTD::E_SDATA)) {
            fehlt = name;
            return false;
        }
        if (ent->art != DTD::E_INTERN) out += ent->text;
        else if (!Wert_expandieren(ent->text, out, tiefe + 1, fehlt)) return false;
        if (out.size() > DTD::MAX_ERSETZUNG) {
            fehlt = name;
            return false;
        }
    }
    return true;
}
