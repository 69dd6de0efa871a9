#include "platform/Brava.h"

#include "platform/Datoteke.h"

#include <QLockFile>

namespace morvela {

Brava::Brava(const QString& direktorija)
    : m_put(SaSeparatorom(direktorija) + ImeBrave), m_datoteka(std::make_unique<QLockFile>(m_put)) {
    // Age alone never frees a lock: a distribution run over a slow line may take hours.
    // A holder that died on this computer is recognised by its process being gone.
    m_datoteka->setStaleLockTime(0);
}

Brava::~Brava() = default;

bool Brava::Zaključaj() {
    if (m_datoteka->tryLock(0)) return true;
    return m_datoteka->error() != QLockFile::LockFailedError;
}

void Brava::Otključaj() {
    m_datoteka->unlock();
}

bool Brava::Zaključano() const {
    return m_datoteka->isLocked();
}

} // namespace morvela
