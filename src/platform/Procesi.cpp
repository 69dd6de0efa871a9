#include "platform/Procesi.h"
#include "platform/Sat.h"

#include <QDeadlineTimer>
#include <QProcess>

namespace morvela {

namespace {

// Waits for the program to end, handling the thread's events meanwhile as
// Pričekaj does, so the window repaints and answers while an archive is
// unpacked or a component registered. The output is read as it comes, so a
// program that floods it is stopped before it fills our memory.
void ČekajUzDogađaje(QProcess& proces, int najviševMs, QByteArray* ispis) {
    bool gotovo = false, previše = false;
    // The connections end with this wait, before the locals they write to.
    QObject veze;
    QObject::connect(&proces, &QProcess::finished, &veze, [&gotovo] { gotovo = true; });
    if (ispis)
        QObject::connect(&proces, &QProcess::readyReadStandardOutput, &veze, [&] {
            *ispis += proces.readAllStandardOutput();
            previše = ispis->size() > IProcesi::NajvišeIspisa;
        });
    const QDeadlineTimer rok(najviševMs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(najviševMs));
    ObrađujDogađajeDok(
        [&] { return gotovo || previše || rok.hasExpired() || proces.state() == QProcess::NotRunning; });
    if (ispis && !previše) *ispis += proces.readAllStandardOutput();
}

} // namespace

bool QtProcesi::PokreniIČekaj(const QString& program, const QStringList& argumenti, int najviševMs,
                              QString* opisGreške, QByteArray* ispis, int* izlazniKod) {
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
    if (ispis) ispis->clear();
    ČekajUzDogađaje(proces, najviševMs, ispis);
    const bool završio = proces.state() == QProcess::NotRunning;
    if (!završio) {
        // It started, which is all the callers ask; do not leave it behind us.
        proces.kill();
        proces.waitForFinished(1000);
    }
    if (izlazniKod)
        *izlazniKod = završio && proces.exitStatus() == QProcess::NormalExit ? proces.exitCode() : -1;
    return true;
}

} // namespace morvela
