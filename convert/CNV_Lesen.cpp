// Reading step of the conversion engine: the input buffer is parsed into
// the item store, which the conversion then walks.
#include "convert/CNV.h"
#include "markup/DCL.h"
#include "markup/DTDDOK.h"
#include "markup/SGMLR.h"
#include "script/BASIC.h"

int CNV::Quelle_Read() {
    DCL standard;
    DCL* deklarationen = dcl != nullptr ? dcl : &standard;
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
