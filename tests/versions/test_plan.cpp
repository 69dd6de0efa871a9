#include "Kvarovi.h"
#include "Okruzenje.h"
#include "versions/KontrolnaDatoteka.h"
#include "versions/Plan.h"
#include "versions/PravilaVerzija.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace morvela::test {
namespace {

// A suite whose installed list is older than the one at the server (which is also the network
// location), with an earlier list and Update.txt left in the update directory. Texts and paths
// name the directories as {dir}, {upd} and {lok}.
struct Okolina {
    TestOkruženje t;
    DatotekeSKvarom datoteke;
    const QString dir = t.dir(), upd = t.updateDir(), lok = t.vanjski("server") + Separator();
    PosluziteljDirektorija server{lok};
    // Whether the update command stays enabled afterwards.
    bool ažuriranje = true;
    Okolina() {
        t.preuzimanje = &server;
        t.k.datoteke = &datoteke;
        t.izvor.lokacije[0] = lok;
        t.mreža.ažuriranjeOmogućeno = true;
        t.ZapišiListu(dir + "Verzije.txt", {"A.exe;1;1;1;5;9;", ImeUpdatera + ";1;1;1;5;9;"});
        t.ZapišiListu(lok + "Verzije.txt", {"A.exe;1;1;2;5;9;", ImeUpdatera + ";1;1;1;5;9;"});
        t.Zapiši(lok + ImeTeamViewera, "MZ tv");
        t.Zapiši(upd + "Verzije.txt", "prijašnja");
        t.Zapiši(upd + "Update.txt", "prijašnji");
    }
    // The plan alone, on the list a check has put in the update directory.
    void NovaLista() {
        t.Zapiši(upd + "Verzije.txt", t.Pročitaj(lok + "Verzije.txt"));
        samoPlan = true;
    }
    bool samoPlan = false;
    // The copy of the new list fails, or with bezDatoteke claims success and writes nothing.
    void Mreža(bool bezDatoteke) {
        t.izvor.odabrana = UpdateLokacija::MrežnaLokacija;
        datoteke.kopijaBezDatoteke = bezDatoteke;
        datoteke.kvar = [na = upd + "Verzije.txt"](const char* op, const QString& p) {
            return qstrcmp(op, "kopiraj") == 0 && p == na;
        };
    }
    const QList<Upit>& Upiti() const { return t.poruke.upiti; }
    QStringList Log() const { return t.LogPoruke(); }
    QString Popuni(const QString& tekst) const {
        return test::Popuni(tekst, {{"dir", dir}, {"upd", upd}, {"lok", lok}});
    }
};
using Kvar = RedKvara<Okolina>;
// The check, or the plan alone; a stop leaves the grid as it was.
const std::function<bool(Okolina&)> Provjera = [](Okolina& o) {
    const QString cwd = QDir::currentPath();
    const bool rezultat =
        o.samoPlan ? NapraviRsŠtoTrebaAžurirati(o.t.k) : PripremiVerzijaTXT(o.t.k, o.t.seta());
    QDir::setCurrent(cwd);
    if (!rezultat) {
        EXPECT_EQ(o.t.mreža.prikaza, 0);
    }
    EXPECT_EQ(o.t.mreža.ažuriranjeOmogućeno, o.ažuriranje);
    return rezultat;
};

const QString NemaListe =
                  "Ne postoji datoteka {dir}Verzije.txt Program za automatsko ažuriranje novih programa "
                  "mora prestati sa ažuriranjem. Molimo da o ovoj poruci izvjestite Morvela tim za podršku.",
              Nečitljiva =
                  "PripremiVerzijaTXT - Desila se greška u čitanju zapisa u matricu. Prekida se ažuriranje!",
              MrežnaKopija =
                  "Nije moguće učitati kontrolnu datoteku sa mrežne lokacije! Provjerite i pokušajte "
                  "ponovno! Prekida se ažuriranje!",
              NemaPodataka = "Podaci o novim verzijama na postoje na lokaciji: ",
              NemaInterneta =
                  "Nije moguće učitati kontrolnu datoteku sa interneta! Provjerite vezu sa internetom i "
                  "pokušajte ponovno! Prekida se ažuriranje!",
              NemaNaMreži = "Ne postoji kontrolna datoteka na mrežnoj lokaciji: {lok} Prekida se ažuriranje!",
              NemaNove =
                  "NapraviRsŠtoTrebaAžurirati - Desila se greška u čitanju zapisa u matricu iz datoteke. "
                  "Prekida se ažuriranje!",
              Razvoj = QDir::toNativeSeparators("D:/Morvela software/Morvela knjigovodstvo V21/");

const QString Priprema = "PripremiVerzijaTXT- ", Kraj = "NapraviRsŠtoTrebaAžurirati - kraj";

// A run stopped by one message, shown in a box and logged after the given start.
Kvar Zaustavlja(
    const char* naziv, std::function<void(Okolina&)> postavi, const QString& tekst, const QString& log,
    const QStringList& isti = {}, std::function<void(const Okolina&)> još = [](const Okolina&) {}) {
    return {naziv, std::move(postavi), {{tekst, Ikona::Usklicnik}}, {log + tekst}, false, Isto(isti), još};
}
// A run that goes through without a box and logs the given line.
Kvar Prolazi(
    const char* naziv, std::function<void(Okolina&)> postavi, const QString& log = Kraj,
    std::function<void(const Okolina&)> još = [](const Okolina&) {}) {
    return {naziv, std::move(postavi), {}, {log}, true, {}, std::move(još)};
}
void Mrežom(Okolina& o) {
    o.t.izvor.odabrana = UpdateLokacija::MrežnaLokacija;
}

TEST(Kvarovi, EveryFailureOfTheCheckAndThePlan) {
    // The updater's row looks for the running program's own file.
    const QString vlastito = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QString stara = "NapraviRsŠtoTrebaAžurirati - Desila se greška u čitanju zapisa u matricu-STARI. "
                          "Prekida se ažuriranje!",
                  nemaStare =
                      "Ne postoji datoteka: {dir}Verzije.txt te nije moguće nastaviti sa ažuriranjem. "
                      "Kontaktirajte Morvela!";
    const std::initializer_list<Kvar> redovi = {
        Zaustavlja("installed list missing", [](Okolina& o) { QFile::remove(o.dir + "Verzije.txt"); },
                   NemaListe, Priprema, {"{upd}Verzije.txt", "{upd}Update.txt"}),
        Zaustavlja("installed list unreadable",
                   [](Okolina& o) { o.t.Zapiši(o.dir + "Verzije.txt", "bez točke-zareza\r\n"); }, Nečitljiva,
                   Priprema, {"{upd}Verzije.txt"}),
        // The log lives in the update directory, so nothing can be logged.
        {"update directory cannot be created",
         [](Okolina& o) {
             QDir(o.upd).removeRecursively();
             o.t.Zapiši(o.upd.chopped(1), "a file in its place");
         },
         {{"Nastala je greška u kreiranju Update direktorije!\r\nProgram za automatsko ažuriranje novih "
           "programa "
           "mora prestati sa radom.\r\nVjerojatno nemate administratorska prava ili je UAC uključen.",
           Ikona::Usklicnik}},
         {""},
         false,
         Isto({"{dir}Update"})},
        // Wherever the program runs, the developer computer works in its fixed directory.
        Zaustavlja("developer computer",
                   [](Okolina& o) {
                       o.t.imena.računalo = RazvojnoRačunalo;
                       QDir::setCurrent(o.t.korijen.path());
                       QDir().mkpath(Razvoj + "Update");
                   },
                   QString(NemaListe).replace("{dir}", Razvoj), Priprema, {"{upd}Verzije.txt"}),
        {"fetch reports success without the list",
         [](Okolina& o) { o.server.bezDatoteke = {"Verzije.txt"}; },
         {{NemaPodataka + "{upd}", Ikona::Nema}},
         {"PripremiVerzijaTXT- Učitao sa interneta Verzije.txt ali one ne postoje u {upd}"},
         false,
         Isto({"{upd}Update.txt"})},
        Zaustavlja("network copy fails", [](Okolina& o) { o.Mreža(false); }, MrežnaKopija, Priprema,
                   {"{upd}Update.txt"}),
        {"network copy reports success without the list",
         [](Okolina& o) { o.Mreža(true); },
         {{NemaPodataka + "{lok}", Ikona::Nema}},
         {"PripremiVerzijaTXT-  Kopirao sa mrežne lokacije Verzije.txt, ali ona ne postoji u {lok}"},
         false},
        Zaustavlja("list cannot be fetched", [](Okolina& o) { o.server.ne = {"Verzije.txt"}; }, NemaInterneta,
                   Priprema, {"{upd}Update.txt"}),
        Zaustavlja("list missing at the network location",
                   [](Okolina& o) {
                       Mrežom(o);
                       QFile::remove(o.lok + "Verzije.txt");
                   },
                   NemaNaMreži, Priprema + " ", {"{upd}Verzije.txt", "{upd}Update.txt"}),
        // A first run on this workstation creates the update directory.
        Prolazi("no update directory yet", [](Okolina& o) { QDir(o.upd).removeRecursively(); }),
        // A failed deletion of the earlier list is only logged.
        Prolazi(
            "no earlier list to delete",
            [](Okolina& o) {
                Mrežom(o);
                QFile::remove(o.upd + "Verzije.txt");
            },
            "KI-PripremiVerzijaTXT- Greška u brisanju datoteke {upd}Verzije.txt"),
        Zaustavlja("plan fails",
                   [](Okolina& o) {
                       Mrežom(o);
                       o.t.Zapiši(o.lok + "Verzije.txt", "bez točke-zareza\r\n");
                       o.ažuriranje = false;
                   },
                   NemaNove, "", {"{upd}Update.txt"}),
        Prolazi(
            "remote support already there", [](Okolina& o) { o.t.Zapiši(o.dir + ImeTeamViewera, "star"); },
            Kraj,
            [](const Okolina& o) {
                EXPECT_EQ(o.t.Pročitaj(o.dir + ImeTeamViewera), "star");
                EXPECT_EQ(o.server.imena, QStringList("Verzije.txt"));
            }),
        Prolazi("remote support copied from the network location", Mrežom, Kraj,
                [](const Okolina& o) { EXPECT_EQ(o.t.Pročitaj(o.dir + ImeTeamViewera), "MZ tv"); }),
        Prolazi(
            "a login page in place of remote support at the network location",
            [](Okolina& o) {
                Mrežom(o);
                o.t.Zapiši(o.lok + ImeTeamViewera, "<html>Prijava na mrežu</html>");
            },
            Priprema + " TeamViewerQS.exe nije program (ne počinje s MZ), možda je primljena stranica za "
                       "prijavu na mrežu umjesto njega.",
            [](const Okolina& o) { EXPECT_FALSE(QFile::exists(o.dir + ImeTeamViewera)); }),
        Prolazi(
            "remote support cannot be fetched", [](Okolina& o) { o.server.ne = {ImeTeamViewera}; },
            "Download na lokaciju- Nije moguće učitati TeamViewerQS.exe sa interneta! Provjerite vezu sa "
            "internetom i pokušajte ponovno!"),
        Prolazi(
            "remote support fetched but missing", [](Okolina& o) { o.server.bezDatoteke = {ImeTeamViewera}; },
            "Download na lokaciju- Učitao sa interneta TeamViewerQS.exe, ali one ne postoje u {dir}"),
        // The plan reads the list the check has put in the update directory.
        {"installed list missing",
         [](Okolina& o) {
             o.NovaLista();
             QFile::remove(o.dir + "Verzije.txt");
         },
         {{nemaStare, Ikona::Informacija}},
         {"NapraviRsŠtoTrebaAžurirati " + nemaStare},
         false,
         Isto({"{upd}Update.txt"})},
        Zaustavlja("installed list unreadable",
                   [](Okolina& o) {
                       o.NovaLista();
                       o.t.Zapiši(o.dir + "Verzije.txt", "bez točke-zareza\r\n");
                   },
                   stara, "", {"{upd}Update.txt"}),
        // The updater's missing file is looked for; the run's messages start empty.
        {"plan built",
         [](Okolina& o) {
             o.NovaLista();
             o.t.stanje.PorukeAkcija = "prijašnje akcije";
             o.t.stanje.PorukeGrešaka = "prijašnje greške";
         },
         {},
         {"NapraviRsŠtoTrebaAžurirati - Nije nađena datoteka: " + vlastito + " pa se mora napraviti"},
         true,
         {{"{upd}Update.txt", "-"}},
         [](const Okolina& o) {
             EXPECT_EQ(o.t.stanje.PorukeAkcija, "");
             EXPECT_EQ(o.t.stanje.PorukeGrešaka, "");
         }},
    };
    ProvjeriKvarove(redovi, Provjera);
}

// Where a key is set, the list is read only from a set whose signature and hashes hold.
TEST(Kvarovi, OnlyASignedSetIsPlannedWhereAKeyIsSet) {
    const QString potpisi = MORVELA_POTPISI_DIR "/", provjera = "ProvjeraPotpisa- ";
    auto potpisan = [potpisi](
                        UpdateLokacija izvor, std::function<void(Okolina&)> zatim = [](Okolina&) {}) {
        return [=](Okolina& o) {
            o.t.postavke.Snimi("Settings", "JavniKljuc",
                               QString::fromLatin1(o.t.Pročitaj(potpisi + "A.pub")));
            for (const char* ime : {"Verzije.txt", "Verzije.b2", "Verzije.b2.minisig"})
                o.t.Zapiši(o.lok + ime, o.t.Pročitaj(potpisi + "okolina/" + ime));
            o.t.izvor.odabrana = izvor;
            zatim(o);
        };
    };
    const QString izmijenjena =
                      "Kontrolna datoteka nije prihvaćena. Sadržaj datoteke Verzije.txt nije onaj koji "
                      "je izdavač potpisao (sažetak se ne slaže). Prekida se ažuriranje!",
                  stariji = "Skup nadogradnji nije prihvaćen. Skup ima seriju 200, a već je prihvaćen skup "
                            "serije 300: stariji skup se ne prihvaća. Prekida se ažuriranje!",
                  nepotpisan = "Nije moguće učitati Verzije.b2.minisig: skup nadogradnji nije potpisan ili "
                               "potpis nije dostupan, a program prihvaća samo potpisani skup. Prekida se "
                               "ažuriranje!",
                  lošKljuč =
                      "Javni ključ izdavača (RWQ) nije ispravan minisign ključ, pa se ne može prihvatiti "
                      "nijedan skup. Prekida se ažuriranje!";
    auto serija = [](const QByteArray& broj) {
        return [broj](const Okolina& o) { EXPECT_EQ(o.t.Pročitaj(o.upd + "Verzije.serija"), broj); };
    };
    // The list changed after signing: refused, and nothing left to plan from.
    const auto izmijeni = [](Okolina& o) {
        o.t.ZapišiListu(o.lok + "Verzije.txt", {"A.exe;9;9;9;5;9;", ImeUpdatera + ";1;1;1;5;9;"});
    };
    const auto bezListe = [](const Okolina& o) { EXPECT_FALSE(QFile::exists(o.upd + "Verzije.txt")); };
    const std::initializer_list<Kvar> redovi = {
        Prolazi("signed set from the server", potpisan(UpdateLokacija::InternetPrimarni), Kraj,
                serija("200\r\n")),
        Prolazi("signed set from the network location", potpisan(UpdateLokacija::MrežnaLokacija), Kraj,
                serija("200\r\n")),
        Zaustavlja("list changed at the server", potpisan(UpdateLokacija::InternetPrimarni, izmijeni),
                   izmijenjena, provjera, {}, bezListe),
        Zaustavlja("list changed at the network location", potpisan(UpdateLokacija::MrežnaLokacija, izmijeni),
                   izmijenjena, provjera, {}, bezListe),
        Zaustavlja("signature removed",
                   potpisan(UpdateLokacija::MrežnaLokacija,
                            [](Okolina& o) {
                                QFile::remove(o.lok + "Verzije.b2.minisig");
                                o.t.Zapiši(o.upd + "Verzije.b2.minisig", "an earlier check's");
                            }),
                   nepotpisan, provjera),
        Zaustavlja("replayed older set",
                   potpisan(UpdateLokacija::InternetPrimarni,
                            [](Okolina& o) { o.t.Zapiši(o.upd + "Verzije.serija", "300\r\n"); }),
                   stariji, provjera, {}, serija("300\r\n")),
        Zaustavlja("the settings' key is not a key",
                   potpisan(UpdateLokacija::InternetPrimarni,
                            [](Okolina& o) { o.t.postavke.Snimi("Settings", "JavniKljuc", "RWQ"); }),
                   lošKljuč, provjera),
        Prolazi(
            "no key: the set is not checked", [](Okolina&) {},
            provjera + "Skup nadogradnji se ne provjerava: u programu nije postavljen javni ključ izdavača."),
    };
    ProvjeriKvarove(redovi, Provjera);
}

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

    // Once the running program's own file is there, the updater row is not looked for again.
    TestOkruženje::Zapiši(
        s.ProgramskaDirektorija + QFileInfo(QCoreApplication::applicationFilePath()).fileName(), "x");
    Liste({ImeUpdatera + r}, {ImeUpdatera + r});
    const qsizetype redaka = t.LogPoruke().size();
    EXPECT_TRUE(Planirani().isEmpty());
    EXPECT_EQ(t.LogPoruke().mid(redaka).filter(P + "Nije nađena datoteka: "), QStringList());
}

TEST(PravilaVerzija, FieldValuesNewerRuleKindsAndArchiveNames) {
    const std::pair<const char*, double> vrijednosti[] = {
        {"04", 4}, {"", 0}, {" 2 1\t\n", 21}, {"12.5x", 12.5}, {"-5", 0}};
    for (const auto& [polje, vrijednost] : vrijednosti)
        EXPECT_DOUBLE_EQ(BrojčanaVrijednost(polje), vrijednost) << polje;
    EXPECT_EQ(VeličinaKao32("99999999999"), 2147483647);

    const std::tuple<QString, QString, bool> verzije[] = {
        {"21;4;2", "21;4;3", true},  {"21;4;3", "21;4;3", false},  {"2;0;0", "1;5;0", true},
        {"21;10;0", "21;9;5", true}, {"21;04;3", "21;4;3", false}, {"21;4;", "21;4;0", false},
        {"21;4;3", "20;3;2", false}};
    Matrica m;
    for (const auto& [stara, nova, novija] : verzije) {
        for (int i = 0; i < 3; ++i)
            m.postavi(0, i + 1, stara.section(';', i, i)), m.postavi(1, i + 1, nova.section(';', i, i));
        EXPECT_EQ(JeNovija(m, 0, m, 1), novija) << qPrintable(stara + " -> " + nova);
    }

    EXPECT_EQ(QStringList({ImeArhive("Račun21.exe"), ImeArhive("Porez žiro čč.dll"), ImeArhive("ČŽćšđ.exe")}),
              QStringList({"Racun21.7z", "Porez ziro cc.7z", "ČŽćšđ.7z"}));
}

} // namespace
} // namespace morvela::test
