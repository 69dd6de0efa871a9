#include "Okruzenje.h"
#include "versions/Plan.h"
#include "versions/PravilaVerzija.h"

#include <gtest/gtest.h>

using namespace morvela;
using namespace morvela::test;

namespace {

const QString P = QStringLiteral("NapraviRsŠtoTrebaAžurirati - ");

class Plan : public ::testing::Test {
protected:
    void Liste(const QStringList& stara, const QStringList& nova) {
        TestOkruženje::ZapišiListu(t.dir() + "Verzije.txt", stara);
        TestOkruženje::ZapišiListu(t.updateDir() + "Verzije.txt", nova);
    }
    static void NaDisku(const QString& dir, const QStringList& imena) {
        for (const QString& ime : imena)
            TestOkruženje::Zapiši(dir + ime, "x");
    }
    QStringList Planirani() const {
        QStringList imena;
        for (int r = 0; r < Matrica::Redova; ++r)
            if (t.stanje.NoveVerzije.broj(r, TrebaInstalirati) == 1)
                imena << t.stanje.NoveVerzije.tekst(r, Ime);
        return imena;
    }
    // The decision lines, between the comparison line and the end line.
    QStringList Odluke() const { return t.LogPoruke().mid(4, t.LogPoruke().size() - 5); }
    TestOkruženje t;
};

TEST_F(Plan, NothingNewStillSucceeds) {
    Liste({"Prog21.exe;21;4;3;512;900;"}, {"Prog21.exe;21;4;3;512;900;"});
    NaDisku(t.dir(), {"Prog21.exe", "Update/Update.txt"});
    t.stanje.PorukeAkcija = t.stanje.PorukeGrešaka = "stare";
    t.stanje.UkupnoZaPrijenos = 99;

    EXPECT_TRUE(NapraviRsŠtoTrebaAžurirati(t.k));
    EXPECT_TRUE(Planirani().isEmpty());
    EXPECT_EQ(t.mreža.prikaza, 1);
    EXPECT_TRUE(t.mreža.redovi.isEmpty());
    EXPECT_EQ(t.status.akcija, "Nema novih verzija Mor-vela programa!");
    EXPECT_EQ(t.stanje.PorukeAkcija + t.stanje.PorukeGrešaka, "");
    EXPECT_EQ(t.stanje.UkupnoZaPrijenos, 0);
    EXPECT_FALSE(QFile::exists(t.updateDir() + "Update.txt"));
    EXPECT_EQ(t.LogPoruke(), (QStringList{P + "početak", P + "čitanje rs " + t.updateDir() + "Verzije.txt",
                                          P + "čitanje rs " + t.dir() + "Verzije.txt",
                                          P + "upoređenje što treba ažurirati ", P + "kraj"}));
}

TEST_F(Plan, DecidesEveryKindOfRecord) {
    Liste({"Prog21.exe;21;4;2;512;900;", "Obrisan21.exe;21;1;1;50;60;", "MorvelaLiveUpdate21.exe;21;1;0;5;5;",
           "Upute.chm;21;1;0;300;700;", "Nema.chm;21;1;0;30;70;", "Skripta.enc;21;1;0;10;20;",
           "Veca.enc;21;1;0;10;20;", "Nestala.enc;21;1;0;10;20;"},
          {"Prog21.exe; 21;4;3;700;900;", "Novi21.dll;21;0;0;4000;5000;", "Obrisan21.exe;21;1;1;50;60;",
           "MorvelaLiveUpdate21.exe;21;2;0;5;5;", "Upute.chm;21;1;0;301;700;", "Nema.chm;21;1;0;30;70;",
           "Skripta.enc;21;1;0;11;20;", "Veca.enc;21;1;0;10;21;", "Nestala.enc;21;1;0;10;20;"});
    NaDisku(t.dir(), {"Prog21.exe"});
    NaDisku(t.stanje.HelpDirektorija, {"Upute.chm"});
    NaDisku(t.stanje.SkripteDirektorija, {"Skripta.enc", "Veca.enc"});

    ASSERT_TRUE(NapraviRsŠtoTrebaAžurirati(t.k));
    EXPECT_EQ(Planirani(), (QStringList{"Prog21.exe", "Novi21.dll", "Obrisan21.exe", "Upute.chm", "Nema.chm",
                                        "Veca.enc", "Nestala.enc"}));
    const QString treba = P + "Treba instalirati: ";
    EXPECT_EQ(
        Odluke(),
        (QStringList{
            treba + "Prog21.exe",
            P + "Nije pronađen zapis o starim verzija za :Novi21.dll pa se mora kopirati",
            P + "Nije nađena datoteka: Obrisan21.exe pa se mora napraviti", treba + "Obrisan21.exe",
            treba + "Upute.chm",
            P + "Nije nađena datoteka: " + t.stanje.HelpDirektorija + "Nema.chm pa se mora napraviti",
            treba + "Nema.chm", treba + "Veca.enc",
            P + "Nije nađena datoteka: " + t.stanje.SkripteDirektorija + "Nestala.enc pa se mora napraviti",
            treba + "Nestala.enc"}));
    // A row without an installed record does not count towards the transfer total.
    EXPECT_EQ(t.stanje.UkupnoZaPrijenos, 700 + 50 + 301 + 30 + 10 + 10);
    ASSERT_EQ(t.mreža.redovi.size(), 7);
    EXPECT_EQ(t.mreža.redovi[0].verGl, " 21"); // the grid gets the texts as read
}

TEST_F(Plan, ScriptsFollowTheDatabaseLibraryOnlyWhenListedAfterIt) {
    const QStringList stara{"Prije.enc;21;1;0;10;20;", "MorvIzmjBaza21.dll;21;1;0;10;20;",
                            "Poslije.enc;21;1;0;10;20;"};
    NaDisku(t.stanje.SkripteDirektorija, {"Prije.enc", "Poslije.enc"});
    NaDisku(t.dir(), {"MorvIzmjBaza21.dll"});
    Liste(stara,
          {"Prije.enc;21;1;0;10;20;", "MorvIzmjBaza21.dll;21;1;1;10;20;", "Poslije.enc;21;1;0;10;20;"});
    ASSERT_TRUE(NapraviRsŠtoTrebaAžurirati(t.k));
    EXPECT_EQ(Planirani(), (QStringList{"MorvIzmjBaza21.dll", "Poslije.enc"}));
    EXPECT_EQ(Odluke(), QStringList{P + "Treba instalirati: MorvIzmjBaza21.dll"});

    // A library (or the updater) without an installed record; a fresh run forgets earlier flags.
    Liste(stara.mid(0, 1) + stara.mid(2), {"Prije.enc;21;1;0;10;20;", "MorvelaLiveUpdate21.exe;21;1;0;1;1;",
                                           "MorvIzmjBaza21.dll;21;1;1;10;20;", "Poslije.enc;21;1;0;10;20;"});
    ASSERT_TRUE(NapraviRsŠtoTrebaAžurirati(t.k));
    EXPECT_EQ(Planirani(), (QStringList{"MorvIzmjBaza21.dll", "Poslije.enc"}));
    EXPECT_EQ(t.stanje.UkupnoZaPrijenos, 0);
}

TEST_F(Plan, UnreadableListsStopWithTheirMessages) {
    TestOkruženje::ZapišiListu(t.dir() + "Verzije.txt", {"Prog21.exe;21;4;3;512;900;"});
    EXPECT_FALSE(NapraviRsŠtoTrebaAžurirati(t.k));
    // The table reader's own box comes first.
    ASSERT_EQ(t.poruke.upiti.size(), 2);
    EXPECT_EQ(t.poruke.upiti[1].tekst,
              P + "Desila se greška u čitanju zapisa u matricu iz datoteke. Prekida se ažuriranje!");
    EXPECT_EQ(t.LogPoruke().last(), t.poruke.upiti[1].tekst);

    TestOkruženje::ZapišiListu(t.updateDir() + "Verzije.txt", {"Prog21.exe;21;4;3;512;900;"});
    QFile::remove(t.dir() + "Verzije.txt");
    t.poruke.upiti.clear();
    EXPECT_FALSE(NapraviRsŠtoTrebaAžurirati(t.k));
    EXPECT_EQ(t.poruke.tekstovi(),
              QStringList{"Ne postoji datoteka: " + t.dir() +
                          "Verzije.txt te nije moguće nastaviti sa ažuriranjem. Kontaktirajte Morvela!"});
    EXPECT_EQ(t.poruke.upiti[0].ikona, Ikona::Informacija);
    EXPECT_EQ(t.LogPoruke().last(), "NapraviRsŠtoTrebaAžurirati " + t.stanje.ZadnjaPoruka);
    EXPECT_EQ(t.mreža.prikaza, 0);
}

} // namespace
