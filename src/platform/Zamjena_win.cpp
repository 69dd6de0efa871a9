#include "platform/Datoteke.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace morvela {

namespace {

GreškaDatoteke GreškaWindowsa(DWORD kod, const QString& put) {
    wchar_t* tekst = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, kod, 0, reinterpret_cast<wchar_t*>(&tekst), 0, nullptr);
    const QString opis = tekst ? QString::fromWCharArray(tekst).trimmed() : QString::number(kod);
    LocalFree(tekst);
    int broj = GreškaPristupa;
    if (kod == ERROR_FILE_NOT_FOUND)
        broj = GreškaNijePronađena;
    else if (kod == ERROR_PATH_NOT_FOUND)
        broj = GreškaPutanje;
    else if (kod == ERROR_ACCESS_DENIED || kod == ERROR_SHARING_VIOLATION)
        broj = GreškaDozvola;
    else if (kod == ERROR_DISK_FULL || kod == ERROR_HANDLE_DISK_FULL)
        broj = GreškaDiskPun;
    (void)put;
    return {broj, opis};
}

} // namespace

GreškaDatoteke ZamijeniTrajno(const QString& privremena, const QString& cilj) {
    const std::wstring od = privremena.toStdWString();
    const std::wstring na = cilj.toStdWString();
    // A read-only target would refuse the replace; the new file takes its place anyway.
    const DWORD atributi = GetFileAttributesW(na.c_str());
    if (atributi != INVALID_FILE_ATTRIBUTES && (atributi & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(na.c_str(), atributi & ~FILE_ATTRIBUTE_READONLY);
    if (MoveFileExW(od.c_str(), na.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return {};
    const DWORD kod = GetLastError();
    DeleteFileW(od.c_str());
    return GreškaWindowsa(kod, cilj);
}

} // namespace morvela
