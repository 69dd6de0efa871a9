// Opens the window on a suite directory, lets start-up finish and writes a
// picture of it: the README's screenshot.
#include "app/frmLiveUpdate.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <suite directory> <picture.png>\n", argv[0]);
        return 2;
    }
    QTranslator prijevod;
    if (prijevod.load(QStringLiteral("qtbase_hr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&prijevod);

    morvela::OvisnostiProzora o;
    o.usluge.izvršnaDirektorija = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    morvela::frmLiveUpdate prozor(o);
    prozor.PokreniProzor();
    prozor.show();
    const QString put = QString::fromLocal8Bit(argv[2]);
    QTimer::singleShot(500, &prozor, [&] {
        const bool dobro = prozor.grab().save(put);
        QCoreApplication::exit(dobro ? 0 : 1);
    });
    return QApplication::exec();
}
