#include "Kvarovi.h"
#include "Okruzenje.h"
#include "distribution/DownloadNaLokaciju.h"
#include "versions/PravilaVerzija.h"

#include <QDir>

#include <gtest/gtest.h>

namespace morvela::test {
namespace {

const QString Nema = "Nije moguće učitati kontrolnu datoteku sa interneta",
              Veza = "! Provjerite vezu sa internetom i pokušajte ponovno!";

// A location filled by an earlier run, 31 rows (more than the progress bar's 29 steps), nothing
// changed at the server since; the remote-support program is still to come.
struct Okolina {
    TestOkruženje t;
    DatotekeSKvarom datoteke;
    const QString L = t.vanjski("Lokacija") + Separator(), W = L + "Update" + Separator();
    PosluziteljDirektorija server{t.vanjski("Server") + Separator()};
    Okolina() {
        t.k.preuzimanje = &server;
        t.k.datoteke = &datoteke;
        t.izvor.lokacije[1] = t.vanjski("Lokacija");
        QStringList lista;
        for (int i = 1; i <= 31; ++i) {
            lista << QString("P%1.exe;21;1;0;3;9;").arg(i);
            for (const QString& dir : {server.dir, L})
                t.Zapiši(dir + QString("P%1.7z").arg(i), "abc");
        }
        for (const QString& dir : {server.dir, L}) {
            t.ZapišiListu(dir + "Verzije.txt", lista);
            t.Zapiši(dir + "VerzijeU.txt", "u");
        }
        t.Zapiši(server.dir + ImeTeamViewera, "tv");
    }
    void Kvar(const char* operacija, const QString& put, int kojiPut = 1) {
        datoteke.kvar = [=, n = 0](const char* op, const QString& p) mutable {
            return qstrcmp(op, operacija) == 0 && p == put && ++n == kojiPut;
        };
    }
};

// One fault: how it is set up, the run's own boxes (before the final report), the start of a log
// line that must be there (empty: nothing logged), whether the run completed, the files of the
// location that must be as they were, and any further check. Texts name the location {L}, its
// working directory {W}.
struct Kvar {
    const char* naziv;
    bool interaktivno;
    std::function<void(Okolina&)> postavi;
    Okviri okviri;
    QString log;
    bool dovršeno;
    QStringList netaknuto;
    std::function<void(const Okolina&)> još = [](const Okolina&) {};
};

const QString Prekida = " Prekida se ažuriranje!",
              NemaW = "Nastala je greška u kreiranju Update direktorije! Program "
                      "za skidanje novih programa mora prestati sa radom. "
                      "Vjerojatno nemate administratorska prava.",
              Nečitljiva = "DownloadNaLokaciju - Desila se greška u čitanju zapisa u matricu.",
              Veličina = "Greška u provjeri veličine datoteke-dohvatu datoteke P2.7z. Prekida se ažuriranje!";

TEST(Kvarovi, EveryFailureOfTheDistributionRun) {
    auto nemaL = [](const QString& L) {
        return "Ne postoji unesena lokacija za download programa: " + L +
               "\r\nProgram ne može nastaviti sa presnimavanjem programa na zadanu lokaciju!";
    };
    const Kvar redovi[] = {
        {"location missing",
         true,
         [](Okolina& o) { o.t.izvor.lokacije[1] = o.t.vanjski("Nema"); },
         {{nemaL("{L}"), Ikona::Usklicnik}},
         "",
         false,
         {}},
        {"empty location refused",
         true,
         [](Okolina& o) { o.t.izvor.lokacije[1] = ""; },
         {{nemaL(""), Ikona::Usklicnik}},
         "",
         false,
         {}},
        {"working directory cannot be created",
         true,
         [](Okolina& o) { o.t.Zapiši(o.W.chopped(1), "x"); },
         {{NemaW, Ikona::Usklicnik}},
         "",
         false,
         {"Update", "Verzije.txt"},
         [](const Okolina& o) { EXPECT_EQ(o.t.završetaka, 1); }},
        // Ending the program would also end the schedule.
        {"working directory cannot be created, scheduled",
         false,
         [](Okolina& o) { o.t.Zapiši(o.W.chopped(1), "x"); },
         {},
         "Download na lokaciju- ",
         false,
         {"Update", "Verzije.txt"},
         [](const Okolina& o) { EXPECT_EQ(o.t.završetaka, 0); }},
        {"list not fetched",
         true,
         [](Okolina& o) { o.server.ne = {"Verzije.txt"}; },
         {{Nema + Veza + Prekida, Ikona::Usklicnik}},
         "Download na lokaciju- " + Nema + Veza + Prekida,
         false,
         {"Verzije.txt", "P1.7z"}},
        {"list fetched but absent",
         true,
         [](Okolina& o) { o.server.bezDatoteke = {"Verzije.txt"}; },
         {{"Podaci o novim verzijama na postoje na lokaciji: {W}", Ikona::Nema}},
         "Download na lokaciju- Učitao sa interneta Verzije.txt ali one ne postoje u {W}",
         false,
         {"Verzije.txt"}},
        {"second list not fetched",
         true,
         [](Okolina& o) { o.server.ne = {"VerzijeU.txt"}; },
         {{Nema + " VerzijeU" + Veza + Prekida, Ikona::Usklicnik}},
         "Download na lokaciju- " + Nema + " VerzijeU" + Veza + Prekida,
         false,
         {"Verzije.txt", "VerzijeU.txt"}},
        {"second list fetched but absent",
         true,
         [](Okolina& o) { o.server.bezDatoteke = {"VerzijeU.txt"}; },
         {},
         "Download na lokaciju- Učitao sa interneta VerzijeU.txt ali one ne postoje u {W}",
         true,
         {"P1.7z"}},
        {"remote support not fetched",
         true,
         [](Okolina& o) { o.server.ne = {ImeTeamViewera}; },
         {{"Nije moguće učitati TeamViewerQS.exe sa interneta" + Veza, Ikona::Usklicnik}},
         "Download na lokaciju- Nije moguće učitati TeamViewerQS.exe sa interneta" + Veza,
         true,
         {"P1.7z"}},
        {"remote support fetched but absent",
         true,
         [](Okolina& o) { o.server.bezDatoteke = {ImeTeamViewera}; },
         {},
         "Download na lokaciju- Učitao sa interneta TeamViewerQS.exe, ali one ne postoje u {L}",
         true,
         {"P1.7z"}},
        {"new list unreadable",
         true,
         [](Okolina& o) { o.t.Zapiši(o.server.dir + "Verzije.txt", "bez točke-zareza\r\n"); },
         {{Nečitljiva + Prekida, Ikona::Usklicnik}},
         Nečitljiva + Prekida,
         false,
         {"Verzije.txt", "P1.7z"}},
        {"location gone before the rows",
         true,
         [](Okolina& o) { o.Kvar("dir", o.L, 2); },
         {{"Ne postoji direktorija: {L} ili niste spojeni!\r\nPrekida se sa prebacivanjem!", Ikona::Nema}},
         "",
         false,
         {"Verzije.txt", "P1.7z"}},
        // No question: every archive is fetched.
        {"old list unreadable",
         true,
         [](Okolina& o) { o.t.Zapiši(o.L + "Verzije.txt", "bez točke-zareza\r\n"); },
         {},
         Nečitljiva + " Kopiraju se sve datoteke! Želite li nastaviti? ",
         true,
         {},
         [](const Okolina& o) { EXPECT_EQ(o.server.imena.filter(".7z").size(), 31); }},
        {"archive size cannot be checked",
         true,
         [](Okolina& o) { o.Kvar("velicina", o.L + "P2.7z", 2); },
         {{Veličina, Ikona::Usklicnik}},
         "Download na lokaciju - " + Veličina,
         false,
         {"Verzije.txt"},
         [](const Okolina& o) { EXPECT_TRUE(o.t.stanje.PorukeGrešaka.endsWith("\r\n" + Veličina)); }},
        // The error goes to the error tab only; the run completes, its bar having wrapped after 29 rows.
        {"list copy at the end fails",
         true,
         [](Okolina& o) { o.Kvar("kopiraj", o.L + "VerzijeU.txt"); },
         {},
         "Download na lokaciju - Veličina presnimljene datoteke P31.7z",
         true,
         {"VerzijeU.txt"},
         [](const Okolina& o) {
             EXPECT_EQ(o.t.status.txtPorGr, "\r\nGreška u kopiranju VerzijeU.txt " +
                                                DatotekeSKvarom::Greška(o.L + "VerzijeU.txt").opis);
             EXPECT_EQ(o.t.status.vrijednost, 2);
         }},
    };
    for (const Kvar& red : redovi) {
        SCOPED_TRACE(red.naziv);
        Okolina o;
        red.postavi(o);
        const QMap<QString, QByteArray> prije = Sadržaji(o.L, red.netaknuto);
        PreuzmiNaLokacijuIJavi(o.t.k, red.interaktivno);

        EXPECT_EQ(o.t.status.prikazaPoruka, red.dovršeno ? 1 : 0);
        const QString L = o.t.izvor.lokacije[1], T = o.t.status.vrijemePrijenosa,
                      ukupno =
                          "Ukupno prenesno: " + QString::number(o.t.stanje.UkupnoPreneseno) + " bajtova.";
        Okviri okviri = red.okviri;
        if (red.interaktivno && red.dovršeno)
            okviri << qMakePair("Uspješno skinuti programi na lokaciju " + L + " \r\n" + T + "\r\n" + ukupno +
                                    "\r\nSada je moguće ažuriranje za ostala računala!",
                                Ikona::Usklicnik);
        else if (red.interaktivno)
            okviri << qMakePair(
                "Upozorenje. Nisu uspješno skinuti programi na lokaciju " + L +
                    " pa ažuriranje sa te lokacije nije preporučljivo. Otklonite nastalu grešku "
                    "ili kontaktirajte Morvela.\r\nTek kada prijenos prođe bez problema moguće "
                    "je koristiti ovu direktoriju za ažuriranje programa!\r\n" +
                    T + "\r\n" + ukupno,
                Ikona::Usklicnik);
        UsporediOkvire(o.t.poruke.upiti, okviri, [&](const QString& t) {
            return Popuni(t, {{"L", L}, {"W", o.W}});
        });

        const QString linija = Popuni(red.log, {{"L", o.L}, {"W", o.W}});
        const QStringList log = o.t.LogPoruke();
        if (linija.isEmpty()) {
            EXPECT_EQ(log, QStringList());
        } else {
            EXPECT_TRUE(ImaRed(log, linija)) << linija.toStdString();
        }
        EXPECT_EQ(Sadržaji(o.L, red.netaknuto), prije);
        EXPECT_FALSE(o.t.status.vidljiv);
        red.još(o);
    }
}

} // namespace
} // namespace morvela::test
