#include "base/Systemfehler.h"

#include <cerrno>

std::wstring Systemfehler_Text(int fehlernummer) {
    static const struct {
        int nummer;
        const wchar_t* text;
    } GRUENDE[] = {
        {ENOENT, L"Datei oder Verzeichnis nicht gefunden"},
        {ENOTDIR, L"Ist kein Verzeichnis"},
        {EISDIR, L"Ist ein Verzeichnis"},
        {EACCES, L"Keine Berechtigung"},
        {EPERM, L"Vorgang nicht zulässig"},
        {EROFS, L"Dateisystem nur lesbar"},
        {ENOSPC, L"Kein Platz mehr auf dem Gerät"},
        {EDQUOT, L"Speicherplatzkontingent überschritten"},
        {EFBIG, L"Datei zu groß"},
        {ENAMETOOLONG, L"Dateiname zu lang"},
        {ELOOP, L"Zu viele Ebenen symbolischer Verknüpfungen"},
        {EEXIST, L"Datei existiert bereits"},
        {EMFILE, L"Zu viele offene Dateien"},
        {ENFILE, L"Zu viele offene Dateien im System"},
        {ETXTBSY, L"Programmdatei in Gebrauch"},
        {EBUSY, L"Gerät oder Ressource belegt"},
        {EIO, L"Ein-/Ausgabefehler"},
        {ENOMEM, L"Nicht genügend Hauptspeicher"},
        {EXDEV, L"Verknüpfung über Gerätegrenzen hinweg"},
        {EINVAL, L"Ungültiges Argument"},
    };
    for (const auto& g : GRUENDE)
        if (g.nummer == fehlernummer) return g.text;
    return L"Systemfehler " + std::to_wstring(fehlernummer);
}
