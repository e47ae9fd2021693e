// Tracking entries of the engine.
#include "convert/CNV.h"

void CNV::Aktion_Tracken(int, int, int, const wchar_t*) {}
void CNV::Ziel_Tracken_Beginn(int) {}
void CNV::Ziel_Tracken_Ende() {}
void CNV::Quelle_in_TRACK_Einlesen() {}
