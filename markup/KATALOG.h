#pragma once
// KATALOG: resolution of public and system identifiers through catalogs.
// Two kinds of catalog file are read, told apart by their first markup:
// OASIS XML catalogs (public, system, rewriteSystem, systemSuffix, uri,
// rewriteURI, uriSuffix, delegatePublic, delegateSystem, delegateURI,
// nextCatalog, group, each with xml:base and prefer) and SGML open
// catalogs (PUBLIC, SYSTEM, DOCTYPE, ENTITY, CATALOG, DELEGATE, SGMLDECL,
// OVERRIDE, BASE). Both end up as the same entries, so one resolution
// serves both: system entries first (exact, then the longest rewrite
// prefix, then the longest suffix, then delegation), then public entries
// (only those that prefer public when a system identifier is given), then
// the next catalogs in order.
//
// The list of catalog files comes from an environment variable (XML:
// XML_CATALOG_FILES, blank separated; SGML: SGML_CATALOG_FILES, colon
// separated), else from the default file. Files are read on first use and
// kept; a missing or unreadable one is a warning (once) and is skipped.
// Results are absolute file paths, or URIs with a scheme (http: ...) that
// the caller must not fetch.
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class BUF;

class KATALOG {
public:
    // `variable` names the environment variable, `vorgabe` the file taken
    // without it, `trenner` the separator of the variable's list.
    KATALOG(const char* variable, const wchar_t* vorgabe, wchar_t trenner);
    ~KATALOG();
    KATALOG(const KATALOG&) = delete;
    KATALOG& operator=(const KATALOG&) = delete;
    static std::unique_ptr<KATALOG> Xml() { return std::make_unique<KATALOG>("XML_CATALOG_FILES", L"/etc/xml/catalog", L' '); }
    static std::unique_ptr<KATALOG> Sgml() { return std::make_unique<KATALOG>("SGML_CATALOG_FILES", L"/etc/sgml/catalog", L':'); }

    // An external identifier (either part may be empty); true with the
    // target in `ziel`.
    bool Extern(std::wstring_view oeffentlich, std::wstring_view system, std::wstring& ziel);
    // A URI reference (uri, rewriteURI, uriSuffix, delegateURI).
    bool Uri(std::wstring_view uri, std::wstring& ziel);
    // SGML: the DOCTYPE, ENTITY (parameter entities as "%name") and
    // SGMLDECL entries.
    bool Doctype(std::wstring_view name, std::wstring& ziel);
    bool Entity(std::wstring_view name, std::wstring& ziel);
    bool Sgmldecl(std::wstring& ziel);
    // Whether the file lies in (or below) the folder of a file that one of
    // the catalogs names, so that a document may name it directly. Every
    // catalog the list reaches is read for it, once.
    bool Verzeichnet(std::wstring_view pfad);

    // URI helpers shared with QUELLE: a reference resolved against a base
    // (a file path or a URI), "file:" URIs turned into paths, "." and ".."
    // taken out.
    static std::wstring Aufloesen(std::wstring_view basis, std::wstring_view ref);
    static bool Hat_Schema(std::wstring_view s);
    // A public identifier with white space folded (and urn:publicid: undone).
    static std::wstring Public_normalisieren(std::wstring_view s);

private:
    enum Art : unsigned char {
        PUBLIC, SYSTEM, REWRITE_SYSTEM, SYSTEM_SUFFIX, URI, REWRITE_URI, URI_SUFFIX,
        DELEGATE_PUBLIC, DELEGATE_SYSTEM, DELEGATE_URI, NEXT, DOCTYPE, ENTITY, SGMLDECL,
    };
    struct Eintrag {
        Art art;
        bool prefer_public;
        std::wstring schluessel;  // identifier, prefix, suffix or name
        std::wstring ziel;        // resolved target, prefix or catalog
    };
    struct Datei {
        std::wstring pfad;
        bool geladen = false;
        std::vector<Eintrag> eintraege;
    };
    enum Ergebnis { NICHTS, GEFUNDEN, ABGEBROCHEN };

    int Datei_von(const std::wstring& pfad);
    Datei& Laden(int d);
    void Xml_lesen(Datei& d, const wchar_t* text, const wchar_t* ende);
    void Sgml_lesen(Datei& d, const wchar_t* text, const wchar_t* ende);
    Ergebnis In_Datei(int d, std::wstring_view pub, std::wstring_view sys, std::wstring& ziel, int tiefe);
    Ergebnis Delegieren(const Datei& d, Art art, std::wstring_view schluessel, std::wstring_view pub,
                        std::wstring_view sys, std::wstring& ziel, int tiefe);
    Ergebnis Uri_in(int d, std::wstring_view uri, std::wstring& ziel, int tiefe);
    static std::vector<std::wstring> Naechste(const Datei& d);
    static bool Direkt(const Datei& d, Art genau, Art umschreiben, Art endung, std::wstring_view s, std::wstring& ziel);
    bool Name_in(Art art, std::wstring_view name, std::wstring& ziel);
    bool Name_in_Datei(int d, Art art, std::wstring_view name, std::wstring& ziel, int tiefe);

    std::deque<Datei> dateien_;  // a deque: files found while reading must not move the others
    std::map<std::wstring, int> nach_pfad_;
    std::vector<int> liste_;  // the catalog files named by variable or default
    std::vector<int> besucht_;  // files searched in the current resolution
    std::vector<std::wstring> ordner_;  // Verzeichnet: the folders of the targets, each ending in "/"
    bool ordner_gesammelt_ = false;
    void Ordner_sammeln(int k, int tiefe);
    bool Erstmals(int k);
};
