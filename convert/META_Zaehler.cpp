// Counters of COUNT on the item store.
#include "convert/CNV.h"
#include "textio/Konsole.h"

namespace {
// Placeholder until this area is built: reports and fails.
int Noch_nicht_gebaut(const wchar_t* was) {
    Konsole_Print(L"FEHLER: (Intern) '%ls' ist in dieser Version noch nicht verfügbar.\n", was);
    return 0;
}
}  // namespace

bool META::IPR_if_ine(int*, const wchar_t*) { return Noch_nicht_gebaut(L"COUNT") != 0; }
int META::IPR_count(int) { return Noch_nicht_gebaut(L"COUNT"); }
int META::IPR_count_doc(int) { return Noch_nicht_gebaut(L"COUNT"); }
