#pragma once
// Everything under a directory as it stands: to show that a refused run
// changed nothing it was not allowed to change and left nothing behind.

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>

namespace morvela::test {

// Relative path -> "d" for a directory, "l:" + target for a link, "f:" + a
// digest of the content for a file. Links are recorded, never followed.
inline QMap<QString, QByteArray> StanjeStabla(const QString& korijen) {
    QMap<QString, QByteArray> stanje;
    QDirIterator it(korijen, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString put = QDir(korijen).relativeFilePath(info.filePath());
        if (info.isSymLink()) {
            stanje[put] = "l:" + info.symLinkTarget().toUtf8();
        } else if (info.isDir()) {
            stanje[put] = "d";
        } else {
            QFile f(info.filePath());
            QCryptographicHash h(QCryptographicHash::Sha1);
            if (f.open(QIODevice::ReadOnly)) h.addData(&f);
            stanje[put] = "f:" + h.result().toHex();
        }
    }
    return stanje;
}

// The paths whose state differs between two snapshots (added, removed or changed).
inline QStringList Promjene(const QMap<QString, QByteArray>& prije,
                            const QMap<QString, QByteArray>& poslije) {
    QStringList promjene;
    for (auto it = prije.begin(); it != prije.end(); ++it)
        if (poslije.value(it.key()) != it.value()) promjene << it.key();
    for (auto it = poslije.begin(); it != poslije.end(); ++it)
        if (!prije.contains(it.key())) promjene << it.key();
    promjene.sort();
    return promjene;
}

} // namespace morvela::test
