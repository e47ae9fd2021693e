// The run of one command line: parameters, initialisation, classification
// of input and output, the directory search, the loop over the files and
// the summary with its exit code.
#include "driver/Lauf.h"

#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "convert/CNV.h"
#include "base/Dateinamen.h"
#include "driver/Dateiliste.h"
#include "driver/HILF.h"
#include "base/LANG.h"
#include "driver/PARA.h"
#include "driver/Parallellauf.h"
#include "driver/Teilung.h"
#include "driver/Trackingbericht.h"
#include "driver/VERZLINUX.h"
#include "base/Zeichenwandlung.h"
#include "script/IPR.h"
#include "base/Konsole.h"
#include "base/NAMEN.h"
#include "textio/BUF.h"
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
    EXIT_NICHT_GEFUNDEN = 9,
    EXIT_AUSGABENAME = 10,
    EXIT_ERWEITERUNG = 11,
    EXIT_DATEIFEHLER = 12,
    EXIT_SUCHE = 13,
};
constexpr int WEITER = -1;  // no exit yet: the run goes on

constexpr unsigned long SPRACHE_MAX = 41;

// Why a per-file output is not written.
struct Verweigerung {
    std::wstring ausgabe;
    bool vergeben = false;  // an earlier file writes it; else it is an input or the script
};

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
    bool geteilt = false;  // -shard=K/N given
    Teilung teilung;
    wchar_t sprache[SPRACHE_MAX] = {};
    wchar_t eingabe[DATEINAME_MAX] = {};
    wchar_t skript[DATEINAME_MAX] = {};
    wchar_t ausgabe[DATEINAME_MAX] = {};
    bool hat_skript = false;
    bool hat_ausgabe = false;
    bool standardeingabe = false;  // the input is "-"
    bool standardausgabe = false;  // the output is "-"
    bool liste = false;            // the input is "@liste"
    bool hat_name = false;         // -name=: what "-" stands for, made absolute
    std::wstring name;
    bool global = false;
    bool global_fehlt = false;  // the global output could not be opened
    const wchar_t* erweiterung = nullptr;  // one output per input file
    const wchar_t* globalname = nullptr;   // one output for all files
    std::wstring trackingname;  // the report's name, built per file
    Trackingschutz schutz;      // what a report must not overwrite
    Trackingschutz eingaben;    // the inputs and the script
    std::unordered_map<std::wstring, Verweigerung> verweigert;  // input -> its refused output
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
    std::wstring teilung;
    z.geteilt = para.LeseSchalterWert(L"-shard=", teilung);
    z.hat_name = para.LeseSchalterWert(L"-name=", z.name);

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
    z.standardeingabe = std::wcscmp(z.eingabe, L"-") == 0;
    z.standardausgabe = z.hat_ausgabe && std::wcscmp(z.ausgabe, L"-") == 0;
    z.liste = z.eingabe[0] == L'@';

    wchar_t rest[DATEINAME_MAX];
    if (para.FalscheParameter(rest, DATEINAME_MAX)) {
        Konsole_Print(L"FEHLER: Unbekannter Parameter in der Kommandozeile: '%ls'\n", rest);
        return EXIT_UNBEKANNT;
    }
    if (z.geteilt && !Teilung_Lesen(teilung, z.teilung)) {
        Konsole_Print(L"FEHLER: Die Angabe '-shard=%ls' ist ungültig: erwartet wird -shard=K/N mit ganzen Zahlen "
                      L"1 ≤ K ≤ N ≤ %lld.\n",
                      teilung.c_str(), static_cast<long long>(TEILUNG_MAX));
        return EXIT_UNBEKANNT;
    }
    return WEITER;
}

// A bare extension as output (one output per input), rather than a file name.
bool Ist_Erweiterung(const wchar_t* ausgabe) {
    Pfadteile teile = PfadZerlegen(ausgabe);
    return teile.name.empty() || teile.erweiterung.empty();
}

// What "-" and -name= cannot do; each is refused before anything is read.
int Parameter_Pruefen(Lauf_Zustand& z) {
    const wchar_t* fehler = nullptr;
    std::wstring voll;
    if (z.hat_skript && std::wcscmp(z.skript, L"-") == 0) {
        fehler = L"FEHLER: Das Skript kann nicht von der Standardeingabe ('-') gelesen werden.\n";
    } else if (z.hat_name && !z.standardeingabe && !z.standardausgabe) {
        fehler = L"FEHLER: Der Schalter -name= benennt die Standardeingabe oder Standardausgabe ('-'), aber weder "
                 L"Eingabe noch Ausgabe ist '-'.\n";
    } else if (z.hat_name && (z.name.empty() || !VollerPfad(voll, z.name.c_str()))) {
        Konsole_Print(L"FEHLER: Der Schalter -name= braucht einen Dateinamen mit höchstens %zu Zeichen (zum Beispiel "
                      L"-name=brief.xml): '%ls'\n",
                      DATEINAME_MAX - 1, z.name.c_str());
        return EXIT_UNBEKANNT;
    } else if (z.standardausgabe && z.tracking != 0 && !z.hat_name) {
        fehler = L"FEHLER: Der Trackingbericht zur Standardausgabe ('-') braucht einen Namen: bitte mit -name= "
                 L"angeben.\n";
    } else if (z.standardeingabe && !z.hat_name && z.hat_ausgabe && !z.standardausgabe &&
               Ist_Erweiterung(z.ausgabe)) {
        Konsole_Print(L"FEHLER: Die Standardeingabe ('-') hat keinen Dateinamen, aus dem eine Ausgabedatei mit der "
                      L"Erweiterung '%ls' gebildet werden kann: bitte einen Namen mit -name= angeben oder '-' als "
                      L"Ausgabe.\n",
                      z.ausgabe);
        return EXIT_UNBEKANNT;
    } else if (z.teilung.n > 1 && z.hat_ausgabe && !z.standardausgabe && !Ist_Erweiterung(z.ausgabe)) {
        Konsole_Print(L"FEHLER: Die globale Ausgabedatei '%ls' nimmt alle Dateien auf und kann nicht mit -shard auf "
                      L"mehrere Läufe verteilt werden.\n",
                      z.ausgabe);
        return EXIT_UNBEKANNT;
    }
    if (fehler != nullptr) {
        Konsole_Text(fehler);
        return EXIT_UNBEKANNT;
    }
    if (z.hat_name) z.name = voll;
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
    if (z.geteilt)
        Konsole_Print(L"- Teil %lld von %lld\n", static_cast<long long>(z.teilung.k),
                      static_cast<long long>(z.teilung.n));
    Konsole_Text(L"\n");
    Konsole_Text(L"Initialisierung:\n");
}

// One file or a pattern: wildcards count only in the name part.
int Eingabe_Einordnen(const Lauf_Zustand& z) {
    if (z.standardeingabe) return WEITER;
    if (z.liste) {
        Zeige(z, L"- Batchkonvertierung aktiviert.\n");
        return WEITER;
    }
    Pfadteile teile = PfadZerlegen(z.eingabe);
    if (teile.name.empty()) {
        Konsole_Print(L"FEHLER: Der Dateiname ist ungültig (%ls).\n", z.eingabe);
    } else if (HatPlatzhalter(teile.name)) {
        Zeige(z, L"- Batchkonvertierung aktiviert.\n");
        return CheckEingabemuster(z.eingabe) ? WEITER : EXIT_MUSTER;
    }
    return CheckEingabedateiname(z.eingabe) ? WEITER : EXIT_EINGABE;
}

// A named input (no pattern characters) that names no file fails the run:
// only a pattern may match nothing.
int Eingabe_vorhanden(const Lauf_Zustand& z) {
    // Standard input and a list are no file names; a list's names are
    // looked for one by one.
    if (z.standardeingabe || z.liste || std::wcspbrk(z.eingabe, L"*?[") != nullptr) return WEITER;
    struct stat st;
    if (stat(BreitZuSchmal(z.eingabe).c_str(), &st) == 0 || (errno != ENOENT && errno != ENOTDIR)) return WEITER;
    Konsole_Print(L"FEHLER: Die Eingabedatei '%ls' wurde nicht gefunden.\n", z.eingabe);
    return EXIT_NICHT_GEFUNDEN;
}

// No output (check only), a bare extension, or one global output file.
int Ausgabe_Einordnen(Lauf_Zustand& z) {
    if (!z.hat_ausgabe) return WEITER;
    if (z.standardausgabe) {
        // One output for all files, as a global output file is.
        Zeige(z, L"- Ausgabe in die Standardausgabe aktiviert.\n");
        z.globalname = z.ausgabe;
        z.global = true;
        return WEITER;
    }
    if (Ist_Erweiterung(z.ausgabe)) {
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

using Teilpruefung = std::function<bool(const std::wstring&)>;

// Whether a file of the whole list belongs to this run's part of it.
Teilpruefung Teil_von(const VERZLINUX& suche, const Lauf_Zustand& z) {
    if (z.teilung.n == 1) return [](const std::wstring&) { return true; };
    return [basis = suche.Basisverzeichnis(), teilung = z.teilung](const std::wstring& pfad) {
        return Teilung_Teil(Teilung_Relativ(pfad, basis), teilung.n) == teilung.k;
    };
}

// A per-file output replaces its own input safely, but it must not take the
// place of another input of the run, of the script, or of the output of an
// earlier file of the list. Which outputs are refused is decided once for the
// whole list, in its order, so that a file's fate never depends on which
// files the run has already done (or, under -shard, on which run does them).
// Only files whose output name another file shares can take a name from each
// other; of the rest, only the files of this part need looking at, so that a
// part asks the file system about its own files only.
void Ausgaben_Zuteilen(VERZLINUX& suche, Lauf_Zustand& z, const Teilpruefung& im_teil) {
    const std::hash<std::wstring> streuwert;
    std::unordered_map<std::size_t, std::int64_t> anzahl;  // files by the hash of their output name
    wchar_t datei[DATEINAME_MAX];
    std::wstring ausgabe;
    for (std::int64_t i = 1; i <= suche.Anzahl(); ++i)
        if (suche.RegisterRead(i, datei) && MakeLokalName(ausgabe, datei, z.erweiterung)) ++anzahl[streuwert(ausgabe)];
    std::unordered_set<std::wstring> vergeben;
    for (std::int64_t i = 1; i <= suche.Anzahl(); ++i) {
        if (!suche.RegisterRead(i, datei) || !MakeLokalName(ausgabe, datei, z.erweiterung)) continue;
        if (anzahl[streuwert(ausgabe)] == 1 && !im_teil(datei)) continue;
        Trackingschutz eigene;
        eigene.Aufnehmen(datei);
        if (!eigene.Geschuetzt(ausgabe.c_str())) {
            if (vergeben.count(ausgabe) != 0) {
                z.verweigert[datei] = Verweigerung{ausgabe, true};
                continue;
            }
            if (z.eingaben.Geschuetzt(ausgabe.c_str())) {
                z.verweigert[datei] = Verweigerung{ausgabe, false};
                continue;
            }
        }
        vergeben.insert(ausgabe);
    }
}

// False, with the message, for a file whose output is refused: the file
// then fails and nothing is lost.
bool Ausgabe_frei(const Lauf_Zustand& z, const wchar_t* datei) {
    const auto stelle = z.verweigert.find(datei);
    if (stelle == z.verweigert.end()) return true;
    if (stelle->second.vergeben)
        Konsole_Print(L"FEHLER: (Ausgabe) Die Ausgabedatei '%ls' wurde in diesem Lauf schon geschrieben und wird "
                      L"nicht überschrieben.\n",
                      stelle->second.ausgabe.c_str());
    else
        Konsole_Print(L"FEHLER: (Ausgabe) Die Ausgabedatei '%ls' ist eine Eingabedatei oder das Skript dieses "
                      L"Laufs und wird nicht überschrieben.\n",
                      stelle->second.ausgabe.c_str());
    return false;
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
    const long long fehlerzeilen = Konsole_Fehlerzeilen();
    std::unique_ptr<CNV> cnv = z.tracking != 0 ? std::make_unique<CNVTRACK>() : std::make_unique<CNV>();
    if (z.tracking != 0 && !z.quiet && !z.global) Konsole_Text(L"- Tracking aktiviert.\n");
    cnv->Interpreter_Initialisierung(&ipr);
    if (z.tracking != 0) Tracking_Dateibeginn(ipr, z.global);

    const bool bytes = ipr.Einzelbytes();
    // An input that cannot be read fails like any other faulty file, so
    // that a run never ends in success without having read it.
    bool erfolgreich = cnv->AusgabeOpen(datei, z.globalname, z.erweiterung, bytes) != 0;
    if (erfolgreich) {
        // A report of the standard output is named after -name=.
        if (z.tracking != 0) z.trackingname = Trackingname(z.standardausgabe ? z.name.c_str() : cnv->Ausgabename());
        erfolgreich = cnv->Quelle_OK() != 0;
        // A mark of another encoding than the script names is only reported.
        // A web page's mark outranks the script's READERENCODING, as in browsers.
        if (erfolgreich && !ipr.dcl.html5) ipr.Skript_Kodierung_pruefen(cnv->Quellpfad());
        if (erfolgreich && !ipr.dcl.html5 && ipr.warning_level == WARNINGS_ALL &&
            ipr.reader_encoding == ENC_ISO_8859_1)
            erfolgreich = cnv->CheckDecCodesASCII() != 0;
        if (erfolgreich) erfolgreich = cnv->Quelle_Read() != 0;
        // Under a script every file is converted; a check run has no
        // output open, so the conversion writes nothing.
        if (erfolgreich && ipr.Bereit() != 0) erfolgreich = cnv->Quelle_Convert() != 0;
    }
    // An error line printed while the file was read or converted fails it,
    // also where the conversion went on; without its global output no file
    // is written.
    if (Konsole_Fehlerzeilen() != fehlerzeilen || z.global_fehlt) erfolgreich = false;
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

// The files of the run: standard input as one file, the names of a list,
// or what the directory search finds for a name or a pattern.
int Dateien_Finden(Lauf_Zustand& z, std::unique_ptr<VERZLINUX>& suche, std::vector<Listendoppel>& doppelte) {
    if (z.standardeingabe) {
        // Positions in messages name the file as -name= gives it.
        const std::wstring name = z.hat_name ? z.name : L"-";
        BUF::Standardeingabe(name.c_str());
        suche = std::make_unique<VERZLINUX>(std::vector<std::wstring>{name});
    } else if (z.liste) {
        std::vector<std::wstring> dateien;
        if (!Dateiliste_Lesen(z.eingabe + 1, dateien, doppelte)) return EXIT_SUCHE;
        if (dateien.empty()) Konsole_Print(L"Keine Datei(en) '%ls' gefunden\n", z.eingabe);
        suche = std::make_unique<VERZLINUX>(std::move(dateien));
    } else {
        suche = std::make_unique<VERZLINUX>(z.eingabe, z.rekursiv, z.sortiert);
    }
    return suche->Fehler() != 0 ? EXIT_SUCHE : WEITER;
}

// Opens the one output of the run: a file, or standard output. A failed
// open has printed its message; the run goes on, but its files cannot count
// as written.
void Globale_Ausgabe_Oeffnen(IPR& ipr, VERZLINUX& suche, Lauf_Zustand& z) {
    ipr.global_output = true;
    // A failed open has printed its message; the run goes on, but its
    // files cannot count as written.
    if (z.standardausgabe) {
        // A reader that goes away must end the run with a message, not kill it.
        signal(SIGPIPE, SIG_IGN);
        if (ipr.out.OUT_Open_Standardausgabe(ipr.writer_encoding, ipr.basic.mit_bom, ipr.writer_kodierung) == 0)
            z.bilanz.ausgabefehler = z.global_fehlt = true;
    } else {
        Globale_Eingabe_schuetzen(ipr, suche, z);
        if (Globale_Ausgabe_ist_Skript(ipr, suche, z) ||
            ipr.out.OUT_Open(z.eingabe, suche.Startverzeichnis(), z.globalname, nullptr, ipr.writer_encoding,
                             ipr.basic.mit_bom, ipr.writer_kodierung) == 0)
            z.bilanz.ausgabefehler = z.global_fehlt = true;
    }
    if (z.tracking != 0) Tracking_Globalbeginn(ipr);
}

// Under -shard=K/N keeps the files of part K (after everything that depends
// on the whole list is built), and notes the doubles of a list among them.
void Teil_Waehlen(VERZLINUX& suche, const Lauf_Zustand& z, const std::vector<Listendoppel>& doppelte,
                  const Teilpruefung& im_teil) {
    if (z.teilung.n > 1) suche.RegisterBehalten(im_teil);
    if (z.quiet) return;
    for (const Listendoppel& doppel : doppelte)
        if (im_teil(doppel.pfad))
            Konsole_Print(L"Hinweis: Die Datei '%ls' steht mehrfach in der Dateiliste (Zeile %lld) und wird nur "
                          L"einmal bearbeitet.\n",
                          doppel.pfad.c_str(), doppel.zeile);
}

// The file loop, in worker processes where the files allow it. A standard
// output whose reader has gone ends it: nothing more can arrive.
void Dateien_Bearbeiten(IPR& ipr, VERZLINUX& suche, Lauf_Zustand& z) {
    if (z.prozesse > 1 && suche.Anzahl() > 1 && Parallel_moeglich(suche, z)) {
        // A worker counts its one file from zero; the parent adds it up.
        auto datei_auftrag = [&](std::int64_t i) {
            const Lauf_Bilanz gesamt = z.bilanz;
            z.bilanz = Lauf_Bilanz{};
            wchar_t datei[DATEINAME_MAX];
            if (suche.RegisterRead(i, datei)) Datei_Bearbeiten(ipr, z, datei);
            const Lauf_Bilanz diese = z.bilanz;
            z.bilanz = gesamt;
            return diese;
        };
        Parallel_Bearbeiten(suche.Anzahl(), z.prozesse, z.bilanz, datei_auftrag);
        return;
    }
    wchar_t datei[DATEINAME_MAX];
    for (std::int64_t i = 1; i <= suche.Anzahl(); ++i) {
        if (suche.RegisterRead(i, datei)) Datei_Bearbeiten(ipr, z, datei);
        if (z.standardausgabe && ipr.out.OUT_Schreibfehler() && i < suche.Anzahl()) {
            Konsole_Print(L"FEHLER: (Ausgabe) Die Standardausgabe ist geschlossen, %lld weitere Dateien werden nicht "
                          L"bearbeitet.\n",
                          static_cast<long long>(suche.Anzahl() - i));
            return;
        }
    }
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

    // Where the console goes is known once the output parameter is read.
    Konsole_Halten();
    int rc = WEITER;
    z->hilfe = para.LeseSchalter(L"-h");
    if (z->hilfe) {
        hilf.Version();
        hilf.Copyright();
    } else {
        rc = Parameter_Lesen(para, hilf, *z);
        if (rc == WEITER) rc = Parameter_Pruefen(*z);
    }
    Konsole_Strom(z->standardausgabe);
    if (rc != WEITER) return rc;
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
        else if (ipr->dcl.html5)
            Konsole_Text(L"- Syntax: HTML5\n");
        else
            Konsole_Text(L"- Syntax: SGML\n");
    }
    if (int rc = Eingabe_Einordnen(*z); rc != WEITER) return rc;
    if (int rc = Ausgabe_Einordnen(*z); rc != WEITER) return rc;
    if (int rc = Eingabe_vorhanden(*z); rc != WEITER) return rc;

    Zeige(*z, L"\n");
    std::unique_ptr<VERZLINUX> suche;
    std::vector<Listendoppel> doppelte;
    if (int rc = Dateien_Finden(*z, suche, doppelte); rc != WEITER) return rc;

    if (z->global) Globale_Ausgabe_Oeffnen(*ipr, *suche, *z);
    if (z->tracking != 0) Trackingschutz_Aufbauen(z->schutz, *suche, z->erweiterung, *ipr);
    const Teilpruefung im_teil = Teil_von(*suche, *z);
    if (z->erweiterung != nullptr) {
        Ausgabeschutz_Aufbauen(z->eingaben, *suche, *ipr);
        Ausgaben_Zuteilen(*suche, *z, im_teil);
    }
    Teil_Waehlen(*suche, *z, doppelte, im_teil);
    Dateien_Bearbeiten(*ipr, *suche, *z);

    // One report for all files of a global output, named after it.
    if (z->tracking != 0 && z->global && !z->trackingname.empty())
        Tracking_Bericht(*ipr, z->tracking, z->eingabe, ipr->skript.dateiname,
                         z->standardausgabe ? z->name.c_str() : ipr->out.ausgabename, z->trackingname, z->schutz);
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
