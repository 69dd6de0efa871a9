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

GreškaDatoteke ZamijeniTrajno(const QString& privremena, const QString& cilj) {
    const QByteArray od = QFile::encodeName(privremena);
    const QByteArray na = QFile::encodeName(cilj);
    // The data must be on disk before the name points at it, or a power cut
    // leaves an empty file under the real name.
    int kod = Sinkroniziraj(od, O_RDONLY);
    if (kod == 0 && ::rename(od.constData(), na.constData()) != 0) kod = errno;
    if (kod != 0) {
        ::unlink(od.constData());
        return GreškaIzSustava(kod, cilj);
    }
    // The rename itself lives in the directory.
    Sinkroniziraj(QFile::encodeName(QFileInfo(cilj).absolutePath()), O_RDONLY | O_DIRECTORY);
    return {};
}

} // namespace morvela
