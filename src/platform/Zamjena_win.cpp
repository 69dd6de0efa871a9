#include "platform/Datoteke.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <QFile>

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
    else if (kod == ERROR_FILE_EXISTS || kod == ERROR_ALREADY_EXISTS)
        broj = GreškaPostoji;
    (void)put;
    return {broj, opis};
}

} // namespace

GreškaDatoteke IsprazniNaDisk(const QString& put) {
    // A temporary swapped for a link flushes the link, never what it points at.
    const HANDLE h =
        CreateFileW(put.toStdWString().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GreškaWindowsa(GetLastError(), put);
    const bool dobro = FlushFileBuffers(h);
    const DWORD kod = dobro ? 0 : GetLastError();
    CloseHandle(h);
    if (!dobro) return GreškaWindowsa(kod, put);
    return {};
}

GreškaDatoteke OtvoriNovu(const QString& put, QFile& datoteka) {
    // CREATE_NEW fails on any existing name; the reparse flag keeps a link from being followed.
    const HANDLE h =
        CreateFileW(put.toStdWString().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GreškaWindowsa(GetLastError(), put);
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return GreškaWindowsa(ERROR_INVALID_HANDLE, put);
    }
    if (!datoteka.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        _close(fd);
        return {GreškaPristupa, datoteka.errorString()};
    }
    return {};
}

GreškaDatoteke Preimenuj(const QString& od, const QString& na, bool& naDrugiDisk) {
    naDrugiDisk = false;
    // No copy allowed: across volumes the caller copies through a flushed temporary.
    if (MoveFileExW(od.toStdWString().c_str(), na.toStdWString().c_str(), 0)) return {};
    const DWORD kod = GetLastError();
    naDrugiDisk = kod == ERROR_NOT_SAME_DEVICE;
    return GreškaWindowsa(kod, od);
}

GreškaDatoteke Zamijeni(const QString& privremena, const QString& cilj, bool trajno) {
    const std::wstring od = privremena.toStdWString();
    const std::wstring na = cilj.toStdWString();
    // A read-only target would refuse the replace; the new file takes its place anyway.
    const DWORD atributi = GetFileAttributesW(na.c_str());
    if (atributi != INVALID_FILE_ATTRIBUTES && (atributi & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(na.c_str(), atributi & ~FILE_ATTRIBUTE_READONLY);
    const DWORD zastavice = MOVEFILE_REPLACE_EXISTING | (trajno ? MOVEFILE_WRITE_THROUGH : 0);
    if (MoveFileExW(od.c_str(), na.c_str(), zastavice)) return {};
    const DWORD kod = GetLastError();
    DeleteFileW(od.c_str());
    return GreškaWindowsa(kod, cilj);
}

} // namespace morvela
