// CONVERTENTITIES = EXPAND: references that the script does not define are
// written as what they stand for, as document text (escaped under
// WRITERESCAPE = MARKUP). The reader has already put the text of the
// entities its DTD declares in their place where it could; what is left
// here are character references, the five predefined entities, and
// references whose entity has no text to give.
#include <cwchar>
#include <string>

#include "base/Konsole.h"
#include "convert/CNV.h"
#include "markup/DTDDOK.h"

namespace {

// The character a predefined entity stands for, 0 for other names.
wchar_t Vordefiniert(std::wstring_view name) {
    if (name == L"amp") return L'&';
    if (name == L"lt") return L'<';
    if (name == L"gt") return L'>';
    if (name == L"quot") return L'"';
    if (name == L"apos") return L'\'';
    return 0;
}

}  // namespace

// The hint that goes with a reference nobody declares, once per document.
void CNV::Dtd_Hinweis() {
    if (dtd_hinweis_gegeben || !dtd || !dtd->Extern_ungelesen()) return;
    dtd_hinweis_gegeben = true;
    if (dtd->Auftraege().extern_lesen)
        Konsole_Text(L"Hinweis: Das externe DTD des Dokuments wurde mit READERDTD = EXTERNAL gesucht, aber nicht "
                     L"(ganz) gelesen; die Warnung beim Lesen nennt den Grund.\n");
    else
        Konsole_Text(L"Hinweis: Das externe DTD des Dokuments wurde nicht gelesen; READERDTD = EXTERNAL liest "
                     L"es.\n");
}

// Written as document text: under WRITERESCAPE = MARKUP escaped by the
// writer, and the characters that a reader of the result would not keep as
// they are (a carriage return; in an attribute value also tabs and line
// feeds, which would become blanks) as character references. Without it,
// a value copied into double quotes must not end at a quote it holds.
int CNV::Ersatztext_Schreiben(std::wstring_view text, bool attribut) {
    const OUTmaskeItems art = attribut ? OUT_MASKE_ATTRIBUT : OUT_MASKE_TEXT;
    std::wstring stueck;
    auto leeren = [&] {
        const int ok = stueck.empty() || Dokumenttext_Schreiben(stueck.c_str(), art);
        stueck.clear();
        return ok;
    };
    for (const wchar_t c : text) {
        if (maskieren && (c == L'\r' || (attribut && (c == L'\t' || c == L'\n')))) {
            wchar_t referenz[8];
            std::swprintf(referenz, 8, L"&#x%X;", static_cast<unsigned>(c));
            if (!leeren() || !AusgabeWrite(static_cast<const wchar_t*>(referenz))) return 0;
        } else if (!maskieren && attribut && anfuehrung_schuetzen && c == L'"') {
            stueck += L"&quot;";
        } else {
            stueck.push_back(c);
        }
    }
    return leeren();
}

int CNV::Ersetzung_Schreiben(int item) {
    const META::metaitem& it = meta.Item(item);
    const bool attribut = (it.kind & 0x040) != 0;
    if ((it.kind & 0x180) != 0) {
        const wchar_t zeichen[2] = {static_cast<wchar_t>(it.value), 0};
        return Ersatztext_Schreiben(std::wstring_view(zeichen, 1), attribut);
    }
    const std::wstring_view name = it.Text();
    if (const wchar_t c = Vordefiniert(name)) return Ersatztext_Schreiben(std::wstring_view(&c, 1), attribut);
    const int e = dtd ? dtd->Entitaet(name) : -1;
    if (e >= 0) {
        std::wstring_view text;
        if (!dtd->Modell().Entitaetstext(e, text, &quelle, Dokumentstelle(item))) {
            if (dtd->Modell().Entitaeten(e).art == DTD::E_EXTERN) Dtd_Hinweis();
            return 0;
        }
        return Ersatztext_Schreiben(text, attribut);
    }
    Fehler_Dokument(L"ENTITY", L"Die Entity '%ls' ist nicht deklariert.", it.start, item);
    Dtd_Hinweis();
    ++undeklariert;
    return 0;
}
