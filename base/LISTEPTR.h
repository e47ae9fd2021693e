#pragma once
// LISTEPTR: the string index, a list of pointers into a text that the
// readers fill while they record items. Each pointer marks the character
// just behind a recorded text; Clear() writes a terminator there, which
// turns every recorded text into a string of its own. The texts are not
// owned.
#include <vector>

class LISTEPTR {
public:
    LISTEPTR();
    virtual ~LISTEPTR();

    // Sizes the index for n entries (n = 0 gives room for one).
    int Init(int n);
    int AddItem(wchar_t* text);
    int Clear();
    int Delete();

    int Index() const { return index; }
    int Kapazitaet() const { return kapazitaet; }
    int Anzahl() const { return anzahl; }
    wchar_t* Eintrag(int i) const;

private:
    int index = 0;        // slot of the next entry
    int kapazitaet = 1;   // highest index the storage holds
    int anzahl = 0;       // entries added since Init, plus one
    int schritt = 65535;  // growth of the capacity
    std::vector<wchar_t*> speicher;
};
