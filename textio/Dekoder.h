#pragma once
// The decoders that turn the raw bytes of a file into wide text, one code
// point per character, terminated by a 0 character. Each also validates and
// prints its findings straight to the console, each followed by a
// "Position:" line, and goes on where it can so that every fault of a file
// is listed in one run. They return 1 for success and 0 for failure.
//
// `out` must have room for length + 1 characters; `in` holds `length` bytes
// followed by one 0 byte. When `stored` is given it receives the number of
// characters written before the terminator.

int copy_byte_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored = nullptr);
int copy_utf8_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored = nullptr);
int copy_ucs2le_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored = nullptr);
int copy_ucs2be_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored = nullptr);
int copy_utf16le_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored = nullptr);
int copy_utf16be_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored = nullptr);
int copy_utf32le_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored = nullptr);
int copy_utf32be_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored = nullptr);
