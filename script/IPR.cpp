#include "script/IPR.h"

#include <cwchar>
#include <string>

#include "driver/Dateinamen.h"
#include "textio/Konsole.h"

namespace {

void Nicht_aktiviert() { Konsole_Text(L"FEHLER: (Interpreter) Skript konnte nicht aktiviert werden.\n"); }

}  // namespace

bool IPR::Skript_Init(const wchar_t* name, bool debug_flag, bool web, bool verbose, int tracking_mode) {
    debug = debug_flag;
    web_output = web;
    tracking = tracking_mode != 0;
    if (!Skript_Oeffnen(name, false) || !Skript_in_BASIC_Einlesen()) {
        Nicht_aktiviert();
        return false;
    }

    const bool xml = basic.IPR_is_XML_Syntax();
    const bool html = !xml && basic.IPR_is_HTML_Syntax();
    dcl.xml = xml ? 1 : 0;
    dcl.html = html ? 1 : 0;
    dcl.sgml = (!xml && !html) ? 1 : 0;
    dcl.debug = debug ? 1 : 0;
    // Names are compared without regard to case in SGML and HTML unless
    // NAMECASE says otherwise; in XML only when NAMECASE YES asks for it.
    dcl.namecase = basic.IPR_is_Namecase(!xml) ? 1 : 0;
    dcl.reader_encoding = basic.Find_ReaderEncoding();
    dcl.bom_encoding = (xml || html) ? ENC_UTF8 : ENC_NONE;
    reader_encoding = dcl.reader_encoding;

    warning_level = basic.IPR_is_Warnings();
    basic.warning_level = warning_level;
    basic.Load_Declaration(&dcl);

    basic.only_defined_elements = basic.IPR_is_Only_Defined_Elements_Type(ELEM_ONLYDEFINED);
    basic.drop_undefined_elements = basic.IPR_is_Drop_Undefined_Elements_Type(ELEM_ONLYDEFINED);
    basic.only_defined_entities = basic.IPR_is_Only_Defined_Entities_Type(ENTY_ONLYDEFINED);
    basic.only_defined_data = basic.IPR_is_Only_Defined_PCDATA_Type();

    ready = true;
    if (verbose) Konsole_Text(L"- Skript aktiviert.\n");
    return true;
}

bool IPR::Skript_Oeffnen(const wchar_t* name, bool bytes) {
    if (!name || !*name) return false;
    // Every path buffer of the program holds 1023 characters; a longer
    // name is refused here rather than cut.
    if (std::wcslen(name) >= DATEINAME_MAX) {
        Konsole_Print(L"FEHLER: (Interpreter) Angegebener Projektname ist ungültig (%ls).\n", name);
        return false;
    }
    Pfadteile teile = PfadZerlegen(name);
    if (teile.name.empty()) {
        Konsole_Print(L"FEHLER: (Interpreter) Angegebener Projektname ist ungültig (%ls).\n", name);
        return false;
    }
    if (teile.erweiterung.empty()) teile.erweiterung = L"xb";
    std::wstring pfad = PfadZusammensetzen(teile);
    std::wstring voll;
    if (!pfad.empty() && pfad[0] == L'/') {
        voll = pfad;
    } else if (!VollerPfad(voll, pfad.c_str())) {
        return false;
    }
    return skript.Init(voll.c_str(), bytes) != 0;
}

bool IPR::Skript_in_BASIC_Einlesen() {
    if (!skript.OK()) return false;
    // The script language has no parser in this build yet: a script can be
    // read but not compiled, so it is never reported as activated.
    return false;
}
