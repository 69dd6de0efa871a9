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
    // The timer only wakes the thread at the deadline. Processing events directly,
    // not through a nested event loop, keeps the wait blocking after a quit.
    QTimer budilica;
    budilica.setSingleShot(true);
    budilica.setTimerType(Qt::PreciseTimer);
    // Nested waits (a timer tick inside a wait) each keep their own deadline.
    for (qint64 ostalo = ms - proteklo.elapsed(); ostalo > 0; ostalo = ms - proteklo.elapsed()) {
        if (!budilica.isActive()) budilica.start(int(qMin<qint64>(ostalo, 24 * 3600 * 1000)));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void ObrađujDogađajeDok(const std::function<bool()>& gotovo) {
    QTimer budilica;
    budilica.start(50);
    while (!gotovo())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace morvela
