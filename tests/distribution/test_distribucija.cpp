#include "MaliDisk.h"
#include "Okruzenje.h"
#include "TestServer.h"
#include "distribution/DownloadNaLokaciju.h"
#include "transfer/HttpPreuzimanje.h"
#include "versions/PravilaVerzija.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSet>

#include <cerrno>
#include <functional>

namespace morvela::test {

QString R(const QString& ime, const QString& verzija = "21;1;0", int bajtova = 10, int stvarna = 100) {
    return QString("%1;%2;%3;%4;").arg(ime, verzija).arg(bajtova).arg(stvarna);
}
const QStringList Osnovni = {R("Knjige21.exe"), R("MorvIzmjBaza21.dll"), R("Izmjena1.enc"), R("Upute.chm")};

// The fixture stands in for the download server: it copies from a directory, remembers every name
// asked for, and fails on demand.
struct Distribucija : ::testing::Test, IPreuzimanje {
    TestOkruženje o;
    const QString server = o.vanjski("Server") + Separator(), L = o.vanjski("Lokacija") + Separator();
    QStringList imena;
    QSet<QString> ne;
    std::function<void(const QString&)> poDohvatu;
    Distribucija() {
        QDir().mkpath(L);
        o.izvor.lokacije[1] = o.vanjski("Lokacija"); // the run adds the separator
        o.k.preuzimanje = this;
        o.Zapiši(server + "VerzijeU.txt", "u");
        o.Zapiši(server + "TeamViewerQS.exe", "tv");
    }
    bool DownloadDatoteke(const QString& ime, const QString& dir) override {
        imena << ime;
        if (ne.contains(ime)) return false;
        QFile::remove(dir + ime);
        const bool ok = QFile::copy(server + ime, dir + ime);
        if (poDohvatu) poDohvatu(ime);
        return ok;
    }
    // Publishes the list and an archive of the listed size per record; fill tells publications apart.
    void Objavi(const QStringList& lista, char fill = 'a') {
        for (const QString& z : lista)
            o.Zapiši(server + ImeArhive(z.section(';', 0, 0)),
                     QByteArray(z.section(';', 4, 4).toInt(), fill));
        o.ZapišiListu(server + "Verzije.txt", lista);
    }
    bool Pokreni(bool interaktivno = true) {
        imena.clear();
        o.poruke.upiti.clear();
        return DownloadNaLokaciju(o.k, interaktivno);
    }
    QStringList Nakon(const QStringList& lista, char fill) {
        Objavi(lista, fill);
        EXPECT_TRUE(Pokreni());
        return imena.filter(".7z");
    }
};

TEST_F(Distribucija, FirstRunsCopyAllAndAnUnchangedRerunFetchesNoArchive) {
    Objavi(Osnovni);
    o.poruke.odgovori = {Odgovor::Ne};
    EXPECT_FALSE(Pokreni());
    EXPECT_EQ(o.poruke.upiti.value(0).tekst,
              "Ne postoji datoteka: " + L +
                  "Verzije.txt. Kopiraju se sve datoteke. Želite li nastaviti sa download-om?");
    EXPECT_EQ(o.poruke.upiti[0].gumbi, Gumbi::DaNe);

    // Copying everything, an archive counts before its fetch: the failed one too.
    ne = {"MorvIzmjBaza21.7z"};
    PreuzmiNaLokacijuIJavi(o.k, true); // answered Yes
    EXPECT_EQ(o.stanje.UkupnoPreneseno, 20);
    EXPECT_EQ(o.status.prikazaPoruka, 0);
    EXPECT_TRUE(
        o.poruke.tekstovi().last().startsWith("Upozorenje. Nisu uspješno skinuti programi na lokaciju " + L));

    // Nobody is there to answer a scheduled run: it leaves the first full copy to a person.
    ne.clear();
    imena.clear();
    o.poruke.upiti.clear();
    PreuzmiNaLokacijuIJavi(o.k, false);
    EXPECT_TRUE(o.poruke.upiti.isEmpty() && imena.isEmpty());
    EXPECT_EQ(o.LogPoruke().last(), "Download na lokaciju- Ne postoji datoteka: " + L +
                                        "Verzije.txt. Prvo presnimavanje svih datoteka na lokaciju mora se "
                                        "pokrenuti ručno. Automatsko preuzimanje se prekida.");
    PreuzmiNaLokacijuIJavi(o.k, true);
    EXPECT_EQ(imena.filter(".7z").size(), 4);
    EXPECT_EQ(o.stanje.UkupnoPreneseno, 40);
    EXPECT_EQ(o.status.txtPor + o.status.txtPorGr, "\r\nKopirano Verzije.txt\r\nKopirano VerzijeU.txt");
    EXPECT_EQ(o.status.prikazaPoruka, 1);
    EXPECT_FALSE(o.status.vidljiv);
    EXPECT_FALSE(o.status.mjeriVrijeme);

    imena.clear();
    o.poruke.upiti.clear();
    PreuzmiNaLokacijuIJavi(o.k, true);
    EXPECT_EQ(imena, QStringList({"Verzije.txt", "VerzijeU.txt"}));
    EXPECT_EQ(o.poruke.tekstovi().join("|"),
              "Uspješno skinuti programi na lokaciju " + L +
                  " \r\n\r\nUkupno prenesno: 0 bajtova.\r\nSada je moguće ažuriranje za ostala računala!");
    QStringList isto, ok;
    for (const QString& z : Osnovni) {
        isto << "\r\nIsta verzija: " + z.section(';', 0, 0);
        ok << "Download na lokaciju - Veličina presnimljene datoteke " + ImeArhive(z.section(';', 0, 0)) +
                  " je 10, a veličina originalne datoteke je 10. OK.";
    }
    EXPECT_EQ(o.status.txtPor, isto.join("") + "\r\nKopirano Verzije.txt\r\nKopirano VerzijeU.txt");
    EXPECT_EQ(o.LogPoruke().last(4), ok);

    // Otherwise an archive counts once fetched, and an outdated one stays whole until its fetch succeeds.
    ne = {"MorvIzmjBaza21.7z"};
    Objavi({R("Knjige21.exe", "22;0;0"), R("MorvIzmjBaza21.dll", "22;0;0"), Osnovni[2], Osnovni[3]}, 'b');
    EXPECT_FALSE(Pokreni());
    EXPECT_EQ(o.stanje.UkupnoPreneseno, 10);
    EXPECT_EQ(o.Pročitaj(L + "MorvIzmjBaza21.7z"), QByteArray(10, 'a'));
}

TEST_F(Distribucija, ChangedRowsAndWrongArchivesAreFetchedAgain) {
    QStringList z = {R("Prvi.chm"),  R("Prva.enc"),           R("Knjige21.exe"), R("Druga.enc"),
                     R("Drugi.chm"), R("MorvIzmjBaza21.dll"), R("Treca.enc")};
    Nakon(z, 'a');
    // Help files follow any fetch above them, scripts only the database library above them.
    z[2] = R("Knjige21.exe", "21;1;1");
    z[5] = R("MorvIzmjBaza21.dll", "21;2;0");
    EXPECT_EQ(Nakon(z, 'b'), QStringList({"Knjige21.7z", "Drugi.7z", "MorvIzmjBaza21.7z", "Treca.7z"}));
    EXPECT_EQ(o.stanje.UkupnoPreneseno, 40);
    EXPECT_EQ(o.Pročitaj(L + "Treca.7z"), QByteArray(10, 'b'));
    // A help file whose own size grew comes by itself.
    z[0] = R("Prvi.chm", "21;1;0", 10, 150);
    EXPECT_EQ(Nakon(z, 'd'), QStringList({"Prvi.7z", "Drugi.7z"}));

    // A new name whose server archive is not the listed size; archives at the location gone or cut short.
    z.insert(1, R("Novi21.exe"));
    QFile::remove(L + "Knjige21.7z");
    o.Zapiši(L + "Prva.7z", "kratko");
    Objavi(z, 'n');
    o.Zapiši(server + "Novi21.7z", QByteArray(12, 'n'));
    ASSERT_TRUE(Pokreni());
    EXPECT_EQ(imena.filter(".7z"), QStringList({"Novi21.7z", "Prva.7z", "Knjige21.7z", "Drugi.7z"}));
    const QString razlika =
        "Veličina presnimljene datoteke Novi21.7z je 12, a veličina originalne datoteke je 10 "
        "i one nisu iste. Moguća greška u prijenosu datoteke. Ponovite postupak. "
        "Nastaviće se prijenos za ostale datoteke!";
    EXPECT_EQ(o.stanje.PorukeGrešaka,
              "\r\nNije pronađen zapis o starim verzija za :Novi21.exe pa se mora kopirati\r\n" + razlika +
                  "\r\nNađena 7z datoteka: Prva.7z ali je veličina različita 6 Novi: 10 pa će se prekopirati"
                  "\r\nNije nađena 7z datoteka: Knjige21.7z pa se mora napraviti");
    EXPECT_EQ(o.poruke.tekstovi(), QStringList{razlika});
    EXPECT_TRUE(o.LogPoruke().contains("Download na lokaciju - " + razlika));
}

// Every stop of a scheduled run leaves its line in the log, and none fetches an archive.
TEST_F(Distribucija, ScheduledRunsLogEveryStop) {
    const QString p = "Download na lokaciju- ";
    struct Slučaj {
        QString lokacija;
        bool lista; // the location holds its list already
        QSet<QString> ne;
        QByteArray novaLista;
        QString redLoga;
    };
    const QString nema = o.vanjski("Nema") + Separator();
    const QList<Slučaj> slučajevi = {
        {"", true, {}, {}, p + "Nije unesena lokacija za download programa. Prekida se preuzimanje."},
        {nema,
         true,
         {},
         {},
         p + "Ne postoji unesena lokacija za download programa: " + nema + ". Prekida se preuzimanje."},
        {L,
         false,
         {},
         {},
         p + "Ne postoji datoteka: " + L +
             "Verzije.txt. Prvo presnimavanje svih datoteka na lokaciju mora "
             "se pokrenuti ručno. Automatsko preuzimanje se prekida."},
        {L,
         true,
         {"Verzije.txt"},
         {},
         p + "Nije moguće učitati kontrolnu datoteku sa interneta! Provjerite vezu sa internetom i pokušajte "
             "ponovno! Prekida se ažuriranje!"},
        {L,
         true,
         {"VerzijeU.txt"},
         {},
         p + "Nije moguće učitati kontrolnu datoteku sa interneta VerzijeU! Provjerite vezu sa internetom i "
             "pokušajte ponovno! Prekida se ažuriranje!"},
        {L,
         true,
         {},
         "x;1;2;3;4;5;6;7;8;\r\n",
         "DownloadNaLokaciju - Desila se greška u čitanju zapisa u matricu. Prekida se ažuriranje!"},
    };
    for (const Slučaj& s : slučajevi) {
        Objavi(Osnovni);
        if (!s.novaLista.isEmpty()) o.Zapiši(server + "Verzije.txt", s.novaLista);
        QFile::remove(L + "Verzije.txt");
        if (s.lista) o.ZapišiListu(L + "Verzije.txt", Osnovni);
        o.izvor.lokacije[1] = s.lokacija;
        ne = s.ne;
        imena.clear();
        o.poruke.upiti.clear();
        PreuzmiNaLokacijuIJavi(o.k, false);
        EXPECT_TRUE(imena.filter(".7z").isEmpty()) << qPrintable(s.redLoga);
        EXPECT_TRUE(o.poruke.upiti.isEmpty()) << qPrintable(s.redLoga);
        EXPECT_TRUE(o.LogPoruke().contains(s.redLoga)) << qPrintable(o.LogPoruke().join('\n'));
    }
}

// The location runs out of space: the final list copy and the fetch of a
// newer archive fail, and what was there stays whole, byte for byte.
TEST_F(Distribucija, FullLocationKeepsItsListsAndArchivesWhole) {
    MaliDisk disk(L, 128);
    if (!disk.montiran()) GTEST_SKIP() << qPrintable(disk.razlog);
    Objavi(Osnovni);
    o.Zapiši(L + "Knjige21.7z" + NastavakPrivremene, "ostatak prekinutog presnimavanja");
    ASSERT_TRUE(Pokreni());
    EXPECT_FALSE(QFile::exists(L + "Knjige21.7z" + NastavakPrivremene));
    const QByteArray lista = o.Pročitaj(L + "Verzije.txt"), listaU = o.Pročitaj(L + "VerzijeU.txt");

    // A newer program fills the disk as it arrives; the lists no longer fit.
    QStringList novi = Osnovni;
    novi[0] = R("Knjige21.exe", "21;2;0");
    o.Zapiši(server + "VerzijeU.txt", QByteArray(8000, 'u'));
    Objavi(novi, 'b');
    poDohvatu = [&](const QString& ime) {
        if (ime.endsWith(".7z")) disk.Napuni();
    };
    EXPECT_TRUE(Pokreni(false));
    const QString pun = GreškaIzSustava(ENOSPC).opis;
    EXPECT_EQ(o.Pročitaj(L + "Verzije.txt"), lista);
    EXPECT_EQ(o.Pročitaj(L + "VerzijeU.txt"), listaU);
    const QStringList log = o.LogPoruke();
    EXPECT_TRUE(log.contains("Download na lokaciju- Greška u kopiranju Verzije.txt " + pun) &&
                log.contains("Download na lokaciju- Greška u kopiranju VerzijeU.txt " + pun))
        << qPrintable(log.join('\n'));

    // Over the real transfer, a newer archive bigger than the space left stays away.
    disk.Isprazni();
    poDohvatu = nullptr;
    o.Zapiši(server + "VerzijeU.txt", "u");
    novi[0] = R("Knjige21.exe", "21;3;0", 200000);
    Objavi(novi, 'c');
    TestServer posluzitelj(server);
    o.postavke.Snimi("Settings", "PrimarniServer21", posluzitelj.HttpsHost());
    o.postavke.Snimi("Settings", "DodatniCertifikati", TestServer::TestniCa());
    HttpPreuzimanje http(o.k);
    o.k.preuzimanje = &http;
    EXPECT_FALSE(DownloadNaLokaciju(o.k, false));
    EXPECT_EQ(o.Pročitaj(L + "Knjige21.7z"), QByteArray(10, 'b'));
    EXPECT_EQ(o.Pročitaj(L + "Verzije.txt"), lista);
}

} // namespace morvela::test
