#pragma once
// The reasons the operating system gives for a failed file operation, in
// German words of the program's own: the console is UTF-8 and German
// whatever the user's locale, so strerror's text cannot be used.
#include <string>

// The reason for the error number (errno); an unusual one as its number.
std::wstring Systemfehler_Text(int fehlernummer);
