// Macros of rule texts and entity texts: what each one writes at run time.
#include "convert/CNV.h"

#include <cstdint>
#include <cwchar>
#include <string>

#include "base/Konsole.h"
#include "base/NAMEN.h"
#include "script/BASIC.h"

namespace {

constexpr int kWertPuffer = 16388;  // attribute values: 16387 characters and the end
constexpr int kTiefenGrenze = 1000;  // nested COPY, CUT and DEL walks

BASICtypeItems Art(const CNV& c, int r) { return c.basic->Item(r).kind; }

// Reports against the script at the rule item; always 0, so that callers
// can fail in one line.
int Skriptfehler(CNV& c, int r, const wchar_t* label, const wchar_t* text, const wchar_t* argument = nullptr) {
    c.Fehler_Skript(label, text, argument, r);
    return 0;
}

// The element an item belongs to: a tag's own start tag, the start tag that
// an attribute follows, the element that contains data or a reference.
bool Element_von(CNV& c, int* item) {
    const int i = *item;
    if (i < 0 || i >= c.meta.Anzahl()) return false;
    const METAtypeItems art = c.meta.Item(i).kind;
    if (art == META_STARTTAG) return true;
    if (art == META_ENDTAG) return c.meta.IPR_find_starttag(item);
    if ((art & 0x040) != 0) {  // attribute part: its start tag stands before it
        for (int k = i - 1; k >= 0; --k) {
            const METAtypeItems a = c.meta.Item(k).kind;
            if (a == META_STARTTAG) {
                *item = k;
                return true;
            }
            if ((a & 0x040) == 0) break;
        }
        return c.meta.IPR_find_starttag(item);
    }
    // Content is linked to its element; the nearest start tag before it may
    // be a sibling that has already ended.
    const int eltern = c.meta.Item(i).link - 1;
    if (eltern >= 0 && eltern < i && c.meta.Item(eltern).kind == META_STARTTAG) {
        *item = eltern;
        return true;
    }
    return c.meta.IPR_find_starttag(item);
}

// The element whose attribute a macro reads: the focus, or with a name
// its nearest ancestor of that name. 1 found; 0 after the message; -1 when
// there is no such ancestor (the macro then writes nothing).
int Element_waehlen(CNV& c, int item, int name, int schluessel, const wchar_t* label, int* element) {
    *element = item;
    if (!Element_von(c, element))
        return Skriptfehler(c, schluessel, label, L"Starttag des Elementes konnte nicht bestimmt werden");
    if (name == 0) return 1;
    // The ancestors: the parent or the nearest one above it (kept per name,
    // so that deep documents are not walked up for every element).
    return c.meta.IPR_find_context_element(element) && c.meta.IPR_if_ine_nr(element, name) ? 1 : -1;
}

// Where an attribute's value comes from: the value pieces of an element
// that specifies it, or a declared default.
struct Attributquelle {
    int stueck = -1;                 // first value piece; -1: not specified
    const wchar_t* vorgabe = nullptr;
};

// The element specifies the attribute, or declares a default for it
// (inherited: a non-empty one).
bool Attribut_hier(CNV& c, int r, int el, const wchar_t* attribut, bool geerbt, Attributquelle* q) {
    int a = el;
    if (c.meta.IPR_find_attrname_nr(&a, Namenstabelle().Nummer(attribut))) {
        q->stueck = a + 1;
        return true;
    }
    const wchar_t* vorgabe = nullptr;
    if (!c.basic->Find_attribute_default(r, c.Itemname(el), attribut, &vorgabe)) return false;
    if (geerbt && (vorgabe == nullptr || vorgabe[0] == 0)) return false;
    q->vorgabe = vorgabe != nullptr ? vorgabe : L"";
    return true;
}

// The attribute on the element, else its declared default. Inherited
// (IMPLIED): an element without it and without a non-empty default passes
// the question on to its parent, up to the root.
bool Attribut_finden(CNV& c, int r, int element, const wchar_t* attribut, bool geerbt, Attributquelle* q) {
    if (!geerbt) return Attribut_hier(c, r, element, attribut, false, q);
    struct Frage {
        CNV& c;
        int r;
        const wchar_t* attribut;
    } frage{c, r, attribut};
    auto traegt = [](void* k, int el) {
        Frage& f = *static_cast<Frage*>(k);
        Attributquelle egal;
        return Attribut_hier(f.c, f.r, el, f.attribut, true, &egal);
    };
    const int traeger = c.meta.IPR_find_traeger(element, attribut, traegt, &frage);
    return traeger >= 0 && Attribut_hier(c, r, traeger, attribut, true, q);
}

// The attribute's value as text, references read as spaces; false when it
// is too long for the buffer.
bool Attribut_lesen(CNV& c, const Attributquelle& q, wchar_t* out, int kapazitaet) {
    if (q.stueck < 0) {
        if (static_cast<int>(std::wcslen(q.vorgabe)) >= kapazitaet) return false;
        std::wcscpy(out, q.vorgabe);
        return true;
    }
    return c.meta.Read_attribute_value(q.stueck, out, kapazitaet, 0);
}

// VALUE and IMPLIED in a rule, VALUE in an entity text. An element name
// takes the value from the nearest ancestor of that name; a format literal
// computes it; otherwise the value pieces are converted with the model.
int Wert_Makro(CNV& c, int* rule, int item, bool geerbt, bool entitaet, const wchar_t* label) {
    const int schluessel = *rule;
    int r = schluessel + 1;
    int element_name = 0;
    if (Art(c, r) == ITEM_NAME) element_name = c.basic->Namensnummer(r++);
    if (Art(c, r) != ITEM_ATTNAME) {
        *rule = r;
        return Skriptfehler(c, schluessel, label, entitaet ? L"Attribut (Zeichenkette) fehlt" : L"Attribut fehlt");
    }
    const wchar_t* attribut = c.basic->Text(r++);
    const wchar_t* format = nullptr;
    DATAtypeItems modell = DATA_DATA;
    if (Art(c, r) == ITEM_LITERAL) format = c.basic->Text(r++);
    else if (Art(c, r) == ITEM_DATA_TYPE) modell = static_cast<DATAtypeItems>(c.basic->Item(r++).value);
    *rule = r;

    int element = -1;
    if (const int gefunden = Element_waehlen(c, item, element_name, schluessel, label, &element); gefunden <= 0)
        return gefunden < 0 ? 1 : 0;
    Attributquelle q;
    if (!Attribut_finden(c, schluessel, element, attribut, geerbt, &q))
        return Skriptfehler(c, schluessel, label,
                            entitaet ? L"Der Attributwert des Attributes '%ls' ist ungültig" : L"Attribut fehlt",
                            attribut);

    if (format != nullptr && format[0] != 0) {
        wchar_t* wert = c.Makropuffer(0);
        if (!Attribut_lesen(c, q, wert, kWertPuffer))
            return Skriptfehler(c, schluessel, label, L"Die Attributersetzung des Attributes '%ls' zu groß", attribut);
        if (wert[0] == 0) return 1;
        c.wert_position = c.basic->Item(schluessel).begin;
        if (!c.Berechne_Wert(wert, wert, kWertPuffer, format, 100.0, label)) {
            c.Fehler_Dokument(label, L"Die Umrechnung eines Wertes im Element '%ls' ist fehlgeschlagen",
                              c.Itemname(element), element);
            Skriptfehler(c, schluessel, label, L"im Skript");
        }
        return c.Dokumenttext_Schreiben(wert, OUT_MASKE_ATTRIBUT);
    }
    if (q.stueck < 0) return c.AusgabeWrite(q.vorgabe);
    int stueck = q.stueck;
    if (!c.Convert_Attribute_Daten(schluessel, &stueck, modell))
        return Skriptfehler(c, schluessel, label,
                            L"Der Attributwert des Attributes '%ls' konnte nicht konvertiert werden", attribut);
    return 1;
}

bool Ist_Trenner(wchar_t z, bool nur_zahlen) {
    if (z == L' ' || z == L'\t' || z == L'\n' || z == L'\r') return true;
    if (!nur_zahlen) return false;
    return z == L'-' || z == L'_' || z == L'/' || z == L'\\' || (z >= L'a' && z <= L'z') || (z >= L'A' && z <= L'Z');
}

// Decimal digits of n (n >= 0); the length.
int Dezimal(int n, wchar_t* out) {
    wchar_t umgekehrt[16];
    int k = 0;
    do {
        umgekehrt[k++] = static_cast<wchar_t>(L'0' + n % 10);
        n /= 10;
    } while (n > 0);
    for (int i = 0; i < k; ++i) out[i] = umgekehrt[k - 1 - i];
    out[k] = 0;
    return k;
}

}  // namespace

wchar_t* CNV::Makropuffer(int welcher) {
    std::vector<wchar_t>& p = makro_puffer[welcher];
    if (p.empty()) p.assign(kWertPuffer, 0);
    return p.data();
}

int CNV::Berechne_alpha(int n, wchar_t* out, int capacity, bool gross) {
    if (n <= 0) {
        if (capacity >= 0) out[0] = 0;
        return 0;
    }
    const int laenge = (n - 1) / 26 + 1;
    if (laenge > capacity) return laenge;
    const wchar_t buchstabe = static_cast<wchar_t>((gross ? L'A' : L'a') + (n - 1) % 26);
    for (int i = 0; i < laenge; ++i) out[i] = buchstabe;
    out[laenge] = 0;
    return laenge;
}

int CNV::Berechne_rom(int n, wchar_t* out, int capacity, bool gross) {
    static const wchar_t* const einer[] = {L"", L"I", L"II", L"III", L"IV", L"V", L"VI", L"VII", L"VIII", L"IX"};
    static const wchar_t* const zehner[] = {L"", L"X", L"XX", L"XXX", L"XL", L"L", L"LX", L"LXX", L"LXXX", L"XC"};
    static const wchar_t* const hunderter[] = {L"",  L"C",  L"CC",  L"CCC",  L"CD",
                                               L"D", L"DC", L"DCC", L"DCCC", L"CM"};
    if (n < 0) n = 0;
    const wchar_t* teile[3] = {hunderter[n / 100 % 10], zehner[n / 10 % 10], einer[n % 10]};
    const int tausender = n / 1000;
    int laenge = tausender;
    for (const wchar_t* t : teile) laenge += static_cast<int>(std::wcslen(t));
    if (laenge > capacity) return laenge;
    wchar_t* o = out;
    for (int i = 0; i < tausender; ++i) *o++ = L'M';
    for (const wchar_t* t : teile)
        for (; *t; ++t) *o++ = *t;
    *o = 0;
    if (!gross)
        for (wchar_t* p = out; p < o; ++p) *p = static_cast<wchar_t>(*p - L'A' + L'a');
    return laenge;
}

int CNV::Convert_makro_cdata_value(int* rule, int item) { return Wert_Makro(*this, rule, item, false, true, L"VALUE"); }
int CNV::Convert_makro_value(int* rule, int item) { return Wert_Makro(*this, rule, item, false, false, L"VALUE"); }
int CNV::Convert_makro_implied(int* rule, int item) { return Wert_Makro(*this, rule, item, true, false, L"IMPLIED"); }

int CNV::Convert_makro_literal(int* rule, int item) {
    const int stelle = *rule;
    const wchar_t* text = basic->Text(stelle);
    ++*rule;
    if (AusgabeWrite(text)) return 1;
    Fehler_Dokument(L"Zeichenkette", L"Die Zeichenkette '%ls' konnte nicht ausgegeben werden.", text, item);
    return Skriptfehler(*this, stelle, nullptr, L"im Skript");
}

int CNV::Convert_makro_chr(int* rule, int item) {
    const int stelle = *rule;
    if (basic->Item(stelle).kind != ITEM_CHR) return Skriptfehler(*this, stelle, L"CHR", L"CHR erwartet");
    ++*rule;
    const wchar_t* ziffern = L"";
    if (basic->Item(*rule).kind == ITEM_NUMBER) ziffern = basic->Text((*rule)++);

    // Leading digits only; text without them reads as 0.
    std::uint64_t code = 0;
    bool ungueltig = false;
    for (const wchar_t* c = ziffern; *c >= L'0' && *c <= L'9'; ++c) {
        const std::uint64_t ziffer = static_cast<std::uint64_t>(*c - L'0');
        if (code > (UINT64_MAX - ziffer) / 10) {
            ungueltig = true;
            break;
        }
        code = code * 10 + ziffer;
    }
    if (!ungueltig && code <= 0x10FFFF) return AusgabeWrite(static_cast<unsigned int>(code));

    // Out of range: nothing is written, the rule goes on.
    std::string zahl;
    for (const wchar_t* c = ziffern; *c != 0; ++c) zahl += static_cast<char>(*c < 128 ? *c : '?');
    if (ungueltig) {
        Skriptfehler(*this, stelle, L"CHR", L"Code ist ungültig");
        Fehler_Dokument(L"CHR", L"Code ist ungültig.", nullptr, item);
        if (meldungen.Zuletzt_gezeigt()) Konsole_Print(L"Hinweis: Code '%s' ist ungültig.\n", zahl.c_str());
        return 1;
    }
    Skriptfehler(*this, stelle, L"CHR", L"Code liegt außerhalb des gültigen Unicode-Zeichenbereiches (0..10FFFF)");
    // The number and its hints go with the message, shown or held back.
    const bool gezeigt = meldungen.Zuletzt_gezeigt();
    if (gezeigt && code > INT32_MAX)
        Konsole_Print(L"FEHLER: Die positive Ganzzahl %llu liegt außerhalb des gültigen Wertebereichs. Die Zahl wird "
                      L"auf den maximal zulässigen Wert %d eingestellt.\n",
                      static_cast<unsigned long long>(code), INT32_MAX);
    Fehler_Dokument(L"CHR", L"Code liegt außerhalb des gültigen Unicode-Zeichenbereiches (0..10FFFF).", nullptr,
                    item);
    if (gezeigt)
        Konsole_Print(L"Hinweis: Der '%s' liegt außerhalb des gültigen Unicode-Zeichenbereiches (0..10FFFF).\n",
                      zahl.c_str());
    return 1;
}

namespace {

constexpr int kZaehlerLaenge = 32;  // characters of one count's text

// The text of one count in the format, into room for kZaehlerLaenge
// characters and the end; its length, or -1 after the message when it does
// not fit.
inline int Zaehlertext(CNV& c, int schluessel, int anzahl, std::uint32_t format, wchar_t* text) {
    if (anzahl >= 2000000001) {
        Skriptfehler(c, schluessel, L"COUNT", L"Element-Zähler zu groß");
        return -1;
    }
    int laenge = 0;
    const wchar_t* zu_gross = L"Element-Zähler für NUM zur groß";
    switch (format) {
    case 2: laenge = CNV::Berechne_alpha(anzahl, text, kZaehlerLaenge, false), zu_gross = L"Element-Zähler für ALPHA zur groß"; break;
    case 3: laenge = CNV::Berechne_alpha(anzahl, text, kZaehlerLaenge, true), zu_gross = L"Element-Zähler für UPALPHA zur groß"; break;
    case 4: laenge = CNV::Berechne_rom(anzahl, text, kZaehlerLaenge, false), zu_gross = L"Element-Zähler für ROM zur groß"; break;
    case 5: laenge = CNV::Berechne_rom(anzahl, text, kZaehlerLaenge, true), zu_gross = L"Element-Zähler für UPROM zur groß"; break;
    default: laenge = Dezimal(anzahl, text); break;
    }
    if (laenge > kZaehlerLaenge) {
        Skriptfehler(c, schluessel, L"COUNT", zu_gross);
        return -1;
    }
    return laenge;
}

}  // namespace

int CNV::Convert_makro_count(int* rule, int item) {
    const wchar_t* const label = L"COUNT";
    const int schluessel = *rule;
    int r = schluessel + 1;
    int name = 0;
    if (Art(*this, r) == ITEM_NAME) name = basic->Namensnummer(r++);
    std::uint32_t bereich = COUNT_LEVEL;
    if (Art(*this, r) == ITEM_RANGE) bereich = basic->Item(r++).value;
    std::uint32_t format = 1;   // NUM
    if (Art(*this, r) == ITEM_COUNT_FORMAT) format = basic->Item(r++).value;
    const wchar_t* trenner = L".";
    if (bereich == COUNT_PATH && Art(*this, r) == ITEM_LITERAL) trenner = basic->Text(r++);
    *rule = r;

    int gezaehlt = item;
    if (name == 0) {
        if (!Element_von(*this, &gezaehlt))
            return Skriptfehler(*this, schluessel, label, L"Starttag des Elementes konnte nicht bestimmt werden");
        name = meta.Tagname(gezaehlt);
    }
    const bool gefunden = meta.IPR_if_ine_nr(&gezaehlt, name);
    if (gefunden && bereich == COUNT_PATH) return Zaehlerpfad_Schreiben(schluessel, gezaehlt, name, format, trenner);
    int anzahl = 0;
    if (gefunden) anzahl = bereich == COUNT_DOC ? meta.IPR_count_doc(gezaehlt) : meta.IPR_count(gezaehlt);
    wchar_t text[kZaehlerLaenge + 1];
    if (Zaehlertext(*this, schluessel, anzahl, format, text) < 0) return 0;
    return AusgabeWrite(static_cast<const wchar_t*>(text));
}

// The counted element and every element of its name above it, innermost
// first, then written outermost first. Each step up asks the ancestor memo
// of COUNT, so a deep chain is climbed once for the whole document.
int CNV::Zaehlerpfad_Schreiben(int schluessel, int gezaehlt, int name, std::uint32_t format, const wchar_t* trenner) {
    zaehlerpfad.clear();
    for (;;) {
        zaehlerpfad.push_back(meta.IPR_count(gezaehlt));
        int oben = meta.Elternteil(gezaehlt);
        if (oben < 0 || !meta.IPR_if_ine_nr(&oben, name)) break;
        gezaehlt = oben;
    }
    zaehlertext.clear();
    wchar_t text[kZaehlerLaenge + 1];
    for (auto z = zaehlerpfad.rbegin(); z != zaehlerpfad.rend(); ++z) {
        const int laenge = Zaehlertext(*this, schluessel, *z, format, text);
        if (laenge < 0) return 0;
        if (z != zaehlerpfad.rbegin()) zaehlertext += trenner;
        zaehlertext.append(text, static_cast<std::size_t>(laenge));
    }
    return AusgabeWrite(zaehlertext.c_str());
}

int CNV::Convert_makro_file(int* rule, int item) {
    const wchar_t* const label = L"FILE";
    const int schluessel = *rule;
    if (Art(*this, schluessel) != ITEM_FILE) return Skriptfehler(*this, schluessel, label, L"Schlüsselwort erwartet");
    int r = schluessel + 1;
    if (Art(*this, r) != ITEM_ATTNAME) {
        *rule = r;
        return Skriptfehler(*this, schluessel, label, L"Entityname im Attribut erwartet");
    }
    const wchar_t* attribut = basic->Text(r++);
    const wchar_t* erweiterung = nullptr;
    if (Art(*this, r) == ITEM_LITERAL) erweiterung = basic->Text(r++);
    *rule = r;

    int element = item;
    Attributquelle q;
    wchar_t* wert = Makropuffer(0);
    if (!Element_von(*this, &element) || !Attribut_finden(*this, schluessel, element, attribut, false, &q))
        return Skriptfehler(*this, schluessel, label, L"Kein Vorgabewert definiert");
    if (!Attribut_lesen(*this, q, wert, kWertPuffer))
        return Skriptfehler(*this, schluessel, label, L"Die Attributersetzung des Attributes '%ls' zu groß", attribut);
    // An entity name has no blanks; those around it are the writer's.
    wchar_t* entity = wert;
    while (*entity == L' ' || *entity == L'\t' || *entity == L'\n' || *entity == L'\r') ++entity;
    for (wchar_t* e = entity + std::wcslen(entity); e > entity && (e[-1] == L' ' || e[-1] == L'\t' || e[-1] == L'\n' || e[-1] == L'\r');)
        *--e = 0;

    // The system identifier follows the entity's name, after a public
    // identifier when there is one; an internal entity names no file.
    int definition = 0;
    if (!meta.IPR_find_entity(&definition, entity) || definition + 1 >= meta.Anzahl() ||
        meta.Item(definition + 1).kind != META_EXTERNAL_ID)
        return Skriptfehler(*this, schluessel, label, L"Externe Entity nicht definiert");
    int kennung = definition + 1;
    while (kennung + 1 < meta.Anzahl() && meta.Item(kennung + 1).kind == META_EXTERNAL_ID) ++kennung;

    constexpr std::size_t kName = 1024;
    wchar_t datei[kName];
    const META::metaitem& id = meta.Item(kennung);
    std::size_t laenge = id.start != nullptr ? static_cast<std::size_t>(id.end - id.start) : 0;
    if (laenge > kName - 1) {
        Skriptfehler(*this, schluessel, label, L"Die angegebene Entitybezeichnung ist als Dateiname ungültig");
        laenge = 0;
    }
    if (laenge > 0) std::wmemcpy(datei, id.start, laenge);
    datei[laenge] = 0;

    if (erweiterung != nullptr && erweiterung[0] != 0) {
        wchar_t* punkt = std::wcsrchr(datei, L'.');
        wchar_t* schraeg = std::wcsrchr(datei, L'/');
        wchar_t* rueck = std::wcsrchr(datei, L'\\');
        if (punkt != nullptr && (schraeg == nullptr || punkt > schraeg) && (rueck == nullptr || punkt > rueck)) *punkt = 0;
    }
    if (!Dokumenttext_Schreiben(datei, OUT_MASKE_ATTRIBUT)) return 0;
    if (erweiterung == nullptr || erweiterung[0] == 0) return 1;
    if (erweiterung[0] != L'.' && !AusgabeWrite(L'.')) return 0;
    return AusgabeWrite(erweiterung);
}

int CNV::Convert_makro_token(int* rule, int item) {
    const wchar_t* const label = L"TOKEN";
    const int schluessel = *rule;
    int r = schluessel + 1;
    int element_name = 0;
    if (Art(*this, r) == ITEM_NAME) element_name = basic->Namensnummer(r++);
    const wchar_t* fehlt = nullptr;
    const wchar_t* attribut = nullptr;
    const wchar_t* format = nullptr;
    const wchar_t* trenner = nullptr;
    if (Art(*this, r) == ITEM_ATTNAME) attribut = basic->Text(r++);
    else fehlt = L"Attribut fehlt";
    if (!fehlt && Art(*this, r) == ITEM_LITERAL) format = basic->Text(r++);
    else if (!fehlt) fehlt = L"Einheit (Zeichenkette) erwartet";
    if (!fehlt && Art(*this, r) == ITEM_LITERAL) trenner = basic->Text(r++);
    else if (!fehlt) fehlt = L"Separator (Zeichenkette) erwartet";
    *rule = r;
    if (fehlt) return Skriptfehler(*this, schluessel, label, fehlt);

    int element = -1;
    if (const int gefunden = Element_waehlen(*this, item, element_name, schluessel, label, &element); gefunden <= 0)
        return gefunden < 0 ? 1 : 0;
    Attributquelle q;
    wchar_t* wert = Makropuffer(0);
    if (!Attribut_finden(*this, schluessel, element, attribut, false, &q))
        return Skriptfehler(*this, schluessel, label, L"Der Attributwert des Attributes '%ls' ist ungültig", attribut);
    if (!Attribut_lesen(*this, q, wert, kWertPuffer))
        return Skriptfehler(*this, schluessel, label, L"Die Attributersetzung des Attributes '%ls' zu groß", attribut);
    if (wert[0] == 0)
        return Skriptfehler(*this, schluessel, label, L"Der Attributwert des Attributes '%ls' ist leer", attribut);

    // The tokens, cut apart in place; "number" keeps only the numbers.
    const bool nur_zahlen = wcscasecmp(format, L"number") == 0;
    const wchar_t* const ende = wert + std::wcslen(wert);
    for (wchar_t* p = wert; p < ende; ++p)
        if (Ist_Trenner(*p, nur_zahlen)) *p = 0;

    // The whole that shares and percentages refer to: the sum of the tokens.
    const bool quelle_schalter = (format[0] == L's' || format[0] == L'S') && format[1] == L':';
    double ganzes = 0.0;
    if (quelle_schalter || std::wcschr(format, L'%') != nullptr) {
        for (const wchar_t* p = wert; p < ende; p += std::wcslen(p) + 1)
            if (*p) ganzes += unicode_wtof(p);
        // A share of nothing cannot be computed.
        if (ganzes == 0.0) return Skriptfehler(*this, schluessel, label, L"Summe aller Token-Werte ist Null");
    }

    wchar_t* ergebnis = Makropuffer(1);
    bool erstes = true;
    for (wchar_t* p = wert; p < ende; p += std::wcslen(p) + 1) {
        if (*p == 0) continue;
        if (!erstes && !AusgabeWrite(trenner)) return 0;
        erstes = false;
        wert_position = basic->Item(schluessel).begin;
        const wchar_t* text = ergebnis;
        if (!Berechne_Wert(p, ergebnis, kWertPuffer, format, ganzes, label)) {
            Skriptfehler(*this, schluessel, label, L"Umrechnung ist fehlgeschlagen");
            Fehler_Dokument(label,
                            quelle_schalter ? L"Die Umrechnung eines TOKEN im Element '%ls' ist fehlgeschlagen"
                                            : L"Die Umrechnung der TOKEN im Element '%ls' ist fehlgeschlagen",
                            Itemname(element), element);
            text = p;
        }
        if (!Dokumenttext_Schreiben(text, OUT_MASKE_ATTRIBUT)) return 0;
    }
    return 1;
}

int CNV::Convert_makro_copy_cut_del(int* rule, int item, PARSERtypeItems mode, const wchar_t* copyname, int depth,
                                    const wchar_t* keyword) {
    const int schluessel = *rule;
    const BASICtypeItems art = Art(*this, schluessel);
    if (art != ITEM_COPY && art != ITEM_CUT && art != ITEM_DEL)
        return Skriptfehler(*this, schluessel, keyword, L"Schlüsselwort erwartet");
    int r = schluessel + 1;
    CNV_Suche suche;
    if (!Suche_Lesen(&r, &suche, keyword)) {
        *rule = r;
        return 0;
    }
    if (suche.name < 0 && art != ITEM_COPY) {
        *rule = r;
        return Skriptfehler(*this, schluessel, keyword, L"Elementname erwartet");
    }
    if (Art(*this, r) != ITEM_DATA_TYPE) {
        *rule = r;
        return Skriptfehler(*this, schluessel, keyword, L"Ersetzungstyp fehlt");
    }
    const DATAtypeItems modell = static_cast<DATAtypeItems>(basic->Item(r++).value);
    const wchar_t* kopiename = nullptr;
    if (Art(*this, r) == ITEM_NAME) kopiename = basic->Text(r++);
    const wchar_t* trenner = nullptr;
    if (Art(*this, r) == ITEM_LITERAL) trenner = basic->Text(r++);
    *rule = r;

    int start = item;
    if (!Element_von(*this, &start))
        return Skriptfehler(*this, schluessel, keyword, L"Starttag konnte nicht bestimmt werden");

    // Every walk of a macro inside the walk of another counts: a chain of
    // copies that calls itself, directly or round other elements, ends at
    // the limit instead of exhausting the stack.
    if (copyname != nullptr) ++depth;
    if (depth > kTiefenGrenze)
        return Skriptfehler(*this, schluessel, keyword, L"Rekursion aufgetreten. Die Programmausführung wird beendet.");

    // Without an element name the focus itself is the one candidate.
    const bool regeln = Ist_Vollmodell(modell) || modell == DATA_DROP;
    int cursor = -1;
    for (int n = 0;; ++n) {
        const int kandidat = Suche_Naechster(suche, start, &cursor);
        if (kandidat < 0) break;
        // Separators belong to the copy; the deleting pass writes nothing.
        if (n > 0 && trenner != nullptr && mode != PARSER_DELETE && !AusgabeWrite(trenner)) return 0;
        int i = kandidat;
        if (!Convert_Element(&i, modell, mode, kopiename ? kopiename : Itemname(kandidat), depth, regeln)) return 0;
        if (suche.anzahl == 1) break;
    }
    return 1;
}
