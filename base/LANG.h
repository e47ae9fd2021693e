#pragma once
// Locale helpers: the sorting language chosen with -l, and the locale set
// up at start.

// Sets one locale category from a wide locale name ("" takes the
// environment's). Prints a failure line and gives false when the locale
// is not available.
bool unicode_setlocale(int kategorie, wchar_t const* name);

// The start-up locale: every category from the environment, numbers with
// a decimal point, and a character type that can hold every file name and
// message (UTF-8 even when the environment names a narrower one).
void Locale_Start();

// Activates the collation of a sorting language ("english", "french",
// anything else German) and prints the result line, also in quiet mode.
class LANG {
public:
    explicit LANG(wchar_t const* sprache);
};
