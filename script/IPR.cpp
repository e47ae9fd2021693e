#include "script/IPR.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "base/Dateinamen.h"
#include "base/Zeichenwandlung.h"
#include "script/BASR.h"
#include "script/REGEX.h"
#include "base/Konsole.h"

namespace {

// The byte-order mark a file begins with, by the same rows the reader
// uses (marks count only in files of more than 4 bytes); ENC_NONE without.
ENCODINGtypeItems Bom_der_Datei(const wchar_t* pfad) {
    struct Markierung {
        unsigned char bytes[4];
        std::size_t laenge;
        ENCODINGtypeItems art;
    };
    static const Markierung MARKEN[] = {
        {{0xEF, 0xBB, 0xBF, 0}, 3, ENC_UTF8},    {{0x00, 0x00, 0xFE, 0xFF}, 4, ENC_UTF32BE},
        {{0xFF, 0xFE, 0x00, 0x00}, 4, ENC_UTF32LE}, {{0xFF, 0xFE, 0, 0}, 2, ENC_UTF16LE},
        {{0xFE, 0xFF, 0, 0}, 2, ENC_UTF16BE},
    };
    std::FILE* f = std::fopen(BreitZuSchmal(pfad).c_str(), "rb");
    if (!f) return ENC_NONE;
    unsigned char anfang[5] = {};
    const std::size_t n = std::fread(anfang, 1, sizeof anfang, f);
    std::fclose(f);
    if (n <= 4) return ENC_NONE;
    for (const Markierung& m : MARKEN)
        if (std::memcmp(anfang, m.bytes, m.laenge) == 0) return m.art;
    return ENC_NONE;
}

// WRITERESCAPE when the script does not name it: the syntax decides, so
// that a syntax whose results are commonly markup again can escape by
// default.
ESCAPEtypeItems Vorgabe_Maskierung(SYNTAXtypeItems syntax) {
    switch (syntax) {
        // Web pages are mostly converted into markup again.
        case SYNTAX_HTML5: return ESCAPE_MARKUP;
        case SYNTAX_SGML:
        case SYNTAX_XML:
        case SYNTAX_HTML:
        default: return ESCAPE_NONE;
    }
}

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
    const bool html5 = !xml && !html && basic.IPR_is_HTML5_Syntax();
    dcl.xml = xml ? 1 : 0;
    dcl.html = html ? 1 : 0;
    dcl.html5 = html5 ? 1 : 0;
    dcl.sgml = (!xml && !html && !html5) ? 1 : 0;
    dcl.debug = debug ? 1 : 0;
    // Names are compared without regard to case in SGML and HTML unless
    // NAMECASE says otherwise; in XML only when NAMECASE YES asks for it.
    dcl.namecase = basic.IPR_is_Namecase(!xml) ? 1 : 0;
    dcl.reader_encoding = basic.Find_ReaderEncoding();
    dcl.bom_encoding = (xml || html) ? ENC_UTF8 : ENC_NONE;
    reader_encoding = dcl.reader_encoding;
    // A web page takes any name as a label of the Encoding Standard.
    reader_kodierung = basic.Kodierungsname(ITEM_READERENCODING, html5);
    writer_encoding = basic.Find_WriterEncoding();
    writer_kodierung = basic.Kodierungsname(ITEM_WRITERENCODING);

    warning_level = basic.IPR_is_Warnings();
    basic.warning_level = warning_level;
    basic.Load_Declaration(&dcl);

    basic.only_defined_elements = basic.IPR_is_Only_Defined_Elements_Type(ELEM_ONLYDEFINED);
    basic.drop_undefined_elements = basic.IPR_is_Drop_Undefined_Elements_Type(ELEM_ONLYDEFINED);
    basic.only_defined_entities = basic.IPR_is_Only_Defined_Entities_Type(ENTY_ONLYDEFINED);
    basic.expand_entities = basic.IPR_is_Expand_Entities_Type();
    dcl.dtd_extern = basic.IPR_is_External_DTD() ? 1 : 0;
    basic.only_defined_data = basic.IPR_is_Only_Defined_PCDATA_Type();
    const SYNTAXtypeItems syntax = xml ? SYNTAX_XML : html ? SYNTAX_HTML : html5 ? SYNTAX_HTML5 : SYNTAX_SGML;
    basic.markup_maskieren = basic.Find_WriterEscape(Vorgabe_Maskierung(syntax)) == ESCAPE_MARKUP;
    basic.mit_bom = basic.IPR_is_WriterBom();
    basic.parse_fehler_zeigen = basic.IPR_is_Parse_Errors_Shown();

    if (!Ausdruecke_pruefen()) {
        Nicht_aktiviert();
        return false;
    }
    ready = true;
    if (verbose) Konsole_Text(L"- Skript aktiviert.\n");
    return true;
}

// The operators =~, !=~ (25, 26) and ==~, !==~ (27, 28, with regard to
// case) take the quoted text after them as a pattern.
bool IPR::Ausdruecke_pruefen() {
    bool gut = true;
    for (int i = 0; i + 1 < basic.ItemCount(); ++i) {
        const BASIC::BASICitem& op = basic.Item(i);
        const BASIC::BASICitem& wert = basic.Item(i + 1);
        if (op.kind != ITEM_OPERATOR || op.value < 25 || op.value > 28) continue;
        if (wert.kind != ITEM_ATTVALUE || wert.begin == nullptr || wert.end <= wert.begin) continue;
        const std::wstring muster(wert.begin, wert.end);
        if (const wchar_t* fehler = unicode_regex_pruefen(muster.c_str(), op.value >= 27 ? 1 : 0)) {
            skript.Fehlermeldung(-1, 1, nullptr, L"Regulärer Ausdruck. %ls", fehler, wert.begin);
            gut = false;
        }
    }
    return gut;
}

bool IPR::Skript_Kodierung_pruefen(const wchar_t* quelle) const {
    if (!ready || !quelle || reader_encoding == ENC_AUTO || reader_encoding == ENC_NONE) return true;
    const ENCODINGtypeItems marke = Bom_der_Datei(quelle);
    if (marke == ENC_NONE || marke == reader_encoding) return true;
    Konsole_Text(L"FEHLER: Die Kodierung des Skriptes stimmt nicht mit der Kodierung der Daten überein.\n");
    return false;
}

bool IPR::Skript_Oeffnen(const wchar_t* name, bool bytes) {
    if (!name || !*name) return false;
    // Every path buffer of the program holds 1023 characters; a longer
    // name is refused here rather than cut.
    auto ungueltig = [name] {
        Konsole_Print(L"FEHLER: (Interpreter) Angegebener Projektname ist ungültig (%ls).\n", name);
        return false;
    };
    if (std::wcslen(name) >= DATEINAME_MAX) return ungueltig();
    Pfadteile teile = PfadZerlegen(name);
    if (teile.name.empty()) return ungueltig();
    if (teile.erweiterung.empty()) teile.erweiterung = L"xb";
    std::wstring pfad = PfadZusammensetzen(teile);
    std::wstring voll;
    if (!pfad.empty() && pfad[0] == L'/') {
        voll = pfad;
    } else if (Arbeitsverzeichnis().empty()) {
        return false;
    } else if (!VollerPfad(voll, pfad.c_str())) {
        // The name with its extension or its directory no longer fits.
        return ungueltig();
    }
    if (voll.size() >= DATEINAME_MAX) return ungueltig();
    return skript.Init(voll.c_str(), bytes) != 0;
}

bool IPR::Skript_in_BASIC_Einlesen() {
    BASR parser(&skript, &basic, debug);
    if (!skript.OK() || !parser.ok()) return false;
    if (parser.document() != 1) return false;
    if (tracking) {
        track_aktionen.Reset();
        track_quelle.Reset();
        track_skript.Reset();
        track_ziel.Reset();
        Skript_in_TRACK_Einlesen();
    }
    // Only now may the item texts be terminated: the parser still read the
    // characters that the terminators overwrite.
    parser.Texte_abschliessen();
    return basic.Indexieren();
}

void IPR::Skript_in_TRACK_Einlesen() {
    TRACK& t = track_skript;
    t.text.clear();
    t.AddStartLabel();
    if (skript.text == nullptr) return;
    const wchar_t* pos = skript.text;
    const wchar_t* ende = skript.text + skript.length;
    const int anzahl = basic.ItemCount();
    for (int i = 0; i < anzahl; ++i) {
        const BASIC::BASICitem& item = basic.Item(i);
        if (item.kind == ITEM_NONE || item.begin == nullptr || item.begin < pos || item.end < item.begin ||
            item.end > ende)
            continue;
        t.AddHtmlText(pos, item.begin);
        // The end of a definition and the settings are not steps of a
        // conversion: nothing can point at them.
        const bool spanne = item.kind != ITEM_ENDE && (item.kind & ITEM_FLAG_SETTING) == 0;
        t.AddHtmlSpanne(spanne ? L's' : 0, i, item.begin, item.end);
        pos = item.end;
    }
    t.AddHtmlText(pos, ende);
    t.text.push_back('\0');
}
