// The command line as cron or a technician runs it: the real program copied into a
// temporary suite, started as a child process without a display, against the
// loopback download server, with the real 7-Zip and a recording RegSvr32.exe.

#include "Lazni.h"
#include "Okruzenje.h"
#include "PrivatniZaslon.h"
#include "TestServer.h"
#include "app/frmLiveUpdate.h"
#include "versions/PravilaVerzija.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QThread>

using namespace morvela;
using namespace morvela::test;

namespace {

const QString Zaključano =
    QStringLiteral("Druga instanca programa upravo radi na ovoj instalaciji; pokušajte kasnije.");

struct Ishod {
    int kod;
    QString izlaz, greške;
};

class NaredbenaLinija : public ::testing::Test {
protected:
    NaredbenaLinija() {
        for (const auto& [ime, sadržaj] : Novi)
            Objavi(ime, sadržaj);
        TestOkruženje::ZapišiListu(server + "Verzije.txt", lista);
        TestOkruženje::Zapiši(server + "VerzijeU.txt", "u");
        TestOkruženje::Zapiši(server + "TeamViewerQS.exe", "tv");
        // It succeeds without a word; what it is called with: the installation's tests.
        TestOkruženje::Zapiši(bin + "RegSvr32.exe", "#!/bin/sh\n");
        QFile::setPermissions(bin + "RegSvr32.exe", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // The stored source is the primary server, which is down; the secondary one is ours.
        QSettings s(korijen.filePath("config/Morvela/Morvela.conf"), QSettings::IniFormat);
        s.setValue("Settings/PrimarniServer21", "127.0.0.1:9");
        s.setValue("Settings/SekundarniServer21", posluzitelj.HttpsHost());
        s.setValue("Settings/DodatniCertifikati", TestServer::TestniCa());
        s.setValue("Settings/UpdateLokDirMr21", korijen.filePath("nije-ovdje"));
    }

    // A new file of the update set: its archive packed by 7-Zip and its record in the list.
    void Objavi(const QString& ime, const QByteArray& sadržaj) {
        TestOkruženje::Zapiši(server + ime, sadržaj);
        const QString arhiva = server + ImeArhive(ime);
        ASSERT_EQ(QProcess::execute("/usr/bin/7za", {"a", "-bso0", arhiva, server + ime}), 0);
        lista << QString("%1;21;2;0;%2;%3;").arg(ime).arg(QFileInfo(arhiva).size()).arg(sadržaj.size());
    }

    // An installed suite with the real program in it, one version behind.
    QString Paket(const QString& ime) {
        const QString dir = korijen.filePath(ime) + '/';
        QDir().mkpath(dir + "Update");
        EXPECT_TRUE(QFile::copy(MORVELA_PROGRAM, dir + "MorvelaLiveUpdate21"));
        EXPECT_TRUE(QFile::link("/usr/bin/7za", dir + "7za"));
        QStringList stara;
        for (const auto& [datoteka, sadržaj] : Novi) {
            TestOkruženje::Zapiši(dir + datoteka, "stara");
            stara << datoteka + ";21;1;0;1;5;";
        }
        TestOkruženje::ZapišiListu(dir + "Verzije.txt", stara);
        return dir;
    }

    // zaslon: the X display on which the running-program guard looks for the suite's windows;
    // uDjetetu: run in the child before the program starts.
    QProcess* Započni(const QString& paket, const QStringList& argumenti, const QString& zaslon = {},
                      const std::function<void()>& uDjetetu = {}) {
        auto* p = new QProcess;
        if (uDjetetu) p->setChildProcessModifier(uDjetetu);
        procesi.emplace_back(p);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // No display of any kind: the command line must not need one.
        for (const char* ime : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(ime);
        if (!zaslon.isEmpty()) env.insert("DISPLAY", zaslon);
        env.insert("XDG_CONFIG_HOME", korijen.filePath("config"));
        env.insert("PATH", bin + ':' + env.value("PATH"));
        env.insert("LC_ALL", "C.UTF-8");
        p->setProcessEnvironment(env);
        p->start(paket + "MorvelaLiveUpdate21", argumenti);
        EXPECT_TRUE(p->waitForStarted());
        return p;
    }
    Ishod Pokreni(const QString& paket, const QStringList& argumenti, const QString& zaslon = {}) {
        QProcess* p = Započni(paket, argumenti, zaslon);
        EXPECT_TRUE(p->waitForFinished(180000));
        return {p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1,
                QString::fromUtf8(p->readAllStandardOutput()), QString::fromUtf8(p->readAllStandardError())};
    }
    int Zahtjeva(const QString& ime) const {
        int n = 0;
        for (const Zahtjev& z : posluzitelj.Zahtjevi())
            n += z.putanja.endsWith('/' + ime);
        return n;
    }
    // Starts a run and waits, briefly polling, until it has asked the server for a file.
    QProcess* ZapočniDo(const QString& ime, const QString& paket, const QStringList& argumenti) {
        const int prije = Zahtjeva(ime);
        QProcess* p = Započni(paket, argumenti);
        for (int i = 0; i < 6000 && Zahtjeva(ime) == prije; ++i)
            QThread::msleep(10);
        EXPECT_GT(Zahtjeva(ime), prije) << "never asked for " << ime.toStdString();
        return p;
    }

    const QList<std::pair<QString, QByteArray>> Novi{{"Pdv21.exe", "nova verzija"},
                                                     {"Izvoz21.dll", "nova komponenta"}};
    QTemporaryDir korijen;
    const QString server = korijen.filePath("server/"), bin = korijen.filePath("bin/");
    QStringList lista;
    TestServer posluzitelj{server};
    std::vector<std::unique_ptr<QProcess>> procesi;
};

TEST_F(NaredbenaLinija, CheckThenUpdateWithTheSourceOverriddenForTheRunOnly) {
    const QString dir = Paket("Suite");
    const QByteArray postavke = TestOkruženje::Pročitaj(korijen.filePath("config/Morvela/Morvela.conf"));

    // An installation was cut short after moving one program aside and half copying its new version:
    // any run puts it right before its own work, even one that then fails (how: the installation's tests).
    QDir().mkpath(dir + "UpdateBackup");
    ASSERT_TRUE(QFile::rename(dir + "Pdv21.exe", dir + "UpdateBackup/Pdv21.exe"));
    TestOkruženje::Zapiši(dir + "Pdv21.exe", "napo");
    TestOkruženje::Zapiši(dir + "Update/Dnevnik/Instalacija.dnevnik",
                          "DNEVNIK;1\r\nPLAN;Pdv21.exe\r\nBACKUP;Pdv21.exe\r\nSPREMLJENA;Pdv21.exe\r\n");
    Ishod i = Pokreni(dir, {"--provjeri"});
    EXPECT_EQ(i.kod, 1) << qPrintable(i.izlaz + i.greške);
    EXPECT_TRUE(
        i.greške.startsWith("Upozorenje: Prethodna instalacija novih verzija je prekinuta prije kraja."))
        << qPrintable(i.greške);
    // The failure the run ends with is called one; the repair before it stays a warning.
    EXPECT_TRUE(i.greške.contains("\nGreška: Nije moguće učitati kontrolnu datoteku sa interneta!"))
        << qPrintable(i.greške);

    i = Pokreni(dir, {"--provjeri", "--izvor", "sekundarni"});
    EXPECT_EQ(i.kod, 10) << qPrintable(i.izlaz + i.greške);
    // The plan, then its totals; every log line on the way was printed too.
    const QString veličina = lista[0].section(';', 4, 4), v2 = lista[1].section(';', 4, 4);
    EXPECT_TRUE(i.izlaz.contains(QRegularExpression("\nPdv21\\.exe +21\\.2\\.0 +" + veličina + " +12\n")))
        << qPrintable(i.izlaz);
    EXPECT_TRUE(i.izlaz.contains(
        QRegularExpression("\nUKUPNO: +" + QString::number(veličina.toInt() + v2.toInt()) + " +27\n")));
    EXPECT_TRUE(i.izlaz.contains(" NapraviRsŠtoTrebaAžurirati - Treba instalirati: Izvoz21.dll\n"));
    EXPECT_EQ(i.greške, "");

    // For monitoring: the plan alone on standard output, the log beside it on standard error.
    const Ishod json = Pokreni(dir, {"--provjeri", "--json", "--izvor", "sekundarni"});
    EXPECT_EQ(json.kod, 10);
    EXPECT_TRUE(json.greške.contains(" NapraviRsŠtoTrebaAžurirati - Treba instalirati: Izvoz21.dll\n"));
    QJsonParseError greška;
    const QJsonObject plan = QJsonDocument::fromJson(json.izlaz.toUtf8(), &greška).object();
    ASSERT_EQ(greška.error, QJsonParseError::NoError) << qPrintable(json.izlaz);
    EXPECT_EQ(plan["programi"][1].toObject(), (QJsonObject{{"ime", "Izvoz21.dll"},
                                                           {"instaliranaVerzija", "21.1.0"},
                                                           {"novaVerzija", "21.2.0"},
                                                           {"velicinaDownload", v2.toInt()},
                                                           {"stvarnaVelicina", 15}}));
    EXPECT_EQ(plan["ukupno"].toObject(), (QJsonObject{{"programa", 2},
                                                      {"velicinaDownload", veličina.toInt() + v2.toInt()},
                                                      {"stvarnaVelicina", 27}}));

    // The new list cannot take its place: the files are new, the run says so and fails (the files
    // and the lists themselves: the installation's tests).
    QDir().mkpath(dir + "Verzije.txt" + NastavakPrivremene + "/x");
    i = Pokreni(dir, {"--azuriraj", "--izvor", "sekundarni"});
    EXPECT_EQ(i.kod, 1) << qPrintable(i.izlaz + i.greške);
    EXPECT_TRUE(
        i.greške.endsWith("Upozorenje: Uspješno instalirani novi programi!\nGreška: Verzije.txt u "
                          "programskoj direktoriji nije zamijenjen novim: nove datoteke su instalirane, a "
                          "popis instaliranih verzija je ostao stari.\n"))
        << qPrintable(i.greške);

    // Once it can, the next run installs them again with their list.
    QDir(dir + "Verzije.txt" + NastavakPrivremene).removeRecursively();
    i = Pokreni(dir, {"--azuriraj", "--izvor", "sekundarni"});
    EXPECT_EQ(i.kod, 0) << qPrintable(i.izlaz + i.greške);
    // Without a terminal, a line for each fetched file of the plan, and the messages.
    const QRegularExpression preuzeto(
        "^(\\w+)\\.7z(?: · [0-9.]+ MB)?(?: · [0-9.]+ [kM]B/s)? · datoteka (\\d) od 2\n",
        QRegularExpression::MultilineOption);
    QStringList preuzete;
    for (const QRegularExpressionMatch& m : preuzeto.globalMatch(i.greške))
        preuzete << m.captured(2) + m.captured(1);
    EXPECT_EQ(preuzete, QStringList({"1Pdv21", "2Izvoz21"})) << qPrintable(i.greške);
    EXPECT_EQ(QString(i.greške).remove(preuzeto),
              "Pitanje: Svi novi programi su spremni za ažuriranje.\n"
              "Da bi instalirali nove programe morate zatvoriti sve otvorene Morvela programe!\n"
              "Želite li izvršiti ažuriranje/instaliranje novih programa? (odgovor: Da)\n"
              "Upozorenje: Uspješno instalirani novi programi!\n");
    // Nothing was saved: the window still starts with its own choice.
    EXPECT_EQ(TestOkruženje::Pročitaj(korijen.filePath("config/Morvela/Morvela.conf")), postavke);
}

// A technician over SSH in a narrow terminal, with the output piped away: the progress is on
// the terminal, one line redrawn in place that never wraps, and the pipe gets none of it.
TEST_F(NaredbenaLinija, ProgressStaysOnOneLineOfANarrowTerminal) {
    const QString dugo = "KnjigovodstvoIPlaceIKadrovska21.exe";
    QByteArray sadržaj(3000000, '\0');
    QRandomGenerator(24).fillRange(reinterpret_cast<quint32*>(sadržaj.data()), sadržaj.size() / 4);
    Objavi(dugo, sadržaj);
    TestOkruženje::ZapišiListu(server + "Verzije.txt", lista);
    posluzitelj.PostaviKvar(ImeArhive(dugo), Kvar::Polagano);
    const QString dir = Paket("Suite");

    int glavni = -1, terminal = -1;
    winsize veličina{24, 60, 0, 0}; // rows, columns
    ASSERT_EQ(::openpty(&glavni, &terminal, nullptr, nullptr, &veličina), 0);
    QProcess* p = Započni(dir, {"--azuriraj", "--izvor", "sekundarni"}, {},
                          [terminal] { ::dup2(terminal, STDERR_FILENO); });
    ::close(terminal);
    ::fcntl(glavni, F_SETFL, O_NONBLOCK);
    QByteArray zaslon;
    const auto Čitaj = [&] {
        char blok[4096];
        for (ssize_t n; (n = ::read(glavni, blok, sizeof blok)) > 0;)
            zaslon.append(blok, n);
    };
    QElapsedTimer vrijeme;
    vrijeme.start();
    while (!p->waitForFinished(20) && vrijeme.elapsed() < 180000)
        Čitaj();
    Čitaj();
    ::close(glavni);
    EXPECT_EQ(p->exitCode(), 0) << zaslon.constData();
    const QByteArray izlaz = p->readAllStandardOutput();
    EXPECT_TRUE(izlaz.contains("--azuriraj --izvor sekundarni - kraj, izlazni kod 0")) << izlaz.constData();
    EXPECT_FALSE(izlaz.contains('\r') || izlaz.contains('\x1b'));

    // Each drawing of the progress line starts by going back and clearing it.
    QStringList redovi;
    const QRegularExpression crtanje("\r\x1b\\[K([^\r\n]+)");
    for (const QRegularExpressionMatch& m : crtanje.globalMatch(QString::fromUtf8(zaslon)))
        redovi << m.captured(1);
    for (const QString& red : redovi)
        EXPECT_LT(red.size(), 60) << qPrintable(red);
    // The long name gives way to the numbers: bytes of the file, time left, which file of the plan.
    const QRegularExpression napredak("^KnjigovodstvoI?\\S*… · [0-9.]+ od 2\\.9 MB( · [0-9.]+ [kM]B/s)? · "
                                      "još \\d+:\\d\\d · datoteka [123] od 3$");
    EXPECT_FALSE(redovi.filter(napredak).isEmpty()) << zaslon.constData();
    // A message clears it and is printed whole.
    EXPECT_TRUE(zaslon.contains("\r\x1b[KUpozorenje: Uspješno instalirani novi programi!\r\n"))
        << zaslon.constData();
}

TEST_F(NaredbenaLinija, DistributionFillsALocationOneRunAtATime) {
    const QString dir = Paket("Suite"), L = korijen.filePath("Lokacija") + '/';
    // The location already has its list but none of the archives.
    TestOkruženje::Zapiši(L + "Verzije.txt", TestOkruženje::Pročitaj(server + "Verzije.txt"));
    // The stored location is gone.
    Ishod i = Pokreni(dir, {"--na-lokaciju", "--izvor", "sekundarni"});
    EXPECT_EQ(i.kod, 1);
    EXPECT_EQ(i.greške,
              "Greška: Preuzimanje na lokaciju " + korijen.filePath("nije-ovdje/") + " nije završeno.\n");

    // An empty directory may be a share that is not mounted: it is filled only when asked by name.
    const QString prazna = korijen.filePath("Prazna") + '/';
    QDir().mkpath(prazna);
    const QStringList prvo = {"--na-lokaciju", "--lokacija", prazna, "--izvor", "sekundarni"};
    i = Pokreni(dir, prvo);
    EXPECT_EQ(i.kod, 1);
    EXPECT_TRUE(i.greške.startsWith("Greška: Lokacija " + prazna + " nema Verzije.txt."))
        << qPrintable(i.greške);
    EXPECT_TRUE(i.greške.contains("--prvo-punjenje")) << qPrintable(i.greške);
    EXPECT_TRUE(QDir(prazna).isEmpty());
    i = Pokreni(dir, prvo + QStringList{"--prvo-punjenje"});
    EXPECT_EQ(i.kod, 0) << qPrintable(i.izlaz + i.greške);

    const QStringList na = {"--na-lokaciju", "--lokacija", L, "--izvor", "sekundarni"};
    i = Pokreni(dir, na);
    ASSERT_EQ(i.kod, 0) << qPrintable(i.izlaz + i.greške);

    // A run that hangs on the server holds both locks: this suite's and the location's.
    posluzitelj.PostaviKvar("VerzijeU.txt", Kvar::Zastoj);
    QProcess* prvi = ZapočniDo("VerzijeU.txt", dir, na);
    i = Pokreni(dir, na);
    EXPECT_EQ(i.kod, 3);
    EXPECT_EQ(i.greške, "Upozorenje: " + Zaključano + "\n");
    // It keeps every operation of the window from starting: the environment's processes and window
    // finder fail the test if anything starts a program or looks for a window.
    TestOkruženje o(dir);
    frmLiveUpdate prozor({.osoba = &o.poruke,
                          .svijet = o.k,
                          .preuzimanje = Stvarni{},
                          .odaberiDatoteku = Stvarni{},
                          .izlaz = Stvarni{}});
    const int redova = o.LogPoruke().size();
    // The start-up's recovery and check are one operation: one box, one line.
    prozor.PokreniProzor();
    EXPECT_EQ(o.poruke.tekstovi(), QStringList{Zaključano});
    EXPECT_EQ(o.LogPoruke().mid(redova),
              QStringList{"Pokretanje programa - provjera preskočena: " + Zaključano});
    prozor.cmdVerzija->click();
    EXPECT_EQ(o.poruke.tekstovi(), QStringList(2, Zaključano));
    // A scheduled run leaves one line instead.
    prozor.numVrijemeDownloada->setValue(1);
    o.sat.sada = QDateTime(QDate(2026, 3, 14), QTime(14, 0, 10));
    prozor.tmrUpdate_Timer();
    EXPECT_EQ(o.LogPoruke().mid(redova + 1),
              QStringList{"tmrUpdate - automatsko preuzimanje preskočeno: " + Zaključano});
    EXPECT_EQ(o.poruke.upiti.size(), 2);
    EXPECT_EQ(o.završetaka, 0);
    // Another workstation filling the same location is turned away by the location's lock.
    i = Pokreni(Paket("Druga"), na);
    EXPECT_EQ(i.kod, 3) << qPrintable(i.izlaz + i.greške);
    EXPECT_TRUE(i.izlaz.contains("Download na lokaciju- Druga instanca programa upravo puni lokaciju " + L +
                                 "; pokušajte kasnije.\n"));

    // Killed, the hanging run leaves its locks behind; the next run takes them over.
    prvi->kill();
    prvi->waitForFinished();
    // The location as the run before filled it (what a filling run copies: the distribution's tests).
    for (const QString ime : {"Verzije.txt", "Pdv21.7z", "Izvoz21.7z"})
        EXPECT_EQ(TestOkruženje::Pročitaj(L + ime), TestOkruženje::Pročitaj(server + ime)) << qPrintable(ime);
    const QStringList brave = {dir + "MorvelaLiveUpdate21.lock", L + "Update/MorvelaLiveUpdate21.lock"};
    for (const QString& brava : brave)
        ASSERT_TRUE(QFile::exists(brava)) << qPrintable(brava);
    posluzitelj.PostaviKvar("VerzijeU.txt", Kvar::Nema);
    i = Pokreni(dir, na);
    EXPECT_EQ(i.kod, 0) << qPrintable(i.izlaz + i.greške);
    for (const QString& brava : brave)
        EXPECT_FALSE(QFile::exists(brava)) << qPrintable(brava);
}

TEST_F(NaredbenaLinija, UpdateStopsUntouchedWhenSuiteProgramsStayOpen) {
    PrivatniZaslon zaslon;
    if (!zaslon.radi()) GTEST_SKIP() << "Xvfb is not available";
    zaslon.Otvori("Morvela URA 21");

    const QString dir = Paket("Suite");
    const Ishod i = Pokreni(dir, {"--azuriraj", "--izvor", "sekundarni", "--cekaj", "0"}, zaslon.ime());
    // Stopped before anything is replaced (the files themselves: the installation's tests).
    EXPECT_EQ(i.kod, 4) << qPrintable(i.izlaz + i.greške);
    EXPECT_TRUE(i.greške.contains("Pitanje: Postoje pokrenuti programi:\nKnjiga ulaznih računa\n\n"));
    EXPECT_TRUE(i.greške.contains(
        "Želite li zaista prekinuti sa ažuriranjem programa sa novim verzijama? (odgovor: Da)\n"));
    EXPECT_EQ(i.izlaz.count("UpdatePrograma- Postoje startovani programi Knjiga ulaznih računa"), 1);
}

TEST_F(NaredbenaLinija, BadCommandLinesGetTheReasonAndTheHelp) {
    const auto Pokreni = [&](const QStringList& argumenti) {
        return NaredbenaLinija::Pokreni(QFileInfo(MORVELA_PROGRAM).path() + '/', argumenti);
    };
    Ishod i = Pokreni({"--help"});
    EXPECT_EQ(i.kod, 0);
    // A bad command line ends with the same help.
    const QString pomoć = i.izlaz;
    ASSERT_TRUE(pomoć.contains("--azuriraj")) << qPrintable(pomoć);

    // No argument and no display: the window cannot open, and the way to the command line is named.
    i = Pokreni({});
    EXPECT_EQ(i.kod, 2);
    EXPECT_TRUE(i.greške.endsWith(" --help\n") && i.greške.count('\n') == 1) << qPrintable(i.greške);
    EXPECT_EQ(i.izlaz, "");

    const QList<std::pair<QStringList, QString>> pogrešne{
        {{"--nepoznata"}, "Nepoznata opcija 'nepoznata'."},
        {{"--provjeri", "--na-lokaciju"},
         "Zadajte točno jednu od opcija --provjeri, --azuriraj i --na-lokaciju."},
        {{"--izvor", "oblak", "--provjeri"}, "Nepoznat izvor: oblak"},
        {{"--azuriraj", "--cekaj", "pet"}, "--cekaj traži broj minuta od 0 do 1440, a ne: pet"},
        {{"--provjeri", "višak"}, "Neočekivani argument: višak"},
        {{"--azuriraj", "--json"}, "--json vrijedi samo uz --provjeri."},
        {{"--provjeri", "--prvo-punjenje"}, "--prvo-punjenje vrijedi samo uz --na-lokaciju."},
    };
    for (const auto& [argumenti, razlog] : pogrešne) {
        i = Pokreni(argumenti);
        EXPECT_EQ(i.kod, 2) << qPrintable(argumenti.join(' '));
        EXPECT_EQ(i.greške, "Greška: " + razlog + "\n\n" + pomoć) << qPrintable(argumenti.join(' '));
        EXPECT_EQ(i.izlaz, "");
    }
}

} // namespace
