#pragma once
// TRACK: one record of the tracking report, a growable text with a few
// counters. The appends escape what they add for HTML, so a record can go
// into the report as it stands. The interpreter owns four of them (actions,
// source, script, target) for the whole run; the report writer borrows
// them.
//
// Every character a record can hold is at most 128: the character rule
// turns all others into references. So one byte holds each character, which
// keeps the records of a large document at a quarter of the memory.
#include <cstddef>
#include <cstdint>
#include <string>

// Memory for the records. A record of a large document runs to tens of
// megabytes; such blocks are asked for in huge pages where the system has
// them, because faulting them in page by page costs more than filling them.
template <class T>
struct TRACK_Speicher {
    using value_type = T;
    TRACK_Speicher() = default;
    template <class U>
    TRACK_Speicher(const TRACK_Speicher<U>&) {}
    T* allocate(std::size_t n);
    void deallocate(T* p, std::size_t n);
    template <class U>
    bool operator==(const TRACK_Speicher<U>&) const { return true; }
};
// Defined in TRACK.cpp; declared before any use so that every compiler
// takes them instead of instantiating the general template.
template <>
char* TRACK_Speicher<char>::allocate(std::size_t n);
template <>
void TRACK_Speicher<char>::deallocate(char* p, std::size_t n);
using TRACK_Text = std::basic_string<char, std::char_traits<char>, TRACK_Speicher<char>>;

class TRACK {
public:
    TRACK() = default;
    TRACK(const TRACK&) = delete;
    TRACK& operator=(const TRACK&) = delete;

    // Empties the text and sets every counter back to 0.
    int Reset();

    // Character rule: up to 128 as it is, above as a decimal reference.
    int AddZeichen(unsigned int c);
    int AddZeichen(wchar_t c) { return AddZeichen(static_cast<unsigned int>(c)); }
    int AddText(const wchar_t* text);
    // Markup of the program's own, plain ASCII: appended as it stands.
    int AddAscii(const char* text);
    int AddNr(long n);

    // Line labels: the start label carries 1, each further one the next
    // number; a label ends the line before it with a visible mark.
    int AddStartLabel();
    int AddLabel();

    // HTML rule: markup characters and quotes as entities, a tab as two
    // blanks that do not collapse, a line end of any form (CR LF, LF, CR)
    // as one line label.
    int AddHtmlText(const wchar_t* text);
    int AddHtmlText(const wchar_t* anfang, const wchar_t* ende);
    int AddHtmlZeichen(unsigned int c);
    int AddHtmlZeichen(wchar_t c) { return AddHtmlZeichen(static_cast<unsigned int>(c)); }

    // A numbered span ("q12", "s40") around a piece of text by the HTML rule;
    // without a kind the text goes in plainly.
    int AddHtmlSpanne(wchar_t art, long nr, const wchar_t* anfang, const wchar_t* ende);

    int AddFirstId(long n);
    int AddLastId(long n);
    long FirstId() const { return static_cast<long>(first_id); }
    long LastId() const { return static_cast<long>(last_id); }
    int LastZeile() const { return zeile; }
    // Entries on the current line of the action list.
    long CheckCount() { return static_cast<long>(++eintraege); }
    long ResetCount() { return static_cast<long>(eintraege = 0); }

    // The characters recorded (each one byte, see above); zero-terminated.
    // A record stops growing at its limit, so that tracking a huge document
    // cannot exhaust the memory: its writers check Voll() before each entry
    // and span, so the record ends at a whole one.
    static constexpr std::size_t GRENZE = std::size_t{1} << 30;
    bool Voll() const { return text.size() >= grenze; }

    const char* Text() const { return text.c_str(); }
    std::size_t Laenge() const { return text.size(); }
    // Room for that many more characters, so a large record grows once.
    void Reservieren(std::size_t mehr) { text.reserve(text.size() + mehr); }
    bool HatText() const { return hat_text; }

    // Fields, in the documented order.
    TRACK_Text text;
    bool hat_text = false;
    std::int64_t first_id = 0;   // added to a source item's number in an action entry
    std::int64_t last_id = 0;    // source items recorded so far
    std::int64_t eintraege = 0;  // entries on the current line of the action list
    std::int32_t zeile = 0;      // number of the last line label
    std::size_t grenze = GRENZE; // where the record stops growing

private:
    // The last character taken by the HTML rule was a carriage return: a
    // line feed right after it ends the same line.
    bool nach_cr = false;
};
