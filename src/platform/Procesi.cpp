#include "platform/Procesi.h"

#include <QProcess>

namespace morvela {

bool QtProcesi::PokreniIČekaj(const QString& naredbenaLinija, int najviševMs, QString* opisGreške) {
    QStringList dijelovi = QProcess::splitCommand(naredbenaLinija);
    if (dijelovi.isEmpty()) {
        if (opisGreške) *opisGreške = QStringLiteral("Empty command line");
        return false;
    }
    QProcess proces;
    proces.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    proces.setStandardOutputFile(QProcess::nullDevice());
    proces.setStandardInputFile(QProcess::nullDevice());
    const QString program = dijelovi.takeFirst();
    proces.start(program, dijelovi);
    if (!proces.waitForStarted(-1)) {
        if (opisGreške) *opisGreške = proces.errorString();
        return false;
    }
    if (!proces.waitForFinished(najviševMs)) {
        // It started, which is all the callers ask; do not leave it behind us.
        proces.kill();
        proces.waitForFinished(1000);
    }
    return true;
}

} // namespace morvela
