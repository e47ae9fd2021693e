#pragma once
// Regular-expression match of the =~ comparisons, over the 32-bit PCRE2
// library. Each distinct pattern is compiled once per run and kept; match
// and depth limits end pathological patterns with a message instead of
// letting them run for hours or exhaust memory.

// True when the pattern is found anywhere in the subject (case-insensitive
// unless `case_sensitive`). An empty or missing subject or pattern gives
// false; a faulty pattern or an exhausted limit prints its one-line
// message and gives false.
bool unicode_regex_auswerten(const wchar_t* subject, const wchar_t* pattern, int case_sensitive);
