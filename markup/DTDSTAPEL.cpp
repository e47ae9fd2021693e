#include "markup/DTDSTAPEL.h"

#include <cwchar>
#include <string>

#include "textio/BUF.h"

wchar_t DTDSTAPEL::Z() {
    for (;;) {
        const Eingabe& e = stapel_.back();
        if (e.vorn) return L' ';
        if (e.p < e.ende) return *e.p;
        if (e.hinten) return L' ';
        if (stapel_.size() <= basis_) return 0;
        Pop();
    }
}

void DTDSTAPEL::W() {
    Eingabe& e = stapel_.back();
    if (e.vorn)
        e.vorn = false;
    else if (e.p < e.ende)
        ++e.p;
    else
        e.hinten = false;
}

const wchar_t* DTDSTAPEL::Stelle() {
    Z();
    return stapel_.back().p;
}

int DTDSTAPEL::Nummer() {
    Z();
    return stapel_.back().nummer;
}

bool DTDSTAPEL::Folgt(const wchar_t* t) {
    Z();
    const Eingabe& e = stapel_.back();
    if (e.vorn) return false;
    const std::size_t n = std::wcslen(t);
    return static_cast<std::size_t>(e.ende - e.p) >= n && std::wmemcmp(e.p, t, n) == 0;
}

bool DTDSTAPEL::Nimm(const wchar_t* t) {
    if (!Folgt(t)) return false;
    stapel_.back().p += std::wcslen(t);
    return true;
}

bool DTDSTAPEL::Literal(std::wstring_view& out, const wchar_t* label) {
    const wchar_t q = Z();
    Eingabe& e = stapel_.back();
    if (e.vorn || (q != L'"' && q != L'\'')) {
        Fehler(label, L"Zeichenkette erwartet.", Stelle());
        return false;
    }
    const wchar_t* a = e.p + 1;
    const wchar_t* s = std::wmemchr(a, q, static_cast<std::size_t>(e.ende - a));
    if (s == nullptr) {
        Fehler(label, L"Die Zeichenkette wird in dieser Entität nicht beendet.", e.p);
        e.p = e.ende;
        return false;
    }
    out = std::wstring_view(a, static_cast<std::size_t>(s - a));
    e.p = s + 1;
    return true;
}

void DTDSTAPEL::Push(const Eingabe& e) {
    if (e.entitaet >= 0) {
        if (offen_.size() <= static_cast<std::size_t>(e.entitaet)) offen_.resize(static_cast<std::size_t>(e.entitaet) + 1, 0);
        offen_[static_cast<std::size_t>(e.entitaet)] = 1;
    }
    stapel_.push_back(e);
    stapel_.back().nummer = ++naechste_nummer_;
    stapel_.back().anfang = e.p;
}

void DTDSTAPEL::Pop() {
    const Eingabe e = stapel_.back();
    stapel_.pop_back();
    if (e.entitaet >= 0) offen_[static_cast<std::size_t>(e.entitaet)] = 0;
    Verlassen(e);
}

void DTDSTAPEL::Ueberspringen() {
    for (wchar_t c = Z(); c != 0; c = Z()) {
        if (intern_ && c == L']' && stapel_.size() == basis_) return;
        W();
        if (c == L'>') return;
    }
}

BUF* DTDSTAPEL::Puffer_von(const wchar_t* stelle) const {
    for (BUF* b : puffer_)
        if (b->text != nullptr && stelle >= b->text && stelle <= b->text + b->length) return b;
    return nullptr;
}

void DTDSTAPEL::Melden(bool warnung, const wchar_t* label, const wchar_t* vorlage, const wchar_t* stelle,
                       const std::wstring_view* argument) {
    BUF* buf = Puffer_von(stelle);
    for (std::size_t i = stapel_.size(); buf == nullptr && i-- > 0;) {
        const Eingabe& e = stapel_[i];
        if (stelle < e.anfang || stelle > e.ende) continue;
        stelle = e.bezug;
        buf = Puffer_von(stelle);
    }
    if (buf == nullptr) {
        if (puffer_.empty()) return;
        buf = puffer_.front();
        stelle = nullptr;
    }
    const std::wstring arg = argument != nullptr ? std::wstring(*argument) : std::wstring();
    buf->Fehlermeldung(warnung ? 0 : -1, 0, label, vorlage, argument != nullptr ? arg.c_str() : nullptr, stelle);
    ++(warnung ? warnungen_ : fehler_);
}
