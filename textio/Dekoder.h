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
#include <cstddef>
#include <cstdint>

int copy_byte_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored = nullptr);
int copy_utf8_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored = nullptr);
int copy_ucs2le_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored = nullptr);
int copy_ucs2be_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored = nullptr);
int copy_utf16le_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored = nullptr);
int copy_utf16be_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored = nullptr);
int copy_utf32le_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored = nullptr);
int copy_utf32be_to_unicode(wchar_t* out, unsigned char* in, unsigned long length, unsigned long* stored = nullptr);

// The run of ASCII bytes at p widened into o (printable ASCII only unless
// `steuerung`); the number of bytes it covered. At least 32 bytes must
// follow p, and o may receive 16 characters whatever the count.
std::uint32_t Dekoder_ASCII_Lauf(wchar_t* o, const unsigned char* p, bool steuerung);

// Reports an invalid byte sequence of the named encoding at its first byte,
// naming every byte of it ("0xC0 0xBC"); `am_ende`: the end of the file cut
// it short. The position line follows from Dekoderposition.
void Dekoder_Bytes_melden(const wchar_t* kodierung, const unsigned char* bytes, std::size_t anzahl, bool am_ende);

// Line and character of the next character to be stored, for the position
// line of a decoder message. Decoders need them only for messages, so they
// are counted over the stored text when a message asks, resuming where the
// last count stopped: the whole count stays linear. Counting goes by index,
// so the text may move between two messages. A line feed opens a new line
// whose first character is character 1.
class Dekoderposition {
public:
    void melden(const wchar_t* text, std::size_t naechstes, bool mit_zeichen = true);
    void melden(const wchar_t* text, const wchar_t* naechstes, bool mit_zeichen = true) {
        melden(text, static_cast<std::size_t>(naechstes - text), mit_zeichen);
    }

private:
    std::size_t gezaehlt_ = 0;
    long long zeile_ = 1;
    long long zeichen_ = 1;
};
