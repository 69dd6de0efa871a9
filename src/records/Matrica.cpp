#include "records/Matrica.h"

#include "platform/Seams.h"
#include "records/UpdateLog.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

namespace morvela {

namespace {

// List files are made on Windows workstations and shared with them, so they
// are Windows-1250 on every platform.
constexpr const char* KodnaStranica = "windows-1250";

bool JePrazanRed(const QString& red) {
    for (QChar c : red)
        if (c != QLatin1Char(' ')) return false;
    return true;
}

void Pokaži(const OkruženjeMatrice& o, const QString& tekst) {
    if (o.poruke) o.poruke->Pokaži(tekst, Ikona::Usklicnik);
}

void Logiraj(const OkruženjeMatrice& o, const QString& tekst) {
    if (o.log) o.log->LogirajGrešku(tekst);
}

void PostaviZadnju(const OkruženjeMatrice& o, const QString& tekst) {
    if (o.zadnjaPoruka) *o.zadnjaPoruka = tekst;
}

} // namespace

Matrica::Matrica() { IsprazniMatricu(*this); }

QString Matrica::tekst(int red, int stupac) const {
    const Ćelija& c = m_ćelije[red][stupac];
    if (const auto* t = std::get_if<QString>(&c)) return *t;
    return QString::number(std::get<qint16>(c));
}

qint16 Matrica::broj(int red, int stupac) const {
    const Ćelija& c = m_ćelije[red][stupac];
    if (const auto* b = std::get_if<qint16>(&c)) return *b;
    return 0;
}

bool Matrica::koristi(int red) const { return !tekst(red, 0).isEmpty(); }

void IsprazniMatricu(Matrica& m) {
    for (int r = 0; r < Matrica::Redova; ++r) {
        for (int s = 0; s < 4; ++s) m.postavi(r, s, QString());
        for (int s = 4; s < Matrica::Stupaca; ++s) m.postavi(r, s, qint16(0));
    }
}

bool UčitajMatricu(Matrica& m, const QString& put, const OkruženjeMatrice& o) {
    IsprazniMatricu(m);

    QFile datoteka(put);
    if (!QFileInfo(put).isFile() || !datoteka.open(QIODevice::ReadOnly)) {
        const QString opis = QFileInfo(put).isDir() ? QStringLiteral("Is a directory") : datoteka.errorString();
        Pokaži(o, QStringLiteral("Greška u otvaranju datoteke: ") + put + QLatin1Char(' ') + opis);
        return false;
    }

    const QByteArray sadržaj = datoteka.readAll();
    if (datoteka.error() != QFileDevice::NoError) {
        PostaviZadnju(o, QStringLiteral("Greška u čitanju datoteke: ") + put + QStringLiteral(" Red: ") +
                             QLatin1Char(' ') + datoteka.errorString());
        datoteka.close();
        Logiraj(o, o.zadnjaPoruka ? *o.zadnjaPoruka : QString());
        return false;
    }
    datoteka.close();

    QStringDecoder dekoder(KodnaStranica);
    const QString tekst = dekoder.decode(sadržaj);
    QStringList linije = tekst.split(QLatin1Char('\n'));
    // A file that ends in a line break has no further line after it.
    if (!linije.isEmpty() && linije.last().isEmpty()) linije.removeLast();

    int red = 0;
    for (QString linija : linije) {
        if (linija.endsWith(QLatin1Char('\r'))) linija.chop(1);
        if (JePrazanRed(linija)) continue;

        const QStringList dijelovi = linija.split(QLatin1Char(';'));
        if (dijelovi.size() != 7) {
            PostaviZadnju(o, QStringLiteral("Greška u splitu - ima : ") + QString::number(dijelovi.size()) +
                                 QStringLiteral(" članova! Datoteka: ") + put + QStringLiteral(" Red: ") + linija +
                                 QLatin1Char(' '));
            return false;
        }
        if (red >= Matrica::Redova) {
            PostaviZadnju(o, QStringLiteral("Greška u dodjeljivanju vrijednosti matrici! Subscript out of range"));
            Logiraj(o, o.zadnjaPoruka ? *o.zadnjaPoruka
                                      : QStringLiteral("Greška u dodjeljivanju vrijednosti matrici! "));
            return false;
        }
        for (int s = 0; s < 6; ++s) m.postavi(red, s, dijelovi[s]);
        ++red;
    }
    return true;
}

bool SnimiMatricu(const Matrica& m, const QString& put, const OkruženjeMatrice& o) {
    QFileInfo info(put);
    // Like a plain delete: a read-only file stays and the open below then fails.
    if (info.exists() && info.isFile() && (info.permissions() & QFileDevice::WriteOwner)) QFile::remove(put);

    QFile datoteka(put);
    if (!datoteka.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        Pokaži(o, QStringLiteral("Greška u otvaranju datoteke: ") + put + QLatin1Char(' ') + datoteka.errorString());
        return false;
    }
    QStringEncoder koder(KodnaStranica);
    for (int r = 0; r < Matrica::Redova; ++r) {
        if (!m.koristi(r)) continue;
        QString linija;
        for (int s = 0; s < 6; ++s) linija += m.tekst(r, s) + QLatin1Char(';');
        const QByteArray bajtovi = koder.encode(linija + QStringLiteral("\r\n"));
        if (datoteka.write(bajtovi) != bajtovi.size() || !datoteka.flush()) {
            const QString opis = datoteka.errorString();
            datoteka.close();
            Pokaži(o, QStringLiteral("Greška u upisu u datoteku: ") + put + QStringLiteral(" Red: ") + linija +
                          QLatin1Char(' ') + opis);
            return false;
        }
    }
    datoteka.close();
    return true;
}

} // namespace morvela
