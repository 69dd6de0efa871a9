#include "Okruzenje.h"
#include "versions/KontrolnaDatoteka.h"

#include <QDir>

#include <gtest/gtest.h>

namespace morvela::test {

// The fixture stands in for the download server: it serves one directory unless it is out of reach.
// The same directory serves as the network location.
struct Kontrolna : ::testing::Test, IPreuzimanje {
    TestOkruženje t;
    const QString server = t.vanjski("server") + Separator();
    QStringList zahtjevi;
    bool nedostupan = false;
    Kontrolna() {
        t.k.preuzimanje = this;
        t.ZapišiListu(t.dir() + "Verzije.txt", {"A.exe;1;1;1;5;9;"});
        t.ZapišiListu(server + "Verzije.txt", {"A.exe;1;1;2;5;9;"});
        t.Zapiši(server + "TeamViewerQS.exe", "tv");
    }
    bool DownloadDatoteke(const QString& ime, const QString& cilj) override {
        zahtjevi << ime;
        QFile::remove(cilj + ime);
        return !nedostupan && QFile::copy(server + ime, cilj + ime);
    }
};

TEST_F(Kontrolna, FromTheInternetOrTheNetworkLocation) {
    nedostupan = true;
    EXPECT_FALSE(PripremiVerzijaTXT(t.k));
    EXPECT_EQ(t.poruke.tekstovi(),
              QStringList("Nije moguće učitati kontrolnu datoteku sa interneta! Provjerite vezu "
                          "sa internetom i pokušajte ponovno! Prekida se ažuriranje!"));
    EXPECT_EQ(t.LogPoruke(),
              QStringList({"Download na lokaciju- Nije moguće učitati TeamViewerQS.exe sa interneta! "
                           "Provjerite vezu sa internetom i pokušajte ponovno!",
                           "PripremiVerzijaTXT- " + t.poruke.tekstovi().value(0)}));
    nedostupan = false;
    QDir(t.updateDir()).removeRecursively(); // a first run on this workstation creates it
    EXPECT_TRUE(PripremiVerzijaTXT(t.k));
    EXPECT_TRUE(PripremiVerzijaTXT(t.k));
    EXPECT_TRUE(t.mreža.ažuriranjeOmogućeno);
    EXPECT_EQ(t.mreža.redovi.size(), 1);

    t.izvor.odabrana = MrežnaLokacija;
    t.izvor.lokacije[0] = t.vanjski("nema") + Separator();
    EXPECT_FALSE(PripremiVerzijaTXT(t.k));
    EXPECT_EQ(t.poruke.tekstovi().mid(1), QStringList("Ne postoji kontrolna datoteka na mrežnoj lokaciji: " +
                                                      t.izvor.lokacije[0] + " Prekida se ažuriranje!"));
    EXPECT_EQ(t.LogPoruke().last(), "PripremiVerzijaTXT-  " + t.poruke.tekstovi().value(1));
    // No earlier list in the update directory: the failed deletion is only logged.
    t.izvor.lokacije[0] = server;
    const QString lista = t.updateDir() + "Verzije.txt";
    QFile::remove(lista);
    EXPECT_TRUE(PripremiVerzijaTXT(t.k));
    EXPECT_TRUE(t.LogPoruke().contains("KI-PripremiVerzijaTXT- Greška u brisanju datoteke " + lista));
    EXPECT_EQ(t.mreža.redovi.size(), 1);
    EXPECT_EQ(zahtjevi.size(), 5); // TeamViewer only while it was missing

    t.Zapiši(server + "Verzije.txt", "bez točke-zareza\r\n");
    EXPECT_FALSE(PripremiVerzijaTXT(t.k));
    EXPECT_FALSE(t.mreža.ažuriranjeOmogućeno); // a plan that fails disables the update command
}

} // namespace morvela::test
