// Rule lists, branch sets and condition lists of an element.
#include "convert/CNV.h"
#include "script/BASIC.h"
#include "base/Konsole.h"

namespace {

bool Ist_Kontextbedingung(BASICtypeItems k) { return k >= ITEM_BEFORE && k <= ITEM_NOTTOPLEVEL; }

bool Ist_Makro(BASICtypeItems k) {
    switch (k) {
        case ITEM_LITERAL:
        case ITEM_CHR:
        case ITEM_IMPLIED:
        case ITEM_VALUE:
        case ITEM_TOKEN:
        case ITEM_COUNT:
        case ITEM_COPY:
        case ITEM_CUT:
        case ITEM_DEL:
        case ITEM_FILE:
            return true;
        default:
            return false;
    }
}

}  // namespace

int CNV::Convert_all_rules(int* rule, int* item, DATAtypeItems* model, int start, const wchar_t* copyname,
                           int depth) {
    if (!basic->Find_condition_rules(rule)) return 1;
    for (;;) {
        // A failing rule leaves the position on its keyword, where the
        // caller's messages then point.
        const int regel = *rule;
        switch (basic->Item(*rule).kind) {
            case ITEM_RULE_BEG:
            case ITEM_RULE_END:
                if ((basic->Item(*rule).kind == ITEM_RULE_BEG) != (start == 1)) {
                    ++*rule;
                } else if (!Convert_rules(rule, *item, copyname, depth)) {
                    *rule = regel;
                    return 0;
                }
                break;
            case ITEM_RULE_DAT: {
                ++*rule;
                const BASIC::BASICitem& typ = basic->Item(*rule);
                if (typ.kind != ITEM_DATA_TYPE || typ.value < DATA_FULL || typ.value > DATA_DROP) return 0;
                *model = static_cast<DATAtypeItems>(typ.value);
                ++*rule;
                break;
            }
            case ITEM_RULE_ERR: {
                ++*rule;
                if (basic->Item(*rule).kind != ITEM_LITERAL) return 0;
                quelle.Fehlermeldung(0, 0, nullptr, L"im Element '%ls'", Itemname(*item), Dokumentstelle(*item));
                Konsole_Text(basic->Text(*rule));
                Konsole_Text(L"\n");
                ++*rule;
                break;
            }
            case ITEM_IF:
                if (!Convert_branch_set(rule, item, model, start, copyname, depth)) {
                    *rule = regel;
                    return 0;
                }
                break;
            default:  // NOP
                ++*rule;
                break;
        }
        if (!basic->Find_condition_rules(rule)) return 1;
    }
}

int CNV::Convert_rules(int* rule, int item, const wchar_t* copyname, int depth) {
    const BASICtypeItems art = basic->Item(*rule).kind;
    if (art != ITEM_RULE_BEG && art != ITEM_RULE_END) {
        Fehler_Skript(L"Regeln", L"Schlüsselwort (BEG, END oder ERR) fehlt.", nullptr, *rule);
        return 0;
    }
    ++*rule;
    for (;;) {
        const BASICtypeItems makro = basic->Item(*rule).kind;
        if (!Ist_Makro(makro)) return 1;
        int ok;
        switch (makro) {
            case ITEM_LITERAL:
                ok = Convert_makro_literal(rule, item);
                break;
            case ITEM_CHR:
                ok = Convert_makro_chr(rule, item);
                break;
            case ITEM_IMPLIED:
                ok = Convert_makro_implied(rule, item);
                break;
            case ITEM_VALUE:
                ok = Convert_makro_value(rule, item);
                break;
            case ITEM_TOKEN:
                ok = Convert_makro_token(rule, item);
                break;
            case ITEM_COUNT:
                ok = Convert_makro_count(rule, item);
                break;
            case ITEM_COPY:
                ok = Convert_makro_copy_cut_del(rule, item, PARSER_COPY, copyname, depth, L"COPY");
                break;
            case ITEM_CUT: {
                // The copy first, then the deletion from the same place.
                const int anfang = *rule;
                ok = Convert_makro_copy_cut_del(rule, item, PARSER_COPY, copyname, depth, L"CUT");
                if (ok) {
                    *rule = anfang;
                    ok = Convert_makro_copy_cut_del(rule, item, PARSER_DELETE, copyname, depth, L"CUT");
                }
                break;
            }
            case ITEM_DEL:
                ok = Convert_makro_copy_cut_del(rule, item, PARSER_DELETE, copyname, depth, L"DEL");
                break;
            default:  // FILE
                ok = Convert_makro_file(rule, item);
                break;
        }
        if (!ok) return 0;
        if (basic->Item(*rule).kind != ITEM_PLUS) return 1;
        ++*rule;
    }
}

int CNV::Convert_branch_set(int* rule, int* item, DATAtypeItems* model, int start, const wchar_t* copyname,
                            int depth) {
    const int wenn = *rule;
    if (basic->Item(wenn).kind != ITEM_IF) {
        Fehler_Skript(L"Bedingung", L"Schlüsselwort (IF) fehlt.", nullptr, wenn);
        return 0;
    }
    const std::uint32_t tiefe = basic->Item(wenn).level;
    bool genommen = false;
    int pos = wenn;
    // The IF and then each ELSEIF until a condition list holds; the focus
    // that a condition moves is not carried into the branch.
    for (bool erste = true; erste || basic->Item(pos).kind == ITEM_ELSEIF; erste = false) {
        int r = pos + 1;
        int fokus = *item;
        if (Check_condition(&r, &fokus, start, copyname)) {
            if (!Convert_all_rules(&r, item, model, start, copyname, depth)) return 0;
            genommen = true;
            pos = r;
            basic->Find_condition_set_ende(&pos, tiefe);
            break;
        }
        pos = pos + 1;
        if (!basic->Find_condition_set_next(&pos, tiefe)) {
            Fehler_Skript(L"Bedingung", L"ENDIF nicht erreicht.", nullptr, wenn);
            return 0;
        }
    }
    if (!genommen && basic->Item(pos).kind == ITEM_ELSE) {
        int r = pos + 1;
        if (!Convert_all_rules(&r, item, model, start, copyname, depth)) return 0;
        pos = r;
    }
    if (basic->Find_condition_set_next(&pos, tiefe) && basic->Item(pos).kind == ITEM_ENDIF) {
        *rule = pos + 1;
        return 1;
    }
    Fehler_Skript(L"Bedingung", L"ENDIF nicht erreicht.", nullptr, wenn);
    return 0;
}

int CNV::Check_condition(int* rule, int* item, int start, const wchar_t* copyname) {
    int r = *rule;
    int fokus = *item;
    // A right-hand attribute name refers to the element the list began with.
    const int anfang = *item;
    bool gelesen = false;
    for (;;) {
        const BASICtypeItems k = basic->Item(r).kind;
        const int vorher = r;
        int anderes = anfang;
        bool wert;
        switch (k) {
            case ITEM_COND_BEG:
            case ITEM_COND_END:
                wert = (k == ITEM_COND_BEG) == (start == 1);
                ++r;
                break;
            case ITEM_COND_EMPTY:
                wert = Check_empty(&r, &fokus) != 0;
                break;
            case ITEM_COND_NOTEMPTY:
                wert = Check_empty(&r, &fokus) == 0;
                break;
            case ITEM_COND_IMPLIED:
            case ITEM_COND_VALUE: {
                const BASICtypeItems danach = basic->Item(r + 1).kind;
                ++r;
                if (danach != ITEM_ATTNAME && danach != ITEM_NAME) {
                    // Without an attribute it decides nothing of its own.
                    if (gelesen) continue;
                    return 0;
                }
                wert = Check_attribute(&r, &fokus, &anderes, k == ITEM_COND_IMPLIED ? 1 : 0) != 0;
                break;
            }
            case ITEM_SUB:
                wert = Check_sub(&r, copyname, L"SUB") != 0;
                break;
            case ITEM_NOTSUB:
                wert = Check_sub(&r, copyname, L"NOTSUB") == 0;
                break;
            case ITEM_CONTENT_DAT:
            case ITEM_CONTENT_PCDATA:
                wert = Check_content(&r, &fokus) != 0;
                break;
            case ITEM_FIND:
                wert = Check_find(&r, fokus, L"FIND") != 0;
                break;
            case ITEM_NOTFIND:
                wert = Check_find(&r, fokus, L"NOTFIND") == 0;
                break;
            case ITEM_ATTNAME:
                wert = Check_attribute(&r, &fokus, &anderes, 0) != 0;
                break;
            default:
                if (!Ist_Kontextbedingung(k)) {
                    *rule = r;
                    return 1;
                }
                wert = Check_context(&r, &fokus) != 0;
                break;
        }
        if (!wert) return 0;
        // A condition that read nothing must not hold the list up forever.
        if (r == vorher) ++r;
        gelesen = true;
    }
}

int CNV::Check_context(int* rule, int* item) {
    const BASICtypeItems k = basic->Item(*rule).kind;
    const int anfang = *item;
    int gefunden = *item;
    switch (k) {
        case ITEM_FIRST:
            return Check_first(rule, &gefunden, L"FIRST");
        case ITEM_NOTFIRST:
            return Check_first(rule, &gefunden, L"NOTFIRST") == 0;
        case ITEM_LAST:
            return Check_last(rule, &gefunden, L"LAST");
        case ITEM_NOTLAST:
            return Check_last(rule, &gefunden, L"NOTLAST") == 0;
        case ITEM_TOPLEVEL:
            return Check_toplevel(rule, *item, L"TOPLEVEL");
        case ITEM_NOTTOPLEVEL:
            return Check_toplevel(rule, *item, L"NOTTOPLEVEL") == 0;
        default:
            break;
    }
    int gilt;
    switch (k) {
        case ITEM_BEFORE: gilt = Check_before(rule, &gefunden, L"BEFORE"); break;
        case ITEM_NOTBEFORE: gilt = Check_before(rule, &gefunden, L"NOTBEFORE"); break;
        case ITEM_BEFOREX: gilt = Check_beforex(rule, &gefunden, L"BEFOREX"); break;
        case ITEM_NOTBEFOREX: gilt = Check_beforex(rule, &gefunden, L"NOTBEFOREX"); break;
        case ITEM_AFTER: gilt = Check_after(rule, &gefunden, L"AFTER"); break;
        case ITEM_NOTAFTER: gilt = Check_after(rule, &gefunden, L"NOTAFTER"); break;
        case ITEM_AFTERX: gilt = Check_afterx(rule, &gefunden, L"AFTERX"); break;
        case ITEM_NOTAFTERX: gilt = Check_afterx(rule, &gefunden, L"NOTAFTERX"); break;
        case ITEM_IN: gilt = Check_in(rule, &gefunden, L"IN"); break;
        case ITEM_NOTIN: gilt = Check_in(rule, &gefunden, L"NOTIN"); break;
        case ITEM_INX: gilt = Check_inx(rule, &gefunden, L"INX"); break;
        case ITEM_NOTINX: gilt = Check_inx(rule, &gefunden, L"NOTINX"); break;
        default: return 0;
    }
    const bool negativ = k == ITEM_NOTBEFORE || k == ITEM_NOTBEFOREX || k == ITEM_NOTAFTER ||
                         k == ITEM_NOTAFTERX || k == ITEM_NOTIN || k == ITEM_NOTINX;
    const bool attribut = basic->Item(*rule).kind == ITEM_ATTNAME;
    if (negativ) {
        // Not related: true, and an attribute condition after it is tested
        // next in the list, on the focus.
        if (!gilt) return 1;
        if (!attribut) return 0;
        int anderes = anfang;
        return Check_attribute(rule, &gefunden, &anderes, 0) == 0;
    }
    if (!gilt) return 0;
    if (attribut) {
        int anderes = anfang;
        if (!Check_attribute(rule, &gefunden, &anderes, 0)) return 0;
    }
    *item = gefunden;
    return 1;
}

int CNV::Check_toplevel(int* rule, int item, const wchar_t* keyword) {
    const BASICtypeItems k = basic->Item(*rule).kind;
    if (k != ITEM_TOPLEVEL && k != ITEM_NOTTOPLEVEL) {
        Fehler_Skript(keyword, L"Schlüsselwort fehlt", nullptr, *rule);
        ++*rule;
        return 0;
    }
    ++*rule;
    if (item < 0 || item >= meta.Anzahl()) return 0;
    const METAtypeItems art = meta.Item(item).kind;
    return (art == META_STARTTAG || art == META_ENDTAG) && meta.Item(item).level == 0 ? 1 : 0;
}
