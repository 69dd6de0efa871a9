#include "platform/Brava.h"

#include "platform/Datoteke.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLockFile>
#include <QThread>

namespace morvela {

namespace {

// A starter writes its process into the lock file microseconds after creating
// it. An unreadable lock younger than this may be one being written right now
// by a live start, and is left alone; older, it was left by a start that never
// got to write it.
constexpr qint64 VrijemePisanjaMs = 30 * 1000;

} // namespace

Brava::Brava(const QString& direktorija)
    : m_put(SaSeparatorom(direktorija) + ImeBrave), m_datoteka(std::make_unique<QLockFile>(m_put)) {
    // Age alone never frees a lock: a distribution run over a slow line may take hours.
    // A holder that died on this computer is recognised by its process being gone.
    m_datoteka->setStaleLockTime(0);
}

Brava::~Brava() = default;

bool Brava::Zaključaj() {
    if (m_datoteka->tryLock(0)) return true;
    if (m_datoteka->error() != QLockFile::LockFailedError) return true;
    if (!UkloniNečitljivu()) return false;
    return m_datoteka->tryLock(0) || m_datoteka->error() != QLockFile::LockFailedError;
}

// QLockFile itself takes over the lock of a dead process of this computer, but a
// lock that names no process at all would hold for ever.
bool Brava::UkloniNečitljivu() {
    const auto nečitljiva = [this] {
        const QFileInfo info(m_put);
        return info.exists() && !m_datoteka->getLockInfo(nullptr, nullptr, nullptr) &&
               qAbs(info.lastModified().msecsTo(QDateTime::currentDateTimeUtc())) > VrijemePisanjaMs;
    };
    if (!nečitljiva()) return false;
    // Two starts that found it at once: only the one holding the guard (the one
    // QLockFile uses for dead processes' locks) looks again and removes it, so the
    // other cannot remove the lock the first has taken meanwhile. The removal also
    // fails while a live process has the file open as its lock.
    QLockFile čuvar(m_put + QStringLiteral(".rmlock"));
    if (!čuvar.tryLock(0)) return false;
    // On Windows a file another start is reading at this moment cannot be removed yet.
    for (int pokušaj = 0; pokušaj < 10; ++pokušaj) {
        if (!nečitljiva()) return false;
        if (m_datoteka->removeStaleLockFile()) return true;
        QThread::msleep(10);
    }
    return false;
}

void Brava::Otključaj() {
    m_datoteka->unlock();
}

bool Brava::Zaključano() const {
    return m_datoteka->isLocked();
}

} // namespace morvela
