// The Windows side of the platform seams, run under Wine: replacing files,
// the lock, the window finder, the registry, the proxy settings, processes
// and the real 7za.exe, in paths with blanks and Croatian letters; and the
// program itself on the command line and over a loopback transfer.

#include "Okruzenje.h"
#include "Posluzitelj.h"
#include "install/Registracija.h"
#include "install/ZamijeniDatotekuPoVrsti.h"
#include "install/modAppJeStartana.h"
#include "platform/Brava.h"
#include "platform/Korijeni.h"
#include "platform/Postavke.h"
#include "platform/Procesi.h"
#include "platform/Proxy.h"
#include "platform/Prozori.h"
#include "transfer/Unzipaj.h"
#include "versions/PravilaVerzija.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTemporaryDir>

#include <windows.h>

#include <memory>
#include <thread>

using namespace morvela;
using namespace morvela::test;

namespace {

const QString HrvatskaSlova = QStringLiteral("čćžšđ ČĆŽŠĐ");

// A Windows path for a file of the build (the build hands over Unix paths; Wine puts / at Z:).
QString IzGradnje(const char* put) {
    const QString p = QString::fromUtf8(put);
    return QDir::toNativeSeparators(p.startsWith(QLatin1Char('/')) ? QStringLiteral("Z:") + p : p);
}

struct Windows : ::testing::Test {
    // The other process of a test, started with one request; ended with the test.
    std::unique_ptr<QProcess> Pomoćnik(const QString& što, const QString& argument) {
        auto proces = std::make_unique<QProcess>();
        proces->start(QCoreApplication::applicationDirPath() + QStringLiteral("/pomocnik.exe"),
                      {što, argument});
        EXPECT_TRUE(proces->waitForReadyRead(30000)) << što.toStdString();
        EXPECT_EQ(proces->readAll().trimmed(), "spreman");
        return proces;
    }
    static void Završi(QProcess& proces) {
        proces.kill();
        proces.waitForFinished(10000);
    }
    static QString Registar(HKEY korijen, const wchar_t* ključ, const wchar_t* vrijednost) {
        wchar_t tekst[512] = {};
        DWORD veličina = sizeof tekst;
        if (RegGetValueW(korijen, ključ, vrijednost, RRF_RT_REG_SZ, nullptr, tekst, &veličina) !=
            ERROR_SUCCESS)
            return QStringLiteral("<none>");
        return QString::fromWCharArray(tekst);
    }

    TestOkruženje o;
    // A program directory with blanks and every Croatian letter.
    const QString hr = o.vanjski(QStringLiteral("Mor vela ") + HrvatskaSlova) + Separator();
};

TEST_F(Windows, ReplaceGoesThroughAReadOnlyTargetButNeverThroughAnOpenOne) {
    const QString cilj = hr + QStringLiteral("Plaće 21.exe"), privremena = cilj + NastavakPrivremene;
    TestOkruženje::Zapiši(cilj, "stara");
    ASSERT_TRUE(QFile::setPermissions(cilj, QFile::ReadOwner));
    TestOkruženje::Zapiši(privremena, "nova");
    EXPECT_FALSE(ZamijeniTrajno(privremena, cilj));
    EXPECT_EQ(TestOkruženje::Pročitaj(cilj), "nova");
    EXPECT_FALSE(QFile::exists(privremena));

    // A running program holds its file open: the replace fails, the old file stays whole.
    auto drži = Pomoćnik(QStringLiteral("drzi"), cilj);
    TestOkruženje::Zapiši(privremena, "novija");
    EXPECT_EQ(ZamijeniTrajno(privremena, cilj).broj, GreškaDozvola);
    EXPECT_EQ(TestOkruženje::Pročitaj(cilj), "nova");
    EXPECT_FALSE(QFile::exists(privremena));
    Završi(*drži);

    // One that holds it for a moment only, as a virus scanner does, is waited for.
    drži = Pomoćnik(QStringLiteral("drzi"), cilj);
    std::thread pusti([pid = DWORD(drži->processId())] {
        Sleep(300);
        const HANDLE proces = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
        TerminateProcess(proces, 0);
        CloseHandle(proces);
    });
    TestOkruženje::Zapiši(privremena, "najnovija");
    EXPECT_FALSE(ZamijeniTrajno(privremena, cilj));
    pusti.join();
    EXPECT_EQ(TestOkruženje::Pročitaj(cilj), "najnovija");
    Završi(*drži);

    StvarneDatoteke datoteke;
    EXPECT_FALSE(datoteke.Kopiraj(cilj, hr + QStringLiteral("Kopija ") + HrvatskaSlova + ".exe"));
    EXPECT_EQ(TestOkruženje::Pročitaj(hr + QStringLiteral("Kopija ") + HrvatskaSlova + ".exe"), "najnovija");
}

TEST_F(Windows, TheLockOfAnotherProcessHoldsUntilItsProcessIsGone) {
    QDir().mkpath(hr);
    Brava moja(hr);
    auto druga = Pomoćnik(QStringLiteral("brava"), hr);
    EXPECT_FALSE(moja.Zaključaj());
    Završi(*druga);
    // Left behind by a process that no longer runs: taken over.
    EXPECT_TRUE(moja.Zaključaj());
}

TEST_F(Windows, SuiteWindowsAreFoundByTitleWhileTheyAreOpen) {
    // A title with letters no Western code page has.
    const ProgramPaketa* program = nullptr;
    for (const ProgramPaketa& p : ProgramiPaketa())
        if (p.naslov == QStringLiteral("Morvela Proračun 21")) program = &p;
    ASSERT_NE(program, nullptr);
    SustavniProzori prozori;
    EXPECT_EQ(PokrenutiProgrami(prozori), QString());

    auto prozor = Pomoćnik(QStringLiteral("prozor"), program->naslov);
    EXPECT_EQ(PokrenutiProgrami(prozori), program->prikaz + CRLF);
    EXPECT_TRUE(prozori.NađiProzor(QStringLiteral("MorvelaTestProzor"), QString(), false));
    Završi(*prozor);
    EXPECT_EQ(PokrenutiProgrami(prozori), QString());
}

TEST_F(Windows, SettingsLiveInTheUsersRegistryAsText) {
    const wchar_t* const ključ = L"Software\\Morvela\\Morvela\\Settings";
    QtPostavke postavke;
    postavke.Snimi(QStringLiteral("Settings"), QStringLiteral("TestLokacija"), hr);
    EXPECT_EQ(Registar(HKEY_CURRENT_USER, ključ, L"TestLokacija"), hr);

    // The reporting component's own place, as an integer.
    ASSERT_TRUE(ZapišiCijeliBrojDrugogPrograma(QStringLiteral("Seagate Software"),
                                               QStringLiteral("Crystal Reports Designer Component"),
                                               QStringLiteral("Export"), QStringLiteral("TestBroj"), 7));
    DWORD broj = 0, veličina = sizeof broj;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER,
                           L"Software\\Seagate Software\\Crystal Reports Designer Component\\Export",
                           L"TestBroj", RRF_RT_REG_DWORD, nullptr, &broj, &veličina),
              ERROR_SUCCESS);
    EXPECT_EQ(broj, 7u);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, ključ, L"TestLokacija");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Seagate Software");
}

TEST_F(Windows, TheProxyComesFromTheUsersInternetSettings) {
    // The binary form Internet settings keep: a header with "a proxy is set", the
    // proxy list, the exceptions and the (empty) configuration script, each with its length in front.
    const auto Postavi = [](const QByteArray& proxy, const QByteArray& izuzeci) {
        QByteArray blok;
        for (quint32 broj : {0x46u, 0u, 0x2u})
            blok.append(reinterpret_cast<const char*>(&broj), 4);
        for (const QByteArray& dio : {proxy, izuzeci, QByteArray()}) {
            const quint32 dužina = quint32(dio.size());
            blok.append(reinterpret_cast<const char*>(&dužina), 4).append(dio);
        }
        return RegSetKeyValueW(
            HKEY_CURRENT_USER,
            L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections",
            L"DefaultConnectionSettings", REG_BINARY, blok.constData(), DWORD(blok.size()));
    };
    const QString url = QStringLiteral("http://download.morvela.hr/download/Verzija21/Verzije.txt");
    ASSERT_EQ(Postavi("proxy.tvrtka.hr:3128", "<local>;*.tvrtka.hr"), ERROR_SUCCESS);
    EXPECT_EQ(SistemskiProxy(url), QStringLiteral("http://proxy.tvrtka.hr:3128"));
    EXPECT_EQ(SistemskiProxy(QStringLiteral("http://intranet/x")), QString());
    EXPECT_EQ(SistemskiProxy(QStringLiteral("https://zrcalo.tvrtka.hr/x")), QString());
    ASSERT_EQ(Postavi("http=web.tvrtka.hr:80;https=tls.tvrtka.hr:443", ""), ERROR_SUCCESS);
    EXPECT_EQ(SistemskiProxy(QStringLiteral("https://download.morvela.hr/x")),
              QStringLiteral("http://tls.tvrtka.hr:443"));
    RegDeleteKeyValueW(HKEY_CURRENT_USER,
                       L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections",
                       L"DefaultConnectionSettings");
    EXPECT_EQ(SistemskiProxy(url), QString());
}

TEST_F(Windows, RegSvr32GetsTheComponentAsOneArgument) {
    // The stand-in beside this program comes before the system's own.
    const QString zapis = o.vanjski(QStringLiteral("regsvr32.txt"));
    qputenv("MORVELA_REGSVR32_ZAPIS", zapis.toUtf8());
    QtProcesi procesi;
    const QString komponenta = QStringLiteral("Izvoz ") + HrvatskaSlova + QStringLiteral(".dll");
    ASSERT_TRUE(DeregistrirajKomponentu(procesi, *o.log, hr, komponenta));
    ASSERT_TRUE(RegistrirajKomponentu(procesi, *o.log, hr, komponenta));
    const QString put = hr + komponenta;
    EXPECT_EQ(QString::fromUtf8(TestOkruženje::Pročitaj(zapis)), put + "\n/u\n/s\n\n" + put + "\n/s\n\n");
}

TEST_F(Windows, TheRealSevenZipUnpacksIntoAPathWithCroatianLetters) {
    o.stanje.ProgramskaDirektorija = hr;
    o.stanje.UpdateDirektorija = hr + QStringLiteral("Update") + Separator();
    const QString upd = o.stanje.UpdateDirektorija;
    ASSERT_TRUE(QDir().mkpath(upd));
    ASSERT_TRUE(QFile::copy(IzGradnje(MORVELA_7ZA), hr + QStringLiteral("7za.exe")));
    QtProcesi procesi;
    const QString ime = QStringLiteral("Račun ") + HrvatskaSlova + QStringLiteral(".exe");
    QTemporaryDir izvor;
    TestOkruženje::Zapiši(izvor.filePath(ime), "program");
    ASSERT_EQ(QProcess::execute(hr + QStringLiteral("7za.exe"),
                                {"a", "-bso0", "-mx1", upd + ImeArhive(ime), izvor.filePath(ime)}),
              0);
    o.stanje.NoveVerzije.postavi(0, Ime, ime);
    o.stanje.NoveVerzije.postavi(0, StvarnaVeličina, QStringLiteral("7"));

    ASSERT_TRUE(Unzipaj({o.stanje, o.datoteke, procesi, *o.log, o.status, o.sat}, ime));
    EXPECT_EQ(TestOkruženje::Pročitaj(upd + ime), "program");
}

// The person keeps the program open while the installation wants its file; giving up there is the
// same on every system.
TEST_F(Windows, AProgramHeldOpenBringsTheQuestionAndASecondTryWorksOnceItIsClosed) {
    QtProcesi procesi;
    TestOkruženje::Zapiši(o.dir() + "A.exe", "stara");
    TestOkruženje::Zapiši(o.updateDir() + "A.exe", "nova");
    QDir().mkpath(o.stanje.BackupDirektorija);
    auto drži = Pomoćnik(QStringLiteral("drzi"), o.dir() + "A.exe");
    o.poruke.odgovori[VrstaPitanja::PonovniPokušajDatoteke] = {Odgovor::Da};
    o.poruke.zatim = [&drži] { Završi(*drži); };
    EXPECT_TRUE(
        ZamijeniDatotekuPoVrsti({o.stanje, o.datoteke, *o.log, o.poruke, o.status, procesi}, "A.exe"));
    ASSERT_EQ(o.poruke.upiti.size(), 1);
    EXPECT_EQ(o.poruke.upiti[0].ikona, Ikona::Pitanje);
    EXPECT_TRUE(o.poruke.upiti[0].tekst.startsWith("Nastala je greška u premještanju programa: A.exe"));
    EXPECT_EQ(TestOkruženje::Pročitaj(o.dir() + "A.exe"), "nova");
    EXPECT_EQ(TestOkruženje::Pročitaj(o.stanje.BackupDirektorija + "A.exe"), "stara");
}

// Extra trusted certificates replace the system's in libcurl's own check on Windows, so the transfer
// hands it the system's roots with them: every one Qt finds there too.
TEST_F(Windows, TheSystemsRootsGoWithTheExtraCertificates) {
    const QList<QSslCertificate> korijeni = QSslCertificate::fromData(KorijeniSustava());
    const QList<QSslCertificate> qt = QSslConfiguration::systemCaCertificates();
    ASSERT_FALSE(qt.isEmpty());
    for (const QSslCertificate& c : qt)
        EXPECT_TRUE(korijeni.contains(c)) << c.subjectDisplayName().toStdString();
}

// A failed file operation is told in the system's own words and language, also where the C library
// reported it: its words are English on every Windows.
TEST_F(Windows, FileErrorsAreToldInTheSystemsOwnWords) {
    const auto riječiSustava = [](DWORD kod) {
        wchar_t tekst[512] = {};
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, kod, 0, tekst,
                       512, nullptr);
        return QString::fromWCharArray(tekst).trimmed();
    };
    EXPECT_EQ(o.datoteke.Kopiraj(hr + "nema.exe", hr + "A.exe").opis, riječiSustava(ERROR_FILE_NOT_FOUND));
    TestOkruženje::Zapiši(hr + "A.exe", "a");
    TestOkruženje::Zapiši(hr + "B.exe", "b");
    EXPECT_EQ(o.datoteke.Premjesti(hr + "A.exe", hr + "B.exe").opis, riječiSustava(ERROR_FILE_EXISTS));
}

// The program as a person runs it from cmd or a scheduled task with its output redirected.
struct NaredbenaLinija : Windows {
    QProcess program;
    int Pokreni(const QStringList& argumenti) {
        program.start(IzGradnje(MORVELA_PROGRAM), argumenti);
        EXPECT_TRUE(program.waitForFinished(60000));
        return program.exitCode();
    }
};

TEST_F(NaredbenaLinija, CroatianLettersReachAPipeAsUtf8) {
    EXPECT_EQ(Pokreni({QStringLiteral("--help")}), 0);
    EXPECT_TRUE(QString::fromUtf8(program.readAllStandardOutput())
                    .contains(QStringLiteral("Automatsko ažuriranje Mor-vela programa")));
    EXPECT_EQ(Pokreni({QStringLiteral("--provjeri"), QStringLiteral("--izvor"), HrvatskaSlova}), 2);
    EXPECT_TRUE(QString::fromUtf8(program.readAllStandardError())
                    .contains(QStringLiteral("Greška: Nepoznat izvor: ") + HrvatskaSlova));
}

TEST_F(NaredbenaLinija, AnUpdateFetchesUnpacksAndInstallsFromTheLoopbackServer) {
    // The program works in its own directory: a copy of it in a suite with blanks and Croatian letters.
    ASSERT_TRUE(QDir().mkpath(hr + QStringLiteral("Update")));
    ASSERT_TRUE(QFile::copy(IzGradnje(MORVELA_PROGRAM), hr + QStringLiteral("MorvelaLiveUpdate21.exe")));
    ASSERT_TRUE(QFile::copy(IzGradnje(MORVELA_7ZA), hr + QStringLiteral("7za.exe")));
    TestOkruženje::Zapiši(hr + QStringLiteral("Pdv21.exe"), "stara");
    // Plain ASCII lists: the same bytes in Windows-1250 and in any other code page.
    TestOkruženje::Zapiši(hr + QStringLiteral("Verzije.txt"), "Pdv21.exe;21;1;0;1;5;\r\n");

    QTemporaryDir posluženo;
    const QString set = posluženo.path() + QLatin1Char('/');
    TestOkruženje::Zapiši(set + "Pdv21.exe", "nova verzija");
    ASSERT_EQ(QProcess::execute(hr + QStringLiteral("7za.exe"),
                                {"a", "-bso0", set + "Pdv21.7z", set + "Pdv21.exe"}),
              0);
    QFile::remove(set + "Pdv21.exe");
    const QByteArray zapis =
        "Pdv21.exe;21;2;0;" + QByteArray::number(QFileInfo(set + "Pdv21.7z").size()) + ";12;\r\n";
    TestOkruženje::Zapiši(set + "Verzije.txt", zapis);
    TestOkruženje::Zapiši(set + "VerzijeU.txt", zapis);
    TestOkruženje::Zapiši(set + "TeamViewerQS.exe", "MZ tv");
    test::Poslužitelj server(posluženo.path());
    QtPostavke postavke;
    postavke.Snimi(QStringLiteral("Settings"), QStringLiteral("PrimarniServer21"), server.Host());
    postavke.Snimi(QStringLiteral("Settings"), QStringLiteral("KoristiChilkatZaDownload"),
                   QStringLiteral("false"));

    program.start(hr + QStringLiteral("MorvelaLiveUpdate21.exe"), {QStringLiteral("--azuriraj")});
    ASSERT_TRUE(program.waitForFinished(120000));
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_EQ(TestOkruženje::Pročitaj(hr + QStringLiteral("Pdv21.exe")), "nova verzija");
    EXPECT_EQ(TestOkruženje::Pročitaj(hr + QStringLiteral("Verzije.txt")), zapis);
}

} // namespace
