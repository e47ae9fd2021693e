#pragma once
// SGMLDEKL: what the SGML declaration of a document says, as far as the
// reader needs it: which characters make names, whether general and
// entity names are folded to upper case, whether tags may be omitted
// (OMITTAG) and shortened (SHORTTAG), and whether the short references of
// the reference concrete syntax exist.
//
// Without a declaration the reference concrete syntax holds (names of
// letters, digits, "-" and ".", general names folded, entity names not),
// with OMITTAG and SHORTTAG on. Quantities (NAMELEN, LITLEN, TAGLVL ...)
// are read past and never enforced: the reader's own limits are larger
// than any the declarations of real DTDs set. The character sets are read
// past as well: the document's characters are what its reading decoded.
//
// Lesen() takes "<!SGML ... >" from a text; the keywords it does not know
// are stepped over, so that declarations of other SGML systems (HTML 4's,
// DocBook's, LinuxDoc's) read without complaint. A declaration that does
// not end is a fault:
//   "Die SGML-Deklaration wird nicht beendet."   (label "SGML")
#include <cstdint>
#include <string>
#include <vector>

class SGMLDEKL {
public:
    SGMLDEKL();

    bool namecase_allgemein = true;  // NAMECASE GENERAL YES
    bool namecase_entitaet = false;  // NAMECASE ENTITY NO
    bool omittag = true;
    bool shorttag = true;
    bool kurzverweise = true;        // DELIM SHORTREF SGMLREF (NONE: none)

    bool Namensanfang(wchar_t c) const {
        return static_cast<std::uint32_t>(c) < 256 ? (klasse_[static_cast<std::uint32_t>(c)] & ANFANG) != 0
                                                   : Weit(c, true);
    }
    bool Namenszeichen(wchar_t c) const {
        return static_cast<std::uint32_t>(c) < 256 ? (klasse_[static_cast<std::uint32_t>(c)] & ZEICHEN) != 0
                                                   : Weit(c, false);
    }

    // Reads the declaration that begins at `p` ("<!SGML"); `weiter` is
    // left after its ">". 1 when it was read; 0 with `fehler` set (a
    // message text) and `stelle` where it was found.
    int Lesen(const wchar_t* p, const wchar_t* ende, const wchar_t*& weiter, const wchar_t*& fehler,
              const wchar_t*& stelle);
    // Whether the text at p begins an SGML declaration.
    static bool Beginnt(const wchar_t* p, const wchar_t* ende);

private:
    static constexpr std::uint8_t ANFANG = 1, ZEICHEN = 2;
    bool Weit(wchar_t c, bool anfang) const;
    void Hinzu(const std::wstring& zeichen, bool anfang);

    std::uint8_t klasse_[256];
    std::vector<wchar_t> weit_anfang_, weit_zeichen_;  // declared name characters beyond 255
};
