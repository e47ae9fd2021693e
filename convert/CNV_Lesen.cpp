// Reading step of the conversion engine: the input buffer is parsed into
// the item store, which the conversion then walks.
#include "convert/CNV.h"
#include "markup/DCL.h"
#include "markup/DTDDOK.h"
#include "markup/H5LESER.h"
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
    std::wstring gelesen_text;
    if (tracking && quelle.text != nullptr) gelesen_text.assign(quelle.text, quelle.length);
    H5LESER leser(&quelle, &meta, deklarationen, basic != nullptr && basic->parse_fehler_zeigen, tracking);
    if (!leser.ok() || !leser.document()) return 0;
    if (tracking) {
        const std::vector<H5SPANNE> spannen = leser.Spannen_abgeben();
        Quelle_in_TRACK_Einlesen(&spannen, gelesen_text.data());
    }
    leser.Namen_Abschliessen();
    quelle.exakt = false;
    return 1;
}
