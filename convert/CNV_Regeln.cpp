// Rule lists, branch sets and condition lists of an element.
#include "convert/CNV.h"
#include "textio/Konsole.h"

namespace {
// Placeholder until this area is built: reports and fails.
int Noch_nicht_gebaut(const wchar_t* was) {
    Konsole_Print(L"FEHLER: (Intern) '%ls' ist in dieser Version noch nicht verfügbar.\n", was);
    return 0;
}
}  // namespace

int CNV::Convert_all_rules(int*, int*, DATAtypeItems*, int, const wchar_t*, int) { return Noch_nicht_gebaut(L"Convert_all_rules"); }
int CNV::Convert_rules(int*, int, const wchar_t*, int) { return Noch_nicht_gebaut(L"Convert_rules"); }
int CNV::Convert_branch_set(int*, int*, DATAtypeItems*, int, const wchar_t*, int) { return Noch_nicht_gebaut(L"Convert_branch_set"); }
int CNV::Check_condition(int*, int*, int, const wchar_t*) { return Noch_nicht_gebaut(L"Check_condition"); }
int CNV::Check_context(int*, int*) { return Noch_nicht_gebaut(L"Check_context"); }
int CNV::Check_toplevel(int*, int, const wchar_t*) { return Noch_nicht_gebaut(L"TOPLEVEL"); }
