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
using Stanja = QList<QPair<QString, int>>;
const QString StaraVerzija = "\r\nProgram ne može razriješiti problem te će pokušati vratiti staru verziju "
                             "programa. Ukoliko ne uspije najvjerojatnije ćete morati reinstalirati program!";

// The person at the screen and the suite windows they have open (found by
// title): answers from the script, then does what the test says a person
// would do after a box (close a program, say).
struct Korisnik : LažnePoruke, IProzori {
    Odgovor Pokaži(const QString& tekst, Ikona ikona, Gumbi gumbi, const QString& naslov) override {
        ikone << ikona;
        const Odgovor odgovor = LažnePoruke::Pokaži(tekst, ikona, gumbi, naslov);
        if (zatim) zatim();
        return odgovor;
    }
    bool NađiProzor(const QString& klasa, const QString& naslov, bool) override {
        return klasa.isEmpty() && otvoreni.contains(naslov);
    }
    std::function<void()> zatim;
    QStringList otvoreni;
    QList<Ikona> ikone;
};

// A temporary suite whose update set comes from a network location, with a
// RegSvr32.exe first on PATH that records each call beside itself: its
// arguments, each followed by "|", and the component file's content then.
class Instalacija : public ::testing::Test {
protected:
    Instalacija() {
        o.k.poruke = &korisnik;
        o.k.prozori = &korisnik;
        o.k.procesi = &procesi;
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
    template <class... T> static QStringList Sadržaji(const T&... put) { return {Sadržaj(put)...}; }
    QString Log() const { return Sadržaj(o.log->Put()); } // the whole log, for entries that span lines
    static QString RegSvr32(const QString& put, const char* s) { return "RegSvr32.exe \"" + put + "\" " + s; }
    static QString Opis(int kod) { return GreškaIzSustava(kod).opis; }

    TestOkruženje o;
    const QString prog = o.dir(), upd = o.updateDir(), bak = o.stanje.BackupDirektorija;
    const QString skr = o.stanje.SkripteDirektorija, hlp = o.stanje.HelpDirektorija;
    const QString lok = SaSeparatorom(o.vanjski("Mreža")), bin = o.vanjski("bin") + Separator();
    const QByteArray path = qgetenv("PATH");
    Korisnik korisnik;
    QtProcesi procesi;
};

TEST_F(Instalacija, EachKindIsReplacedAndRolledBackInItsOwnDirectory) {
    // Programs and components in a directory with blanks; the program and the script are new.
    const QString dir = o.stanje.ProgramskaDirektorija = o.vanjski("Program Files/Morvela 21") + Separator();
    for (const QString ime : {"Plaće21.exe", "Izmjena 7.enc", "Glavna.EXE"})
        TestOkruženje::Zapiši(upd + ime, "nova");
    StaraINova(hlp, "Upute.chm");
    StaraINova(dir, "Izvoz.dll");
    for (const QString ime : {"Plaće21.exe", "Izmjena 7.enc", "Upute.chm", "Izvoz.dll", "Glavna.EXE", "ab"})
        EXPECT_TRUE(ZamijeniDatotekuPoVrsti(o.k, ime)) << ime.toStdString();

    EXPECT_EQ(Sadržaji(dir + "Plaće21.exe", skr + "Izmjena 7.enc", hlp + "Upute.chm", dir + "Izvoz.dll"),
              QStringList(4, "nova"));
    const QString u = RegSvr32(dir + "Izvoz.dll", "/u /s"), r = RegSvr32(dir + "Izvoz.dll", "/s");
    EXPECT_EQ(
        o.LogPoruke(),
        (QStringList{P + "Backup programa: Plaće21.exe", P + "Kopiranje novog programa: Plaće21.exe",
                     P + "Backup datoteke: Izmjena 7.enc", P + "Kopiranje nove datoteke: Izmjena 7.enc",
                     P + "Backup datoteke: Upute.chm", P + "Kopiranje nove datoteke: Upute.chm",
                     P + "Deregistracija komponente: Izvoz.dll", u, u + " Uspješno",
                     P + "Backup komponente: Izvoz.dll", P + "Kopiranje nove komponente: Izvoz.dll", r,
                     r + " Uspješno", P + "nepoznata ekstenzija: EXE", P + "nepoznata ekstenzija: ab"}));

    // Back again, with more kinds in the backup and a directory in the way of one.
    for (const QString ime : {"A.exe", "Verzije.txt", "Stara.enc", "G.EXE"})
        TestOkruženje::Zapiši(bak + ime, "stara");
    QDir().mkpath(dir + "A.exe");
    PokušajVratitiSveNaPočetak(o.k);
    EXPECT_EQ(Sadržaji(dir + "Verzije.txt", hlp + "Upute.chm", skr + "Stara.enc", bak + "Upute.chm"),
              QStringList(4, "stara"));
    // X is the whole path, one argument: the old component out and the new one in, then back.
    EXPECT_EQ(Sadržaj(bin + "RegSvr32.exe.txt").replace(dir + "Izvoz.dll", "X"),
              "X|/u|/s|stara\nX|/s|nova\nX|/u|/s|nova\nX|/s|stara\n");
    EXPECT_EQ(korisnik.tekstovi(),
              QStringList{"Nastala je greška u kopiranju nazad programa: A.exe" + Detalj + Opis(EISDIR) +
                          "\r\nProgram ne može razriješiti problem pa ćete morati reinstalirati program!"});
    const QStringList log = o.LogPoruke().mid(15); // after the replacements
    EXPECT_EQ((QStringList{log.first(), log.last()}),
              (QStringList{V + "početak. U direktoriji Backup fajlova:6", V + "Kraj"}));
    EXPECT_TRUE(log.contains(V + "nepoznata ekstenzija: EXE"));
    EXPECT_EQ(
        log.mid(log.indexOf(u), 5),
        (QStringList{u, u + " Uspješno", V + "Kopiranje nazad komponente: Izvoz.dll", r, r + " Uspješno"}));
}

TEST_F(Instalacija, RunThatFailsOrEndsEarlyLeavesTheInstallationAsItWas) {
    // Five planned programs between rows that do not count; the third cannot be copied.
    for (const QString ime : {"P1.exe", "P4.exe", "P5.exe"})
        StaraINova(prog, ime);
    TestOkruženje::Zapiši(upd + "P2.exe", "nova"); // no old version
    TestOkruženje::Zapiši(prog + "P3.exe", "stara");
    QDir().mkpath(upd + "P3.exe");
    Planiraj({{2, "P1.exe"}, {3, ""}, {4, "P2.exe"}, {6, "P3.exe"}, {8, "P4.exe"}, {10, "P5.exe"}});
    o.stanje.NoveVerzije.postavi(5, Ime, QString("P9.exe")); // not planned
    EXPECT_FALSE(UpdatePrograma(o.k));
    const QString kopiranje = "Nastala je greška u kopiranju novog programa: P3.exe" + Detalj + Opis(ENOENT);
    EXPECT_TRUE(Log().contains(" " + P + kopiranje + "\r\n"));

    // Programs of the suite are running. Check again; give up? no; give up? yes.
    korisnik.otvoreni = {"Morvela URA 21", "Morvela Plaće 21"};
    korisnik.odgovori = {Odgovor::Da, Odgovor::Ne, Odgovor::Ne, Odgovor::Ne, Odgovor::Da};
    EXPECT_FALSE(UpdatePrograma(o.k));
    const QString popis = "Morvela Plaće 21\r\nKnjiga ulaznih računa\r\n";
    EXPECT_EQ(Log().count(" UpdatePrograma- Postoje startovani programi " + popis + "\r\n"), 3);
    EXPECT_EQ(o.LogPoruke().last(), "UpdatePrograma- Korisnik odustaje");
    // What the failed run moved aside, untouched by the one given up.
    EXPECT_EQ(QDir(bak).entryList(QDir::Files), (QStringList{"P1.exe", "P3.exe"}));

    // The developer computer is refused, without a log line, after the backup directory was emptied.
    korisnik.otvoreni.clear();
    o.imena.računalo = RazvojnoRačunalo;
    EXPECT_FALSE(UpdatePrograma(o.k));
    EXPECT_EQ(o.LogPoruke().last(), "UpdatePrograma- početak");
    EXPECT_TRUE(QDir(bak).isEmpty());

    // A backup directory that cannot be created ends the whole program.
    QDir(bak).removeRecursively();
    TestOkruženje::Zapiši(bak.chopped(1), "a file in its place");
    EXPECT_FALSE(UpdatePrograma(o.k));
    EXPECT_EQ(o.završetaka, 1);
    const QString greška = "Nastala je greška u kreiranju UpdateBackup direktorije! Program za ažuriranje "
                           "novih verzija mora prestati sa radom. Vjerojatno nemate administratorska prava!"
                           "\r\nGreška: " +
                           Opis(EEXIST);
    EXPECT_TRUE(Log().contains(" UpdatePrograma- " + greška + "\r\n"));

    // The first rows restored, the new one without an old version kept, the rest never touched.
    EXPECT_EQ(Sadržaji(prog + "P1.exe", prog + "P2.exe", prog + "P3.exe", prog + "P4.exe", prog + "P5.exe",
                       upd + "P4.exe", prog + "Verzije.txt"),
              (QStringList{"stara", "nova", "stara", "stara", "stara", "nova", "stara lista"}));
    EXPECT_EQ(o.mreža.stanja,
              (Stanja{{"P1.exe", 5}, {"P1.exe", 3}, {"P2.exe", 5}, {"P2.exe", 3}, {"P3.exe", 5}}));
    const QString pitanje = "Postoje pokrenuti programi:\r\n" + popis +
                            "\r\nDa bi nastavili sa daljom instalacijom moraju se zatvoriti svi otvoreni "
                            "programi!\r\nZa nastavak rada (i ponovnu provjeru) pritisnite Da (Yes), za "
                            "prekid instalacije pritisnuti Ne (No) ?";
    const QString prekid = "Ukoliko prekinete sa ažuriranjem novih verzija, izgubiće se svi novi učitani "
                           "programi, pa će se to morati ponoviti.\r\nŽelite li zaista prekinuti sa "
                           "ažuriranjem programa sa novim verzijama?";
    EXPECT_EQ(korisnik.tekstovi(),
              (QStringList{kopiranje + StaraVerzija, pitanje, pitanje, prekid, pitanje, prekid,
                           "Ime računala je MORVELA-RAZVOJ te nije moguće nastaviti sa radom!", greška}));
    EXPECT_EQ(korisnik.ikone, (QList{Ikona::Kritična} << QList<Ikona>(5, Ikona::Pitanje) << Ikona::Usklicnik
                                                      << Ikona::Usklicnik));
}

// The update button against a network location: a real archive, the real 7-Zip.
TEST_F(Instalacija, UpdateCommandFetchesAsksWritesTheReportSettingsInstallsAndCleansUp) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, o.vanjski("postavke"));
    const QString registar = o.vanjski("postavke/Seagate Software/Crystal Reports Designer Component.conf");
    const QString kraj = "********************* KRAJ UPDATE", uspjeh = "Uspješno instalirani novi programi!";
    cmdDownloadAndUpdate_Click(o.k); // nothing planned: the fetch fails

    ASSERT_TRUE(QFile::link("/usr/bin/7za", prog + "7za"));
    TestOkruženje::Zapiši(o.vanjski("A.exe"), "nova verzija");
    ASSERT_EQ(QProcess::execute("/usr/bin/7za", {"a", "-bso0", "-bsp0", lok + "A.7z", o.vanjski("A.exe")}),
              0);
    TestOkruženje::Zapiši(prog + "A.exe", "stara");
    // Leftovers in the update directory: of the kinds installed and another.
    for (const QString ime : {"B.dll", "C.enc", "Ostalo.txt"})
        TestOkruženje::Zapiši(upd + ime, "stara");
    Planiraj({{0, "A.exe"}});
    o.stanje.NoveVerzije.postavi(0, VeličinaDownload, QString::number(QFile(lok + "A.7z").size()));
    o.stanje.NoveVerzije.postavi(0, StvarnaVeličina, QString("12"));
    // No at the question: not a log line more, no settings, nothing installed.
    const auto upita = korisnik.upiti.size();
    korisnik.odgovori = {Odgovor::Ne};
    cmdDownloadAndUpdate_Click(o.k);
    EXPECT_FALSE(QFile::exists(registar));

    cmdDownloadAndUpdate_Click(o.k);
    EXPECT_EQ(Sadržaji(prog + "A.exe", prog + "Verzije.txt"),
              (QStringList{"nova verzija", "A.exe;21;2;0;10;20;\r\n"}));
    EXPECT_EQ(QDir(upd).entryList(QDir::Files), (QStringList{"Ostalo.txt", "Update.log", "Verzije.txt"}));
    EXPECT_EQ(o.mreža.prikaza, 1); // the plan was built again from the installed list
    // The command's own lines and the installation's.
    EXPECT_EQ(
        o.LogPoruke().filter(QRegularExpression("^(cmdDownload|\\*|UpdatePrograma)")),
        (QStringList{"cmdDownloadAndUpdate_Click Nije uspio snimiti sa interneta/mrežne lokacije", kraj,
                     "UpdatePrograma- početak", P + "Početak", P + "Backup programa: A.exe",
                     P + "Kopiranje novog programa: A.exe", P + "Backup Verzije.txt",
                     P + "Kopiranje Verzije.txt", P + "Brisanje fajlova *.7z", P + "Brisanje fajlova *.exe",
                     P + "Brisanje fajlova *.enc", P + "Brisanje fajlova *.chm",
                     P + "Greška u brisanju fajlova *.chm - " + Opis(ENOENT), P + "Brisanje fajlova *.dll",
                     P + "Brisanje direktorije " + bak, P + "Kraj", "cmdDownloadAndUpdate_Click " + uspjeh,
                     kraj}));
    const QString pitanje = "Svi novi programi su spremni za ažuriranje.\r\nDa bi instalirali nove programe "
                            "morate zatvoriti sve otvorene Morvela programe!\r\nŽelite li izvršiti "
                            "ažuriranje/instaliranje novih programa?";
    EXPECT_EQ(korisnik.tekstovi().mid(upita), (QStringList{pitanje, pitanje, uspjeh}));
    QSettings vrijednosti(registar, QSettings::IniFormat);
    EXPECT_EQ(vrijednosti.value("Export/BitMapMagnifDenominator").toInt(), 1);
    EXPECT_EQ(vrijednosti.value("Export/BitMapMagnifNumerator").toInt(), 12);
}

} // namespace
