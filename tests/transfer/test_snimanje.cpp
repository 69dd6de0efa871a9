#include "Arhive.h"
#include "TestServer.h"
#include "platform/Procesi.h"
#include "transfer/HttpPreuzimanje.h"
#include "transfer/Snimanje.h"

#include <gtest/gtest.h>

#include <QDir>

using namespace morvela;
using namespace morvela::test;

namespace {

const QString Internet = "SnimitiSaInterneta - ";
const QString Mreža = "SnimitiSaMrežneLokacije - ";

// The served directory is both the download server's directory and the
// network location, so every case can run either way.
class Snimanje : public ::testing::Test {
protected:
    Snimanje() : server(izvor.path()) {
        o.k.procesi = &procesi;
        o.k.preuzimanje = &preuzimanje;
        o.postavke.Snimi("Settings", "DodatniCertifikati", TestServer::TestniCa());
        o.postavke.Snimi("Settings", "PrimarniServer21", server.HttpsHost());
        o.izvor.lokacije[0] = SaSeparatorom(QDir::toNativeSeparators(izvor.path()));
        Postavi7za(o.dir());
    }

    QString lok() const { return o.izvor.lokacije[0]; }
    QString upd() const { return o.updateDir(); }

    // Offers a file of the update set and plans its row; help files and
    // scripts travel unpacked under the archive's name.
    void Ponudi(int red, const QString& ime, const QByteArray& sadržaj, bool premaNovijem = true) {
        const QString arhiva = lok() + ImeArhive(ime);
        const QString vrsta = VrstaDatoteke(ime);
        if (vrsta == "chm" || vrsta == "enc")
            TestOkruženje::Zapiši(arhiva, sadržaj);
        else
            Spakiraj(arhiva, ime, sadržaj);
        PostaviRed(o.stanje.NoveVerzije, red, ime, Veličina(arhiva), QString::number(sadržaj.size()));
        if (premaNovijem) o.stanje.UkupnoZaPrijenos += Veličina(arhiva).toInt();
    }
    // A damaged archive that 7-Zip leaves without a result, of the announced size.
    void PonudiOštećenu(int red, const QString& ime) {
        TestOkruženje::Zapiši(lok() + ImeArhive(ime), "oštećena arhiva");
        PostaviRed(o.stanje.NoveVerzije, red, ime, Veličina(lok() + ImeArhive(ime)), "3");
    }

    QStringList Log(const QString& prefiks) const {
        QStringList l;
        for (const QString& red : o.LogPoruke())
            if (red.startsWith(prefiks)) l << red.mid(prefiks.size());
        return l;
    }
    // The line of a size that matched its announcement.
    static QString OK(const QString& ime, const QString& put) {
        return "Veličina presnimljene datoteke " + ime + " je " + Veličina(put) +
               ", a veličina originalne datoteke je " + Veličina(put) + ". OK.";
    }
    static QList<QPair<QString, int>> Stanja(const QList<QPair<QString, int>>& s) { return s; }

    // A stopped run: its text is the last message, the last log line of the
    // run and the only error message; the tabs keep the previous texts.
    void OčekujPrekid(const QString& prefiks, const QString& tekst, bool sOkvirom) {
        EXPECT_EQ(o.stanje.ZadnjaPoruka, tekst);
        EXPECT_EQ(Log(prefiks).last(), tekst);
        EXPECT_EQ(o.stanje.PorukeGrešaka, CRLF + tekst);
        if (sOkvirom) {
            ASSERT_EQ(o.poruke.upiti.size(), 1);
            EXPECT_EQ(o.poruke.upiti[0].tekst, tekst);
            EXPECT_EQ(o.poruke.upiti[0].ikona, Ikona::Usklicnik);
        } else {
            EXPECT_TRUE(o.poruke.upiti.isEmpty());
        }
        EXPECT_EQ(o.status.prikazaPoruka, 0);
    }

    TestOkruženje o;
    QtProcesi procesi;
    QTemporaryDir izvor;
    TestServer server;
    HttpPreuzimanje preuzimanje{o.k, 5000};
};

TEST_F(Snimanje, InternetFetchesVerifiesAndUnpacksEveryPlannedRowInOrder) {
    Ponudi(0, "Program21.exe", "program");
    PostaviRed(o.stanje.NoveVerzije, 1, "Nije u planu21.exe", "1", "1", 0);
    Ponudi(2, "Pomoć za rad.chm", "pomoć");
    Ponudi(3, "Račun21.dll", "račun", false); // planned as missing: beyond the bar's maximum
    o.stanje.PorukeGrešaka = "prošla operacija";

    ASSERT_TRUE(SnimitiSaInterneta(o.k));

    EXPECT_EQ(TestOkruženje::Pročitaj(upd() + "Program21.exe"), "program");
    EXPECT_EQ(TestOkruženje::Pročitaj(upd() + "Pomoć za rad.chm"), "pomoć");
    EXPECT_EQ(TestOkruženje::Pročitaj(upd() + "Račun21.dll"), "račun");
    EXPECT_EQ(server.Zahtjevi().size(), 3);
    EXPECT_EQ(o.mreža.stanja, Stanja({{"Program21.exe", 1},
                                      {"Program21.exe", 2},
                                      {"Pomoć za rad.chm", 1},
                                      {"Pomoć za rad.chm", 2},
                                      {"Račun21.dll", 1},
                                      {"Račun21.dll", 2}}));
    EXPECT_EQ(o.status.maksimum, float(o.stanje.UkupnoZaPrijenos));
    EXPECT_EQ(o.status.vrijednost, float(o.stanje.UkupnoZaPrijenos));
    EXPECT_FALSE(o.status.vidljiv);
    EXPECT_EQ(o.sat.čekanja, QList<int>({0, 0, 5}));
    EXPECT_TRUE(o.poruke.upiti.isEmpty());
    EXPECT_EQ(o.stanje.PorukeGrešaka, "");
    EXPECT_EQ(o.stanje.PorukeAkcija,
              CRLF + "UNZIP: " + upd() + "Program21.7z" + CRLF + "UNZIP: " + upd() + "Racun21.7z");
    EXPECT_EQ(o.status.prikazaPoruka, 1);
    EXPECT_EQ(o.status.txtPor, o.stanje.PorukeAkcija);
    EXPECT_EQ(o.status.txtPorGr, "");
    EXPECT_EQ(o.status.akcija, "");

    const QStringList očekivano = {
        "Početak",
        "Provjera postojanja fajla Program21.7z",
        "Početak skidanja Program21.7z",
        OK("Program21.7z", upd() + "Program21.7z"),
        "Provjera postojanja fajla Pomoć za rad.7z",
        "Početak skidanja Pomoć za rad.7z",
        OK("Pomoć za rad.7z", upd() + "Pomoć za rad.7z"),
        "Provjera postojanja fajla Racun21.7z",
        "Početak skidanja Racun21.7z",
        OK("Racun21.7z", upd() + "Racun21.7z"),
        "Početak provjere veličine datoteka",
        OK("Program21.exe", upd() + "Program21.exe"),
        OK("Pomoć za rad.chm", upd() + "Pomoć za rad.chm"),
        OK("Račun21.dll", upd() + "Račun21.dll"),
    };
    EXPECT_EQ(Log(Internet), očekivano);
}

TEST_F(Snimanje, InternetDeletesALeftoverArchiveAndFetchesItAnew) {
    Ponudi(0, "Program21.exe", "program");
    TestOkruženje::Zapiši(upd() + "Program21.7z", "ostatak prošlog pokušaja");
    QFile::setPermissions(upd() + "Program21.7z", QFile::ReadOwner);

    ASSERT_TRUE(SnimitiSaInterneta(o.k));

    EXPECT_EQ(TestOkruženje::Pročitaj(upd() + "Program21.7z"),
              TestOkruženje::Pročitaj(lok() + "Program21.7z"));
    const QStringList log = Log(Internet);
    EXPECT_EQ(log.mid(1, 3),
              QStringList({"Provjera postojanja fajla Program21.7z",
                           "Nađena 7z datoteka: " + upd() + "Program21.7z pa je treba obrisati!",
                           "Početak skidanja Program21.7z"}));
}

TEST_F(Snimanje, EmptyPlanIsRefusedButAFlaggedRowWithoutNameIsOnlySkipped) {
    o.stanje.PorukeAkcija = "stare akcije";
    PostaviRed(o.stanje.NoveVerzije, 0, "Program21.exe", "1", "1", 0);
    EXPECT_FALSE(SnimitiSaInterneta(o.k));
    EXPECT_FALSE(SnimitiSaMrežneLokacije(o.k));
    ASSERT_EQ(o.poruke.tekstovi(),
              QStringList({"Nema novih verzija progama!", "Nema novih verzija progama!"}));
    EXPECT_EQ(o.poruke.upiti[0].ikona, Ikona::Usklicnik);
    EXPECT_EQ(o.stanje.PorukeAkcija, "");
    EXPECT_FALSE(o.status.vidljiv);
    EXPECT_TRUE(o.LogPoruke().isEmpty());

    o.stanje.NoveVerzije.postavi(5, TrebaInstalirati, qint16(1));
    EXPECT_TRUE(SnimitiSaInterneta(o.k));
    EXPECT_EQ(o.poruke.upiti.size(), 2);
    EXPECT_EQ(Log(Internet), QStringList({"Početak", "Početak provjere veličine datoteka"}));
    EXPECT_TRUE(server.Zahtjevi().isEmpty());
}

TEST_F(Snimanje, InternetFetchFailureStopsWithoutMessagesOfItsOwn) {
    Ponudi(0, "Prvi21.exe", "prvi");
    Ponudi(1, "Drugi21.exe", "drugi");
    server.PostaviKvar("Prvi21.7z", Kvar::Status404);

    EXPECT_FALSE(SnimitiSaInterneta(o.k));

    EXPECT_EQ(Log(Internet).last(), "Početak skidanja Prvi21.7z");
    EXPECT_EQ(o.stanje.PorukeGrešaka, "");
    EXPECT_EQ(o.mreža.stanja, Stanja({{"Prvi21.exe", 1}}));
    EXPECT_EQ(server.Zahtjevi().size(), 1);
    EXPECT_TRUE(o.status.vidljiv);
    EXPECT_EQ(o.status.prikazaPoruka, 0);
}

// A transport that claims success without storing anything.
class PraznoPreuzimanje : public IPreuzimanje {
public:
    bool DownloadDatoteke(const QString&, const QString&) override { return true; }
};

TEST_F(Snimanje, InternetArchiveMissingAfterTheFetch) {
    PraznoPreuzimanje prazno;
    o.k.preuzimanje = &prazno;
    Ponudi(0, "Program21.exe", "program");
    EXPECT_FALSE(SnimitiSaInterneta(o.k));
    OčekujPrekid(Internet,
                 "Nije nađena 7z datoteka: " + upd() +
                     "Program21.7z pa je nije moguće instalirati. Prekida se ažuriranje!",
                 false);
}

TEST_F(Snimanje, ArchiveSizeMismatchStopsBeforeUnpackingAndBeforeTheNextRow) {
    Ponudi(0, "Prvi21.exe", "prvi");
    Ponudi(1, "Drugi21.exe", "drugi");
    const QString veličina = Veličina(lok() + "Prvi21.7z");
    o.stanje.NoveVerzije.postavi(0, VeličinaDownload, QString::number(veličina.toInt() + 1));

    EXPECT_FALSE(SnimitiSaInterneta(o.k));

    OčekujPrekid(Internet,
                 "Veličina presnimljene datoteke Prvi21.7z je " + veličina +
                     ", a veličina originalne datoteke je " + QString::number(veličina.toInt() + 1) +
                     " i one nisu iste. Moguća greška u prijenosu datoteke. Ponovite postupak. "
                     "Prekida se ažuriranje!",
                 true);
    EXPECT_FALSE(QFile::exists(upd() + "Prvi21.exe"));
    EXPECT_EQ(server.Zahtjevi().size(), 1);
    EXPECT_EQ(o.mreža.stanja, Stanja({{"Prvi21.exe", 1}}));
}

TEST_F(Snimanje, AnnouncedSizeThatIsNotANumberCountsAsZero) {
    Ponudi(0, "Pomoć.chm", "pomoć");
    o.stanje.NoveVerzije.postavi(0, VeličinaDownload, QString("nepoznato"));
    EXPECT_FALSE(SnimitiSaMrežneLokacije(o.k));
    OčekujPrekid(
        Mreža,
        "Veličina presnimljene datoteke Pomoć.7z je 6, a veličina originalne datoteke je nepoznato"
        " i one nisu iste. Moguća greška u prijenosu datoteke. Ponovite postupak. Prekida se ažuriranje!",
        true);
}

TEST_F(Snimanje, UnpackingFailureShowsTheExtractorsError) {
    QFile::remove(o.dir() + "7za");
    Ponudi(0, "Program21.exe", "program");
    EXPECT_FALSE(SnimitiSaInterneta(o.k));
    ASSERT_EQ(o.poruke.upiti.size(), 1);
    EXPECT_TRUE(o.stanje.ZadnjaPoruka.startsWith("UNZIP: " + upd() + "Program21.7z"));
    EXPECT_EQ(o.poruke.upiti[0].tekst,
              "Desila se greška: " + o.stanje.ZadnjaPoruka + " Prekida se ažuriranje!");
    EXPECT_EQ(o.mreža.stanja, Stanja({{"Program21.exe", 1}, {"Program21.exe", 2}}));
}

TEST_F(Snimanje, UnpackedFileMissingAfterItsTwoWaits) {
    Ponudi(0, "Program21.exe", "program");
    Spakiraj(lok() + "Program21.7z", "Nešto drugo.exe", "drugo");
    o.stanje.NoveVerzije.postavi(0, VeličinaDownload, Veličina(lok() + "Program21.7z"));

    EXPECT_FALSE(SnimitiSaInterneta(o.k));

    OčekujPrekid(Internet,
                 "Nije nađena datoteka: " + upd() +
                     "Program21.exe, a trebala bi postojati. Prekida se ažuriranje!",
                 false);
    EXPECT_EQ(o.sat.čekanja, QList<int>({0, 5, 5, 5}));
    EXPECT_EQ(Log(Internet).mid(5, 2), QStringList({"Nema fajla, moram čekati 5 s Program21.exe",
                                                    "Nema fajla, moram čekati još 5 s Program21.exe"}));
}

TEST_F(Snimanje, UnpackedFileSizeMismatch) {
    Ponudi(0, "Program21.exe", "program");
    o.stanje.NoveVerzije.postavi(0, StvarnaVeličina, QString("8"));
    EXPECT_FALSE(SnimitiSaInterneta(o.k));
    OčekujPrekid(
        Internet,
        "Veličina presnimljene datoteke Program21.exe je 7, a veličina originalne datoteke je 8 i one "
        "nisu iste. Moguća greška u prijenosu datoteke. Ponovite postupak. Prekida se ažuriranje!",
        true);
}

TEST_F(Snimanje, LateFilesShareFourWaitsPerRun) {
    for (int r = 0; r < 4; ++r)
        PonudiOštećenu(r, QString("Kasni%1.exe").arg(r));
    // Step 16's wait comes first; each later wait lets one more file appear,
    // except that the fourth file would need a second wait of its own.
    int pet = 0;
    o.sat.priČekanju = [&](int s) {
        if (s != 5) return;
        const int čekanje = pet++;
        if (čekanje >= 1 && čekanje <= 3)
            TestOkruženje::Zapiši(upd() + QString("Kasni%1.exe").arg(čekanje - 1), "abc");
        if (čekanje == 5) TestOkruženje::Zapiši(upd() + "Kasni3.exe", "abc");
    };

    EXPECT_FALSE(SnimitiSaInterneta(o.k));

    EXPECT_EQ(pet, 5);
    OčekujPrekid(Internet,
                 "Nije nađena datoteka: " + upd() +
                     "Kasni3.exe, a trebala bi postojati. Prekida se ažuriranje!",
                 false);
    const QStringList log = Log(Internet);
    EXPECT_EQ(log.mid(log.size() - 3, 2), QStringList({"Nema fajla, moram čekati 5 s Kasni3.exe",
                                                       "Nema fajla, moram čekati još 5 s Kasni3.exe"}));
}

TEST_F(Snimanje, NetworkCopiesOverLeftoversVerifiesUnpacksAndTakesTheList) {
    Ponudi(0, "Program21.exe", "program");
    Ponudi(1, "Pomoć za rad.chm", "pomoć");
    TestOkruženje::Zapiši(lok() + "Verzije.txt", "Program21.exe;21;0;1;1;1;\r\n");
    TestOkruženje::Zapiši(upd() + "Program21.7z", "ostatak prošlog pokušaja koji je dulji");

    ASSERT_TRUE(SnimitiSaMrežneLokacije(o.k));

    EXPECT_EQ(TestOkruženje::Pročitaj(upd() + "Program21.exe"), "program");
    EXPECT_EQ(TestOkruženje::Pročitaj(upd() + "Pomoć za rad.chm"), "pomoć");
    EXPECT_EQ(TestOkruženje::Pročitaj(upd() + "Verzije.txt"), "Program21.exe;21;0;1;1;1;\r\n");
    EXPECT_TRUE(server.Zahtjevi().isEmpty());
    EXPECT_EQ(
        o.mreža.stanja,
        Stanja(
            {{"Program21.exe", 4}, {"Program21.exe", 2}, {"Pomoć za rad.chm", 4}, {"Pomoć za rad.chm", 2}}));
    EXPECT_EQ(o.sat.čekanja, QList<int>({0, 5}));
    EXPECT_EQ(o.stanje.PorukeAkcija, CRLF + "Kopirano Program21.7z" + CRLF + "UNZIP: " + upd() +
                                         "Program21.7z" + CRLF + "Kopirano Pomoć za rad.7z" + CRLF +
                                         "Kopirano Verzije.txt");
    EXPECT_EQ(o.status.txtPor, o.stanje.PorukeAkcija);
    EXPECT_TRUE(o.status.akcije.contains("Kopiranje datoteke: Pomoć za rad.7z"));
    EXPECT_EQ(o.status.akcija, "");
    EXPECT_FALSE(o.status.vidljiv);
    const QStringList log = Log(Mreža);
    EXPECT_EQ(log.mid(0, 3), QStringList({"Početak", "Početak kopiranja Program21.7z",
                                          OK("Program21.7z", upd() + "Program21.7z")}));
    EXPECT_EQ(log.last(), OK("Pomoć za rad.chm", upd() + "Pomoć za rad.chm"));
}

TEST_F(Snimanje, NetworkLocationWithoutSeparatorFindsNoArchive) {
    Ponudi(0, "Program21.exe", "program");
    o.izvor.lokacije[0] = izvor.path();
    EXPECT_FALSE(SnimitiSaMrežneLokacije(o.k));
    OčekujPrekid(Mreža,
                 "Nije nađena 7z datoteka: " + izvor.path() +
                     "Program21.7z pa je nije moguće instalirati. Prekida se ažuriranje!",
                 false);
    EXPECT_EQ(o.mreža.stanja, Stanja({{"Program21.exe", 4}}));
}

TEST_F(Snimanje, NetworkMissingArchiveKeepsEarlierRowsUnpacked) {
    Ponudi(0, "Prvi21.exe", "prvi");
    Ponudi(1, "Drugi21.exe", "drugi");
    QFile::remove(lok() + "Drugi21.7z");
    EXPECT_FALSE(SnimitiSaMrežneLokacije(o.k));
    EXPECT_EQ(TestOkruženje::Pročitaj(upd() + "Prvi21.exe"), "prvi");
    EXPECT_EQ(o.mreža.stanja, Stanja({{"Prvi21.exe", 4}, {"Prvi21.exe", 2}, {"Drugi21.exe", 4}}));
    EXPECT_EQ(o.stanje.ZadnjaPoruka, "Nije nađena 7z datoteka: " + lok() +
                                         "Drugi21.7z pa je nije moguće instalirati. Prekida se ažuriranje!");
}

TEST_F(Snimanje, NetworkArchiveThatCannotBeCopied) {
    Ponudi(0, "Program21.exe", "program");
    QDir().mkpath(upd() + "Program21.7z");
    EXPECT_FALSE(SnimitiSaMrežneLokacije(o.k));
    OčekujPrekid(Mreža, "Greška u kopiranju Program21.7z. Prekida se ažuriranje!", true);
}

TEST_F(Snimanje, NetworkWaitsTwiceMoreForEmptyFilesOutsideTheBudget) {
    Ponudi(0, "Prazna.chm", "");
    Ponudi(1, "Kasni.chm", "");
    o.stanje.NoveVerzije.postavi(1, StvarnaVeličina, QString("3"));
    TestOkruženje::Zapiši(lok() + "Verzije.txt", "");
    int čekanja = 0;
    o.sat.priČekanju = [&](int) {
        if (++čekanja == 3) TestOkruženje::Zapiši(upd() + "Kasni.chm", "abc");
    };

    ASSERT_TRUE(SnimitiSaMrežneLokacije(o.k));
    EXPECT_EQ(o.sat.čekanja, QList<int>({5, 5, 5, 5}));
    EXPECT_FALSE(Log(Mreža).join('\n').contains("Nema fajla"));

    // Still empty after both waits while a size is announced: a mismatch.
    TestOkruženje::Zapiši(lok() + "Kasni.7z", "");
    o.sat.priČekanju = nullptr;
    EXPECT_FALSE(SnimitiSaMrežneLokacije(o.k));
    EXPECT_EQ(o.stanje.ZadnjaPoruka,
              "Veličina presnimljene datoteke Kasni.chm je 0, a veličina originalne datoteke je 3 i one nisu "
              "iste. Moguća greška u prijenosu datoteke. Ponovite postupak. Prekida se ažuriranje!");
}

TEST_F(Snimanje, NetworkFileThatVanishesWhileWaitingCannotBeMeasured) {
    Ponudi(0, "Prazna.chm", "");
    o.sat.priČekanju = [&](int) { QFile::remove(upd() + "Prazna.chm"); };
    EXPECT_FALSE(SnimitiSaMrežneLokacije(o.k));
    OčekujPrekid(Mreža, "Greška u provjeri veličine datoteke Prazna.chm. Prekida se ažuriranje!", true);
}

TEST_F(Snimanje, NetworkListThatCannotBeCopiedFailsAfterEverythingIsChecked) {
    Ponudi(0, "Program21.exe", "program");
    EXPECT_FALSE(SnimitiSaMrežneLokacije(o.k));
    EXPECT_EQ(TestOkruženje::Pročitaj(upd() + "Program21.exe"), "program");
    EXPECT_EQ(Log(Mreža).at(Log(Mreža).size() - 2), OK("Program21.exe", upd() + "Program21.exe"));
    OčekujPrekid(Mreža, "Greška u kopiranju Verzije.txt. Prekida se ažuriranje!", true);
}

} // namespace
