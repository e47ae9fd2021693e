// Tracking entries of the engine: the action list, the spans around the
// output and the source record of a parsed document.
#include "convert/CNV.h"
#include "tracking/TRACK.h"

namespace {

void eintrag_abschliessen(TRACK& a) {
    a.AddText(L"\", ");
    // Ten entries to a line keep the list readable in the report's source.
    if (a.CheckCount() > 9) {
        a.ResetCount();
        a.AddText(L"\n");
    }
}

}  // namespace

void CNV::Aktion_Tracken(int q, int s, int z, const wchar_t* text) {
    if (track_aktionen == nullptr) return;
    TRACK& a = *track_aktionen;
    if (q >= 0 || s >= 0) {
        if (q >= 0) {
            a.AddText(L"\"q");
            a.AddNr(q + (track_quelle != nullptr ? track_quelle->FirstId() : 0));
            eintrag_abschliessen(a);
        }
        if (q < 0 || s >= 0) {
            a.AddText(L"\"s");
            a.AddNr(s);
            if (text != nullptr && text[0] != 0) {
                a.AddText(L"=");
                a.AddText(text);
            }
            eintrag_abschliessen(a);
        }
    }
    if (z >= 0) {
        a.AddText(L"\"z");
        a.AddNr(z);
        eintrag_abschliessen(a);
    }
}

void CNV::Ziel_Tracken_Beginn(int n) {
    if (track_ziel == nullptr) return;
    track_ziel->AddText(L"<span id=\"z");
    track_ziel->AddNr(n);
    track_ziel->AddText(L"\">");
}

void CNV::Ziel_Tracken_Ende() {
    if (track_ziel != nullptr) track_ziel->AddText(L"</span>");
}

void CNV::Quelle_in_TRACK_Einlesen() {
    if (track_quelle == nullptr || quelle.text == nullptr) return;
    TRACK& t = *track_quelle;
    // The items of this file are numbered on from those of earlier files.
    t.AddFirstId(t.LastId() - t.FirstId());
    if (globale_ausgabe) {
        if (t.LastZeile() > 0) t.AddText(L"\n");
        t.AddText(L"\n<b class=\"file\">");
        t.AddHtmlText(quelle.basisname);
        t.AddText(L"</b>\n\n");
    }
    t.AddStartLabel();

    const wchar_t* pos = quelle.text;
    const wchar_t* ende = quelle.text + quelle.length;
    const int anzahl = meta.Anzahl();
    for (int i = 0; i < anzahl; ++i) {
        const META::metaitem& item = meta.Item(i);
        // Items lie in document order inside the text; one that does not
        // (none should) is left out rather than shown twice.
        if (item.kind == META_NONE || item.start == nullptr || item.start < pos || item.end < item.start ||
            item.end > ende)
            continue;
        t.AddHtmlText(pos, item.start);
        t.AddHtmlSpanne(L'q', t.FirstId() + i, item.start, item.end);
        pos = item.end;
    }
    t.AddHtmlText(pos, ende);
    t.text.push_back(L'\0');
    t.AddLastId(anzahl);
}
