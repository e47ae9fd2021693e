#pragma once
// The console writer: every character the program shows goes through here.
// Text is wide inside the program and leaves as UTF-8 bytes on standard
// output (or on standard error, while the converted document itself goes to
// standard output), whatever the locale of the environment says. The stream
// is only ever used as a byte stream, so narrow and wide stdio never mix.
#include <cstdarg>
#include <cstddef>
#include <string>

// Writes the text as it stands (a '%' is just a character here).
void Konsole_Text(const wchar_t* text);
void Konsole_Text(const wchar_t* text, std::size_t length);

// printf-style output with a wide format (%ls, %d, %lld, %zu, %u, %x ...).
void Konsole_Print(const wchar_t* format, ...);
void Konsole_VPrint(const wchar_t* format, va_list args);

// Bytes that are console text already (UTF-8), passed on as they stand:
// what a worker process of a parallel batch has shown.
void Konsole_Bytes(const char* bytes, std::size_t length);

// While a text is given, flushing appends to it instead of writing to
// standard output: a worker process collects one file's console text.
void Konsole_Umleiten(std::string* ziel);

// How many lines beginning with "FEHLER" have been written: an error line
// fails the file it was printed for, so the driver compares the count
// before and after each file.
long long Konsole_Fehlerzeilen();

// Holds every byte back until Konsole_Strom has chosen the stream: the run
// knows where its console goes only once the command line is read, and the
// banner comes before that.
void Konsole_Halten();
// Chooses standard error (true) or standard output (false) for the console
// and shows what was held back.
void Konsole_Strom(bool standardfehler);

// Pushes buffered bytes to the operating system (ending a hold on the stream
// chosen so far). Called at exit as well.
void Konsole_Flush();

// Appends the UTF-8 form of one code point. Values that are no Unicode
// scalar value (surrogates, above U+10FFFF) become U+FFFD, so the console
// never receives malformed UTF-8.
void Konsole_Utf8(std::string& out, char32_t c);
