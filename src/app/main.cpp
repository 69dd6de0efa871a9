#include "app/NaredbenaLinija.h"
#include "app/Usluge.h"
#include "app/frmLiveUpdate.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char* argv[]) {
    // Unattended runs need no display: no widget, not even the GUI application, is created.
    if (morvela::TražiNaredbenuLiniju(argc)) {
        QCoreApplication app(argc, argv);
        return morvela::IzvršiNaredbenuLiniju(QCoreApplication::arguments());
    }
    // Decided before Qt looks for a display, which it would abort without (over SSH, from cron).
    if (!morvela::MožePrikazatiProzor()) return morvela::BezZaslona(argv[0]);

    QApplication app(argc, argv);
    // Qt's own buttons and dialogs speak Croatian, whatever the system language.
    QTranslator prijevod;
    if (prijevod.load(QStringLiteral("qtbase_hr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&prijevod);

    morvela::StvarneUsluge stvarne;
    morvela::frmLiveUpdate prozor(morvela::StvarneOvisnosti(stvarne));
    prozor.PokreniProzor();
    prozor.show();
    return QApplication::exec();
}
