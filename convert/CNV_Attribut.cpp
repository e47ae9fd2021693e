// Attribute and content conditions, FIND and the search it shares with COPY, CUT, DEL.
#include "convert/CNV.h"
#include "textio/Konsole.h"

namespace {
// Placeholder until this area is built: reports and fails.
int Noch_nicht_gebaut(const wchar_t* was) {
    Konsole_Print(L"FEHLER: (Intern) '%ls' ist in dieser Version noch nicht verfügbar.\n", was);
    return 0;
}
}  // namespace

int CNV::Check_attribute(int*, int*, int*, int) { return Noch_nicht_gebaut(L"Attributbedingung"); }
int CNV::Check_content(int*, int*) { return Noch_nicht_gebaut(L"Inhaltsbedingung"); }
int CNV::Check_find(int*, int, const wchar_t*) { return Noch_nicht_gebaut(L"FIND"); }
int CNV::Suche_Lesen(int*, CNV_Suche*, const wchar_t*) { return Noch_nicht_gebaut(L"Suche"); }
int CNV::Suche_Naechster(const CNV_Suche&, int, int* cursor) { *cursor = -1; return Noch_nicht_gebaut(L"Suche") - 1; }
bool CNV::Numerischer_Wert(const wchar_t*, double*, wchar_t*) { return Noch_nicht_gebaut(L"Zahlenwert") != 0; }
