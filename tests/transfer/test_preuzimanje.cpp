#include "Arhive.h"
#include "MaliDisk.h"

#include <QRegularExpression>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTimer>

#include <optional>

namespace {

struct ObaPrijenosa : Prijenos, ::testing::WithParamInterface<bool> {
    ObaPrijenosa() : Prijenos(GetParam()) {}
    bool Preuzmi(const QString& ime, const QByteArray& sadržaj) {
        TestOkruženje::Zapiši(posluženo.filePath(ime), sadržaj);
        return Dohvati(ime, upd);
    }
    const bool https = GetParam();
    const QString url =
        (https ? "https://" + server.HttpsHost() : "http://" + server.HttpHost()) + "/download/Verzija21/";
};

TEST_P(ObaPrijenosa, StoresTheBodyByteForByteUnderANameWithBlanksAndCroatianLetters) {
    const QString ime = "Čitaj me ž.7z";
    const QByteArray tijelo = QByteArray(300'000, '\0') + "\n\r\n\xff";
    TestOkruženje::Zapiši(upd + ime, QByteArray(400'000, 'x')); // longer than the new one
    server.PostaviKvar(ime, Kvar::Polagano);
    int otkucaja = 0; // the window's own events go on during a fetch
    QTimer sat;
    QObject::connect(&sat, &QTimer::timeout, [&] { ++otkucaja; });
    sat.start(10);
    ASSERT_TRUE(Preuzmi(ime, tijelo));
    sat.stop();
    EXPECT_GT(otkucaja, 0);
    EXPECT_EQ(Pročitaj(ime), tijelo);
    // The name goes out and into the log unescaped.
    EXPECT_EQ(server.Zahtjevi().value(0).putanja, "/download/Verzija21/" + ime);
    EXPECT_EQ(o.LogPoruke(), QStringList({"Početak Download: " + url + ime, "Uspješan download: " + ime}));
    EXPECT_EQ(o.status.akcije + o.poruke.tekstovi(), QStringList({"Download: " + ime, ""}));
    const QString
        stanja = o.status.stanja.join('|'),
        sviKoraci =
            "Udaljena adresa je u toku provjere|Dana udaljena adresa je prihvaćena|Spajanje...|Spojeno|"
            "Podaci su u toku zahtjeva|Zahtjev za podacima je poslan|Odgovor je u toku prihvaćanja|"
            "Odgovor primljen/Prijenos u toku|Odgovor je uspješno prihvaćen|";
    if (https) // percentages while the body arrives
        EXPECT_TRUE(QRegularExpression("^(\\d+%\\|)+100%\\|$").match(stanja).hasMatch())
            << stanja.toStdString();
    else
        EXPECT_EQ(stanja, sviKoraci);

    server.PostaviKvar("c.7z", Kvar::PreusmjeriIstiHost); // within the same server
    EXPECT_TRUE(Preuzmi("c.7z", "preusmjereno"));
    EXPECT_EQ(server.Zahtjevi().last().putanja, "/premjesteno/c.7z");
    server.PostaviKvar("d.7z", Kvar::Komadno); // no length announced, but the last chunk came
    o.status.stanja.clear();
    EXPECT_TRUE(Preuzmi("d.7z", tijelo));
    EXPECT_EQ(Pročitaj("d.7z"), tijelo);
    // The connection kept from the fetches before shows every step all the same.
    if (!https) {
        EXPECT_EQ(o.status.stanja.join('|'), sviKoraci);
    }
    EXPECT_EQ(QDir(upd).entryList({"*.mlu-novo"}), QStringList());
}

// A body larger than the list allows is cut off as soon as that shows, whether
// the length was announced or not; the slack is 1 MiB over the listed archive
// size, a list may have 1 MiB, a file the list does not name far more.
TEST_P(ObaPrijenosa, StopsABodyLargerThanTheListAllows) {
    constexpr qint64 MiB = 1 << 20;
    o.stanje.NoveVerzije.postavi(0, Ime, QStringLiteral("Veliki.exe"));
    o.stanje.NoveVerzije.postavi(0, VeličinaDownload, QStringLiteral("1000"));
    const struct {
        QString ime;
        qint64 veličina;
        Kvar kvar;
        bool stigne;
    } slučajevi[] = {
        {"Veliki.7z", 1000 + MiB, Kvar::Nema, true},
        {"Veliki.7z", 1001 + MiB, Kvar::Nema, false},
        // Cut after 2 MiB: the limit must end it before that.
        {"Veliki.7z", 4 * MiB, Kvar::KomadnoPrekinuto, false},
        {"Verzije.txt", MiB, Kvar::Komadno, true},
        {"Verzije.txt", MiB + 1, Kvar::Komadno, false},
        {"VerzijeU.txt", MiB + 1, Kvar::Nema, false},
        {"TeamViewerQS.exe", 3 * MiB, Kvar::Komadno, true},
    };
    for (const auto& s : slučajevi) {
        SCOPED_TRACE((s.ime + " " + QString::number(s.veličina)).toStdString());
        const qsizetype redaka = o.LogPoruke().size();
        QFile::remove(upd + s.ime);
        server.PostaviKvar(s.ime, s.kvar);
        // Programs begin as programs do.
        EXPECT_EQ(Preuzmi(s.ime, QByteArray(s.veličina, 'v').replace(0, 2, "MZ")), s.stigne);
        EXPECT_EQ(QFileInfo(upd + s.ime).size(), s.stigne ? s.veličina : 0);
        const QString zadnji = o.LogPoruke().value(redaka + 1);
        if (!s.stigne) {
            EXPECT_TRUE(zadnji.startsWith("Greška: Download: " + s.ime + " ")) << zadnji.toStdString();
            EXPECT_TRUE(zadnji.contains("smije imati najviše")) << zadnji.toStdString();
        }
    }
}

TEST_P(ObaPrijenosa, GoesThroughTheSystemProxyUnlessTheHostIsExempt) {
    // Tests start without proxy variables; this one removes its own again.
    const auto okolina = qScopeGuard([] {
        for (const char* ime : {"http_proxy", "https_proxy", "no_proxy"})
            qunsetenv(ime);
    });
    const auto postavi = [](const QString& proxy, const QString& izuzeti = QString()) {
        qputenv("http_proxy", proxy.toLatin1());
        qputenv("https_proxy", proxy.toLatin1());
        qputenv("no_proxy", izuzeti.toLatin1());
    };
    TestProxy proxy, sPrijavom(true);
    postavi(proxy.Adresa());
    ASSERT_TRUE(Preuzmi("p.7z", "kroz proxy")) << o.stanje.ZadnjaPoruka.toStdString();
    EXPECT_EQ(Pročitaj("p.7z"), "kroz proxy");
    const QString host = https ? server.HttpsHost() : server.HttpHost();
    EXPECT_EQ(proxy.Zahtjevi(),
              QStringList{https ? "CONNECT " + host + " HTTP/1.1" : "GET " + url + "p.7z HTTP/1.1"});
    EXPECT_EQ(server.Zahtjevi().size(), 1);

    postavi(proxy.Adresa(), "127.0.0.1");
    ASSERT_TRUE(Preuzmi("p.7z", "izravno"));
    EXPECT_EQ(proxy.Zahtjevi().size(), 1);

    postavi(sPrijavom.Adresa());
    EXPECT_FALSE(Preuzmi("p.7z", "nikad"));
    EXPECT_EQ(Pročitaj("p.7z"), "izravno");
    EXPECT_TRUE(o.stanje.ZadnjaPoruka.startsWith("Proxy traži prijavu (407)"))
        << o.stanje.ZadnjaPoruka.toStdString();
    EXPECT_EQ(o.LogPoruke().last(), "Greška: Download: p.7z " + o.stanje.ZadnjaPoruka);
    EXPECT_EQ(sPrijavom.Zahtjevi().size(), 1);
    if (!https) return;

    // A refused certificate is looked at along the same route.
    TestServer nepovjerljiv(posluženo.path(), Certifikat::Samopotpisan);
    o.postavke.Snimi("Settings", "PrimarniServer21", nepovjerljiv.HttpsHost());
    postavi(proxy.Adresa());
    EXPECT_FALSE(Preuzmi("p.7z", "nikad"));
    EXPECT_TRUE(
        o.stanje.ZadnjaPoruka.startsWith("Certifikat poslužitelja nije pouzdan (O=Nepoznat, CN=127.0.0.1)"))
        << o.stanje.ZadnjaPoruka.toStdString();
    EXPECT_EQ(proxy.Zahtjevi().mid(1), QStringList(2, "CONNECT " + nepovjerljiv.HttpsHost() + " HTTP/1.1"));
}

// Each way a fetch fails keeps the old file and reaches the log with its class first, the library's
// or system's own words after it; only the http path shows the class in a box, and tells an empty
// answer apart. Disk full and a read-only disk need a small file system mounted, so root.
TEST_P(ObaPrijenosa, EveryFailureKeepsTheOldFileAndNamesItsClassInTheMessageAndTheLog) {
    TestServer nepovjerljiv(posluženo.path(), Certifikat::Samopotpisan);
    QTcpServer zatvoren;
    ASSERT_TRUE(zatvoren.listen(QHostAddress::LocalHost));
    const QString zatvorenHost = QStringLiteral("127.0.0.1:%1").arg(zatvoren.serverPort());
    zatvoren.close(); // nobody listens there any more
    QTemporaryDir mali;
    const QString maliDir = mali.path() + "/";
    std::optional<MaliDisk> disk;
    const auto montiraj = [&](bool samoČitanje) {
        disk.reset();
        return disk.emplace(mali.path(), 64, samoČitanje).montiran();
    };
    const bool imaMontiranja = montiraj(false);

    // Where the file goes: the update directory, or a small file system, full or read-only.
    enum Cilj { Uobičajeni, PunDisk, SamoZaČitanje };
    // A fetch limited to 0.4 s whatever the size, with a floor a drip passes.
    const RokoviPrijenosa kratkiRokovi{Rokovi.zastojMs, Rokovi.prozorBrzineMs, 1, 400, qint64(1) << 40};
    HttpPreuzimanje kratko{o.status, o.poruke, *o.log, o.datoteke, o.stanje.ZadnjaPoruka, kratkiRokovi};
    const QString skheme = https ? "https://" : "http://", krug = url + "f.7z",
                  prekinut = "Prijenos je prekinut prije kraja";
    // riječi: what must follow the class in the log, when anything does.
    const struct {
        const char* slučaj;
        QString host;
        Kvar kvar;
        Cilj cilj;
        QString klasa;
        std::optional<QString> riječi;
        HttpPreuzimanje* kojim = nullptr;
    } slučajevi[] = {
        {"404", server.HttpsHost(), Kvar::Status404, Uobičajeni, "Poslužitelj je odgovorio statusom 404",
         "Not Found"},
        {"500", server.HttpsHost(), Kvar::Status500, Uobičajeni, "Poslužitelj je odgovorio statusom 500", ""},
        {"empty body", server.HttpsHost(), Kvar::PraznoTijelo, Uobičajeni, "Ništa nije primljeno (dužina 0).",
         std::nullopt},
        {"cut short", server.HttpsHost(), Kvar::SkraćenoTijelo, Uobičajeni, prekinut, ""},
        {"longer announced", server.HttpsHost(), Kvar::PogrešnaDužina, Uobičajeni, prekinut, ""},
        {"chunked cut short", server.HttpsHost(), Kvar::KomadnoPrekinuto, Uobičajeni, prekinut, ""},
        {"redirect to another host", server.HttpsHost(), Kvar::PreusmjeriDrugiHost, Uobičajeni,
         "Preusmjerenje na drugi poslužitelj je odbijeno", ""},
        {"redirect down to http", server.HttpsHost(), Kvar::PreusmjeriNaHttp, Uobičajeni,
         "Preusmjerenje na drugi poslužitelj je odbijeno", ""},
        {"refused", zatvorenHost, Kvar::Nema, Uobičajeni, "Poslužitelj je odbio vezu", ""},
        {"unknown host", "nepostoji.invalid", Kvar::Nema, Uobičajeni, "Poslužitelj nije pronađen",
         "Could not resolve host: nepostoji.invalid"},
        {"untrusted", nepovjerljiv.HttpsHost(), Kvar::Nema, Uobičajeni,
         "Certifikat poslužitelja nije pouzdan (O=Nepoznat, CN=127.0.0.1)",
         "SSL certificate problem: self-signed certificate"},
        {"stall", server.HttpsHost(), Kvar::Zastoj, Uobičajeni, "Nema podataka 1 s: prijenos je prekinut.",
         std::nullopt},
        {"drip", server.HttpsHost(), Kvar::Kapanje, Uobičajeni,
         "Manje od 1 KB/s kroz 1.2 s: prijenos je prekinut.", std::nullopt},
        {"drip past the whole limit", server.HttpsHost(), Kvar::Kapanje, Uobičajeni,
         "Prijenos traje dulje od 0.4 s: prijenos je prekinut.", std::nullopt, &kratko},
        {"redirect loop", server.HttpsHost(), Kvar::PreusmjeriUKrug, Uobičajeni,
         "Poslužitelj stalno preusmjerava (10 puta zaredom)", krug},
        {"disk full", server.HttpsHost(), Kvar::Nema, PunDisk,
         "Lokalna datoteka se ne može zapisati, disk je pun", ""},
        {"read-only", server.HttpsHost(), Kvar::Nema, SamoZaČitanje,
         "Lokalna datoteka se ne može zapisati, nema dozvole", ""},
    };
    TestOkruženje::Zapiši(posluženo.filePath("f.7z"), QByteArray(200'000, 'f'));
    TestOkruženje::Zapiši(upd + "f.7z", "staro");
    for (const auto& s : slučajevi) {
        SCOPED_TRACE(s.slučaj);
        const QByteArray slučaj(s.slučaj);
        // Plain http has no certificate and no scheme below it.
        if (!https && (slučaj == "untrusted" || slučaj == "redirect down to http")) continue;
        const bool lokalna = s.cilj != Uobičajeni;
        if (lokalna && !imaMontiranja) continue;
        if (lokalna) {
            ASSERT_TRUE(montiraj(s.cilj == SamoZaČitanje));
        }
        QString host = s.host;
        if (!https && host == server.HttpsHost()) host = server.HttpHost();
        o.postavke.Snimi("Settings", "PrimarniServer21", host);
        server.PostaviKvar("f.7z", s.kvar);
        o.poruke.upiti.clear();
        o.stanje.ZadnjaPoruka = "prije";
        o.preuzimanje = s.kojim ? s.kojim : &preuzimanje;
        const qsizetype redaka = o.LogPoruke().size(), zahtjeva = server.Zahtjevi().size();
        EXPECT_FALSE(Dohvati("f.7z", lokalna ? maliDir : upd));
        EXPECT_EQ(Pročitaj("f.7z"), "staro");
        EXPECT_EQ(QDir(upd).entryList({"*.mlu-novo"}), QStringList());
        const QString& zp = o.stanje.ZadnjaPoruka;
        QStringList log{"Početak Download: " + skheme + host + "/download/Verzija21/f.7z",
                        lokalna ? zp : "Greška: Download: f.7z " + zp};
        if (!https && s.kvar == Kvar::PraznoTijelo) {
            EXPECT_TRUE(zp == "prije" || zp.isEmpty()) << zp.toStdString();
            EXPECT_EQ(o.poruke.tekstovi(), QStringList());
            log[1] = "Ništa nije primljeno (dužina 0). Download: f.7z";
        } else {
            const QString opis = (lokalna ? "DownInet: Greška u downloadu datoteke: f.7z " : "") + s.klasa +
                                 (s.riječi ? ": " + *s.riječi : "");
            EXPECT_TRUE(s.riječi ? zp.startsWith(opis) : zp == opis) << zp.toStdString();
            // A local failure is shown as it is logged, the platform's words included.
            EXPECT_EQ(o.poruke.tekstovi(), lokalna ? QStringList{zp}
                                           : https ? QStringList()
                                                   : QStringList{"Greška: " + s.klasa});
        }
        EXPECT_EQ(o.LogPoruke().mid(redaka), log);
        if (!lokalna) {
            EXPECT_EQ(o.poruke.upiti.value(0).ikona, Ikona::Nema);
            EXPECT_EQ(o.status.akcija + o.status.stanje, "");
        }
        // Never to another host, never down from https.
        for (const Zahtjev& z : server.Zahtjevi().mid(zahtjeva)) {
            EXPECT_EQ(z.https, https);
            EXPECT_TRUE(z.host.startsWith("127.0.0.1:")) << z.host.toStdString();
        }
    }

    // A login page where a program was asked for (a captive portal) is no program.
    o.postavke.Snimi("Settings", "PrimarniServer21", https ? server.HttpsHost() : server.HttpHost());
    o.preuzimanje = &preuzimanje;
    TestOkruženje::Zapiši(upd + "TeamViewerQS.exe", "MZ staro");
    o.poruke.upiti.clear();
    EXPECT_FALSE(Preuzmi("TeamViewerQS.exe", "<html>Prijava na mrežu</html>"));
    EXPECT_EQ(Pročitaj("TeamViewerQS.exe"), "MZ staro");
    const QString razlog = "TeamViewerQS.exe nije program (ne počinje s MZ), možda je primljena stranica za "
                           "prijavu na mrežu umjesto njega.";
    EXPECT_EQ(o.stanje.ZadnjaPoruka, razlog);
    EXPECT_EQ(o.LogPoruke().last(), "Greška: Download: TeamViewerQS.exe " + razlog);
    EXPECT_EQ(o.poruke.tekstovi(), https ? QStringList() : QStringList{"Greška: " + razlog});
    EXPECT_TRUE(Preuzmi("TeamViewerQS.exe", "MZ novo"));
    if (!imaMontiranja) GTEST_SKIP() << "disk full and read-only not tried: mounting a tmpfs needs root";
}

INSTANTIATE_TEST_SUITE_P(Transport, ObaPrijenosa, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "https" : "http"; });

// Only the primary source uses the primary server; the secondary one here shows
// a certificate nobody trusts.
TEST_F(Prijenos, HttpsTrustsTheTestCaOnlyThroughTheSettingAndOnlyThePrimarySourceUsesThePrimaryServer) {
    TestServer nepovjerljiv(posluženo.path(), Certifikat::Samopotpisan);
    o.postavke.Snimi("Settings", "SekundarniServer21", nepovjerljiv.HttpsHost());
    TestOkruženje::Zapiši(posluženo.filePath("Verzije.txt"), "v");
    for (UpdateLokacija izvor : {UpdateLokacija::InternetPrimarni, UpdateLokacija::MrežnaLokacija,
                                 UpdateLokacija::InternetSekundarni}) {
        o.izvor.odabrana = izvor;
        EXPECT_EQ(Dohvati("Verzije.txt", upd), izvor == UpdateLokacija::InternetPrimarni) << int(izvor);
    }
    EXPECT_EQ(server.Zahtjevi().size(), 1);
    EXPECT_TRUE(nepovjerljiv.Zahtjevi().isEmpty());
    EXPECT_EQ(o.LogPoruke().filter("Početak Download: https://" + nepovjerljiv.HttpsHost() + "/").size(), 2);

    // A kept connection must not carry the trust of the earlier fetch.
    o.izvor.odabrana = UpdateLokacija::InternetPrimarni;
    o.postavke.vrijednosti.remove("Settings/DodatniCertifikati");
    EXPECT_FALSE(Dohvati("Verzije.txt", upd));
}

} // namespace
