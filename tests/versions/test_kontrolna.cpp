#include "Okruzenje.h"
#include "versions/KontrolnaDatoteka.h"

#include <QDir>
#include <QSet>

#include <gtest/gtest.h>

using namespace morvela;
using namespace morvela::test;

namespace {

// Serves files from a directory standing in for the download server.
class TestniPosluzitelj : public IPreuzimanje {
public:
    explicit TestniPosluzitelj(QString dir) : dir(std::move(dir)) {}
    bool DownloadDatoteke(const QString& ime, const QString& cilj) override {
        zahtjevi << ime;
        if (nedostupne.contains(ime)) return false;
        if (bezDatoteke.contains(ime)) return true;
        QFile::remove(cilj + ime);
        return QFile::copy(dir + ime, cilj + ime);
    }
    QString dir;
    QStringList zahtjevi;
    QSet<QString> nedostupne, bezDatoteke;
};

const QString Lista = QStringLiteral("Prog21.exe;21;4;3;512;900;");
const QString NoviRed = QStringLiteral("Prog21.exe;21;4;4;512;900;");

class Kontrolna : public ::testing::Test {
protected:
    Kontrolna() : server(t.vanjski("server") + Separator()) {
        t.k.preuzimanje = &server;
        TestOkruženje::ZapišiListu(t.dir() + "Verzije.txt", {Lista});
        TestOkruženje::Zapiši(t.dir() + "Prog21.exe", "x");
        TestOkruženje::ZapišiListu(server.dir + "Verzije.txt", {NoviRed});
        TestOkruženje::Zapiši(server.dir + "TeamViewerQS.exe", "tv");
        mreža = t.vanjski("mreza") + Separator();
        t.izvor.lokacije[0] = mreža;
    }
    QString Log(int odKraja = 1) const { return t.LogPoruke().value(t.LogPoruke().size() - odKraja); }

    TestOkruženje t;
    TestniPosluzitelj server;
    QString mreža;
};

TEST_F(Kontrolna, InternetSourceFetchesListAndTeamViewerThenPlans) {
    QDir(t.updateDir()).removeRecursively();
    qunsetenv("WinDir");

    EXPECT_TRUE(PripremiVerzijaTXT(t.k));

    EXPECT_EQ(server.zahtjevi, (QStringList{"TeamViewerQS.exe", "Verzije.txt"}));
    EXPECT_EQ(TestOkruženje::Pročitaj(t.dir() + "TeamViewerQS.exe"), "tv");
    EXPECT_TRUE(t.mreža.ažuriranjeOmogućeno);
    ASSERT_EQ(t.mreža.redovi.size(), 1);
    EXPECT_EQ(t.mreža.redovi[0].verRev, "4");
    EXPECT_TRUE(t.poruke.upiti.isEmpty());
    const QString sep = Separator();
    EXPECT_EQ(t.stanje.UpdateDirektorija, t.dir() + "Update" + sep);
    EXPECT_EQ(t.stanje.BackupDirektorija, t.dir() + "UpdateBackup" + sep);
    EXPECT_EQ(t.stanje.SkripteDirektorija, t.dir() + "Skrite za izmjenu baze" + sep);
    EXPECT_EQ(t.stanje.HelpDirektorija, t.dir() + "Help" + sep);

    // Second check: TeamViewer is there now, and a Windows directory decides the help directory.
    qputenv("WinDir", QDir::toNativeSeparators(t.vanjski("Windows")).toLocal8Bit());
    server.zahtjevi.clear();
    EXPECT_TRUE(PripremiVerzijaTXT(t.k));
    qunsetenv("WinDir");
    EXPECT_EQ(server.zahtjevi, QStringList{"Verzije.txt"});
    EXPECT_EQ(t.stanje.HelpDirektorija, t.vanjski("Windows") + sep + "Help" + sep);
}

TEST_F(Kontrolna, InternetFailuresAreLoggedAndShown) {
    t.mreža.ažuriranjeOmogućeno = true;
    server.nedostupne = {"TeamViewerQS.exe", "Verzije.txt"};
    EXPECT_FALSE(PripremiVerzijaTXT(t.k));
    const QString tv = "Nije moguće učitati TeamViewerQS.exe sa interneta! Provjerite vezu sa internetom i "
                       "pokušajte ponovno!";
    const QString lista =
        "Nije moguće učitati kontrolnu datoteku sa interneta! Provjerite vezu sa internetom i "
        "pokušajte ponovno! Prekida se ažuriranje!";
    EXPECT_EQ(Log(2), "Download na lokaciju- " + tv);
    EXPECT_EQ(Log(), "PripremiVerzijaTXT- " + lista);
    ASSERT_EQ(t.poruke.upiti.size(), 1);
    EXPECT_EQ(t.poruke.upiti[0].tekst, lista);
    EXPECT_EQ(t.poruke.upiti[0].ikona, Ikona::Usklicnik);
    EXPECT_EQ(t.stanje.ZadnjaPoruka, lista);
    EXPECT_TRUE(t.mreža.ažuriranjeOmogućeno); // stopping before the plan leaves the button alone
    EXPECT_EQ(t.mreža.prikaza, 0);

    // The fetch claims success but leaves nothing behind.
    server.nedostupne.clear();
    server.bezDatoteke = {"TeamViewerQS.exe", "Verzije.txt"};
    QFile::remove(t.updateDir() + "Verzije.txt");
    t.poruke.upiti.clear();
    EXPECT_FALSE(PripremiVerzijaTXT(t.k));
    EXPECT_EQ(Log(2),
              "Download na lokaciju- Učitao sa interneta TeamViewerQS.exe, ali one ne postoje u " + t.dir());
    EXPECT_EQ(Log(),
              "PripremiVerzijaTXT- Učitao sa interneta Verzije.txt ali one ne postoje u " + t.updateDir());
    ASSERT_EQ(t.poruke.upiti.size(), 1);
    EXPECT_EQ(t.poruke.upiti[0].tekst, "Podaci o novim verzijama na postoje na lokaciji: " + t.updateDir());
    EXPECT_EQ(t.poruke.upiti[0].ikona, Ikona::Nema);
}

TEST_F(Kontrolna, InstalledListMustExistAndBeReadable) {
    QFile::remove(t.dir() + "Verzije.txt");
    EXPECT_FALSE(PripremiVerzijaTXT(t.k));
    const QString nema =
        "Ne postoji datoteka " + t.dir() +
        "Verzije.txt Program za automatsko ažuriranje novih programa mora prestati sa ažuriranjem. "
        "Molimo da o ovoj poruci izvjestite Morvela tim za podršku.";
    EXPECT_EQ(t.poruke.tekstovi(), QStringList{nema});
    EXPECT_EQ(Log(), "PripremiVerzijaTXT- " + nema);

    TestOkruženje::Zapiši(t.dir() + "Verzije.txt", "a;b\r\n");
    t.poruke.upiti.clear();
    EXPECT_FALSE(PripremiVerzijaTXT(t.k));
    const QString loša =
        "PripremiVerzijaTXT - Desila se greška u čitanju zapisa u matricu. Prekida se ažuriranje!";
    EXPECT_EQ(t.poruke.tekstovi(), QStringList{loša});
    EXPECT_EQ(Log(), "PripremiVerzijaTXT- " + loša);
    EXPECT_TRUE(server.zahtjevi.isEmpty());
}

TEST_F(Kontrolna, NetworkSourceCopiesListAndTeamViewer) {
    t.izvor.odabrana = MrežnaLokacija;
    TestOkruženje::ZapišiListu(mreža + "Verzije.txt", {NoviRed});
    TestOkruženje::Zapiši(mreža + "TeamViewerQS.exe", "mreža-tv");

    // No earlier list in the update directory: the failed deletion is only logged.
    EXPECT_TRUE(PripremiVerzijaTXT(t.k));
    EXPECT_TRUE(t.LogPoruke().contains("KI-PripremiVerzijaTXT- Greška u brisanju datoteke " + t.updateDir() +
                                       "Verzije.txt"));
    EXPECT_EQ(t.stanje.ZadnjaPoruka, "Greška u brisanju datoteke " + t.updateDir() + "Verzije.txt");
    EXPECT_EQ(TestOkruženje::Pročitaj(t.dir() + "TeamViewerQS.exe"), "mreža-tv");
    EXPECT_EQ(t.mreža.redovi.size(), 1);
    EXPECT_TRUE(server.zahtjevi.isEmpty());

    // An earlier list is replaced, and an existing TeamViewer is kept.
    TestOkruženje::Zapiši(t.dir() + "TeamViewerQS.exe", "lokalni");
    TestOkruženje::ZapišiListu(mreža + "Verzije.txt", {Lista});
    const int linija = t.LogPoruke().size();
    EXPECT_TRUE(PripremiVerzijaTXT(t.k));
    EXPECT_FALSE(t.LogPoruke().mid(linija).join('\n').contains("KI-"));
    EXPECT_EQ(TestOkruženje::Pročitaj(t.dir() + "TeamViewerQS.exe"), "lokalni");
    EXPECT_TRUE(t.mreža.redovi.isEmpty());
}

TEST_F(Kontrolna, NetworkSourceFailures) {
    t.izvor.odabrana = MrežnaLokacija;
    EXPECT_FALSE(PripremiVerzijaTXT(t.k));
    const QString nema =
        "Ne postoji kontrolna datoteka na mrežnoj lokaciji: " + mreža + " Prekida se ažuriranje!";
    EXPECT_EQ(t.poruke.tekstovi(), QStringList{nema});
    EXPECT_EQ(Log(), "PripremiVerzijaTXT-  " + nema);

    // A directory where the list should go can neither be deleted nor overwritten.
    TestOkruženje::ZapišiListu(mreža + "Verzije.txt", {NoviRed});
    QDir().mkpath(t.updateDir() + "Verzije.txt");
    t.poruke.upiti.clear();
    EXPECT_FALSE(PripremiVerzijaTXT(t.k));
    const QString kopija =
        "Nije moguće učitati kontrolnu datoteku sa mrežne lokacije! Provjerite i pokušajte "
        "ponovno! Prekida se ažuriranje!";
    EXPECT_EQ(t.poruke.tekstovi(), QStringList{kopija});
    EXPECT_EQ(Log(), "PripremiVerzijaTXT- " + kopija);
    EXPECT_EQ(Log(2), "KI-PripremiVerzijaTXT- Greška u brisanju datoteke " + t.updateDir() + "Verzije.txt");
}

TEST_F(Kontrolna, FailedPlanDisablesUpdate) {
    t.mreža.ažuriranjeOmogućeno = true;
    TestOkruženje::Zapiši(server.dir + "Verzije.txt", "bez točke-zareza\r\n");
    EXPECT_FALSE(PripremiVerzijaTXT(t.k));
    EXPECT_FALSE(t.mreža.ažuriranjeOmogućeno);
}

TEST_F(Kontrolna, DeveloperComputerUsesFixedPaths) {
    t.imena.računalo = RazvojnoRačunalo;
    // The fixed path is relative off Windows; keep anything it might create inside the test's directory.
    const QString prije = QDir::currentPath();
    QDir::setCurrent(t.korijen.path());
    EXPECT_FALSE(PripremiVerzijaTXT(t.k));
    QDir::setCurrent(prije);

    const QString fiksna = QDir::toNativeSeparators("D:/Morvela software/Morvela knjigovodstvo V21/");
    EXPECT_EQ(t.stanje.ProgramskaDirektorija, fiksna);
    EXPECT_EQ(t.stanje.UpdateDirektorija, fiksna + "Update" + Separator());
    // Off Windows that directory's parent does not exist, so the update directory cannot be made.
    EXPECT_EQ(t.poruke.tekstovi(),
              QStringList{"Nastala je greška u kreiranju Update direktorije!\r\n"
                          "Program za automatsko ažuriranje novih programa mora prestati sa radom.\r\n"
                          "Vjerojatno nemate administratorska prava ili je UAC uključen."});
    EXPECT_TRUE(t.LogPoruke().isEmpty());
}

} // namespace
