#include "platform/Sat.h"

#include <QCoreApplication>
#include <QTimer>

namespace morvela {

StvarniSat::StvarniSat() {
    m_timer.start();
}

QDateTime StvarniSat::Sada() const {
    return QDateTime::currentDateTime();
}

qint64 StvarniSat::MonotonoMs() const {
    return m_timer.elapsed();
}

void StvarniSat::Pričekaj(qint16 sekundi) {
    if (sekundi <= 0) return;
    ObrađujDogađajeMs(qint64(sekundi) * 1000);
}

void ObrađujDogađajeMs(qint64 ms) {
    QElapsedTimer proteklo;
    proteklo.start();
    // Processing events directly, not through a nested event loop, keeps the wait
    // blocking after a quit; nested waits (a timer tick inside a wait) each keep
    // their own deadline.
    ObrađujDogađajeDok([&] { return proteklo.elapsed() >= ms; });
}

void ObrađujDogađajeDok(const std::function<bool()>& gotovo) {
    QTimer budilica;
    budilica.start(50);
    while (!gotovo())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace morvela
