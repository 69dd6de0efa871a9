#include "Kvarovi.h"
#include "MaliDisk.h"
#include "Okruzenje.h"
#include "Stablo.h"
#include "TestServer.h"
#include "distribution/DownloadNaLokaciju.h"
#include "install/UpdatePrograma.h"
#include "platform/Procesi.h"
#include "transfer/HttpPreuzimanje.h"
#include "versions/KontrolnaDatoteka.h"
#include "versions/PravilaVerzija.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

namespace morvela::test {

QString R(const QString& ime, const QString& verzija = "21;1;0", int bajtova = 10, int stvarna = 100) {
    return QString("%1;%2;%3;%4;").arg(ime, verzija).arg(bajtova).arg(stvarna);
}
const QStringList Osnovni = {R("Knjige21.exe"), R("MorvIzmjBaza21.dll"), R("Izmjena1.enc"), R("Upute.chm")};

// A distribution location and a download server whose stand-in copies from a directory,
// remembers every name asked for and fails on demand; programs travel as real archives, tested by
// the real 7-Zip.
struct Lokacija {
    TestOkruženje o;
    DatotekeSKvarom datoteke;
    QtProcesi procesi;
    const QString server = o.vanjski("Server") + Separator(), L = o.vanjski("Lokacija") + Separator();
    PosluziteljDirektorija posluzitelj{server};
    Lokacija() {
        QDir().mkpath(L);
        o.k.datoteke = &datoteke;
        o.izvor.lokacije[1] = o.vanjski("Lokacija"); // the run adds the separator
        o.preuzimanje = &posluzitelj;
        Postavi7Zip(o.k, procesi);
        o.Zapiši(server + "VerzijeU.txt", "u");
        o.Zapiši(server + ImeTeamViewera, "tv");
    }
};

struct Distribucija : ::testing::Test, Lokacija {
    QStringList& imena = posluzitelj.imena;
    QSet<QString>& ne = posluzitelj.ne;
    // Asked at the first fill of a location, the person agrees.
    Distribucija() { o.poruke.odgovori[VrstaPitanja::KopiranjeSvegaNaLokaciju] = {Odgovor::Da}; }
    // What the server holds for a record of this name with n bytes of fill: an archive for a
    // program, the bytes themselves for a help file or a script.
    static QByteArray Sadržaj(const QString& ime, int n, char fill) {
        const QByteArray bajtovi(n, fill);
        return ime.endsWith(".chm") || ime.endsWith(".enc") ? bajtovi : Arhiva7z(ime, bajtovi);
    }
    // Publishes the list and what it names, each record's size being what it names; fill tells
    // publications apart.
    void Objavi(QStringList lista, char fill = 'a') {
        for (QString& z : lista) {
            const QString ime = z.section(';', 0, 0);
            const QByteArray sadržaj = Sadržaj(ime, z.section(';', 4, 4).toInt(), fill);
            o.Zapiši(server + ImeArhive(ime), sadržaj);
            QStringList polja = z.split(';');
            polja[4] = QString::number(sadržaj.size());
            z = polja.join(';');
        }
        o.ZapišiListu(server + "Verzije.txt", lista);
    }
    bool Pokreni(bool interaktivno = true) {
        imena.clear();
        o.poruke.upiti.clear();
        return DownloadNaLokaciju(o.k, o.seta(), interaktivno);
    }
    QStringList Nakon(const QStringList& lista, char fill) {
        Objavi(lista, fill);
        EXPECT_TRUE(Pokreni());
        return imena.filter(".7z");
    }
};

// Where a key is set, the run publishes only a set whose signature and hashes hold, and the
// signature with it, last.
TEST_F(Distribucija, OnlyASignedSetIsPublishedWhereAKeyIsSet) {
    QTemporaryDir ključevi;
    const QString ključ = ključevi.filePath("k");
    ASSERT_EQ(QProcess::execute("minisign", {"-G", "-W", "-p", ključ + ".pub", "-s", ključ + ".key"}), 0);
    o.postavke.Snimi("Settings", "JavniKljuc", QString::fromLatin1(o.Pročitaj(ključ + ".pub")));
    const auto potpiši = [&](int serija) {
        ASSERT_EQ(QProcess::execute("bash", {MORVELA_SKRIPTE_DIR "/potpisi-set.sh", "-s", ključ + ".key",
                                             "-n", QString::number(serija), server}),
                  0);
    };
    Objavi(Osnovni);
    potpiši(10);
    ASSERT_TRUE(Pokreni());
    EXPECT_EQ(imena.mid(0, 2), QStringList({"Verzije.b2", "Verzije.b2.minisig"}));
    const auto objavljeno = Sadržaji(L, {"Verzije.txt", "Verzije.b2", "Verzije.b2.minisig", "Knjige21.7z"});
    EXPECT_EQ(objavljeno, Sadržaji(server, objavljeno.keys()));
    EXPECT_EQ(o.Pročitaj(L + "Update" + Separator() + "Verzije.serija"), "10\r\n");

    // The refusals' own texts are the check's; here nothing of a refused set may reach the location.
    const std::pair<const char*, std::function<void()>> slučajevi[] = {
        {"an archive changed after signing",
         [&] {
             Objavi({R("Knjige21.exe", "22;0;0"), Osnovni[1], Osnovni[2], Osnovni[3]}, 'b');
             potpiši(11);
             o.Zapiši(server + "Knjige21.7z", Sadržaj("Knjige21.exe", 10, 'c'));
         }},
        {"the list changed after signing",
         [&] {
             potpiši(12);
             o.ZapišiListu(server + "Verzije.txt", {R("Knjige21.exe", "23;0;0")});
         }},
        {"an older set than the location's", [&] { potpiši(5); }},
    };
    for (const auto& [opis, postavi] : slučajevi) {
        SCOPED_TRACE(opis);
        postavi();
        EXPECT_FALSE(Pokreni());
        EXPECT_EQ(Sadržaji(L, objavljeno.keys()), objavljeno);
    }
}

// The real transfer, from a loopback server serving the fixture's server directory: over https
// (the HTTP component) or http (the transfer control).
struct PraviPrijenos {
    PraviPrijenos(TestOkruženje& o, const QString& dir, bool https = true)
        : posluzitelj(dir), http(o.status, o.poruke, *o.log, o.datoteke, o.stanje.ZadnjaPoruka, {1000}) {
        o.postavke.Snimi("Settings", "PrimarniServer21",
                         https ? posluzitelj.HttpsHost() : posluzitelj.HttpHost());
        o.postavke.Snimi("Settings", "KoristiChilkatZaDownload", https ? "True" : "False");
        o.postavke.Snimi("Settings", "DodatniCertifikati", TestServer::TestniCa());
        o.preuzimanje = &http;
    }
    TestServer posluzitelj;
    HttpPreuzimanje http;
};

TEST_F(Distribucija, FirstRunsCopyAllAndAnUnchangedRerunFetchesNoArchive) {
    Objavi(Osnovni);
    o.poruke.odgovori[VrstaPitanja::KopiranjeSvegaNaLokaciju] = {Odgovor::Ne, Odgovor::Da};
    EXPECT_FALSE(Pokreni());
    EXPECT_EQ(o.poruke.upiti.value(0).tekst,
              "Ne postoji datoteka: " + L +
                  "Verzije.txt. Kopiraju se sve datoteke. Želite li nastaviti sa download-om?");

    // Copying everything, an archive counts before its fetch: the failed one too.
    ne = {"MorvIzmjBaza21.7z"};
    EXPECT_FALSE(Pokreni()); // answered Yes
    EXPECT_EQ(o.stanje.UkupnoPreneseno,
              QFileInfo(server + "Knjige21.7z").size() + QFileInfo(server + "MorvIzmjBaza21.7z").size());

    // Nobody is there to answer a scheduled run: it leaves the first full copy to a person.
    ne.clear();
    EXPECT_FALSE(Pokreni(false));
    EXPECT_EQ(imena, QStringList());
    EXPECT_EQ(o.LogPoruke().last(), "Download na lokaciju- Ne postoji datoteka: " + L +
                                        "Verzije.txt. Prvo presnimavanje svih datoteka na lokaciju mora se "
                                        "pokrenuti ručno. Automatsko preuzimanje se prekida.");
    EXPECT_TRUE(Pokreni());
    EXPECT_EQ(imena.filter(".7z").size(), 4);
    EXPECT_EQ(o.status.txtPor + o.status.txtPorGr, "\r\nKopirano Verzije.txt\r\nKopirano VerzijeU.txt");

    EXPECT_TRUE(Pokreni());
    EXPECT_EQ(imena, QStringList({"Verzije.txt", "VerzijeU.txt"}));
    EXPECT_EQ(o.stanje.UkupnoPreneseno, 0); // the report's box itself: the failure table
    EXPECT_TRUE(o.status.txtPor.startsWith("\r\nIsta verzija: Knjige21.exe\r\nIsta verzija: "));
    EXPECT_TRUE(
        o.LogPoruke().contains("Download na lokaciju - Veličina presnimljene datoteke Upute.7z je 10, "
                               "a veličina originalne datoteke je 10. OK."));

    // Otherwise an archive counts once fetched, and an outdated one stays whole until its fetch succeeds.
    ne = {"MorvIzmjBaza21.7z"};
    Objavi({R("Knjige21.exe", "22;0;0"), R("MorvIzmjBaza21.dll", "22;0;0"), Osnovni[2], Osnovni[3]}, 'b');
    EXPECT_FALSE(Pokreni());
    EXPECT_EQ(o.stanje.UkupnoPreneseno, QFileInfo(server + "Knjige21.7z").size());
    EXPECT_EQ(o.Pročitaj(L + "MorvIzmjBaza21.7z"), Sadržaj("MorvIzmjBaza21.dll", 10, 'a'));
}

TEST_F(Distribucija, ChangedRowsAndWrongArchivesAreFetchedAgain) {
    QStringList z = {R("Prvi.chm"),  R("Prva.enc"),           R("Knjige21.exe"), R("Druga.enc"),
                     R("Drugi.chm"), R("MorvIzmjBaza21.dll"), R("Treca.enc")};
    Nakon(z, 'a');
    // Help files follow any fetch above them, scripts only the database library above them (the
    // rule itself: the plan's tests; here, that the run takes part in it).
    z[2] = R("Knjige21.exe", "21;1;1");
    z[5] = R("MorvIzmjBaza21.dll", "21;2;0");
    EXPECT_EQ(Nakon(z, 'b'), QStringList({"Knjige21.7z", "Drugi.7z", "MorvIzmjBaza21.7z", "Treca.7z"}));
    EXPECT_EQ(o.Pročitaj(L + "Treca.7z"), QByteArray(10, 'b'));

    // A new name; archives at the location gone or cut short. A wrong size at the server: the failure table.
    z.insert(1, R("Novi21.exe"));
    QFile::remove(L + "Knjige21.7z");
    o.Zapiši(L + "Prva.7z", "kratko");
    EXPECT_EQ(Nakon(z, 'n'), QStringList({"Novi21.7z", "Prva.7z", "Knjige21.7z", "Drugi.7z"}));
    EXPECT_EQ(o.stanje.PorukeGrešaka,
              "\r\nNije pronađen zapis o starim verzija za :Novi21.exe pa se mora kopirati"
              "\r\nNađena 7z datoteka: Prva.7z ali je veličina različita 6 Novi: 10 pa će se prekopirati"
              "\r\nNije nađena 7z datoteka: Knjige21.7z pa se mora napraviti");
}

// The location runs out of space: the final list copy and the fetch of a
// newer archive fail, and what was there stays whole, byte for byte. Without its
// new list the location names old sizes: the run has failed, and says so.
TEST_F(Distribucija, FullLocationKeepsItsListsAndArchivesWhole) {
    MaliDisk disk(L, 128);
    if (!disk.montiran()) GTEST_SKIP() << qPrintable(disk.razlog);
    Objavi(Osnovni);
    o.Zapiši(L + "Knjige21.7z" + NastavakPrivremene, "ostatak prekinutog presnimavanja");
    ASSERT_TRUE(Pokreni());
    EXPECT_FALSE(QFile::exists(L + "Knjige21.7z" + NastavakPrivremene));
    const QByteArray lista = o.Pročitaj(L + "Verzije.txt"), listaU = o.Pročitaj(L + "VerzijeU.txt");

    // A newer program comes; the lists no longer fit.
    QStringList novi = Osnovni;
    novi[0] = R("Knjige21.exe", "21;2;0");
    o.Zapiši(server + "VerzijeU.txt", QByteArray(8000, 'u'));
    Objavi(novi, 'b');
    // The last archive fills the disk as it arrives; another name keeps the blocks of the one it replaces.
    std::filesystem::create_hard_link(L.toStdString() + "Upute.7z", L.toStdString() + "Upute.drugo");
    posluzitelj.poDohvatu = [&](const QString& ime) {
        if (ime == "Upute.7z") disk.Napuni();
    };
    EXPECT_FALSE(Pokreni());
    EXPECT_EQ(o.Pročitaj(L + "Verzije.txt"), lista);
    EXPECT_EQ(o.Pročitaj(L + "VerzijeU.txt"), listaU);
    const QString greška = "Greška u kopiranju Verzije.txt " + GreškaIzSustava(ENOSPC).opis;
    EXPECT_EQ(o.poruke.tekstovi(), QStringList{greška});
    EXPECT_EQ(o.LogPoruke().last(), "Download na lokaciju- " + greška);
}

// Over the real transfer each archive is flushed while it is checked. One that cannot take its
// place stops the run as a failed fetch would, before the next file is asked for: the archive before
// it is in place, the one after it stays away, nothing half-done is left and the lists stay as they
// were.
TEST_F(Distribucija, AnArchiveThatCannotTakeItsPlaceStopsTheRunOverTheRealTransfer) {
    Objavi(Osnovni);
    ASSERT_TRUE(Pokreni());
    const QByteArray lista = o.Pročitaj(L + "Verzije.txt");
    QStringList novi;
    for (const QString& z : Osnovni)
        novi << R(z.section(';', 0, 0), "21;2;0");
    Objavi(novi, 'b');
    QFile::remove(L + "MorvIzmjBaza21.7z");
    QDir().mkpath(L + "MorvIzmjBaza21.7z/zauzeto"); // a directory holds the name

    PraviPrijenos prijenos(o, server);
    EXPECT_FALSE(DownloadNaLokaciju(o.k, o.seta(), false));

    EXPECT_EQ(o.Pročitaj(L + "Knjige21.7z"), Sadržaj("Knjige21.exe", 10, 'b'));
    EXPECT_EQ(o.Pročitaj(L + "Izmjena1.7z"), QByteArray(10, 'a'));
    EXPECT_EQ(o.Pročitaj(L + "Verzije.txt"), lista);
    EXPECT_EQ(QDir(L).entryList({"*" + NastavakPrivremene}), QStringList());
    EXPECT_EQ(prijenos.posluzitelj.Zahtjevi().last().putanja.section('/', -1), "MorvIzmjBaza21.7z");

    // An archive fetched just before a fetch that fails still takes its place.
    QDir(L + "MorvIzmjBaza21.7z").removeRecursively();
    QFile::remove(server + "Upute.7z");
    EXPECT_FALSE(DownloadNaLokaciju(o.k, o.seta(), false));
    EXPECT_EQ(o.Pročitaj(L + "Izmjena1.7z"), QByteArray(10, 'b'));
    EXPECT_EQ(o.Pročitaj(L + "Verzije.txt"), lista);
}

struct PovezanaDirektorija {
    const char* opis;
    std::function<QString(TestOkruženje&)> direktorija; // the working directory made a link
    std::function<bool(TestOkruženje&)> pokreni;
    QStringList promjene; // besides nothing at all
    Ikona ikona;
};

// Working directories that are symbolic links are refused: nothing is read, written or deleted
// through them.
TEST(Veze, LinkedWorkingDirectoriesAreRefusedAndWhatTheyPointAtStaysAsItWas) {
    const QList<PovezanaDirektorija> slučajevi = {
        {"update",
         [](TestOkruženje& o) { return o.updateDir(); },
         [](TestOkruženje& o) { return PripremiVerzijaTXT(o.k, o.seta()); },
         {},
         Ikona::Usklicnik},
        {"backup",
         [](TestOkruženje& o) { return o.stanje.BackupDirektorija; },
         [](TestOkruženje& o) { return UpdatePrograma(o.k, o.seta()); },
         {"Suite/Update/Update.log"},
         Ikona::Kritična},
        {"lokacija",
         [](TestOkruženje& o) {
             o.izvor.lokacije[1] = o.vanjski("Lokacija");
             return o.vanjski("Lokacija") + Separator() + "Update" + Separator();
         },
         [](TestOkruženje& o) { return DownloadNaLokaciju(o.k, o.seta(), true); },
         {"Suite/Update/Update.log"},
         Ikona::Usklicnik},
    };
    for (const PovezanaDirektorija& s : slučajevi) {
        SCOPED_TRACE(s.opis);
        TestOkruženje o;
        o.ZapišiListu(o.dir() + "Verzije.txt", {"Knjige21.exe;21;1;0;10;100;"});
        const QString drugdje = o.vanjski("Drugdje");
        o.Zapiši(drugdje + "/Knjige21.exe", "tuđe");
        o.Zapiši(drugdje + "/Update.log", "tuđi log\r\n");
        o.Zapiši(drugdje + "/Verzije.txt", "tuđa lista");
        QFile::setPermissions(drugdje + "/Knjige21.exe", QFileDevice::ReadOwner);
        QDir().mkpath(o.vanjski("Lokacija"));
        QString veza = s.direktorija(o);
        QDir(veza).removeRecursively();
        veza.chop(1);
        ASSERT_TRUE(QFile::link(drugdje, veza));
        const auto prije = StanjeStabla(o.korijen.path());

        EXPECT_FALSE(s.pokreni(o));
        EXPECT_EQ(o.poruke.tekstovi(), QStringList{PorukaSimboličkeVeze(veza + Separator())});
        EXPECT_EQ(o.poruke.upiti.value(0).ikona, s.ikona);
        // The log is not written through a linked update directory either, and says so.
        if (veza + Separator() == o.updateDir()) {
            o.k.LogirajGrešku("x");
            EXPECT_TRUE(o.poruke.tekstovi().last().endsWith(PorukaSimboličkeVeze(veza)));
        }
        EXPECT_EQ(Promjene(prije, StanjeStabla(o.korijen.path())), s.promjene);
    }
}

// Someone who can write to the location keeps planting links to a file outside at every temporary
// name a run uses, while it runs. Whatever the runs then report, nothing is written through a link,
// and no link takes the place of a file the location serves.
TEST_F(Distribucija, LinksPlantedAtTheTemporaryNamesOfARunWriteNothingOutside) {
    const QStringList imena = {"Knjige21.exe", "Pdv21.exe", "Izvoz21.dll"};
    QStringList stara, mjesta{L + ImeTeamViewera, L + "Verzije.txt", L + "VerzijeU.txt"};
    for (const QString& ime : imena)
        stara << R(ime), mjesta << L + ImeArhive(ime);
    Objavi({R(imena[0], "21;2;0", 3000), R(imena[1], "21;2;0", 3000), R(imena[2], "21;2;0", 3000)});
    PraviPrijenos prijenos(o, server, false);
    const QString W = L + "Update" + Separator(), tuđa = o.vanjski("tuđa.txt");
    mjesta << W + "Verzije.txt" << W + "VerzijeU.txt";
    o.Zapiši(tuđa, "tuđe");
    QDir().mkpath(W);

    std::atomic<bool> sadi = true;
    std::thread sadnja([&] {
        while (sadi) {
            for (const QString& mjesto : mjesta) {
                std::error_code ec;
                std::filesystem::create_symlink(tuđa.toStdString(), PrivremenaZa(mjesto).toStdString(), ec);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    int dovršenih = 0;
    for (int krug = 0; krug < 15; ++krug) {
        // Every run fetches everything again.
        o.ZapišiListu(L + "Verzije.txt", stara);
        for (const QString& mjesto : mjesta.mid(0, 1) + mjesta.mid(3, 3))
            QFile::remove(mjesto);
        dovršenih += DownloadNaLokaciju(o.k, o.seta(), false);
    }
    sadi = false;
    sadnja.join();

    EXPECT_EQ(o.Pročitaj(tuđa), "tuđe");
    for (const QString& mjesto : mjesta)
        EXPECT_FALSE(JeSimboličkaVeza(mjesto)) << qPrintable(mjesto);
    // The planted links were met: a run that found one refused to write there.
    EXPECT_LT(dovršenih, 15);
    EXPECT_FALSE(o.LogPoruke().filter("Lokalna datoteka se ne može zapisati").isEmpty());
}

namespace {

const QString Nema = "Nije moguće učitati kontrolnu datoteku sa interneta",
              Veza = "! Provjerite vezu sa internetom i pokušajte ponovno!";

// A location filled by an earlier run, 31 rows (more than the progress bar's 29 steps), nothing
// changed at the server since; the remote-support program is still to come.
struct Okolina : Lokacija {
    static QByteArray Arhiva() { return Arhiva7z("P.exe", "abc"); }
    QStringList lista;
    const QString W = L + "Update" + Separator();
    bool ručno = true;
    Okolina() {
        for (int i = 1; i <= 31; ++i) {
            lista << QString("P%1.exe;21;1;0;%2;9;").arg(i).arg(Arhiva().size());
            for (const QString& dir : {server, L})
                o.Zapiši(dir + QString("P%1.7z").arg(i), Arhiva());
        }
        o.ZapišiListu(server + "Verzije.txt", lista);
        o.ZapišiListu(L + "Verzije.txt", lista);
        o.Zapiši(L + "VerzijeU.txt", "u");
    }
    // The server offers a newer P2, this archive for it.
    void NoviP2(const QByteArray& arhiva) {
        lista[1] = QString("P2.exe;21;2;0;%1;9;").arg(Arhiva().size());
        o.ZapišiListu(server + "Verzije.txt", lista);
        o.Zapiši(server + "P2.7z", arhiva);
    }
    void Kvar(const char* operacija, const QString& put, int kojiPut = 1) {
        datoteke.kvar = [=, n = 0](const char* op, const QString& p) mutable {
            return qstrcmp(op, operacija) == 0 && p == put && ++n == kojiPut;
        };
    }
    const QList<Upit>& Upiti() const { return o.poruke.upiti; }
    QStringList Log() const { return o.LogPoruke(); }
    // {L} the location, {U} the location as entered, {W} its working directory, {N} a missing one,
    // {T} the transfer time and {B} the bytes transferred.
    QString Popuni(const QString& tekst) const {
        return test::Popuni(tekst, {{"L", L},
                                    {"U", o.izvor.lokacije[1]},
                                    {"W", W},
                                    {"N", o.vanjski("Nema") + Separator()},
                                    {"T", o.status.vrijemePrijenosa},
                                    {"B", QString::number(o.stanje.UkupnoPreneseno)}});
    }
};
using Kvar = RedKvara<Okolina>;

// The run's final report: whether it completed is whether it was shown.
bool Distribuiraj(Okolina& o) {
    PreuzmiNaLokacijuIJavi(o.o.k, o.o.seta(), o.ručno);
    EXPECT_FALSE(o.o.status.vidljiv);
    if (!o.ručno) {
        EXPECT_EQ(o.posluzitelj.imena.filter(".7z"), QStringList());
    }
    return o.o.status.prikazaPoruka == 1;
}

const QString Prekida = " Prekida se ažuriranje!",
              NemaW = "Nastala je greška u kreiranju Update direktorije! Program "
                      "za skidanje novih programa mora prestati sa radom. "
                      "Vjerojatno nemate administratorska prava.",
              Nečitljiva = "DownloadNaLokaciju - Desila se greška u čitanju zapisa u matricu.",
              Veličina = "Greška u provjeri veličine datoteke-dohvatu datoteke P2.7z. Prekida se ažuriranje!",
              NemaL = "Ne postoji unesena lokacija za download programa: {U}\r\nProgram ne može nastaviti "
                      "sa presnimavanjem programa na zadanu lokaciju!",
              D = "Download na lokaciju- ", D2 = "Download na lokaciju - ",
              Uspjeh =
                  "Uspješno skinuti programi na lokaciju {U} \r\n{T}\r\nUkupno prenesno: {B} bajtova.\r\n"
                  "Sada je moguće ažuriranje za ostala računala!",
              Upozorenje = "Upozorenje. Nisu uspješno skinuti programi na lokaciju {U} pa ažuriranje sa te "
                           "lokacije nije preporučljivo. Otklonite nastalu grešku ili kontaktirajte Morvela."
                           "\r\nTek kada prijenos prođe bez problema moguće je koristiti ovu direktoriju za "
                           "ažuriranje programa!\r\n{T}\r\nUkupno prenesno: {B} bajtova.";
const std::pair<QString, Ikona> Dobro = {Uspjeh, Ikona::Usklicnik}, Loše = {Upozorenje, Ikona::Usklicnik};

// The mismatch of a fetched P2 of this size; the run goes on with the next row.
QString RazlikaP2(qint64 bajtova) {
    return QString(
               "Veličina presnimljene datoteke P2.7z je %1, a veličina originalne datoteke je %2 i one nisu "
               "iste. Moguća greška u prijenosu datoteke. Ponovite postupak. Nastaviće se prijenos za "
               "ostale datoteke!")
        .arg(bajtova)
        .arg(Okolina::Arhiva().size());
}
constexpr qint64 MiB = 1 << 20;

// Nobody is there to answer a scheduled run: its stops are only logged, and ending the program
// would also end the schedule.
TEST(Kvarovi, EveryFailureOfTheDistributionRun) {
    const std::initializer_list<Kvar> redovi = {
        {"location missing",
         [](Okolina& o) { o.o.izvor.lokacije[1] = o.o.vanjski("Nema"); },
         {{NemaL, Ikona::Usklicnik}, Loše},
         {""},
         false},
        {"empty location refused",
         [](Okolina& o) { o.o.izvor.lokacije[1] = ""; },
         {{NemaL, Ikona::Usklicnik}, Loše},
         {""},
         false},
        {"working directory cannot be created",
         [](Okolina& o) { o.o.Zapiši(o.W.chopped(1), "x"); },
         {{NemaW, Ikona::Usklicnik}, Loše},
         {""},
         false,
         Isto({"{L}Update", "{L}Verzije.txt"}),
         [](const Okolina& o) { EXPECT_EQ(o.o.završetaka, 1); }},
        {"working directory cannot be created, scheduled",
         [](Okolina& o) { o.ručno = false, o.o.Zapiši(o.W.chopped(1), "x"); },
         {},
         {D},
         false,
         Isto({"{L}Update", "{L}Verzije.txt"}),
         [](const Okolina& o) { EXPECT_EQ(o.o.završetaka, 0); }},
        {"empty location, scheduled",
         [](Okolina& o) { o.ručno = false, o.o.izvor.lokacije[1] = ""; },
         {},
         {D + "Nije unesena lokacija za download programa. Prekida se preuzimanje."},
         false},
        {"location missing, scheduled",
         [](Okolina& o) { o.ručno = false, o.o.izvor.lokacije[1] = o.o.vanjski("Nema"); },
         {},
         {D + "Ne postoji unesena lokacija za download programa: {N}. Prekida se preuzimanje."},
         false},
        {"list not fetched",
         [](Okolina& o) { o.posluzitelj.ne = {"Verzije.txt"}; },
         {{Nema + Veza + Prekida, Ikona::Usklicnik}, Loše},
         {D + Nema + Veza + Prekida},
         false,
         Isto({"{L}Verzije.txt", "{L}P1.7z"})},
        {"list fetched but absent",
         [](Okolina& o) { o.posluzitelj.bezDatoteke = {"Verzije.txt"}; },
         {{"Podaci o novim verzijama na postoje na lokaciji: {W}", Ikona::Nema}, Loše},
         {D + "Učitao sa interneta Verzije.txt ali one ne postoje u {W}"},
         false,
         Isto({"{L}Verzije.txt"})},
        {"second list not fetched",
         [](Okolina& o) { o.posluzitelj.ne = {"VerzijeU.txt"}; },
         {{Nema + " VerzijeU" + Veza + Prekida, Ikona::Usklicnik}, Loše},
         {D + Nema + " VerzijeU" + Veza + Prekida},
         false,
         Isto({"{L}Verzije.txt", "{L}VerzijeU.txt"})},
        {"second list fetched but absent",
         [](Okolina& o) { o.posluzitelj.bezDatoteke = {"VerzijeU.txt"}; },
         {Dobro},
         {D + "Učitao sa interneta VerzijeU.txt ali one ne postoje u {W}"},
         true,
         Isto({"{L}P1.7z"})},
        {"remote support not fetched",
         [](Okolina& o) { o.posluzitelj.ne = {ImeTeamViewera}; },
         {{"Nije moguće učitati TeamViewerQS.exe sa interneta" + Veza, Ikona::Usklicnik}, Dobro},
         {D + "Nije moguće učitati TeamViewerQS.exe sa interneta" + Veza},
         true,
         Isto({"{L}P1.7z"})},
        {"new list unreadable",
         [](Okolina& o) { o.o.Zapiši(o.server + "Verzije.txt", "bez točke-zareza\r\n"); },
         {{Nečitljiva + Prekida, Ikona::Usklicnik}, Loše},
         {Nečitljiva + Prekida},
         false,
         Isto({"{L}Verzije.txt", "{L}P1.7z"})},
        {"location gone before the rows",
         [](Okolina& o) { o.Kvar("dir", o.L, 2); },
         {{"Ne postoji direktorija: {L} ili niste spojeni!\r\nPrekida se sa prebacivanjem!", Ikona::Nema},
          Loše},
         {""},
         false,
         Isto({"{L}Verzije.txt", "{L}P1.7z"})},
        // No question: every archive is fetched. Fetched lists are cut off long before this size; a
        // location's own has no such limit.
        {"old list too large",
         [](Okolina& o) {
             o.o.Zapiši(o.L + "Verzije.txt",
                        QByteArray("P1.exe;21;1;0;10;9;\r\n").repeated(3 << 20).left(50 * MiB));
         },
         {Dobro},
         {"UčitajMatricu - Lista je veća od 1048576 bajtova (52428800 bajtova). Datoteka: {L}Verzije.txt",
          Nečitljiva + " Kopiraju se sve datoteke! Želite li nastaviti? "},
         true,
         {},
         [](const Okolina& o) { EXPECT_EQ(o.posluzitelj.imena.filter(".7z").size(), 31); }},
        {"archive size cannot be checked",
         [](Okolina& o) { o.Kvar("velicina", o.L + "P2.7z", 2); },
         {{Veličina, Ikona::Usklicnik}, Loše},
         {D2 + Veličina},
         false,
         Isto({"{L}Verzije.txt"}),
         [](const Okolina& o) { EXPECT_TRUE(o.o.stanje.PorukeGrešaka.endsWith("\r\n" + Veličina)); }},
        // A fetched archive takes the location's place only when it is what the new list says; one
        // over the list's limit is cut off and reported alike.
        {"archive shorter than listed",
         [](Okolina& o) { o.NoviP2("kratka"); },
         {{RazlikaP2(6), Ikona::Usklicnik}, Dobro},
         {D2 + RazlikaP2(6)},
         true,
         Isto({"{L}P2.7z"})},
        {"archive over its listed size",
         [](Okolina& o) { o.NoviP2(QByteArray(Okolina::Arhiva().size() + MiB + 1, 'x')); },
         {{RazlikaP2(Okolina::Arhiva().size() + MiB + 1), Ikona::Usklicnik}, Dobro},
         {D2 + RazlikaP2(Okolina::Arhiva().size() + MiB + 1)},
         true,
         Isto({"{L}P2.7z"}),
         [](const Okolina& o) { EXPECT_EQ(o.posluzitelj.imena.filter(".7z"), QStringList({"P2.7z"})); }},
        // Of the right size but damaged inside (a CRC error): a failed fetch.
        {"damaged archive",
         [](Okolina& o) {
             QByteArray arhiva = Okolina::Arhiva();
             arhiva[32] = 'x'; // the first stored byte
             o.NoviP2(arhiva);
         },
         {{"Arhiva P2.7z nije ispravna: 7-Zip javlja grešku (izlazni kod 2)." + Prekida, Ikona::Usklicnik},
          Loše},
         {D2 + "Arhiva P2.7z nije ispravna"},
         false,
         Isto({"{L}P2.7z", "{L}Verzije.txt"})},
        // The error goes to the error tab only; the run completes, its bar having wrapped after 29 rows.
        {"list copy at the end fails",
         [](Okolina& o) { o.Kvar("kopiraj", o.L + "VerzijeU.txt"); },
         {Dobro},
         {D2 + "Veličina presnimljene datoteke P31.7z"},
         true,
         Isto({"{L}VerzijeU.txt"}),
         [](const Okolina& o) {
             EXPECT_EQ(o.o.status.txtPorGr, "\r\nGreška u kopiranju VerzijeU.txt " +
                                                DatotekeSKvarom::Greška(o.L + "VerzijeU.txt").opis);
             EXPECT_EQ(o.o.status.vrijednost, 2);
         }},
    };
    ProvjeriKvarove(redovi, std::function<bool(Okolina&)>(Distribuiraj));
}

} // namespace
} // namespace morvela::test
