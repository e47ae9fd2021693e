#pragma once
// Regular-expression match of the =~ comparisons, over the 32-bit PCRE2
// library. Each distinct pattern is compiled once per run and kept; match
// and depth limits end pathological patterns with a message instead of
// letting them run for hours or exhaust memory. The patterns a script
// writes are checked when it is activated.

// True when the pattern is found anywhere in the subject (case-insensitive
// unless `case_sensitive`). An empty or missing subject or pattern gives
// false; a faulty pattern or an exhausted limit gives false with its
// message: printed as one line, or, when `fehler` is given, put there
// (the text after "Regulärer Ausdruck. ") for the caller to report.
bool unicode_regex_auswerten(const wchar_t* subject, const wchar_t* pattern, int case_sensitive,
                             const wchar_t** fehler = nullptr);

// Compiles the pattern (and keeps it for the matches): null when it is
// valid, else the message of its fault as unicode_regex_auswerten gives it.
const wchar_t* unicode_regex_pruefen(const wchar_t* pattern, int case_sensitive);
