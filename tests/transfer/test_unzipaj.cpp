#include "Arhive.h"
#include "platform/Procesi.h"
#include "transfer/Unzipaj.h"

#include <gtest/gtest.h>

using namespace morvela;
using namespace morvela::test;

namespace {

class UnzipajTest : public ::testing::Test {
protected:
    UnzipajTest() { o.k.procesi = &procesi; }
    QString upd() const { return o.updateDir(); }

    TestOkruženje o;
    QtProcesi procesi;
};

TEST_F(UnzipajTest, UnpacksNamesWithBlanksAndCroatianLettersOverwritingOldFiles) {
    Postavi7za(o.dir());
    const QString ime = "Obračun plaće Žiro 21.exe";
    const QString arhiva = "Obracun plaće Žiro 21.7z"; // only lower-case č and ž are replaced
    Spakiraj(upd() + arhiva, ime, "novi sadržaj");
    TestOkruženje::Zapiši(upd() + ime, "stari, puno duži sadržaj datoteke");

    ASSERT_TRUE(Unzipaj(o.k, ime));

    EXPECT_EQ(TestOkruženje::Pročitaj(upd() + ime), "novi sadržaj");
    const QString linija = "\"" + o.dir() + "7za\" e \"" + upd() + arhiva + "\" -aoa -o\"" + upd() + "\"";
    EXPECT_EQ(o.LogPoruke(),
              QStringList({"Unzipaj- Početak " + ime, "Unzipaj- " + linija, "Unzipaj- Kraj " + ime}));
    EXPECT_EQ(o.stanje.PorukeAkcija, CRLF + "UNZIP: " + upd() + arhiva);
    EXPECT_EQ(o.stanje.PorukeGrešaka, "");
    EXPECT_EQ(o.stanje.ZadnjaPoruka, "Unzip " + ime);
    EXPECT_EQ(o.status.akcije, QStringList({"UnZipanje datoteke: " + arhiva, ""}));
    EXPECT_EQ(o.sat.čekanja, QList<int>({0})); // a small archive gives no wait
}

TEST_F(UnzipajTest, DamagedArchiveStillSucceedsAndWaitsASecondPerMegabyteHalvesToEven) {
    Postavi7za(o.dir());
    const QList<QPair<qint64, int>> slučajevi = {{499'999, 0},   {500'000, 0},   {500'001, 1},
                                                 {1'500'000, 2}, {2'500'000, 2}, {3'500'000, 4}};
    for (const auto& [veličina, sekundi] : slučajevi) {
        o.sat.čekanja.clear();
        QFile f(upd() + "Oštećen21.7z");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("not a 7z archive");
        f.resize(veličina);
        f.close();
        EXPECT_TRUE(Unzipaj(o.k, "Oštećen21.exe"));
        EXPECT_EQ(o.sat.čekanja, QList<int>({sekundi})) << veličina;
    }
    EXPECT_FALSE(QFile::exists(upd() + "Oštećen21.exe"));
}

TEST_F(UnzipajTest, MissingExtractorFailsWithTheTextsAndNoWait) {
    TestOkruženje::Zapiši(upd() + "Program21.7z", "x");
    o.stanje.PorukeGrešaka = "prije";

    EXPECT_FALSE(Unzipaj(o.k, "Program21.exe"));

    const QString zp = o.stanje.ZadnjaPoruka;
    const QString početak = "UNZIP: " + upd() + "Program21.7z";
    EXPECT_TRUE(zp.startsWith(početak) && zp.size() > početak.size()) << zp.toStdString();
    EXPECT_EQ(o.stanje.PorukeGrešaka, "prije" + CRLF + zp);
    EXPECT_EQ(o.stanje.PorukeAkcija, "");
    EXPECT_EQ(o.LogPoruke().last(), "Unzipaj- Greška " + zp);
    EXPECT_EQ(o.status.akcija, "UnZipanje datoteke: Program21.7z");
    EXPECT_TRUE(o.sat.čekanja.isEmpty());
}

TEST_F(UnzipajTest, HelpFilesAndScriptsAreCopiedWithoutTheExtractor) {
    // No 7za in the program directory: copy-only kinds must not need it.
    TestOkruženje::Zapiši(upd() + "Pomoć21.7z", "nova pomoć");
    TestOkruženje::Zapiši(upd() + "Pomoć21.chm", "stara pomoć koja je duža");
    QFile::setPermissions(upd() + "Pomoć21.chm", QFile::ReadOwner);
    TestOkruženje::Zapiši(upd() + "Skripta 5.7z", "ALTER TABLE");

    EXPECT_TRUE(Unzipaj(o.k, "Pomoć21.chm"));
    EXPECT_TRUE(Unzipaj(o.k, "Skripta 5.enc"));

    EXPECT_EQ(TestOkruženje::Pročitaj(upd() + "Pomoć21.chm"), "nova pomoć");
    EXPECT_EQ(TestOkruženje::Pročitaj(upd() + "Skripta 5.enc"), "ALTER TABLE");
    EXPECT_TRUE(o.sat.čekanja.isEmpty());
    EXPECT_EQ(o.stanje.PorukeAkcija, "");
    EXPECT_EQ(o.LogPoruke(), QStringList({"Unzipaj- Početak Pomoć21.chm", "Unzipaj- Kraj Pomoć21.chm",
                                          "Unzipaj- Početak Skripta 5.enc", "Unzipaj- Kraj Skripta 5.enc"}));
}

TEST_F(UnzipajTest, FailedCopyIsOnlyLoggedAndUpperCaseKindGoesToTheExtractor) {
    EXPECT_TRUE(Unzipaj(o.k, "Nema21.chm"));
    EXPECT_TRUE(o.LogPoruke().contains("Unzip - samo kopiranje datoteke: " + o.dir() + "Nema21.7z.7z"));
    EXPECT_FALSE(QFile::exists(upd() + "Nema21.chm"));

    TestOkruženje::Zapiši(upd() + "Velika21.7z", "x");
    EXPECT_FALSE(Unzipaj(o.k, "Velika21.CHM")); // packed kind, and there is no 7za here
    EXPECT_TRUE(o.stanje.ZadnjaPoruka.startsWith("UNZIP: " + upd() + "Velika21.7z"));
}

} // namespace
