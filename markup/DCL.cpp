#include "markup/DCL.h"

#include <cwchar>

bool DCL::general_name_compare(const wchar_t* a, const wchar_t* b) const {
    if (a == nullptr || b == nullptr) return false;
    return namecase ? wcscasecmp(a, b) == 0 : std::wcscmp(a, b) == 0;
}
