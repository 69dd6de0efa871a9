#include "Arhive.h"
#include "transfer/Unzipaj.h"

namespace {

TEST_F(Prijenos, UnzipajWaitsASecondPerMegabyteWithHalvesToEvenEvenForADamagedArchive) {
    for (qint64 bajtova : {10, 500'000, 500'001, 1'500'000, 2'500'000}) {
        TestOkruženje::Zapiši(upd + "Oštećen21.7z", QByteArray(bajtova, 'x'));
        EXPECT_TRUE(Unzipaj(o.k, "Oštećen21.exe"));
    }
    EXPECT_EQ(o.sat.čekanja, QList<int>({0, 0, 1, 2, 2}));
}

TEST_F(Prijenos, UnzipajCopiesHelpFilesAndScriptsWithoutTheExtractor) {
    QFile::remove(o.dir() + "7za");
    TestOkruženje::Zapiši(upd + "Pomoć21.7z", "nova pomoć");
    TestOkruženje::Zapiši(upd + "Pomoć21.chm", "stara pomoć koja je duža");
    TestOkruženje::Zapiši(upd + "Skripta 5.7z", "ALTER TABLE");
    EXPECT_TRUE(Unzipaj(o.k, "Pomoć21.chm"));
    EXPECT_TRUE(Unzipaj(o.k, "Skripta 5.enc"));
    EXPECT_EQ(Pročitaj("Pomoć21.chm") + Pročitaj("Skripta 5.enc"), "nova pomoćALTER TABLE");

    o.stanje.PorukeGrešaka = "prije";
    EXPECT_FALSE(Unzipaj(o.k, "Pomoć21.CHM")); // upper case is a packed kind
    const QString zp = o.stanje.ZadnjaPoruka, početak = "UNZIP: " + upd + "Pomoć21.7z";
    EXPECT_TRUE(zp.startsWith(početak) && zp.size() > početak.size()) << zp.toStdString();
    EXPECT_EQ(o.stanje.PorukeGrešaka, "prije" + CRLF + zp);
    EXPECT_EQ(o.LogPoruke().last(), "Unzipaj- Greška " + zp);
}

} // namespace
