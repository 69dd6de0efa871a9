#include "Okruzenje.h"
#include "TestServer.h"
#include "transfer/HttpPreuzimanje.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace morvela;
using namespace morvela::test;

namespace {

QByteArray Sadržaj(int bajtova, quint32 sjeme = 21) {
    QRandomGenerator g(sjeme);
    QByteArray b(bajtova, Qt::Uninitialized);
    for (char& c : b)
        c = char(g.bounded(256));
    return b;
}

class Preuzimanje : public ::testing::Test {
protected:
    explicit Preuzimanje(Certifikat certifikat = Certifikat::OdTestnogCa)
        : server(posluženo.path(), certifikat) {
        o.postavke.Snimi("Settings", "DodatniCertifikati", TestServer::TestniCa());
    }

    // Points the primary server at the listener the transport uses.
    void Transport(bool https) {
        m_https = https;
        o.stanje.KoristiChilkat = https;
        o.postavke.Snimi("Settings", "PrimarniServer21", https ? server.HttpsHost() : server.HttpHost());
    }
    void Posluži(const QString& ime, const QByteArray& sadržaj) {
        TestOkruženje::Zapiši(posluženo.filePath(ime), sadržaj);
    }
    bool Preuzmi(const QString& ime) { return preuzimanje.DownloadDatoteke(ime, o.updateDir()); }
    QByteArray Preuzeto(const QString& ime) const { return TestOkruženje::Pročitaj(o.updateDir() + ime); }
    // Files in the update directory other than the log.
    QStringList DatotekeUpdate() const {
        QStringList imena = QDir(o.updateDir()).entryList(QDir::Files | QDir::Hidden);
        imena.removeAll(QStringLiteral("Update.log"));
        return imena;
    }
    QString Url(const QString& ime) const {
        return (m_https ? "https://" + server.HttpsHost() : "http://" + server.HttpHost()) +
               "/download/Verzija21/" + ime;
    }
    // A transport failure: the last message holds the reason, one log line
    // carries it, and only the http path shows a box of its own.
    void OčekujGreškuPrijenosa(const QString& ime) {
        const QStringList log = o.LogPoruke();
        ASSERT_EQ(log.size(), 2) << log.join('\n').toStdString();
        EXPECT_EQ(log[0], "Početak Download: " + Url(ime));
        EXPECT_FALSE(o.stanje.ZadnjaPoruka.isEmpty());
        EXPECT_EQ(log[1], "Greška: Download: " + ime + " " + o.stanje.ZadnjaPoruka);
        if (m_https) {
            EXPECT_TRUE(o.poruke.upiti.isEmpty());
        } else {
            ASSERT_EQ(o.poruke.upiti.size(), 1);
            EXPECT_EQ(o.poruke.upiti[0].tekst, "Greška: " + o.stanje.ZadnjaPoruka);
            EXPECT_EQ(o.poruke.upiti[0].ikona, Ikona::Nema);
        }
        EXPECT_EQ(o.status.akcija, "");
        EXPECT_EQ(o.status.stanje, "");
    }

    TestOkruženje o;
    QTemporaryDir posluženo;
    TestServer server;
    // Declared after the server so the client goes first.
    HttpPreuzimanje preuzimanje{o.k, 1000};
    bool m_https = true;
};

// Everything both transports share, run once over https and once over http.
class ObaPrijenosa : public Preuzimanje, public ::testing::WithParamInterface<bool> {
protected:
    ObaPrijenosa() { Transport(https()); }
    bool https() const { return GetParam(); }
};

TEST_P(ObaPrijenosa, ReplacesTheFileByteForByteOverTheChosenScheme) {
    const QByteArray tijelo = Sadržaj(700 * 1024);
    Posluži("Verzije.txt", tijelo);
    // A longer old file leaves nothing of itself behind.
    TestOkruženje::Zapiši(o.updateDir() + "Verzije.txt", QByteArray(900 * 1024, 'x'));
    ASSERT_TRUE(Preuzmi("Verzije.txt"));
    EXPECT_EQ(Preuzeto("Verzije.txt"), tijelo);
    EXPECT_EQ(DatotekeUpdate(), QStringList{"Verzije.txt"});
    EXPECT_EQ(o.LogPoruke(),
              (QStringList{"Početak Download: " + Url("Verzije.txt"), "Uspješan download: Verzije.txt"}));
    const auto zahtjevi = server.Zahtjevi();
    ASSERT_EQ(zahtjevi.size(), 1);
    EXPECT_EQ(zahtjevi[0].https, https());
    EXPECT_EQ(o.status.akcije, (QStringList{"Download: Verzije.txt", ""}));
    EXPECT_EQ(o.status.stanje, "");
    EXPECT_TRUE(o.poruke.upiti.isEmpty());
}

TEST_P(ObaPrijenosa, NameWithBlanksAndCroatianLettersReachesTheServerAndTheDisk) {
    const QString ime = "Čitaj me ž.chm";
    Posluži(ime, "sadržaj");
    ASSERT_TRUE(Preuzmi(ime));
    EXPECT_EQ(Preuzeto(ime), "sadržaj");
    EXPECT_EQ(server.Zahtjevi().value(0).putanja, "/download/Verzija21/" + ime);
    // The log shows the address as composed, unescaped.
    EXPECT_EQ(o.LogPoruke().value(0), "Početak Download: " + Url(ime));
}

TEST_P(ObaPrijenosa, FollowsARedirectOnlyWithinTheSameServer) {
    Posluži("c.7z", "preusmjereno");
    server.PostaviKvar("c.7z", Kvar::PreusmjeriIstiHost);
    ASSERT_TRUE(Preuzmi("c.7z"));
    EXPECT_EQ(Preuzeto("c.7z"), "preusmjereno");
    EXPECT_EQ(server.Zahtjevi().value(1).putanja, "/premjesteno/c.7z");
}

TEST_P(ObaPrijenosa, AStalledTransferFailsAfterTheStallTime) {
    Posluži("d.7z", Sadržaj(100 * 1024));
    server.PostaviKvar("d.7z", Kvar::Zastoj);
    EXPECT_FALSE(Preuzmi("d.7z"));
    EXPECT_TRUE(DatotekeUpdate().isEmpty());
    EXPECT_EQ(o.stanje.ZadnjaPoruka, "Prijenos je prekinut: nema podataka 1 s.");
    OčekujGreškuPrijenosa("d.7z");
}

TEST_P(ObaPrijenosa, ALocalFileThatCannotBeWrittenIsReportedWithTheSharedText) {
    Posluži("e.7z", "x");
    const QString nema = o.vanjski("nema") + QDir::separator();
    EXPECT_FALSE(preuzimanje.DownloadDatoteke("e.7z", nema));
    EXPECT_TRUE(o.stanje.ZadnjaPoruka.startsWith("DownInet: Greška u downloadu datoteke: e.7z "))
        << o.stanje.ZadnjaPoruka.toStdString();
    EXPECT_GT(o.stanje.ZadnjaPoruka.size(), QString("DownInet: Greška u downloadu datoteke: e.7z ").size());
    EXPECT_EQ(o.LogPoruke().value(1), o.stanje.ZadnjaPoruka);
    ASSERT_EQ(o.poruke.upiti.size(), 1);
    EXPECT_EQ(o.poruke.upiti[0].tekst, o.stanje.ZadnjaPoruka);
    EXPECT_EQ(o.poruke.upiti[0].ikona, Ikona::Usklicnik);
    // The panels keep what was under way.
    EXPECT_EQ(o.status.akcija, "Download: e.7z");
    EXPECT_FALSE(QDir(o.vanjski("nema")).exists());
}

INSTANTIATE_TEST_SUITE_P(Transport, ObaPrijenosa, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "https" : "http"; });

std::string ImeKvara(Kvar kvar) {
    switch (kvar) {
    case Kvar::Status404:
        return "404";
    case Kvar::Status500:
        return "500";
    case Kvar::SkraćenoTijelo:
        return "skraceno";
    case Kvar::PogrešnaDužina:
        return "duzina";
    case Kvar::PreusmjeriDrugiHost:
        return "drugiHost";
    default:
        return "ostalo";
    }
}

class Kvarovi : public Preuzimanje, public ::testing::WithParamInterface<std::tuple<bool, Kvar>> {
protected:
    Kvarovi() { Transport(std::get<0>(GetParam())); }
};

TEST_P(Kvarovi, StoreNothingAndKeepTheOldFile) {
    TestOkruženje::Zapiši(o.updateDir() + "b.7z", "staro");
    Posluži("b.7z", Sadržaj(200 * 1024));
    server.PostaviKvar("b.7z", std::get<1>(GetParam()));
    EXPECT_FALSE(Preuzmi("b.7z"));
    EXPECT_EQ(Preuzeto("b.7z"), "staro");
    EXPECT_EQ(DatotekeUpdate(), QStringList{"b.7z"});
    OčekujGreškuPrijenosa("b.7z");
    // Nothing went to another host.
    for (const Zahtjev& z : server.Zahtjevi())
        EXPECT_TRUE(z.host.startsWith("127.0.0.1:")) << z.host.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Transport, Kvarovi,
                         ::testing::Combine(::testing::Bool(),
                                            ::testing::Values(Kvar::Status404, Kvar::Status500,
                                                              Kvar::SkraćenoTijelo, Kvar::PogrešnaDužina,
                                                              Kvar::PreusmjeriDrugiHost)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) ? "https_" : "http_") +
                                    ImeKvara(std::get<1>(info.param));
                         });

TEST_F(Preuzimanje, ZeroLengthBodyStoresNothingOnEitherPath) {
    Posluži("Verzije.txt", "");
    TestOkruženje::Zapiši(o.updateDir() + "Verzije.txt", "staro");
    o.stanje.ZadnjaPoruka = "prije";

    Transport(false);
    EXPECT_FALSE(Preuzmi("Verzije.txt"));
    EXPECT_EQ(o.LogPoruke().value(1), "Ništa nije primljeno (dužina 0). Download: Verzije.txt");
    EXPECT_EQ(o.stanje.ZadnjaPoruka, "prije");
    EXPECT_TRUE(o.poruke.upiti.isEmpty());
    EXPECT_EQ(o.status.stanje, "");

    Transport(true);
    EXPECT_FALSE(Preuzmi("Verzije.txt"));
    EXPECT_EQ(o.LogPoruke().value(3), "Greška: Download: Verzije.txt Ništa nije primljeno (dužina 0).");
    EXPECT_EQ(Preuzeto("Verzije.txt"), "staro");
    EXPECT_EQ(DatotekeUpdate(), QStringList{"Verzije.txt"});
}

TEST_F(Preuzimanje, HttpsShowsRisingPercentagesEndingAt100) {
    Transport(true);
    Posluži("f.7z", Sadržaj(64 * 1024));
    server.PostaviKvar("f.7z", Kvar::Polagano);
    server.PostaviPolaganje(8, 130);
    ASSERT_TRUE(Preuzmi("f.7z"));
    QStringList postoci = o.status.stanja;
    ASSERT_EQ(postoci.takeLast(), "");
    ASSERT_GE(postoci.size(), 3) << postoci.join(' ').toStdString();
    int prethodni = -1;
    for (const QString& p : postoci) {
        ASSERT_TRUE(QRegularExpression("^\\d+%$").match(p).hasMatch()) << p.toStdString();
        EXPECT_GT(p.chopped(1).toInt(), prethodni);
        prethodni = p.chopped(1).toInt();
    }
    EXPECT_EQ(postoci.last(), "100%");
}

TEST_F(Preuzimanje, HttpShowsTheTransferControlStatesInOrder) {
    Transport(false);
    Posluži("g.7z", Sadržaj(1000));
    ASSERT_TRUE(Preuzmi("g.7z"));
    EXPECT_EQ(o.status.stanja,
              (QStringList{"Udaljena adresa je u toku provjere", "Dana udaljena adresa je prihvaćena",
                           "Spajanje...", "Spojeno", "Podaci su u toku zahtjeva",
                           "Zahtjev za podacima je poslan", "Odgovor je u toku prihvaćanja",
                           "Odgovor primljen/Prijenos u toku", "Odgovor je uspješno prihvaćen", ""}));

    o.status.stanja.clear();
    server.PostaviKvar("g.7z", Kvar::Status404);
    EXPECT_FALSE(Preuzmi("g.7z"));
    EXPECT_TRUE(o.status.stanja.contains("Nastala greška"));
    EXPECT_FALSE(o.status.stanja.contains("Odgovor primljen/Prijenos u toku"));
}

TEST_F(Preuzimanje, StatesWithoutTextShowTheLastTextAgain) {
    preuzimanje.Inet1_StateChanged(4);
    preuzimanje.Inet1_StateChanged(9);
    preuzimanje.Inet1_StateChanged(13);
    preuzimanje.Inet1_StateChanged(-1);
    preuzimanje.Inet1_StateChanged(0);
    EXPECT_EQ(o.status.stanja,
              (QStringList{"Spojeno", "Spojeno", "Spojeno", "Spojeno", "Nema tekućeg stanja"}));
}

TEST_F(Preuzimanje, HttpsNeverFallsBackToHttpOnRedirect) {
    Transport(true);
    Posluži("h.7z", "x");
    server.PostaviKvar("h.7z", Kvar::PreusmjeriNaHttp);
    EXPECT_FALSE(Preuzmi("h.7z"));
    for (const Zahtjev& z : server.Zahtjevi())
        EXPECT_TRUE(z.https);
    EXPECT_TRUE(DatotekeUpdate().isEmpty());
}

TEST_F(Preuzimanje, TestCaIsTrustedOnlyThroughTheExtraCertificatesKey) {
    Transport(true);
    Posluži("Verzije.txt", "v");
    o.postavke.vrijednosti.remove("Settings/DodatniCertifikati");
    EXPECT_FALSE(Preuzmi("Verzije.txt"));
    EXPECT_TRUE(DatotekeUpdate().isEmpty());

    o.postavke.Snimi("Settings", "DodatniCertifikati", TestServer::TestniCa());
    EXPECT_TRUE(Preuzmi("Verzije.txt"));
}

class NepovjerljivServer : public Preuzimanje {
protected:
    NepovjerljivServer() : Preuzimanje(Certifikat::Samopotpisan) {}
};

TEST_F(NepovjerljivServer, SelfSignedCertificateFailsAndNothingIsRequested) {
    Transport(true);
    Posluži("Verzije.txt", "v");
    EXPECT_FALSE(Preuzmi("Verzije.txt"));
    EXPECT_TRUE(server.Zahtjevi().isEmpty());
    EXPECT_TRUE(DatotekeUpdate().isEmpty());
    EXPECT_EQ(o.LogPoruke().value(1), "Greška: Download: Verzije.txt " + o.stanje.ZadnjaPoruka);
}

TEST(ServeriPreuzimanja, DefaultHostsAndOverridesMakeTheBaseAddresses) {
    MemorijskePostavke p;
    EXPECT_EQ(OsnovniUrl(p, true, true), "https://download.morvela.hr/download/Verzija21/");
    EXPECT_EQ(OsnovniUrl(p, false, false), "http://download.morvela.ba/download/Verzija21/");
    p.Snimi("Settings", "PrimarniServer21", "mirror.tvrtka.hr:8443");
    p.Snimi("Settings", "SekundarniServer21", "");
    EXPECT_EQ(OsnovniUrl(p, true, true), "https://mirror.tvrtka.hr:8443/download/Verzija21/");
    EXPECT_EQ(HostSekundarnogServera(p), "download.morvela.ba");
}

TEST(ServeriPreuzimanja, OnlyThePrimarySourceUsesThePrimaryServer) {
    QTemporaryDir dir;
    TestOkruženje::Zapiši(dir.filePath("Verzije.txt"), "v");
    TestServer primarni(dir.path()), sekundarni(dir.path());
    TestOkruženje o;
    o.postavke.Snimi("Settings", "DodatniCertifikati", TestServer::TestniCa());
    o.postavke.Snimi("Settings", "PrimarniServer21", primarni.HttpsHost());
    o.postavke.Snimi("Settings", "SekundarniServer21", sekundarni.HttpsHost());
    HttpPreuzimanje p(o.k);
    for (int izvor : {InternetPrimarni, MrežnaLokacija, InternetSekundarni}) {
        o.izvor.odabrana = izvor;
        EXPECT_TRUE(p.DownloadDatoteke("Verzije.txt", o.updateDir()));
    }
    EXPECT_EQ(primarni.Zahtjevi().size(), 1);
    EXPECT_EQ(sekundarni.Zahtjevi().size(), 2);
}

} // namespace
