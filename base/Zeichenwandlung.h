#pragma once
// Conversion between the locale's multibyte text (command-line arguments,
// names from the file system) and the program's wide text.
//
// A byte that does not form a character of the locale (a Latin-1 file name
// under a UTF-8 locale) becomes U+DC80 + byte and turns back into the same
// byte, so such a name can still be opened after the round trip; the
// console shows it as U+FFFD.
#include <string>

std::wstring SchmalZuBreit(const char* text);
std::string BreitZuSchmal(const wchar_t* text);
