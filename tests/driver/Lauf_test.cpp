#include "driver/Lauf.h"

#include <gtest/gtest.h>

#include <string>

#include "base/Konsole.h"

namespace {

std::string Bilanz(std::int64_t n, std::int64_t f, std::int64_t b, bool konvertieren, bool quiet = false,
                   bool ausgabefehler = false) {
    Lauf_Bilanz bilanz;
    bilanz.verarbeitet = n;
    bilanz.fehlerhaft = f;
    bilanz.bytes = b;
    bilanz.ausgabefehler = ausgabefehler;
    testing::internal::CaptureStdout();
    int code = Lauf_Zusammenfassung(bilanz, konvertieren, quiet);
    Konsole_Flush();
    return testing::internal::GetCapturedStdout() + "|" + std::to_string(code);
}

TEST(Lauf_Zusammenfassung, CheckRunLines) {
    EXPECT_EQ(Bilanz(1, 0, 9, false), "Insgesamt wurde 1 Datei gepr\xC3\xBC" "ft.\n|0");
    EXPECT_EQ(Bilanz(0, 0, 0, false), "Insgesamt wurden 0 Dateien gepr\xC3\xBC" "ft.\n|0");
    EXPECT_EQ(Bilanz(1, 1, 0, false),
              "FEHLER: Insgesamt wurde 1 Datei gepr\xC3\xBC" "ft, wovon 1 Datei fehlerhaft ist.\n|12");
    EXPECT_EQ(Bilanz(3, 1, 0, false),
              "FEHLER: Insgesamt wurden 3 Dateien gepr\xC3\xBC" "ft, wovon 1 Datei fehlerhaft ist.\n|12");
    EXPECT_EQ(Bilanz(3, 2, 0, false),
              "FEHLER: Insgesamt wurden 3 Dateien gepr\xC3\xBC" "ft, wovon 2 Dateien fehlerhaft sind.\n|12");
}

TEST(Lauf_Zusammenfassung, ConvertRunLinesKeepTheirWording) {
    EXPECT_EQ(Bilanz(1, 0, 42, true), "Insgesamt wurden 42 Bytes in 1 Datei verarbeitet.\n|0");
    EXPECT_EQ(Bilanz(0, 0, 0, true), "Insgesamt wurden 0 Bytes in 0 Dateien verarbeitet.\n|0");
    EXPECT_EQ(Bilanz(1, 1, 0, true), "FEHLER: Insgesamt wurden 0 Bytes in 1 Datei fehlerhaft verarbeitet.\n|12");
    EXPECT_EQ(Bilanz(2, 1, 7, true),
              "FEHLER: Insgesamt wurden 7 Bytes in 2 Dateien verabeitet, wovon  1 Datei fehlerhaft ist.\n|12");
    EXPECT_EQ(Bilanz(5, 3, 7, true),
              "FEHLER: Insgesamt wurden 7 Bytes in 5 Dateien verabeitet, wovon  3 Dateien fehlerhaft sind.\n|12");
}

TEST(Lauf_Zusammenfassung, QuietLeavesOutSuccessOnly) {
    EXPECT_EQ(Bilanz(4, 0, 10, true, true), "|0");
    EXPECT_EQ(Bilanz(4, 0, 10, false, true), "|0");
    EXPECT_EQ(Bilanz(2, 2, 0, false, true),
              "FEHLER: Insgesamt wurden 2 Dateien gepr\xC3\xBC" "ft, wovon 2 Dateien fehlerhaft sind.\n|12");
}

TEST(Lauf_Zusammenfassung, CountsBeyond32BitsPrintWhole) {
    EXPECT_EQ(Bilanz(3000000000LL, 0, 3221225472LL, true),
              "Insgesamt wurden 3221225472 Bytes in 3000000000 Dateien verarbeitet.\n|0");
}

TEST(Lauf_Zusammenfassung, BrokenGlobalOutputFailsEveryFile) {
    EXPECT_EQ(Bilanz(2, 0, 30, true, true, true),
              "FEHLER: Insgesamt wurden 30 Bytes in 2 Dateien verabeitet, wovon  2 Dateien fehlerhaft sind.\n|12");
    EXPECT_EQ(Bilanz(0, 0, 0, true, false, true),
              "FEHLER: Insgesamt wurden 0 Bytes in 0 Dateien verabeitet, wovon  0 Dateien fehlerhaft sind.\n|12");
}

TEST(Lauf, EmptyArgumentBlockEndsWithCode2) {
    // A real exec cannot pass an empty block on current kernels (they
    // supply an empty program name), so the run is entered directly.
    testing::internal::CaptureStdout();
    int rc = Lauf(0, nullptr);
    Konsole_Flush();
    EXPECT_EQ(rc, 2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "FEHLER: 30002 im Modul PARA, Parameterblock ist leer.\n"
              "FEHLER: Die Parameter der Kommandozeile konnten nicht gelesen werden.\n");
}

}  // namespace
