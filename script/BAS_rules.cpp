// The rules of an element definition: BEG, END, ERR and DAT rules, IF
// blocks and their condition lists.
#include "script/BAS.h"

namespace {

const wchar_t* const kMissingSeparator = L"Abschluss-Separator (' ',CR,LF) fehlt.";
const wchar_t* const kMissingParenEnd = L"Parameter-Endecode (')') erwartet.";
const wchar_t* const kAttributeSubject = L"[]";

// IF blocks nest by recursion; a script nesting deeper than any real one
// would otherwise be able to exhaust the stack.
constexpr unsigned int kMaxIfDepth = 1000;

}  // namespace

// ---- Rules part ------------------------------------------------------------

// Rules and IF blocks in any order and number. A failing IF block leaves the
// cursor where it stopped and the rules are tried there; a failing rule ends
// the part.
bool BAS::rules_part() {
    bool any = false;
    for (;;) {
        if (branch_definition_set()) {
            any = true;
            continue;
        }
        if (abgebrochen) return any;
        int r = text_rule(&BAS::rules_beg, L"BEG");
        if (r == 0) r = text_rule(&BAS::rules_end, L"END");
        if (r == 0) r = err_rule();
        if (r == 0) r = dat_rule();
        if (r <= 0) return any;
        any = true;
    }
}

unsigned int BAS::rules_nop() { return 1; }
unsigned int BAS::rules_beg() { return keyword(L"BEG") ? 1 : 0; }
unsigned int BAS::rules_end() { return keyword(L"END") ? 1 : 0; }
unsigned int BAS::rules_err() { return keyword(L"ERR") ? 1 : 0; }
unsigned int BAS::rules_dat() { return keyword(L"DAT") ? 1 : 0; }

// BEG or END: keyword [s] "=" [s] rule text. 1 read, 0 absent, -1 failed.
int BAS::text_rule(unsigned int (BAS::*word)(), const wchar_t* subject) {
    if (!(this->*word)()) return 0;
    s();
    if (!punct(L"=")) {
        error(subject, L"Zuweisungsoperator (=) fehlt.");
        return -1;
    }
    s();
    int t = rule_text();
    if (t == 0) error(subject, L"Regelsatz erwartet ('...').");
    return t > 0 ? 1 : -1;
}

int BAS::err_rule() {
    if (!rules_err()) return 0;
    s();
    if (!punct(L"=")) {
        error(L"ERR", L"Zuweisungsoperator (=) fehlt.");
        return -1;
    }
    s();
    if (!makro_literal()) {
        error(L"ERR", L"Fehlermeldung erwartet ('...').");
        return -1;
    }
    s();
    return 1;
}

int BAS::dat_rule() {
    if (!rules_dat()) return 0;
    s();
    if (!punct(L"=")) {
        error(L"DAT", L"Zuweisungsoperator (=) fehlt.");
        return -1;
    }
    s();
    if (!makro_data_type()) {
        error(L"DAT", L"Modell erwartet (FULL, DATA, ALT, ALTFULL, ASC, ASCFULL oder DROP).");
        return -1;
    }
    s();
    return 1;
}

unsigned int BAS::makro_data_type() {
    static const Word types[] = {{L"FULL", 1},    {L"ALTFULL", 4}, {L"ALT", 3}, {L"DATA", 2},
                                 {L"ASCFULL", 6}, {L"ASC", 5},     {L"DROP", 7}};
    return word_of(types, 7);
}

// Terms joined by "+": 1 read, 0 no first term, -1 a "+" without a term.
int BAS::rule_text() {
    if (!rule_term()) return 0;
    s();
    while (makro_plus()) {
        if (!rule_term()) {
            error(nullptr, L"Ersetzungsregeln ('...') erwartet.");
            return -1;
        }
        s();
    }
    return 1;
}

bool BAS::rule_term() { return makro_literal() || macro_term(); }

unsigned int BAS::makro_plus() {
    wchar_t* start = cursor;
    s();
    if (punct(L"+")) {
        s();
        return 1;
    }
    cursor = start;
    return 0;
}

// ---- IF blocks -------------------------------------------------------------

unsigned int BAS::branch_if() {
    if (!keyword(L"IF")) return 0;
    if (!s()) {
        error(L"IF", L"Separator (' ') fehlt.");
        return 0;
    }
    return 1;
}

unsigned int BAS::branch_elseif() {
    if (!keyword(L"ELSEIF")) return 0;
    if (!s()) {
        error(L"ELSEIF", L"Separator (' ') fehlt.");
        return 0;
    }
    return 1;
}

unsigned int BAS::branch_else() {
    if (!keyword(L"ELSE")) return 0;
    if (!s()) error(L"ELSE", L"Abschluss-Separator (' ') fehlt.");
    return 1;
}

unsigned int BAS::branch_endif() { return keyword(L"ENDIF") ? 1 : 0; }

unsigned int BAS::branch_definition_set() {
    if (!branch_if()) return 0;
    if (if_depth >= kMaxIfDepth || !stapel_reicht()) {
        // Every enclosing block would miss its ENDIF here: the parse is
        // abandoned and they unwind without further messages.
        error(L"IF", L"Die Verzweigungen sind zu tief verschachtelt.");
        abgebrochen = true;
        return 0;
    }
    ++if_depth;
    unsigned int result = branch_block();
    --if_depth;
    return result;
}

// Everything of an IF block after its IF keyword.
unsigned int BAS::branch_block() {
    if (!condition_list()) {
        error(L"IF", L"Bedingung erwartet.");
        return 0;
    }
    branch_rules();
    while (!abgebrochen && branch_elseif()) {
        if (!condition_list()) {
            error(L"ELSEIF", L"Bedingung erwartet.");
            return 0;
        }
        branch_rules();
    }
    if (!abgebrochen && branch_else()) branch_rules();
    if (abgebrochen) return 0;
    if (!branch_endif()) {
        error(L"ENDIF", L"Endekennung (ENDIF) der Verzweigung fehlt.");
        return 0;
    }
    s();
    return 1;
}

// The rules of one branch; an empty branch gets its marker.
void BAS::branch_rules() {
    if (!rules_part()) rules_nop();
}

// ---- Condition lists -------------------------------------------------------

unsigned int BAS::condition_beg() {
    if (!keyword(L"BEG")) return 0;
    if (!s()) {
        error(L"BEG", kMissingSeparator);
        return 0;
    }
    return 1;
}

unsigned int BAS::condition_end() {
    if (!keyword(L"END")) return 0;
    if (!s()) {
        error(L"END", kMissingSeparator);
        return 0;
    }
    return 1;
}

// True when the list holds at least one condition. Conditions follow each
// other without connecting words, each ended by a separator.
bool BAS::condition_list() {
    bool any = false;
    if (condition_beg() || condition_end()) any = true;
    for (;;) {
        if (other_condition()) {
            any = true;
            if (s()) {
                context_condition();
                continue;
            }
            error(L"Bedingung", kMissingSeparator);
            if (context_condition()) continue;
            return any;
        }
        if (!context_condition()) return any;
        any = true;
    }
}

bool BAS::other_condition() {
    return find_condition(&BAS::makro_find, L"FIND") ||
           find_condition(&BAS::makro_notfind, L"NOTFIND") ||
           sub_condition(&BAS::makro_sub, L"SUB") ||
           sub_condition(&BAS::makro_notsub, L"NOTSUB") || makro_empty() || makro_notempty() ||
           attribute_query(&BAS::condition_implied, L"IMPLIED") ||
           attribute_query(&BAS::condition_value, L"VALUE") || attribute_condition() > 0;
}

unsigned int BAS::makro_find() { return keyword(L"FIND") ? 1 : 0; }
unsigned int BAS::makro_notfind() { return keyword(L"NOTFIND") ? 1 : 0; }
unsigned int BAS::makro_sub() { return keyword(L"SUB") ? 1 : 0; }
unsigned int BAS::makro_notsub() { return keyword(L"NOTSUB") ? 1 : 0; }
unsigned int BAS::makro_empty() { return keyword(L"EMPTY") ? 1 : 0; }
unsigned int BAS::makro_notempty() { return keyword(L"NOTEMPTY") ? 1 : 0; }
unsigned int BAS::condition_implied() { return keyword(L"IMPLIED") ? 1 : 0; }
unsigned int BAS::condition_value() { return keyword(L"VALUE") ? 1 : 0; }

// FIND(context[,range][,count]) and NOTFIND. The count is accepted as in
// COPY; the first passing candidate decides whatever it says.
bool BAS::find_condition(unsigned int (BAS::*word)(), const wchar_t* subject) {
    if (!(this->*word)()) return false;
    if (!punct(L"(")) {
        error(subject, L"Parameter ('({element})') erwartet.");
        return false;
    }
    if (!search_context()) {
        error(subject, L"Element oder Kontextbedingung ('{element}'/'({...})) erwartet.");
        return false;
    }
    makro_find_range();
    makro_find_number();
    return close_paren(subject, kMissingParenEnd);
}

// SUB, SUB(), SUB(element) and the same with NOTSUB.
bool BAS::sub_condition(unsigned int (BAS::*word)(), const wchar_t* subject) {
    if (!(this->*word)()) return false;
    if (punct(L"(")) {
        element_name();
        return close_paren(subject, kMissingParenEnd);
    }
    return true;
}

// IMPLIED([element][attribute query]) and VALUE(...).
bool BAS::attribute_query(unsigned int (BAS::*word)(), const wchar_t* subject) {
    if (!(this->*word)()) return false;
    if (!punct(L"(")) {
        error(subject, L"Parameter ('({parameter})') erwartet.");
        return false;
    }
    element_name();
    int a = attribute_condition();
    if (a == 0)
        error(subject,
              L"Attributabfrage ('[attributabfrage]') oder erweiterte Attributabfrage "
              L"('element[attributabfrage]') erwartet.");
    if (a <= 0) return false;
    return close_paren(subject, kMissingParenEnd);
}

bool BAS::close_paren(const wchar_t* subject, const wchar_t* text) {
    if (punct(L")")) return true;
    error(subject, text);
    return false;
}

// ---- Context conditions ----------------------------------------------------

unsigned int BAS::condition_inx() { return keyword(L"INX") ? 1 : 0; }
unsigned int BAS::condition_in() { return keyword(L"IN") ? 1 : 0; }
unsigned int BAS::condition_notinx() { return keyword(L"NOTINX") ? 1 : 0; }
unsigned int BAS::condition_notin() { return keyword(L"NOTIN") ? 1 : 0; }
unsigned int BAS::condition_before() { return keyword(L"BEFORE") ? 1 : 0; }
unsigned int BAS::condition_beforex() { return keyword(L"BEFOREX") ? 1 : 0; }
unsigned int BAS::condition_notbefore() { return keyword(L"NOTBEFORE") ? 1 : 0; }
unsigned int BAS::condition_notbeforex() { return keyword(L"NOTBEFOREX") ? 1 : 0; }
unsigned int BAS::condition_after() { return keyword(L"AFTER") ? 1 : 0; }
unsigned int BAS::condition_afterx() { return keyword(L"AFTERX") ? 1 : 0; }
unsigned int BAS::condition_notafter() { return keyword(L"NOTAFTER") ? 1 : 0; }
unsigned int BAS::condition_notafterx() { return keyword(L"NOTAFTERX") ? 1 : 0; }
unsigned int BAS::condition_first() { return keyword(L"FIRST") ? 1 : 0; }
unsigned int BAS::condition_notfirst() { return keyword(L"NOTFIRST") ? 1 : 0; }
unsigned int BAS::condition_last() { return keyword(L"LAST") ? 1 : 0; }
unsigned int BAS::condition_notlast() { return keyword(L"NOTLAST") ? 1 : 0; }
unsigned int BAS::condition_toplevel() { return keyword(L"TOPLEVEL") ? 1 : 0; }
unsigned int BAS::condition_nottoplevel() { return keyword(L"NOTTOPLEVEL") ? 1 : 0; }
unsigned int BAS::condition_parao() { return punct(L"(") ? 1 : 0; }
unsigned int BAS::condition_parac() { return punct(L")") ? 1 : 0; }

// One context condition and the separator after it. A keyword whose operand
// fails leaves the cursor where it stopped and the remaining keywords are
// tried there.
bool BAS::context_condition() {
    // Keywords with an element operand name the message for a missing
    // separator; the one of IN has always carried a leading blank.
    const wchar_t* const separator = L"Separator (' ') fehlt.";
    struct Context {
        unsigned int (BAS::*word)();
        const wchar_t* subject;
        const wchar_t* missing_separator;  // null: no operand
    };
    static const Context words[] = {
        {&BAS::condition_inx, L"INX", separator},
        {&BAS::condition_in, L"IN", L" Separator (' ') fehlt."},
        {&BAS::condition_notinx, L"NOTINX", separator},
        {&BAS::condition_notin, L"NOTIN", separator},
        {&BAS::condition_before, L"BEFORE", separator},
        {&BAS::condition_beforex, L"BEFOREX", separator},
        {&BAS::condition_notbefore, L"NOTBEFORE", separator},
        {&BAS::condition_notbeforex, L"NOTBEFOREX", separator},
        {&BAS::condition_after, L"AFTER", separator},
        {&BAS::condition_afterx, L"AFTERX", separator},
        {&BAS::condition_notafter, L"NOTAFTER", separator},
        {&BAS::condition_notafterx, L"NOTAFTERX", separator},
        {&BAS::condition_first, L"FIRST", nullptr},
        {&BAS::condition_notfirst, L"NOTFIRST", nullptr},
        {&BAS::condition_last, L"LAST", nullptr},
        {&BAS::condition_notlast, L"NOTLAST", nullptr},
        {&BAS::condition_toplevel, L"TOPLEVEL", nullptr},
        {&BAS::condition_nottoplevel, L"NOTTOPLEVEL", nullptr},
    };
    for (const Context& c : words) {
        if (!(this->*c.word)()) continue;
        if (c.missing_separator != nullptr && !context_operand(c.subject, c.missing_separator))
            continue;
        if (!s()) {
            error(L"Kontextbedingung", kMissingSeparator);
            return false;
        }
        return true;
    }
    return false;
}

// "(" element [attribute query] ")" or separator element [attribute query].
bool BAS::context_operand(const wchar_t* subject, const wchar_t* missing_separator) {
    bool paren = condition_parao() != 0;
    if (!paren && !s()) {
        error(subject, missing_separator);
        return false;
    }
    // A keyword without its element would leave a condition the conversion
    // cannot evaluate.
    if (!element_name()) {
        error(subject, L"Elementname ('{element}') erwartet.");
        return false;
    }
    if (attribute_condition() < 0) return false;
    if (paren && !condition_parac()) {
        error(subject, kMissingParenEnd);
        return false;
    }
    return true;
}

// ---- Attribute conditions --------------------------------------------------

// "[" ... "]": 1 read, 0 absent (no "["), -1 failed.
int BAS::attribute_condition() {
    if (!punct(L"[")) return 0;
    s();
    if (v_content_dat() || v_content_pcdata()) {
        s();
        if (v_string_operator() || v_operator()) {
            s();
            if (!attribute_value_literal()) {
                error(kAttributeSubject, L"Zeichenkette (\"...\" oder '...') fehlt.");
                return -1;
            }
            s();
        } else {
            v_dummy_notempty();
        }
    } else if (cursor < end && (*cursor == L'"' || *cursor == L'\'')) {
        v_dummy_content_data();
        if (!attribute_value_literal()) {
            error(kAttributeSubject, L"Zeichenkette erwartet.");
            return -1;
        }
        s();
    } else if (attribute_name()) {
        s();
        if (v_string_operator()) {
            s();
            if (!attribute_value_literal()) {
                error(kAttributeSubject, L"Zeichenkette (\"...\" oder '...') fehlt.");
                return -1;
            }
            s();
        } else if (v_operator()) {
            s();
            if (!attribute_value_literal() && !attribute_name()) {
                error(kAttributeSubject,
                      L"Zeichenkette (\"...\" oder '...') oder Vergleichsattribut fehlt.");
                return -1;
            }
            s();
        } else {
            v_dummy_notempty();
        }
    } else {
        error(kAttributeSubject, L"Attributname, #DAT oder Zeichenktte erwartet.");
        return -1;
    }
    if (!punct(L"]")) {
        error(kAttributeSubject, L"Eigenschaftsende (]) erwartet.");
        return -1;
    }
    return 1;
}

unsigned int BAS::v_content_dat() { return punct(L"#DAT") ? 1 : 0; }
unsigned int BAS::v_content_pcdata() { return punct(L"#PCDATA") ? 1 : 0; }
unsigned int BAS::v_dummy_notempty() { return 2; }
unsigned int BAS::v_dummy_content_data() { return 1; }

// Longest spellings first, so that "!==^" is not read as "!==" and "^".
unsigned int BAS::v_string_operator() {
    static const Word ops[] = {
        {L"!==^", 16}, {L"!==$", 20}, {L"!==*", 24}, {L"!==~", 28}, {L"==^", 15}, {L"==$", 19},
        {L"==*", 23},  {L"==~", 27},  {L"!=^", 14},  {L"!=$", 18},  {L"!=*", 22}, {L"!=~", 26},
        {L"=^", 13},   {L"=$", 17},   {L"=*", 21},   {L"=~", 25},
    };
    return punct_of(ops, sizeof ops / sizeof ops[0]);
}

unsigned int BAS::v_operator() {
    static const Word ops[] = {
        {L"!==", 2}, {L"!<=", 10}, {L"!>=", 12}, {L"==", 1}, {L"<>", 4}, {L"<=", 9}, {L">=", 11},
        {L"!=", 4},  {L"!<", 6},   {L"!>", 8},   {L"=", 3},  {L"<", 5},  {L">", 7},
    };
    return punct_of(ops, sizeof ops / sizeof ops[0]);
}
