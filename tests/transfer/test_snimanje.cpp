#include "Arhive.h"
#include "Kvarovi.h"
#include "MaliDisk.h"
#include "transfer/Snimanje.h"
#include "transfer/Unzipaj.h"

#include <QRandomGenerator>

#include <algorithm>
#include <functional>

namespace {

// The update run from the source the options would show.
bool Snimi(TestOkruženje& o, UpdateLokacija izvor) {
    o.izvor.odabrana = izvor;
    return SnimitiSaIzvora(o.k, o.seta());
}

const QString Internet = "SnimitiSaInterneta - ", Mreža = "SnimitiSaMrežneLokacije - ";
const QString NisuIste =
    " i one nisu iste. Moguća greška u prijenosu datoteke. Ponovite postupak. Prekida se ažuriranje!";

// The served directory is also the network location. The plan: a program whose
// archive name loses its č and a help file that travels as it is, around a row
// that is not planned and one without a name. The plan total leaves out one byte,
// so the second archive's size passes the bar's maximum.
struct Snimanje : Prijenos {
    void TestBody() override {}
    Snimanje() {
        o.k.datoteke = &datoteke;
        o.izvor.lokacije[0] = lok;
        Ponudi(0, "Račun21.exe", "račun");
        o.stanje.NoveVerzije.postavi(1, Ime, QString("Nije u planu21.exe"));
        Ponudi(2, "Pomoć 21.chm", "pomoć");
        o.stanje.NoveVerzije.postavi(3, TrebaInstalirati, qint16(1));
        o.stanje.UkupnoZaPrijenos =
            Veličina(lok + "Racun21.7z").toInt() + Veličina(lok + "Pomoć 21.7z").toInt() - 1;
    }
    void Kvar(const char* operacija, const QString& put) {
        datoteke.kvar = [=](const char* op, const QString& p) {
            return qstrcmp(op, operacija) == 0 && p == put;
        };
    }
    // The served set signed with a key made here, the key trusted, and the signature kept as the
    // check keeps it.
    void Potpiši() {
        TestOkruženje::Zapiši(lok + "Verzije.txt", "A;1;1;1;1;1;\r\n");
        const QString ključ = ključevi.filePath("k");
        EXPECT_EQ(QProcess::execute("minisign", {"-G", "-W", "-p", ključ + ".pub", "-s", ključ + ".key"}), 0);
        EXPECT_EQ(
            QProcess::execute("bash", {MORVELA_SKRIPTE_DIR "/potpisi-set.sh", "-s", ključ + ".key", lok}), 0);
        o.postavke.Snimi("Settings", "JavniKljuc",
                         QString::fromLatin1(TestOkruženje::Pročitaj(ključ + ".pub")));
        o.stanje.ManifestSeta = TestOkruženje::Pročitaj(lok + "Verzije.b2");
        o.stanje.PotpisSeta = TestOkruženje::Pročitaj(lok + "Verzije.b2.minisig");
    }
    // Changed after signing, to the byte: the size check alone would pass it.
    void IzmijeniPotpisano() {
        Potpiši();
        QByteArray arhiva = TestOkruženje::Pročitaj(lok + "Racun21.7z");
        arhiva[arhiva.size() - 1] = char(arhiva.back() ^ 1);
        TestOkruženje::Zapiši(lok + "Racun21.7z", arhiva);
    }
    DatotekeSKvarom datoteke;
    QTemporaryDir ključevi;
    QStringList Log(const QString& p) const { return o.LogPoruke().filter(p).replaceInStrings(p, ""); }
    // The row states the grid was given since the last look.
    QString Stanja() {
        QStringList s;
        for (const auto& [ime, stanje] : std::exchange(o.mreža.stanja, {}))
            s << ime + " " + QString::number(stanje);
        return s.join(", ");
    }
    QString Opis(const QString& ime, const QString& najava) const {
        return "Veličina presnimljene datoteke " + ime + " je " + Veličina(upd + ime) +
               ", a veličina originalne datoteke je " + najava;
    }
    QString OK(const QString& ime) const { return Opis(ime, Veličina(upd + ime)) + ". OK."; }
    // A stopped run: its text is the last message, the run's last log line, its
    // only error and, when asked, a box; the message tabs are not refreshed.
    void Prekid(const QString& prefiks, const QString& tekst, bool okvir) {
        EXPECT_EQ(QStringList({o.stanje.ZadnjaPoruka, Log(prefiks).last(), o.stanje.PorukeGrešaka,
                               o.status.txtPorGr, o.poruke.tekstovi().join("")}),
                  QStringList({tekst, tekst, CRLF + tekst, "", okvir ? tekst : ""}));
        EXPECT_EQ(o.poruke.upiti.value(0).ikona, okvir ? Ikona::Usklicnik : Ikona::Nema);
        o.poruke.upiti.clear();
    }
};

TEST_F(Snimanje, FromTheInternetAFailedRowStopsTheRunAndARerunTakesEveryRowInOrder) {
    server.PostaviKvar("Racun21.7z", Kvar::Status404); // the fetch has reported it already
    EXPECT_FALSE(Snimi(o, UpdateLokacija::InternetPrimarni));
    EXPECT_EQ(Log(Internet).last() + o.stanje.PorukeGrešaka + o.poruke.tekstovi().join(""),
              "Početak skidanja Racun21.7z");

    server.PostaviKvar("Racun21.7z", Kvar::Nema);
    const QString v = Veličina(lok + "Racun21.7z");
    o.stanje.NoveVerzije.postavi(0, VeličinaDownload, v + "0");
    EXPECT_FALSE(Snimi(o, UpdateLokacija::InternetPrimarni));
    EXPECT_FALSE(QFile::exists(upd + "Račun21.exe"));
    EXPECT_EQ(Stanja(), "Račun21.exe 1, Račun21.exe 1");
    Prekid(Internet, Opis("Racun21.7z", v + "0") + NisuIste, true);

    o.stanje.NoveVerzije.postavi(0, VeličinaDownload, v);
    QFile::setPermissions(upd + "Racun21.7z", QFile::ReadOwner); // left behind, to be fetched anew
    ASSERT_TRUE(Snimi(o, UpdateLokacija::InternetPrimarni));
    EXPECT_EQ(Pročitaj("Račun21.exe") + Pročitaj("Pomoć 21.chm"), "računpomoć");
    EXPECT_EQ(Stanja(), "Račun21.exe 1, Račun21.exe 2, Pomoć 21.chm 1, Pomoć 21.chm 2");
    EXPECT_EQ(o.sat.čekanja, QList<int>({0, 5}));
    EXPECT_TRUE(o.status.akcije.contains("UnZipanje datoteke: Racun21.7z"));
    EXPECT_EQ(
        QStringList({o.status.txtPor, o.status.txtPorGr, o.status.akcija, o.poruke.tekstovi().join("")}),
        QStringList({CRLF + "UNZIP: " + upd + "Racun21.7z", "", "", ""}));
    // The two stopped runs logged seven lines.
    EXPECT_EQ(
        Log(Internet).mid(7),
        QStringList({"Početak", "Provjera postojanja fajla Racun21.7z",
                     "Nađena 7z datoteka: " + upd + "Racun21.7z pa je treba obrisati!",
                     "Početak skidanja Racun21.7z", OK("Racun21.7z"), "Provjera postojanja fajla Pomoć 21.7z",
                     "Početak skidanja Pomoć 21.7z", OK("Pomoć 21.7z"), "Početak provjere veličine datoteka",
                     OK("Račun21.exe"), OK("Pomoć 21.chm")}));

    o.stanje.NoveVerzije.postavi(2, StvarnaVeličina, QString("8"));
    EXPECT_FALSE(Snimi(o, UpdateLokacija::InternetPrimarni));
    Prekid(Internet, Opis("Pomoć 21.chm", "8") + NisuIste, true);
}

TEST_F(Snimanje, MissingUnpackedFilesShareFourWaitsPerRun) {
    Ponudi(4, "Treća 3.chm", "x");
    // The wait before the check takes the files away; the first comes back
    // after two waits, the second after one, the third would need two again.
    o.sat.priČekanju = [&](int) {
        const int n = o.sat.čekanja.count(5);
        for (const QString ime : {"Račun21.exe", "Pomoć 21.chm", "Treća 3.chm"})
            if (n == 1) QFile::remove(upd + ime);
        if (n == 3) TestOkruženje::Zapiši(upd + "Račun21.exe", "račun");
        if (n == 4) TestOkruženje::Zapiši(upd + "Pomoć 21.chm", "pomoć");
    };
    EXPECT_FALSE(Snimi(o, UpdateLokacija::InternetPrimarni));
    EXPECT_EQ(o.sat.čekanja, QList<int>({0, 5, 5, 5, 5, 5}));
    EXPECT_EQ(Log(Internet).mid(Log(Internet).size() - 3, 2),
              QStringList({"Nema fajla, moram čekati 5 s Treća 3.chm",
                           "Nema fajla, moram čekati još 5 s Treća 3.chm"}));
    Prekid(Internet,
           "Nije nađena datoteka: " + upd + "Treća 3.chm, a trebala bi postojati. Prekida se ažuriranje!",
           false);
}

TEST_F(Snimanje, FromTheNetworkEveryArchiveIsCopiedCheckedAndUnpackedAndTheListTakenLast) {
    Ponudi(4, "Prazna.chm", ""); // passes after two more waits
    TestOkruženje::Zapiši(upd + "Racun21.7z", "ostatak prošlog pokušaja koji je dulji");
    EXPECT_FALSE(
        Snimi(o, UpdateLokacija::MrežnaLokacija)); // no list at the location, found after every check
    EXPECT_EQ(Log(Mreža).value(Log(Mreža).size() - 2), OK("Prazna.chm"));
    EXPECT_EQ(Stanja(),
              "Račun21.exe 4, Račun21.exe 2, Pomoć 21.chm 4, Pomoć 21.chm 2, Prazna.chm 4, Prazna.chm 2");
    Prekid(Mreža, "Greška u kopiranju Verzije.txt. Prekida se ažuriranje!", true);

    TestOkruženje::Zapiši(lok + "Verzije.txt", "v");
    ASSERT_TRUE(Snimi(o, UpdateLokacija::MrežnaLokacija));
    EXPECT_EQ(Pročitaj("Račun21.exe") + Pročitaj("Verzije.txt"), "računv");
    EXPECT_TRUE(server.Zahtjevi().isEmpty());
    // The last wait of a run comes only after the list is in.
    EXPECT_EQ(o.sat.čekanja, QList<int>({0, 5, 5, 0, 5, 5, 5}));
    EXPECT_EQ(o.status.txtPor, CRLF + "Kopirano Racun21.7z" + CRLF + "UNZIP: " + upd + "Racun21.7z" + CRLF +
                                   "Kopirano Pomoć 21.7z" + CRLF + "Kopirano Prazna.7z" + CRLF +
                                   "Kopirano Verzije.txt");
    EXPECT_TRUE(Log(Mreža).contains("Početak kopiranja Pomoć 21.7z"));
    EXPECT_TRUE(o.status.akcije.contains("Kopiranje datoteke: Pomoć 21.7z"));

    // Both sources start alike: one shows an empty plan stops the run.
    o.stanje.NoveVerzije = Matrica();
    EXPECT_FALSE(Snimi(o, UpdateLokacija::MrežnaLokacija));
    EXPECT_EQ(o.poruke.tekstovi(), QStringList{"Nema novih verzija progama!"});
}

// A copy from the location tells the transfer line as it goes, piece by piece, and arrives whole,
// whether the system copies it alone (the update directory's file system) or it is read and
// written (a share is a file system of its own, which the system does not copy from).
TEST_F(Snimanje, FromTheNetworkACopyArrivesWholeAndTellsTheTransferLineAsItGoes) {
    struct : LažniStatus {
        void NapredakPrijenosa(qint64 primljeno, qint64 ukupno) override {
            if (ukupno == veličina) dosad << primljeno;
        }
        qint64 veličina = 0;
        QList<qint64> dosad;
    } status;
    o.k.status = &status;
    QByteArray program(6 << 20, Qt::Uninitialized);
    QRandomGenerator(21).fillRange(reinterpret_cast<quint32*>(program.data()), program.size() / 4);
    Ponudi(0, "Račun21.exe", program);
    TestOkruženje::Zapiši(lok + "Verzije.txt", "v");
    status.veličina = QFileInfo(lok + "Racun21.7z").size();
    const QString share = o.vanjski("Share");
    MaliDisk disk(share, 16 << 10);
    for (const bool drugiDisk : {false, true}) {
        SCOPED_TRACE(drugiDisk ? "a share" : "the same file system");
        if (drugiDisk) {
            if (!disk.montiran()) GTEST_SKIP() << qPrintable(disk.razlog);
            for (const QString& ime : QDir(lok).entryList(QDir::Files))
                ASSERT_TRUE(QFile::copy(lok + ime, share + "/" + ime));
            o.izvor.lokacije[0] = SaSeparatorom(share);
        }
        status.dosad.clear();
        ASSERT_TRUE(Snimi(o, UpdateLokacija::MrežnaLokacija));
        EXPECT_EQ(Pročitaj("Račun21.exe"), program);
        EXPECT_GE(status.dosad.size(), 3);
        EXPECT_TRUE(std::adjacent_find(status.dosad.begin(), status.dosad.end(), std::greater_equal<>()) ==
                    status.dosad.end());
        EXPECT_EQ(status.dosad.value(status.dosad.size() - 1), status.veličina);
    }
}

// One fault of a run: the source, how it is set up, the box shown (a text with "…" gives its start
// and its end, for texts that carry the platform's words), the start of a log line, the result,
// whether the progress bar is still shown and any further check. Texts name the update directory
// {upd}, the network location {lok} (without its separator {lok-}), what is said of the served
// archive against its listed size {veći} and the injected fault's words {kvar}. The network
// location is never written.
struct Red {
    const char* naziv;
    bool mreža;
    std::function<void(Snimanje&)> postavi;
    QString okvir, log;
    bool rezultat = false, trakaVidljiva = true;
    std::function<void(const Snimanje&)> još = [](const Snimanje&) {};
};

const QString Prekida = " Prekida se ažuriranje!";

TEST(Kvarovi, EveryFailureOfTheDownloadAndTheNetworkCopy) {
    const QString kopija = "Greška u kopiranju Racun21.7z." + Prekida,
                  veličina = "Greška u provjeri veličine datoteke-dohvatu datoteke Racun21.7z." + Prekida,
                  raspakirana = "Greška u provjeri veličine datoteke Račun21.exe." + Prekida,
                  nemaArhive = Mreža +
                               "Nije nađena 7z datoteka: {lok}Pomoć 21.7z pa je nije moguće instalirati." +
                               Prekida;
    const QString nePotpisana =
                      "Sadržaj datoteke Racun21.7z nije onaj koji je izdavač potpisao (sažetak se ne slaže).",
                  nijePrihvaćen = "Skup nadogradnji nije prihvaćen. Nema potpisanog skupa nadogradnji: prije "
                                  "ažuriranja treba provjeriti nove verzije." +
                                  Prekida;
    const auto potpisana = [](const Snimanje& o) { EXPECT_EQ(o.Pročitaj("Račun21.exe"), "račun"); };
    const auto ništa = [](const Snimanje& o) {
        EXPECT_EQ(QDir(o.upd).entryList(QDir::Files), QStringList("Update.log"));
    };
    const auto bezSeta = [](Snimanje& o) {
        o.Potpiši();
        o.o.stanje.ManifestSeta.clear();
    };
    const Red redovi[] = {
        // The status panels keep what was under way.
        {"local file cannot be written", false, [](Snimanje& o) { QDir().mkpath(o.upd + "Racun21.7z/x"); },
         "DownInet: Greška u downloadu datoteke: Racun21.7z …",
         "DownInet: Greška u downloadu datoteke: Racun21.7z ", false, true,
         [](const Snimanje& o) { EXPECT_EQ(o.o.status.akcija, "Download: Racun21.7z"); }},
        // Cut off as larger than the list allows, it is the wrong size it is.
        {"archive over its listed size", false,
         [](Snimanje& o) {
             const QString listano = Snimanje::Veličina(o.lok + "Racun21.7z");
             TestOkruženje::Zapiši(o.lok + "Racun21.7z", QByteArray(listano.toInt() + (1 << 20) + 1, 'x'));
             o.o.stanje.NoveVerzije.postavi(0, VeličinaDownload, listano);
         },
         "{veći}" + NisuIste, Internet + "{veći}"},
        {"unpacking cannot start", false, [](Snimanje& o) { QFile::remove(o.o.dir() + "7za"); },
         "Desila se greška: UNZIP: {upd}Racun21.7z…" + Prekida, "Unzipaj- Greška UNZIP: {upd}Racun21.7z"},
        // The rows before it stay copied and unpacked.
        {"archive missing at the network location", true,
         [](Snimanje& o) { QFile::remove(o.lok + "Pomoć 21.7z"); }, "", nemaArhive, false, true,
         [](const Snimanje& o) { EXPECT_EQ(o.Pročitaj("Račun21.exe"), "račun"); }},
        {"location without the separator", true,
         [](Snimanje& o) { o.o.izvor.lokacije[0] = o.lok.chopped(1); }, "",
         QString(nemaArhive).replace("{lok}Pomoć 21.7z", "{lok-}Racun21.7z")},
        {"archive copy fails", true, [](Snimanje& o) { o.Kvar("kopiraj", o.upd + "Racun21.7z"); }, kopija,
         Mreža + kopija},
        {"archive size unreadable", true, [](Snimanje& o) { o.Kvar("velicina", o.upd + "Racun21.7z"); },
         veličina, Mreža + veličina},
        {"unpacked size unreadable", false, [](Snimanje& o) { o.Kvar("velicina", o.upd + "Račun21.exe"); },
         raspakirana, Internet + raspakirana, false, false},
        // The fetch replaces it anyway; the bar took the first size and refused the sum past its maximum.
        {"leftover archive cannot be deleted", false,
         [](Snimanje& o) {
             TestOkruženje::Zapiši(o.upd + "Racun21.7z", "ostatak");
             o.Kvar("brisi", o.upd + "Racun21.7z");
         },
         "", Internet + "Nije uspješno izbrisana 7z datoteka: {upd}Racun21.7z pa je to problem: {kvar}", true,
         false,
         [](const Snimanje& o) {
             EXPECT_EQ(o.o.status.vrh, o.o.stanje.UkupnoZaPrijenos);
             EXPECT_EQ(o.o.status.vrijednost, Snimanje::Veličina(o.lok + "Racun21.7z").toFloat());
         }},
        {"signed archives from the server", false, [](Snimanje& o) { o.Potpiši(); }, "",
         Internet + "Početak provjere veličine datoteka", true, false, potpisana},
        {"signed archives from the network location", true, [](Snimanje& o) { o.Potpiši(); }, "",
         Mreža + "Početak provjere veličine datoteka", true, false, potpisana},
        {"archive changed after signing at the server", false, [](Snimanje& o) { o.IzmijeniPotpisano(); }, "",
         "Greška: Download: Racun21.7z " + nePotpisana, false, true, ništa},
        {"archive changed after signing at the network location", true,
         [](Snimanje& o) { o.IzmijeniPotpisano(); },
         "Greška u kopiranju Racun21.7z. " + nePotpisana + Prekida,
         Mreža + "Greška u kopiranju Racun21.7z. " + nePotpisana + Prekida, false, true, ništa},
        // A key is set but no check has accepted a set: nothing is fetched.
        {"no accepted set for the server", false, bezSeta, nijePrihvaćen, Internet + nijePrihvaćen, false,
         true, ništa},
        {"no accepted set for the network location", true, bezSeta, nijePrihvaćen, Mreža + nijePrihvaćen,
         false, true, ništa},
    };
    for (const Red& red : redovi) {
        SCOPED_TRACE(red.naziv);
        Snimanje o;
        red.postavi(o);
        const QByteArray naLokaciji = TestOkruženje::Pročitaj(o.lok + "Racun21.7z");
        EXPECT_EQ(Snimi(o.o, red.mreža ? UpdateLokacija::MrežnaLokacija : UpdateLokacija::InternetPrimarni),
                  red.rezultat);
        const auto popuni = [&](const QString& t) {
            return Popuni(t, {{"upd", o.upd},
                              {"lok-", o.lok.chopped(1)},
                              {"lok", o.lok},
                              {"veći", "Veličina presnimljene datoteke Racun21.7z je " +
                                           Snimanje::Veličina(o.lok + "Racun21.7z") +
                                           ", a veličina originalne datoteke je " +
                                           o.o.stanje.NoveVerzije.tekst(0, VeličinaDownload)},
                              {"kvar", DatotekeSKvarom::Greška(o.upd + "Racun21.7z").opis}});
        };
        UsporediOkvire(o.o.poruke.upiti,
                       red.okvir.isEmpty() ? Okviri{} : Okviri{{red.okvir, Ikona::Usklicnik}}, popuni);
        EXPECT_TRUE(ImaRed(o.o.LogPoruke(), popuni(red.log))) << popuni(red.log).toStdString();
        // A stopped run keeps its messages to itself: the tabs show the previous operation's.
        EXPECT_EQ(o.o.status.prikazaPoruka == 0, !red.rezultat);
        EXPECT_EQ(o.o.status.vidljiv, red.trakaVidljiva);
        EXPECT_EQ(TestOkruženje::Pročitaj(o.lok + "Racun21.7z"), naLokaciji);
        red.još(o);
    }
}

TEST_F(Prijenos, UnzipajWaitsASecondPerMegabyteWithHalvesToEvenEvenForADamagedArchive) {
    const QString arhiva = upd + "Oštećen21.7z";
    // Stored without packing, an archive is its content and a header of a fixed size.
    const auto arhivaS = [](qint64 sadržaja) { return Arhiva7z("Oštećen21.exe", QByteArray(sadržaja, 'o')); };
    o.stanje.NoveVerzije.postavi(0, Ime, "Oštećen21.exe");
    o.stanje.NoveVerzije.postavi(0, StvarnaVeličina, "2500000");
    const qint64 zaglavlje = arhivaS(1000).size() - 1000;
    for (qint64 bajtova : {500'000, 500'001, 1'500'000, 2'500'000}) {
        QByteArray sadržaj = arhivaS(bajtova - zaglavlje);
        ASSERT_EQ(sadržaj.size(), bajtova);
        // The stored file no longer matches its CRC: the listing still reads, the unpacking fails.
        sadržaj[32] = 'x';
        TestOkruženje::Zapiši(arhiva, sadržaj);
        EXPECT_FALSE(Raspakiraj("Oštećen21.exe"));
        EXPECT_EQ(o.stanje.ZadnjaPoruka,
                  "UNZIP: " + arhiva + " - 7-Zip nije ispravno raspakirao arhivu (izlazni kod 2)");
        EXPECT_EQ(o.LogPoruke().last(), "Unzipaj- Greška " + o.stanje.ZadnjaPoruka);
    }
    EXPECT_EQ(o.sat.čekanja, QList<int>({0, 1, 2, 2}));
}

TEST_F(Prijenos, UnzipajCopiesHelpFilesAndScriptsWithoutTheExtractor) {
    QFile::remove(o.dir() + "7za");
    TestOkruženje::Zapiši(upd + "Pomoć21.7z", "nova pomoć");
    TestOkruženje::Zapiši(upd + "Pomoć21.chm", "stara pomoć koja je duža");
    TestOkruženje::Zapiši(upd + "Skripta 5.7z", "ALTER TABLE");
    EXPECT_TRUE(Raspakiraj("Pomoć21.chm"));
    EXPECT_TRUE(Raspakiraj("Skripta 5.enc"));
    EXPECT_EQ(Pročitaj("Pomoć21.chm") + Pročitaj("Skripta 5.enc"), "nova pomoćALTER TABLE");

    EXPECT_FALSE(Raspakiraj("Pomoć21.CHM")); // upper case is a packed kind
    const QString zp = o.stanje.ZadnjaPoruka, početak = "UNZIP: " + upd + "Pomoć21.7z";
    EXPECT_TRUE(zp.startsWith(početak) && zp.size() > početak.size()) << zp.toStdString();
}

} // namespace
