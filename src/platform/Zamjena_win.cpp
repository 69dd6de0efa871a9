#include "platform/Datoteke.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cerrno>
#include <fcntl.h>
#include <io.h>

#include <QFile>

#include <string>

namespace morvela {

namespace {

// The system's text for its error code, in the language of the system; empty when it has none.
QString TekstWindowsa(DWORD kod) {
    wchar_t* tekst = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, kod, 0, reinterpret_cast<wchar_t*>(&tekst), 0, nullptr);
    const QString opis = tekst ? QString::fromWCharArray(tekst).trimmed() : QString();
    LocalFree(tekst);
    return opis;
}

// The Windows error a file operation would have given for a C library's errno.
DWORD KodWindowsa(int errnoKod) {
    switch (errnoKod) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EROFS:
        return ERROR_WRITE_PROTECT;
    case ENOTDIR:
        return ERROR_DIRECTORY;
    case ENOSPC:
    case EFBIG:
        return ERROR_DISK_FULL;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case EIO:
        return ERROR_IO_DEVICE;
    case EBUSY:
        return ERROR_BUSY;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    default:
        return 0;
    }
}

GreškaDatoteke GreškaWindowsa(DWORD kod, const QString& put) {
    QString opis = TekstWindowsa(kod);
    if (opis.isEmpty()) opis = QString::number(kod);
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

// Another program may hold a file for a moment (a virus scanner reads every new
// program): a move it blocks is tried again for two seconds before it fails. A
// running program holds its file for longer, and the caller asks the person.
bool PremjestiUporno(const std::wstring& od, const std::wstring& na, DWORD zastavice) {
    for (int pokušaj = 1;; ++pokušaj) {
        if (MoveFileExW(od.c_str(), na.c_str(), zastavice)) return true;
        const DWORD kod = GetLastError();
        if ((kod != ERROR_SHARING_VIOLATION && kod != ERROR_ACCESS_DENIED && kod != ERROR_LOCK_VIOLATION) ||
            pokušaj == 20)
            return false;
        Sleep(100);
    }
}

} // namespace

QString OpisSustava(const std::error_code& kod) {
    // The standard library reports Windows' own codes in its system category.
    const DWORD windows =
        kod.category() == std::system_category() ? DWORD(kod.value()) : KodWindowsa(kod.value());
    const QString tekst = windows ? TekstWindowsa(windows) : QString();
    return tekst.isEmpty() ? QString::fromLocal8Bit(kod.message().c_str()) : tekst;
}

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
    if (PremjestiUporno(od.toStdWString(), na.toStdWString(), 0)) return {};
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
    if (PremjestiUporno(od, na, zastavice)) return {};
    const DWORD kod = GetLastError();
    DeleteFileW(od.c_str());
    return GreškaWindowsa(kod, cilj);
}

} // namespace morvela
