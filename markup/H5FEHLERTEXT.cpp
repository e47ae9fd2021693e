#include "markup/H5FEHLERTEXT.h"

#include <cstring>

namespace {

struct Text {
    const char* code;
    const wchar_t* text;
};

// Tokenizer codes (as the standard names them) and the tree builder's.
constexpr Text TEXTE[] = {
    {"abrupt-closing-of-empty-comment", L"Leerer Kommentar, mit '>' zu früh geschlossen"},
    {"abrupt-doctype-public-identifier", L"Public-Identifikator der Dokumenttyp-Deklaration mit '>' abgebrochen"},
    {"abrupt-doctype-system-identifier", L"System-Identifikator der Dokumenttyp-Deklaration mit '>' abgebrochen"},
    {"absence-of-digits-in-numeric-character-reference", L"Zeichenreferenz ohne Ziffern, als Text gelesen"},
    {"cdata-in-html-content", L"CDATA-Abschnitt außerhalb von SVG und MathML, als Kommentar gelesen"},
    {"character-reference-outside-unicode-range", L"Zeichenreferenz über U+10FFFF, als U+FFFD gelesen"},
    {"control-character-in-input-stream", L"Steuerzeichen im Text"},
    {"control-character-reference", L"Zeichenreferenz auf ein Steuerzeichen"},
    {"duplicate-attribute", L"Attribut mehrfach angegeben, es gilt der erste Wert"},
    {"end-tag-with-attributes", L"Endtag mit Attributen"},
    {"end-tag-with-trailing-solidus", L"Endtag mit '/' vor '>'"},
    {"eof-before-tag-name", L"Dateiende nach '<'"},
    {"eof-in-cdata", L"Dateiende im CDATA-Abschnitt"},
    {"eof-in-comment", L"Dateiende im Kommentar"},
    {"eof-in-doctype", L"Dateiende in der Dokumenttyp-Deklaration"},
    {"eof-in-script-html-comment-like-text", L"Dateiende in einem Kommentar im Skript"},
    {"eof-in-tag", L"Dateiende im Tag, der Tag entfällt"},
    {"incorrectly-closed-comment", L"Kommentar mit '--!>' geschlossen"},
    {"incorrectly-opened-comment", L"Falsch geöffneter Kommentar, als Kommentar bis '>' gelesen"},
    {"invalid-character-sequence-after-doctype-name",
     L"Unerwartete Zeichen nach dem Namen der Dokumenttyp-Deklaration"},
    {"invalid-first-character-of-tag-name", L"Kein Buchstabe nach '<' oder '</', als Text gelesen"},
    {"missing-attribute-value", L"Attributwert fehlt nach '='"},
    {"missing-doctype-name", L"Name der Dokumenttyp-Deklaration fehlt"},
    {"missing-doctype-public-identifier", L"Public-Identifikator der Dokumenttyp-Deklaration fehlt"},
    {"missing-doctype-system-identifier", L"System-Identifikator der Dokumenttyp-Deklaration fehlt"},
    {"missing-end-tag-name", L"Endtag ohne Namen ('</>'), übergangen"},
    {"missing-quote-before-doctype-public-identifier",
     L"Anführungszeichen vor dem Public-Identifikator der Dokumenttyp-Deklaration fehlt"},
    {"missing-quote-before-doctype-system-identifier",
     L"Anführungszeichen vor dem System-Identifikator der Dokumenttyp-Deklaration fehlt"},
    {"missing-semicolon-after-character-reference", L"Zeichenreferenz ohne ';'"},
    {"missing-whitespace-after-doctype-public-keyword", L"Leerraum nach PUBLIC fehlt"},
    {"missing-whitespace-after-doctype-system-keyword", L"Leerraum nach SYSTEM fehlt"},
    {"missing-whitespace-before-doctype-name", L"Leerraum vor dem Namen der Dokumenttyp-Deklaration fehlt"},
    {"missing-whitespace-between-attributes", L"Leerraum zwischen zwei Attributen fehlt"},
    {"missing-whitespace-between-doctype-public-and-system-identifiers",
     L"Leerraum zwischen Public- und System-Identifikator fehlt"},
    {"nested-comment", L"'<!--' in einem Kommentar"},
    {"noncharacter-character-reference", L"Zeichenreferenz auf ein Nichtzeichen"},
    {"noncharacter-in-input-stream", L"Nichtzeichen im Text"},
    {"null-character-reference", L"Zeichenreferenz auf das Zeichen 0, als U+FFFD gelesen"},
    {"surrogate-character-reference", L"Zeichenreferenz auf ein Surrogat, als U+FFFD gelesen"},
    {"surrogate-in-input-stream", L"Surrogat im Text"},
    {"unexpected-character-after-doctype-system-identifier",
     L"Unerwartete Zeichen nach dem System-Identifikator der Dokumenttyp-Deklaration"},
    {"unexpected-character-in-attribute-name", L"Anführungszeichen oder '<' im Attributnamen"},
    {"unexpected-character-in-unquoted-attribute-value",
     L"Anführungszeichen, '<', '=' oder Gravis im Attributwert ohne Anführungszeichen"},
    {"unexpected-equals-sign-before-attribute-name", L"'=' vor dem Attributnamen"},
    {"unexpected-null-character", L"Zeichen 0 im Text, übergangen oder als U+FFFD gelesen"},
    {"unexpected-question-mark-instead-of-tag-name", L"'<?' (Verarbeitungsanweisung), als Kommentar gelesen"},
    {"unexpected-solidus-in-tag", L"'/' im Tag, übergangen"},
    {"unknown-named-character-reference", L"Unbekannte benannte Zeichenreferenz, als Text gelesen"},
    // Tree construction.
    {"adoption-agency-1.2", L"Endtag eines Formatierungselementes, das nicht offen ist, übergangen"},
    {"adoption-agency-1.3", L"Formatierungselemente falsch verschachtelt, neu angeordnet"},
    {"adoption-agency-4.4", L"Endtag eines Formatierungselementes außerhalb seines Bereiches, übergangen"},
    {"end-tag-after-implied-root", L"Endtag vor dem Wurzelelement"},
    {"end-tag-too-early", L"Endtag schließt ein Element, in dem noch Elemente offen sind"},
    {"end-tag-too-early-ignored", L"Endtag eines Elementes, in dem noch Elemente offen sind, übergangen"},
    {"eof-in-frameset", L"Dateiende im Frameset"},
    {"eof-in-template", L"Dateiende im Template"},
    {"expected-doctype-but-got-chars", L"Text vor der Dokumenttyp-Deklaration"},
    {"expected-doctype-but-got-other", L"Dokumenttyp-Deklaration fehlt"},
    {"expected-eof-but-got-token", L"Inhalt nach dem Ende des Dokumentes"},
    {"expected-named-closing-tag-but-got-eof", L"Dateiende vor dem Endtag des Elementes"},
    {"non-html-root", L"Dokumenttyp-Deklaration nennt nicht 'html'"},
    {"too-many-active-formatting-elements",
     L"Mehr als 64 offene Formatierungselemente, das älteste wird nicht mehr wiederhergestellt"},
    {"unexpected-cell-end", L"Endtag einer Zelle außerhalb der Zelle, übergangen"},
    {"unexpected-cell-in-table-body", L"Zelle ohne Zeile, eine Zeile wird ergänzt"},
    {"unexpected-char-after-body", L"Text nach dem Ende des Body, dem Body angefügt"},
    {"unexpected-char-in-colgroup", L"Text in einer Spaltengruppe"},
    {"unexpected-char-in-frameset", L"Text im Frameset, übergangen"},
    {"unexpected-char-in-noscript", L"Text in 'noscript' im Kopf"},
    {"unexpected-char-in-table", L"Text in einer Tabelle, vor die Tabelle gestellt"},
    {"unexpected-doctype", L"Dokumenttyp-Deklaration an unerwarteter Stelle, übergangen"},
    {"unexpected-end-tag", L"Unerwarteter Endtag, übergangen"},
    {"unexpected-end-tag-before-html", L"Endtag vor dem Element 'html', übergangen"},
    {"unexpected-end-tag-in-select", L"Unerwarteter Endtag in 'select', übergangen"},
    {"unexpected-end-tag-treated-as", L"Endtag wird als ein anderer Tag gelesen"},
    {"unexpected-form-in-table", L"Formular in einer Tabelle, als leeres Formular gelesen"},
    {"unexpected-hidden-input-in-table", L"Verborgenes Eingabefeld in einer Tabelle"},
    {"unexpected-html-element-in-foreign-content", L"HTML-Element beendet SVG oder MathML"},
    {"unexpected-input-in-select", L"Eingabefeld in 'select', 'select' wird geschlossen"},
    {"unexpected-select-in-select", L"'select' in 'select', 'select' wird geschlossen"},
    {"unexpected-start-tag", L"Unerwarteter Starttag"},
    {"unexpected-start-tag-ignored", L"Unerwarteter Starttag, übergangen"},
    {"unexpected-start-tag-implies-end-tag", L"Starttag schließt ein offenes Element gleicher Art"},
    {"unexpected-start-tag-out-of-my-head", L"Element des Kopfes nach dem Kopf, in den Kopf gestellt"},
    {"unexpected-start-tag-treated-as", L"Starttag wird als ein anderer Tag gelesen"},
    {"unexpected-table-element-end-tag-in-select-in-table", L"Endtag eines Tabellenelementes in 'select'"},
    {"unexpected-table-element-start-tag-in-select-in-table", L"Starttag eines Tabellenelementes in 'select'"},
    {"unexpected-token", L"Unerwarteter Inhalt, übergangen"},
    {"unexpected-token-after-body", L"Inhalt nach dem Ende des Body, dem Body angefügt"},
    {"unexpected-token-after-frameset", L"Inhalt nach dem Frameset, übergangen"},
    {"unexpected-token-in-colgroup", L"Unerwarteter Inhalt in einer Spaltengruppe"},
    {"unexpected-token-in-frameset", L"Unerwarteter Inhalt im Frameset, übergangen"},
    {"unexpected-token-in-noscript", L"Unerwarteter Inhalt in 'noscript' im Kopf"},
    {"unexpected-token-in-select", L"Unerwarteter Inhalt in 'select', übergangen"},
    {"unexpected-token-in-table", L"Unerwarteter Inhalt in einer Tabelle, vor die Tabelle gestellt"},
    {"unknown-doctype", L"Unbekannte Dokumenttyp-Deklaration (Quirks-Modus)"},
};

}  // namespace

std::wstring H5_Fehlertext(const char* code) {
    std::wstring c;
    for (const char* p = code; p != nullptr && *p != 0; ++p) c.push_back(static_cast<wchar_t>(*p));
    for (const Text& t : TEXTE)
        if (code != nullptr && std::strcmp(t.code, code) == 0) return std::wstring(t.text) + L" (" + c + L").";
    return L"Fehler im HTML (" + c + L").";
}
