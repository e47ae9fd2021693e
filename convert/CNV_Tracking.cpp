// Tracking entries of the engine: the action list, the spans around the
// output and the source record of a parsed document.
#include "convert/CNV.h"
#include "base/TRACK.h"

namespace {

void eintrag_abschliessen(TRACK& a) {
    a.AddAscii("\", ");
    // Ten entries to a line keep the list readable in the report's source.
    if (a.CheckCount() > 9) {
        a.ResetCount();
        a.AddAscii("\n");
    }
}

}  // namespace

void CNV::Aktion_Tracken(int q, int s, int z, const wchar_t* text) {
    if (track_aktionen == nullptr || track_aktionen->Voll()) return;
    TRACK& a = *track_aktionen;
    if (q >= 0 || s >= 0) {
        if (q >= 0) {
            a.AddAscii("\"q");
            a.AddNr(q + (track_quelle != nullptr ? track_quelle->FirstId() : 0));
            eintrag_abschliessen(a);
        }
        if (q < 0 || s >= 0) {
            a.AddAscii("\"s");
            a.AddNr(s);
            if (text != nullptr && text[0] != 0) {
                a.AddAscii("=");
                a.AddText(text);
            }
            eintrag_abschliessen(a);
        }
    }
    if (z >= 0) {
        a.AddAscii("\"z");
        a.AddNr(z);
        eintrag_abschliessen(a);
    }
}

void CNV::Ziel_Tracken_Beginn(int n) {
    if (track_ziel == nullptr || track_ziel->Voll()) return;
    track_ziel->AddAscii("<span id=\"z");
    track_ziel->AddNr(n);
    track_ziel->AddAscii("\">");
}

void CNV::Ziel_Tracken_Ende() {
    if (track_ziel != nullptr && !track_ziel->Voll()) track_ziel->AddAscii("</span>");
}

void CNV::Quelle_in_TRACK_Einlesen() {
    if (track_quelle == nullptr || quelle.text == nullptr) return;
    TRACK& t = *track_quelle;
    // The items of this file are numbered on from those of earlier files.
    t.AddFirstId(t.LastId() - t.FirstId());
    if (globale_ausgabe) {
        if (t.LastZeile() > 0) t.AddAscii("\n");
        t.AddAscii("\n<b class=\"file\">");
        t.AddHtmlText(quelle.basisname);
        t.AddAscii("</b>\n\n");
    }
    t.AddStartLabel();
    // Room for the text with a span around each item, and as much for the
    // output and the actions of this file: each record then grows about
    // once instead of being copied at every doubling. Room not used is
    // never touched and costs no memory.
    const std::size_t schaetzung = quelle.length + static_cast<std::size_t>(meta.Anzahl()) * 32 + 64;
    t.Reservieren(schaetzung);
    if (track_ziel != nullptr) track_ziel->Reservieren(schaetzung);
    if (track_aktionen != nullptr) track_aktionen->Reservieren(schaetzung);

    const wchar_t* pos = quelle.text;
    const wchar_t* ende = quelle.text + quelle.length;
    const int anzahl = meta.Anzahl();
    for (int i = 0; i < anzahl; ++i) {
        const META::metaitem& item = meta.Item(i);
        // Items of the text lie in it in document order; items the text
        // does not hold (defaulted attributes, expanded entities) have no
        // span, and one out of order would be shown twice.
        if (item.kind == META_NONE || !meta.Im_Dokument(i) || item.start < pos || item.end < item.start ||
            item.end > ende)
            continue;
        if (t.Voll()) break;
        t.AddHtmlText(pos, item.start);
        t.AddHtmlSpanne(L'q', t.FirstId() + i, item.start, item.end);
        pos = item.end;
    }
    if (!t.Voll()) t.AddHtmlText(pos, ende);
    t.text.push_back('\0');
    t.AddLastId(anzahl);
}
