#include "Okruzenje.h"
#include "distribution/DownloadNaLokaciju.h"
#include "versions/PravilaVerzija.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSet>

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
        return QFile::copy(server + ime, dir + ime);
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

    // Nobody is there to answer a scheduled run, so it copies everything at once.
    ne.clear();
    imena.clear();
    o.poruke.upiti.clear();
    PreuzmiNaLokacijuIJavi(o.k, false);
    EXPECT_TRUE(o.poruke.upiti.isEmpty());
    EXPECT_EQ(imena.filter(".7z").size(), 4);
    EXPECT_EQ(o.LogPoruke().last(5).first(), "Download na lokaciju- Ne postoji datoteka: " + L +
                                                 "Verzije.txt. Automatsko preuzimanje kopira sve datoteke.");
    EXPECT_EQ(o.stanje.UkupnoPreneseno, 40);
    EXPECT_EQ(o.status.txtPor + o.status.txtPorGr, "\r\nKopirano Verzije.txt\r\nKopirano VerzijeU.txt");
    EXPECT_EQ(o.status.prikazaPoruka, 1);
    EXPECT_FALSE(o.status.vidljiv);
    EXPECT_FALSE(o.status.mjeriVrijeme);

    imena.clear();
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

    // Otherwise an archive counts once fetched, and an outdated one goes before its fetch.
    ne = {"MorvIzmjBaza21.7z"};
    Objavi({R("Knjige21.exe", "22;0;0"), R("MorvIzmjBaza21.dll", "22;0;0"), Osnovni[2], Osnovni[3]}, 'b');
    EXPECT_FALSE(Pokreni());
    EXPECT_EQ(o.stanje.UkupnoPreneseno, 10);
    EXPECT_FALSE(QFile::exists(L + "MorvIzmjBaza21.7z"));
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

} // namespace morvela::test
