// Working directories that are symbolic links are refused: nothing is read,
// written or deleted through them.

#include "Okruzenje.h"
#include "Stablo.h"
#include "distribution/DownloadNaLokaciju.h"
#include "install/UpdatePrograma.h"
#include "versions/KontrolnaDatoteka.h"

#include <gtest/gtest.h>

#include <QDir>

#include <functional>

namespace morvela::test {

struct PovezanaDirektorija {
    const char* opis;
    std::function<QString(TestOkruženje&)> direktorija; // the working directory made a link
    std::function<bool(TestOkruženje&)> pokreni;
    QStringList promjene; // besides nothing at all
    Ikona ikona;
};

TEST(Veze, LinkedWorkingDirectoriesAreRefusedAndWhatTheyPointAtStaysAsItWas) {
    const QList<PovezanaDirektorija> slučajevi = {
        {"update",
         [](TestOkruženje& o) { return o.updateDir(); },
         [](TestOkruženje& o) { return PripremiVerzijaTXT(o.k, o.seta()); },
         {},
         Ikona::Usklicnik},
        {"backup",
         [](TestOkruženje& o) { return o.stanje.BackupDirektorija; },
         [](TestOkruženje& o) { return UpdatePrograma(o.k, o.seta()); },
         {"Suite/Update/Update.log"},
         Ikona::Kritična},
        {"lokacija",
         [](TestOkruženje& o) {
             o.izvor.lokacije[1] = o.vanjski("Lokacija");
             return o.vanjski("Lokacija") + Separator() + "Update" + Separator();
         },
         [](TestOkruženje& o) { return DownloadNaLokaciju(o.k, o.seta(), true); },
         {"Suite/Update/Update.log"},
         Ikona::Usklicnik},
    };
    for (const PovezanaDirektorija& s : slučajevi) {
        SCOPED_TRACE(s.opis);
        TestOkruženje o;
        o.ZapišiListu(o.dir() + "Verzije.txt", {"Knjige21.exe;21;1;0;10;100;"});
        const QString drugdje = o.vanjski("Drugdje");
        o.Zapiši(drugdje + "/Knjige21.exe", "tuđe");
        o.Zapiši(drugdje + "/Update.log", "tuđi log\r\n");
        o.Zapiši(drugdje + "/Verzije.txt", "tuđa lista");
        QFile::setPermissions(drugdje + "/Knjige21.exe", QFileDevice::ReadOwner);
        QDir().mkpath(o.vanjski("Lokacija"));
        QString veza = s.direktorija(o);
        QDir(veza).removeRecursively();
        veza.chop(1);
        ASSERT_TRUE(QFile::link(drugdje, veza));
        const auto prije = StanjeStabla(o.korijen.path());

        EXPECT_FALSE(s.pokreni(o));
        ASSERT_EQ(o.poruke.upiti.size(), 1);
        EXPECT_EQ(o.poruke.upiti[0].tekst, PorukaSimboličkeVeze(veza + Separator()));
        EXPECT_EQ(o.poruke.upiti[0].ikona, s.ikona);
        // The log is not written through a linked update directory either, and says so.
        if (veza + Separator() == o.updateDir()) {
            o.k.LogirajGrešku("x");
            EXPECT_TRUE(o.poruke.tekstovi().last().endsWith(PorukaSimboličkeVeze(veza)));
        }
        EXPECT_EQ(Promjene(prije, StanjeStabla(o.korijen.path())), s.promjene);
    }
}

} // namespace morvela::test
