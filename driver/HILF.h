#pragma once
// HILF: the fixed console texts: banner with version and build, copyright
// notice (short and long), help hint and parameter help. In quiet mode
// (Modus not 0) only the help hint is printed.
#include <cstdint>

class HILF {
public:
    HILF() = default;
    void Modus(int modus) { this->modus = modus; }
    void Version() const;
    void Copyright() const;
    void Copyrighthinweis() const;
    void Hilfehinweise() const;
    void Parameter() const;

private:
    std::int32_t modus = 0;
};
