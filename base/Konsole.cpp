#include "base/Konsole.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace {

// Output is collected and written in large pieces; on a terminal every line
// is pushed at once so that progress lines appear while a run goes on.
struct KonsolePuffer {
    std::string bytes;
    std::FILE* strom = stdout;
    bool terminal = isatty(STDOUT_FILENO) != 0;
    bool halten = false;
    std::string* umleitung = nullptr;
    std::mutex lock;
    bool zeilenanfang = true;
    long long fehlerzeilen = 0;
    KonsolePuffer() {
        bytes.reserve(1 << 16);
        std::atexit([] { Konsole_Flush(); });
    }
};

// Never destroyed: the exit handler flushes after static destructors may
// already have run.
KonsolePuffer& puffer() {
    static KonsolePuffer* p = new KonsolePuffer;
    return *p;
}

void flush_locked(KonsolePuffer& p) {
    if (p.umleitung != nullptr) {
        p.umleitung->append(p.bytes);
        p.bytes.clear();
        return;
    }
    if (p.halten) return;
    std::size_t done = 0;
    while (done < p.bytes.size()) {
        std::size_t n = std::fwrite(p.bytes.data() + done, 1, p.bytes.size() - done, p.strom);
        if (n == 0) break;  // nowhere left to report a broken console
        done += n;
    }
    std::fflush(p.strom);
    p.bytes.clear();
}

}  // namespace

void Konsole_Utf8(std::string& out, char32_t c) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void Konsole_Text(const wchar_t* text, std::size_t length) {
    if (text == nullptr) return;
    KonsolePuffer& p = puffer();
    std::lock_guard<std::mutex> guard(p.lock);
    bool line_end = false;
    for (std::size_t i = 0; i < length; ++i) {
        if (p.zeilenanfang && text[i] == L'F' && length - i >= 6 && std::wmemcmp(text + i, L"FEHLER", 6) == 0)
            ++p.fehlerzeilen;
        p.zeilenanfang = text[i] == L'\n';
        Konsole_Utf8(p.bytes, static_cast<char32_t>(text[i]));
        if (p.zeilenanfang) line_end = true;
    }
    if (p.bytes.size() >= (1 << 16) || (line_end && p.terminal)) flush_locked(p);
}

void Konsole_Bytes(const char* bytes, std::size_t length) {
    if (bytes == nullptr || length == 0) return;
    KonsolePuffer& p = puffer();
    std::lock_guard<std::mutex> guard(p.lock);
    p.bytes.append(bytes, length);
    if (p.bytes.size() >= (1 << 16) || (p.terminal && std::memchr(bytes, '\n', length) != nullptr)) flush_locked(p);
}

void Konsole_Text(const wchar_t* text) {
    if (text != nullptr) Konsole_Text(text, std::wcslen(text));
}

void Konsole_VPrint(const wchar_t* format, va_list args) {
    if (format == nullptr) return;
    thread_local std::vector<wchar_t> work(1024);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int n = std::vswprintf(work.data(), work.size(), format, copy);
        va_end(copy);
        if (n >= 0) {
            Konsole_Text(work.data(), static_cast<std::size_t>(n));
            return;
        }
        // vswprintf gives -1 both for "too small" and for a narrow argument
        // the locale cannot convert; stop growing at a sane size and show
        // the format itself rather than nothing.
        if (work.size() >= (std::size_t{1} << 24)) {
            Konsole_Text(format);
            return;
        }
        work.resize(work.size() * 2);
    }
}

void Konsole_Print(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    Konsole_VPrint(format, args);
    va_end(args);
}

long long Konsole_Fehlerzeilen() {
    KonsolePuffer& p = puffer();
    std::lock_guard<std::mutex> guard(p.lock);
    return p.fehlerzeilen;
}

void Konsole_Umleiten(std::string* ziel) {
    KonsolePuffer& p = puffer();
    std::lock_guard<std::mutex> guard(p.lock);
    flush_locked(p);
    p.umleitung = ziel;
}

void Konsole_Halten() {
    KonsolePuffer& p = puffer();
    std::lock_guard<std::mutex> guard(p.lock);
    p.halten = true;
}

void Konsole_Strom(bool standardfehler) {
    KonsolePuffer& p = puffer();
    std::lock_guard<std::mutex> guard(p.lock);
    p.strom = standardfehler ? stderr : stdout;
    p.terminal = isatty(standardfehler ? STDERR_FILENO : STDOUT_FILENO) != 0;
    p.halten = false;
    flush_locked(p);
}

void Konsole_Flush() {
    KonsolePuffer& p = puffer();
    std::lock_guard<std::mutex> guard(p.lock);
    p.halten = false;
    flush_locked(p);
}
