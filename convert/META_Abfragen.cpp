// Context queries on the item store.
#include "convert/CNV.h"
#include "textio/Konsole.h"

namespace {
// Placeholder until this area is built: reports and fails.
int Noch_nicht_gebaut(const wchar_t* was) {
    Konsole_Print(L"FEHLER: (Intern) '%ls' ist in dieser Version noch nicht verfügbar.\n", was);
    return 0;
}
}  // namespace

bool META::IPR_if_in(int*, const wchar_t*) { return Noch_nicht_gebaut(L"IN") != 0; }
bool META::IPR_if_inx(int*, const wchar_t*) { return Noch_nicht_gebaut(L"INX") != 0; }
bool META::IPR_if_before(int*, const wchar_t*) { return Noch_nicht_gebaut(L"BEFORE") != 0; }
bool META::IPR_if_beforex(int*, const wchar_t*) { return Noch_nicht_gebaut(L"BEFOREX") != 0; }
bool META::IPR_if_after(int*, const wchar_t*) { return Noch_nicht_gebaut(L"AFTER") != 0; }
bool META::IPR_if_afterx(int*, const wchar_t*) { return Noch_nicht_gebaut(L"AFTERX") != 0; }
bool META::IPR_if_first(int) { return Noch_nicht_gebaut(L"FIRST") != 0; }
bool META::IPR_if_last(int) { return Noch_nicht_gebaut(L"LAST") != 0; }
bool META::IPR_if_empty(int) { return Noch_nicht_gebaut(L"EMPTY") != 0; }
bool META::IPR_if_element(int, const wchar_t*) { return Noch_nicht_gebaut(L"Element") != 0; }
bool META::IPR_find_starttag(int*) { return Noch_nicht_gebaut(L"Starttag") != 0; }
bool META::IPR_find_context_element(int*) { return Noch_nicht_gebaut(L"Kontextelement") != 0; }
bool META::IPR_find_starttag_context(int*, const wchar_t*) { return Noch_nicht_gebaut(L"Starttag") != 0; }
bool META::IPR_find_attrname(int*, const wchar_t*) { return Noch_nicht_gebaut(L"Attribut") != 0; }
bool META::IPR_find_subelement(int*, int, const wchar_t*) { return Noch_nicht_gebaut(L"CONTENT") != 0; }
bool META::IPR_find_childelement(int*, int, const wchar_t*) { return Noch_nicht_gebaut(L"CHILD") != 0; }
bool META::IPR_find_parentelement(int*, int, const wchar_t*) { return Noch_nicht_gebaut(L"PARENT") != 0; }
bool META::IPR_find_element(int*, const wchar_t*) { return Noch_nicht_gebaut(L"DOC") != 0; }
bool META::IPR_find_entity(int*, const wchar_t*) { return Noch_nicht_gebaut(L"Entity") != 0; }
bool META::Read_attribute_value(int, wchar_t*, int, int) { return Noch_nicht_gebaut(L"Attributwert") != 0; }
bool META::Read_content_value(int, wchar_t*, int, int, int) { return Noch_nicht_gebaut(L"Inhalt") != 0; }
