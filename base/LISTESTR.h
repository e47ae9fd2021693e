#pragma once
// LISTESTR: a list of owned wide strings, in the order added; it holds the
// command-line arguments. Entries may be overwritten in place.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class LISTESTR {
public:
    LISTESTR();
    virtual ~LISTESTR();

    int Init();
    int Delete();
    // A null text adds nothing and gives 0.
    int AddItem(wchar_t const* text);
    // Converts with the multibyte rules of the current locale.
    int AddItem(char const* text);

    int Anzahl() const { return anzahl; }
    std::wstring& operator[](std::size_t i) { return eintraege[i]; }
    std::wstring const& operator[](std::size_t i) const { return eintraege[i]; }

private:
    std::int32_t status = 0;  // cleared by Delete
    int anzahl = 0;
    std::vector<std::wstring> eintraege;
};
