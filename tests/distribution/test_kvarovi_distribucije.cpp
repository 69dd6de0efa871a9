#include "Kvarovi.h"
#include "Okruzenje.h"
#include "distribution/DownloadNaLokaciju.h"
#include "versions/PravilaVerzija.h"

#include <QDir>

#include <gtest/gtest.h>

namespace morvela::test {
namespace {

using Okviri = QList<QPair<QString, Ikona>>;
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
// line that must be there (empty: nothing logged), whether the run completed, and the files of
// the location that must be as they were.
struct Kvar {
    const char* naziv;
    bool interaktivno;
    std::function<void(Okolina&)> postavi;
    std::function<Okviri(const Okolina&)> okviri;
    std::function<QString(const Okolina&)> log;
    bool dovršeno;
    QStringList netaknuto;
};

TEST(Kvarovi, EveryFailureOfTheDistributionRun) {
    const Kvar redovi[] = {
        {"location missing",
         true,
         [](Okolina& o) { o.t.izvor.lokacije[1] = o.t.vanjski("Nema"); },
         [](const Okolina& o) {
             return Okviri{
                 {"Ne postoji unesena lokacija za download programa: " + o.t.vanjski("Nema") + Separator() +
                      "\r\nProgram ne može nastaviti sa presnimavanjem programa na zadanu lokaciju!",
                  Ikona::Usklicnik}};
         },
         [](const Okolina&) { return QString(); },
         false,
         {}},
        {"empty location refused",
         true,
         [](Okolina& o) { o.t.izvor.lokacije[1] = ""; },
         [](const Okolina&) {
             return Okviri{
                 {"Ne postoji unesena lokacija za download programa: \r\nProgram ne može nastaviti sa "
                  "presnimavanjem programa na zadanu lokaciju!",
                  Ikona::Usklicnik}};
         },
         [](const Okolina&) { return QString(); },
         false,
         {}},
        {"working directory cannot be created",
         true,
         [](Okolina& o) { o.t.Zapiši(o.W.chopped(1), "x"); },
         [](const Okolina& o) {
             EXPECT_EQ(o.t.završetaka, 1);
             return Okviri{{"Nastala je greška u kreiranju Update direktorije! Program za skidanje novih "
                            "programa mora prestati sa radom. Vjerojatno nemate administratorska prava.",
                            Ikona::Usklicnik}};
         },
         [](const Okolina&) { return QString(); },
         false,
         {"Update", "Verzije.txt"}},
        // Ending the program would also end the schedule.
        {"working directory cannot be created, scheduled",
         false,
         [](Okolina& o) { o.t.Zapiši(o.W.chopped(1), "x"); },
         [](const Okolina& o) {
             EXPECT_EQ(o.t.završetaka, 0);
             return Okviri{};
         },
         [](const Okolina&) { return QString("Download na lokaciju- "); },
         false,
         {"Update", "Verzije.txt"}},
        {"list not fetched",
         true,
         [](Okolina& o) { o.server.ne = {"Verzije.txt"}; },
         [](const Okolina&) {
             return Okviri{{Nema + Veza + " Prekida se ažuriranje!", Ikona::Usklicnik}};
         },
         [](const Okolina&) { return "Download na lokaciju- " + Nema + Veza + " Prekida se ažuriranje!"; },
         false,
         {"Verzije.txt", "P1.7z"}},
        {"list fetched but absent",
         true,
         [](Okolina& o) { o.server.bezDatoteke = {"Verzije.txt"}; },
         [](const Okolina& o) {
             return Okviri{{"Podaci o novim verzijama na postoje na lokaciji: " + o.W, Ikona::Nema}};
         },
         [](const Okolina& o) {
             return "Download na lokaciju- Učitao sa interneta Verzije.txt ali one ne postoje u " + o.W;
         },
         false,
         {"Verzije.txt"}},
        {"second list not fetched",
         true,
         [](Okolina& o) { o.server.ne = {"VerzijeU.txt"}; },
         [](const Okolina&) {
             return Okviri{{Nema + " VerzijeU" + Veza + " Prekida se ažuriranje!", Ikona::Usklicnik}};
         },
         [](const Okolina&) {
             return "Download na lokaciju- " + Nema + " VerzijeU" + Veza + " Prekida se ažuriranje!";
         },
         false,
         {"Verzije.txt", "VerzijeU.txt"}},
        {"second list fetched but absent",
         true,
         [](Okolina& o) { o.server.bezDatoteke = {"VerzijeU.txt"}; },
         [](const Okolina&) { return Okviri{}; },
         [](const Okolina& o) {
             return "Download na lokaciju- Učitao sa interneta VerzijeU.txt ali one ne postoje u " + o.W;
         },
         true,
         {"P1.7z"}},
        {"remote support not fetched",
         true,
         [](Okolina& o) { o.server.ne = {ImeTeamViewera}; },
         [](const Okolina&) {
             return Okviri{{"Nije moguće učitati TeamViewerQS.exe sa interneta" + Veza, Ikona::Usklicnik}};
         },
         [](const Okolina&) {
             return "Download na lokaciju- Nije moguće učitati TeamViewerQS.exe sa interneta" + Veza;
         },
         true,
         {"P1.7z"}},
        {"remote support fetched but absent",
         true,
         [](Okolina& o) { o.server.bezDatoteke = {ImeTeamViewera}; },
         [](const Okolina&) { return Okviri{}; },
         [](const Okolina& o) {
             return "Download na lokaciju- Učitao sa interneta TeamViewerQS.exe, ali one ne postoje u " + o.L;
         },
         true,
         {"P1.7z"}},
        {"new list unreadable",
         true,
         [](Okolina& o) { o.t.Zapiši(o.server.dir + "Verzije.txt", "bez točke-zareza\r\n"); },
         [](const Okolina&) {
             return Okviri{{"DownloadNaLokaciju - Desila se greška u čitanju zapisa u matricu. Prekida se "
                            "ažuriranje!",
                            Ikona::Usklicnik}};
         },
         [](const Okolina&) {
             return QString("DownloadNaLokaciju - Desila se greška u čitanju zapisa u matricu. Prekida se "
                            "ažuriranje!");
         },
         false,
         {"Verzije.txt", "P1.7z"}},
        {"location gone before the rows",
         true,
         [](Okolina& o) { o.Kvar("dir", o.L, 2); },
         [](const Okolina& o) {
             return Okviri{
                 {"Ne postoji direktorija: " + o.L + " ili niste spojeni!\r\nPrekida se sa prebacivanjem!",
                  Ikona::Nema}};
         },
         [](const Okolina&) { return QString(); },
         false,
         {"Verzije.txt", "P1.7z"}},
        // No question: every archive is fetched.
        {"old list unreadable",
         true,
         [](Okolina& o) { o.t.Zapiši(o.L + "Verzije.txt", "bez točke-zareza\r\n"); },
         [](const Okolina& o) {
             EXPECT_EQ(o.server.imena.filter(".7z").size(), 31);
             return Okviri{};
         },
         [](const Okolina&) {
             return QString(
                 "DownloadNaLokaciju - Desila se greška u čitanju zapisa u matricu. Kopiraju se sve "
                 "datoteke! Želite li nastaviti? ");
         },
         true,
         {}},
        {"archive size cannot be checked",
         true,
         [](Okolina& o) { o.Kvar("velicina", o.L + "P2.7z", 2); },
         [](const Okolina& o) {
             const QString t =
                 "Greška u provjeri veličine datoteke-dohvatu datoteke P2.7z. Prekida se ažuriranje!";
             EXPECT_TRUE(o.t.stanje.PorukeGrešaka.endsWith("\r\n" + t));
             return Okviri{{t, Ikona::Usklicnik}};
         },
         [](const Okolina&) {
             return QString(
                 "Download na lokaciju - Greška u provjeri veličine datoteke-dohvatu datoteke P2.7z. "
                 "Prekida se ažuriranje!");
         },
         false,
         {"Verzije.txt"}},
        // The error goes to the error tab only; the run still completes.
        {"list copy at the end fails",
         true,
         [](Okolina& o) { o.Kvar("kopiraj", o.L + "VerzijeU.txt"); },
         [](const Okolina& o) {
             EXPECT_EQ(o.t.status.txtPorGr, "\r\nGreška u kopiranju VerzijeU.txt " +
                                                DatotekeSKvarom::Greška(o.L + "VerzijeU.txt").opis);
             EXPECT_EQ(o.t.status.vrijednost, 2); // 29 steps, then from 1 again
             return Okviri{};
         },
         [](const Okolina&) {
             return QString("Download na lokaciju - Veličina presnimljene datoteke P31.7z");
         },
         true,
         {"VerzijeU.txt"}},
    };
    for (const Kvar& red : redovi) {
        SCOPED_TRACE(red.naziv);
        Okolina o;
        red.postavi(o);
        QMap<QString, QByteArray> prije;
        for (const QString& put : red.netaknuto)
            prije[put] = o.t.Pročitaj(o.L + put);
        PreuzmiNaLokacijuIJavi(o.t.k, red.interaktivno);

        EXPECT_EQ(o.t.status.prikazaPoruka, red.dovršeno ? 1 : 0);
        Okviri okviri = red.okviri(o);
        const QString L = o.t.izvor.lokacije[1], T = o.t.status.vrijemePrijenosa,
                      ukupno =
                          "Ukupno prenesno: " + QString::number(o.t.stanje.UkupnoPreneseno) + " bajtova.";
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
        Okviri pokazano;
        for (const Upit& u : o.t.poruke.upiti)
            pokazano << qMakePair(u.tekst, u.ikona);
        EXPECT_EQ(pokazano, okviri);

        const QString linija = red.log(o);
        const QStringList log = o.t.LogPoruke();
        if (linija.isEmpty()) {
            EXPECT_EQ(log, QStringList());
        } else {
            EXPECT_TRUE(ImaRed(log, linija)) << linija.toStdString();
        }
        for (const QString& put : red.netaknuto)
            EXPECT_EQ(o.t.Pročitaj(o.L + put), prije[put]) << put.toStdString();
        EXPECT_FALSE(o.t.status.vidljiv);
    }
}

} // namespace
} // namespace morvela::test
