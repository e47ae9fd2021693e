#pragma once
// The German texts of the HTML standard's parse errors, by their code, for
// the warnings that PARSEERRORS = SHOW lists. Each text ends with the code
// in parentheses, so that it can be looked up in the standard.
#include <string>

std::wstring H5_Fehlertext(const char* code);
