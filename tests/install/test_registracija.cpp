#include "Instalacija.h"
#include "install/Registracija.h"

#include <QDir>

using namespace morvela;
using namespace morvela::test;

namespace {

using Registracija = Instalacija;

TEST_F(Registracija, QuotesTheWholePathAndLogsTwoLinesPerCall) {
    const QString dir = o.vanjski("Program Files/Morvela 21") + Separator();
    TestOkruženje::Zapiši(dir + "Izvoz.dll", "stara");

    EXPECT_TRUE(DeregistrirajKomponentu(o.k, dir, "Izvoz.dll"));
    // A missing component still starts the registration program.
    EXPECT_TRUE(RegistrirajKomponentu(o.k, dir, "Nema.dll"));

    const QString u = RegSvr32(dir + "Izvoz.dll", "/u /s");
    const QString r = RegSvr32(dir + "Nema.dll", "/s");
    EXPECT_EQ(o.LogPoruke(), (QStringList{u, u + " Uspješno", r, r + " Uspješno"}));
    // One argument for the path with blanks, and the call was over before we returned.
    EXPECT_EQ(regsvr.pozivi(), (QStringList{dir + "Izvoz.dll|/u|/s|#stara", dir + "Nema.dll|/s|#-"}));
}

TEST_F(Registracija, RegistrationProgramNotFoundReturnsFalse) {
    regsvr.Sakrij();
    EXPECT_FALSE(RegistrirajKomponentu(o.k, prog(), "A.dll"));
    EXPECT_FALSE(DeregistrirajKomponentu(o.k, prog(), "A.dll"));

    const QString r = RegSvr32(prog() + "A.dll", "/s");
    const QString u = RegSvr32(prog() + "A.dll", "/u /s");
    EXPECT_EQ(o.LogPoruke(), (QStringList{r, r + " Neuspješno", u, u + " Neuspješno"}));
    EXPECT_TRUE(regsvr.pozivi().isEmpty());
    EXPECT_TRUE(o.poruke.upiti.isEmpty());
}

} // namespace
