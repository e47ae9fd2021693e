// Document walk: elements, tags, data, references, unconverted markup.
#include <cstdint>

#include "convert/CNV.h"
#include "markup/DCL.h"
#include "script/BASIC.h"

namespace {

bool Ist_Attributstueck(METAtypeItems k) {
    return k == META_ATTR_DATA || k == META_ATTR_VALUE || k == META_ATTR_GREF || k == META_ATTR_CREF ||
           k == META_ATTR_NREF;
}

// The general failure pair of a start tag or an empty tag.
void Tagfehler(CNV& cnv, int rule, int item, bool leer) {
    cnv.Fehler_Skript(nullptr,
                      leer ? L"Beim Konvertieren des Tags ist ein Fehler aufgetreten"
                           : L"Beim Konvertieren des Starttags ist ein Fehler aufgetreten",
                      nullptr, rule);
    cnv.Fehler_Dokument(leer ? L"Tag" : L"Starttag",
                        leer ? L"Beim Konvertieren des Tags '%ls' ist ein Fehler aufgetreten"
                             : L"Beim Konvertieren des Starttags '%ls' ist ein Fehler aufgetreten",
                        cnv.Itemname(item), item);
}

// While an element is converted, messages about the script are told apart
// by it; the enclosing element's turn comes back afterwards.
class Meldungselement {
public:
    Meldungselement(MELDUNGEN& m, const void* element) : m_(m), vorher_(m.element) { m.element = element; }
    ~Meldungselement() { m_.element = vorher_; }
    Meldungselement(const Meldungselement&) = delete;
    Meldungselement& operator=(const Meldungselement&) = delete;

private:
    MELDUNGEN& m_;
    const void* vorher_;
};

// The conversion reports through the message record; at its end the record
// tells what it held back.
class Meldungsbremse {
public:
    explicit Meldungsbremse(CNV& c) : c_(c) {
        c.quelle.meldungen = &c.meldungen;
        if (c.skript != nullptr) c.skript->meldungen = &c.meldungen;
    }
    ~Meldungsbremse() {
        c_.meldungen.Bilanz();
        c_.quelle.meldungen = nullptr;
        if (c_.skript != nullptr) c_.skript->meldungen = nullptr;
    }
    Meldungsbremse(const Meldungsbremse&) = delete;
    Meldungsbremse& operator=(const Meldungsbremse&) = delete;

private:
    CNV& c_;
};

void Endtagfehler(CNV& cnv, int rule, int item) {
    cnv.Fehler_Dokument(L"Endtag", L"Beim Konvertieren des Endtags '%ls' ist ein Fehler aufgetreten.",
                        cnv.Itemname(item), item);
    cnv.Fehler_Skript(nullptr, L"im Skript", nullptr, rule);
}

}  // namespace

// ------------------------------------------------------------------ helpers

bool CNV::Stapel_reicht() const {
    // The frame address is the real stack even when a sanitizer moves locals.
    const auto hier = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    return stapel_grenze == 0 || hier > stapel_grenze;
}

const wchar_t* CNV::Skriptstelle(int rule) const {
    if (basic == nullptr || rule < 0 || rule >= basic->ItemCount()) return nullptr;
    return basic->Item(rule).begin;
}

// An item whose text the document does not hold (a defaulted attribute,
// text of an expanded entity) is reported at the nearest item before it
// that the document holds, looking back a little and then up its
// ancestors; far from any, it has no position.
const wchar_t* CNV::Dokumentstelle(int item) const {
    if (item < 0 || item >= meta.Anzahl()) return nullptr;
    if (meta.Item(item).start == nullptr || meta.Im_Dokument(item)) return meta.Item(item).start;
    constexpr int kSuche = 64;
    for (int j = item - 1; j >= 0 && j >= item - kSuche; --j)
        if (meta.Im_Dokument(j)) return meta.Item(j).start;
    int e = meta.Item(item).link - 1;
    for (int n = 0; n < kSuche && e >= 0 && e < item; ++n, e = meta.Item(e).link - 1)
        if (meta.Im_Dokument(e)) return meta.Item(e).start;
    return nullptr;
}

const wchar_t* CNV::Itemname(int item) const {
    const wchar_t* name = item >= 0 && item < meta.Anzahl() ? static_cast<const wchar_t*>(meta.Item(item).start)
                                                             : nullptr;
    return name != nullptr ? name : L"";
}

void CNV::Fehler_Skript(const wchar_t* label, const wchar_t* vorlage, const wchar_t* argument, int rule) {
    if (skript != nullptr) skript->Fehlermeldung(-1, 1, label, vorlage, argument, Skriptstelle(rule));
}

void CNV::Fehler_Dokument(const wchar_t* label, const wchar_t* vorlage, const wchar_t* argument, int item) {
    quelle.Fehlermeldung(-1, 0, label, vorlage, argument, Dokumentstelle(item));
}

int CNV::Markup_Schreiben(std::wstring_view text, const wchar_t* label, const wchar_t* vorlage,
                          const wchar_t* argument, int item) {
    if (AusgabeWrite(text)) return 1;
    Fehler_Dokument(label, vorlage, argument, item);
    return 0;
}

// ------------------------------------------------------------------- walks

int CNV::Quelle_Convert() {
    const Meldungsbremse bremse(*this);
    undeklariert = 0;
    const int n = meta.Anzahl();
    if (n == 0) return 1;
    if (basic == nullptr || dcl == nullptr) return 0;
    offene_starttags.clear();
    for (int i = 0; i < n; ++i) {
        const META::metaitem& it = meta.Item(i);
        if (it.start == nullptr) continue;
        switch (it.kind) {
            case META_STARTTAG:
                if (!Convert_Element(&i, DATA_FULL, PARSER_CONVERT, nullptr, 0, false)) return 0;
                break;
            case META_ENDTAG:
                Fehler_Dokument(nullptr, L"Endtag '%ls' außerhalb des Basiselementes gefunden.", it.start, i);
                return 0;
            case META_DATA:
                if (!basic->only_defined_data && !Dokumenttext_Schreiben(it.start, OUT_MASKE_TEXT)) return 0;
                break;
            case META_DATA_GREF:
                Fehler_Dokument(nullptr, L"Entität '%ls' außerhalb des Basiselementes gefunden.", it.start, i);
                return 0;
            case META_DATA_CREF:
                Fehler_Dokument(nullptr, L"Zeichenreferenz '#%ls' außerhalb des Basiselementes gefunden.", it.start,
                                i);
                return 0;
            case META_DATA_NREF:
                Fehler_Dokument(nullptr, L"Funktionszeichenreferenz '#%ls' außerhalb des Basiselementes gefunden.",
                                it.start, i);
                return 0;
            default:
                break;
        }
    }
    return undeklariert == 0 ? 1 : 0;
}

int CNV::Convert_Element(int* item, DATAtypeItems model, PARSERtypeItems mode, const wchar_t* copyname, int depth,
                         bool rules) {
    const int start = *item;
    int rule = 0;
    if (start < 0 || start >= meta.Anzahl() || meta.Item(start).kind != META_STARTTAG ||
        meta.Item(start).start == nullptr) {
        Fehler_Skript(L"ELEMENT", L"Starttag erwartet", nullptr, rule);
        return 0;
    }
    const wchar_t* const text = meta.Item(start).start;
    const int name = meta.Tagname(start);
    const Meldungselement element(meldungen, text);
    const int ebene = meta.Item(start).level;
    if (!Stapel_reicht()) {
        Fehler_Dokument(L"Element", L"Maximale Verschachtelungstiefe überschritten.", nullptr, start);
        return 0;
    }
    DATAtypeItems inhalt = model;
    const bool daten = !basic->only_defined_data || basic->Ist_PCDATA_Element(name);

    // "/>" closes an element in every syntax: nothing of the document
    // after it belongs to the element.
    if (meta.IPR_is_XML_Empty_Element(start))
        return Convert_emptytag(&rule, start, mode, &inhalt, copyname, depth, rules);
    if (!Convert_starttag(&rule, start, mode, &inhalt, copyname, depth, rules)) return 0;
    // In SGML and HTML an element declared EMPTY has neither content nor
    // end tag, just as the reader recorded it (HTML5 pages say so themselves).
    if (!dcl->xml && !dcl->html5 && basic->Ist_leeres_Element(name)) return 1;

    const int n = meta.Anzahl();
    int i = start + 1;
    for (; i < n; ++i) {
        const META::metaitem& k = meta.Item(i);
        if (k.start == nullptr) {
            // A CUT or DEL of an ancestor, run by this element's own rules,
            // has taken the end tag away with the rest of the element: the
            // element ends here, and nothing more is written for it.
            if (k.kind == META_ENDTAG && k.level == ebene) {
                *item = i;
                return 1;
            }
            continue;
        }
        int ok = 1;
        switch (k.kind) {
            case META_DATA:
                if (daten) ok = Convert_data(rule, i, mode, inhalt);
                break;
            case META_DATA_NREF:
                if (daten) ok = Convert_nref(rule, i, mode, inhalt);
                break;
            case META_DATA_CREF:
                if (daten) ok = Convert_cref(rule, i, mode, inhalt);
                break;
            case META_DATA_GREF:
                if (daten) ok = Convert_gref(rule, i, mode, inhalt);
                break;
            case META_STARTTAG:
                if (k.level == ebene) {
                    Fehler_Dokument(L"Element", L"Element unterbrochen, in gleicher Ebene", k.start, i);
                    return 0;
                }
                if (k.level < ebene) {
                    Fehler_Dokument(L"Element", L"Element unterbrochen, in übergeordneter Ebene", k.start, i);
                    return 0;
                }
                // Under a model that is not full the nested tags vanish and
                // their content is walked as this element's own.
                if (Ist_Vollmodell(inhalt)) ok = Convert_Element(&i, inhalt, mode, copyname, depth, false);
                break;
            case META_ENDTAG:
                // In an HTML5 tree the element's own end tag is the first of its level.
                if (k.level == ebene && (dcl->html5 || dcl->general_name_compare(k.start, text))) {
                    // A DAT among the start rules governs the content only.
                    DATAtypeItems ende = model;
                    offene_starttags.push_back(start);
                    ok = Convert_endtag(&rule, i, mode, &ende, copyname, depth, rules);
                    offene_starttags.pop_back();
                    if (!ok) return 0;
                    *item = i;
                    return 1;
                }
                break;
            default:
                break;
        }
        if (!ok) return 0;
    }
    // The store ended inside the element: nothing more is written for it,
    // and the caller must not walk its content a second time.
    *item = n - 1;
    return 1;
}

// -------------------------------------------------------------------- tags

int CNV::Undeklariert_Start(int rule, int item, bool leer) {
    if (basic->drop_undefined_elements) return 1;
    if (basic->only_defined_elements) {
        if (Write_stag(item)) return 1;
        Tagfehler(*this, rule, item, leer);
        return 0;
    }
    Fehler_Dokument(L"Starttag", L"Element '%ls' nicht deklariert.", Itemname(item), item);
    return 0;
}

int CNV::Convert_starttag(int* rule, int item, PARSERtypeItems mode, DATAtypeItems* model, const wchar_t* copyname,
                          int depth, bool rules) {
    if (item < 0 || item >= meta.Anzahl() || meta.Item(item).kind != META_STARTTAG) {
        Fehler_Skript(nullptr, L"Starttag erwartet.", nullptr, *rule);
        Fehler_Dokument(nullptr, L"Starttag erwartet.", nullptr, item);
        Tagfehler(*this, *rule, item, false);
        return 0;
    }
    if (mode == PARSER_DELETE) return Delete_stag(item);
    if (!basic->Find_element_definition_nr(rule, meta.Tagname(item))) return Undeklariert_Start(*rule, item, false);
    if (!basic->Find_condition_rules(rule)) return 1;
    if (!Ist_Vollmodell(*model) && !rules) return 1;
    int fokus = item;
    if (Convert_all_rules(rule, &fokus, model, 1, copyname, depth)) return 1;
    Tagfehler(*this, *rule, item, false);
    return 0;
}

int CNV::Convert_emptytag(int* rule, int item, PARSERtypeItems mode, DATAtypeItems* model, const wchar_t* copyname,
                          int depth, bool rules) {
    if (item < 0 || item >= meta.Anzahl() || meta.Item(item).kind != META_STARTTAG) {
        Fehler_Skript(nullptr, L"Starttag erwartet.", nullptr, *rule);
        Fehler_Dokument(nullptr, L"Starttag erwartet.", nullptr, item);
        Tagfehler(*this, *rule, item, true);
        return 0;
    }
    if (mode == PARSER_DELETE) return Delete_stag(item);
    if (!basic->Find_element_definition_nr(rule, meta.Tagname(item))) return Undeklariert_Start(*rule, item, true);
    if (!basic->Find_condition_rules(rule)) return 1;
    if (!Ist_Vollmodell(*model) && !rules) return 1;
    // Start and end rules back to back, from the same first rule; a DAT
    // among the end rules changes only the end's copy of the model.
    const int erste = *rule;
    int fokus = item;
    if (Convert_all_rules(rule, &fokus, model, 1, copyname, depth)) {
        DATAtypeItems ende = *model;
        *rule = erste;
        fokus = item;
        if (Convert_all_rules(rule, &fokus, &ende, 0, copyname, depth)) return 1;
    }
    Tagfehler(*this, *rule, item, true);
    return 0;
}

int CNV::Passender_Starttag(int endtag) {
    const int ebene = meta.Item(endtag).level;
    if (!offene_starttags.empty()) {
        const int s = offene_starttags.back();
        if (s < endtag && meta.Item(s).kind == META_STARTTAG && meta.Item(s).level == ebene) return s;
    }
    // Called from outside the walk: the nearest start tag of the same level.
    for (int j = endtag - 1; j >= 0; --j) {
        const META::metaitem& k = meta.Item(j);
        if (k.kind == META_STARTTAG && k.level == ebene) return j;
    }
    return -1;
}

int CNV::Convert_endtag(int* rule, int item, PARSERtypeItems mode, const DATAtypeItems* model,
                        const wchar_t* copyname, int depth, bool rules) {
    if (item < 0 || item >= meta.Anzahl() || meta.Item(item).kind != META_ENDTAG) {
        Fehler_Skript(nullptr, L"Endtag erwartet.", nullptr, *rule);
        Endtagfehler(*this, *rule, item);
        return 0;
    }
    if (mode == PARSER_DELETE) return Delete_etag(item);
    const wchar_t* name = meta.Item(item).start;
    int start = Passender_Starttag(item);
    if (start < 0) {
        Fehler_Dokument(nullptr, L"Kein passender Starttag gefunden", name, item);
        Fehler_Skript(nullptr, L"im Skript", nullptr, *rule);
        Endtagfehler(*this, *rule, item);
        return 0;
    }
    // The end tag is named as its start tag (the reader made sure of it).
    if (!basic->Find_element_definition_nr(rule, meta.Tagname(start))) {
        if (basic->drop_undefined_elements) return 1;
        if (!basic->only_defined_elements) {
            Fehler_Dokument(L"Endtag", L"Das Element '%ls' ist nicht deklariert.", name, item);
            ++undeklariert;
            if (basic->warning_level == WARNINGS_SMART) return 0;
        }
        if (Write_etag(item)) return 1;
        Endtagfehler(*this, *rule, item);
        return 0;
    }
    if (!basic->Find_condition_rules(rule)) return 1;
    if (!Ist_Vollmodell(*model) && !rules) return 1;
    DATAtypeItems kopie = *model;
    if (Convert_all_rules(rule, &start, &kopie, 0, copyname, depth)) return 1;
    Endtagfehler(*this, *rule, item);
    return 0;
}

// ------------------------------------------------------ data and references

int CNV::Convert_data(int rule, int item, PARSERtypeItems mode, DATAtypeItems model) {
    if (item < 0 || item >= meta.Anzahl()) {
        Fehler_Skript(L"DATA", L"Datenbereich erwartet", nullptr, rule);
        return 0;
    }
    const META::metaitem& it = meta.Item(item);
    if (it.start == nullptr) return 1;
    if (mode == PARSER_DELETE) return Delete_data(item);
    if (model == DATA_DROP) return 1;
    if (it.kind == META_DATA) {
        if (Write_data(item)) return 1;
    } else {
        Fehler_Skript(L"DATA", L"Datenbereich erwartet", nullptr, rule);
    }
    Fehler_Dokument(nullptr, L"Beim Konvertieren des Datenbereiches '%ls' ist ein Fehler aufgetreten.", it.start,
                    item);
    if (rule > 0)
        Fehler_Skript(nullptr, L"Beim Konvertieren des Datenbereiches '%ls' ist ein Fehler aufgetreten", it.start,
                      rule);
    return 0;
}

int CNV::Convert_gref(int rule, int item, PARSERtypeItems mode, DATAtypeItems model) {
    return Convert_ref(rule, item, mode, model, META_DATA_GREF);
}

int CNV::Convert_cref(int rule, int item, PARSERtypeItems mode, DATAtypeItems model) {
    return Convert_ref(rule, item, mode, model, META_DATA_CREF);
}

int CNV::Convert_nref(int rule, int item, PARSERtypeItems mode, DATAtypeItems model) {
    return Convert_ref(rule, item, mode, model, META_DATA_NREF);
}

// One scheme for the three kinds, in content and in attribute values.
int CNV::Convert_ref(int rule, int item, PARSERtypeItems mode, DATAtypeItems model, METAtypeItems art) {
    const bool gref = art == META_DATA_GREF, cref = art == META_DATA_CREF;
    const bool passt = gref ? meta.IPR_is_gref(item) : cref ? meta.IPR_is_cref(item) : meta.IPR_is_nref(item);
    if (passt && meta.Item(item).start == nullptr) return 1;
    if (passt && mode == PARSER_DELETE) return gref ? Delete_gref(item) : cref ? Delete_cref(item) : Delete_nref(item);
    if (!passt) {
        Fehler_Skript(L"ENTITY",
                      gref ? L"Entity erwartet" : cref ? L"Zeichenreferenz erwartet" : L"Funktionszeichenreferenz erwartet",
                      nullptr, rule);
        return 0;
    }
    if (model == DATA_DROP) return 1;

    const META::metaitem& it = meta.Item(item);
    const wchar_t* name = gref ? static_cast<wchar_t*>(it.start) : nullptr;
    const std::uint32_t code = gref ? 0 : static_cast<std::uint32_t>(it.value);
    int definition = 0;
    bool gefunden;
    if (model == DATA_ALT || model == DATA_ALTFULL)
        gefunden = basic->Find_entity_alternate_definition(&definition, name, code);
    else if (model == DATA_ASC || model == DATA_ASCFULL)
        gefunden = basic->Find_entity_ascii_definition(&definition, name, code);
    else
        gefunden = basic->Find_entity_definition(&definition, name, code);
    if (gefunden) return Convert_Entity(&definition, item);

    auto kopieren = [&] { return gref ? Write_gref(item) : cref ? Write_cref(item) : Write_nref(item); };
    if (basic->expand_entities) return Ersetzung_Schreiben(item);
    if (basic->only_defined_entities) return kopieren();
    Fehler_Dokument(L"ENTITY",
                    gref ? L"Die Entity '%ls' ist nicht deklariert."
                         : cref ? L"Die Zeichenreferenz '#%ls' ist nicht deklariert"
                                : L"Die Funktionszeichenreferenz '#%ls' ist nicht deklariert",
                    it.start, item);
    if (gref) Dtd_Hinweis();
    ++undeklariert;
    if (basic->warning_level == WARNINGS_SMART) return kopieren();
    return 0;
}

int CNV::Convert_Entity(int* rule, int item) {
    const BASICtypeItems art = basic->Item(*rule).kind;
    if (art != ITEM_ENTITY && art != ITEM_ENTITY_ALTERNATE && art != ITEM_ENTITY_ASCII) {
        Fehler_Skript(L"Entity", L"Entity-Definitionsname, Alternate oder Ascii erwartet.", nullptr, *rule);
        return 0;
    }
    ++*rule;
    // The digits of a decimal entity name belong to the name.
    if (art == ITEM_ENTITY && basic->Item(*rule).kind == ITEM_NUMBER) ++*rule;
    // Every term of the text, with the "+" between terms stepped over.
    for (;;) {
        const BASICtypeItems k = basic->Item(*rule).kind;
        int ok;
        if (k == ITEM_LITERAL)
            ok = Convert_makro_literal(rule, item);
        else if (k == ITEM_CHR)
            ok = Convert_makro_chr(rule, item);
        else if (k == ITEM_VALUE)
            ok = Convert_makro_cdata_value(rule, item);
        else if (k == ITEM_PLUS) {
            ++*rule;
            continue;
        } else {
            return 1;
        }
        if (!ok) return 0;
    }
}

int CNV::Convert_Attribute_Daten(int rule, int* item, DATAtypeItems model) {
    const int n = meta.Anzahl();
    int i = *item;
    for (; i >= 0 && i < n && Ist_Attributstueck(meta.Item(i).kind); ++i) {
        const META::metaitem& p = meta.Item(i);
        int ok = 1;
        switch (p.kind) {
            case META_ATTR_GREF:
                ok = Convert_gref(rule, i, PARSER_CONVERT, model);
                break;
            case META_ATTR_CREF:
                ok = Convert_cref(rule, i, PARSER_CONVERT, model);
                break;
            case META_ATTR_NREF:
                ok = Convert_nref(rule, i, PARSER_CONVERT, model);
                break;
            default:
                if (p.start == nullptr || model == DATA_DROP) break;
                if (maskieren) {
                    ok = Dokumenttext_Schreiben(p.start, OUT_MASKE_ATTRIBUT);
                } else if (anfuehrung_schuetzen) {
                    // A value copied into double quotes must not end early
                    // at a double quote it held between single quotes.
                    for (const wchar_t* c = p.start; ok && *c != 0; ++c)
                        ok = *c == L'"' ? AusgabeWrite(L"&quot;") : AusgabeWrite(*c);
                } else {
                    ok = AusgabeWrite(p.start);
                }
                if (!ok) {
                    Fehler_Dokument(nullptr, L"Beim Konvertieren des Datenbereiches '%ls' ist ein Fehler aufgetreten.",
                                    p.start, i);
                    if (rule > 0)
                        Fehler_Skript(nullptr,
                                      L"Beim Konvertieren des Datenbereiches '%ls' ist ein Fehler aufgetreten",
                                      p.start, rule);
                }
                break;
        }
        if (!ok) {
            *item = i;
            return 0;
        }
    }
    *item = i;
    return 1;
}

// -------------------------------------------------------- unconverted markup

int CNV::Write_stag(int item) {
    if (dcl != nullptr && dcl->html5) return H5_Starttag_Schreiben(item);
    const wchar_t* name = Itemname(item);
    if (!Markup_Schreiben(L"<", L"Starttag", L"Das Zeichen '<' des Starttags '%ls' konnte nicht ausgegeben werden.",
                          name, item) ||
        !Markup_Schreiben(name, L"Starttag",
                          L"Der Elementname des Starttags '%ls' konnte nicht ausgegeben werden.", name, item))
        return 0;
    const int n = meta.Anzahl();
    int i = item + 1;
    while (i < n && (meta.Item(i).kind == META_ATTR_NAME || Ist_Attributstueck(meta.Item(i).kind))) {
        const bool hat_name = meta.Item(i).kind == META_ATTR_NAME;
        const wchar_t* attribut = hat_name ? Itemname(i) : L"";
        if (!hat_name) Fehler_Dokument(L"Starttag", L"Attributname im Starttag '%ls' erwartet.", name, i);
        if (!Markup_Schreiben(L" ", L"Starttag",
                              L"Ein Leerraum ' ' des Starttags '%ls' konnte nicht ausgegeben werden.", name, i) ||
            !Markup_Schreiben(attribut, L"Starttag",
                              L"Der Attributname '%ls' des Starttags konnte nicht ausgegeben werden.", attribut, i) ||
            !Markup_Schreiben(L"=", L"Starttag",
                              L"Der Operator '=' des Attributes '%ls' konnte nicht ausgegeben werden.", attribut, i) ||
            !Markup_Schreiben(L"\"", L"Starttag",
                              L"Das Zeichen '\"' des Attributes '%ls' konnte nicht ausgegeben werden.", attribut, i))
            return 0;
        int wert = hat_name ? i + 1 : i;
        if (!Attributwert_Kopieren(&wert, i)) return 0;
        if (!Markup_Schreiben(L"\"", L"Starttag",
                              L"Das Zeichen '\"' des Attributes '%ls' konnte nicht ausgegeben werden.", attribut, i))
            return 0;
        i = wert;
    }
    if (i < n && meta.Item(i).kind == META_EMPTYTAG_CLOSE)
        return Markup_Schreiben(L"/>", L"Starttag",
                                L"Das Zeichen '/>' des Starttags '%ls' konnte nicht ausgegeben werden.", name, item);
    return Markup_Schreiben(L">", L"Starttag", L"Das Zeichen '>' des Starttags '%ls' konnte nicht ausgegeben werden.",
                            name, item);
}

// The value pieces from *wert on, for a value in double quotes; *wert
// moves behind them.
int CNV::Attributwert_Kopieren(int* wert, int name) {
    anfuehrung_schuetzen = true;
    const int ok = Convert_Attribute_Daten(0, wert, DATA_FULL);
    anfuehrung_schuetzen = false;
    if (!ok) Fehler_Dokument(L"Starttag", L"Der Attributwert konnte nicht ausgegeben werden.", nullptr, name);
    return ok;
}

int CNV::Write_etag(int item) {
    if (dcl != nullptr && dcl->html5) return H5_Endtag_Schreiben(item);
    const wchar_t* name = Itemname(item);
    return Markup_Schreiben(L"</", L"Endtag", L"Die Zeichen '</' des Endtags '%ls' konnten nicht ausgegeben werden.",
                            name, item) &&
           Markup_Schreiben(name, L"Endtag", L"Die Elementname des Endtags '%ls' konnte nicht ausgegeben werden.",
                            name, item) &&
           Markup_Schreiben(L">", L"Endtag", L"Das Zeichen '>' des Endtags '%ls' konnte nicht ausgegeben werden.",
                            name, item);
}

int CNV::Write_data(int item) {
    const wchar_t* text = Itemname(item);
    if (Dokumenttext_Schreiben(text, OUT_MASKE_TEXT)) return 1;
    Fehler_Dokument(L"DATA", L"Die Daten '%ls' konnten nicht ausgegeben werden.", text, item);
    return 0;
}

int CNV::Write_gref(int item) {
    const wchar_t* name = Itemname(item);
    const wchar_t* amp = L"Das Zeichen '&' der Entität '%ls' konnte nicht ausgegeben werden.";
    return Markup_Schreiben(L"&", L"Entität", amp, name, item) &&
           Markup_Schreiben(name, L"Entität", L"Der Bezeichner '%ls' der Entität konnte nicht ausgegeben werden.",
                            name, item) &&
           Markup_Schreiben(L";", L"Entität", amp, name, item);
}

int CNV::Write_cref(int item) {
    const wchar_t* name = Itemname(item);
    return Markup_Schreiben(L"&#", L"Zeichenreferenz",
                            L"Die Zeichen '&#' der Zeichenreferenz '%ls' konnten nicht ausgegeben werden.", name,
                            item) &&
           Markup_Schreiben(name, L"Zeichenreferenz",
                            L"Die Nummer '%ls' der Zeichenreferenz '%ls' konnte nicht ausgegeben werden.", name,
                            item) &&
           Markup_Schreiben(L";", L"Zeichenreferenz",
                            L"Das Zeichen ';' der Zeichenreferenz '%ls' konnte nicht ausgegeben werden.", name, item);
}

int CNV::Write_nref(int item) {
    const wchar_t* name = Itemname(item);
    return Markup_Schreiben(L"&#", L"Funktionszeichenreferenz",
                            L"Die Zeichen '&#' der Funktionszeichenreferenz '%ls' konnten nicht ausgegeben werden.",
                            name, item) &&
           Markup_Schreiben(name, L"Funktionszeichenreferenz",
                            L"Der Name '%ls' der Funktionszeichenreferenz '%ls' konnte nicht ausgegeben werden.",
                            name, item) &&
           Markup_Schreiben(
               L";", L"Funktionszeichenreferenz",
               L"Das Zeichen ';' der Funktionszeichenreferenz '%ls' konnte nicht ausgegeben werden.", name, item);
}

// ----------------------------------------------------------------- deleting

int CNV::Delete_stag(int item) {
    meta.delete_item(item);
    const int n = meta.Anzahl();
    int i = item + 1;
    for (; i < n && (meta.Item(i).kind == META_ATTR_NAME || Ist_Attributstueck(meta.Item(i).kind)); ++i) {
        if (i == item + 1 && meta.Item(i).kind != META_ATTR_NAME)
            Fehler_Dokument(nullptr, L"Attributname im Element '%ls' erwartet.", Itemname(item), i);
        meta.delete_item(i);
    }
    if (i < n && meta.Item(i).kind == META_EMPTYTAG_CLOSE) meta.delete_item(i);
    return 1;
}

int CNV::Delete_etag(int item) {
    meta.delete_item(item);
    return 1;
}

int CNV::Delete_data(int item) {
    meta.delete_item(item);
    return 1;
}

int CNV::Delete_gref(int item) {
    meta.delete_item(item);
    return 1;
}

int CNV::Delete_cref(int item) {
    meta.delete_item(item);
    return 1;
}

int CNV::Delete_nref(int item) {
    meta.delete_item(item);
    return 1;
}
