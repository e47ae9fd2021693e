// Macros of rule texts and entity texts.
#include <cstdint>
#include <string>

#include "convert/CNV.h"
#include "script/BASIC.h"
#include "textio/Konsole.h"

namespace {
// Placeholder until this area is built: reports and fails.
int Noch_nicht_gebaut(const wchar_t* was) {
    Konsole_Print(L"FEHLER: (Intern) '%ls' ist in dieser Version noch nicht verfügbar.\n", was);
    return 0;
}

// A message about the script item at `rule`, and one about the document
// item of the element in focus.
void Skriptfehler(CNV& cnv, const wchar_t* label, const wchar_t* vorlage, int rule) {
    if (cnv.skript != nullptr) cnv.skript->Fehlermeldung(-1, 1, label, vorlage, nullptr, cnv.basic->Item(rule).begin);
}

void Dokumentfehler(CNV& cnv, const wchar_t* label, const wchar_t* vorlage, const wchar_t* argument, int item) {
    const wchar_t* stelle = item >= 0 && item < cnv.meta.Anzahl() ? cnv.meta.Item(item).start : nullptr;
    cnv.quelle.Fehlermeldung(-1, 0, label, vorlage, argument, stelle);
}

}  // namespace

int CNV::Convert_makro_cdata_value(int*, int) { return Noch_nicht_gebaut(L"VALUE"); }
int CNV::Convert_makro_copy_cut_del(int*, int, PARSERtypeItems, const wchar_t*, int, const wchar_t*) { return Noch_nicht_gebaut(L"COPY"); }
int CNV::Convert_makro_file(int*, int) { return Noch_nicht_gebaut(L"FILE"); }
int CNV::Convert_makro_implied(int*, int) { return Noch_nicht_gebaut(L"IMPLIED"); }
int CNV::Convert_makro_value(int*, int) { return Noch_nicht_gebaut(L"VALUE"); }
int CNV::Convert_makro_token(int*, int) { return Noch_nicht_gebaut(L"TOKEN"); }
int CNV::Convert_makro_count(int*, int) { return Noch_nicht_gebaut(L"COUNT"); }

int CNV::Convert_makro_literal(int* rule, int item) {
    const int stelle = *rule;
    const wchar_t* text = basic->Text(stelle);
    ++*rule;
    if (AusgabeWrite(text)) return 1;
    Dokumentfehler(*this, L"Zeichenkette", L"Die Zeichenkette '%ls' konnte nicht ausgegeben werden.", text, item);
    Skriptfehler(*this, nullptr, L"im Skript", stelle);
    return 0;
}

int CNV::Convert_makro_chr(int* rule, int item) {
    const int stelle = *rule;
    if (basic->Item(stelle).kind != ITEM_CHR) {
        Skriptfehler(*this, L"CHR", L"CHR erwartet", stelle);
        return 0;
    }
    ++*rule;
    const wchar_t* ziffern = L"";
    if (basic->Item(*rule).kind == ITEM_NUMBER) ziffern = basic->Text((*rule)++);

    // Leading digits only; text without them reads as 0.
    std::uint64_t code = 0;
    bool ungueltig = false;
    for (const wchar_t* c = ziffern; *c >= L'0' && *c <= L'9'; ++c) {
        const std::uint64_t ziffer = static_cast<std::uint64_t>(*c - L'0');
        if (code > (UINT64_MAX - ziffer) / 10) {
            ungueltig = true;
            break;
        }
        code = code * 10 + ziffer;
    }
    if (!ungueltig && code <= 0x10FFFF) return AusgabeWrite(static_cast<unsigned int>(code));

    // Out of range: nothing is written, the rule goes on.
    std::string zahl;
    for (const wchar_t* c = ziffern; *c != 0; ++c) zahl += static_cast<char>(*c < 128 ? *c : '?');
    if (ungueltig) {
        Skriptfehler(*this, L"CHR", L"Code ist ungültig", stelle);
        Dokumentfehler(*this, L"CHR", L"Code ist ungültig.", nullptr, item);
        Konsole_Print(L"Hinweis: Code '%s' ist ungültig.\n", zahl.c_str());
        return 1;
    }
    if (code > INT32_MAX)
        Konsole_Print(L"FEHLER: Die positive Ganzzahl %llu liegt außerhalb des gültigen Wertebereichs. Die Zahl wird "
                      L"auf den maximal zulässigen Wert %d eingestellt.\n",
                      static_cast<unsigned long long>(code), INT32_MAX);
    Skriptfehler(*this, L"CHR", L"Code liegt außerhalb des gültigen Unicode-Zeichenbereiches (0..10FFFF)", stelle);
    Dokumentfehler(*this, L"CHR", L"Code liegt außerhalb des gültigen Unicode-Zeichenbereiches (0..10FFFF).", nullptr,
                   item);
    Konsole_Print(L"Hinweis: Der '%s' liegt außerhalb des gültigen Unicode-Zeichenbereiches (0..10FFFF).\n",
                  zahl.c_str());
    return 1;
}
