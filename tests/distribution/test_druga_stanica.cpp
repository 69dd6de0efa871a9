#include "Okruzenje.h"
#include "TestServer.h"
#include "distribution/DownloadNaLokaciju.h"
#include "install/UpdateCommand.h"
#include "platform/Procesi.h"
#include "transfer/HttpPreuzimanje.h"
#include "versions/KontrolnaDatoteka.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QSettings>

namespace morvela::test {

// The second workstation starts real processes and has no program of the suite open.
struct RadnaStanica : QtProcesi, IProzori {
    explicit RadnaStanica(Kontekst& k) { k.procesi = this, k.prozori = this; }
    bool NađiProzor(const QString&, const QString&, bool) override { return false; }
};

// One workstation fills the distribution location from the download server over HTTPS; a second
// one updates from there with the real 7-Zip and installs.
TEST(DrugaStanica, UpdatesFromAFilledDistributionLocation) {
    TestOkruženje prva, druga;
    const QString server = prva.vanjski("server/"), L = prva.vanjski("Lokacija/"), pdv = server + "Pdv21";
    prva.Zapiši(pdv + ".exe", "nova verzija");
    ASSERT_EQ(QProcess::execute("/usr/bin/7za", {"a", "-bso0", pdv + ".7z", pdv + ".exe"}), 0);
    const QString arhiva = QString::number(prva.Pročitaj(pdv + ".7z").size());
    prva.ZapišiListu(server + "Verzije.txt", {"Pdv21.exe;21;2;0;" + arhiva + ";12;"});
    prva.Zapiši(server + "VerzijeU.txt", "u");
    prva.Zapiši(L + "TeamViewerQS.exe", "tv");
    TestServer posluzitelj(server);
    prva.postavke.Snimi("Settings", "PrimarniServer21", posluzitelj.HttpsHost());
    prva.postavke.Snimi("Settings", "DodatniCertifikati", TestServer::TestniCa());
    HttpPreuzimanje http(prva.k);
    prva.k.preuzimanje = &http;
    prva.izvor.lokacije[1] = L;
    ASSERT_TRUE(DownloadNaLokaciju(prva.k, true)); // the first full copy, started by hand

    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, druga.vanjski("postavke"));
    ASSERT_TRUE(QFile::link("/usr/bin/7za", druga.dir() + "7za"));
    druga.ZapišiListu(druga.dir() + "Verzije.txt", {"Pdv21.exe;21;1;0;1;1;"});
    druga.Zapiši(druga.dir() + "Pdv21.exe", "stara");
    RadnaStanica stanica(druga.k);
    druga.izvor.odabrana = MrežnaLokacija;
    druga.izvor.lokacije[0] = L;
    ASSERT_TRUE(PripremiVerzijaTXT(druga.k));
    cmdDownloadAndUpdate_Click(druga.k); // the question is answered Yes

    EXPECT_EQ(druga.Pročitaj(druga.dir() + "Pdv21.exe"), "nova verzija")
        << qPrintable(druga.LogPoruke().join('\n'));
    EXPECT_EQ(druga.Pročitaj(druga.dir() + "Verzije.txt"), druga.Pročitaj(L + "Verzije.txt"));
}

} // namespace morvela::test
