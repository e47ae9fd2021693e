#pragma once
// IDMENGE: the IDs of one document and the references to them. The
// conversion adds every ID attribute value and every IDREF(S) token as it
// meets them; duplicates are found at once, references without a target
// at the end (a reference may come before its ID). Positions are only
// carried, never read: they point wherever the caller's messages point.
#include <string_view>
#include <vector>

#include "markup/DTDNAMEN.h"

class IDMENGE {
public:
    // False when the ID was added before; `erste` then gets the position
    // given with its first occurrence.
    bool ID(std::wstring_view id, const wchar_t* stelle, const wchar_t** erste = nullptr);
    // Notes a reference; checked by Offene().
    void Verweis(std::wstring_view idref, const wchar_t* stelle);
    // Every reference that names no ID, in the order they were noted.
    struct Offen {
        std::wstring_view name;
        const wchar_t* stelle;
    };
    void Offene(std::vector<Offen>& out) const;
    // Forgets everything, for the next document.
    void Leeren();

private:
    DTDNAMEN namen;
    std::vector<const wchar_t*> ort;   // per name: position of the ID, null: none yet
    std::vector<Offen> verweise;       // names point into `namen`
};
