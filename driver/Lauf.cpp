// The run of one command line: parameters, initialisation, classification
// of input and output, the directory search, the loop over the files and
// the summary with its exit code.
#include "driver/Lauf.h"

#include <sys/stat.h>

#include <cstdint>
#include <cwchar>
#include <memory>
#include <string>
#include <unordered_map>

#include "convert/CNV.h"
#include "base/Dateinamen.h"
#include "driver/HILF.h"
#include "base/LANG.h"
#include "driver/PARA.h"
#include "driver/Parallellauf.h"
#include "driver/Trackingbericht.h"
#include "driver/VERZLINUX.h"
#include "base/Zeichenwandlung.h"
#include "script/IPR.h"
#include "base/Konsole.h"
#include "base/NAMEN.h"
#include "tracking/CNVTRACK.h"

namespace {

// Exit codes.
enum : int {
    EXIT_OK = 0,
    EXIT_UNBEKANNT = 1,
    EXIT_KOMMANDOZEILE = 2,
    EXIT_OHNE_PARAMETER = 3,
    EXIT_HILFE = 4,
    EXIT_SKRIPT = 5,
    EXIT_OHNE_SKRIPT = 6,
    EXIT_MUSTER = 7,
    EXIT_EINGABE = 8,
    EXIT_AUSGABENAME = 10,
    EXIT_ERWEITERUNG = 11,
    EXIT_DATEIFEHLER = 12,
    EXIT_SUCHE = 13,
};
constexpr int WEITER = -1;  // no exit yet: the run goes on

constexpr unsigned long SPRACHE_MAX = 41;

struct Lauf_Zustand {
    bool quiet = false;
    bool rekursiv = false;
    bool sortiert = false;
    bool debug = false;
    bool validieren = false;
    bool web = false;
    bool hilfe = false;
    int tracking = 0;  // 0 off, 1 report, 2 report with autostart
    int prozesse = 0;  // -j: worker processes for a per-file batch; 0: none
    wchar_t sprache[SPRACHE_MAX] = {};
    wchar_t eingabe[DATEINAME_MAX] = {};
    wchar_t skript[DATEINAME_MAX] = {};
    wchar_t ausgabe[DATEINAME_MAX] = {};
    bool hat_skript = false;
    bool hat_ausgabe = false;
    bool global = false;
    const wchar_t* erweiterung = nullptr;  // one output per input file
    const wchar_t* globalname = nullptr;   // one output for all files
    std::wstring trackingname;  // the report's name, built per file
    Trackingschutz schutz;      // what a report must not overwrite
    Trackingschutz eingaben;    // what a per-file output must not overwrite:
    Trackingschutz geschrieben; // the inputs and the script, earlier outputs
    Lauf_Bilanz bilanz;
};

void Zeige(const Lauf_Zustand& z, const wchar_t* text) {
    if (!z.quiet) Konsole_Text(text);
}

// Switches and positional parameters, in the order that decides which
// argument each read consumes.
int Parameter_Lesen(PARA& para, HILF& hilf, Lauf_Zustand& z) {
    z.quiet = para.LeseSchalter(L"-q");
    hilf.Modus(z.quiet ? 1 : 0);
    hilf.Version();
    z.rekursiv = para.LeseSchalter(L"-s");
    z.sortiert = para.LeseSchalter(L"-o");
    z.debug = para.LeseSchalter(L"-d");
    z.validieren = para.LeseSchalter(L"-v");
    z.web = para.LeseSchalter(L"-w");
    if (para.LeseSchalter(L"-trackautostart")) {
        z.tracking = 2;
    } else if (para.LeseSchalter(L"-track")) {
        z.tracking = 1;
    }
    // -j alone takes every processor; the summary of parameters does not
    // show it, since the run must look exactly as without it.
    if (para.LeseSchalter(L"-j"))
        z.prozesse = Prozessoranzahl();
    else
        para.LeseSchalterZahl(L"-j", &z.prozesse);

    if (para.LeseSchalter(L"-lg")) {
        std::wcscpy(z.sprache, L"german");
    } else if (para.LeseSchalter(L"-le")) {
        std::wcscpy(z.sprache, L"english");
    } else if (para.LeseSchalter(L"-lf")) {
        std::wcscpy(z.sprache, L"french");
    } else if (para.LeseSchalterText(L"-l", z.sprache, SPRACHE_MAX - 1) && std::wcschr(z.sprache, L'.')) {
        Konsole_Print(L"FEHLER: Die Schalter-Parameter für die Sprache (%ls) darf keinen Punkt enthalten. Dieser "
                      L"Parameter wird ignoriert.\n",
                      z.sprache);
        z.sprache[0] = L'\0';
    }

    wchar_t eigener_name[DATEINAME_MAX];
    para.EigenerName(eigener_name, DATEINAME_MAX);
    para.LeseText(z.eingabe, DATEINAME_MAX);
    z.hat_skript = para.LeseText(z.skript, DATEINAME_MAX);
    z.hat_ausgabe = para.LeseText(z.ausgabe, DATEINAME_MAX);

    wchar_t rest[DATEINAME_MAX];
    if (para.FalscheParameter(rest, DATEINAME_MAX)) {
        Konsole_Print(L"FEHLER: Unbekannter Parameter in der Kommandozeile: '%ls'\n", rest);
        return EXIT_UNBEKANNT;
    }
    return WEITER;
}

void Parameter_Zeigen(const Lauf_Zustand& z) {
    if (z.quiet) return;
    Konsole_Text(L"Parameter:\n");
    if (z.hat_skript) Konsole_Print(L"- Skript = %ls\n", z.skript);
    if (z.eingabe[0] != L'\0') Konsole_Print(L"- Eingabe = %ls\n", z.eingabe);
    if (z.hat_ausgabe) Konsole_Print(L"- Ausgabe = %ls\n", z.ausgabe);
    if (z.rekursiv) Konsole_Text(L"- mit Unterverzeichnissuche\n");
    if (z.sortiert) Konsole_Text(L"- mit alphabetischer Sortierung\n");
    if (z.debug) Konsole_Text(L"- Debugmodus eingeschalten\n");
    if (z.validieren) Konsole_Text(L"- Validierung eingeschalten\n");
    if (z.web) Konsole_Text(L"- Fehlermeldungen in Web-Ausgabe aktiviert\n");
    if (z.tracking == 2) Konsole_Text(L"- Tracking mit Autostart eingeschalten\n");
    if (z.tracking == 1) Konsole_Text(L"- Tracking eingeschalten\n");
    Konsole_Text(L"\n");
    Konsole_Text(L"Initialisierung:\n");
}

// One file or a pattern: wildcards count only in the name part.
int Eingabe_Einordnen(const Lauf_Zustand& z) {
    Pfadteile teile = PfadZerlegen(z.eingabe);
    if (teile.name.empty()) {
        Konsole_Print(L"FEHLER: Der Dateiname ist ungültig (%ls).\n", z.eingabe);
    } else if (HatPlatzhalter(teile.name)) {
        Zeige(z, L"- Batchkonvertierung aktiviert.\n");
        return CheckEingabemuster(z.eingabe) ? WEITER : EXIT_MUSTER;
    }
    return CheckEingabedateiname(z.eingabe) ? WEITER : EXIT_EINGABE;
}

// No output (check only), a bare extension, or one global output file.
int Ausgabe_Einordnen(Lauf_Zustand& z) {
    if (!z.hat_ausgabe) return WEITER;
    Pfadteile teile = PfadZerlegen(z.ausgabe);
    if (teile.name.empty() || teile.erweiterung.empty()) {
        if (!CheckAusgabeerweiterung(z.ausgabe)) return EXIT_ERWEITERUNG;
        z.erweiterung = z.ausgabe;
        return WEITER;
    }
    Zeige(z, L"- Globale Ausgabe aktiviert.\n");
    if (!CheckAusgabedateiname(z.ausgabe)) return EXIT_AUSGABENAME;
    z.globalname = z.ausgabe;
    z.global = true;
    return WEITER;
}

// A per-file output replaces its own input safely, but it must not take the
// place of another input of the run, of the script, or of an output that
// the run has already written: the file then fails and nothing is lost.
bool Ausgabe_frei(const Lauf_Zustand& z, const wchar_t* datei) {
    std::wstring ausgabe;
    if (z.erweiterung == nullptr || !MakeLokalName(ausgabe, datei, z.erweiterung)) return true;
    Trackingschutz eigene;
    eigene.Aufnehmen(datei);
    if (eigene.Geschuetzt(ausgabe.c_str())) return true;
    if (z.geschrieben.Geschuetzt(ausgabe.c_str())) {
        Konsole_Print(L"FEHLER: (Ausgabe) Die Ausgabedatei '%ls' wurde in diesem Lauf schon geschrieben und wird "
                      L"nicht überschrieben.\n",
                      ausgabe.c_str());
        return false;
    }
    if (z.eingaben.Geschuetzt(ausgabe.c_str())) {
        Konsole_Print(L"FEHLER: (Ausgabe) Die Ausgabedatei '%ls' ist eine Eingabedatei oder das Skript dieses "
                      L"Laufs und wird nicht überschrieben.\n",
                      ausgabe.c_str());
        return false;
    }
    return true;
}

// Reads, parses and (in a convert run with a script) converts one file.
void Datei_Bearbeiten(IPR& ipr, Lauf_Zustand& z, const wchar_t* datei) {
    if (!z.quiet) Konsole_Print(z.hat_ausgabe ? L"Konvertiere: '%ls'\n" : L"Prüfe: '%ls'\n", datei);
    if (!Ausgabe_frei(z, datei)) {
        ++z.bilanz.verarbeitet;
        ++z.bilanz.fehlerhaft;
        Konsole_Text(L"FEHLER: Es ist ein Fehler aufgetreten.\n");
        return;
    }
    // The names of this document leave the run's name table with it.
    const int namensmarke = Namenstabelle().Marke();
    std::unique_ptr<CNV> cnv = z.tracking != 0 ? std::make_unique<CNVTRACK>() : std::make_unique<CNV>();
    if (z.tracking != 0 && !z.quiet && !z.global) Konsole_Text(L"- Tracking aktiviert.\n");
    cnv->Interpreter_Initialisierung(&ipr);
    if (z.tracking != 0) Tracking_Dateibeginn(ipr, z.global);

    bool bytes = ipr.dcl.xml ? ipr.reader_encoding == ENC_ISO_8859_1 : !ipr.dcl.html;
    // An input that cannot be read fails like any other faulty file, so
    // that a run never ends in success without having read it.
    bool erfolgreich = cnv->AusgabeOpen(datei, z.globalname, z.erweiterung, bytes) != 0;
    if (erfolgreich && z.erweiterung != nullptr) z.geschrieben.Aufnehmen(cnv->Ausgabename());
    if (erfolgreich) {
        if (z.tracking != 0) z.trackingname = Trackingname(cnv->Ausgabename());
        erfolgreich = cnv->Quelle_OK() != 0;
        // A mark of another encoding than the script names is only reported.
        if (erfolgreich) ipr.Skript_Kodierung_pruefen(cnv->Quellpfad());
        if (erfolgreich && ipr.warning_level == WARNINGS_ALL && ipr.reader_encoding == ENC_ISO_8859_1)
            erfolgreich = cnv->CheckDecCodesASCII() != 0;
        if (erfolgreich) erfolgreich = cnv->Quelle_Read() != 0;
        // Under a script every file is converted; a check run has no
        // output open, so the conversion writes nothing.
        if (erfolgreich && ipr.Bereit() != 0) erfolgreich = cnv->Quelle_Convert() != 0;
    }
    // Closes the file's own output; a failed file never replaces its input.
    if (cnv->AusgabeAbschluss(erfolgreich) == 0) erfolgreich = false;

    ++z.bilanz.verarbeitet;
    if (erfolgreich) {
        Zeige(z, L"O.K.\n");
        if (z.tracking != 0 && !z.global)
            Tracking_Bericht(ipr, z.tracking, cnv->Quellpfad(), ipr.skript.dateiname, cnv->Ausgabename(),
                             z.trackingname, z.schutz);
        z.bilanz.bytes += static_cast<std::int64_t>(cnv->Quelllaenge());
    } else {
        ++z.bilanz.fehlerhaft;
        Konsole_Text(L"FEHLER: Es ist ein Fehler aufgetreten.\n");
    }
    cnv.reset();
    Namenstabelle().Zuruecksetzen(namensmarke);
}

// Whether the files may run side by side: no file may write what another
// file reads or writes, or the order of the list would decide what stands
// there at the end. A global output, and the reports of a check run (all
// named "_track.html"), are shared by every file.
bool Parallel_moeglich(VERZLINUX& suche, const Lauf_Zustand& z) {
    if (z.global) return false;
    if (z.erweiterung == nullptr) return z.tracking == 0;
    std::unordered_map<std::wstring, std::int64_t> namen;  // name -> the file that owns it
    wchar_t datei[DATEINAME_MAX];
    for (std::int64_t i = 1; i <= suche.Anzahl(); ++i)
        if (suche.RegisterRead(i, datei)) namen.emplace(datei, i);
    auto beanspruchen = [&namen](const std::wstring& name, std::int64_t i) {
        auto [stelle, neu] = namen.emplace(name, i);
        return neu || stelle->second == i;
    };
    for (std::int64_t i = 1; i <= suche.Anzahl(); ++i) {
        std::wstring ausgabe;
        if (!suche.RegisterRead(i, datei) || !MakeLokalName(ausgabe, datei, z.erweiterung)) continue;
        if (!beanspruchen(ausgabe, i)) return false;
        if (z.tracking != 0 && !beanspruchen(Trackingname(ausgabe.c_str()), i)) return false;
    }
    return true;
}

// A global output that is itself one of the input files (the result of an
// earlier run that the pattern matches again) is written beside it and
// replaces it only at the end of a run in which no file failed.
void Globale_Eingabe_schuetzen(IPR& ipr, VERZLINUX& suche, const Lauf_Zustand& z) {
    std::wstring ziel;
    struct stat st_ziel;
    if (!MakeGlobalName(ziel, suche.Startverzeichnis(), z.globalname) ||
        stat(BreitZuSchmal(ziel.c_str()).c_str(), &st_ziel) != 0)
        return;
    wchar_t datei[DATEINAME_MAX];
    for (std::int64_t i = 1; i <= suche.Anzahl(); ++i) {
        struct stat st;
        if (suche.RegisterRead(i, datei) && stat(BreitZuSchmal(datei).c_str(), &st) == 0 &&
            st.st_dev == st_ziel.st_dev && st.st_ino == st_ziel.st_ino) {
            ipr.out.OUT_Eingabe_schuetzen(datei);
            return;
        }
    }
}

// The script is read once, before the files: a global output in its place
// would destroy it. Such an output is not opened (the message says why).
bool Globale_Ausgabe_ist_Skript(const IPR& ipr, VERZLINUX& suche, const Lauf_Zustand& z) {
    std::wstring ziel;
    if (!z.hat_skript || !MakeGlobalName(ziel, suche.Startverzeichnis(), z.globalname)) return false;
    Trackingschutz skript;
    skript.Aufnehmen(ipr.skript.dateiname);
    if (!skript.Geschuetzt(ziel.c_str())) return false;
    Konsole_Print(L"FEHLER: (Ausgabe) Die Ausgabedatei '%ls' ist das Skript dieses Laufs und wird nicht "
                  L"überschrieben.\n",
                  ziel.c_str());
    return true;
}

// Closes the global output; one that stands in for an input replaces it
// only when every file succeeded.
void Globale_Ausgabe_schliessen(IPR& ipr, const Lauf_Zustand& z) {
    if (!ipr.out.OUT_ersetzt_Eingabe()) {
        ipr.out.OUT_Close();
        return;
    }
    const bool erfolgreich = z.bilanz.fehlerhaft == 0 && !z.bilanz.ausgabefehler;
    if (ipr.out.OUT_Abschluss(erfolgreich) == 0 || !erfolgreich)
        Konsole_Print(L"Hinweis: Die Eingabedatei '%ls' wurde wegen eines Fehlers nicht überschrieben.\n",
                      ipr.out.ausgabename);
}

}  // namespace

int Lauf(int argc, char const** argv) {
    Locale_Start();
    auto ipr = std::make_unique<IPR>();
    auto z = std::make_unique<Lauf_Zustand>();
    PARA para(argc, argv);
    if (para.Fehler() != 0) {
        Konsole_Text(L"FEHLER: Die Parameter der Kommandozeile konnten nicht gelesen werden.\n");
        return EXIT_KOMMANDOZEILE;
    }
    HILF hilf;

    z->hilfe = para.LeseSchalter(L"-h");
    if (z->hilfe) {
        hilf.Version();
        hilf.Copyright();
    } else if (int rc = Parameter_Lesen(para, hilf, *z); rc != WEITER) {
        return rc;
    }
    if (para.AnzahlParameter() == 0) {
        hilf.Copyrighthinweis();
        hilf.Hilfehinweise();
        return EXIT_OHNE_PARAMETER;
    }
    if (z->hilfe) {
        hilf.Parameter();
        return EXIT_HILFE;
    }
    Parameter_Zeigen(*z);

    if (z->sprache[0] != L'\0') LANG sprache(z->sprache);
    if (z->hat_skript) {
        if (!ipr->Skript_Init(z->skript, z->debug, z->web, !z->quiet, z->tracking)) return EXIT_SKRIPT;
    } else if (z->hat_ausgabe) {
        Konsole_Text(L"FEHLER: Es wurde eine Ausgabe definiert, aber keine Skriptdatei angegeben.\n");
        Konsole_Text(L"\n");
        return EXIT_OHNE_SKRIPT;
    }
    ipr->dcl.validieren = z->validieren ? 1 : 0;
    if (!z->quiet) {
        if (ipr->dcl.xml)
            Konsole_Text(L"- Syntax: XML\n");
        else if (ipr->dcl.html)
            Konsole_Text(L"- Syntax: HTML\n");
        else
            Konsole_Text(L"- Syntax: SGML\n");
    }
    if (int rc = Eingabe_Einordnen(*z); rc != WEITER) return rc;
    if (int rc = Ausgabe_Einordnen(*z); rc != WEITER) return rc;

    Zeige(*z, L"\n");
    VERZLINUX suche(z->eingabe, z->rekursiv, z->sortiert);
    if (suche.Fehler() != 0) return EXIT_SUCHE;

    if (z->global) {
        ipr->global_output = true;
        Globale_Eingabe_schuetzen(*ipr, suche, *z);
        // A failed open has printed its message; the run goes on, but its
        // files cannot count as written.
        if (Globale_Ausgabe_ist_Skript(*ipr, suche, *z) ||
            ipr->out.OUT_Open(z->eingabe, suche.Startverzeichnis(), z->globalname, nullptr,
                              ipr->basic.Find_WriterEncoding(), true) == 0)
            z->bilanz.ausgabefehler = true;
        if (z->tracking != 0) Tracking_Globalbeginn(*ipr);
    }
    if (z->tracking != 0) Trackingschutz_Aufbauen(z->schutz, suche, z->erweiterung, *ipr);
    if (z->erweiterung != nullptr) Ausgabeschutz_Aufbauen(z->eingaben, suche, *ipr);
    if (z->prozesse > 1 && suche.Anzahl() > 1 && Parallel_moeglich(suche, *z)) {
        // A worker counts its one file from zero; the parent adds it up.
        auto datei_auftrag = [&](std::int64_t i) {
            const Lauf_Bilanz gesamt = z->bilanz;
            z->bilanz = Lauf_Bilanz{};
            wchar_t datei[DATEINAME_MAX];
            if (suche.RegisterRead(i, datei)) Datei_Bearbeiten(*ipr, *z, datei);
            const Lauf_Bilanz diese = z->bilanz;
            z->bilanz = gesamt;
            return diese;
        };
        Parallel_Bearbeiten(suche.Anzahl(), z->prozesse, z->bilanz, datei_auftrag);
    } else {
        wchar_t datei[DATEINAME_MAX];
        for (std::int64_t i = 1; i <= suche.Anzahl(); ++i) {
            if (suche.RegisterRead(i, datei)) Datei_Bearbeiten(*ipr, *z, datei);
        }
    }

    // One report for all files of a global output, named after it.
    if (z->tracking != 0 && z->global && !z->trackingname.empty())
        Tracking_Bericht(*ipr, z->tracking, z->eingabe, ipr->skript.dateiname, ipr->out.ausgabename,
                         z->trackingname, z->schutz);
    Globale_Ausgabe_schliessen(*ipr, *z);
    // Every file of the run went into the global output: when it cannot be
    // completed (the writer has said why), none of them is safely written.
    if (z->global && ipr->out.OUT_Schreibfehler()) z->bilanz.ausgabefehler = true;
    Zeige(*z, L"\n");
    return Lauf_Zusammenfassung(z->bilanz, z->hat_ausgabe, z->quiet);
}

int Lauf_Zusammenfassung(const Lauf_Bilanz& bilanz, bool konvertieren, bool quiet) {
    using ll = long long;
    const ll n = bilanz.verarbeitet, b = bilanz.bytes;
    // A broken global output holds every file's result.
    const ll f = bilanz.ausgabefehler ? n : bilanz.fehlerhaft;
    if (f == 0 && !bilanz.ausgabefehler) {
        if (quiet) return EXIT_OK;
        if (!konvertieren && n == 1)
            Konsole_Print(L"Insgesamt wurde %lld Datei geprüft.\n", n);
        else if (!konvertieren)
            Konsole_Print(L"Insgesamt wurden %lld Dateien geprüft.\n", n);
        else if (n == 1)
            Konsole_Print(L"Insgesamt wurden %lld Bytes in %lld Datei verarbeitet.\n", b, n);
        else
            Konsole_Print(L"Insgesamt wurden %lld Bytes in %lld Dateien verarbeitet.\n", b, n);
        return EXIT_OK;
    }
    if (!konvertieren) {
        if (f >= 2)
            Konsole_Print(L"FEHLER: Insgesamt wurden %lld Dateien geprüft, wovon %lld Dateien fehlerhaft sind.\n", n, f);
        else if (n == 1)
            Konsole_Print(L"FEHLER: Insgesamt wurde %lld Datei geprüft, wovon %lld Datei fehlerhaft ist.\n", n, f);
        else
            Konsole_Print(L"FEHLER: Insgesamt wurden %lld Dateien geprüft, wovon %lld Datei fehlerhaft ist.\n", n, f);
    } else if (n == 1) {
        Konsole_Print(L"FEHLER: Insgesamt wurden %lld Bytes in %lld Datei fehlerhaft verarbeitet.\n", b, n);
    } else if (f == 1) {
        Konsole_Print(L"FEHLER: Insgesamt wurden %lld Bytes in %lld Dateien verabeitet, wovon  %lld Datei fehlerhaft "
                      L"ist.\n",
                      b, n, f);
    } else {
        Konsole_Print(L"FEHLER: Insgesamt wurden %lld Bytes in %lld Dateien verabeitet, wovon  %lld Dateien "
                      L"fehlerhaft sind.\n",
                      b, n, f);
    }
    return EXIT_DATEIFEHLER;
}
