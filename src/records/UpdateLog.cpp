#include "records/UpdateLog.h"

#include "platform/Datoteke.h"
#include "platform/Seams.h"
#include "records/StanjeRada.h"
#include "records/VlastitaImena.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStringEncoder>

namespace morvela {

namespace {
const QString PočetakGreške = QStringLiteral("Desila se greška: u upisu u LOG. Greška: ");
}

UpdateLog::UpdateLog(QString izvršnaDirektorija, IPoruke& poruke, const ISat& sat, IDatoteke& datoteke)
    : m_direktorija(std::move(izvršnaDirektorija)), m_poruke(poruke), m_sat(sat), m_datoteke(datoteke) {}

QString UpdateLog::Put() const {
    return UpdateDirektorijaU(m_direktorija) + ImeLoga;
}

void UpdateLog::LogirajGrešku(const QString& poruka) {
    Upiši(Put(), poruka);
}

void UpdateLog::LogirajGreškuSamostalno(const QString& poruka) {
    if (m_direktorija.isEmpty() || !QDir::isAbsolutePath(m_direktorija)) {
        const QString opis = QStringLiteral("Direktorija programa nije poznata");
        m_poruke.Pokaži(PočetakGreške + opis, Ikona::Usklicnik);
        m_poruke.Pokaži(PočetakGreške + QString::number(GreškaPutanje) + QLatin1Char(' ') + opis,
                        Ikona::Usklicnik);
        return;
    }
    Upiši(Put(), poruka);
}

void UpdateLog::Upiši(const QString& put, const QString& poruka) {
    // Never written through a link: what it points at is not the log.
    const bool direktorijaJeVeza = JeSimboličkaVeza(QFileInfo(put).path());
    if (direktorijaJeVeza || JeSimboličkaVeza(put)) {
        // Names what is linked: the log's directory, or the log itself.
        const QString opis =
            direktorijaJeVeza
                ? PorukaSimboličkeVeze(QFileInfo(put).path())
                : QStringLiteral("Datoteka ") + put +
                      QStringLiteral(" je simbolička veza na drugo mjesto. Program ne piše kroz "
                                     "takve veze. Uklonite vezu i pokušajte ponovno.");
        m_poruke.Pokaži(PočetakGreške + QString::number(GreškaPristupa) + QLatin1Char(' ') + opis,
                        Ikona::Usklicnik);
        return;
    }
    // Opened, appended and closed for every entry: the file is free for readers between entries.
    const QDateTime sada = m_sat.Sada();
    const QLocale lokal = QLocale::system();
    const QString red = lokal.toString(sada.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                        lokal.toString(sada.time(), QLocale::ShortFormat) + QLatin1Char(' ') + poruka +
                        QStringLiteral("\r\n");
    if (m_jeka) m_jeka(red.chopped(2));
    QStringEncoder koder(QStringEncoder::System);
    const GreškaDatoteke g = m_datoteke.Dodaj(put, koder.encode(red));
    if (g.uspjeh()) return;
    // A failed write says only what happened; a failed open names its number too.
    m_poruke.Pokaži(PočetakGreške +
                        (g.nakonOtvaranja ? QString() : QString::number(g.broj) + QLatin1Char(' ')) + g.opis,
                    Ikona::Usklicnik);
}

} // namespace morvela
