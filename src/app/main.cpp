#include "app/frmLiveUpdate.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Qt's own buttons and dialogs speak Croatian, whatever the system language.
    QTranslator prijevod;
    if (prijevod.load(QStringLiteral("qtbase_hr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&prijevod);

    morvela::frmLiveUpdate prozor;
    prozor.PokreniProzor();
    prozor.show();
    return QApplication::exec();
}
