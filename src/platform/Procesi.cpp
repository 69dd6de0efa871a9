#include "platform/Procesi.h"

#include <QDeadlineTimer>
#include <QProcess>

namespace morvela {

namespace {

// Reads the output as it comes, so a program that floods it is stopped
// before it fills our memory.
void ČekajIČitaj(QProcess& proces, QDeadlineTimer rok, QByteArray& ispis) {
    while (proces.state() != QProcess::NotRunning && !rok.hasExpired()) {
        proces.waitForReadyRead(int(qMin<qint64>(rok.remainingTime() < 0 ? 100 : rok.remainingTime(), 100)));
        ispis += proces.readAllStandardOutput();
        if (ispis.size() > IProcesi::NajvišeIspisa) return;
    }
    ispis += proces.readAllStandardOutput();
}

} // namespace

bool QtProcesi::PokreniIČekaj(const QString& program, const QStringList& argumenti, int najviševMs,
                              QString* opisGreške, QByteArray* ispis) {
    if (program.isEmpty()) {
        if (opisGreške) *opisGreške = QStringLiteral("No program given");
        return false;
    }
    QProcess proces;
    proces.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!ispis) proces.setStandardOutputFile(QProcess::nullDevice());
    proces.setStandardInputFile(QProcess::nullDevice());
    proces.start(program, argumenti);
    if (!proces.waitForStarted(-1)) {
        if (opisGreške) *opisGreške = proces.errorString();
        return false;
    }
    if (ispis) {
        ispis->clear();
        ČekajIČitaj(proces, najviševMs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(najviševMs), *ispis);
    } else {
        proces.waitForFinished(najviševMs);
    }
    if (proces.state() != QProcess::NotRunning) {
        // It started, which is all the callers ask; do not leave it behind us.
        proces.kill();
        proces.waitForFinished(1000);
    }
    return true;
}

} // namespace morvela
