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

QString OpisSustava(const std::error_code& kod) {
    return QString::fromLocal8Bit(kod.message().c_str());
}

GreškaDatoteke IsprazniNaDisk(const QString& put) {
    // A temporary swapped for a link is not flushed, and so never put in place.
    if (const int kod = Sinkroniziraj(QFile::encodeName(put), O_RDONLY | O_NOFOLLOW))
        return GreškaIzSustava(kod, put);
    return {};
}

GreškaDatoteke OtvoriNovu(const QString& put, QFile& datoteka) {
    const int fd = ::open(QFile::encodeName(put).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return GreškaIzSustava(errno, put);
    if (!datoteka.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {GreškaPristupa, datoteka.errorString()};
    }
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
