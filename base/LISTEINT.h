#pragma once
// LISTEINT: a stack of unsigned counters, one per open nesting level. The
// document reader pushes a level when it enters an element and counts the
// children of that element in the top slot.
#include <cstdint>
#include <vector>

class LISTEINT {
public:
    LISTEINT();
    virtual ~LISTEINT();

    // Sizes the stack for n levels; must precede every other operation.
    // n <= 0 leaves an empty storage and gives 0.
    int Init(int n);
    int PushItem();
    int PopItem();
    int IncItem();
    std::uint32_t Item() const;
    int SetItem(int wert);
    std::uint32_t GetItem(int i) const;
    int Clear();
    int Delete();

    int Index() const { return index; }
    int Kapazitaet() const { return kapazitaet; }
    int Hochwasser() const { return hochwasser; }

private:
    bool Wachsen();

    int index = 0;       // top of the stack; 0 means empty
    int kapazitaet = 0;  // highest index the storage holds
    int hochwasser = 0;  // one above the highest index used since clearing
    int schritt = 4096;  // growth of the capacity when a push passes it
    std::vector<std::uint32_t> speicher;
};
