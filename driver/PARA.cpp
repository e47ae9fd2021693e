#include "driver/PARA.h"

#include <cwchar>

#include "base/Konsole.h"

PARA::PARA(int argc, char const** argv) {
    if (argc <= 0 || argv == nullptr) {
        Leer(30002);
        return;
    }
    for (int i = 0; i < argc; ++i) liste.AddItem(argv[i] != nullptr ? argv[i] : "");
    anzahl = argc - 1;
}

PARA::PARA(int argc, wchar_t const** argv) {
    if (argc <= 0 || argv == nullptr) {
        Leer(30001);
        return;
    }
    for (int i = 0; i < argc; ++i) liste.AddItem(argv[i] != nullptr ? argv[i] : L"");
    anzahl = argc - 1;
}

void PARA::Leer(int code) {
    fehler = code;
    Konsole_Print(L"FEHLER: %d im Modul %ls, Parameterblock ist leer.\n", code, L"PARA");
}

void PARA::ZuGross(int code, const wchar_t* was, std::size_t laenge, unsigned long kapazitaet, const wchar_t* text) {
    fehler = code;
    Konsole_Print(L"FEHLER: %d %ls Die Größe beträgt %zu Zeichen. Es sind maximal %zu Zeichen erlaubt (%ls).\n",
                  code, was, laenge, static_cast<std::size_t>(kapazitaet - 1), text);
}

bool PARA::LeseSchalter(wchar_t const* schalter) {
    if (schalter == nullptr) return false;
    for (int i = 1; i < liste.Anzahl(); ++i) {
        std::wstring& eintrag = liste[i];
        if (eintrag.empty() || wcscasecmp(eintrag.c_str(), schalter) != 0) continue;
        eintrag.clear();
        return true;
    }
    return false;
}

bool PARA::LeseSchalterText(wchar_t const* praefix, wchar_t* ziel, unsigned long kapazitaet) {
    if (ziel == nullptr || kapazitaet == 0) return false;
    ziel[0] = L'\0';
    if (praefix == nullptr || std::wcslen(praefix) < 2) return false;
    for (int i = 1; i < liste.Anzahl(); ++i) {
        std::wstring& eintrag = liste[i];
        if (eintrag.size() <= 2 || eintrag[0] != praefix[0] || eintrag[1] != praefix[1]) continue;
        std::size_t laenge = eintrag.size() - 2;
        if (laenge >= kapazitaet) {
            ZuGross(30005, L"Ein Schalter-Parameter ist zu groß.", eintrag.size(), kapazitaet, eintrag.c_str());
            eintrag.clear();
            return false;
        }
        std::wmemcpy(ziel, eintrag.c_str() + 2, laenge + 1);
        eintrag.clear();
        return true;
    }
    return false;
}

bool PARA::LeseSchalterWert(wchar_t const* schalter, std::wstring& wert) {
    wert.clear();
    if (schalter == nullptr) return false;
    const std::size_t n = std::wcslen(schalter);
    for (int i = 1; i < liste.Anzahl(); ++i) {
        std::wstring& eintrag = liste[i];
        if (eintrag.size() < n || wcsncasecmp(eintrag.c_str(), schalter, n) != 0) continue;
        wert = eintrag.substr(n);
        eintrag.clear();
        return true;
    }
    return false;
}

bool PARA::LeseSchalterZahl(wchar_t const* schalter, int* zahl) {
    if (schalter == nullptr || zahl == nullptr) return false;
    const std::size_t n = std::wcslen(schalter);
    for (int i = 1; i < liste.Anzahl(); ++i) {
        std::wstring& eintrag = liste[i];
        if (eintrag.size() <= n || eintrag.size() > n + 4 || wcsncasecmp(eintrag.c_str(), schalter, n) != 0) continue;
        int wert = 0;
        bool ziffern = true;
        for (std::size_t k = n; k < eintrag.size(); ++k) {
            if (eintrag[k] < L'0' || eintrag[k] > L'9') ziffern = false;
            wert = wert * 10 + static_cast<int>(eintrag[k] - L'0');
        }
        if (!ziffern || wert == 0) continue;
        *zahl = wert;
        eintrag.clear();
        return true;
    }
    return false;
}

bool PARA::LeseText(wchar_t* ziel, unsigned long kapazitaet) {
    if (ziel == nullptr || kapazitaet == 0) return false;
    ziel[0] = L'\0';
    for (int i = 1; i < liste.Anzahl(); ++i) {
        std::wstring& eintrag = liste[i];
        if (eintrag.empty()) continue;
        if (eintrag.size() >= kapazitaet) {
            ZuGross(30003, L"Ein Parameter ist zu groß.", eintrag.size(), kapazitaet, eintrag.c_str());
            eintrag.clear();
            return false;
        }
        std::wmemcpy(ziel, eintrag.c_str(), eintrag.size() + 1);
        eintrag.clear();
        return true;
    }
    return false;
}

// A leftover that does not fit is cut rather than left out, so that it is
// still reported as unknown.
bool PARA::FalscheParameter(wchar_t* ziel, unsigned long kapazitaet) {
    if (ziel == nullptr || kapazitaet == 0) return false;
    ziel[0] = L'\0';
    std::wstring rest;
    bool gefunden = false;
    for (int i = 1; i < liste.Anzahl(); ++i) {
        const std::wstring& eintrag = liste[i];
        if (eintrag.empty()) continue;
        if (gefunden) rest += L' ';
        rest += eintrag;
        gefunden = true;
    }
    if (rest.size() > kapazitaet - 1) rest.resize(kapazitaet - 1);
    std::wmemcpy(ziel, rest.c_str(), rest.size() + 1);
    return gefunden;
}

bool PARA::EigenerName(wchar_t* ziel, unsigned long kapazitaet) {
    if (ziel == nullptr || kapazitaet == 0) return false;
    ziel[0] = L'\0';
    if (liste.Anzahl() == 0 || liste[0].empty()) return false;
    const std::wstring& name = liste[0];
    if (name.size() >= kapazitaet) {
        ZuGross(30004, L"Der Programmname ist zu groß.", name.size(), kapazitaet, name.c_str());
        return false;
    }
    std::wmemcpy(ziel, name.c_str(), name.size() + 1);
    return true;
}
