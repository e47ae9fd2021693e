// Fuzz target: the script parser and compiler. The input is a script; it
// is read, parsed, compiled and indexed as the driver activates it (with
// the tracking script record). An activated script must hold together:
// every item lies in the script text, and every branch set found from its
// IF reaches its ENDIF, so that the conversion can walk it.
#include <string>

#include "fuzz/Fuzzhilfe.h"
#include "script/IPR.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzz_Start();
    const std::wstring pfad = Fuzz_Datei("skript.xb", data, size);
    Fuzz_Mit_Stapel([&] {
        IPR ipr;
        if (!ipr.Skript_Init(pfad.c_str(), false, false, false, 1)) return;
        const BASIC& basic = ipr.basic;
        const wchar_t* const anfang = ipr.skript.text;
        const wchar_t* const ende = anfang + ipr.skript.length;
        for (int i = 0; i < basic.ItemCount(); ++i) {
            const BASIC::BASICitem& it = basic.Item(i);
            if (it.begin != nullptr) {
                FUZZ_PRUEFEN(it.begin >= anfang && it.begin <= ende);
                FUZZ_PRUEFEN(it.end >= it.begin && it.end <= ende);
            }
            if (it.kind == ITEM_IF) {
                int position = i;
                FUZZ_PRUEFEN(basic.Find_condition_set_ende(&position, it.level));
                FUZZ_PRUEFEN(position > i && basic.Item(position).kind == ITEM_ENDIF);
            }
            if (it.kind == ITEM_ELEMENT && it.begin != nullptr) {
                int position = -1;
                const std::wstring name(it.begin, it.end);
                FUZZ_PRUEFEN(basic.Find_element_definition(&position, name.c_str()));
                basic.Find_condition_rules(&position);
            }
        }
        int position = 0;
        basic.Find_entity_definition(&position, L"amp", 38);
    });
    Fuzz_Aufraeumen();
    return 0;
}
