#include "platform/Sat.h"

#include <QEventLoop>
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
    const qint64 kraj = MonotonoMs() + qint64(sekundi) * 1000;
    // Nested waits (a timer tick inside a wait) each keep their own deadline.
    while (MonotonoMs() < kraj) {
        QEventLoop petlja;
        QTimer::singleShot(int(kraj - MonotonoMs()), &petlja, &QEventLoop::quit);
        petlja.exec();
    }
}

} // namespace morvela
