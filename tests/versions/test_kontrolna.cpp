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
    bool DownloadDatoteke(const QString& ime, const QString& cilj) override {
        zahtjevi << ime;
        if (nedostupne.contains(ime)) return false;
        QFile::remove(cilj + ime);
        return bezDatoteke.contains(ime) || QFile::copy(dir + ime, cilj + ime);
    }
    QString dir;
    QStringList zahtjevi;
    QSet<QString> nedostupne, bezDatoteke;
};

class Kontrolna : public ::testing::Test {
protected:
    Kontrolna() {
        server.dir = t.vanjski("server") + Separator();
        mreža = t.izvor.lokacije[0] = t.vanjski("mreza") + Separator();
        t.k.preuzimanje = &server;
        TestOkruženje::ZapišiListu(t.dir() + "Verzije.txt", {"Prog21.exe;21;4;3;512;900;"});
        TestOkruženje::Zapiši(t.dir() + "Prog21.exe", "x");
        TestOkruženje::ZapišiListu(server.dir + "Verzije.txt", {"Prog21.exe;21;4;4;512;900;"});
        TestOkruženje::Zapiši(server.dir + "TeamViewerQS.exe", "tv");
    }
    QString Log(int odKraja = 1) const { return t.LogPoruke().value(t.LogPoruke().size() - odKraja); }
    // The check stopped with one box showing the last message, logged after the prefix.
    void Prekinuto(const QString& logPrefiks, const QString& početak) {
        EXPECT_EQ(t.poruke.tekstovi(), QStringList{t.stanje.ZadnjaPoruka});
        EXPECT_TRUE(t.stanje.ZadnjaPoruka.startsWith(početak)) << t.stanje.ZadnjaPoruka.toStdString();
        EXPECT_EQ(Log(), logPrefiks + t.stanje.ZadnjaPoruka);
        t.poruke.upiti.clear();
    }

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
    EXPECT_EQ(t.mreža.redovi.size(), 1);
    const QString sep = Separator();
    EXPECT_EQ(t.stanje.BackupDirektorija, t.dir() + "UpdateBackup" + sep);
    EXPECT_EQ(t.stanje.SkripteDirektorija, t.dir() + "Skrite za izmjenu baze" + sep);
    EXPECT_EQ(t.stanje.HelpDirektorija, t.dir() + "Help" + sep);

    // TeamViewer is there now; a Windows directory decides where help files live.
    qputenv("WinDir", t.vanjski("Windows").toLocal8Bit());
    server.zahtjevi.clear();
    EXPECT_TRUE(PripremiVerzijaTXT(t.k));
    qunsetenv("WinDir");
    EXPECT_EQ(server.zahtjevi, QStringList{"Verzije.txt"});
    EXPECT_EQ(t.stanje.HelpDirektorija, t.vanjski("Windows") + sep + "Help" + sep);
}

TEST_F(Kontrolna, InternetFailures) {
    t.mreža.ažuriranjeOmogućeno = true;
    server.nedostupne = {"TeamViewerQS.exe", "Verzije.txt"};
    EXPECT_FALSE(PripremiVerzijaTXT(t.k));
    EXPECT_EQ(Log(2),
              "Download na lokaciju- Nije moguće učitati TeamViewerQS.exe sa interneta! Provjerite vezu sa "
              "internetom i pokušajte ponovno!");
    Prekinuto("PripremiVerzijaTXT- ", "Nije moguće učitati kontrolnu datoteku sa interneta! ");
    EXPECT_TRUE(t.mreža.ažuriranjeOmogućeno); // stopping before the plan leaves the button alone

    // The fetch claims success but leaves nothing behind.
    server.nedostupne.clear();
    server.bezDatoteke = {"TeamViewerQS.exe", "Verzije.txt"};
    EXPECT_FALSE(PripremiVerzijaTXT(t.k));
    EXPECT_EQ(Log(2),
              "Download na lokaciju- Učitao sa interneta TeamViewerQS.exe, ali one ne postoje u " + t.dir());
    EXPECT_EQ(Log(),
              "PripremiVerzijaTXT- Učitao sa interneta Verzije.txt ali one ne postoje u " + t.updateDir());
    ASSERT_EQ(t.poruke.upiti.size(), 1);
    EXPECT_EQ(t.poruke.upiti[0].tekst, "Podaci o novim verzijama na postoje na lokaciji: " + t.updateDir());
    EXPECT_EQ(t.poruke.upiti[0].ikona, Ikona::Nema);
}

TEST_F(Kontrolna, InstalledListMustExistAndPlanMustSucceed) {
    QFile::remove(t.dir() + "Verzije.txt");
    EXPECT_FALSE(PripremiVerzijaTXT(t.k));
    Prekinuto("PripremiVerzijaTXT- ", "Ne postoji datoteka " + t.dir() + "Verzije.txt Program za automatsko");
    EXPECT_TRUE(server.zahtjevi.isEmpty());

    t.mreža.ažuriranjeOmogućeno = true;
    TestOkruženje::ZapišiListu(t.dir() + "Verzije.txt", {"Prog21.exe;21;4;3;512;900;"});
    TestOkruženje::Zapiši(server.dir + "Verzije.txt", "bez točke-zareza\r\n");
    EXPECT_FALSE(PripremiVerzijaTXT(t.k));
    EXPECT_FALSE(t.mreža.ažuriranjeOmogućeno);
}

TEST_F(Kontrolna, NetworkSource) {
    t.izvor.odabrana = MrežnaLokacija;
    EXPECT_FALSE(PripremiVerzijaTXT(t.k));
    Prekinuto("PripremiVerzijaTXT-  ",
              "Ne postoji kontrolna datoteka na mrežnoj lokaciji: " + mreža + " Prekida");

    // No earlier list in the update directory: the failed deletion is only logged.
    TestOkruženje::ZapišiListu(mreža + "Verzije.txt", {"Prog21.exe;21;4;4;512;900;"});
    TestOkruženje::Zapiši(mreža + "TeamViewerQS.exe", "mreža-tv");
    const QString lista = t.updateDir() + "Verzije.txt";
    EXPECT_TRUE(PripremiVerzijaTXT(t.k));
    EXPECT_TRUE(t.LogPoruke().contains("KI-PripremiVerzijaTXT- Greška u brisanju datoteke " + lista));
    EXPECT_EQ(TestOkruženje::Pročitaj(t.dir() + "TeamViewerQS.exe"), "mreža-tv");
    EXPECT_EQ(t.mreža.redovi.size(), 1);
    EXPECT_TRUE(server.zahtjevi.isEmpty());

    // A directory in the list's place can be neither deleted nor overwritten.
    QFile::remove(lista);
    QDir().mkpath(lista);
    EXPECT_FALSE(PripremiVerzijaTXT(t.k));
    EXPECT_EQ(Log(2), "KI-PripremiVerzijaTXT- Greška u brisanju datoteke " + lista);
    Prekinuto("PripremiVerzijaTXT- ", "Nije moguće učitati kontrolnu datoteku sa mrežne lokacije!");
}

TEST_F(Kontrolna, DeveloperComputerUsesFixedPaths) {
    t.imena.računalo = RazvojnoRačunalo;
    // Off Windows the fixed path is relative and its parent does not exist, so nothing can be created.
    const QString prije = QDir::currentPath();
    QDir::setCurrent(t.korijen.path());
    EXPECT_FALSE(PripremiVerzijaTXT(t.k));
    QDir::setCurrent(prije);
    const QString fiksna = QDir::toNativeSeparators("D:/Morvela software/Morvela knjigovodstvo V21/");
    EXPECT_EQ(t.stanje.UpdateDirektorija, fiksna + "Update" + Separator());
    EXPECT_EQ(t.poruke.tekstovi(),
              QStringList{"Nastala je greška u kreiranju Update direktorije!\r\n"
                          "Program za automatsko ažuriranje novih programa mora prestati sa "
                          "radom.\r\nVjerojatno nemate administratorska prava ili je UAC uključen."});
    EXPECT_TRUE(t.LogPoruke().isEmpty());
}

} // namespace
