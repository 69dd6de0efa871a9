#include "Okruzenje.h"
#include "versions/Plan.h"
#include "versions/PravilaVerzija.h"

#include <gtest/gtest.h>

using namespace morvela;
using namespace morvela::test;

namespace {

const QString P = QStringLiteral("NapraviRsŠtoTrebaAžurirati");

class Plan : public ::testing::Test {
protected:
    void Nova(const QStringList& z) { TestOkruženje::ZapišiListu(t.updateDir() + "Verzije.txt", z); }
    void Stara(const QStringList& z) { TestOkruženje::ZapišiListu(t.dir() + "Verzije.txt", z); }
    void NaDisku(const QString& put) { TestOkruženje::Zapiši(put, "x"); }
    QStringList Planirani() const {
        QStringList imena;
        for (int r = 0; r < Matrica::Redova; ++r)
            if (t.stanje.NoveVerzije.broj(r, TrebaInstalirati) == 1)
                imena << t.stanje.NoveVerzije.tekst(r, Ime);
        return imena;
    }
    QStringList Odluke() const {
        QStringList l = t.LogPoruke();
        return l.mid(4, l.size() - 5); // between the comparison line and the end line
    }
    TestOkruženje t;
};

TEST_F(Plan, IdenticalListsPlanNothingButSucceed) {
    const QStringList lista{"Prog21.exe;21;4;3;512;900;", "Upute.chm;21;1;0;300;700;",
                            "Skripta.enc;21;1;0;10;20;"};
    Nova(lista), Stara(lista);
    NaDisku(t.dir() + "Prog21.exe");
    NaDisku(t.stanje.HelpDirektorija + "Upute.chm");
    NaDisku(t.stanje.SkripteDirektorija + "Skripta.enc");
    NaDisku(t.updateDir() + "Update.txt");
    t.stanje.PorukeAkcija = "stara akcija", t.stanje.PorukeGrešaka = "stara greška";
    t.stanje.UkupnoZaPrijenos = 99;

    EXPECT_TRUE(NapraviRsŠtoTrebaAžurirati(t.k));

    EXPECT_TRUE(Planirani().isEmpty());
    EXPECT_EQ(t.mreža.prikaza, 1);
    EXPECT_TRUE(t.mreža.redovi.isEmpty());
    EXPECT_EQ(t.status.akcija, "Nema novih verzija Mor-vela programa!");
    EXPECT_TRUE(t.stanje.PorukeAkcija.isEmpty());
    EXPECT_TRUE(t.stanje.PorukeGrešaka.isEmpty());
    EXPECT_EQ(t.stanje.UkupnoZaPrijenos, 0);
    EXPECT_FALSE(QFile::exists(t.updateDir() + "Update.txt"));
    EXPECT_TRUE(t.poruke.upiti.isEmpty());
    EXPECT_EQ(t.LogPoruke(),
              (QStringList{P + " - početak", P + " - čitanje rs " + t.updateDir() + "Verzije.txt",
                           P + " - čitanje rs " + t.dir() + "Verzije.txt",
                           P + " - upoređenje što treba ažurirati ", P + " - kraj"}));
}

TEST_F(Plan, DecidesEveryKindOfRecord) {
    Stara({"Prog21.exe;21;4;2;512;900;", "Obrisan21.exe;21;1;1;50;60;", "MorvelaLiveUpdate21.exe;21;1;0;5;5;",
           "Upute.chm;21;1;0;300;700;", "Pomoc.chm;21;1;0;30;70;", "Nema.chm;21;1;0;30;70;",
           "Skripta.enc;21;1;0;10;20;", "Veca.enc;21;1;0;10;20;", "Nestala.enc;21;1;0;10;20;",
           "Isti21.dll;21;1;0;1;1;", "UPUTE.CHM;21;1;0;1;1;", "Prog21.exe;99;99;99;1;1;"});
    Nova({"Prog21.exe; 21;4;3;700;900;", "Novi21.dll;21;0;0;4000;5000;", "Obrisan21.exe;21;1;1;50;60;",
          "MorvelaLiveUpdate21.exe;21;1;0;5;5;", "Upute.chm;21;1;0;300;700;", "Pomoc.chm;21;1;0;31;70;",
          "Nema.chm;21;1;0;30;70;", "Skripta.enc;21;1;0;11;20;", "Veca.enc;21;1;0;10;21;",
          "Nestala.enc;21;1;0;10;20;", "Isti21.dll;21;01;0;1;1;", "UPUTE.CHM;21;1;0;2;2;"});
    for (const char* ime : {"Prog21.exe", "Isti21.dll", "UPUTE.CHM"})
        NaDisku(t.dir() + ime);
    for (const char* ime : {"Upute.chm", "Pomoc.chm"})
        NaDisku(t.stanje.HelpDirektorija + ime);
    for (const char* ime : {"Skripta.enc", "Veca.enc"})
        NaDisku(t.stanje.SkripteDirektorija + ime);

    ASSERT_TRUE(NapraviRsŠtoTrebaAžurirati(t.k));

    EXPECT_EQ(Planirani(), (QStringList{"Prog21.exe", "Novi21.dll", "Obrisan21.exe", "Pomoc.chm", "Nema.chm",
                                        "Veca.enc", "Nestala.enc"}));
    EXPECT_EQ(Odluke(),
              (QStringList{P + " - Treba instalirati: Prog21.exe",
                           P + " - Nije pronađen zapis o starim verzija za :Novi21.dll pa se mora kopirati",
                           P + " - Nije nađena datoteka: Obrisan21.exe pa se mora napraviti",
                           P + " - Treba instalirati: Obrisan21.exe",
                           P + " - Nije nađena datoteka: MorvelaLiveUpdate21.exe pa se mora napraviti",
                           P + " - Treba instalirati: Pomoc.chm",
                           P + " - Nije nađena datoteka: " + t.stanje.HelpDirektorija +
                               "Nema.chm pa se mora napraviti",
                           P + " - Treba instalirati: Nema.chm", P + " - Treba instalirati: Veca.enc",
                           P + " - Nije nađena datoteka: " + t.stanje.SkripteDirektorija +
                               "Nestala.enc pa se mora napraviti",
                           P + " - Treba instalirati: Nestala.enc"}));
    // Rows without an installed record do not count towards the transfer total.
    EXPECT_EQ(t.stanje.UkupnoZaPrijenos, 700 + 50 + 31 + 30 + 10 + 10);

    ASSERT_EQ(t.mreža.redovi.size(), 7);
    const RedPlana& prvi = t.mreža.redovi[0];
    EXPECT_EQ(prvi.ime, "Prog21.exe");
    EXPECT_EQ(prvi.verGl, " 21"); // texts go to the grid as read
    EXPECT_EQ(prvi.veličinaDownload, "700");
    EXPECT_EQ(prvi.stvarnaVeličina, "900");
    EXPECT_EQ(t.mreža.redovi[6].ime, "Nestala.enc");
    EXPECT_TRUE(t.status.akcije.isEmpty());
}

TEST_F(Plan, UpdaterIsNeverPlannedWhetherNewerOrWithoutInstalledRecord) {
    Stara({"Prog21.exe;21;4;3;512;900;"});
    Nova({"MorvelaLiveUpdate21.exe;21;9;9;5;5;", "Prog21.exe;21;4;3;512;900;"});
    NaDisku(t.dir() + "Prog21.exe");
    ASSERT_TRUE(NapraviRsŠtoTrebaAžurirati(t.k));
    EXPECT_TRUE(Planirani().isEmpty());
    EXPECT_TRUE(Odluke().isEmpty());

    Stara({"MorvelaLiveUpdate21.exe;21;1;0;5;5;", "Prog21.exe;21;4;3;512;900;"});
    ASSERT_TRUE(NapraviRsŠtoTrebaAžurirati(t.k));
    EXPECT_TRUE(Planirani().isEmpty());
    EXPECT_EQ(t.stanje.UkupnoZaPrijenos, 0);
}

TEST_F(Plan, ScriptsFollowTheDatabaseLibraryOnlyWhenListedAfterIt) {
    Stara({"Prije.enc;21;1;0;10;20;", "MorvIzmjBaza21.dll;21;1;0;10;20;", "Poslije.enc;21;1;0;10;20;",
           "Prog21.exe;21;1;0;10;20;"});
    for (const char* ime : {"Prije.enc", "Poslije.enc"})
        NaDisku(t.stanje.SkripteDirektorija + ime);
    NaDisku(t.dir() + "MorvIzmjBaza21.dll");
    NaDisku(t.dir() + "Prog21.exe");

    Nova({"Prije.enc;21;1;0;10;20;", "MorvIzmjBaza21.dll;21;1;1;10;20;", "Poslije.enc;21;1;0;10;20;",
          "Prog21.exe;21;1;0;10;20;"});
    ASSERT_TRUE(NapraviRsŠtoTrebaAžurirati(t.k));
    EXPECT_EQ(Planirani(), (QStringList{"MorvIzmjBaza21.dll", "Poslije.enc"}));
    EXPECT_EQ(Odluke(), QStringList{P + " - Treba instalirati: MorvIzmjBaza21.dll"});
    EXPECT_EQ(t.stanje.UkupnoZaPrijenos, 10);

    // A library without an installed record pulls the later scripts along too;
    // a fresh run forgets the earlier decisions.
    Stara({"Prije.enc;21;1;0;10;20;", "Poslije.enc;21;1;0;10;20;", "Prog21.exe;21;1;0;10;20;"});
    Nova({"Prog21.exe;21;1;0;10;20;", "Prije.enc;21;1;0;10;20;", "MorvIzmjBaza21.dll;21;1;1;10;20;",
          "Poslije.enc;21;1;0;10;20;"});
    ASSERT_TRUE(NapraviRsŠtoTrebaAžurirati(t.k));
    EXPECT_EQ(Planirani(), (QStringList{"MorvIzmjBaza21.dll", "Poslije.enc"}));
    EXPECT_EQ(t.stanje.UkupnoZaPrijenos, 0);
}

TEST_F(Plan, UnreadableListsStopWithTheirMessages) {
    // New list missing: the table reader's own box comes first.
    Stara({"Prog21.exe;21;4;3;512;900;"});
    EXPECT_FALSE(NapraviRsŠtoTrebaAžurirati(t.k));
    const QString novaNe =
        P + " - Desila se greška u čitanju zapisa u matricu iz datoteke. Prekida se ažuriranje!";
    ASSERT_EQ(t.poruke.upiti.size(), 2);
    EXPECT_TRUE(t.poruke.upiti[0].tekst.startsWith("Greška u otvaranju datoteke: "));
    EXPECT_EQ(t.poruke.upiti[1].tekst, novaNe);
    EXPECT_EQ(t.poruke.upiti[1].ikona, Ikona::Usklicnik);
    EXPECT_EQ(t.stanje.ZadnjaPoruka, novaNe);
    EXPECT_EQ(t.LogPoruke().last(), novaNe);

    // Installed list missing: information icon, the log names the procedure.
    Nova({"Prog21.exe;21;4;3;512;900;"});
    QFile::remove(t.dir() + "Verzije.txt");
    t.poruke.upiti.clear();
    EXPECT_FALSE(NapraviRsŠtoTrebaAžurirati(t.k));
    const QString staraNema = "Ne postoji datoteka: " + t.dir() +
                              "Verzije.txt te nije moguće nastaviti sa ažuriranjem. Kontaktirajte Morvela!";
    ASSERT_EQ(t.poruke.upiti.size(), 1);
    EXPECT_EQ(t.poruke.upiti[0].tekst, staraNema);
    EXPECT_EQ(t.poruke.upiti[0].ikona, Ikona::Informacija);
    EXPECT_EQ(t.LogPoruke().last(), P + " " + staraNema);

    // Installed list malformed.
    TestOkruženje::Zapiši(t.dir() + "Verzije.txt", "Prog21.exe;21;4;3;512;900\r\n");
    t.poruke.upiti.clear();
    EXPECT_FALSE(NapraviRsŠtoTrebaAžurirati(t.k));
    const QString stariNe =
        P + " - Desila se greška u čitanju zapisa u matricu-STARI. Prekida se ažuriranje!";
    EXPECT_EQ(t.poruke.tekstovi(), QStringList{stariNe});
    EXPECT_EQ(t.LogPoruke().last(), stariNe);
    EXPECT_EQ(t.mreža.prikaza, 0);
}

} // namespace
