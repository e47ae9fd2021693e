#include "script/BASIC.h"

#include <algorithm>
#include <cwctype>
#include <new>

#include "base/Konsole.h"
#include "base/NAMEN.h"

namespace {


std::wstring Upper(std::wstring_view name) {
    std::wstring key(name);
    for (wchar_t& c : key) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return key;
}

// Folds as a comparison without regard to case does, so that equal keys
// mean "equal by the declaration record".
std::wstring Lower(std::wstring_view name) {
    std::wstring key(name);
    for (wchar_t& c : key) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return key;
}

// A case-folded lookup key without an allocation for names of ordinary
// length; lookups run once per tag of every document.
class FoldedKey {
public:
    FoldedKey(std::wstring_view name, bool upper) {
        if (name.size() < sizeof(buffer_) / sizeof(buffer_[0])) {
            for (std::size_t i = 0; i < name.size(); ++i) buffer_[i] = Fold(name[i], upper);
            view_ = std::wstring_view(buffer_, name.size());
        } else {
            long_ = upper ? Upper(name) : Lower(name);
            view_ = long_;
        }
    }
    std::wstring_view view() const { return view_; }

private:
    static wchar_t Fold(wchar_t c, bool upper) {
        wint_t w = static_cast<wint_t>(c);
        return static_cast<wchar_t>(upper ? std::towupper(w) : std::towlower(w));
    }
    wchar_t buffer_[256];
    std::wstring long_;
    std::wstring_view view_;
};

void Interpreterfehler(const wchar_t* text) {
    Konsole_Print(L"FEHLER: (Interpreter) %ls\n", text);
}

bool IsRule(std::uint32_t kind) { return kind >= ITEM_RULE_NOP && kind <= ITEM_RULE_ERR; }

}  // namespace

BASIC::BASIC() { Init(1, false); }

bool BASIC::Init(int capacity, bool debug_flag) {
    Forget();
    items_.clear();
    debug = debug_flag;
    capacity_ = capacity > 0 ? capacity : 1;
    try {
        items_.reserve(static_cast<std::size_t>(capacity_) + 1);
    } catch (const std::exception&) {
        Konsole_Text(L"FEHLER: (BASIC) Initialisierung, nicht genügend Speicher.\n");
        return false;
    }
    return true;
}

bool BASIC::AddItem(BASICtypeItems kind, wchar_t* begin, wchar_t* end, std::uint32_t level,
                    std::uint32_t value) {
    try {
        if (items_.size() > static_cast<std::size_t>(capacity_)) {
            capacity_ += kGrowth;
            items_.reserve(static_cast<std::size_t>(capacity_) + 1);
        }
        items_.push_back(BASICitem{kind, begin, end, level, value});
    } catch (const std::exception&) {
        Konsole_Text(L"FEHLER: (Interpreter) Skript, nicht genügend Speicher.\n");
        return false;
    }
    fallback_built_ = false;
    namensnummern_.clear();
    regeln_ab_.clear();
    return true;
}

void BASIC::Load_Declaration(DCL* declaration) {
    declaration_ = declaration ? declaration : &own_declaration_;
}

void BASIC::Forget() {
    namensnummern_.clear();
    regeln_ab_.clear();
    element_index_.clear();
    entity_index_.clear();
    character_index_.clear();
    fallback_built_ = false;
}

const BASIC::BASICitem BASIC::kKeinItem{ITEM_NONE, nullptr, nullptr, 0, 0};

const wchar_t* BASIC::Text(int position) const {
    const BASICitem& item = Item(position);
    return item.begin ? item.begin : L"";
}

std::wstring_view BASIC::View(int position) const {
    const BASICitem& item = Item(position);
    if (!item.begin || !item.end || item.end < item.begin) return {};
    return std::wstring_view(item.begin, static_cast<std::size_t>(item.end - item.begin));
}

bool BASIC::NameEquals(int position, const wchar_t* name) const {
    if (!name) return false;
    std::wstring_view text = View(position);
    std::wstring_view other(name);
    if (!declaration_->namecase) return text == other;
    if (text.size() != other.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (std::towlower(static_cast<wint_t>(text[i])) != std::towlower(static_cast<wint_t>(other[i])))
            return false;
    return true;
}

// ---------------------------------------------------------------- indexes

static bool Ist_Namensitem(BASICtypeItems kind) {
    return kind == ITEM_NAME || kind == ITEM_ELEMENT || kind == ITEM_ATTNAME;
}

void BASIC::NummernBauen() const {
    NAMEN& tabelle = Namenstabelle();
    namensnummern_.assign(items_.size(), 0);
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (Ist_Namensitem(items_[i].kind)) namensnummern_[i] = tabelle.Nummer(View(static_cast<int>(i)));
    // SGML definitions are also found by their upper-case form, as the
    // index keys them.
    const bool sgml = SettingValue(ITEM_SYNTAX, SYNTAX_XML, nullptr) == SYNTAX_SGML;
    std::vector<std::pair<int, int>> gross;
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (sgml && items_[i].kind == ITEM_ELEMENT)
            gross.emplace_back(tabelle.Nummer(Upper(View(static_cast<int>(i)))), static_cast<int>(i));
    const std::size_t n = static_cast<std::size_t>(tabelle.Anzahl()) + 1;
    elemente_genau_.assign(n, -1);
    elemente_gefaltet_.assign(n, -1);
    elemente_gross_.assign(n, -1);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].kind != ITEM_ELEMENT) continue;
        const int nummer = namensnummern_[i];
        if (elemente_genau_[nummer] < 0) elemente_genau_[nummer] = static_cast<int>(i);
        const int gefaltet = tabelle.Gefaltet(nummer);
        if (elemente_gefaltet_[gefaltet] < 0) elemente_gefaltet_[gefaltet] = static_cast<int>(i);
    }
    for (const auto& [nummer, i] : gross)
        if (elemente_gross_[nummer] < 0) elemente_gross_[nummer] = i;
}

int BASIC::Namensnummer(int position) const {
    if (position < 0 || position >= ItemCount()) return 0;
    if (namensnummern_.size() != items_.size()) NummernBauen();
    return namensnummern_[static_cast<std::size_t>(position)];
}

namespace {
int Eintrag(const std::vector<int>& liste, int nummer) {
    return nummer > 0 && nummer < static_cast<int>(liste.size()) ? liste[static_cast<std::size_t>(nummer)] : -1;
}
}  // namespace

// As the text lookup: the name as written (in SGML also its upper-case
// form), then, when case does not count, the folded name.
bool BASIC::Find_element_definition_nr(int* position, int name) const {
    if (!position || name <= 0) return false;
    if (namensnummern_.size() != items_.size()) NummernBauen();
    int p = Eintrag(elemente_genau_, name);
    if (p < 0) p = Eintrag(elemente_gross_, name);
    if (p < 0) {
        if (debug) Konsole_Text(L"- Die Suche nach der Elementdefinition per Index war ohne Erfolg.\n");
        const NAMEN& tabelle = Namenstabelle();
        if (declaration_->namecase && name <= tabelle.Anzahl()) p = Eintrag(elemente_gefaltet_, tabelle.Gefaltet(name));
    }
    if (p < 0) return false;
    *position = p;
    return true;
}

bool BASIC::Indexieren() {
    Forget();
    const bool sgml = SettingValue(ITEM_SYNTAX, SYNTAX_XML, L"SYNTAX wurde mehrfach definiert.") == SYNTAX_SGML;
    bool ok = true;
    try {
        for (int i = 0; i < ItemCount(); ++i) {
            const BASICitem& item = items_[static_cast<std::size_t>(i)];
            if (item.kind == ITEM_ELEMENT) {
                std::wstring key = sgml ? Upper(View(i)) : std::wstring(View(i));
                if (!element_index_.emplace(std::move(key), i).second) {
                    Konsole_Print(L"FEHLER: (Interpreter) ELEMENT %ls mehrfach definiert.\n",
                                  std::wstring(View(i)).c_str());
                    ok = false;
                }
            } else if (item.kind == ITEM_ENTITY && item.value == 0) {
                if (!entity_index_.emplace(std::wstring(View(i)), i).second) {
                    Konsole_Print(L"FEHLER: (Interpreter) ENTITY %ls mehrfach definiert.\n",
                                  std::wstring(View(i)).c_str());
                    ok = false;
                }
            } else if (item.kind == ITEM_ENTITY) {
                if (!character_index_.emplace(item.value, i).second) {
                    Konsole_Print(L"FEHLER: (Interpreter) ENTITY %ls (Zeichenreferenz) mehrfach definiert; "
                                  L"numerischer Wert mehrfach vorhanden!\n",
                                  std::wstring(View(i)).c_str());
                    ok = false;
                }
            }
        }
        NummernBauen();
    } catch (const std::bad_alloc&) {
        Konsole_Text(L"FEHLER: (Interpreter) Skript, nicht genügend Speicher.\n");
        Forget();
        return false;
    }
    return ok;
}

// The scans that back up a missed index lookup ("the first element whose name
// equals", "the first entity whose text or code equals") answered by hash, so
// that a document full of undeclared names costs no walk over the script.
void BASIC::BuildFallback() const {
    if (fallback_built_ && fallback_namecase_ == declaration_->namecase) return;
    fallback_elements_.clear();
    fallback_entities_.clear();
    fallback_characters_.clear();
    fallback_namecase_ = declaration_->namecase;
    for (int i = 0; i < ItemCount(); ++i) {
        const BASICitem& item = items_[static_cast<std::size_t>(i)];
        if (item.kind == ITEM_ELEMENT) {
            fallback_elements_.emplace(fallback_namecase_ ? Lower(View(i)) : std::wstring(View(i)), i);
        } else if (item.kind == ITEM_ENTITY) {
            fallback_entities_.emplace(std::wstring(View(i)), i);
            if (item.value > 0) fallback_characters_.emplace(item.value, i);
        }
    }
    fallback_built_ = true;
}

// ---------------------------------------------------------------- definitions

bool BASIC::Find_element_definition(int* position, const wchar_t* name) const {
    if (!position || !name) return false;
    std::wstring_view given(name);
    auto hit = declaration_->namecase ? element_index_.find(FoldedKey(given, true).view())
                                      : element_index_.find(given);
    if (hit != element_index_.end()) {
        *position = hit->second;
        return true;
    }
    if (debug) Konsole_Text(L"- Die Suche nach der Elementdefinition per Index war ohne Erfolg.\n");
    try {
        BuildFallback();
        auto found = fallback_namecase_ ? fallback_elements_.find(FoldedKey(given, false).view())
                                        : fallback_elements_.find(given);
        if (found == fallback_elements_.end()) return false;
        *position = found->second;
        return true;
    } catch (const std::bad_alloc&) {
        fallback_built_ = false;
    }
    for (int i = 0; i < ItemCount(); ++i) {
        if (items_[static_cast<std::size_t>(i)].kind == ITEM_ELEMENT && NameEquals(i, name)) {
            *position = i;
            return true;
        }
    }
    return false;
}

bool BASIC::IPR_is_SGML_Empty_Element(const wchar_t* name) const {
    int position = 0;
    if (!Find_element_definition(&position, name)) return false;
    const BASICitem& next = Item(position + 1);
    return next.kind == ITEM_MODEL && next.value == MODEL_EMPTY;
}

bool BASIC::Ist_leeres_Element(int name) const {
    int position = 0;
    if (!Find_element_definition_nr(&position, name)) return false;
    const BASICitem& next = Item(position + 1);
    return next.kind == ITEM_MODEL && next.value == MODEL_EMPTY;
}

bool BASIC::Ist_PCDATA_Element(int name) const {
    int position = 0;
    if (!Find_element_definition_nr(&position, name)) return true;
    const BASICitem& next = Item(position + 1);
    if (next.kind != ITEM_MODEL) return true;
    return next.value == MODEL_MIXED || next.value == MODEL_DATA;
}

bool BASIC::IPR_is_Element_PCDATA(const wchar_t* name) const {
    int position = 0;
    if (!Find_element_definition(&position, name)) return true;
    const BASICitem& next = Item(position + 1);
    if (next.kind != ITEM_MODEL) return true;
    return next.value == MODEL_MIXED || next.value == MODEL_DATA;
}

bool BASIC::Find_attribute_default(int position, const wchar_t* element, const wchar_t* attribute,
                                   const wchar_t** value) const {
    if (!attribute || !value || ItemCount() == 0) return false;
    int p = std::min(position, ItemCount() - 1);
    while (p >= 0 && items_[static_cast<std::size_t>(p)].kind != ITEM_ELEMENT) --p;
    if (p < 0) return false;
    if (element && !NameEquals(p, element) && !Find_element_definition(&p, element)) return false;
    // Only the element's own definition counts: the scan ends at its ENDE,
    // so an element never inherits the default of the one after it.
    for (int i = p + 1; i < ItemCount(); ++i) {
        const BASICitem& item = items_[static_cast<std::size_t>(i)];
        if (!(item.kind & ITEM_FLAG_ELEMENT_DEFINITION) || item.kind == ITEM_ELEMENT || item.kind == ITEM_ENDE)
            return false;
        if (item.kind == ITEM_ATTNAME && NameEquals(i, attribute)) {
            if (Item(i + 1).kind != ITEM_ATTVALUE) return false;
            *value = Text(i + 1);
            return true;
        }
    }
    return false;
}

bool BASIC::Find_entity_definition(int* position, const wchar_t* name, std::uint32_t code) const {
    if (!position) return false;
    if (name) {
        auto hit = entity_index_.find(std::wstring_view(name));
        if (hit != entity_index_.end()) {
            *position = hit->second;
            return true;
        }
    } else {
        auto hit = character_index_.find(code);
        if (hit != character_index_.end()) {
            *position = hit->second;
            return true;
        }
    }
    if (debug) Konsole_Text(L"- Die Suche nach der Entitydefinition per Index war ohne Erfolg.\n");
    if (!name && code == 0) return false;
    try {
        BuildFallback();
        int best = -1;
        if (name) {
            auto found = fallback_entities_.find(std::wstring_view(name));
            if (found != fallback_entities_.end()) best = found->second;
        }
        if (code > 0) {
            auto found = fallback_characters_.find(code);
            if (found != fallback_characters_.end() && (best < 0 || found->second < best)) best = found->second;
        }
        if (best < 0) return false;
        *position = best;
        return true;
    } catch (const std::bad_alloc&) {
        fallback_built_ = false;
    }
    for (int i = 0; i < ItemCount(); ++i) {
        const BASICitem& item = items_[static_cast<std::size_t>(i)];
        if (item.kind != ITEM_ENTITY) continue;
        if ((name && View(i) == std::wstring_view(name)) || (code > 0 && item.value == code)) {
            *position = i;
            return true;
        }
    }
    return false;
}

// As Find_entity_definition by name, without its debug line: the reader
// asks this for every entity it might replace.
bool BASIC::Entitaet_definiert(std::wstring_view name) const {
    if (entity_index_.find(name) != entity_index_.end()) return true;
    try {
        BuildFallback();
        return fallback_entities_.find(name) != fallback_entities_.end();
    } catch (const std::bad_alloc&) {
        fallback_built_ = false;
    }
    for (int i = 0; i < ItemCount(); ++i)
        if (items_[static_cast<std::size_t>(i)].kind == ITEM_ENTITY && View(i) == name) return true;
    return false;
}

// The variant's own item when the entity has one, else the entity itself:
// the caller tells the two apart by the kind at the returned position.
bool BASIC::FindSub(int* position, const wchar_t* name, std::uint32_t code, BASICtypeItems sub) const {
    int entity = 0;
    if (!position || !Find_entity_definition(&entity, name, code)) return false;
    *position = entity;
    for (int i = entity + 1; i < ItemCount(); ++i) {
        BASICtypeItems kind = items_[static_cast<std::size_t>(i)].kind;
        if (kind == ITEM_ENTITY) break;
        if (kind == sub) {
            *position = i;
            break;
        }
    }
    return true;
}

bool BASIC::Find_entity_alternate_definition(int* position, const wchar_t* name, std::uint32_t code) const {
    return FindSub(position, name, code, ITEM_ENTITY_ALTERNATE);
}

bool BASIC::Find_entity_ascii_definition(int* position, const wchar_t* name, std::uint32_t code) const {
    return FindSub(position, name, code, ITEM_ENTITY_ASCII);
}

// ---------------------------------------------------------------- rule lists

int BASIC::Regeln_suchen(int ab) const {
    int p = ab;
    if (Item(p).kind == ITEM_ELEMENT) ++p;
    for (; p < ItemCount(); ++p) {
        BASICtypeItems kind = items_[static_cast<std::size_t>(p)].kind;
        if (kind == ITEM_IF || IsRule(kind)) return p;
        if (kind & ITEM_FLAG_BRANCH) return -p - 2;
        if (kind == ITEM_ELEMENT || kind == ITEM_ENDE) return -1;
    }
    return -1;
}

bool BASIC::Find_condition_set_next(int* position, std::uint32_t level) const {
    if (!position) return false;
    for (int p = std::max(*position, 0); p < ItemCount(); ++p) {
        const BASICitem& item = items_[static_cast<std::size_t>(p)];
        if (item.kind == ITEM_ELEMENT || item.kind == ITEM_ENDE) return false;
        if (!(item.kind & ITEM_FLAG_BRANCH) || item.level > level) continue;
        if (item.kind == ITEM_IF) {
            Interpreterfehler(L"BASIC: Bedingung unterbrochen");
            return false;
        }
        if (item.level == level) {
            *position = p;
            return true;
        }
        Interpreterfehler(L"BASIC: Bedingung übersprungen");
        return false;
    }
    Interpreterfehler(L"BASIC: Bedingung nicht beendet");
    return false;
}

bool BASIC::Find_condition_set_ende(int* position, std::uint32_t level) const {
    if (!position) return false;
    for (int p = std::max(*position, 0); p < ItemCount(); ++p) {
        const BASICitem& item = items_[static_cast<std::size_t>(p)];
        if (item.kind == ITEM_ELEMENT || item.kind == ITEM_ENDE) return false;
        if (item.kind != ITEM_ENDIF || item.level > level) continue;
        if (item.level == level) {
            *position = p;
            return true;
        }
        Interpreterfehler(L"BASIC: Condition-Ende-Überlauf");
        return false;
    }
    Interpreterfehler(L"BASIC: Condition-Ende nicht gefunden");
    return false;
}

bool BASIC::Find_replace_type(int* position) const {
    if (!position) return false;
    for (int p = std::max(*position, 0); p < ItemCount(); ++p) {
        switch (items_[static_cast<std::size_t>(p)].kind) {
        case ITEM_DATA_TYPE:
            *position = p;
            return true;
        case ITEM_ENTITY:
        case ITEM_RULE_BEG:
        case ITEM_RULE_END:
        case ITEM_RULE_ERR:
        case ITEM_ELEMENT:
            return false;
        default:
            break;
        }
    }
    return false;
}

// ---------------------------------------------------------------- settings

// Settings precede every definition, so the scan ends at the first one.
BASIC::Setting BASIC::ScanSetting(BASICtypeItems kind) const {
    Setting s;
    for (int i = 0; i < ItemCount(); ++i) {
        BASICtypeItems k = items_[static_cast<std::size_t>(i)].kind;
        if (k == ITEM_ELEMENT || k == ITEM_ENTITY) break;
        if (k != kind) continue;
        if (s.first < 0) s.first = i;
        s.last = i;
        ++s.count;
    }
    return s;
}

std::uint32_t BASIC::SettingValue(BASICtypeItems kind, std::uint32_t absent, const wchar_t* repeated) const {
    Setting s = ScanSetting(kind);
    if (repeated)
        for (int n = 1; n < s.count; ++n) Interpreterfehler(repeated);
    return s.last < 0 ? absent : Item(s.last).value;
}

ENCODINGtypeItems BASIC::Find_ReaderEncoding() const {
    return static_cast<ENCODINGtypeItems>(
        SettingValue(ITEM_READERENCODING, ENC_AUTO, L"ReaderEncoding wurde mehrfach definiert."));
}

ENCODINGtypeItems BASIC::Find_WriterEncoding() const {
    return static_cast<ENCODINGtypeItems>(
        SettingValue(ITEM_WRITERENCODING, ENC_AUTO, L"WriterEncoding wurde mehrfach definiert."));
}

std::string BASIC::Kodierungsname(BASICtypeItems setting, bool jede) const {
    const Setting s = ScanSetting(setting);
    if (s.last < 0 || Item(s.last).value == ENC_AUTO || (!jede && Item(s.last).value != ENC_NAMED))
        return std::string();
    const BASICitem& it = Item(s.last);
    // The script parser takes only ASCII letters, digits and ".", "_", "-".
    std::string name;
    for (const wchar_t* p = it.begin; p != nullptr && p < it.end; ++p) name.push_back(static_cast<char>(*p));
    return name;
}

// SYNTAX HTML is its own syntax: the XML query answers false for it, so that
// the set-up, which asks for XML first, reaches the HTML declaration.
bool BASIC::IPR_is_XML_Syntax() const {
    std::uint32_t syntax = SettingValue(ITEM_SYNTAX, SYNTAX_XML, L"SYNTAX wurde mehrfach definiert.");
    return syntax != SYNTAX_SGML && syntax != SYNTAX_HTML && syntax != SYNTAX_HTML5;
}

bool BASIC::IPR_is_HTML5_Syntax() const {
    return SettingValue(ITEM_SYNTAX, SYNTAX_XML, nullptr) == SYNTAX_HTML5;
}

bool BASIC::IPR_is_Parse_Errors_Shown() const {
    return SettingValue(ITEM_PARSEERRORS, PARSEERRORS_HIDE, L"PARSEERRORS wurde mehrfach definiert.") ==
           PARSEERRORS_SHOW;
}

bool BASIC::IPR_is_HTML_Syntax() const {
    return SettingValue(ITEM_SYNTAX, SYNTAX_XML, L"SYNTAX wurde mehrfach definiert.") == SYNTAX_HTML;
}

bool BASIC::IPR_is_Namecase(bool fallback) const {
    std::uint32_t v = SettingValue(ITEM_NAMECASE, 0, L"NAMECASE wurde mehrfach definiert.");
    if (v == NAMECASE_YES) return true;
    if (v == NAMECASE_NO) return false;
    return fallback;
}

int BASIC::IPR_is_Warnings() const {
    return static_cast<int>(SettingValue(ITEM_WARNINGS, WARNINGS_ALL, L"WARNINGS wurde mehrfach definiert."));
}

bool BASIC::IPR_is_Only_Defined_Elements_Type(ELEMtypeItems fallback) const {
    return SettingValue(ITEM_CONVERTELEMENTS, fallback, L"CONVERTELEMENTS wurde mehrfach definiert.") ==
           ELEM_ONLYDEFINED;
}

bool BASIC::IPR_is_Drop_Undefined_Elements_Type(ELEMtypeItems fallback) const {
    return SettingValue(ITEM_CONVERTELEMENTS, fallback, nullptr) == ELEM_DROPUNDEFINED;
}

bool BASIC::IPR_is_Only_Defined_Entities_Type(ENTYtypeItems fallback) const {
    return SettingValue(ITEM_CONVERTENTITIES, fallback, L"CONVERTENTITIES wurde mehrfach definiert.") ==
           ENTY_ONLYDEFINED;
}

bool BASIC::IPR_is_Expand_Entities_Type() const {
    return SettingValue(ITEM_CONVERTENTITIES, ENTY_ONLYDEFINED, nullptr) == ENTY_EXPAND;
}

bool BASIC::IPR_is_External_DTD() const {
    return SettingValue(ITEM_READERDTD, DTD_INTERNAL, L"READERDTD wurde mehrfach definiert.") == DTD_EXTERNAL;
}

bool BASIC::IPR_is_Only_Defined_PCDATA_Type() const {
    Setting s = ScanSetting(ITEM_CONVERTDATA);
    return s.first >= 0 && Item(s.first).value == ENTY_ONLYDEFINED;
}

ESCAPEtypeItems BASIC::Find_WriterEscape(ESCAPEtypeItems fallback) const {
    return static_cast<ESCAPEtypeItems>(
        SettingValue(ITEM_WRITERESCAPE, fallback, L"WRITERESCAPE wurde mehrfach definiert."));
}

bool BASIC::IPR_is_WriterBom() const {
    return SettingValue(ITEM_WRITERBOM, BOM_YES, L"WRITERBOM wurde mehrfach definiert.") == BOM_YES;
}
