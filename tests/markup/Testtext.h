#pragma once
// Helpers for the markup tests: a BUF over a text held by the test (as if
// read from "t.xml"), captured console output, and a thread with a large
// stack for deeply nested documents.
#include <gtest/gtest.h>
#include <pthread.h>

#include <cwchar>
#include <functional>
#include <string>

#include "textio/BUF.h"
#include "base/Konsole.h"

class Testtext {
public:
    explicit Testtext(std::wstring t) : text(std::move(t)) {
        buf.eigene_puffer = 0;
        buf.text = text.data();
        buf.length = text.size();
        buf.end = buf.text + text.size();
        buf.cursor = buf.text;
        buf.status = 0;
        buf.exakt = true;
        buf.erkannt = ENC_UTF8;
        std::wcscpy(buf.dateiname, L"t.xml");
    }
    std::wstring text;
    BUF buf;
};

// Everything the call prints on the console.
inline std::string Konsolenausgabe(const std::function<void()>& f) {
    testing::internal::CaptureStdout();
    f();
    Konsole_Flush();
    return testing::internal::GetCapturedStdout();
}

// Runs f on a thread with a stack of the given size, as the program runs
// its whole work on a large stack.
inline void MitStapel(std::size_t groesse, const std::function<void()>& f) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, groesse);
    pthread_t thread;
    auto lauf = [](void* p) -> void* {
        (*static_cast<const std::function<void()>*>(p))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attr, lauf, const_cast<std::function<void()>*>(&f)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

// A document nested `tiefe` elements deep: <e><e>...</e></e>.
inline std::wstring Verschachtelt(int tiefe) {
    std::wstring t;
    t.reserve(static_cast<std::size_t>(tiefe) * 8);
    for (int i = 0; i < tiefe; ++i) t += L"<e>";
    t += L"x";
    for (int i = 0; i < tiefe; ++i) t += L"</e>";
    return t;
}
