#include "driver/HILF.h"

#include "base/Konsole.h"

#if defined(__aarch64__)
#define TESSAR_PROZESSOR L"ARM.64"
#else
#define TESSAR_PROZESSOR L"Intel.64"
#endif

namespace {

void Zeilen(const wchar_t* const* zeilen) {
    for (; *zeilen != nullptr; ++zeilen) Konsole_Text(*zeilen);
}

void Rechte() {
    Konsole_Text(L"Copyright (c) 2025 Tessaron\n");
    Konsole_Text(L"Alle Rechte vorbehalten.\n");
}

}  // namespace

void HILF::Version() const {
    if (modus != 0) return;
    Konsole_Text(L"Tessaron, Version 6.0.2 (05.08.2025)\n");
    Konsole_Text(L"Build ");
    Konsole_Text(L"Linux.");
    Konsole_Text(TESSAR_PROZESSOR);
    Konsole_Print(L"-GCC.%d.%d.%d", __GNUC__, __GNUC_MINOR__, __GNUC_PATCHLEVEL__);
    Konsole_Text(L"-");
    Konsole_Text(L"UTF32");
    Konsole_Text(L"\n");
    Konsole_Text(L"\n");
}

void HILF::Copyright() const {
    if (modus != 0) return;
    Rechte();
    Konsole_Text(L"\n");
}

void HILF::Copyrighthinweis() const {
    if (modus != 0) return;
    Rechte();
    Konsole_Text(L"\n");
    Konsole_Text(L"Die Nutzung dieses Programms ist kostenlos.\n");
    Konsole_Text(L"Es gelten die Nutzungsbedingungen, die dem Programm beiliegen.\n");
    Konsole_Text(L"\n");
}

void HILF::Hilfehinweise() const {
    Konsole_Text(L"Hilfe:\n");
    Konsole_Text(L"  tessar -h\n");
    Konsole_Text(L"\n");
}

void HILF::Parameter() const {
    if (modus != 0) return;
    static const wchar_t* const text[] = {
        L"Kommandozeilenaufruf:\n",
        L"\n",
        L"tessar",
        L" eingabe skript ausgabe -s -w -q -o -v -l",
        L" -track -trackautostart",
        L"\n",
        L"\n",
        L"eingabe  Eingabedateiname oder Dateispezifikation der zu konvertierenden\n",
        L"         Datei oder Dateien. Es dürfen Platzhalterzeichen ('*' und '?') \n",
        L"         in der Dateispezifikation eingegeben werden. Bei der Eingabe von\n",
        L"         Platzhalterzeichen werden alle Dateien, die dem Suchmuster\n",
        L"         entsprechen, konvertiert.\n",
        L"skript   Projektname. Es genügt der Skriptname ohne Erweiterung\n",
        L"         (z.B.'html'). Die Standarderweiterung ist 'xb'.\n",
        L"ausgabe  Ausgabedateiname oder Dateierweiterung der Ergebnisdateien.\n",
        L"         Bei Angabe nur einer Dateierweiterung, wird für jede Eingabedatei\n",
        L"         eine Ausgabedatei mit dieser Erweiterung erzeugt.\n",
        L"         Bei Angabe eines Dateinamens, wird eine einzige Ausgabedatei\n",
        L"         erzeugt, unabhängig davon, ob eine einzelne Eingabedatei\n",
        L"         angegeben wurde oder eine Dateispezifikation zur Bearbeitung\n",
        L"         mehrerer Eingabedateien.\n",
        L"         Ohne diesen Parameter werden die Eingabedaten nur geprüft.\n",
        L"-s  schaltet die Dateisuche in Unterverzeichnissen ein\n",
        L"-w  Webausgabe, aktiviert Fehlermeldungen direkt in der Ausgabe\n",
        L"-q  stiller Modus, minimale Konsolenausgabe (bei Erfolg keine Ausgabe)\n",
        L"-o  schaltet die Sortierung der gefunden Dateien ein\n",
        L"-v  prüft XML-Dokumente gegen ihr DTD (Validierung); das externe DTD wird gelesen\n",
        L"-l  Spracheinstellung für die Sortierung:\n",
        L"      g = deutsch (-lg)\n",
        L"      e = englisch (-le\n",
        L"      f = französisch (-lf)\n",
        L"-track  Tracking, aktiviert die Ausgabe einer Trackingdatei zur Fehleranaylse.\n",
        L"-trackautostart   wie -track, aber mit Autostart der Trackingdatei.\n",
        L"\n",
        nullptr,
    };
    Zeilen(text);
}
