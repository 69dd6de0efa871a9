#include "Okruzenje.h"
#include "install/PokusajVratitiSveNaPocetak.h"
#include "install/UpdateCommand.h"
#include "install/UpdatePrograma.h"
#include "install/ZamijeniDatotekuPoVrsti.h"
#include "platform/Procesi.h"
#include "versions/PravilaVerzija.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>

#include <cerrno>
#include <functional>

using namespace morvela;
using namespace morvela::test;

namespace {

const QString P = "UpdatePrograma - ", V = "PokušajVratitiSveNaPočetak - ",
              Detalj = "\r\nPoruka o grešci je: ";
const QString StaraVerzija = "\r\nProgram ne može razriješiti problem te će pokušati vratiti staru verziju "
                             "programa. Ukoliko ne uspije najvjerojatnije ćete morati reinstalirati program!";
using Stanja = QList<QPair<QString, int>>;

// The person at the screen: answers from the script, then does what the test
// says a person would do after a question (close a program, say).
struct Korisnik : LažnePoruke {
    Odgovor Pokaži(const QString& tekst, Ikona ikona, Gumbi gumbi, const QString& naslov) override {
        const Odgovor odgovor = LažnePoruke::Pokaži(tekst, ikona, gumbi, naslov);
        if (zatim) zatim();
        return odgovor;
    }
    std::function<void()> zatim;
};

// Suite windows, found by their titles.
struct LažniProzori : IProzori {
    bool NađiProzor(const QString& klasa, const QString& naslov, bool) override {
        return klasa.isEmpty() && otvoreni.contains(naslov);
    }
    QStringList otvoreni;
};

// A temporary suite whose update set comes from a network location, with a
// RegSvr32.exe first on PATH that records each call beside itself: its
// arguments, each followed by "|", and the component file's content then.
class Instalacija : public ::testing::Test {
protected:
    Instalacija() {
        o.k.poruke = &korisnik;
        o.k.procesi = &procesi;
        o.k.prozori = &prozori;
        o.izvor.odabrana = MrežnaLokacija;
        o.izvor.lokacije[0] = lok;
        for (const QString& dir : {skr, hlp, bak})
            QDir().mkpath(dir);
        for (const QString& dir : {lok, upd})
            TestOkruženje::ZapišiListu(dir + "Verzije.txt", {"A.exe;21;2;0;10;20;"});
        TestOkruženje::Zapiši(prog + "Verzije.txt", "stara lista");
        TestOkruženje::Zapiši(
            bin + "RegSvr32.exe",
            "#!/bin/sh\n{ printf '%s|' \"$@\"; cat \"$1\"; echo; } 2>/dev/null >>\"$0.txt\"\n");
        QFile::setPermissions(bin + "RegSvr32.exe", QFile::ReadOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(bin) + ':' + path);
    }
    ~Instalacija() override { qputenv("PATH", path); }
    QString Pozivi() const { return Sadržaj(bin + "RegSvr32.exe.txt"); }
    void StaraINova(const QString& dir, const QString& ime) {
        TestOkruženje::Zapiši(dir + ime, "stara");
        TestOkruženje::Zapiši(upd + ime, "nova");
    }
    void Planiraj(std::initializer_list<std::pair<int, QString>> redovi) {
        for (const auto& [red, ime] : redovi) {
            o.stanje.NoveVerzije.postavi(red, Ime, ime);
            o.stanje.NoveVerzije.postavi(red, TrebaInstalirati, qint16(1));
        }
    }
    static QString Sadržaj(const QString& put) { return TestOkruženje::Pročitaj(put); }
    static QStringList Sadržaji(const QStringList& putevi) {
        QStringList s;
        for (const QString& put : putevi)
            s << Sadržaj(put);
        return s;
    }
    QString Log() const { return Sadržaj(o.log->Put()); } // the whole log, for entries that span lines
    static QString RegSvr32(const QString& put, const QString& s) {
        return "RegSvr32.exe \"" + put + "\" " + s;
    }
    static QString Opis(int kod) { return GreškaIzSustava(kod).opis; }

    TestOkruženje o;
    const QString prog = o.dir(), upd = o.updateDir(), bak = o.stanje.BackupDirektorija;
    const QString skr = o.stanje.SkripteDirektorija, hlp = o.stanje.HelpDirektorija;
    const QString lok = SaSeparatorom(o.vanjski("Mreža"));
    const QString bin = o.vanjski("bin") + Separator();
    const QByteArray path = qgetenv("PATH");
    Korisnik korisnik;
    QtProcesi procesi;
    LažniProzori prozori;
};

TEST_F(Instalacija, EachKindGoesToItsDirectoryOthersAreOnlyLogged) {
    // Programs and components in a directory with blanks; the program and the script are new.
    const QString dir = o.stanje.ProgramskaDirektorija = o.vanjski("Program Files/Morvela 21") + Separator();
    for (const QString ime : {"Plaće21.exe", "Izmjena 7.enc", "Glavna.EXE"})
        TestOkruženje::Zapiši(upd + ime, "nova");
    StaraINova(hlp, "Upute.chm");
    StaraINova(dir, "Izvoz.dll");

    for (const QString ime :
         {"Plaće21.exe", "Izmjena 7.enc", "Upute.chm", "Izvoz.dll", "Glavna.EXE", "ab", "a.ini"})
        EXPECT_TRUE(ZamijeniDatotekuPoVrsti(o.k, ime)) << ime.toStdString();

    EXPECT_EQ(Sadržaji({dir + "Plaće21.exe", skr + "Izmjena 7.enc", hlp + "Upute.chm", dir + "Izvoz.dll"}),
              QStringList(4, "nova"));
    EXPECT_EQ(QDir(bak).entryList(QDir::Files), (QStringList{"Izvoz.dll", "Upute.chm"}));
    EXPECT_FALSE(QFile::exists(dir + "Glavna.EXE"));
    const QString u = RegSvr32(dir + "Izvoz.dll", "/u /s"), r = RegSvr32(dir + "Izvoz.dll", "/s");
    EXPECT_EQ(o.LogPoruke(),
              (QStringList{P + "Backup programa: Plaće21.exe", P + "Kopiranje novog programa: Plaće21.exe",
                           P + "Backup datoteke: Izmjena 7.enc", P + "Kopiranje nove datoteke: Izmjena 7.enc",
                           P + "Backup datoteke: Upute.chm", P + "Kopiranje nove datoteke: Upute.chm",
                           P + "Deregistracija komponente: Izvoz.dll", u, u + " Uspješno",
                           P + "Backup komponente: Izvoz.dll", P + "Kopiranje nove komponente: Izvoz.dll", r,
                           r + " Uspješno", P + "nepoznata ekstenzija: EXE", P + "nepoznata ekstenzija: ab",
                           P + "nepoznata ekstenzija: ini"}));
    // One argument for the path; the old component was still in place when
    // unregistered and the new one when registered.
    EXPECT_EQ(Pozivi(), dir + "Izvoz.dll|/u|/s|stara\n" + dir + "Izvoz.dll|/s|nova\n");
    EXPECT_TRUE(korisnik.upiti.isEmpty());
}

TEST_F(Instalacija, BlockedMoveIsTriedAgainOnlyForProgramsAndOnlyOnTheUsersWord) {
    // A leftover of the same name in the backup directory blocks the move, as a running program would.
    const QString uUporabi = "premještanju programa: A.exeNajvjerojatnije se koristi. " + Detalj +
                             "File already exists: " + bak + "A.exe";
    StaraINova(prog, "A.exe");
    TestOkruženje::Zapiši(bak + "A.exe", "prastara");
    korisnik.zatim = [&] { QFile::remove(bak + "A.exe"); };
    EXPECT_TRUE(ZamijeniDatotekuPoVrsti(o.k, "A.exe"));
    ASSERT_EQ(korisnik.upiti.size(), 1);
    EXPECT_EQ(
        korisnik.upiti[0].tekst,
        "Nastala je greška u " + uUporabi +
            "\r\nPreporuka je da se prestane koristiti navedeni program i da se pokuša još jednom. Jeste li "
            "izašli iz programa i želite li nastaviti sa instalacijom (Da - Yes) ili želite prekinuti sa "
            "instalacijom (Ne - No)?");
    EXPECT_TRUE(o.LogPoruke().contains(P + "Ponovni backup programa: A.exe"));
    EXPECT_EQ(Sadržaji({bak + "A.exe", prog + "A.exe"}), (QStringList{"stara", "nova"}));

    // Now the old version is in the way: No rolls back at once, Yes tries once more.
    korisnik.zatim = nullptr;
    korisnik.odgovori = {Odgovor::Ne, Odgovor::Da};
    EXPECT_FALSE(ZamijeniDatotekuPoVrsti(o.k, "A.exe"));
    EXPECT_EQ(korisnik.upiti.size(), 2);
    EXPECT_EQ(Sadržaj(prog + "A.exe"), "stara");
    EXPECT_FALSE(ZamijeniDatotekuPoVrsti(o.k, "A.exe"));
    EXPECT_EQ(korisnik.upiti.last().tekst, "Nastala je greška u ponovnom " + uUporabi + StaraVerzija);

    StaraINova(hlp, "Upute.chm");
    TestOkruženje::Zapiši(bak + "Upute.chm", "prastara");
    EXPECT_FALSE(ZamijeniDatotekuPoVrsti(o.k, "Upute.chm"));
    EXPECT_EQ(korisnik.upiti.last().tekst, "Nastala je greška u premještanju datoteke: Upute.chm" + Detalj +
                                               "File already exists: " + bak + "Upute.chm" + StaraVerzija);
    ASSERT_EQ(korisnik.upiti.size(), 5);
    EXPECT_EQ(korisnik.upiti[3].ikona, Ikona::Kritična);
    EXPECT_EQ(korisnik.upiti[4].ikona, Ikona::Kritična);
}

TEST_F(Instalacija, ComponentThatCannotBeUnregisteredStaysAsItWas) {
    StaraINova(prog, "Izvoz.dll");
    QFile::remove(bin + "RegSvr32.exe");
    EXPECT_FALSE(ZamijeniDatotekuPoVrsti(o.k, "Izvoz.dll"));
    ASSERT_EQ(korisnik.upiti.size(), 1);
    EXPECT_EQ(korisnik.upiti[0].tekst, "Desila se greška u deregistraciji komponente: Izvoz.dll\r\n"
                                       "Deregistracija komponente: Izvoz.dll" +
                                           StaraVerzija);
    EXPECT_EQ(korisnik.upiti[0].ikona, Ikona::Kritična);
    const QString u = RegSvr32(prog + "Izvoz.dll", "/u /s");
    EXPECT_EQ(o.LogPoruke().mid(1),
              (QStringList{u, u + " Neuspješno", V + "početak. U direktoriji Backup fajlova:0", V + "Kraj"}));
    EXPECT_EQ(Sadržaj(prog + "Izvoz.dll"), "stara");
}

TEST_F(Instalacija, RollbackCopiesEveryKindBackAndGoesOnAfterFailures) {
    for (const QString ime : {"A.exe", "Verzije.txt", "Izvoz.dll", "Izmjena 7.enc", "Upute.chm", "G.EXE"})
        TestOkruženje::Zapiši(bak + ime, "stara");
    TestOkruženje::Zapiši(prog + "Izvoz.dll", "nova");
    // Directories in the way of two of them.
    QDir().mkpath(prog + "A.exe");
    QDir().mkpath(skr + "Izmjena 7.enc");

    PokušajVratitiSveNaPočetak(o.k);

    EXPECT_EQ(Sadržaji({prog + "Verzije.txt", prog + "Izvoz.dll", hlp + "Upute.chm"}),
              QStringList(3, "stara"));
    EXPECT_FALSE(QFile::exists(prog + "G.EXE"));
    EXPECT_EQ(QDir(bak).entryList(QDir::Files).size(), 6); // copied, not moved
    QStringList tekstovi = korisnik.tekstovi();
    tekstovi.sort();
    const QString neMože = Detalj + Opis(EINVAL) + "\r\nProgram ne može razriješiti problem ";
    EXPECT_EQ(tekstovi, (QStringList{"Nastala je greška u kopiranju nazad datoteke: Izmjena 7.enc" + neMože +
                                         "te ćete morati reinstalirati program!",
                                     "Nastala je greška u kopiranju nazad programa: A.exe" + neMože +
                                         "pa ćete morati reinstalirati program!"}));
    const QStringList log = o.LogPoruke();
    EXPECT_EQ(log.first(), V + "početak. U direktoriji Backup fajlova:6");
    EXPECT_EQ(log.last(), V + "Kraj");
    EXPECT_TRUE(log.contains(V + "nepoznata ekstenzija: EXE"));
    const QString u = RegSvr32(prog + "Izvoz.dll", "/u /s"), r = RegSvr32(prog + "Izvoz.dll", "/s");
    EXPECT_EQ(
        log.mid(log.indexOf(u), 5),
        (QStringList{u, u + " Uspješno", V + "Kopiranje nazad komponente: Izvoz.dll", r, r + " Uspješno"}));
    EXPECT_EQ(Pozivi(), prog + "Izvoz.dll|/u|/s|nova\n" + prog + "Izvoz.dll|/s|stara\n");
}

TEST_F(Instalacija, CompletedRunInstallsPlannedRowsSwapsTheListAndCleansUp) {
    StaraINova(prog, "A.exe");
    StaraINova(hlp, "D.chm");
    for (const QString ime : {"B.dll", "C.enc", "Ostalo.txt"})
        TestOkruženje::Zapiši(upd + ime, "nova");
    Planiraj({{0, "A.exe"}, {1, ""}, {2, "B.dll"}, {5, "C.enc"}, {9, "D.chm"}});
    o.stanje.NoveVerzije.postavi(3, Ime, QString("Z.exe")); // not planned, and nowhere to be found
    // The help window is open until the user is asked to close it.
    prozori.otvoreni = {"Morvela Pomoć"};
    korisnik.zatim = [&] { prozori.otvoreni.clear(); };

    EXPECT_TRUE(UpdatePrograma(o.k));

    EXPECT_EQ(Sadržaji({prog + "A.exe", prog + "B.dll", skr + "C.enc", hlp + "D.chm"}),
              QStringList(4, "nova"));
    EXPECT_EQ(Sadržaj(prog + "Verzije.txt"), "A.exe;21;2;0;10;20;\r\n");
    EXPECT_EQ(QDir(upd).entryList(QDir::Files), (QStringList{"Ostalo.txt", "Update.log", "Verzije.txt"}));
    EXPECT_FALSE(QFile::exists(bak));
    EXPECT_EQ(o.mreža.stanja.mid(0, 8), (Stanja{{"A.exe", 5},
                                                {"A.exe", 3},
                                                {"B.dll", 5},
                                                {"B.dll", 3},
                                                {"C.enc", 5},
                                                {"C.enc", 3},
                                                {"D.chm", 5},
                                                {"D.chm", 3}}));
    EXPECT_EQ(o.mreža.prikaza, 1); // the plan was built again from the installed list
    EXPECT_EQ(korisnik.upiti.size(), 1);
    const QStringList log = o.LogPoruke();
    EXPECT_EQ(log.mid(0, 3), (QStringList{"UpdatePrograma- početak",
                                          "UpdatePrograma- Postoje startovani programi Morvela Pomoć",
                                          "UpdatePrograma - Početak"}));
    EXPECT_EQ(
        log.mid(log.indexOf(P + "Backup Verzije.txt"), 10),
        (QStringList{P + "Backup Verzije.txt", P + "Kopiranje Verzije.txt", P + "Brisanje fajlova *.7z",
                     P + "Greška u brisanju fajlova *.7z - " + Opis(ENOENT), P + "Brisanje fajlova *.exe",
                     P + "Brisanje fajlova *.enc", P + "Brisanje fajlova *.chm", P + "Brisanje fajlova *.dll",
                     P + "Brisanje direktorije " + bak, P + "Kraj"}));
}

TEST_F(Instalacija, FailureOfTheThirdOfFiveRestoresTheFirstAndLeavesTheRest) {
    for (const QString ime : {"P1.exe", "P4.exe", "P5.exe"})
        StaraINova(prog, ime);
    TestOkruženje::Zapiši(upd + "P2.exe", "nova"); // no old version
    TestOkruženje::Zapiši(prog + "P3.exe", "stara");
    QDir().mkpath(upd + "P3.exe"); // cannot be copied
    Planiraj({{2, "P1.exe"}, {4, "P2.exe"}, {6, "P3.exe"}, {8, "P4.exe"}, {10, "P5.exe"}});

    EXPECT_FALSE(UpdatePrograma(o.k));

    EXPECT_EQ(Sadržaji({prog + "P1.exe", prog + "P2.exe", prog + "P3.exe", prog + "P4.exe", prog + "P5.exe"}),
              (QStringList{"stara", "nova", "stara", "stara", "stara"}));
    EXPECT_EQ(QDir(bak).entryList(QDir::Files), (QStringList{"P1.exe", "P3.exe"}));
    EXPECT_EQ(o.mreža.stanja,
              (Stanja{{"P1.exe", 5}, {"P1.exe", 3}, {"P2.exe", 5}, {"P2.exe", 3}, {"P3.exe", 5}}));
    EXPECT_EQ(Sadržaji({prog + "Verzije.txt", upd + "P4.exe"}), (QStringList{"stara lista", "nova"}));
    ASSERT_EQ(korisnik.upiti.size(), 1);
    const QString kopiranje = "Nastala je greška u kopiranju novog programa: P3.exe" + Detalj + Opis(ENOENT);
    EXPECT_EQ(korisnik.upiti[0].tekst, kopiranje + StaraVerzija);
    EXPECT_EQ(korisnik.upiti[0].ikona, Ikona::Kritična);
    EXPECT_TRUE(Log().contains(" " + P + kopiranje + "\r\n"));
    EXPECT_EQ(o.LogPoruke().last(), V + "Kraj");
}

TEST_F(Instalacija, RunThatEndsEarlyTouchesNoProgram) {
    StaraINova(prog, "A.exe");
    Planiraj({{0, "A.exe"}});
    TestOkruženje::Zapiši(bak + "Smeće.exe", "od prije");
    prozori.otvoreni = {"Morvela URA 21", "Morvela Plaće 21"};
    // Check again; give up? no; give up? yes.
    korisnik.odgovori = {Odgovor::Da, Odgovor::Ne, Odgovor::Ne, Odgovor::Ne, Odgovor::Da};
    EXPECT_FALSE(UpdatePrograma(o.k));
    const QString popis = "Morvela Plaće 21\r\nKnjiga ulaznih računa\r\n";
    ASSERT_EQ(korisnik.upiti.size(), 5);
    EXPECT_EQ(
        korisnik.upiti[0].tekst,
        "Postoje pokrenuti programi:\r\n" + popis +
            "\r\nDa bi nastavili sa daljom instalacijom moraju se zatvoriti svi otvoreni programi!\r\nZa "
            "nastavak rada (i ponovnu provjeru) pritisnite Da (Yes), za prekid instalacije pritisnuti Ne "
            "(No) ?");
    EXPECT_EQ(
        korisnik.upiti[2].tekst,
        "Ukoliko prekinete sa ažuriranjem novih verzija, izgubiće se svi novi učitani programi, pa će se to "
        "morati ponoviti.\r\nŽelite li zaista prekinuti sa ažuriranjem programa sa novim verzijama?");
    EXPECT_EQ(Log().count(" UpdatePrograma- Postoje startovani programi " + popis + "\r\n"), 3);
    EXPECT_EQ(o.LogPoruke().last(), "UpdatePrograma- Korisnik odustaje");
    EXPECT_TRUE(QFile::exists(bak + "Smeće.exe"));

    // The developer computer is refused, without a log line, after the backup directory was emptied.
    prozori.otvoreni.clear();
    o.imena.računalo = RazvojnoRačunalo;
    const auto linija = o.LogPoruke().size();
    EXPECT_FALSE(UpdatePrograma(o.k));
    EXPECT_EQ(korisnik.upiti.last().tekst,
              "Ime računala je MORVELA-RAZVOJ te nije moguće nastaviti sa radom!");
    EXPECT_EQ(o.LogPoruke().mid(linija), QStringList{"UpdatePrograma- početak"});
    EXPECT_TRUE(QDir(bak).isEmpty());

    // A backup directory that cannot be created ends the whole program.
    QDir(bak).removeRecursively();
    TestOkruženje::Zapiši(bak.chopped(1), "a file in its place");
    EXPECT_FALSE(UpdatePrograma(o.k));
    EXPECT_EQ(o.završetaka, 1);
    const QString poruka = korisnik.upiti.last().tekst;
    EXPECT_EQ(poruka,
              "Nastala je greška u kreiranju UpdateBackup direktorije! Program za ažuriranje novih verzija "
              "mora prestati sa radom. Vjerojatno nemate administratorska prava!\r\nGreška: " +
                  Opis(EEXIST));
    EXPECT_TRUE(Log().contains(" UpdatePrograma- " + poruka + "\r\n"));
    EXPECT_EQ(korisnik.upiti.size(), 7);
    EXPECT_TRUE(o.mreža.stanja.isEmpty());
    EXPECT_EQ(Sadržaj(prog + "A.exe"), "stara");
}

// The update button against a network location: a real archive, the real 7-Zip.
TEST_F(Instalacija, UpdateCommandFetchesAsksWritesTheReportSettingsAndInstalls) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, o.vanjski("postavke"));
    const QString registar = o.vanjski("postavke/Seagate Software/Crystal Reports Designer Component.conf");
    // The command's own log lines.
    const auto Linije = [&] { return o.LogPoruke().filter(QRegularExpression("^(cmdDownload|\\*)")); };
    // Nothing planned: the fetch fails.
    cmdDownloadAndUpdate_Click(o.k);
    const QStringList neuspjeh{"cmdDownloadAndUpdate_Click Nije uspio snimiti sa interneta/mrežne lokacije",
                               "********************* KRAJ UPDATE"};
    EXPECT_EQ(Linije(), neuspjeh);
    for (const auto& u : korisnik.upiti)
        EXPECT_NE(u.ikona, Ikona::Pitanje);

    ASSERT_TRUE(QFile::link("/usr/bin/7za", prog + "7za"));
    TestOkruženje::Zapiši(o.vanjski("A.exe"), "nova verzija");
    ASSERT_EQ(QProcess::execute("/usr/bin/7za", {"a", "-bso0", "-bsp0", lok + "A.7z", o.vanjski("A.exe")}),
              0);
    TestOkruženje::Zapiši(prog + "A.exe", "stara");
    Planiraj({{0, "A.exe"}});
    o.stanje.NoveVerzije.postavi(0, VeličinaDownload, QString::number(QFile(lok + "A.7z").size()));
    o.stanje.NoveVerzije.postavi(0, StvarnaVeličina, QString("12"));
    // No at the question: not a line more, no settings, nothing installed.
    const auto upita = korisnik.upiti.size();
    korisnik.odgovori = {Odgovor::Ne};
    cmdDownloadAndUpdate_Click(o.k);
    EXPECT_EQ(Linije(), neuspjeh);
    EXPECT_FALSE(QFile::exists(registar));
    EXPECT_EQ(Sadržaji({prog + "A.exe", upd + "A.exe"}), (QStringList{"stara", "nova verzija"}));

    cmdDownloadAndUpdate_Click(o.k);
    EXPECT_EQ(Sadržaj(prog + "A.exe"), "nova verzija");
    ASSERT_EQ(korisnik.upiti.size(), upita + 3);
    EXPECT_EQ(korisnik.upiti[upita].tekst,
              "Svi novi programi su spremni za ažuriranje.\r\nDa bi instalirali nove "
              "programe morate zatvoriti sve otvorene Morvela programe!\r\nŽelite li "
              "izvršiti ažuriranje/instaliranje novih programa?");
    EXPECT_EQ(korisnik.upiti.last().tekst, "Uspješno instalirani novi programi!");
    EXPECT_EQ(korisnik.upiti.last().ikona, Ikona::Usklicnik);
    EXPECT_EQ(o.LogPoruke().last(2),
              (QStringList{"cmdDownloadAndUpdate_Click Uspješno instalirani novi programi!",
                           "********************* KRAJ UPDATE"}));
    EXPECT_EQ(Linije().size(), 4);
    QSettings vrijednosti(registar, QSettings::IniFormat);
    EXPECT_EQ(vrijednosti.value("Export/BitMapMagnifDenominator").toInt(), 1);
    EXPECT_EQ(vrijednosti.value("Export/BitMapMagnifNumerator").toInt(), 12);
}

} // namespace
