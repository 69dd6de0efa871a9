#include "Okruzenje.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringEncoder>

#include <stdexcept>

namespace morvela::test {

TestOkruženje::TestOkruženje() {
    if (!korijen.isValid()) throw std::runtime_error("no temporary directory");
    const QString suite = korijen.filePath(QStringLiteral("Suite"));
    QDir().mkpath(suite + QStringLiteral("/Update"));
    stanje.ProgramskaDirektorija = SaSeparatorom(QDir::toNativeSeparators(suite));
    stanje.UpdateDirektorija = stanje.ProgramskaDirektorija + QStringLiteral("Update") + Separator();
    stanje.BackupDirektorija = stanje.ProgramskaDirektorija + QStringLiteral("UpdateBackup") + Separator();
    stanje.SkripteDirektorija = stanje.ProgramskaDirektorija + QStringLiteral("Skrite za izmjenu baze") + Separator();
    stanje.HelpDirektorija = stanje.ProgramskaDirektorija + QStringLiteral("Help") + Separator();
    log = std::make_unique<UpdateLog>(suite, poruke, sat);

    k.stanje = &stanje;
    k.poruke = &poruke;
    k.status = &status;
    k.sat = &sat;
    k.izvor = &izvor;
    k.mreža = &mreža;
    k.datoteke = &datoteke;
    k.imena = &imena;
    k.postavke = &postavke;
    k.log = log.get();
    k.izvršnaDirektorija = suite;
    k.završiProgram = [this] { ++završetaka; };
}

QString TestOkruženje::vanjski(const QString& ime) const {
    return QDir::toNativeSeparators(korijen.filePath(ime));
}

void TestOkruženje::Zapiši(const QString& put, const QByteArray& sadržaj) {
    QDir().mkpath(QFileInfo(put).absolutePath());
    QFile f(put);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw std::runtime_error("cannot write test file");
    f.write(sadržaj);
}

void TestOkruženje::ZapišiListu(const QString& put, const QStringList& zapisi) {
    QStringEncoder koder("windows-1250");
    QByteArray b;
    for (const QString& z : zapisi) b += koder.encode(z + QStringLiteral("\r\n"));
    Zapiši(put, b);
}

QByteArray TestOkruženje::Pročitaj(const QString& put) {
    QFile f(put);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

QStringList TestOkruženje::LogPoruke() const {
    const QString sve = QString::fromLocal8Bit(Pročitaj(log->Put()));
    QStringList poruke;
    // Each entry is "<date> <time> <message>\r\n". The date may hold blanks,
    // the time (without AM/PM in the C locale the tests run in) holds none.
    const QString datum = QLocale::system().toString(sat.Sada().date(), QLocale::ShortFormat) + QLatin1Char(' ');
    for (QString red : sve.split(QStringLiteral("\r\n"))) {
        if (red.startsWith(datum)) red = red.mid(datum.size());
        const int razmak = red.indexOf(QLatin1Char(' '));
        if (razmak >= 0) poruke << red.mid(razmak + 1);
    }
    return poruke;
}

} // namespace morvela::test
