// Tracking entries of the engine: the action list, the spans around the
// output and the source record of a parsed document.
#include "convert/CNV.h"
#include "base/TRACK.h"
#include "markup/H5LESER.h"

namespace {

void eintrag_abschliessen(TRACK& a) {
    a.AddAscii("\", ");
    // Ten entries to a line keep the list readable in the report's source.
    if (a.CheckCount() > 9) {
        a.ResetCount();
        a.AddAscii("\n");
    }
}

// The source record from spans in document order (they may name items
// in any order): the text of `text`, which stands beside the buffer's.
void Spannen_in_TRACK(TRACK& t, const std::vector<H5SPANNE>& spannen, const wchar_t* text, const wchar_t* puffer,
                      std::size_t laenge) {
    std::size_t pos = 0;
    for (const H5SPANNE& s : spannen) {
        const std::size_t a = static_cast<std::size_t>(s.von - puffer), e = static_cast<std::size_t>(s.bis - puffer);
        if (a < pos || e < a || e > laenge) continue;
        if (t.Voll()) break;
        t.AddHtmlText(text + pos, text + a);
        t.AddHtmlSpanne(L'q', t.FirstId() + s.item, text + a, text + e);
        pos = e;
    }
    if (!t.Voll()) t.AddHtmlText(text + pos, text + laenge);
    t.text.push_back('\0');
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

void CNV::Quelle_in_TRACK_Einlesen(const std::vector<H5SPANNE>* spannen, const wchar_t* original) {
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

    const int anzahl = meta.Anzahl();
    if (spannen != nullptr) {
        Spannen_in_TRACK(t, *spannen, original != nullptr ? original : quelle.text, quelle.text, quelle.length);
        t.AddLastId(anzahl);
        return;
    }
    const wchar_t* pos = quelle.text;
    const wchar_t* ende = quelle.text + quelle.length;
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
