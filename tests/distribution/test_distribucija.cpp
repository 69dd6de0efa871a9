#include "Okruzenje.h"
#include "TestServer.h"
#include "distribution/DownloadNaLokaciju.h"
#include "transfer/HttpPreuzimanje.h"
#include "versions/PravilaVerzija.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

using namespace morvela;
using namespace morvela::test;

namespace {

// Serves files from a directory the way the download server would, and
// remembers every name asked for.
class PreuzimanjeSaServera : public IPreuzimanje {
public:
    explicit PreuzimanjeSaServera(QString server) : server(std::move(server)) {}
    bool DownloadDatoteke(const QString& ime, const QString& dir) override {
        dohvaćeno << ime;
        if (prije) prije(ime);
        if (neuspjeh.contains(ime)) return false;
        if (bezDatoteke.contains(ime)) return true;
        QFile::remove(dir + ime);
        return QFile::copy(server + ime, dir + ime);
    }
    QString server;
    QStringList dohvaćeno;
    QSet<QString> neuspjeh, bezDatoteke;
    std::function<void(const QString&)> prije;
};

struct Zapis {
    QString ime;
    QString verzija = QStringLiteral("21;1;0");
    int bajtova = 10;
    QString stvarna = QStringLiteral("100");
    QString naListi = {}; // the listed archive size when it is not the real one
};

struct Distribucija : ::testing::Test {
    TestOkruženje o;
    const QString server = SaSeparatorom(o.vanjski("Server"));
    const QString L = SaSeparatorom(o.vanjski("Lokacija"));
    const QString W = L + "Update" + Separator();
    PreuzimanjeSaServera prijenos{server};

    Distribucija() {
        QDir().mkpath(L);
        QDir().mkpath(server);
        o.izvor.lokacije[1] = o.vanjski("Lokacija"); // without the separator
        o.k.preuzimanje = &prijenos;
        o.Zapiši(server + "VerzijeU.txt", "u");
        o.Zapiši(server + "TeamViewerQS.exe", "tv");
    }
    // Puts the archives and their list on the server; fill tells one publication from another.
    void Objavi(const QList<Zapis>& zapisi, char fill = 'a') {
        QStringList lista;
        for (const Zapis& z : zapisi) {
            o.Zapiši(server + ImeArhive(z.ime), QByteArray(z.bajtova, fill));
            const QString vel = z.naListi.isEmpty() ? QString::number(z.bajtova) : z.naListi;
            lista << z.ime + ";" + z.verzija + ";" + vel + ";" + z.stvarna + ";";
        }
        o.ZapišiListu(server + "Verzije.txt", lista);
    }
    bool Pokreni(bool interaktivno = true) {
        prijenos.dohvaćeno.clear();
        o.poruke.upiti.clear();
        return DownloadNaLokaciju(o.k, interaktivno);
    }
    QStringList Arhive() const {
        QStringList a;
        for (const QString& ime : prijenos.dohvaćeno)
            if (ime.endsWith(".7z")) a << ime;
        return a;
    }
};

const QList<Zapis> Osnovni = {{"Knjige21.exe"}, {"MorvIzmjBaza21.dll"}, {"Izmjena1.enc"}, {"Upute.chm"}};

TEST_F(Distribucija, FirstRunIntoEmptyLocationAsksThenCopiesEverything) {
    Objavi(Osnovni);
    prijenos.prije = [&](const QString&) { o.status.vrijemePrijenosa = "Vrijeme prijenosa: 1.50 s"; };
    PreuzmiNaLokacijuIJavi(o.k, true);

    ASSERT_EQ(o.poruke.upiti.size(), 2);
    EXPECT_EQ(o.poruke.upiti[0].tekst,
              "Ne postoji datoteka: " + L +
                  "Verzije.txt. Kopiraju se sve datoteke. Želite li nastaviti sa download-om?");
    EXPECT_EQ(o.poruke.upiti[0].gumbi, Gumbi::DaNe);
    EXPECT_EQ(o.izvor.lokacije[1], L);
    EXPECT_EQ(prijenos.dohvaćeno,
              QStringList({"Verzije.txt", "VerzijeU.txt", "TeamViewerQS.exe", "Knjige21.7z",
                           "MorvIzmjBaza21.7z", "Izmjena1.7z", "Upute.7z"}));
    EXPECT_EQ(o.stanje.UkupnoPreneseno, 40);
    EXPECT_EQ(o.Pročitaj(L + "Verzije.txt"), o.Pročitaj(server + "Verzije.txt"));
    EXPECT_TRUE(QFile::exists(W + "Verzije.txt") && QFile::exists(L + "VerzijeU.txt"));
    EXPECT_EQ(o.status.txtPor, "\r\nKopirano Verzije.txt\r\nKopirano VerzijeU.txt");
    EXPECT_EQ(o.status.txtPorGr, "");
    EXPECT_FALSE(o.status.vidljiv || o.status.mjeriVrijeme);
    EXPECT_EQ(o.poruke.upiti[1].tekst,
              "Uspješno skinuti programi na lokaciju " + L +
                  " \r\nVrijeme prijenosa: 1.50 s\r\nUkupno prenesno: 40 bajtova.\r\n"
                  "Sada je moguće ažuriranje za ostala računala!");

    // Nothing changed on the server: only the lists come down again.
    ASSERT_TRUE(Pokreni());
    EXPECT_EQ(prijenos.dohvaćeno, QStringList({"Verzije.txt", "VerzijeU.txt"}));
    EXPECT_TRUE(o.poruke.upiti.isEmpty());
    EXPECT_EQ(o.stanje.UkupnoPreneseno, 0);
    EXPECT_EQ(o.stanje.PorukeAkcija,
              "\r\nIsta verzija: Knjige21.exe\r\nIsta verzija: MorvIzmjBaza21.dll\r\nIsta "
              "verzija: Izmjena1.enc\r\nIsta verzija: Upute.chm\r\nKopirano Verzije.txt\r\n"
              "Kopirano VerzijeU.txt");
    EXPECT_EQ(o.LogPoruke()
                  .filter(QRegularExpression("^Download na lokaciju - Veličina .* je 10, a veličina "
                                             "originalne datoteke je 10\\. OK\\.$"))
                  .size(),
              8);
}

TEST_F(Distribucija, NoToTheMissingListStopsBeforeAnyArchive) {
    Objavi(Osnovni);
    o.poruke.odgovori = {Odgovor::Ne};
    EXPECT_FALSE(Pokreni());
    EXPECT_TRUE(Arhive().isEmpty());
    EXPECT_EQ(o.status.prikazaPoruka, 0);
}

TEST_F(Distribucija, HelpFilesFollowAnyFetchAndScriptsFollowTheDatabaseLibrary) {
    const QList<Zapis> prije = {{"Prvi.chm"},  {"Prva.enc"},           {"Knjige21.exe"}, {"Druga.enc"},
                                {"Drugi.chm"}, {"MorvIzmjBaza21.dll"}, {"Treca.enc"}};
    Objavi(prije);
    ASSERT_TRUE(Pokreni());

    QList<Zapis> poslije = prije;
    poslije[2].verzija = "21;1;1"; // Knjige21.exe
    poslije[5].verzija = "21;2;0"; // MorvIzmjBaza21.dll
    Objavi(poslije, 'b');
    ASSERT_TRUE(Pokreni());
    EXPECT_EQ(Arhive(), QStringList({"Knjige21.7z", "Drugi.7z", "MorvIzmjBaza21.7z", "Treca.7z"}));
    EXPECT_EQ(o.stanje.UkupnoPreneseno, 40);
    EXPECT_EQ(o.Pročitaj(L + "Treca.7z"), QByteArray(10, 'b'));

    // Only a growth of a help file's sizes counts.
    poslije[0].stvarna = "99";
    Objavi(poslije, 'c');
    ASSERT_TRUE(Pokreni());
    EXPECT_TRUE(Arhive().isEmpty());
    poslije[0].bajtova = 11;
    o.Zapiši(L + "Prvi.7z", QByteArray(11, 'c')); // the archive at the location already fits the new list
    Objavi(poslije, 'd');
    ASSERT_TRUE(Pokreni());
    EXPECT_EQ(Arhive(), QStringList({"Prvi.7z", "Drugi.7z"}));
    poslije[0].stvarna = "150";
    Objavi(poslije, 'e');
    ASSERT_TRUE(Pokreni());
    EXPECT_EQ(Arhive(), QStringList({"Prvi.7z", "Drugi.7z"}));
}

TEST_F(Distribucija, LocationArchivesMissingOrWrongAreFetchedAgain) {
    Objavi(Osnovni);
    ASSERT_TRUE(Pokreni());
    QFile::remove(L + "Knjige21.7z");
    o.Zapiši(L + "MorvIzmjBaza21.7z", "short");
    QList<Zapis> poslije = Osnovni;
    poslije.insert(1, {"Novi21.exe"});
    Objavi(poslije, 'n');
    ASSERT_TRUE(Pokreni());

    EXPECT_EQ(Arhive(),
              QStringList({"Knjige21.7z", "Novi21.7z", "MorvIzmjBaza21.7z", "Izmjena1.7z", "Upute.7z"}));
    EXPECT_EQ(o.stanje.PorukeGrešaka,
              "\r\nNije nađena 7z datoteka: Knjige21.7z pa se mora napraviti"
              "\r\nNije pronađen zapis o starim verzija za :Novi21.exe pa se mora kopirati"
              "\r\nNađena 7z datoteka: MorvIzmjBaza21.7z ali je veličina različita 5 Novi: 10 "
              "pa će se prekopirati");
    EXPECT_EQ(o.Pročitaj(L + "MorvIzmjBaza21.7z"), QByteArray(10, 'n'));
}

TEST_F(Distribucija, ServerArchiveOfAnotherSizeIsReportedAndTheRunGoesOn) {
    Objavi({{"Knjige21.exe", "21;1;0", 12, "100", "10"}, {"Place21.exe"}});
    PreuzmiNaLokacijuIJavi(o.k, true);
    const QString greška =
        "Veličina presnimljene datoteke Knjige21.7z je 12, a veličina originalne datoteke je 10 "
        "i one nisu iste. Moguća greška u prijenosu datoteke. Ponovite postupak. Nastaviće se "
        "prijenos za ostale datoteke!";
    EXPECT_TRUE(o.poruke.tekstovi().contains(greška));
    EXPECT_TRUE(o.LogPoruke().contains("Download na lokaciju - " + greška));
    EXPECT_EQ(o.status.txtPorGr, "\r\n" + greška);
    EXPECT_EQ(Arhive().size(), 2);
    EXPECT_TRUE(o.poruke.tekstovi().last().startsWith("Uspješno skinuti programi"));
}

TEST_F(Distribucija, ScheduledRunShowsNothingAndCopiesAllWithoutAnOldList) {
    Objavi(Osnovni);
    PreuzmiNaLokacijuIJavi(o.k, false);
    EXPECT_TRUE(o.poruke.upiti.isEmpty());
    EXPECT_EQ(Arhive().size(), 4);
    EXPECT_TRUE(o.LogPoruke().contains("Download na lokaciju- Ne postoji datoteka: " + L +
                                       "Verzije.txt. Automatsko preuzimanje kopira sve datoteke."));

    prijenos.neuspjeh = {"Verzije.txt"};
    PreuzmiNaLokacijuIJavi(o.k, false);
    EXPECT_TRUE(o.poruke.upiti.isEmpty());
    EXPECT_EQ(o.LogPoruke().last(),
              "Download na lokaciju- Nije moguće učitati kontrolnu datoteku sa interneta! "
              "Provjerite vezu sa internetom i pokušajte ponovno! Prekida se ažuriranje!");
}

TEST_F(Distribucija, UnreadableOldListCopiesEverythingWithoutAsking) {
    Objavi(Osnovni);
    o.Zapiši(L + "Verzije.txt", "Knjige21.exe;21;1;0;10\r\n");
    ASSERT_TRUE(Pokreni());
    EXPECT_TRUE(o.poruke.upiti.isEmpty());
    EXPECT_EQ(Arhive().size(), 4);
    EXPECT_EQ(o.stanje.PorukeGrešaka, "");
    EXPECT_TRUE(
        o.LogPoruke().contains("DownloadNaLokaciju - Desila se greška u čitanju zapisa u matricu. Kopiraju "
                               "se sve datoteke! Želite li nastaviti? "));
}

TEST_F(Distribucija, MissingEmptyOrUnusableLocationStopsEarly) {
    Objavi(Osnovni);
    o.izvor.lokacije[1] = "";
    EXPECT_FALSE(Pokreni());
    EXPECT_EQ(o.poruke.tekstovi(),
              QStringList("Ne postoji unesena lokacija za download programa: \r\nProgram ne "
                          "može nastaviti sa presnimavanjem programa na zadanu lokaciju!"));

    o.izvor.lokacije[1] = o.vanjski("Nema");
    EXPECT_FALSE(Pokreni());
    EXPECT_TRUE(o.poruke.tekstovi()[0].startsWith(
        "Ne postoji unesena lokacija za download programa: " + o.vanjski("Nema") + Separator() + "\r\n"));
    EXPECT_FALSE(Pokreni(false));
    EXPECT_TRUE(o.poruke.upiti.isEmpty());
    EXPECT_TRUE(prijenos.dohvaćeno.isEmpty());

    // A file in the way of the working directory.
    o.izvor.lokacije[1] = L;
    o.Zapiši(L + "Update", "x");
    EXPECT_FALSE(Pokreni(false));
    EXPECT_EQ(o.završetaka, 0);
    EXPECT_TRUE(
        o.LogPoruke().last().startsWith("Download na lokaciju- Nastala je greška u kreiranju Update "));
    EXPECT_FALSE(Pokreni());
    EXPECT_EQ(o.završetaka, 1);
    EXPECT_TRUE(prijenos.dohvaćeno.isEmpty());
}

TEST_F(Distribucija, ControlFileProblems) {
    Objavi(Osnovni);
    prijenos.bezDatoteke = {"Verzije.txt"};
    EXPECT_FALSE(Pokreni());
    EXPECT_EQ(o.poruke.upiti.value(0).tekst, "Podaci o novim verzijama na postoje na lokaciji: " + W);
    EXPECT_EQ(o.poruke.upiti.value(0).ikona, Ikona::Nema);

    prijenos.bezDatoteke = {"VerzijeU.txt"};
    prijenos.neuspjeh = {"TeamViewerQS.exe"};
    EXPECT_TRUE(Pokreni());
    EXPECT_EQ(o.poruke.tekstovi().value(0),
              "Nije moguće učitati TeamViewerQS.exe sa interneta! Provjerite vezu sa "
              "internetom i pokušajte ponovno!");
    EXPECT_TRUE(o.stanje.PorukeGrešaka.contains("Greška u kopiranju VerzijeU.txt "));

    prijenos.neuspjeh = {"VerzijeU.txt"};
    EXPECT_FALSE(Pokreni());
    EXPECT_TRUE(o.poruke.tekstovi().value(0).startsWith("Nije moguće učitati kontrolnu datoteku sa interneta "
                                                        "VerzijeU!"));

    prijenos.neuspjeh = {};
    prijenos.bezDatoteke = {"Upute.7z"};
    QFile::remove(L + "Upute.7z");
    EXPECT_FALSE(Pokreni());
    EXPECT_EQ(o.poruke.tekstovi().value(0),
              "Greška u provjeri veličine datoteke-dohvatu datoteke Upute.7z. Prekida se ažuriranje!");
}

TEST_F(Distribucija, FailedFetchCountsOnlyInCopyAllMode) {
    Objavi(Osnovni);
    prijenos.neuspjeh = {"MorvIzmjBaza21.7z"};
    PreuzmiNaLokacijuIJavi(o.k, true);
    EXPECT_EQ(o.stanje.UkupnoPreneseno, 20);
    EXPECT_EQ(o.status.prikazaPoruka, 0);
    EXPECT_FALSE(o.status.vidljiv || o.status.mjeriVrijeme);
    EXPECT_TRUE(
        o.poruke.tekstovi().last().startsWith("Upozorenje. Nisu uspješno skinuti programi na lokaciju " + L));
    EXPECT_TRUE(o.poruke.tekstovi().last().endsWith("\r\nUkupno prenesno: 20 bajtova."));

    prijenos.neuspjeh = {};
    ASSERT_TRUE(Pokreni());
    QList<Zapis> poslije = Osnovni;
    poslije[0].verzija = poslije[1].verzija = "22;0;0";
    Objavi(poslije, 'b');
    prijenos.neuspjeh = {"MorvIzmjBaza21.7z"};
    EXPECT_FALSE(Pokreni());
    EXPECT_EQ(o.stanje.UkupnoPreneseno, 10);
    EXPECT_FALSE(QFile::exists(L + "MorvIzmjBaza21.7z")); // the outdated archive went before the fetch
}

TEST_F(Distribucija, ProgressCyclesFromOneToTwentyNine) {
    QList<Zapis> mnogo;
    for (int i = 0; i < 35; ++i)
        mnogo.append({QString("Dio%1.exe").arg(i)});
    Objavi(mnogo);
    QList<float> vrijednosti;
    prijenos.prije = [&](const QString& ime) {
        if (ime.endsWith(".7z")) vrijednosti << o.status.vrijednost;
    };
    ASSERT_TRUE(Pokreni());
    ASSERT_EQ(vrijednosti.size(), 35);
    for (int i = 0; i < 35; ++i)
        EXPECT_EQ(vrijednosti[i], i == 0 ? 0 : (i - 1) % 29 + 1) << i;
    EXPECT_EQ(o.status.maksimum, 30);
}

TEST_F(Distribucija, ThroughTheRealTransport) {
    Objavi(Osnovni);
    TestServer posluzitelj(server);
    o.postavke.Snimi("Settings", "PrimarniServer21", posluzitelj.HttpsHost());
    o.postavke.Snimi("Settings", "DodatniCertifikati", TestServer::TestniCa());
    HttpPreuzimanje http(o.k);
    o.k.preuzimanje = &http;

    PreuzmiNaLokacijuIJavi(o.k, false);
    EXPECT_TRUE(o.poruke.upiti.isEmpty());
    for (const QString ime : {"Verzije.txt", "VerzijeU.txt", "TeamViewerQS.exe", "Knjige21.7z", "Upute.7z"})
        EXPECT_EQ(o.Pročitaj(L + ime), o.Pročitaj(server + ime)) << ime.toStdString();
    EXPECT_EQ(o.stanje.UkupnoPreneseno, 40);

    // A changed archive the server cannot deliver stops the run, uncounted.
    QList<Zapis> poslije = Osnovni;
    poslije[0].verzija = "22;0;0";
    Objavi(poslije, 'b');
    posluzitelj.PostaviKvar("Knjige21.7z", Kvar::Status404);
    EXPECT_FALSE(DownloadNaLokaciju(o.k, false));
    EXPECT_EQ(o.stanje.UkupnoPreneseno, 0);
    EXPECT_FALSE(QFile::exists(L + "Knjige21.7z"));
    EXPECT_TRUE(o.poruke.upiti.isEmpty());
}

} // namespace
