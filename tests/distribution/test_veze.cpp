// Working directories that are symbolic links are refused: nothing is read,
// written or deleted through them.

#include "Kvarovi.h"
#include "Okruzenje.h"
#include "Stablo.h"
#include "TestServer.h"
#include "distribution/DownloadNaLokaciju.h"
#include "install/UpdatePrograma.h"
#include "platform/Procesi.h"
#include "transfer/HttpPreuzimanje.h"
#include "versions/KontrolnaDatoteka.h"

#include <gtest/gtest.h>

#include <QDir>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

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

// Someone who can write to the location keeps planting links to a file outside at every temporary
// name a run uses, while it runs. Whatever the runs then report, nothing is written through a link,
// and no link takes the place of a file the location serves.
TEST(Veze, LinksPlantedAtTheTemporaryNamesOfARunWriteNothingOutside) {
    TestOkruženje o;
    QtProcesi procesi;
    Postavi7Zip(o.k, procesi);
    const QString server = o.vanjski("Server") + Separator(), L = o.vanjski("Lokacija") + Separator(),
                  W = L + "Update" + Separator(), tuđa = o.vanjski("tuđa.txt");
    QStringList lista, stara,
        mjesta{L + ImeTeamViewera, L + "Verzije.txt", L + "VerzijeU.txt", W + "Verzije.txt",
               W + "VerzijeU.txt"};
    for (const QString ime : {"Knjige21.exe", "Pdv21.exe", "Izvoz21.dll"}) {
        const QByteArray arhiva = Arhiva7z(ime, QByteArray(3000, 'n'));
        o.Zapiši(server + ImeArhive(ime), arhiva);
        lista << ime + ";21;2;0;" + QString::number(arhiva.size()) + ";3000;";
        stara << ime + ";21;1;0;1;1;";
        mjesta << L + ImeArhive(ime);
    }
    o.ZapišiListu(server + "Verzije.txt", lista);
    o.Zapiši(server + "VerzijeU.txt", "u");
    o.Zapiši(server + ImeTeamViewera, "tv");
    o.Zapiši(tuđa, "tuđe");
    QDir().mkpath(W);
    o.izvor.lokacije[1] = L;
    TestServer posluzitelj(server);
    HttpPreuzimanje http(o.status, o.poruke, *o.log, o.datoteke, o.stanje.ZadnjaPoruka, {1000});
    o.postavke.Snimi("Settings", "PrimarniServer21", posluzitelj.HttpHost());
    o.postavke.Snimi("Settings", "KoristiChilkatZaDownload", "False");
    o.preuzimanje = &http;

    std::atomic<bool> sadi = true;
    std::thread sadnja([&] {
        while (sadi) {
            for (const QString& mjesto : mjesta) {
                std::error_code ec;
                std::filesystem::create_symlink(tuđa.toStdString(), PrivremenaZa(mjesto).toStdString(), ec);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    int dovršenih = 0;
    for (int krug = 0; krug < 15; ++krug) {
        // Every run fetches everything again.
        o.ZapišiListu(L + "Verzije.txt", stara);
        for (const QString& mjesto : mjesta.mid(5))
            QFile::remove(mjesto);
        QFile::remove(L + ImeTeamViewera);
        dovršenih += DownloadNaLokaciju(o.k, o.seta(), false);
    }
    sadi = false;
    sadnja.join();

    EXPECT_EQ(o.Pročitaj(tuđa), "tuđe");
    for (const QString& mjesto : mjesta)
        EXPECT_FALSE(JeSimboličkaVeza(mjesto)) << qPrintable(mjesto);
    // The planted links were met: a run that found one refused to write there.
    EXPECT_LT(dovršenih, 15);
    EXPECT_FALSE(o.LogPoruke().filter("Lokalna datoteka se ne može zapisati").isEmpty());
}

} // namespace morvela::test
