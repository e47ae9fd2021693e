#include "convert/CNV.h"

#include "markup/DTDDOK.h"
#include "markup/SDTD.h"
#include "markup/SGML.h"
#include "script/IPR.h"
#include "base/Konsole.h"

// Room left on the stack for the deepest step of a rule (macros, messages)
// once the walk stops recursing.
constexpr std::uintptr_t CNV_STAPEL_RESERVE = 512 * 1024;

CNV::CNV() : stapel_grenze(SGML_Stapelgrenze(CNV_STAPEL_RESERVE)) {}

CNV::~CNV() {
    // The script's buffer outlives this engine: it must not keep writing
    // its messages into a writer that is about to go.
    if (skript != nullptr && skript->fehlerausgabe == &ausgabe) skript->InitFehlerausgabe(nullptr);
}

int CNV::Interpreter_Initialisierung(IPR* ipr) {
    if (ipr == nullptr) return 0;
    skript = &ipr->skript;
    basic = &ipr->basic;
    dcl = &ipr->dcl;
    globale_ausgabe = ipr->global_output;
    maskieren = ipr->basic.markup_maskieren;
    tracking = ipr->tracking;
    nur_pruefen = !ipr->Bereit() && !ipr->tracking;
    track_quelle = &ipr->track_quelle;
    track_aktionen = &ipr->track_aktionen;
    track_ziel = &ipr->track_ziel;
    schreibkodierung = ipr->writer_encoding;
    schreibkodierungsname = ipr->writer_kodierung;
    quelle.vorgabe_kodierung = ipr->reader_kodierung;
    quelle.html5 = ipr->dcl.html5 != 0;
    ausgabe_in_gebrauch = ipr->out.OUT_is_Open() ? &ipr->out : &ausgabe;
    OUT* sink = ipr->web_output ? ausgabe_in_gebrauch : nullptr;
    skript->InitFehlerausgabe(sink);
    quelle.InitFehlerausgabe(sink);
    return 1;
}

int CNV::AusgabeOpen(const wchar_t* name, const wchar_t* global, const wchar_t* extension, bool bytes) {
    // An input that cannot be opened has been reported; it stays in the run
    // as a failed file (Quelle_OK) rather than vanishing from the counts.
    quelle.Init(name, bytes);
    // No output for an input that could not be read: it would only replace
    // an earlier result with nothing.
    if (!quelle.OK()) return 1;
    ENCODINGtypeItems encoding = schreibkodierung;
    std::string kodierung = schreibkodierungsname;
    if (encoding == ENC_AUTO) {
        encoding = quelle.decoding;
        kodierung = quelle.kodierungsname;
    }
    if (global != nullptr || ausgabe_in_gebrauch != &ausgabe) return 1;
    if (extension == nullptr || extension[0] == 0) return 1;  // a check: nothing to write
    ausgabe.OUT_Eingabe_schuetzen(quelle.dateiname);
    if (ausgabe.OUT_Open(name, nullptr, nullptr, extension, encoding, basic == nullptr || basic->mit_bom, kodierung)) return 1;
    // A conversion without its output would pass as done and write
    // nothing: the file fails. A creation failure has been reported.
    if (ausgabe.ausgabename[0] == 0 && ausgabe.status != 9000)
        Konsole_Print(L"FEHLER: (Ausgabe) Für die Datei '%ls' kann kein Ausgabename mit höchstens %d Zeichen "
                      L"gebildet werden.\n",
                      name, static_cast<int>(OUT_NAMENSLAENGE - 1));
    return 0;
}

bool CNV::Quelle_OK() const { return quelle.OK() && (quelle.length > 0 || quelle.html5); }

int CNV::CheckDecCodesASCII() {
    if (quelle.text == nullptr || quelle.length == 0) return 0;
    int ergebnis = 1;
    long long zeile = 1, zeichen = 1;
    for (std::uint64_t i = 0; i < quelle.length; ++i) {
        const wchar_t c = quelle.text[i];
        // Line feeds end lines; an ASCII file without them would be one line.
        const bool gueltig = c == L'\t' || c == L'\n' || c == L'\r' || (c >= 32 && c <= 126);
        if (!gueltig) {
            Konsole_Print(L"FEHLER: Das ASCII-Zeichen '%d' ist ungültig.\n", static_cast<int>(c));
            Konsole_Print(L"Position: Zeile=%lld, Zeichen=%lld.\n", zeile, zeichen);
            ergebnis = 0;
            if (c == 0) {
                Konsole_Text(L"Abbruch.\n");
                return 0;
            }
        }
        if (c == L'\n') {
            ++zeile;
            zeichen = 1;
        } else {
            ++zeichen;
        }
    }
    return ergebnis;
}

// Every piece of output goes through these three, so that the tracking
// engine can copy it into its target record.
int CNV::AusgabeWrite(const wchar_t* text) { return ausgabe_in_gebrauch->OUT_Write_String(text); }
int CNV::AusgabeWrite(wchar_t c) { return ausgabe_in_gebrauch->OUT_Write_Char(c); }
int CNV::AusgabeWrite(unsigned int code) { return ausgabe_in_gebrauch->OUT_Write_Int(code); }
int CNV::AusgabeWrite(std::wstring_view text) {
    return ausgabe_in_gebrauch->OUT_Write_String(text.data(), text.size());
}

int CNV::Maskiert_Schreiben(const wchar_t* text, OUTmaskeItems art) {
    OUT* out = ausgabe_in_gebrauch;
    // A web page's tree goes out so that XML reads the same characters back.
    if (dcl != nullptr && dcl->html5) art = art == OUT_MASKE_TEXT ? OUT_MASKE_TEXT_H5 : OUT_MASKE_ATTRIBUT_H5;
    out->OUT_Maskierung(art);
    const int ok = AusgabeWrite(text);
    out->OUT_Maskierung(OUT_MASKE_KEINE);
    return ok;
}

int CNV::AusgabeAbschluss(bool erfolgreich) {
    if (ausgabe_in_gebrauch != &ausgabe) {
        // The global writer stays open across files; flushing it here lets
        // a full disk fail the file that met it.
        return ausgabe_in_gebrauch->OUT_is_Open() ? ausgabe_in_gebrauch->OUT_Flush() : 1;
    }
    const bool ersetzt = ausgabe.OUT_ersetzt_Eingabe();
    const int geschrieben = ausgabe.OUT_Abschluss(erfolgreich);
    if (ersetzt && (!erfolgreich || !geschrieben))
        Konsole_Print(L"Hinweis: Die Eingabedatei '%ls' wurde wegen eines Fehlers nicht überschrieben.\n",
                      quelle.dateiname);
    return geschrieben;
}
