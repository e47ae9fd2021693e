#include "driver/Lauf.h"

#include "textio/Konsole.h"

int Lauf(int, char const**) {
    Konsole_Text(L"Tessaron\n");
    return 0;
}
