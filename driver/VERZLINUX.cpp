#include "driver/VERZLINUX.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cwchar>
#include <new>

#include "base/Dateinamen.h"
#include "base/Zeichenwandlung.h"
#include "base/Konsole.h"

namespace {

// The end of a bracket expression that starts at 'anfang' ('['), or npos
// when it is not closed. "[]a]" and "[^]a]" hold a literal ']'; "[:alpha:]"
// and its kin may appear inside.
std::size_t KlammerEnde(std::wstring const& m, std::size_t anfang) {
    std::size_t i = anfang + 1;
    if (i < m.size() && m[i] == L'^') ++i;
    if (i < m.size() && m[i] == L']') ++i;
    while (i < m.size()) {
        if (m[i] == L']') return i;
        if (m[i] == L'[' && i + 1 < m.size() && (m[i + 1] == L':' || m[i + 1] == L'.' || m[i + 1] == L'=')) {
            wchar_t schluss[3] = {m[i + 1], L']', L'\0'};
            std::size_t ende = m.find(schluss, i + 2);
            if (ende == std::wstring::npos) return std::wstring::npos;
            i = ende + 2;
            continue;
        }
        ++i;
    }
    return std::wstring::npos;
}

bool IstTyp(dirent const* eintrag, unsigned char typ, mode_t modus) {
    if (eintrag->d_type == typ) return true;
    if (eintrag->d_type != DT_UNKNOWN) return false;
    // Some file systems give no type in the listing: ask the entry itself,
    // without following a link.
    struct stat st;
    if (lstat(eintrag->d_name, &st) != 0) return false;
    return (st.st_mode & S_IFMT) == modus;
}

bool PunktEintrag(char const* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

void Sortieren(std::vector<std::wstring>& namen) {
    std::sort(namen.begin(), namen.end(), [](std::wstring const& a, std::wstring const& b) {
        int c = SortCompare(a.c_str(), b.c_str());
        return c != 0 ? c < 0 : a < b;  // names equal but for case: a fixed order
    });
}

}  // namespace

std::wstring Suchausdruck(std::wstring const& muster) {
    std::wstring aus = L"^";
    for (std::size_t i = 0; i < muster.size(); ++i) {
        wchar_t c = muster[i];
        if (c == L'*') {
            aus += L".*";
        } else if (c == L'?') {
            aus += L"[^\\.]";
        } else if (c == L'[') {
            std::size_t ende = KlammerEnde(muster, i);
            if (ende == std::wstring::npos) {
                aus += c;  // unbalanced: the expression will not compile
            } else {
                aus.append(muster, i, ende - i + 1);
                i = ende;
            }
        } else {
            if (std::wcschr(L"+(){}|^$.\\", c) != nullptr) aus += L'\\';
            aus += c;
        }
    }
    aus += L'$';
    return aus;
}

int SortCompare(void const* a, void const* b) {
    return wcscasecmp(static_cast<wchar_t const*>(a), static_cast<wchar_t const*>(b));
}

VERZLINUX::VERZLINUX(wchar_t const* eingabe, bool rekursiv, bool sortiert) : rekursiv(rekursiv), sortiert(sortiert) {
    try {
        reg.reserve(static_cast<std::size_t>(kapazitaet));
    } catch (std::bad_alloc const&) {
        Konsole_Text(L"FEHLER: (Interpreter) Fehlerhafter Eintrag in der Dateiliste, nicht genügend Speicher.\n");
        return;
    }
    if (!InitSuchmuster(eingabe)) {
        fehler = 20101;
        return;
    }
    start_schmal = ArbeitsverzeichnisSchmal();
    startverzeichnis = SchmalZuBreit(start_schmal.c_str());
    if (start_schmal.empty()) {
        fehler = 20105;
        Konsole_Print(L"FEHLER: %d (Verzeichnis) Das System kann das aktuelle Arbeitsverzeichnis nicht ermitteln.\n",
                      fehler);
        return;
    }
    if (chdir(BreitZuSchmal(basisverzeichnis.c_str()).c_str()) != 0) {
        fehler = 20104;
        Konsole_Print(L"FEHLER: %d (Verzeichnis) Das Basisverzeichnis (%ls) wurde nicht gefunden.\n", fehler, eingabe);
        return;
    }
    anzahl = 0;
    DirAuslesen(basisverzeichnis);
    if (fehler == 0 && anzahl == 0) Konsole_Print(L"Keine Datei(en) '%ls' gefunden\n", eingabe);
    if (chdir(start_schmal.c_str()) != 0) {
        fehler = 20107;
        Konsole_Print(
            L"FEHLER: %d (Verzeichnis) Das System kann das originale Arbeitsverzeichnis nicht wieder anwählen.\n",
            fehler);
    }
}

VERZLINUX::VERZLINUX(std::vector<std::wstring> dateien) : reg(std::move(dateien)) {
    start_schmal = ArbeitsverzeichnisSchmal();
    startverzeichnis = basisverzeichnis = SchmalZuBreit(start_schmal.c_str());
    if (start_schmal.empty()) {
        fehler = 20105;
        Konsole_Print(L"FEHLER: %d (Verzeichnis) Das System kann das aktuelle Arbeitsverzeichnis nicht ermitteln.\n",
                      fehler);
    }
    anzahl = static_cast<std::int64_t>(reg.size());
}

VERZLINUX::~VERZLINUX() {
    if (ausdruck_bereit) regfree(&ausdruck);
}

bool VERZLINUX::InitSuchmuster(wchar_t const* eingabe) {
    if (eingabe == nullptr || eingabe[0] == L'\0') {
        Konsole_Text(
            L"FEHLER: (Verzeichnis) Die Suchbezeichnung (Dateiname) ist leer.\nBitte geben Sie eine korrekte "
            L"Bezeichnung ein!\n");
        return false;
    }
    std::wstring absolut;
    if (!VollerPfad(absolut, eingabe) && !Arbeitsverzeichnis().empty()) {
        // A relative name that the working directory makes too long.
        Konsole_Print(L"FEHLER: (Verzeichnis) Der Pfad ist länger als %zu Zeichen (%ls).\n", DATEINAME_MAX - 1,
                      eingabe);
        return false;
    }
    Pfadteile t = PfadZerlegen(absolut.c_str());
    bool ohne_verzeichnis = t.server.empty() && t.verzeichnis.empty();
    // A pattern has an extension (the driver has checked it); a file named
    // on its own needs none.
    if (ohne_verzeichnis || t.name.empty()) {
        Konsole_Print(L"FEHLER: (Verzeichnis) Der Angegebener Dateiname ist ungültig (%ls)\n", eingabe);
        if (ohne_verzeichnis) Konsole_Text(L"Das Verzeichnis konnte nicht ermittelt werden\n");
        if (t.name.empty()) Konsole_Text(L"Der Dateiname konnte nicht ermittelt werden\n");
        return false;
    }
    basisverzeichnis = t.server + t.verzeichnis;
    while (basisverzeichnis.size() > 1 && basisverzeichnis.back() == L'/') basisverzeichnis.pop_back();
    dateimuster = t.erweiterung.empty() ? t.name : t.name + L"." + t.erweiterung;
    suchausdruck = BreitZuSchmal(Suchausdruck(dateimuster).c_str());
    if (ausdruck_bereit) regfree(&ausdruck);
    ausdruck_bereit = regcomp(&ausdruck, suchausdruck.c_str(), REG_EXTENDED | REG_NOSUB) == 0;
    if (!ausdruck_bereit) {
        Konsole_Print(L"FEHLER: (Verzeichnis) Das Suchmuster '%ls' ist ungültig.\n", eingabe);
        return false;
    }
    return true;
}

// Paths beyond the design limit are reported, never cut or dropped silently.
bool VERZLINUX::Passt(std::wstring const& pfad) {
    if (pfad.size() <= DATEINAME_MAX - 1) return true;
    fehler = 24106;
    Konsole_Print(L"FEHLER: %d (Verzeichnis) Der Pfad ist länger als %zu Zeichen (%ls).\n", fehler,
                  DATEINAME_MAX - 1, pfad.c_str());
    return false;
}

// Enters a directory; false (with error 24105 or 24106) when that fails.
bool VERZLINUX::Eintreten(std::wstring const& verzeichnis) {
    if (!Passt(verzeichnis)) return false;
    if (chdir(BreitZuSchmal(verzeichnis.c_str()).c_str()) != 0) {
        fehler = 24105;
        Konsole_Print(L"FEHLER: %d (Verzeichnis) Das Verzeichnis ist nicht vorhanden (%ls).\n", fehler,
                      verzeichnis.c_str());
        return false;
    }
    return true;
}

void VERZLINUX::DirAuslesen(std::wstring const& verzeichnis) {
    if (!Eintreten(verzeichnis)) return;
    DatAuslesen(verzeichnis);
    if (!rekursiv) return;
    std::vector<std::wstring> unter;
    if (DIR* d = opendir(".")) {
        while (dirent* e = readdir(d)) {
            if (!PunktEintrag(e->d_name) && IstTyp(e, DT_DIR, S_IFDIR)) unter.push_back(SchmalZuBreit(e->d_name));
        }
        closedir(d);
    }
    if (sortiert) Sortieren(unter);
    for (std::wstring const& name : unter) DirAuslesen(verzeichnis + L"/" + name);
}

void VERZLINUX::DatAuslesen(std::wstring const& verzeichnis) {
    if (!ausdruck_bereit) return;
    // Called right after entering the directory, so names are relative to it.
    DIR* d = opendir(".");
    if (d == nullptr) {
        fehler = 23100;
        Konsole_Print(L"FEHLER (Verzeichnis): %d Das Verzeichnis konnte nicht gelesen werden '%ls'.\n", fehler,
                      verzeichnis.c_str());
        return;
    }
    std::vector<std::wstring> namen;
    while (dirent* e = readdir(d)) {
        if (PunktEintrag(e->d_name) || regexec(&ausdruck, e->d_name, 0, nullptr, 0) != 0) continue;
        if (IstTyp(e, DT_REG, S_IFREG)) namen.push_back(SchmalZuBreit(e->d_name));
    }
    closedir(d);
    if (sortiert) Sortieren(namen);
    for (std::wstring const& name : namen) {
        std::wstring pfad = verzeichnis + L"/" + name;
        if (Passt(pfad)) RegisterWrite(pfad);
    }
}

bool VERZLINUX::RegisterWrite(std::wstring const& pfad) {
    try {
        if (static_cast<std::int64_t>(reg.size()) >= kapazitaet) kapazitaet += 4096;
        reg.push_back(pfad);
    } catch (std::bad_alloc const&) {
        Konsole_Text(L"FEHLER (Interpreter): Eintrag im Reg, nicht genügend Speicher.\n");
        return false;
    }
    anzahl = static_cast<std::int64_t>(reg.size());
    return true;
}

void VERZLINUX::RegisterBehalten(std::function<bool(std::wstring const&)> const& behalten) {
    std::erase_if(reg, [&behalten](std::wstring const& pfad) { return !behalten(pfad); });
    anzahl = static_cast<std::int64_t>(reg.size());
}

bool VERZLINUX::RegisterRead(std::int64_t i, wchar_t* ziel) {
    if (ziel != nullptr) ziel[0] = L'\0';
    if (ziel == nullptr || i < 1 || i > static_cast<std::int64_t>(reg.size())) {
        fehler = 21001;
        Konsole_Print(L"FEHLER (Verzeichnis): %d Fehlerhafter Eintrag in der Dateiliste.\n", fehler);
        return false;
    }
    std::wstring const& pfad = reg[static_cast<std::size_t>(i - 1)];
    std::wmemcpy(ziel, pfad.c_str(), pfad.size() + 1);
    return true;
}
