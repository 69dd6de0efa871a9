#include "records/TekstPrijenosa.h"

#include <QStringList>

#include <cmath>

namespace morvela {

namespace {

constexpr double MB = 1024.0 * 1024.0;

QString Mb(const QLocale& jezik, qint64 bajtova) {
    return jezik.toString(double(bajtova) / MB, 'f', 1);
}

// m:ss, or h:mm:ss from an hour on; whole seconds, never rounded up.
QString Trajanje(qint64 sekundi) {
    const QString ss = QStringLiteral("%1").arg(sekundi % 60, 2, 10, QLatin1Char('0'));
    if (sekundi < 3600) return QString::number(sekundi / 60) + QLatin1Char(':') + ss;
    return QString::number(sekundi / 3600) + QLatin1Char(':') +
           QStringLiteral("%1").arg(sekundi / 60 % 60, 2, 10, QLatin1Char('0')) + QLatin1Char(':') + ss;
}

} // namespace

QStringList DijeloviPrijenosa(const StanjePrijenosa& p, const QLocale& jezik, qsizetype* brzina) {
    QStringList dijelovi;
    if (brzina) *brzina = -1;
    if (!p.ime.isEmpty()) dijelovi << p.ime;
    if (p.primljeno >= 0) {
        dijelovi << (p.ukupno >= 0 ? Mb(jezik, p.primljeno) + QStringLiteral(" od ") + Mb(jezik, p.ukupno)
                                   : Mb(jezik, p.primljeno)) +
                        QStringLiteral(" MB");
        if (p.bezPodatakaMs >= ZastojPrijenosaMs) {
            dijelovi << QStringLiteral("Nema podataka %1 s …").arg(p.bezPodatakaMs / 1000);
        } else if (p.brzina > 0) {
            if (brzina) *brzina = dijelovi.size();
            dijelovi << jezik.toString(p.brzina / MB, 'f', 1) + QStringLiteral(" MB/s");
            if (p.ukupno > p.primljeno)
                dijelovi << QStringLiteral("još ") +
                                Trajanje(qint64(std::floor(double(p.ukupno - p.primljeno) / p.brzina)));
        }
    }
    if (p.redni > 0 && p.od > 0)
        dijelovi << QStringLiteral("datoteka %1 od %2").arg(p.redni).arg(p.od);
    else if (p.redni > 0)
        dijelovi << QStringLiteral("datoteka %1").arg(p.redni);
    return dijelovi;
}

QString TekstPrijenosa(const StanjePrijenosa& p, const QLocale& jezik) {
    return DijeloviPrijenosa(p, jezik).join(QStringLiteral(" · "));
}

} // namespace morvela
