#include "Okruzenje.h"
#include "versions/Plan.h"
#include "versions/PravilaVerzija.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>

namespace morvela::test {

const QString P = "NapraviRsŠtoTrebaAžurirati - ", r = ";1;1;1;5;9;"; // r: an unchanged version and sizes

struct Plan : ::testing::Test {
    TestOkruženje t;
    const StanjeRada& s = t.stanje;
    void Liste(const QStringList& stara, const QStringList& nova) {
        TestOkruženje::ZapišiListu(s.ProgramskaDirektorija + "Verzije.txt", stara);
        TestOkruženje::ZapišiListu(s.UpdateDirektorija + "Verzije.txt", nova);
    }
    // Runs the plan and gives the names of the rows it shows.
    QStringList Planirani() {
        EXPECT_TRUE(NapraviRsŠtoTrebaAžurirati(t.k));
        QStringList imena;
        for (const RedPlana& red : t.mreža.redovi)
            imena << red.ime;
        return imena;
    }
};

TEST_F(Plan, DecidesEveryKindOfRecordLogsEachDecisionAndSumsTheNewer) {
    Liste({"A.exe" + r, "B.exe" + r, ImeUpdatera + r, "H.chm" + r, "S.enc" + r, "T.enc" + r, "U.enc" + r,
           "P.enc" + r, ImeIzmjeneBaze + r, "Q.enc" + r},
          {"A.exe; 1;1;2;7;9;", "N.dll;1;1;1;40;9;", "B.exe" + r, ImeUpdatera + ";1;2;1;5;9;",
           "H.chm;1;1;1;6;9;", "S.enc;1;1;1;6;9;", "T.enc;1;1;1;5;10;", "U.enc" + r, "P.enc" + r,
           ImeIzmjeneBaze + ";1;1;2;5;9;", "Q.enc" + r});
    for (const QString& put :
         {s.ProgramskaDirektorija + "A.exe", s.HelpDirektorija + "H.chm",
          s.ProgramskaDirektorija + ImeIzmjeneBaze, s.SkripteDirektorija + "S.enc",
          s.SkripteDirektorija + "T.enc", s.SkripteDirektorija + "P.enc", s.SkripteDirektorija + "Q.enc"})
        TestOkruženje::Zapiši(put, "x");
    t.stanje.UkupnoZaPrijenos = 99;

    // Scripts follow the database library only when listed below it.
    EXPECT_EQ(Planirani(),
              QStringList({"A.exe", "N.dll", "B.exe", "H.chm", "T.enc", "U.enc", ImeIzmjeneBaze, "Q.enc"}));
    const QString treba = P + "Treba instalirati: ", nema = P + "Nije nađena datoteka: ";
    EXPECT_EQ(t.LogPoruke(),
              QStringList({P + "početak", P + "čitanje rs " + s.UpdateDirektorija + "Verzije.txt",
                           P + "čitanje rs " + s.ProgramskaDirektorija + "Verzije.txt",
                           P + "upoređenje što treba ažurirati ", treba + "A.exe",
                           P + "Nije pronađen zapis o starim verzija za :N.dll pa se mora kopirati",
                           nema + "B.exe pa se mora napraviti", treba + "B.exe", treba + "H.chm",
                           treba + "T.enc", nema + s.SkripteDirektorija + "U.enc pa se mora napraviti",
                           treba + "U.enc", treba + ImeIzmjeneBaze, P + "kraj"}));
    // Only rows planned as newer count towards the transfer total.
    EXPECT_EQ(s.UkupnoZaPrijenos, 7 + 5 + 6 + 5 + 5 + 5);

    // Nothing new is still a good plan; neither the updater nor the library needs an installed record.
    Liste({"Q.enc" + r}, {"Q.enc" + r, ImeUpdatera + r});
    EXPECT_TRUE(Planirani().isEmpty());
    EXPECT_EQ(t.status.akcije, QStringList("Nema novih verzija Mor-vela programa!"));
    Liste({"Q.enc" + r}, {ImeIzmjeneBaze + r, "Q.enc" + r});
    EXPECT_EQ(Planirani(), QStringList({ImeIzmjeneBaze, "Q.enc"}));
}

TEST_F(Plan, TheUpdaterRowIsLookedForUnderTheRunningProgramsOwnName) {
    // Where programs carry no ".exe", the list's name of the updater is never on disk.
    const QString vlastito = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QString nema = P + "Nije nađena datoteka: ";
    Liste({ImeUpdatera + r}, {ImeUpdatera + r});
    EXPECT_TRUE(Planirani().isEmpty());
    EXPECT_EQ(t.LogPoruke().filter(nema), QStringList(nema + vlastito + " pa se mora napraviti"));

    TestOkruženje::Zapiši(s.ProgramskaDirektorija + vlastito, "x");
    EXPECT_TRUE(Planirani().isEmpty());
    EXPECT_EQ(t.LogPoruke().filter(nema).size(), 1);
}

} // namespace morvela::test
