#pragma once
// What the document reader asks the compiled script while it reads: how
// strictly lone markup characters are taken, whether an SGML or HTML
// element is declared empty (no end tag follows it), and which entity
// references it replaces while reading. The script implements it; the
// reader knows only this interface, so markup/ stays below script/.
#include <string_view>

class SKRIPTFRAGEN {
public:
    virtual ~SKRIPTFRAGEN() = default;
    // WARNINGS = SMART: a lone "&", "<" or ">" is a warning, not an error.
    virtual bool Nur_Warnungen() const = 0;
    // The element is declared MODEL = EMPTY.
    virtual bool IPR_is_SGML_Empty_Element(const wchar_t* name) const = 0;
    // CONVERTENTITIES = EXPAND: references the script does not define are
    // written as their replacement.
    virtual bool Entitaeten_ersetzen() const = 0;
    // The script has an ENTITY definition of the name.
    virtual bool Entitaet_definiert(std::wstring_view name) const = 0;
};
