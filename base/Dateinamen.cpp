#include "base/Dateinamen.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <vector>

#include "base/Zeichenwandlung.h"
#include "base/Konsole.h"

Pfadteile PfadZerlegen(const wchar_t* pfad) {
    Pfadteile teile;
    if (pfad == nullptr) return teile;
    std::wstring text(pfad);
    teile.absolut = !text.empty() && text[0] == L'/';
    std::size_t rest = 0;
    if (text.size() >= 2 && text[0] == L'/' && text[1] == L'/') {
        std::size_t ende = text.find(L'/', 2);
        if (ende == std::wstring::npos) {
            teile.server = text;
            return teile;
        }
        teile.server = text.substr(0, ende);
        rest = ende;
    }
    std::size_t strich = text.rfind(L'/');
    std::size_t start = rest;
    if (strich != std::wstring::npos && strich >= rest) {
        teile.verzeichnis = text.substr(rest, strich - rest);
        start = strich + 1;
    }
    std::wstring letzter = text.substr(start);
    std::size_t punkt = letzter.rfind(L'.');
    if (punkt == std::wstring::npos) {
        teile.name = letzter;
    } else {
        teile.name = letzter.substr(0, punkt);
        teile.erweiterung = letzter.substr(punkt + 1);
    }
    return teile;
}

namespace {

// Joins two path pieces with exactly one '/' between them.
void Anfuegen(std::wstring& text, const std::wstring& teil) {
    if (teil.empty()) return;
    if (text.empty()) {
        text = teil;
        return;
    }
    if (text.back() == L'/') text.pop_back();
    if (teil[0] != L'/') text += L'/';
    text += teil;
}

bool NurServer(const Pfadteile& t) {
    return !t.server.empty() && t.verzeichnis.empty() && t.name.empty() && t.erweiterung.empty();
}

// A null text or a bare server prefix counts as no text at all.
bool Leer(const wchar_t* text, const Pfadteile& t, const wchar_t* meldung) {
    if (text != nullptr && !NurServer(t)) return false;
    Konsole_Text(meldung);
    return true;
}

bool Abgelehnt(const wchar_t* format, const wchar_t* text) {
    Konsole_Print(format, text);
    return false;
}

// The rows shared by the checks of a single input name and an output name;
// without a message for it, a missing extension is no fault.
bool CheckDateiname(const wchar_t* text, const wchar_t* const meldungen[4]) {
    Pfadteile t = PfadZerlegen(text);
    if (Leer(text, t, meldungen[0])) return false;
    if (t.name.empty()) return Abgelehnt(meldungen[1], text);
    if (t.erweiterung.empty() && meldungen[2] != nullptr) return Abgelehnt(meldungen[2], text);
    if (HatPlatzhalter(t.name)) return Abgelehnt(meldungen[3], text);
    return true;
}

bool Hinaus(std::wstring& ergebnis, wchar_t* puffer) {
    puffer[0] = L'\0';
    if (ergebnis.size() >= DATEINAME_MAX) return false;
    std::wmemcpy(puffer, ergebnis.c_str(), ergebnis.size() + 1);
    return true;
}

}  // namespace

std::wstring PfadZusammensetzen(const Pfadteile& teile) {
    std::wstring text = teile.server;
    Anfuegen(text, teile.verzeichnis);
    if (text.empty() && teile.absolut) text = L"/";
    if (!text.empty() && text.back() != L'/') text += L'/';
    text += teile.name;
    if (!teile.erweiterung.empty()) {
        text += L'.';
        text.append(teile.erweiterung, teile.erweiterung[0] == L'.' ? 1 : 0);
    }
    return text;
}

bool HatPlatzhalter(const std::wstring& text) {
    return text.find_first_of(L"*?") != std::wstring::npos;
}

bool CheckEingabemuster(const wchar_t* muster) {
    Pfadteile t = PfadZerlegen(muster);
    if (Leer(muster, t, L"FEHLER: Das Eingabemuster ist ungültig (leer).\n")) return false;
    if (t.erweiterung.empty())
        return Abgelehnt(L"FEHLER: Das Eingabemuster ist ungültig (Erweiterung ist leer): '%ls'\n", muster);
    if (t.name.empty())
        return Abgelehnt(L"FEHLER: Das Eingabemuster ist ungültig (Dateiname ist leer): '%ls'\n", muster);
    if (!HatPlatzhalter(t.name))
        return Abgelehnt(
            L"FEHLER: Das Eingabemuster ist ungültig (Dateiname enthält keine Platzhalterzeichen): '%ls'\n", muster);
    if (HatPlatzhalter(t.verzeichnis))
        return Abgelehnt(L"FEHLER: Das Eingabemuster ist ungültig (Ordner enthält Platzhalterzeichen): '%ls'\n",
                         muster);
    return true;
}

// A file named on its own needs no extension: only the output name built
// from it gets one.
bool CheckEingabedateiname(const wchar_t* name) {
    static const wchar_t* const meldungen[4] = {
        L"FEHLER: Der Eingabedateiname ist ungültig (leer).\n",
        L"FEHLER: Der angegebene Eingabedateiname ist ungültig (Name wurde nicht erkannt): '%ls'\n",
        nullptr,
        L"FEHLER: Der angegebene Eingabedateiname enthält ungültige Zeichen (Platzhalterzeichen): '%ls'\n",
    };
    return CheckDateiname(name, meldungen);
}

bool CheckAusgabedateiname(const wchar_t* name) {
    static const wchar_t* const meldungen[4] = {
        L"FEHLER: Der Ausgabename ist ungültig (leer).\n",
        L"FEHLER: Der Ausgabename ist ungültig (Name wurde nicht erkannt): '%ls'\n",
        L"FEHLER: Der Ausgabename ist ungültig (Erweiterung wurde nicht erkannt): '%ls'\n",
        L"FEHLER: Der Ausgabename enthält ungültige Zeichen (Platzhalterzeichen): '%ls'\n",
    };
    return CheckDateiname(name, meldungen);
}

bool CheckAusgabeerweiterung(const wchar_t* erweiterung) {
    Pfadteile t = PfadZerlegen(erweiterung);
    if (Leer(erweiterung, t, L"FEHLER: Die Ausgabeerweiterung ist ungültig (leer).\n")) return false;
    if (!t.verzeichnis.empty())
        return Abgelehnt(L"FEHLER: Die Ausgabeerweiterung ist ungültig (Ordner ist hier nicht erlaubt): '%ls'\n",
                         erweiterung);
    if (!t.erweiterung.empty())
        return Abgelehnt(L"FEHLER: Die Ausgabeerweiterung ist ungültig (Es darf nur die Erweiterung angegebenen "
                         L"werden, z.B. htm): '%ls'\n",
                         erweiterung);
    if (t.name.empty())
        return Abgelehnt(L"FEHLER: Die Ausgabeerweiterung ist ungültig (leer): '%ls'\n", erweiterung);
    if (HatPlatzhalter(t.name) || std::wcspbrk(erweiterung, L"/\\:") != nullptr)
        return Abgelehnt(L"FEHLER: Die Ausgabeerweiterung enthält ungültige Zeichen (Platzhalterzeichen): '%ls'\n",
                         erweiterung);
    return true;
}

bool MakeLokalName(std::wstring& ergebnis, const wchar_t* quelle, const wchar_t* erweiterung) {
    ergebnis.clear();
    if (quelle == nullptr) return false;
    Pfadteile t = PfadZerlegen(quelle);
    if (t.verzeichnis.empty() || t.name.empty()) return false;
    t.erweiterung = erweiterung != nullptr ? erweiterung : L"";
    return VollerPfad(ergebnis, PfadZusammensetzen(t).c_str());
}

bool MakeLokalName(wchar_t* ergebnis, const wchar_t* quelle, const wchar_t* erweiterung) {
    if (ergebnis == nullptr) return false;
    std::wstring name;
    bool ok = MakeLokalName(name, quelle, erweiterung);
    return Hinaus(name, ergebnis) && ok;
}

bool MakeGlobalName(std::wstring& ergebnis, const wchar_t* basis, const wchar_t* name) {
    ergebnis.clear();
    if (basis == nullptr) return false;
    if (name == nullptr) name = L"";
    // The whole base is a directory: give it a trailing '/' before the
    // split, unless it has one (the root "/" would else become "//").
    std::wstring b(basis);
    if (b.empty() || b.back() != L'/') b += L'/';
    Pfadteile basisteile = PfadZerlegen(b.c_str());
    Pfadteile t = PfadZerlegen(name);
    if (t.name.empty()) {
        Konsole_Print(L"FEHLER: (Ausgabe) Der angegebenen Dateiname ist ungültig: '%ls'\n", name);
        return false;
    }
    if (t.erweiterung.empty()) {
        Konsole_Print(L"FEHLER: (Ausgabe) Die angegebene Dateiextension ist ungültig: '%ls'\n", name);
        return false;
    }
    if (t.server.empty() && !t.absolut) {
        if (basisteile.verzeichnis.size() + t.verzeichnis.size() > DATEINAME_MAX - 1) {
            Konsole_Print(L"FEHLER: (Ausgabe) Das Ausgabeverzeichnis ist ungültig: '%ls%ls'\n",
                          basisteile.verzeichnis.c_str(), t.verzeichnis.c_str());
            return false;
        }
        std::wstring verzeichnis = basisteile.verzeichnis;
        Anfuegen(verzeichnis, t.verzeichnis);
        t.server = basisteile.server;
        t.verzeichnis = verzeichnis;
        t.absolut = basisteile.absolut;
    }
    return VollerPfad(ergebnis, PfadZusammensetzen(t).c_str());
}

bool MakeGlobalName(wchar_t* ergebnis, const wchar_t* basis, const wchar_t* name) {
    if (ergebnis == nullptr) return false;
    std::wstring voll;
    bool ok = MakeGlobalName(voll, basis, name);
    return Hinaus(voll, ergebnis) && ok;
}

std::string ArbeitsverzeichnisSchmal() {
    std::vector<char> puffer(DATEINAME_MAX);
    while (getcwd(puffer.data(), puffer.size()) == nullptr) {
        if (errno != ERANGE || puffer.size() > (std::size_t{1} << 20)) return std::string();
        puffer.resize(puffer.size() * 2);
    }
    return std::string(puffer.data());
}

std::wstring Arbeitsverzeichnis() {
    return SchmalZuBreit(ArbeitsverzeichnisSchmal().c_str());
}

bool VollerPfad(std::wstring& ergebnis, const wchar_t* pfad) {
    ergebnis.clear();
    if (pfad == nullptr) return false;
    if (pfad[0] == L'/') {
        ergebnis = pfad;
    } else {
        ergebnis = Arbeitsverzeichnis();
        if (ergebnis.empty()) return false;
        if (ergebnis.back() == L'/') ergebnis.pop_back();
        // Every component but the last is a directory to walk; the last
        // one is the file name and is taken as it stands.
        std::wstring text(pfad);
        std::size_t anfang = 0;
        for (std::size_t strich; (strich = text.find(L'/', anfang)) != std::wstring::npos; anfang = strich + 1) {
            std::wstring teil = text.substr(anfang, strich - anfang);
            if (teil.empty() || teil == L".") continue;
            if (teil == L"..") {
                std::size_t oben = ergebnis.rfind(L'/');
                if (oben != std::wstring::npos) ergebnis.erase(oben);
            } else {
                ergebnis += L'/';
                ergebnis += teil;
            }
        }
        ergebnis += L'/';
        ergebnis.append(text, anfang);
    }
    if (ergebnis.size() > DATEINAME_MAX - 1) ergebnis.clear();
    return !ergebnis.empty();
}

bool wfullpath(wchar_t* ergebnis, const wchar_t* pfad, unsigned long kapazitaet) {
    if (ergebnis == nullptr || kapazitaet == 0) return false;
    ergebnis[0] = L'\0';
    std::wstring voll;
    if (!VollerPfad(voll, pfad) || voll.size() >= kapazitaet) return false;
    std::wmemcpy(ergebnis, voll.c_str(), voll.size() + 1);
    return true;
}
