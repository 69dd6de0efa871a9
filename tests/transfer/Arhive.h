#pragma once
// Real 7-Zip archives and plan rows for the transfer tests.

#include "Okruzenje.h"
#include "versions/PravilaVerzija.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <stdexcept>

namespace morvela::test {

// Puts the link to the system's 7-Zip where the program looks for it.
inline void Postavi7za(const QString& programskaDirektorija) {
    if (!QFile::link(QStringLiteral("/usr/bin/7za"), programskaDirektorija + QStringLiteral("7za")))
        throw std::runtime_error("cannot link 7za");
}

// Packs the bytes, stored under the file name ime, into a new archive with the real 7za.
inline void Spakiraj(const QString& arhiva, const QString& ime, const QByteArray& sadržaj) {
    QTemporaryDir izvor;
    TestOkruženje::Zapiši(izvor.filePath(ime), sadržaj);
    QFile::remove(arhiva);
    QProcess p;
    p.setWorkingDirectory(izvor.path());
    p.start(QStringLiteral("/usr/bin/7za"), {"a", "-bd", "-mx1", arhiva, ime});
    if (!p.waitForFinished(-1) || p.exitCode() != 0) throw std::runtime_error("7za could not pack");
}

// A new-list row as the plan leaves it.
inline void PostaviRed(Matrica& m, int red, const QString& ime, const QString& veličinaDownload,
                       const QString& stvarnaVeličina, qint16 planiran = 1) {
    m.postavi(red, Ime, ime);
    m.postavi(red, Ver_Gl, QStringLiteral("21"));
    m.postavi(red, VeličinaDownload, veličinaDownload);
    m.postavi(red, StvarnaVeličina, stvarnaVeličina);
    m.postavi(red, TrebaInstalirati, planiran);
}

inline QString Veličina(const QString& put) {
    return QString::number(QFileInfo(put).size());
}

} // namespace morvela::test
