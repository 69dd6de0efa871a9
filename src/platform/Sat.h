#pragma once
#include "platform/Seams.h"

#include <QElapsedTimer>

#include <functional>

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

// Handles the thread's events for the given milliseconds, sleeping while none
// arrive. Works the same after the application was told to quit, when every
// new event loop would return at once.
void ObrađujDogađajeMs(qint64 ms);

// Handles the thread's events until gotovo() holds, looking again at least
// every 50 ms: under Wine neither a post from another thread nor the end of a
// process always wakes a waiting thread.
void ObrađujDogađajeDok(const std::function<bool()>& gotovo);

} // namespace morvela
