#include "Okruzenje.h"

#include "records/Windows1250.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <stdexcept>

namespace morvela::test {

TestOkruženje::TestOkruženje() : TestOkruženje(QString()) {}

namespace {
// The suite directory: the given one, or one made under korijen.
QString PripremiSuite(QTemporaryDir& korijen, const QString& postojeći) {
    if (!korijen.isValid()) throw std::runtime_error("no temporary directory");
    // A given suite needs no temporary root of its own.
    if (!postojeći.isEmpty()) korijen.remove();
    const QString suite = postojeći.isEmpty() ? korijen.filePath(QStringLiteral("Suite")) : postojeći;
    QDir().mkpath(suite + QStringLiteral("/Update"));
    return suite;
}
} // namespace

TestOkruženje::TestOkruženje(const QString& postojeći)
    : m_suite(PripremiSuite(korijen, postojeći)),
      log(std::make_unique<UpdateLog>(m_suite, poruke, sat, datoteke)),
      k(VanjskiSvijet{.sat = sat,
                      .datoteke = datoteke,
                      .imena = imena,
                      .postavke = postavke,
                      .procesi = procesi,
                      .prozori = prozori,
                      .izvršnaDirektorija = m_suite,
                      .završiProgram = [this] { ++završetaka; }},
        stanje, poruke, status, izvor, mreža, *log) {
    stanje.PostaviDirektorije(QDir::toNativeSeparators(m_suite), QString());
}

namespace {
// A server nobody reaches.
struct BezPreuzimanja : IPreuzimanje {
    bool DownloadDatoteke(const ZahtjevDatoteke&) override { return false; }
};
} // namespace

IzvorSeta& TestOkruženje::seta() {
    static BezPreuzimanja bez;
    Postavke p = Postavke::Učitaj(postavke);
    p.izvor = izvor.odabrana;
    p.mrežnaLokacija = izvor.lokacije[0];
    m_seta.reset();
    return m_seta.emplace(p, preuzimanje ? *preuzimanje : bez);
}

QString TestOkruženje::vanjski(const QString& ime) const {
    return QDir::toNativeSeparators(korijen.filePath(ime));
}

void TestOkruženje::Zapiši(const QString& put, const QByteArray& sadržaj) {
    QDir().mkpath(QFileInfo(put).absolutePath());
    QFile f(put);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write test file");
    f.write(sadržaj);
}

void TestOkruženje::ZapišiListu(const QString& put, const QStringList& zapisi) {
    QString tekst;
    for (const QString& z : zapisi)
        tekst += z + QStringLiteral("\r\n");
    const std::optional<QByteArray> bajtovi = UWindows1250(tekst);
    if (!bajtovi) throw std::runtime_error("list text outside Windows-1250");
    Zapiši(put, *bajtovi);
}

QByteArray TestOkruženje::Pročitaj(const QString& put) {
    QFile f(put);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList TestOkruženje::LogPoruke() const {
    QStringList poruke;
    // Each entry is "<date> <time> <message>\r\n". The date may hold blanks,
    // the time (without AM/PM in the C locale the tests run in) holds none.
    const QString datum =
        QLocale::system().toString(sat.Sada().date(), QLocale::ShortFormat) + QLatin1Char(' ');
    for (QString red : QString::fromLocal8Bit(Pročitaj(log->Put())).split(QStringLiteral("\r\n"))) {
        if (red.startsWith(datum)) red = red.mid(datum.size());
        const int razmak = red.indexOf(QLatin1Char(' '));
        if (razmak >= 0) poruke << red.mid(razmak + 1);
    }
    return poruke;
}

} // namespace morvela::test
