#include "tracking/CNVTRACK.h"

#include <string>

#include "script/BASIC.h"
#include "base/TRACK.h"

template <class Arbeit>
int CNVTRACK::ziel_spanne(int q, int s, Arbeit arbeit) {
    const int z = ++ausgabe_in_gebrauch->zielzaehler;
    Aktion_Tracken(q, s, z, nullptr);
    Ziel_Tracken_Beginn(z);
    const int ergebnis = arbeit();
    Ziel_Tracken_Ende();
    return ergebnis;
}

template <class Arbeit>
int CNVTRACK::pruefung(int s, Arbeit arbeit) {
    Aktion_Tracken(-1, s, -1, nullptr);
    const int ergebnis = arbeit();
    Aktion_Tracken(-1, s, -1, ergebnis != 0 ? L"1" : L"0");
    return ergebnis;
}

void CNVTRACK::tag_tracken(int item) {
    int definition = -1;
    if (basic != nullptr && item >= 0 && item < meta.Anzahl() && meta.Item(item).start != nullptr) {
        // The engine looks the name up again right after; its debug note
        // about a failed lookup must not appear twice because of tracking.
        const bool debug = basic->debug;
        basic->debug = false;
        int position = 0;
        const int tag = meta.Item(item).kind == META_ENDTAG ? Passender_Starttag(item) : item;
        if (basic->Find_element_definition_nr(&position, meta.Tagname(tag))) definition = position;
        basic->debug = debug;
    }
    Aktion_Tracken(item, definition, -1, nullptr);
}

// ---- Steps that record their items -----------------------------------------

int CNVTRACK::Convert_starttag(int* rule, int item, PARSERtypeItems mode, DATAtypeItems* model,
                               const wchar_t* copyname, int depth, bool rules) {
    tag_tracken(item);
    return CNV::Convert_starttag(rule, item, mode, model, copyname, depth, rules);
}

int CNVTRACK::Convert_emptytag(int* rule, int item, PARSERtypeItems mode, DATAtypeItems* model,
                               const wchar_t* copyname, int depth, bool rules) {
    tag_tracken(item);
    return CNV::Convert_emptytag(rule, item, mode, model, copyname, depth, rules);
}

int CNVTRACK::Convert_endtag(int* rule, int item, PARSERtypeItems mode, const DATAtypeItems* model,
                             const wchar_t* copyname, int depth, bool rules) {
    tag_tracken(item);
    return CNV::Convert_endtag(rule, item, mode, model, copyname, depth, rules);
}

int CNVTRACK::Convert_Entity(int* rule, int item) {
    Aktion_Tracken(item, rule != nullptr ? *rule : -1, -1, nullptr);
    return CNV::Convert_Entity(rule, item);
}

int CNVTRACK::Convert_rules(int* rule, int item, const wchar_t* copyname, int depth) {
    Aktion_Tracken(-1, rule != nullptr ? *rule : -1, -1, nullptr);
    return CNV::Convert_rules(rule, item, copyname, depth);
}

// ---- Steps that write output -------------------------------------------------

int CNVTRACK::Convert_data(int rule, int item, PARSERtypeItems mode, DATAtypeItems model) {
    return ziel_spanne(item, -1, [&] { return CNV::Convert_data(rule, item, mode, model); });
}

int CNVTRACK::Write_stag(int item) {
    return ziel_spanne(-1, -1, [&] { return CNV::Write_stag(item); });
}

int CNVTRACK::Write_etag(int item) {
    return ziel_spanne(-1, -1, [&] { return CNV::Write_etag(item); });
}

#define CNVTRACK_MAKRO(NAME)                                                                \
    int CNVTRACK::NAME(int* rule, int item) {                                               \
        return ziel_spanne(-1, rule != nullptr ? *rule : -1, [&] { return CNV::NAME(rule, item); }); \
    }
CNVTRACK_MAKRO(Convert_makro_cdata_value)
CNVTRACK_MAKRO(Convert_makro_literal)
CNVTRACK_MAKRO(Convert_makro_chr)
CNVTRACK_MAKRO(Convert_makro_file)
CNVTRACK_MAKRO(Convert_makro_implied)
CNVTRACK_MAKRO(Convert_makro_value)
CNVTRACK_MAKRO(Convert_makro_token)
CNVTRACK_MAKRO(Convert_makro_count)
#undef CNVTRACK_MAKRO

// ---- Conditions ----------------------------------------------------------------

#define CNVTRACK_KONTEXT(NAME)                                                               \
    int CNVTRACK::NAME(int* rule, int* focus, const wchar_t* keyword) {                      \
        return pruefung(rule != nullptr ? *rule : -1, [&] { return CNV::NAME(rule, focus, keyword); }); \
    }
CNVTRACK_KONTEXT(Check_before)
CNVTRACK_KONTEXT(Check_beforex)
CNVTRACK_KONTEXT(Check_after)
CNVTRACK_KONTEXT(Check_afterx)
CNVTRACK_KONTEXT(Check_first)
CNVTRACK_KONTEXT(Check_last)
CNVTRACK_KONTEXT(Check_in)
CNVTRACK_KONTEXT(Check_inx)
#undef CNVTRACK_KONTEXT

int CNVTRACK::Check_attribute(int* rule, int* focus, int* other, int implied) {
    return pruefung(rule != nullptr ? *rule : -1, [&] { return CNV::Check_attribute(rule, focus, other, implied); });
}

int CNVTRACK::Check_toplevel(int* rule, int item, const wchar_t* keyword) {
    return pruefung(rule != nullptr ? *rule : -1, [&] { return CNV::Check_toplevel(rule, item, keyword); });
}

int CNVTRACK::Check_find(int* rule, int focus, const wchar_t* keyword) {
    return pruefung(rule != nullptr ? *rule : -1, [&] { return CNV::Check_find(rule, focus, keyword); });
}

int CNVTRACK::Check_empty(int* rule, int* focus) {
    return pruefung(rule != nullptr ? *rule : -1, [&] { return CNV::Check_empty(rule, focus); });
}

int CNVTRACK::Check_sub(int* rule, const wchar_t* copyname, const wchar_t* keyword) {
    return pruefung(rule != nullptr ? *rule : -1, [&] { return CNV::Check_sub(rule, copyname, keyword); });
}

int CNVTRACK::Check_content(int* rule, int* focus) {
    int s = rule != nullptr ? *rule : -1;
    // A content condition may stand without a text of its own; its
    // comparison is then named by the item two places on.
    if (s >= 0 && basic != nullptr && basic->Item(s).begin == nullptr) s += 2;
    return pruefung(s, [&] { return CNV::Check_content(rule, focus); });
}

// ---- Output: every piece is also copied into the target record ------------------

// Document text that the writer escapes is recorded as escaped, so that
// the report shows what the file holds.
int CNVTRACK::AusgabeWrite(const wchar_t* text) {
    if (track_ziel != nullptr && !track_ziel->Voll()) {
        const OUTmaskeItems art = ausgabe_in_gebrauch->OUT_Maskierung();
        if (art == OUT_MASKE_KEINE) {
            track_ziel->AddHtmlText(text);
        } else {
            std::wstring maskiert;
            OUT::OUT_Maskiert(text, art, maskiert);
            track_ziel->AddHtmlText(maskiert.c_str());
        }
    }
    return CNV::AusgabeWrite(text);
}

int CNVTRACK::AusgabeWrite(std::wstring_view text) {
    if (track_ziel != nullptr && !track_ziel->Voll()) return AusgabeWrite(text.data());
    return CNV::AusgabeWrite(text);
}

int CNVTRACK::AusgabeWrite(wchar_t c) {
    if (ausgabe_in_gebrauch->OUT_Maskierung() != OUT_MASKE_KEINE) {
        const wchar_t text[2] = {c, 0};
        return AusgabeWrite(text);
    }
    if (track_ziel != nullptr && !track_ziel->Voll()) track_ziel->AddHtmlZeichen(c);
    return CNV::AusgabeWrite(c);
}

int CNVTRACK::AusgabeWrite(unsigned int code) {
    if (track_ziel != nullptr && !track_ziel->Voll()) track_ziel->AddHtmlZeichen(code);
    return CNV::AusgabeWrite(code);
}

// ---- Steps that record nothing of their own -------------------------------------

int CNVTRACK::Convert_branch_set(int* rule, int* item, DATAtypeItems* model, int start, const wchar_t* copyname,
                                 int depth) {
    return CNV::Convert_branch_set(rule, item, model, start, copyname, depth);
}

int CNVTRACK::Convert_Element(int* item, DATAtypeItems model, PARSERtypeItems mode, const wchar_t* copyname,
                              int depth, bool rules) {
    return CNV::Convert_Element(item, model, mode, copyname, depth, rules);
}

int CNVTRACK::Convert_Attribute_Daten(int rule, int* item, DATAtypeItems model) {
    return CNV::Convert_Attribute_Daten(rule, item, model);
}

int CNVTRACK::Convert_makro_copy_cut_del(int* rule, int item, PARSERtypeItems mode, const wchar_t* copyname,
                                         int depth, const wchar_t* keyword) {
    return CNV::Convert_makro_copy_cut_del(rule, item, mode, copyname, depth, keyword);
}

int CNVTRACK::Convert_all_rules(int* rule, int* item, DATAtypeItems* model, int start, const wchar_t* copyname,
                                int depth) {
    return CNV::Convert_all_rules(rule, item, model, start, copyname, depth);
}

int CNVTRACK::Check_condition(int* rule, int* item, int start, const wchar_t* copyname) {
    return CNV::Check_condition(rule, item, start, copyname);
}

int CNVTRACK::Check_context(int* rule, int* item) { return CNV::Check_context(rule, item); }

int CNVTRACK::Interpreter_Initialisierung(IPR* ipr) { return CNV::Interpreter_Initialisierung(ipr); }
