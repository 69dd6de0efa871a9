#pragma once
#include "platform/Seams.h"

namespace morvela {

// Starts outside programs hidden (no console or window of their own) through QProcess,
// and handles the thread's events while it waits for them.
class QtProcesi : public IProcesi {
public:
    bool PokreniIČekaj(const QString& program, const QStringList& argumenti, int najviševMs,
                       QString* opisGreške, QByteArray* ispis = nullptr, int* izlazniKod = nullptr) override;
};

} // namespace morvela
