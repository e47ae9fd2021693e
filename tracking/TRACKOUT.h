#pragma once
// TRACKOUT: writes one tracking report. It copies a template and puts the
// recorded texts (actions, source, script, target, the three file names and
// the autostart value) between the template's placeholder markers; the
// markers themselves stay, so a report is again a valid template.
#include "textio/OUT.h"
#include "base/TRACK.h"

class TRACKOUT {
public:
    TRACKOUT();
    ~TRACKOUT();
    TRACKOUT(const TRACKOUT&) = delete;
    TRACKOUT& operator=(const TRACKOUT&) = delete;

    // Each puts the record into its slot and ends its text with a 0.
    int Lade_Track_Quelle(TRACK* t);
    int Lade_Track_Skript(TRACK* t);
    int Lade_Track_Ziel(TRACK* t);
    int Lade_Name_Quelle(TRACK* t);
    int Lade_Name_Skript(TRACK* t);
    int Lade_Name_Ziel(TRACK* t);
    int Lade_Track_Aktionen(TRACK* t);
    int Lade_Track_Autostart(TRACK* t);
    // The template: a zero-terminated text that outlives the writing.
    int Lade_Vorlage(const wchar_t* vorlage);

    // Writes the report in UTF-8 under the name (a relative name lies below
    // a directory "*", so only an absolute one can be created). 1 when the
    // report was written; a report that cannot be created has said why.
    int Schreibe_Ausgabedatei(const wchar_t* name);

private:
    int laden(TRACK** slot, TRACK* t);
    void platzhalter_ersetzen(int nr);

    OUT ausgabe;
    TRACK leer;
    TRACK* quelle = &leer;
    TRACK* skript = &leer;
    TRACK* ziel = &leer;
    TRACK* name_quelle = &leer;
    TRACK* name_skript = &leer;
    TRACK* name_ziel = &leer;
    TRACK* aktionen = &leer;
    TRACK* autostart = &leer;
    const wchar_t* vorlage = nullptr;
};
