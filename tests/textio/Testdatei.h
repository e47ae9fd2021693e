#pragma once
// Helpers for the text-input tests: temporary files with given bytes and
// the console text of a piece of code.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>

#include "base/Konsole.h"

namespace testdatei {

// A fresh directory under the system's temporary directory, removed again
// when the object goes.
class Verzeichnis {
public:
    Verzeichnis() {
        std::string vorlage = (std::filesystem::temp_directory_path() / "tessar-test-XXXXXX").string();
        pfad_ = mkdtemp(vorlage.data());
    }
    ~Verzeichnis() {
        std::error_code ec;
        std::filesystem::remove_all(pfad_, ec);
    }
    std::string schreiben(const std::string& name, const std::string& bytes) const {
        std::string voll = pfad_ + "/" + name;
        std::FILE* f = std::fopen(voll.c_str(), "wb");
        if (f != nullptr) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return voll;
    }
    std::string lesen(const std::string& name) const {
        std::string voll = name.front() == '/' ? name : pfad_ + "/" + name;
        std::string inhalt;
        if (std::FILE* f = std::fopen(voll.c_str(), "rb")) {
            char b[4096];
            std::size_t n;
            while ((n = std::fread(b, 1, sizeof b, f)) > 0) inhalt.append(b, n);
            std::fclose(f);
        }
        return inhalt;
    }
    const std::string& pfad() const { return pfad_; }

private:
    std::string pfad_;
};

inline std::wstring breit(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// The console text (UTF-8) that the code prints.
inline std::string konsole(const std::function<void()>& code) {
    Konsole_Flush();
    testing::internal::CaptureStdout();
    code();
    Konsole_Flush();
    return testing::internal::GetCapturedStdout();
}

}  // namespace testdatei
