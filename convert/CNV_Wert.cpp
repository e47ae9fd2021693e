// Value computation of VALUE, IMPLIED and TOKEN.
#include "convert/CNV.h"

#include <cfloat>
#include <clocale>
#include <cstdlib>
#include <cwchar>
#include <locale.h>
#include "textio/Konsole.h"

namespace {
// Placeholder until this area is built: reports and fails.
int Noch_nicht_gebaut(const wchar_t* was) {
    Konsole_Print(L"FEHLER: (Intern) '%ls' ist in dieser Version noch nicht verfügbar.\n", was);
    return 0;
}
}  // namespace

bool CNV::Berechne_Wert(wchar_t*, wchar_t*, unsigned long, const wchar_t*, double, const wchar_t*) { return Noch_nicht_gebaut(L"Umrechnung") != 0; }

double unicode_wtof(const wchar_t* text) {
    if (text == nullptr) return 0.0;
    // Read in the C locale whatever the process locale says, so that a
    // German environment cannot turn "2.5" into 2 or 25.
    static locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    wchar_t* ende = nullptr;
    double wert = c_locale != static_cast<locale_t>(0) ? wcstod_l(text, &ende, c_locale) : std::wcstod(text, &ende);
    if (wert > FLT_MAX) {
        Konsole_Print(L"FEHLER: Die positive Gleitkommazahl %f liegt außerhalb des gültigen Wertebereichs. Die Zahl "
                      L"wird auf den maximal zulässigen Wert %f eingestellt.\n",
                      wert, static_cast<double>(FLT_MAX));
        wert = FLT_MAX;
    } else if (wert < -FLT_MAX) {
        Konsole_Print(L"FEHLER: Die negative Gleitkommazahl %f liegt außerhalb des gültigen Wertebereichs. Die Zahl "
                      L"wird auf den minimal zulässigen Wert %f eingestellt.\n",
                      wert, static_cast<double>(-FLT_MAX));
        wert = -FLT_MAX;
    }
    return wert;
}
