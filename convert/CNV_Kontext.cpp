// Context conditions: where the element in focus stands.
#include <cwchar>

#include "convert/CNV.h"
#include "markup/DCL.h"
#include "script/BASIC.h"

namespace {

using Frage = bool (META::*)(int*, int);

BASICtypeItems Art(const CNV& c, int r) { return c.basic->Item(r).kind; }

bool Schluesselwort(CNV& c, int* rule, BASICtypeItems a, BASICtypeItems b, const wchar_t* keyword) {
    const BASICtypeItems k = Art(c, *rule);
    if (k == a || k == b) return true;
    c.skript->Fehlermeldung(-1, 1, keyword, L"Schlüsselwort fehlt", nullptr, c.basic->Item(*rule).begin);
    return false;
}

// IN, INX, BEFORE, BEFOREX, AFTER, AFTERX: one element name, after which
// the focus moves to the element found; or a parenthesised list of names
// (any one of them will do), after which the focus stays. In the list form
// an attribute condition inside the parentheses belongs to the element
// found, so it is tested here, on that element.
int Namensbedingung(CNV& c, int* rule, int* focus, const wchar_t* keyword, BASICtypeItems a, BASICtypeItems b,
                    Frage frage) {
    if (!Schluesselwort(c, rule, a, b, keyword)) {
        ++*rule;
        return 0;
    }
    ++*rule;
    const bool liste = Art(c, *rule) == ITEM_PAREN;
    if (liste) ++*rule;
    if (Art(c, *rule) != ITEM_NAME) return 0;
    const int erster = *rule;
    while (Art(c, *rule) == ITEM_NAME) {
        ++*rule;
        if (!liste) break;
    }
    const int namen_ende = *rule;
    const int attribut = liste && c.Ist_Attributbedingung(*rule) ? *rule : -1;
    const int ende = attribut >= 0 ? c.Attributbedingung_Ende(attribut) : *rule;
    for (int n = erster; n < namen_ende; ++n) {
        int gefunden = *focus;
        if (!(c.meta.*frage)(&gefunden, c.basic->Namensnummer(n))) continue;
        if (attribut >= 0) {
            int r = attribut;
            int fokus = *focus;
            if (!c.Check_attribute(&r, &gefunden, &fokus, 0)) continue;
        }
        if (!liste) *focus = gefunden;
        *rule = ende;
        return 1;
    }
    *rule = ende;
    return 0;
}

}  // namespace

int CNV::Check_in(int* rule, int* focus, const wchar_t* keyword) {
    return Namensbedingung(*this, rule, focus, keyword, ITEM_IN, ITEM_NOTIN, &META::IPR_if_in_nr);
}
int CNV::Check_inx(int* rule, int* focus, const wchar_t* keyword) {
    return Namensbedingung(*this, rule, focus, keyword, ITEM_INX, ITEM_NOTINX, &META::IPR_if_inx_nr);
}
int CNV::Check_before(int* rule, int* focus, const wchar_t* keyword) {
    return Namensbedingung(*this, rule, focus, keyword, ITEM_BEFORE, ITEM_NOTBEFORE, &META::IPR_if_before_nr);
}
int CNV::Check_beforex(int* rule, int* focus, const wchar_t* keyword) {
    return Namensbedingung(*this, rule, focus, keyword, ITEM_BEFOREX, ITEM_NOTBEFOREX, &META::IPR_if_beforex_nr);
}
int CNV::Check_after(int* rule, int* focus, const wchar_t* keyword) {
    return Namensbedingung(*this, rule, focus, keyword, ITEM_AFTER, ITEM_NOTAFTER, &META::IPR_if_after_nr);
}
int CNV::Check_afterx(int* rule, int* focus, const wchar_t* keyword) {
    return Namensbedingung(*this, rule, focus, keyword, ITEM_AFTERX, ITEM_NOTAFTERX, &META::IPR_if_afterx_nr);
}

int CNV::Check_first(int* rule, int* focus, const wchar_t* keyword) {
    const bool ok = Schluesselwort(*this, rule, ITEM_FIRST, ITEM_NOTFIRST, keyword);
    ++*rule;
    return ok && meta.IPR_if_first(*focus) ? 1 : 0;
}

int CNV::Check_last(int* rule, int* focus, const wchar_t* keyword) {
    const bool ok = Schluesselwort(*this, rule, ITEM_LAST, ITEM_NOTLAST, keyword);
    ++*rule;
    return ok && meta.IPR_if_last(*focus) ? 1 : 0;
}

int CNV::Check_empty(int* rule, int* focus) {
    const bool ok = Schluesselwort(*this, rule, ITEM_COND_EMPTY, ITEM_COND_NOTEMPTY, L"EMPTY");
    ++*rule;
    return ok && meta.IPR_if_empty(*focus) ? 1 : 0;
}

int CNV::Check_sub(int* rule, const wchar_t* copyname, const wchar_t* keyword) {
    if (!Schluesselwort(*this, rule, ITEM_SUB, ITEM_NOTSUB, keyword)) return 0;
    ++*rule;
    if (Art(*this, *rule) != ITEM_NAME) return copyname != nullptr ? 1 : 0;
    const wchar_t* name = basic->Text((*rule)++);
    if (copyname == nullptr) return 0;
    return dcl != nullptr ? dcl->general_name_compare(copyname, name) : std::wcscmp(copyname, name) == 0;
}
