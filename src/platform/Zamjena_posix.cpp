#include "platform/Datoteke.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace morvela {

namespace {

// fsync of a path opened for the purpose; 0 or the errno of the failure.
int Sinkroniziraj(const QByteArray& put, int zastavice) {
    const int fd = ::open(put.constData(), zastavice | O_CLOEXEC);
    if (fd < 0) return errno;
    const int rezultat = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return rezultat;
}

} // namespace

GreškaDatoteke IsprazniNaDisk(const QString& put) {
    if (const int kod = Sinkroniziraj(QFile::encodeName(put), O_RDONLY)) return GreškaIzSustava(kod, put);
    return {};
}

GreškaDatoteke Preimenuj(const QString& od, const QString& na, bool& naDrugiDisk) {
    naDrugiDisk = false;
    if (::rename(QFile::encodeName(od).constData(), QFile::encodeName(na).constData()) == 0) return {};
    const int kod = errno;
    naDrugiDisk = kod == EXDEV;
    return GreškaIzSustava(kod, od);
}

GreškaDatoteke Zamijeni(const QString& privremena, const QString& cilj, bool trajno) {
    const QByteArray od = QFile::encodeName(privremena);
    if (::rename(od.constData(), QFile::encodeName(cilj).constData()) != 0) {
        const int kod = errno;
        ::unlink(od.constData());
        return GreškaIzSustava(kod, cilj);
    }
    // The rename itself lives in the directory.
    if (trajno) Sinkroniziraj(QFile::encodeName(QFileInfo(cilj).absolutePath()), O_RDONLY | O_DIRECTORY);
    return {};
}

} // namespace morvela
