#include "Okruzenje.h"
#include "records/Matrica.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace morvela;
using namespace morvela::test;

namespace {

struct MatricaTest : ::testing::Test {
    TestOkruženje o;
    Matrica m;
    QString put = o.dir() + QStringLiteral("Verzije.txt");
    bool Učitaj() { return UčitajMatricu(m, put, o.k.ZaMatricu()); }
};

TEST_F(MatricaTest, ReadsRecordsSkipsBlankLinesAndIgnoresTextAfterSixthSeparator) {
    o.Zapiši(put, "Prvi.exe;21;4;3;512;900;\r\n"
                  "   \r\n"
                  "\r\n"
                  "Drugi.dll; 21;1;2;3;4;x\n" // bare LF, text after the sixth ";"
                  "Tre\xe6i.chm;1;2;3;4;5;");  // Windows-1250 "ć", no final line break
    ASSERT_TRUE(Učitaj());
    EXPECT_EQ(m.tekst(0, 0), "Prvi.exe");
    EXPECT_EQ(m.tekst(0, 5), "900");
    EXPECT_EQ(m.tekst(1, 0), "Drugi.dll");
    EXPECT_EQ(m.tekst(1, 1), " 21"); // fields keep their blanks
    EXPECT_EQ(m.tekst(1, 5), "4");   // no CR left in the sixth field
    EXPECT_EQ(m.tekst(2, 0), QString::fromUtf8("Treći.chm"));
    EXPECT_FALSE(m.koristi(3));
    for (int r = 0; r < 3; ++r) EXPECT_EQ(std::get<qint16>(m.ćelija(r, 6)), 0);
    EXPECT_TRUE(o.poruke.upiti.isEmpty());
}

TEST_F(MatricaTest, WrongPartCountFailsWithCountInLastMessage) {
    for (const char* loš : {"a;1;2;3;4;5\r\n", "\t\r\n"}) {
        o.Zapiši(put, QByteArray("ok;1;1;1;1;1;\r\n") + loš);
        o.stanje.ZadnjaPoruka.clear();
        EXPECT_FALSE(Učitaj());
        const int dijelova = QByteArray(loš).count(';') + 1;
        EXPECT_EQ(o.stanje.ZadnjaPoruka, QStringLiteral("Greška u splitu - ima : ") + QString::number(dijelova) +
                                             QString::fromUtf8(" članova! Datoteka: ") + put + " Red: " +
                                             QString::fromLatin1(loš).chopped(2) + " ");
        EXPECT_EQ(m.tekst(0, 0), "ok"); // rows read before the failure stay
    }
    EXPECT_TRUE(o.LogPoruke().isEmpty());
}

TEST_F(MatricaTest, SeventyOneRecordsFitTheSeventySecondFailsAndIsLogged) {
    QStringList zapisi;
    for (int i = 0; i < 71; ++i) zapisi << QStringLiteral("F%1.exe;1;2;3;4;5;").arg(i);
    o.ZapišiListu(put, zapisi);
    EXPECT_TRUE(Učitaj());
    EXPECT_EQ(m.tekst(70, 0), "F70.exe");

    o.ZapišiListu(put, zapisi << "F71.exe;1;2;3;4;5;");
    EXPECT_FALSE(Učitaj());
    EXPECT_TRUE(o.stanje.ZadnjaPoruka.startsWith(QString::fromUtf8("Greška u dodjeljivanju vrijednosti matrici! ")));
    EXPECT_EQ(o.LogPoruke(), QStringList{o.stanje.ZadnjaPoruka});
    EXPECT_EQ(m.tekst(70, 0), "F70.exe");
}

TEST_F(MatricaTest, MissingFileShowsOpenMessageAndLeavesTableEmpty) {
    o.Zapiši(put, "a;1;2;3;4;5;\r\n");
    ASSERT_TRUE(Učitaj());
    QFile::remove(put);
    EXPECT_FALSE(Učitaj());
    ASSERT_EQ(o.poruke.upiti.size(), 1);
    EXPECT_TRUE(o.poruke.upiti[0].tekst.startsWith(QString::fromUtf8("Greška u otvaranju datoteke: ") + put + " "));
    EXPECT_EQ(o.poruke.upiti[0].ikona, Ikona::Usklicnik);
    EXPECT_EQ(o.poruke.upiti[0].naslov, NaslovAplikacije);
    EXPECT_FALSE(m.koristi(0));
}

TEST_F(MatricaTest, EmptyFileReadsIntoEmptyTable) {
    o.Zapiši(put, " \r\n\r\n");
    EXPECT_TRUE(Učitaj());
    EXPECT_FALSE(m.koristi(0));
}

TEST_F(MatricaTest, WritePacksUsedRowsAndRoundTripsCroatianLettersByteForByte) {
    const QString ime = QString::fromUtf8("Račun čžšćđ ČŽŠĆĐ.exe");
    m.postavi(0, 0, ime);
    for (int s = 1; s < 6; ++s) m.postavi(0, s, QString::number(s));
    m.postavi(2, 0, QStringLiteral("Drugi.dll"));
    m.postavi(2, 4, qint16(700));
    ASSERT_TRUE(SnimiMatricu(m, put, o.k.ZaMatricu()));
    const QByteArray očekivano = QByteArray("Ra\xe8un \xe8\x9e\x9a\xe6\xf0 \xc8\x8e\x8a\xc6\xd0.exe;1;2;3;4;5;\r\n") +
                                 "Drugi.dll;;;;700;0;\r\n";
    EXPECT_EQ(o.Pročitaj(put), očekivano);

    Matrica natrag;
    ASSERT_TRUE(UčitajMatricu(natrag, put, o.k.ZaMatricu()));
    EXPECT_EQ(natrag.tekst(0, 0), ime);
    EXPECT_EQ(natrag.tekst(1, 0), "Drugi.dll");
    EXPECT_EQ(natrag.tekst(1, 4), "700");
    EXPECT_FALSE(natrag.koristi(2));
}

TEST_F(MatricaTest, WriteIntoMissingDirectoryShowsOpenMessage) {
    const QString loš = o.dir() + QStringLiteral("nema/Verzije.txt");
    m.postavi(0, 0, QStringLiteral("a"));
    EXPECT_FALSE(SnimiMatricu(m, loš, o.k.ZaMatricu()));
    ASSERT_EQ(o.poruke.upiti.size(), 1);
    EXPECT_TRUE(o.poruke.upiti[0].tekst.startsWith(QString::fromUtf8("Greška u otvaranju datoteke: ") + loš + " "));
}

} // namespace
