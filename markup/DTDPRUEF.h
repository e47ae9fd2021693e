#pragma once
// DTDPRUEF: validation of one XML document against its DTD while the
// reader records it (-v). Every element's content is matched against its
// declared model by the model's automaton, one step per child, so that a
// fault is reported at the child that breaks it; every attribute is
// checked against its declaration; IDs must be unique and every IDREF must
// name one (checked at the end, as a reference may come first).
//
// Messages ("(Parser)" errors, positioned at the start tag, the attribute
// or the end tag; an invalid document fails):
//   "Das Wurzelelement '%ls' hat nicht den Namen der Dokumenttyp-Deklaration."
//   "Das Element '%ls' ist nicht deklariert."
//   "Das Element '%ls' ist hier nicht erlaubt."            the model has no place for it
//   "Der Inhalt des Elements '%ls' ist unvollständig."     at its end tag
//   "Text ist im Element '%ls' nicht erlaubt."             element content holds text
//   "Das Element '%ls' ist als EMPTY deklariert und muss leer sein."
//   "Das Attribut '%ls' ist für dieses Element nicht deklariert."
//   "Das Pflichtattribut '%ls' fehlt."
//   "Der Wert '%ls' ist für dieses Attribut nicht erlaubt."  not in the enumeration or notation list
//   "Der Wert '%ls' passt nicht zum Typ des Attributs."    a name, token or number list it is not
//   "Das Attribut '%ls' hat nicht seinen festen Wert (#FIXED)."
//   "Der Wert '%ls' nennt keine nicht analysierte Entität."  ENTITY, ENTITIES
//   "Die ID '%ls' ist mehrfach vergeben."
//   "Die ID '%ls' ist nicht vergeben."                      an IDREF without its ID
// A document without a DTD cannot be validated:
//   "Das Dokument hat keine Dokumenttyp-Deklaration und kann nicht validiert werden."
#include <string>
#include <string_view>
#include <vector>

#include "markup/IDMENGE.h"
#include "markup/MODELL.h"

class DTDDOK;

class DTDPRUEF {
public:
    DTDPRUEF(DTDDOK& dok, std::wstring_view dokumenttyp);

    // A start tag (its element's info in the DTDDOK, -1 unknown) with the
    // name a .. e.
    void Start(int info, const wchar_t* a, const wchar_t* e);
    void Attribut_unbekannt(const wchar_t* a, const wchar_t* e);
    // The value of the declared attribute `attribut` as the tag writes it
    // (`roh`, the literal without quotes, at `stelle`).
    void Wert(int attribut, std::wstring_view roh, const wchar_t* stelle);
    // The tag's attributes are complete; "/>" ends the element at once.
    void Tag_fertig(int info, bool leer);
    void Ende(const wchar_t* stelle);
    // Character data in content, or a reference (never blank).
    void Text(bool nur_leerraum, const wchar_t* stelle);
    void Dokumentende();

private:
    struct Offen {
        int info;
        const wchar_t* name;        // the start tag's name in the text
        std::size_t laenge;
        const wchar_t* stelle;
        MODELL::LAUF lauf;
        bool gemeldet;              // one fault of its content is enough
    };
    const MODELL* Modell_von(const Offen& o) const;
    int Inhalt_von(int info) const;  // DTD::Inhalt of the element, UNDEKLARIERT for none
    void Melden(const wchar_t* vorlage, std::wstring_view argument, const wchar_t* stelle);
    void Wert_pruefen(int attribut, const wchar_t* stelle);

    DTDDOK& dok_;
    std::wstring dokumenttyp_;
    bool wurzel_ = true;
    std::vector<Offen> stapel_;     // entries are reused, so that runs keep their room
    std::size_t tiefe_ = 0;
    const wchar_t* tag_stelle_ = nullptr;
    IDMENGE ids_;
    std::vector<IDMENGE::Offen> offene_;
};
