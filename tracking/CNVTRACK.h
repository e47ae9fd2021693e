#pragma once
// CNVTRACK: the conversion engine with tracking. Every virtual operation of
// the engine is overridden: the steps that touch a source item, a script
// item or a piece of output write their action entries and put a numbered
// span around the output they produce, then do the engine's own work.
// Everything written to the output is also copied, escaped, into the target
// record.
#include "convert/CNV.h"

class CNVTRACK : public CNV {
public:
    CNVTRACK() = default;

    int Convert_makro_cdata_value(int* rule, int item) override;
    int Convert_branch_set(int* rule, int* item, DATAtypeItems* model, int start, const wchar_t* copyname,
                           int depth) override;
    int Convert_makro_literal(int* rule, int item) override;
    int Convert_rules(int* rule, int item, const wchar_t* copyname, int depth) override;
    int Convert_makro_chr(int* rule, int item) override;
    int Convert_Entity(int* rule, int item) override;
    int Convert_Element(int* item, DATAtypeItems model, PARSERtypeItems mode, const wchar_t* copyname, int depth,
                        bool rules) override;
    int Convert_Attribute_Daten(int rule, int* item, DATAtypeItems model) override;
    int Convert_makro_copy_cut_del(int* rule, int item, PARSERtypeItems mode, const wchar_t* copyname, int depth,
                                   const wchar_t* keyword) override;
    int Convert_makro_file(int* rule, int item) override;
    int Convert_makro_implied(int* rule, int item) override;
    int Convert_makro_value(int* rule, int item) override;
    int Convert_makro_token(int* rule, int item) override;
    int Convert_makro_count(int* rule, int item) override;
    int Convert_all_rules(int* rule, int* item, DATAtypeItems* model, int start, const wchar_t* copyname,
                          int depth) override;
    int Check_attribute(int* rule, int* focus, int* other, int implied) override;
    int Check_content(int* rule, int* focus) override;
    int Check_sub(int* rule, const wchar_t* copyname, const wchar_t* keyword) override;
    int Check_toplevel(int* rule, int item, const wchar_t* keyword) override;
    int Check_before(int* rule, int* focus, const wchar_t* keyword) override;
    int Check_beforex(int* rule, int* focus, const wchar_t* keyword) override;
    int Check_after(int* rule, int* focus, const wchar_t* keyword) override;
    int Check_afterx(int* rule, int* focus, const wchar_t* keyword) override;
    int Check_first(int* rule, int* focus, const wchar_t* keyword) override;
    int Check_last(int* rule, int* focus, const wchar_t* keyword) override;
    int Check_in(int* rule, int* focus, const wchar_t* keyword) override;
    int Check_inx(int* rule, int* focus, const wchar_t* keyword) override;
    int Check_find(int* rule, int focus, const wchar_t* keyword) override;
    int Check_empty(int* rule, int* focus) override;
    int Check_condition(int* rule, int* item, int start, const wchar_t* copyname) override;
    int Check_context(int* rule, int* item) override;
    int Convert_starttag(int* rule, int item, PARSERtypeItems mode, DATAtypeItems* model, const wchar_t* copyname,
                         int depth, bool rules) override;
    int Convert_emptytag(int* rule, int item, PARSERtypeItems mode, DATAtypeItems* model, const wchar_t* copyname,
                         int depth, bool rules) override;
    int Convert_endtag(int* rule, int item, PARSERtypeItems mode, const DATAtypeItems* model,
                       const wchar_t* copyname, int depth, bool rules) override;
    int Convert_data(int rule, int item, PARSERtypeItems mode, DATAtypeItems model) override;
    int Write_stag(int item) override;
    int Write_etag(int item) override;
    int AusgabeWrite(const wchar_t* text) override;
    int AusgabeWrite(wchar_t c) override;
    int AusgabeWrite(unsigned int code) override;
    int AusgabeWrite(std::wstring_view text) override;
    int Interpreter_Initialisierung(IPR* ipr) override;
    ~CNVTRACK() override = default;

private:
    // Entry for a tag: its item and, when declared, its definition.
    void tag_tracken(int item);
    // The target span around one step that writes output.
    template <class Arbeit>
    int ziel_spanne(int q, int s, Arbeit arbeit);
    // A condition: its item before, the item with "1" or "0" after.
    template <class Arbeit>
    int pruefung(int s, Arbeit arbeit);
};
