#include "driver/Trackingbericht.h"

#include <cstdint>
#include <cwchar>
#include <sys/stat.h>

#include "base/Dateinamen.h"
#include "driver/VERZLINUX.h"
#include "base/Zeichenwandlung.h"
#include "script/IPR.h"
#include "base/Konsole.h"
#include "tracking/TRACKOUT.h"
#include "tracking/Vorlage.h"

namespace {

// The last component of a path; either separator counts.
const wchar_t* Letzter_Teil(const wchar_t* pfad) {
    if (pfad == nullptr) return L"";
    const wchar_t* teil = pfad;
    for (const wchar_t* p = pfad; *p != 0; ++p)
        if (*p == L'/' || *p == L'\\') teil = p + 1;
    return teil;
}

bool Datei_Kennung(const wchar_t* pfad, std::pair<dev_t, ino_t>& kennung) {
    struct stat info;
    if (stat(BreitZuSchmal(pfad).c_str(), &info) != 0) return false;
    kennung = {info.st_dev, info.st_ino};
    return true;
}

}  // namespace

std::wstring Trackingname(const wchar_t* ausgabename) {
    std::wstring name = ausgabename != nullptr ? ausgabename : L"";
    const std::size_t punkt = name.rfind(L'.');
    if (punkt != std::wstring::npos) name.erase(punkt);
    name += L"_track.html";
    return name;
}

void Tracking_Dateibeginn(IPR& ipr, bool global) {
    if (global) return;
    ipr.track_quelle.Reset();
    ipr.track_ziel.Reset();
    ipr.track_ziel.AddStartLabel();
    ipr.track_aktionen.Reset();
}

void Tracking_Globalbeginn(IPR& ipr) { ipr.track_ziel.AddStartLabel(); }

void Trackingschutz::Aufnehmen(const wchar_t* pfad) {
    if (pfad == nullptr || pfad[0] == 0) return;
    namen.insert(pfad);
    std::pair<dev_t, ino_t> kennung;
    if (Datei_Kennung(pfad, kennung)) dateien.insert(kennung);
}

bool Trackingschutz::Geschuetzt(const wchar_t* pfad) const {
    std::wstring voll;
    if (namen.count(pfad) != 0 || (VollerPfad(voll, pfad) && namen.count(voll) != 0)) return true;
    std::pair<dev_t, ino_t> kennung;
    return Datei_Kennung(pfad, kennung) && dateien.count(kennung) != 0;
}

int Tracking_Bericht(IPR& ipr, int modus, const wchar_t* quelle, const wchar_t* skript, const wchar_t* ziel,
                     const std::wstring& name, const Trackingschutz& schutz) {
    if (name.size() > DATEINAME_MAX - 1) {
        Konsole_Text(L"FEHLER: (Ausgabe) Der Name der Trackingdatei ist zu lang.\n");
        return 0;
    }
    // Only an absolute name can be created (a relative one would lie below
    // a directory "*"); it must not be a file that the run reads or writes.
    if (!name.empty() && name[0] == L'/' && schutz.Geschuetzt(name.c_str())) {
        Konsole_Print(L"FEHLER: (Ausgabe) Die Trackingdatei '%ls' würde eine Ein- oder Ausgabedatei "
                      L"überschreiben und wird nicht geschrieben.\n",
                      name.c_str());
        return 0;
    }
    if (ipr.track_quelle.Voll() || ipr.track_ziel.Voll() || ipr.track_aktionen.Voll())
        Konsole_Print(L"Hinweis: Die Trackingdatei '%ls' ist unvollständig, die Aufzeichnung war zu groß.\n",
                      name.c_str());
    TRACK name_quelle, name_skript, name_ziel, autostart;
    name_quelle.AddHtmlText(Letzter_Teil(quelle));
    name_skript.AddHtmlText(Letzter_Teil(skript));
    name_ziel.AddHtmlText(Letzter_Teil(ziel));
    autostart.AddText(modus == 2 ? L"true" : L"false");

    TRACKOUT bericht;
    bericht.Lade_Track_Autostart(&autostart);
    bericht.Lade_Vorlage(Tracking_Vorlage());
    bericht.Lade_Track_Aktionen(&ipr.track_aktionen);
    bericht.Lade_Track_Quelle(&ipr.track_quelle);
    bericht.Lade_Track_Skript(&ipr.track_skript);
    bericht.Lade_Track_Ziel(&ipr.track_ziel);
    bericht.Lade_Name_Quelle(&name_quelle);
    bericht.Lade_Name_Skript(&name_skript);
    bericht.Lade_Name_Ziel(&name_ziel);
    return bericht.Schreibe_Ausgabedatei(name.c_str());
}

void Trackingschutz_Aufbauen(Trackingschutz& schutz, VERZLINUX& suche, const wchar_t* erweiterung, const IPR& ipr) {
    wchar_t datei[DATEINAME_MAX];
    std::wstring ausgabe;
    for (std::int64_t i = 1; i <= suche.Anzahl(); ++i) {
        if (!suche.RegisterRead(i, datei)) continue;
        schutz.Aufnehmen(datei);
        if (erweiterung != nullptr && MakeLokalName(ausgabe, datei, erweiterung)) schutz.Aufnehmen(ausgabe.c_str());
    }
    if (ipr.out.OUT_is_Open()) schutz.Aufnehmen(ipr.out.ausgabename);
    schutz.Aufnehmen(ipr.skript.dateiname);
}

void Ausgabeschutz_Aufbauen(Trackingschutz& schutz, VERZLINUX& suche, const IPR& ipr) {
    wchar_t datei[DATEINAME_MAX];
    for (std::int64_t i = 1; i <= suche.Anzahl(); ++i)
        if (suche.RegisterRead(i, datei)) schutz.Aufnehmen(datei);
    schutz.Aufnehmen(ipr.skript.dateiname);
}
