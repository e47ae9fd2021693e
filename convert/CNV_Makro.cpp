// Macros of rule texts and entity texts.
#include "convert/CNV.h"
#include "textio/Konsole.h"

namespace {
// Placeholder until this area is built: reports and fails.
int Noch_nicht_gebaut(const wchar_t* was) {
    Konsole_Print(L"FEHLER: (Intern) '%ls' ist in dieser Version noch nicht verfügbar.\n", was);
    return 0;
}
}  // namespace

int CNV::Convert_makro_cdata_value(int*, int) { return Noch_nicht_gebaut(L"VALUE"); }
int CNV::Convert_makro_literal(int*, int) { return Noch_nicht_gebaut(L"Zeichenkette"); }
int CNV::Convert_makro_chr(int*, int) { return Noch_nicht_gebaut(L"CHR"); }
int CNV::Convert_makro_copy_cut_del(int*, int, PARSERtypeItems, const wchar_t*, int, const wchar_t*) { return Noch_nicht_gebaut(L"COPY"); }
int CNV::Convert_makro_file(int*, int) { return Noch_nicht_gebaut(L"FILE"); }
int CNV::Convert_makro_implied(int*, int) { return Noch_nicht_gebaut(L"IMPLIED"); }
int CNV::Convert_makro_value(int*, int) { return Noch_nicht_gebaut(L"VALUE"); }
int CNV::Convert_makro_token(int*, int) { return Noch_nicht_gebaut(L"TOKEN"); }
int CNV::Convert_makro_count(int*, int) { return Noch_nicht_gebaut(L"COUNT"); }
