// Lists from a server, a share or a distribution location that break the
// rules on names, numbers, size or encoding: each is refused as a list that
// cannot be read, before anything is fetched or written for it.

#include "Okruzenje.h"
#include "Stablo.h"
#include "TestServer.h"
#include "distribution/DownloadNaLokaciju.h"
#include "transfer/HttpPreuzimanje.h"
#include "versions/KontrolnaDatoteka.h"

#include <gtest/gtest.h>

#include <QDir>

namespace morvela::test {

namespace {

const QString Podaci = QStringLiteral(MORVELA_TEST_DATA_DIR "/lose-liste/");
const QString Instalirano = "Knjige21.exe;21;1;0;10;100;\r\nMorvIzmjBaza21.dll;21;0;0;10;100;\r\n";
const QString PlanNeČita = "NapraviRsŠtoTrebaAžurirati - Desila se greška u čitanju zapisa u matricu iz "
                           "datoteke. Prekida se ažuriranje!";
const QString DistribucijaNeČita =
    "DownloadNaLokaciju - Desila se greška u čitanju zapisa u matricu. Prekida se ažuriranje!";

struct LošaLista {
    const char* datoteka; // under data/lose-liste, or empty for the list made here
    QString razlog;
};

} // namespace

struct LošeListe : ::testing::Test {
    TestOkruženje o;
    // The network update location, the distribution location and what the server serves.
    const QString mreža = o.vanjski("Mreza") + Separator(), lokacija = o.vanjski("Lokacija") + Separator(),
                  posluženo = o.vanjski("Server") + Separator();
    TestServer server{posluženo};
    HttpPreuzimanje preuzimanje{o.status, o.poruke, *o.log, o.datoteke, o.stanje.ZadnjaPoruka, {1000}};

    LošeListe() {
        o.preuzimanje = &preuzimanje;
        o.postavke.Snimi("Settings", "PrimarniServer21", server.HttpHost());
        o.postavke.Snimi("Settings", "KoristiChilkatZaDownload", "False");
        o.Zapiši(o.dir() + "Verzije.txt", Instalirano.toLatin1());
        for (const QString& dir : {o.dir(), mreža, lokacija, posluženo}) {
            o.Zapiši(dir + "TeamViewerQS.exe", "tv");
            o.Zapiši(dir + "Izvan.7z", "arhiva izvana");
            o.Zapiši(dir + "Knjige21.7z", "arhiva");
        }
        o.Zapiši(mreža + "VerzijeU.txt", "u");
        o.Zapiši(posluženo + "VerzijeU.txt", "u");
        o.Zapiši(lokacija + "Verzije.txt", Instalirano.toLatin1());
        o.izvor.lokacije[0] = mreža;
        o.izvor.lokacije[1] = lokacija;
    }
    void Objavi(const QByteArray& lista) {
        o.Zapiši(mreža + "Verzije.txt", lista);
        o.Zapiši(posluženo + "Verzije.txt", lista);
    }
};

TEST_F(LošeListe, AreRefusedByTheCheckAndTheDistributionBeforeAnythingIsFetched) {
    // What each refusal says is checked where lists are read, by the one reading that every
    // refusal goes through; here a list naming a file outside shows that the check and the
    // distribution stop before they fetch or write anything.
    const QList<LošaLista> liste = {
        {"ime-roditelj.txt", "Neispravno ime datoteke u zapisu 4: ../Izvan.exe"},
        // Fetches of lists are cut off long before this size; a share has no such limit.
        {"", "Lista je veća od 1048576 bajtova (52428800 bajtova)"},
    };
    for (const LošaLista& l : liste) {
        SCOPED_TRACE(l.datoteka);
        const bool velika = *l.datoteka == 0;
        QByteArray lista = velika ? QByteArray() : o.Pročitaj(Podaci + l.datoteka);
        ASSERT_TRUE(velika || !lista.isEmpty());
        if (velika)
            while (lista.size() < 50 * 1024 * 1024)
                lista += "Knjige21.exe;21;1;0;10;100;\r\n";
        lista.truncate(velika ? 50 * 1024 * 1024 : lista.size());
        Objavi(lista);
        const auto prije = StanjeStabla(o.korijen.path());
        o.poruke.upiti.clear();

        // The check from the network location: only the list is copied, the plan refuses it.
        o.izvor.odabrana = UpdateLokacija::MrežnaLokacija;
        EXPECT_FALSE(PripremiVerzijaTXT(o.k, o.seta()));
        EXPECT_EQ(o.poruke.tekstovi(), QStringList{PlanNeČita});
        EXPECT_EQ(o.LogPoruke().mid(o.LogPoruke().size() - 2),
                  QStringList({"UčitajMatricu - " + l.razlog + ". Datoteka: " + o.updateDir() + "Verzije.txt",
                               PlanNeČita}));
        EXPECT_FALSE(o.mreža.ažuriranjeOmogućeno);
        EXPECT_FALSE(o.stanje.NoveVerzije.koristi(0));
        EXPECT_EQ(Promjene(prije, StanjeStabla(o.korijen.path())),
                  QStringList({"Suite/Update/Update.log", "Suite/Update/Verzije.txt"}));

        if (velika) continue;
        // The distribution run fetches the two lists into its working directory and stops there.
        o.izvor.odabrana = UpdateLokacija::InternetPrimarni;
        const int zahtjeva = server.Zahtjevi().size();
        EXPECT_FALSE(DownloadNaLokaciju(o.k, o.seta(), true));
        QStringList dohvaćeno;
        for (const Zahtjev& z : server.Zahtjevi().mid(zahtjeva))
            dohvaćeno << z.putanja.section('/', -1);
        EXPECT_EQ(dohvaćeno, QStringList({"Verzije.txt", "VerzijeU.txt"}));
        EXPECT_EQ(o.poruke.tekstovi().last(), DistribucijaNeČita);
        EXPECT_EQ(o.LogPoruke().mid(o.LogPoruke().size() - 2),
                  QStringList({"UčitajMatricu - " + l.razlog + ". Datoteka: " + lokacija + "Update" +
                                   Separator() + "Verzije.txt",
                               DistribucijaNeČita}));
        EXPECT_EQ(
            Promjene(prije, StanjeStabla(o.korijen.path())),
            QStringList({"Lokacija/Update", "Lokacija/Update/Verzije.txt", "Lokacija/Update/VerzijeU.txt",
                         "Suite/Update/Update.log", "Suite/Update/Verzije.txt"}));
        QDir(lokacija + "Update").removeRecursively();
    }
}

} // namespace morvela::test
