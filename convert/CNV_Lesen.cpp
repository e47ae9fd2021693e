// Reading step of the conversion engine: the input buffer is parsed into
// the item store, which the conversion then walks.
#include "convert/CNV.h"
#include "markup/DCL.h"
#include "markup/DTDDOK.h"
#include "markup/SDOK.h"
#include "markup/SDTD.h"
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
