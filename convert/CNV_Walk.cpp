// Document walk: elements, tags, data, references, unconverted markup.
#include "convert/CNV.h"
#include "textio/Konsole.h"

namespace {
// Placeholder until this area is built: reports and fails.
int Noch_nicht_gebaut(const wchar_t* was) {
    Konsole_Print(L"FEHLER: (Intern) '%ls' ist in dieser Version noch nicht verfügbar.\n", was);
    return 0;
}
}  // namespace

int CNV::Quelle_Convert() {
    Konsole_Text(L"FEHLER: (Intern) Die Konvertierung ist in dieser Version noch nicht verfügbar.\n");
    return 0;
}
int CNV::Convert_Element(int*, DATAtypeItems, PARSERtypeItems, const wchar_t*, int, bool) { return Noch_nicht_gebaut(L"Convert_Element"); }
int CNV::Convert_starttag(int*, int, PARSERtypeItems, DATAtypeItems*, const wchar_t*, int, bool) { return Noch_nicht_gebaut(L"Convert_starttag"); }
int CNV::Convert_emptytag(int*, int, PARSERtypeItems, DATAtypeItems*, const wchar_t*, int, bool) { return Noch_nicht_gebaut(L"Convert_emptytag"); }
int CNV::Convert_endtag(int*, int, PARSERtypeItems, const DATAtypeItems*, const wchar_t*, int, bool) { return Noch_nicht_gebaut(L"Convert_endtag"); }
int CNV::Convert_data(int, int, PARSERtypeItems, DATAtypeItems) { return Noch_nicht_gebaut(L"Convert_data"); }
int CNV::Convert_gref(int, int, PARSERtypeItems, DATAtypeItems) { return Noch_nicht_gebaut(L"Convert_gref"); }
int CNV::Convert_cref(int, int, PARSERtypeItems, DATAtypeItems) { return Noch_nicht_gebaut(L"Convert_cref"); }
int CNV::Convert_nref(int, int, PARSERtypeItems, DATAtypeItems) { return Noch_nicht_gebaut(L"Convert_nref"); }
int CNV::Convert_Entity(int*, int) { return Noch_nicht_gebaut(L"Convert_Entity"); }
int CNV::Convert_Attribute_Daten(int, int*, DATAtypeItems) { return Noch_nicht_gebaut(L"Convert_Attribute_Daten"); }
int CNV::Write_stag(int) { return Noch_nicht_gebaut(L"Write_stag"); }
int CNV::Write_etag(int) { return Noch_nicht_gebaut(L"Write_etag"); }
int CNV::Write_data(int) { return Noch_nicht_gebaut(L"Write_data"); }
int CNV::Write_gref(int) { return Noch_nicht_gebaut(L"Write_gref"); }
int CNV::Write_cref(int) { return Noch_nicht_gebaut(L"Write_cref"); }
int CNV::Write_nref(int) { return Noch_nicht_gebaut(L"Write_nref"); }
int CNV::Delete_stag(int) { return Noch_nicht_gebaut(L"Delete_stag"); }
int CNV::Delete_etag(int) { return Noch_nicht_gebaut(L"Delete_etag"); }
int CNV::Delete_data(int) { return Noch_nicht_gebaut(L"Delete_data"); }
int CNV::Delete_gref(int) { return Noch_nicht_gebaut(L"Delete_gref"); }
int CNV::Delete_cref(int) { return Noch_nicht_gebaut(L"Delete_cref"); }
int CNV::Delete_nref(int) { return Noch_nicht_gebaut(L"Delete_nref"); }
