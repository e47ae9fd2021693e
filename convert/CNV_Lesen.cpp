// Reading step of the conversion engine: the input buffer is parsed into
// the item store, which the conversion then walks.
#include "convert/CNV.h"
#include "markup/DCL.h"
#include "markup/DTDDOK.h"
#include "markup/H5LESER.h"
#include "markup/SDOK.h"
#include "markup/SDTD.h"
#include "markup/SGMLR.h"
#include "script/BASIC.h"

#include <string>
#include <vector>

int CNV::Quelle_Read() {
    DCL standard;
    DCL* deklarationen = dcl != nullptr ? dcl : &standard;
    if (deklarationen->html5) return Quelle_Read_HTML5(deklarationen);
    // A mark or declaration found in this document must not change how the
    // next one is read: the record belongs to the whole run.
    const ENCODINGtypeItems erwartet = deklarationen->reader_encoding;
    const ENCODINGtypeItems marke = deklarationen->bom_encoding;
    int ergebnis = 0;
    // An SGML document with a DTD is read with its minimizations; without
    // one (or when it cannot be found) as it was always read.
    bool extern_ungelesen = false;
    if (deklarationen->sgml) {
        SDOK leser(&quelle, basic, &meta, deklarationen, !nur_pruefen);
        const SDOK::Ergebnis art = leser.Prolog();
        extern_ungelesen = leser.Extern_ungelesen();
        if (art == SDOK::FEHLGESCHLAGEN) return 0;
        if (art == SDOK::MIT_DTD) {
            const int gelesen = leser.Instanz();
            sgml_dtd = leser.DTD_abgeben();
            if (!gelesen && extern_ungelesen) {
                sgml_dtd_ungelesen = true;
                Dtd_Hinweis();
            }
            if (gelesen) {
                if (tracking) Quelle_in_TRACK_Einlesen();
                SGMLR::Texte_abschliessen(&meta, &quelle);
                quelle.exakt = false;
                ergebnis = 1;
            }
            deklarationen->reader_encoding = erwartet;
            deklarationen->bom_encoding = marke;
            return ergebnis;
        }
    }
    {
        SGMLR reader(&quelle, basic, &meta, deklarationen, !nur_pruefen);
        const int gelesen = reader.ok() && reader.document();
        // The conversion asks the DTD how references are written.
        dtd = reader.DTD_abgeben();
        if (gelesen) {
            // The source record needs the text before the terminators below
            // overwrite the character after each item.
            if (tracking) Quelle_in_TRACK_Einlesen();
            // Every item's text becomes a string of its own; positions of
            // later messages are then only approximate.
            reader.Namen_Abschliessen();
            quelle.exakt = false;
            ergebnis = 1;
        } else if (extern_ungelesen) {
            // Omitted tags need the DTD that the document names.
            sgml_dtd_ungelesen = true;
            Dtd_Hinweis();
        }
    }
    deklarationen->reader_encoding = erwartet;
    deklarationen->bom_encoding = marke;
    return ergebnis;
}

// A web page: the HTML standard's algorithm builds the tree, whose items
// the conversion then walks. Names are folded in place while the page is
// read, so the tracking record takes the text as it was read.
int CNV::Quelle_Read_HTML5(DCL* deklarationen) {
    for (bool erneut = false;; erneut = true) {
        std::wstring gelesen_text;
        if (tracking && quelle.text != nullptr) gelesen_text.assign(quelle.text, quelle.length);
        std::string kodierung;
        {
            H5LESER leser(&quelle, &meta, deklarationen, basic != nullptr && basic->parse_fehler_zeigen, tracking);
            if (!leser.ok() || !leser.document()) return 0;
            kodierung = leser.Meta_Kodierung();
            // The encoding was a guess (the prescan, the fallback) and a
            // <meta> met in the tree names another: browsers read the page
            // again in that one ("change the encoding").
            const bool anders = !erneut && !quelle.h5_sicher && !kodierung.empty() &&
                                kodierung != quelle.h5_kodierung && !quelle.aus_standardeingabe;
            if (!anders) {
                if (tracking) {
                    const std::vector<H5SPANNE> spannen = leser.Spannen_abgeben();
                    Quelle_in_TRACK_Einlesen(&spannen, gelesen_text.data());
                }
                leser.Namen_Abschliessen();
                quelle.exakt = false;
                return 1;
            }
        }
        const std::string vorgabe = quelle.vorgabe_kodierung;
        const std::wstring name = quelle.dateiname;
        quelle.vorgabe_kodierung = kodierung;
        const bool gelesen = quelle.Init(name.c_str(), false) && quelle.OK();
        quelle.vorgabe_kodierung = vorgabe;
        if (!gelesen) return 0;
    }
}
