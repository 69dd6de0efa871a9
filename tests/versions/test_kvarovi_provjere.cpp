#include "Kvarovi.h"
#include "Okruzenje.h"
#include "versions/KontrolnaDatoteka.h"
#include "versions/Plan.h"
#include "versions/PravilaVerzija.h"

#include <QDir>

#include <gtest/gtest.h>

namespace morvela::test {
namespace {

const QString Prekid = " Prekida se ažuriranje!",
              NemaPodataka = "Podaci o novim verzijama na postoje na lokaciji: ";

// A suite whose installed list is older than the one at the server (which is also the network
// location), with an earlier list and Update.txt left in the update directory.
struct Okolina {
    TestOkruženje t;
    DatotekeSKvarom datoteke;
    const QString dir = t.dir(), upd = t.updateDir(), lok = t.vanjski("server") + Separator();
    PosluziteljDirektorija server{lok};
    Okolina() {
        t.k.preuzimanje = &server;
        t.k.datoteke = &datoteke;
        t.izvor.lokacije[0] = lok;
        t.mreža.ažuriranjeOmogućeno = true;
        t.ZapišiListu(dir + "Verzije.txt", {"A.exe;1;1;1;5;9;", ImeUpdatera + ";1;1;1;5;9;"});
        t.ZapišiListu(lok + "Verzije.txt", {"A.exe;1;1;2;5;9;", ImeUpdatera + ";1;1;1;5;9;"});
        t.Zapiši(lok + ImeTeamViewera, "tv");
        t.Zapiši(upd + "Verzije.txt", "prijašnja");
        t.Zapiši(upd + "Update.txt", "prijašnji");
    }
    void Mreža() { t.izvor.odabrana = MrežnaLokacija; }
    // Copies to one target fail, or with bezDatoteke claim success and write nothing.
    void KopijaNe(const QString& na, bool bezDatoteke = false) {
        datoteke.kopijaBezDatoteke = bezDatoteke;
        datoteke.kvar = [na](const char* op, const QString& p) {
            return qstrcmp(op, "kopiraj") == 0 && p == na;
        };
    }
};

struct Okvir {
    QString tekst;
    Ikona ikona;
};

// One fault: how it is set up, the boxes shown, a log line that must be there
// (empty: nothing logged at all), the result, and the files (under the program
// directory; "-" before a name: that must be gone) as they were before.
struct Kvar {
    const char* naziv;
    std::function<void(Okolina&)> postavi;
    std::function<QList<Okvir>(const Okolina&)> okviri;
    std::function<QString(const Okolina&)> log;
    bool rezultat;
    QStringList netaknuto;
};

void Provjeri(bool (*radnja)(Kontekst&), const Kvar& red) {
    SCOPED_TRACE(red.naziv);
    Okolina o;
    red.postavi(o);
    QMap<QString, QByteArray> prije;
    for (const QString& put : red.netaknuto)
        prije[put] = o.t.Pročitaj(o.dir + put);
    const QString cwd = QDir::currentPath();
    const bool rezultat = radnja(o.t.k);
    QDir::setCurrent(cwd);
    EXPECT_EQ(rezultat, red.rezultat);
    const QList<Okvir> okviri = red.okviri(o);
    ASSERT_EQ(o.t.poruke.tekstovi().size(), okviri.size()) << o.t.poruke.tekstovi().join("|").toStdString();
    for (int i = 0; i < okviri.size(); ++i) {
        EXPECT_EQ(o.t.poruke.upiti[i].tekst, okviri[i].tekst);
        EXPECT_EQ(o.t.poruke.upiti[i].ikona, okviri[i].ikona);
    }
    const QString linija = red.log(o);
    if (linija.isEmpty()) {
        EXPECT_EQ(o.t.LogPoruke(), QStringList());
    } else {
        EXPECT_TRUE(o.t.LogPoruke().contains(linija)) << linija.toStdString();
    }
    for (const QString& put : red.netaknuto)
        EXPECT_EQ(o.t.Pročitaj(o.dir + put), prije[put]) << put.toStdString();
    // A stop before the plan leaves the grid and the update command as they were.
    if (!rezultat) {
        EXPECT_EQ(o.t.mreža.prikaza, 0);
        EXPECT_TRUE(o.t.mreža.ažuriranjeOmogućeno);
    }
}

QList<Okvir> Nijedan(const Okolina&) {
    return {};
}

TEST(Kvarovi, EveryFailureOfTheCheck) {
    auto nemaListe = [](const QString& dir) {
        return "Ne postoji datoteka " + dir +
               "Verzije.txt Program za automatsko ažuriranje novih programa mora prestati sa "
               "ažuriranjem. Molimo da o ovoj poruci izvjestite Morvela tim za podršku.";
    };
    const QString nečitljiva = "PripremiVerzijaTXT - Desila se greška u čitanju zapisa u matricu." + Prekid;
    const QString mrežnaKopija =
        "Nije moguće učitati kontrolnu datoteku sa mrežne lokacije! Provjerite i pokušajte ponovno!" + Prekid;
    const Kvar redovi[] = {
        {"installed list missing",
         [](Okolina& o) { QFile::remove(o.dir + "Verzije.txt"); },
         [&](const Okolina& o) {
             return QList<Okvir>{{nemaListe(o.dir), Ikona::Usklicnik}};
         },
         [&](const Okolina& o) { return "PripremiVerzijaTXT- " + nemaListe(o.dir); },
         false,
         {"Update/Verzije.txt", "Update/Update.txt"}},
        {"installed list unreadable",
         [](Okolina& o) { o.t.Zapiši(o.dir + "Verzije.txt", "bez točke-zareza\r\n"); },
         [&](const Okolina&) {
             return QList<Okvir>{{nečitljiva, Ikona::Usklicnik}};
         },
         [&](const Okolina&) { return "PripremiVerzijaTXT- " + nečitljiva; },
         false,
         {"Update/Verzije.txt", "Verzije.txt"}},
        // The log lives in the update directory, so nothing can be logged.
        {"update directory cannot be created",
         [](Okolina& o) {
             QDir(o.upd).removeRecursively();
             o.t.Zapiši(o.upd.chopped(1), "a file in its place");
         },
         [](const Okolina&) {
             return QList<Okvir>{
                 {"Nastala je greška u kreiranju Update direktorije!\r\nProgram za automatsko "
                  "ažuriranje novih programa mora prestati sa radom.\r\nVjerojatno nemate "
                  "administratorska prava ili je UAC uključen.",
                  Ikona::Usklicnik}};
         },
         [](const Okolina&) { return QString(); },
         false,
         {"Update", "Verzije.txt"}},
        // Wherever the program runs, the developer computer works in its fixed directory.
        {"developer computer",
         [](Okolina& o) {
             o.t.imena.računalo = RazvojnoRačunalo;
             QDir::setCurrent(o.t.korijen.path());
             QDir().mkpath("D:/Morvela software/Morvela knjigovodstvo V21/Update");
         },
         [&](const Okolina&) {
             return QList<Okvir>{
                 {nemaListe(QDir::toNativeSeparators("D:/Morvela software/Morvela knjigovodstvo V21/")),
                  Ikona::Usklicnik}};
         },
         [&](const Okolina&) {
             return "PripremiVerzijaTXT- " +
                    nemaListe(QDir::toNativeSeparators("D:/Morvela software/Morvela knjigovodstvo V21/"));
         },
         false,
         {"Update/Verzije.txt", "Verzije.txt"}},
        {"fetch reports success without the list",
         [](Okolina& o) { o.server.bezDatoteke = {"Verzije.txt"}; },
         [](const Okolina& o) {
             return QList<Okvir>{{NemaPodataka + o.upd, Ikona::Nema}};
         },
         [](const Okolina& o) {
             return "PripremiVerzijaTXT- Učitao sa interneta Verzije.txt ali one ne postoje u " + o.upd;
         },
         false,
         {"Verzije.txt", "Update/Update.txt"}},
        {"network copy fails",
         [](Okolina& o) {
             o.Mreža();
             o.KopijaNe(o.upd + "Verzije.txt");
         },
         [&](const Okolina&) {
             return QList<Okvir>{{mrežnaKopija, Ikona::Usklicnik}};
         },
         [&](const Okolina&) { return "PripremiVerzijaTXT- " + mrežnaKopija; },
         false,
         {"Verzije.txt", "Update/Update.txt"}},
        {"network copy reports success without the list",
         [](Okolina& o) {
             o.Mreža();
             o.KopijaNe(o.upd + "Verzije.txt", true);
         },
         [](const Okolina& o) {
             return QList<Okvir>{{NemaPodataka + o.lok, Ikona::Nema}};
         },
         [](const Okolina& o) {
             return "PripremiVerzijaTXT-  Kopirao sa mrežne lokacije Verzije.txt, ali ona ne postoji u " +
                    o.lok;
         },
         false,
         {"Verzije.txt"}},
        {"remote support copied from the network location",
         [](Okolina& o) { o.Mreža(); },
         Nijedan,
         [](const Okolina& o) {
             EXPECT_EQ(o.t.Pročitaj(o.dir + ImeTeamViewera), "tv");
             return QString("NapraviRsŠtoTrebaAžurirati - kraj");
         },
         true,
         {"Verzije.txt"}},
        {"remote support cannot be fetched",
         [](Okolina& o) { o.server.ne = {ImeTeamViewera}; },
         Nijedan,
         [](const Okolina&) {
             return QString("Download na lokaciju- Nije moguće učitati TeamViewerQS.exe sa interneta! "
                            "Provjerite vezu sa internetom i pokušajte ponovno!");
         },
         true,
         {"Verzije.txt"}},
        {"remote support fetched but missing",
         [](Okolina& o) { o.server.bezDatoteke = {ImeTeamViewera}; },
         Nijedan,
         [](const Okolina& o) {
             return "Download na lokaciju- Učitao sa interneta TeamViewerQS.exe, ali one ne postoje u " +
                    o.dir;
         },
         true,
         {"Verzije.txt"}},
    };
    for (const Kvar& red : redovi)
        Provjeri(PripremiVerzijaTXT, red);
}

// The plan is read from the update directory the check has filled.
TEST(Kvarovi, EveryFailureOfThePlan) {
    const QString P = "NapraviRsŠtoTrebaAžurirati";
    const QString nova = P + " - Desila se greška u čitanju zapisa u matricu iz datoteke." + Prekid;
    const QString stara = P + " - Desila se greška u čitanju zapisa u matricu-STARI." + Prekid;
    auto nemaStare = [](const Okolina& o) {
        return "Ne postoji datoteka: " + o.dir +
               "Verzije.txt te nije moguće nastaviti sa ažuriranjem. Kontaktirajte Morvela!";
    };
    auto novaLista = [](Okolina& o) {
        o.t.Zapiši(o.upd + "Verzije.txt", o.t.Pročitaj(o.lok + "Verzije.txt"));
    };
    const Kvar redovi[] = {
        {"new list unreadable",
         [](Okolina& o) { o.t.Zapiši(o.upd + "Verzije.txt", "bez točke-zareza\r\n"); },
         [&](const Okolina&) {
             return QList<Okvir>{{nova, Ikona::Usklicnik}};
         },
         [&](const Okolina&) { return nova; },
         false,
         {"Update/Update.txt"}},
        {"installed list missing",
         [&](Okolina& o) {
             novaLista(o);
             QFile::remove(o.dir + "Verzije.txt");
         },
         [&](const Okolina& o) {
             return QList<Okvir>{{nemaStare(o), Ikona::Informacija}};
         },
         [&](const Okolina& o) { return P + " " + nemaStare(o); },
         false,
         {"Update/Update.txt"}},
        {"installed list unreadable",
         [&](Okolina& o) {
             novaLista(o);
             o.t.Zapiši(o.dir + "Verzije.txt", "bez točke-zareza\r\n");
         },
         [&](const Okolina&) {
             return QList<Okvir>{{stara, Ikona::Usklicnik}};
         },
         [&](const Okolina&) { return stara; },
         false,
         {"Update/Update.txt"}},
        // The updater is never planned, not even when its file is gone; the run's messages start empty.
        {"plan built",
         [&](Okolina& o) {
             novaLista(o);
             o.t.stanje.PorukeAkcija = "prijašnje akcije";
             o.t.stanje.PorukeGrešaka = "prijašnje greške";
         },
         Nijedan,
         [&](const Okolina& o) {
             EXPECT_EQ(o.t.mreža.redovi.size(), 1);
             EXPECT_EQ(o.t.mreža.redovi.value(0).ime, "A.exe");
             EXPECT_FALSE(QFile::exists(o.upd + "Update.txt"));
             EXPECT_EQ(o.t.stanje.PorukeAkcija, "");
             EXPECT_EQ(o.t.stanje.PorukeGrešaka, "");
             return P + " - Nije nađena datoteka: " + ImeUpdatera + " pa se mora napraviti";
         },
         true,
         {"Verzije.txt"}},
    };
    for (const Kvar& red : redovi)
        Provjeri(NapraviRsŠtoTrebaAžurirati, red);
}

} // namespace
} // namespace morvela::test
