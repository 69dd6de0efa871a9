#include "Instalacija.h"
#include "install/UpdateCommand.h"
#include "install/UpdatePrograma.h"
#include "versions/KontrolnaDatoteka.h"
#include "versions/PravilaVerzija.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>

#include <cerrno>

using namespace morvela;
using namespace morvela::test;

namespace {

const QString NovaLista = "A.exe;21;2;0;10;20;\r\n";

class Instaliranje : public Instalacija {
protected:
    Instaliranje() {
        // The final check reads the update set from a network location.
        o.izvor.odabrana = MrežnaLokacija;
        o.izvor.lokacije[0] = SaSeparatorom(o.vanjski("Mreža"));
        TestOkruženje::Zapiši(lok() + "Verzije.txt", NovaLista.toUtf8());
        TestOkruženje::Zapiši(upd() + "Verzije.txt", NovaLista.toUtf8());
        TestOkruženje::Zapiši(prog() + "Verzije.txt", "stara lista");
    }
    QString lok() const { return o.izvor.lokacije[0]; }
    void Planiraj(int red, const QString& ime, qint16 oznaka = 1) {
        o.stanje.NoveVerzije.postavi(red, Ime, ime);
        o.stanje.NoveVerzije.postavi(red, TrebaInstalirati, oznaka);
    }
    void StaraINova(const QString& dir, const QString& ime) {
        TestOkruženje::Zapiši(dir + ime, "stara");
        TestOkruženje::Zapiši(upd() + ime, "nova");
    }
    QList<QPair<QString, int>> Stanja(std::initializer_list<QPair<QString, int>> s) { return s; }
};

TEST_F(Instaliranje, CompletedRunInstallsPlannedRowsSwapsTheListAndCleansUp) {
    StaraINova(prog(), "A.exe");
    TestOkruženje::Zapiši(upd() + "B.dll", "nova");
    TestOkruženje::Zapiši(upd() + "C.enc", "nova");
    StaraINova(hlp(), "D.chm");
    TestOkruženje::Zapiši(upd() + "Ostalo.txt", "ostaje");
    TestOkruženje::Zapiši(bak() + "Smeće.exe", "od prije");
    Planiraj(0, "A.exe");
    Planiraj(1, "");
    Planiraj(2, "B.dll");
    Planiraj(3, "Z.exe", 0); // not planned, and nowhere to be found
    Planiraj(5, "C.enc");
    Planiraj(9, "D.chm");
    // The help window is open at first and closed before the second check.
    prozori.otvoreni = {"Morvela Pomoć"};
    prozori.zatvoriNakon = 34;
    o.poruke.odgovori = {Odgovor::Da};

    EXPECT_TRUE(UpdatePrograma(o.k));

    EXPECT_EQ(Sadržaj(prog() + "A.exe"), "nova");
    EXPECT_EQ(Sadržaj(prog() + "B.dll"), "nova");
    EXPECT_EQ(Sadržaj(skr() + "C.enc"), "nova");
    EXPECT_EQ(Sadržaj(hlp() + "D.chm"), "nova");
    EXPECT_EQ(Sadržaj(prog() + "Verzije.txt"), NovaLista.toUtf8());
    EXPECT_EQ(QDir(upd()).entryList(QDir::Files), (QStringList{"Ostalo.txt", "Update.log", "Verzije.txt"}));
    EXPECT_FALSE(QFileInfo::exists(bak()));
    EXPECT_EQ(o.mreža.stanja.mid(0, 8), Stanja({{"A.exe", 5},
                                                {"A.exe", 3},
                                                {"B.dll", 5},
                                                {"B.dll", 3},
                                                {"C.enc", 5},
                                                {"C.enc", 3},
                                                {"D.chm", 5},
                                                {"D.chm", 3}}));
    EXPECT_EQ(o.status.obrada, 4);
    // The plan was built again from the installed list.
    EXPECT_EQ(o.mreža.prikaza, 1);

    ASSERT_FALSE(o.poruke.upiti.isEmpty());
    EXPECT_EQ(
        o.poruke.upiti[0].tekst,
        "Postoje pokrenuti programi:\r\nMorvela Pomoć\r\n\r\nDa bi nastavili sa daljom instalacijom moraju "
        "se zatvoriti svi otvoreni programi!\r\nZa nastavak rada (i ponovnu provjeru) pritisnite Da (Yes), "
        "za "
        "prekid instalacije pritisnuti Ne (No) ?");
    const QStringList log = o.LogPoruke();
    EXPECT_EQ(log.mid(0, 3), (QStringList{"UpdatePrograma- početak",
                                          "UpdatePrograma- Postoje startovani programi Morvela Pomoć",
                                          "UpdatePrograma - Početak"}));
    const auto od = log.indexOf("UpdatePrograma - Backup Verzije.txt");
    ASSERT_GE(od, 0);
    EXPECT_EQ(
        log.mid(od, 10),
        (QStringList{"UpdatePrograma - Backup Verzije.txt", "UpdatePrograma - Kopiranje Verzije.txt",
                     "UpdatePrograma - Brisanje fajlova *.7z",
                     "UpdatePrograma - Greška u brisanju fajlova *.7z - " + Opis(ENOENT),
                     "UpdatePrograma - Brisanje fajlova *.exe", "UpdatePrograma - Brisanje fajlova *.enc",
                     "UpdatePrograma - Brisanje fajlova *.chm", "UpdatePrograma - Brisanje fajlova *.dll",
                     "UpdatePrograma - Brisanje direktorije " + bak(), "UpdatePrograma - Kraj",
                     "PripremiVerzijaTXT- početak"})
            .mid(0, 10));
}

TEST_F(Instaliranje, FailureOfTheThirdOfFiveRestoresTheFirstAndLeavesTheRest) {
    for (const QString ime : {"P1.exe", "P3.exe", "P4.exe", "P5.exe"})
        StaraINova(prog(), ime);
    TestOkruženje::Zapiši(upd() + "P2.exe", "nova"); // no old version
    for (int i = 1; i <= 5; ++i)
        Planiraj(i * 2, QString("P%1.exe").arg(i));
    datoteke.Pokvari("Kopiraj", prog() + "P3.exe", ENOSPC, 1);

    EXPECT_FALSE(UpdatePrograma(o.k));

    for (const QString ime : {"P1.exe", "P3.exe", "P4.exe", "P5.exe"})
        EXPECT_EQ(Sadržaj(prog() + ime), "stara") << ime.toStdString();
    EXPECT_EQ(Sadržaj(prog() + "P2.exe"), "nova");
    EXPECT_EQ(QDir(bak()).entryList(QDir::Files), (QStringList{"P1.exe", "P3.exe"}));
    EXPECT_EQ(o.mreža.stanja,
              Stanja({{"P1.exe", 5}, {"P1.exe", 3}, {"P2.exe", 5}, {"P2.exe", 3}, {"P3.exe", 5}}));
    EXPECT_EQ(Sadržaj(prog() + "Verzije.txt"), "stara lista");
    EXPECT_EQ(Sadržaj(upd() + "P4.exe"), "nova");
    EXPECT_EQ(o.LogPoruke().last(), "PokušajVratitiSveNaPočetak - Kraj");
}

TEST_F(Instaliranje, UserWhoGivesUpIsAskedTwiceEachTime) {
    StaraINova(prog(), "A.exe");
    Planiraj(0, "A.exe");
    prozori.otvoreni = {"Morvela URA 21", "Morvela Plaće 21"};
    // Check again; give up? no; give up? yes.
    o.poruke.odgovori = {Odgovor::Da, Odgovor::Ne, Odgovor::Ne, Odgovor::Ne, Odgovor::Da};

    EXPECT_FALSE(UpdatePrograma(o.k));

    const QString popis = "Morvela Plaće 21\r\nKnjiga ulaznih računa\r\n";
    ASSERT_EQ(o.poruke.upiti.size(), 5);
    EXPECT_TRUE(o.poruke.upiti[0].tekst.startsWith("Postoje pokrenuti programi:\r\n" + popis + "\r\n"));
    EXPECT_EQ(
        o.poruke.upiti[2].tekst,
        "Ukoliko prekinete sa ažuriranjem novih verzija, izgubiće se svi novi učitani programi, pa će se to "
        "morati ponoviti.\r\nŽelite li zaista prekinuti sa ažuriranjem programa sa novim verzijama?");
    EXPECT_EQ(o.poruke.upiti[2].gumbi, Gumbi::DaNe);
    EXPECT_EQ(Log().count(" UpdatePrograma- Postoje startovani programi " + popis + "\r\n"), 3);
    EXPECT_EQ(o.LogPoruke().last(), "UpdatePrograma- Korisnik odustaje");
    EXPECT_FALSE(QFileInfo::exists(bak()));
    EXPECT_EQ(Sadržaj(prog() + "A.exe"), "stara");
}

TEST_F(Instaliranje, DeveloperComputerIsRefusedAfterTheBackupIsEmptied) {
    StaraINova(prog(), "A.exe");
    Planiraj(0, "A.exe");
    TestOkruženje::Zapiši(bak() + "Smeće.exe", "od prije");
    o.imena.računalo = RazvojnoRačunalo;

    EXPECT_FALSE(UpdatePrograma(o.k));

    ASSERT_EQ(o.poruke.upiti.size(), 1);
    EXPECT_EQ(o.poruke.upiti[0].tekst, "Ime računala je MORVELA-RAZVOJ te nije moguće nastaviti sa radom!");
    EXPECT_EQ(o.poruke.upiti[0].ikona, Ikona::Usklicnik);
    EXPECT_EQ(o.LogPoruke(), QStringList{"UpdatePrograma- početak"});
    EXPECT_TRUE(QDir(bak()).exists());
    EXPECT_TRUE(QDir(bak()).isEmpty());
    EXPECT_EQ(Sadržaj(prog() + "A.exe"), "stara");
}

TEST_F(Instaliranje, BackupDirectoryThatCannotBeCreatedEndsTheProgram) {
    Planiraj(0, "A.exe");
    datoteke.Pokvari("KreirajDirektorij", bak(), EACCES);

    EXPECT_FALSE(UpdatePrograma(o.k));

    EXPECT_EQ(o.završetaka, 1);
    ASSERT_EQ(o.poruke.upiti.size(), 1);
    const QString poruka =
        "Nastala je greška u kreiranju UpdateBackup direktorije! Program za ažuriranje novih "
        "verzija mora prestati sa radom. Vjerojatno nemate administratorska prava!\r\nGreška: " +
        Opis(EACCES);
    EXPECT_EQ(o.poruke.upiti[0].tekst, poruka);
    EXPECT_TRUE(Log().contains(" UpdatePrograma- " + poruka + "\r\n"));
    EXPECT_TRUE(o.mreža.stanja.isEmpty());
}

// The update button against a network location: real archives, real 7-Zip.
class NaredbaAžuriranja : public Instaliranje {
protected:
    void SetUp() override {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, o.vanjski("postavke"));
        ASSERT_TRUE(QFile::link("/usr/bin/7za", prog() + "7za"));
        const QString novi = o.vanjski("izvor/A.exe");
        TestOkruženje::Zapiši(novi, "nova verzija programa");
        QProcess sedamZ;
        sedamZ.setStandardOutputFile(QProcess::nullDevice());
        sedamZ.start("/usr/bin/7za", {"a", "-t7z", "-bd", "-y", lok() + "A.7z", novi});
        ASSERT_TRUE(sedamZ.waitForFinished());
        ASSERT_EQ(sedamZ.exitCode(), 0);
        const QString veličine =
            QString(";%1;%2;").arg(QFileInfo(lok() + "A.7z").size()).arg(QFileInfo(novi).size());
        TestOkruženje::ZapišiListu(lok() + "Verzije.txt", {"A.exe;21;2;0" + veličine});
        TestOkruženje::ZapišiListu(prog() + "Verzije.txt", {"A.exe;21;1;0" + veličine});
        TestOkruženje::Zapiši(prog() + "A.exe", "stara");
        ASSERT_TRUE(PripremiVerzijaTXT(o.k));
        ASSERT_EQ(o.stanje.NoveVerzije.broj(0, TrebaInstalirati), 1);
        o.poruke.upiti.clear();
    }
    QString Registar() const {
        return o.vanjski("postavke/Seagate Software/Crystal Reports Designer Component.conf");
    }
    QStringList ZadnjeDvije() const { return o.LogPoruke().last(2); }
};

TEST_F(NaredbaAžuriranja, FetchesConfirmsWritesTheReportSettingsAndInstalls) {
    o.poruke.odgovori = {Odgovor::Da};
    cmdDownloadAndUpdate_Click(o.k);

    EXPECT_EQ(Sadržaj(prog() + "A.exe"), "nova verzija programa");
    ASSERT_EQ(o.poruke.upiti.size(), 2);
    EXPECT_EQ(o.poruke.upiti[0].tekst,
              "Svi novi programi su spremni za ažuriranje.\r\nDa bi instalirali nove "
              "programe morate zatvoriti sve otvorene Morvela programe!\r\nŽelite li "
              "izvršiti ažuriranje/instaliranje novih programa?");
    EXPECT_EQ(o.poruke.upiti[1].tekst, "Uspješno instalirani novi programi!");
    EXPECT_EQ(o.poruke.upiti[1].ikona, Ikona::Usklicnik);
    EXPECT_EQ(ZadnjeDvije(), (QStringList{"cmdDownloadAndUpdate_Click Uspješno instalirani novi programi!",
                                          "********************* KRAJ UPDATE"}));
    QSettings registar(Registar(), QSettings::IniFormat);
    EXPECT_EQ(registar.value("Export/BitMapMagnifDenominator").toInt(), 1);
    EXPECT_EQ(registar.value("Export/BitMapMagnifNumerator").toInt(), 12);
    EXPECT_FALSE(o.status.ProgBarVidljiv());
}

TEST_F(NaredbaAžuriranja, AnsweringNoLeavesNoTrace) {
    o.poruke.odgovori = {Odgovor::Ne};
    const QStringList prije = o.LogPoruke();
    cmdDownloadAndUpdate_Click(o.k);

    EXPECT_EQ(Sadržaj(prog() + "A.exe"), "stara");
    EXPECT_TRUE(QFile::exists(upd() + "A.exe"));
    EXPECT_FALSE(QFile::exists(Registar()));
    for (const QString& red : o.LogPoruke().mid(prije.size()))
        EXPECT_FALSE(red.startsWith("cmdDownloadAndUpdate_Click") || red.startsWith("*"))
            << red.toStdString();
}

TEST_F(NaredbaAžuriranja, FailedFetchLogsTwoLinesAndAsksNothing) {
    QFile::remove(lok() + "A.7z");
    cmdDownloadAndUpdate_Click(o.k);

    EXPECT_EQ(ZadnjeDvije(),
              (QStringList{"cmdDownloadAndUpdate_Click Nije uspio snimiti sa interneta/mrežne lokacije",
                           "********************* KRAJ UPDATE"}));
    for (const auto& u : o.poruke.upiti)
        EXPECT_NE(u.ikona, Ikona::Pitanje);
    EXPECT_FALSE(QFile::exists(Registar()));
}

TEST_F(NaredbaAžuriranja, UnwritableReportSettingsAreLoggedAndTheInstallationGoesOn) {
    ASSERT_TRUE(QDir().mkpath(Registar())); // a directory where the settings file belongs
    o.poruke.odgovori = {Odgovor::Da};
    cmdDownloadAndUpdate_Click(o.k);

    const QStringList log = o.LogPoruke();
    const QString put = "cmdDownloadAndUpdate_Click Greška u upisu vrijednosti HKCU\\Software\\Seagate "
                        "Software\\Crystal Reports Designer Component\\Export\\";
    EXPECT_TRUE(log.contains(put + "BitMapMagnifDenominator"));
    EXPECT_TRUE(log.contains(put + "BitMapMagnifNumerator"));
    EXPECT_EQ(Sadržaj(prog() + "A.exe"), "nova verzija programa");
    EXPECT_EQ(ZadnjeDvije().first(), "cmdDownloadAndUpdate_Click Uspješno instalirani novi programi!");
}

} // namespace
