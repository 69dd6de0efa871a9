#pragma once
#include "platform/Seams.h"

#include <QElapsedTimer>

namespace morvela {

// The real clock. Pričekaj runs the event loop until the time is up, so the
// window stays usable without spinning a core.
class StvarniSat : public ISat {
public:
    StvarniSat();
    QDateTime Sada() const override;
    qint64 MonotonoMs() const override;
    void Pričekaj(qint16 sekundi) override;

private:
    QElapsedTimer m_timer;
};

} // namespace morvela
