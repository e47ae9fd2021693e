// Context conditions: where the element in focus stands.
#include "convert/CNV.h"
#include "textio/Konsole.h"

namespace {
// Placeholder until this area is built: reports and fails.
int Noch_nicht_gebaut(const wchar_t* was) {
    Konsole_Print(L"FEHLER: (Intern) '%ls' ist in dieser Version noch nicht verfügbar.\n", was);
    return 0;
}
}  // namespace

int CNV::Check_in(int*, int*, const wchar_t*) { return Noch_nicht_gebaut(L"IN"); }
int CNV::Check_inx(int*, int*, const wchar_t*) { return Noch_nicht_gebaut(L"INX"); }
int CNV::Check_before(int*, int*, const wchar_t*) { return Noch_nicht_gebaut(L"BEFORE"); }
int CNV::Check_beforex(int*, int*, const wchar_t*) { return Noch_nicht_gebaut(L"BEFOREX"); }
int CNV::Check_after(int*, int*, const wchar_t*) { return Noch_nicht_gebaut(L"AFTER"); }
int CNV::Check_afterx(int*, int*, const wchar_t*) { return Noch_nicht_gebaut(L"AFTERX"); }
int CNV::Check_first(int*, int*, const wchar_t*) { return Noch_nicht_gebaut(L"FIRST"); }
int CNV::Check_last(int*, int*, const wchar_t*) { return Noch_nicht_gebaut(L"LAST"); }
int CNV::Check_empty(int*, int*) { return Noch_nicht_gebaut(L"EMPTY"); }
int CNV::Check_sub(int*, const wchar_t*, const wchar_t*) { return Noch_nicht_gebaut(L"SUB"); }
