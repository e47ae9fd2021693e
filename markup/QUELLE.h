#pragma once
// QUELLE: where external subsets and external entities come from, and the
// rule for what may be read.
//
// An external identifier is resolved through the catalogs (KATALOG) first;
// without a catalog entry the system identifier is taken as a file name
// relative to the file that refers to it. Nothing comes from the network:
// a target with a scheme other than "file:" (http:, https:, ...) is
// reported as a warning and left unread.
//
// The reading rule: a file found through a catalog may be read wherever it
// lies (the catalogs are the user's and the system's choice), and its
// folder, with everything below it, may then be read as well, so that a
// DTD's modules beside it can be reached by relative names; so may a file
// named directly that lies in the folder of a file some catalog names (a
// DTD installed with its catalog entry, named by its path, or by a path
// whose links lead there). Every other
// file must lie in the document's folder or below it, or below a folder
// allowed by Erlauben(); a relative name may climb with "../" as long as
// it stays inside. Paths are compared after "." and ".." are taken out,
// without following symbolic links.
//
// Messages (WARNUNG: the file still succeeds; the resource is left unread):
//   "Die externe Ressource '%ls' wird nicht aus dem Netz geladen."
//   "Der Public-Identifikator '%ls' ist in keinem Katalog verzeichnet."
//   "Die Datei '%ls' liegt außerhalb der Ordner, die gelesen werden dürfen."
//   "Die Datei '%ls' wurde nicht gefunden."
//   "Die Datei '%ls' ist kein lesbarer Text." (the buffer reports why before it)
// and from KATALOG, without position:
//   "WARNUNG: (Parser) Der Katalog '%ls' konnte nicht gelesen werden."
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class BUF;
class KATALOG;

class QUELLE {
public:
    // `katalog` is not owned and may be null (no catalogs).
    explicit QUELLE(KATALOG* katalog);

    // The document whose DTD is read: its folder may be read.
    void Dokument(std::wstring_view dateiname);
    // Another folder that may be read, with everything below it.
    void Erlauben(std::wstring_view ordner);

    // Resolves an external identifier seen in the file `basis` (its
    // absolute name). 1 with the file's path in `pfad`; 0 after a warning
    // through `buf` at `stelle` (both may be null: then no message).
    int Aufloesen(std::wstring_view oeffentlich, std::wstring_view system, std::wstring_view basis,
                  std::wstring& pfad, BUF* buf, const wchar_t* stelle);
    // Reads the file; null after a warning (as above). `kaputt` is set when
    // the file exists but could not be decoded (the buffer has reported
    // that as an error).
    std::unique_ptr<BUF> Oeffnen(const std::wstring& pfad, BUF* buf, const wchar_t* stelle, bool* kaputt);

    // Reads a file into a new BUF without a message of its own: null with
    // `grund` 1 when it does not exist or is no regular file, 2 when it
    // could not be read or decoded. An encoding declaration of a text
    // declaration without version (<?xml encoding="ISO-8859-1"?>) is
    // honoured, which the buffer's own detection does not see.
    static std::unique_ptr<BUF> Datei_lesen(const std::wstring& pfad, int* grund);
    // File names between wide text and the bytes of the file system (UTF-8).
    static std::string Schmal(std::wstring_view s);
    static std::wstring Breit(const char* s);
    static std::wstring Arbeitsordner();
    // The path with every link followed; empty when it does not exist.
    static std::wstring Echter_Pfad(const std::wstring& pfad);

private:
    bool Darf(const std::wstring& pfad) const;
    static void Warnung(BUF* buf, const wchar_t* vorlage, const std::wstring& argument, const wchar_t* stelle);

    KATALOG* katalog_;
    std::vector<std::wstring> ordner_;  // allowed folders, each ending in "/"
};
