#include "Kvarovi.h"
#include "MaliDisk.h"
#include "Okruzenje.h"
#include "PrivatniZaslon.h"
#include "install/DnevnikInstalacije.h"
#include "install/PokusajVratitiSveNaPocetak.h"
#include "install/TekstoviInstalacije.h"
#include "install/UpdateCommand.h"
#include "install/UpdatePrograma.h"
#include "install/ZamijeniDatotekuPoVrsti.h"
#include "install/modAppJeStartana.h"
#include "platform/Procesi.h"
#include "platform/Prozori.h"
#include "versions/PravilaVerzija.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>

#include <cerrno>
#include <functional>
#include <optional>

using namespace morvela;
using namespace morvela::test;

namespace {

const QString P = "UpdatePrograma - ", V = "PokušajVratitiSveNaPočetak - ",
              Detalj = "\r\nPoruka o grešci je: ";
using Stanja = QList<QPair<QString, int>>;
const QString
    StaraVerzija = "\r\nProgram ne može razriješiti problem te će pokušati vratiti staru verziju "
                   "programa. Ukoliko ne uspije najvjerojatnije ćete morati reinstalirati program!",
    Neuspjeh = "Programi nisu uspješno instalirani. Kontaktirajte Mor-vela i prenesite im ove informacije!",
    Pitanje = "Svi novi programi su spremni za ažuriranje.\r\nDa bi instalirali nove programe morate "
              "zatvoriti sve otvorene Morvela programe!\r\nŽelite li izvršiti ažuriranje/instaliranje "
              "novih programa?";

// The person at the screen and the suite windows they have open (found by title).
struct Korisnik : LažnePoruke, IProzori {
    bool NađiProzor(const QString& klasa, const QString& naslov, bool) override {
        return klasa.isEmpty() && otvoreni.contains(naslov);
    }
    QStringList otvoreni;
};

// A temporary suite whose update set comes from a network location, with a
// RegSvr32.exe first on PATH that records each call beside itself: its
// arguments, each followed by "|", and the component file's content then.
struct Okolina {
    Okolina() {
        o.k.poruke = &korisnik;
        o.k.prozori = &korisnik;
        o.k.procesi = &procesi;
        o.k.datoteke = &datoteke;
        o.izvor.odabrana = UpdateLokacija::MrežnaLokacija;
        o.izvor.lokacije[0] = lok;
        for (const QString& dir : {skr, hlp, bak})
            QDir().mkpath(dir);
        for (const QString& dir : {lok, upd})
            TestOkruženje::ZapišiListu(dir + "Verzije.txt", {"A.exe;21;2;0;10;20;"});
        TestOkruženje::Zapiši(prog + "Verzije.txt", "stara lista");
        PostaviRegSvr32("{ printf '%s|' \"$@\"; cat \"$1\"; echo; } 2>/dev/null >>\"$0.txt\"");
        qputenv("PATH", QFile::encodeName(bin) + ':' + path);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, o.vanjski("postavke"));
    }
    ~Okolina() { qputenv("PATH", path); }
    void PostaviRegSvr32(const QString& tijelo) {
        TestOkruženje::Zapiši(bin + "RegSvr32.exe", ("#!/bin/sh\n" + tijelo + "\n").toUtf8());
        QFile::setPermissions(bin + "RegSvr32.exe", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void StaraINova(const QString& dir, const QString& ime) {
        TestOkruženje::Zapiši(dir + ime, "stara");
        TestOkruženje::Zapiši(upd + ime, "nova");
        this->ime = ime;
    }
    // As the plan would from the update directory's list; the installation run is the operation.
    void Planiraj(std::initializer_list<std::pair<int, QString>> redovi) {
        radnja = [](Okolina& o) { return UpdatePrograma(o.o.k, o.o.seta()); };
        o.stanje.NovaLista = TestOkruženje::Pročitaj(upd + "Verzije.txt");
        for (const auto& [red, ime] : redovi) {
            o.stanje.NoveVerzije.postavi(red, Ime, ime);
            o.stanje.NoveVerzije.postavi(red, TrebaInstalirati, qint16(1));
        }
    }
    // One program, its old and new version, and the plan to install it.
    void PlanirajProgram() {
        StaraINova(prog, "A.exe");
        Planiraj({{0, "A.exe"}});
    }
    // The journal a run cut short would leave: its plan (every file named but the list) and the
    // entries for each file, in this order.
    void Dnevnik(const QList<QPair<QString, QStringList>>& zapisi) {
        QStringList plan;
        for (const auto& [ime, oznake] : zapisi)
            if (ime != ImeListeVerzija) plan << ime;
        ZapočniDnevnik(datoteke, o.stanje, plan);
        for (const auto& [ime, oznake] : zapisi)
            for (const QString& oznaka : oznake)
                ZabilježiUDnevnik(datoteke, o.stanje, oznaka, ime);
    }
    // Writes of the journal fail from the given one on, counted from 0.
    void KvarDnevnika(int od) {
        datoteke.kvar = [n = 0, od](const char* op, const QString& p) mutable {
            return qstrcmp(op, "zapisi") == 0 && p.endsWith(ImeDnevnika) && n++ >= od;
        };
    }
    static QString Sadržaj(const QString& put) { return TestOkruženje::Pročitaj(put); }
    // Each file's content, or that it is not there.
    static QByteArray Otisak(const QString& put) {
        return QFile::exists(put) ? TestOkruženje::Pročitaj(put) : QByteArray("nema");
    }
    template <class... T> static QStringList Sadržaji(const T&... put) { return {QString(Otisak(put))...}; }
    UslugeZamjene Zamjena() { return {o.stanje, datoteke, *o.log, korisnik, o.status, procesi}; }
    QString LogTekst() const { return Sadržaj(o.log->Put()); } // the whole log, for entries that span lines
    static QString RegSvr32(const QString& put, const char* s) { return "RegSvr32.exe \"" + put + "\" " + s; }
    static QString Opis(int kod) { return GreškaIzSustava(kod).opis; }
    const QList<Upit>& Upiti() const { return korisnik.upiti; }
    QStringList Log() const { return o.LogPoruke(); }
    QString Popuni(const QString& t) const {
        return test::Popuni(t, {{"prog", prog},
                                {"upd", upd},
                                {"bak", bak},
                                {"skr", skr},
                                {"hlp", hlp},
                                {"bin", bin},
                                {"dnevnik", PutDnevnika(o.stanje)},
                                {"ENOENT", Opis(ENOENT)},
                                {"EEXIST", Opis(EEXIST)},
                                {"EIO", Opis(EIO)}});
    }

    TestOkruženje o;
    Korisnik korisnik;
    QtProcesi procesi;
    DatotekeSKvarom datoteke;
    const QString prog = o.dir(), upd = o.updateDir(), bak = o.stanje.BackupDirektorija;
    const QString skr = o.stanje.SkripteDirektorija, hlp = o.stanje.HelpDirektorija;
    const QString lok = SaSeparatorom(o.vanjski("Mreža")), bin = o.vanjski("bin") + Separator();
    const QByteArray path = qgetenv("PATH");
    // What a failure table runs: by default, the last file set up replaced as an installation run
    // does it, with a journal.
    QString ime;
    std::function<bool(Okolina&)> radnja = [](Okolina& o) {
        return ZapočniDnevnik(o.datoteke, o.o.stanje, {o.ime}).uspjeh() &&
               ZamijeniDatotekuPoVrsti(o.Zamjena(), o.ime);
    };
};

struct Instalacija : ::testing::Test, Okolina {};

TEST_F(Instalacija, EachKindIsReplacedInItsOwnDirectory) {
    // Programs and components in a directory with blanks; the program and the script are new.
    const QString dir = o.stanje.ProgramskaDirektorija = o.vanjski("Program Files/Morvela 21") + Separator();
    for (const QString ime : {"Plaće21.exe", "Izmjena 7.enc", "Glavna.EXE"})
        TestOkruženje::Zapiši(upd + ime, "nova");
    StaraINova(hlp, "Upute.chm");
    StaraINova(dir, "Izvoz.dll");
    const QStringList imena{"Plaće21.exe", "Izmjena 7.enc", "Upute.chm", "Izvoz.dll", "Glavna.EXE", "ab"};
    ASSERT_TRUE(ZapočniDnevnik(datoteke, o.stanje, imena).uspjeh());
    for (const QString& ime : imena)
        EXPECT_TRUE(ZamijeniDatotekuPoVrsti(Zamjena(), ime)) << ime.toStdString();

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
    // X is the whole path, one argument: the old component out and the new one in.
    EXPECT_EQ(Sadržaj(bin + "RegSvr32.exe.txt").replace(dir + "Izvoz.dll", "X"),
              "X|/u|/s|stara\nX|/s|nova\n");
}

TEST_F(Instalacija, RunThatFailsLeavesTheInstallationAsItWas) {
    // Five planned programs between rows that do not count; the third cannot be copied.
    for (const QString ime : {"P1.exe", "P4.exe", "P5.exe"})
        StaraINova(prog, ime);
    TestOkruženje::Zapiši(upd + "P2.exe", "nova"); // no old version
    TestOkruženje::Zapiši(prog + "P3.exe", "stara");
    QDir().mkpath(upd + "P3.exe");
    Planiraj({{2, "P1.exe"}, {3, ""}, {4, "P2.exe"}, {6, "P3.exe"}, {8, "P4.exe"}, {10, "P5.exe"}});
    o.stanje.NoveVerzije.postavi(5, Ime, QString("P9.exe")); // not planned
    EXPECT_FALSE(UpdatePrograma(o.k, o.seta()));
    const QString kopiranje = "Nastala je greška u kopiranju novog programa: P3.exe" + Detalj + Opis(ENOENT);
    EXPECT_TRUE(LogTekst().contains(" " + P + kopiranje + "\r\n"));
    EXPECT_EQ(korisnik.tekstovi(), QStringList{kopiranje + StaraVerzija});

    // The first rows restored, the new one without an old version removed, the rest never touched,
    // and the journal gone with what the run moved aside.
    EXPECT_EQ(Sadržaji(prog + "P1.exe", prog + "P2.exe", prog + "P3.exe", prog + "P4.exe", prog + "P5.exe",
                       upd + "P4.exe", prog + "Verzije.txt", PutDnevnika(o.stanje)),
              (QStringList{"stara", "nema", "stara", "stara", "stara", "nova", "stara lista", "nema"}));
    EXPECT_TRUE(QDir(bak).isEmpty());
    EXPECT_EQ(o.mreža.stanja,
              (Stanja{{"P1.exe", 5}, {"P1.exe", 3}, {"P2.exe", 5}, {"P2.exe", 3}, {"P3.exe", 5}}));
}

// The update button against a network location: a real archive, the real 7-Zip.
TEST_F(Instalacija, UpdateCommandFetchesAsksWritesTheReportSettingsInstallsAndCleansUp) {
    const QString registar = o.vanjski("postavke/Seagate Software/Crystal Reports Designer Component.conf");
    const QString kraj = "********************* KRAJ UPDATE", uspjeh = "Uspješno instalirani novi programi!";
    cmdDownloadAndUpdate_Click(o.k, o.seta()); // nothing planned: the fetch fails

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
    korisnik.odgovori[VrstaPitanja::PotvrdaInstalacije] = {Odgovor::Ne, Odgovor::Da};
    cmdDownloadAndUpdate_Click(o.k, o.seta());
    EXPECT_FALSE(QFile::exists(registar));

    cmdDownloadAndUpdate_Click(o.k, o.seta());
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
    EXPECT_EQ(korisnik.tekstovi().mid(upita), (QStringList{Pitanje, Pitanje, uspjeh}));
    EXPECT_TRUE(QFile::exists(registar));

    // On the developers' computer the installation is refused; the report settings are written all the same.
    QFile::remove(registar);
    TestOkruženje::Zapiši(prog + "A.exe", "stara");
    Planiraj({{0, "A.exe"}});
    o.stanje.NoveVerzije.postavi(0, VeličinaDownload, QString::number(QFile(lok + "A.7z").size()));
    o.stanje.NoveVerzije.postavi(0, StvarnaVeličina, QString("12"));
    o.imena.računalo = RazvojnoRačunalo;
    korisnik.upiti.clear();
    cmdDownloadAndUpdate_Click(o.k, o.seta());
    EXPECT_EQ(korisnik.tekstovi(),
              (QStringList{Pitanje, "Ime računala je MORVELA-RAZVOJ te nije moguće nastaviti sa radom!",
                           Neuspjeh}));
    EXPECT_EQ(korisnik.upiti.value(1).ikona, Ikona::Usklicnik);
    EXPECT_EQ(Log().mid(Log().size() - 2), (QStringList{"cmdDownloadAndUpdate_Click " + Neuspjeh, kraj}));
    EXPECT_EQ(Sadržaj(prog + "A.exe"), "stara");
    EXPECT_TRUE(QFile::exists(registar));
}

using Kvar = RedKvara<Okolina>;

// An installation run and whether the new list took its place.
bool ListaZamijenjena(Okolina& o) {
    bool zamijenjena = true;
    UpdatePrograma(o.o.k, o.o.seta(), &zamijenjena);
    return zamijenjena;
}
// A program moved aside by a run cut short, and a journal that cannot be read.
Kvar OštećenDnevnik(const char* naziv, const QByteArray& sadržaj) {
    return {
        naziv,
        [sadržaj](Okolina& o) {
            o.StaraINova(o.prog, "A.exe");
            QFile::rename(o.prog + "A.exe", o.bak + "A.exe");
            TestOkruženje::Zapiši(PutDnevnika(o.o.stanje), sadržaj);
            o.Planiraj({{0, "A.exe"}});
        },
        {{"Dnevnik prekinute instalacije {dnevnik} nije moguće pročitati (…). Ništa nije vraćeno ni "
          "obrisano: stare verzije datoteka nalaze se u direktoriji {bak}. Vratite ih ručno ili se "
          "obratite Mor-veli, a zatim obrišite dnevnik. Do tada nije moguće instalirati nove verzije.",
          Ikona::Kritična},
         {"Stare verzije prekinute instalacije nisu vraćene iz {bak}. Nije moguće nastaviti sa instalacijom!",
          Ikona::Kritična}},
        {"ObnoviPrekinutuInstalaciju - Dnevnik prekinute instalacije {dnevnik} nije moguće pročitati"},
        false,
        {{"{bak}A.exe", "stara"}, {"{prog}A.exe", "-"}, {"{dnevnik}", "="}}};
}

const QString
    Ponovo = "\r\nPreporuka je da se prestane koristiti navedeni program i da se pokuša još jednom. Jeste "
             "li izašli iz programa i želite li nastaviti sa instalacijom (Da - Yes) ili želite prekinuti "
             "sa instalacijom (Ne - No)?",
    O = "ObnoviPrekinutuInstalaciju - ",
    UUporabi = "premještanju programa: A.exeNajvjerojatnije se koristi. " + Detalj,
    Otvoreni =
        "Postoje pokrenuti programi:\r\nMorvela Plaće 21\r\nKnjiga ulaznih računa\r\n\r\nDa bi nastavili sa "
        "daljom instalacijom moraju se zatvoriti svi otvoreni programi!\r\nZa nastavak rada (i "
        "ponovnu provjeru) pritisnite Da (Yes), za prekid instalacije pritisnuti Ne (No) ?",
    Prekid =
        "Ukoliko prekinete sa ažuriranjem novih verzija, izgubiće se svi novi učitani programi, pa će se "
        "to morati ponoviti.\r\nŽelite li zaista prekinuti sa ažuriranjem programa sa novim verzijama?";

TEST(Kvarovi, EveryFailureOfTheInstallation) {
    const std::initializer_list<Kvar> redovi = {
        // A leftover of the same name in the backup blocks the move until the person clears it.
        {"component in use, moved on the second try",
         [](Okolina& o) {
             o.StaraINova(o.prog, "X.dll");
             TestOkruženje::Zapiši(o.bak + "X.dll", "prastara");
             o.korisnik.odgovori[VrstaPitanja::PonovniPokušajDatoteke] = {Odgovor::Da};
             o.korisnik.zatim = [&o] { QFile::remove(o.bak + "X.dll"); };
         },
         {{"Nastala je greška u premještanju komponente: X.dllNajvjerojatnije se koristi. " + Detalj +
               "{EEXIST}" + Ponovo,
           Ikona::Pitanje}},
         {P + "Ponovni backup komponente: X.dll"},
         true,
         {{"{prog}X.dll", "nova"}, {"{bak}X.dll", "stara"}}},
        {"new component cannot be copied",
         [](Okolina& o) {
             o.StaraINova(o.prog, "X.dll");
             QFile::remove(o.upd + "X.dll");
         },
         {{"Nastala je greška u kopiranju nove komponente: X.dll" + Detalj + "{ENOENT}" + StaraVerzija,
           Ikona::Kritična}},
         {P + "Nastala je greška u kopiranju nove komponente: X.dll", V + "Kraj"},
         false,
         {{"{prog}X.dll", "stara"}}},
        // The registration program goes away once it has unregistered the old component.
        {"registration cannot start, nor in the rollback",
         [](Okolina& o) {
             o.StaraINova(o.prog, "X.dll");
             o.PostaviRegSvr32("rm -f \"$0\"");
         },
         {{"Desila se greška u registraciji nove komponente: X.dll\r\nRegistracija nove komponente: X.dll" +
               StaraVerzija,
           Ikona::Kritična},
          {"Desila se greška u deregistraciji komponente: X.dll\r\nDeregistracija komponente: X.dll" +
               StaraVerzija,
           Ikona::Kritična},
          {"…X.dll…\r\nRegistracija stare komponente: X.dll" + StaraVerzija, Ikona::Kritična}},
         {"RegSvr32.exe \"{prog}X.dll\" /s Neuspješno", V + "Kopiranje nazad komponente: X.dll"},
         false,
         {{"{prog}X.dll", "stara"}}},
        // A rollback that cannot finish keeps the journal and the backup, and says what waits there.
        {"script cannot be put back",
         [](Okolina& o) {
             TestOkruženje::Zapiši(o.bak + "Stara.enc", "stara");
             QDir().mkpath(o.skr + "Stara.enc/x");
             o.Dnevnik({{"Stara.enc", {DnevnikBackup, DnevnikSpremljena}}});
             o.radnja = [](Okolina& o) { return PokušajVratitiSveNaPočetak(o.Zamjena()); };
         },
         {{"Nastala je greška u kopiranju nazad datoteke: Stara.enc" + Detalj +
               "…\r\nProgram ne može razriješiti problem te ćete morati reinstalirati program!",
           Ikona::Kritična},
          {"Stare verzije ovih datoteka nisu vraćene i čekaju u direktoriji {bak}:\r\nStara.enc\r\nDnevnik "
           "instalacije je sačuvan i program će to pokušati ponovno kod sljedećeg pokretanja. Ukoliko ne "
           "uspije najvjerojatnije ćete morati reinstalirati program!",
           Ikona::Kritična}},
         {V + "Nastala je greška u kopiranju nazad datoteke: Stara.enc",
          V + "Stare verzije ovih datoteka nisu vraćene i čekaju u direktoriji {bak}:"},
         false,
         {{"{bak}Stara.enc", "stara"}, {"{dnevnik}", "="}}},
        // The person closed the program by deleting it: the second move finds nothing, which is a
        // failure there; the rollback brings back what the backup holds.
        {"first move fails with 58, the second with 53",
         [](Okolina& o) {
             o.StaraINova(o.prog, "A.exe");
             TestOkruženje::Zapiši(o.bak + "A.exe", "prastara");
             o.korisnik.odgovori[VrstaPitanja::PonovniPokušajDatoteke] = {Odgovor::Da};
             o.korisnik.zatim = [&o] { QFile::remove(o.prog + "A.exe"); };
         },
         {{"Nastala je greška u " + UUporabi + "{EEXIST}" + Ponovo, Ikona::Pitanje},
          {"Nastala je greška u ponovnom " + UUporabi + "{ENOENT}" + StaraVerzija, Ikona::Kritična}},
         {P + "Ponovni backup programa: A.exe"},
         false,
         {{"{prog}A.exe", "prastara"}}},
        // Stale files in the backup directory were not moved there by this run: they stay there.
        {"program in use, given up, over stale backups",
         [](Okolina& o) {
             o.StaraINova(o.prog, "A.exe");
             TestOkruženje::Zapiši(o.bak + "A.exe", "prastara");
             TestOkruženje::Zapiši(o.bak + "Verzije.txt", "zaostala lista");
             o.korisnik.odgovori[VrstaPitanja::PonovniPokušajDatoteke] = {Odgovor::Ne};
         },
         {{"Nastala je greška u " + UUporabi + "{EEXIST}" + Ponovo, Ikona::Pitanje}},
         {V + "početak. U direktoriji Backup fajlova:0", V + "Kraj"},
         false,
         {{"{upd}A.exe", "nova"}, {"{prog}A.exe", "stara"}, {"{prog}Verzije.txt", "stara lista"}}},
        // Help files and scripts get no second try.
        {"help file in the way",
         [](Okolina& o) {
             o.StaraINova(o.hlp, "U.chm");
             TestOkruženje::Zapiši(o.bak + "U.chm", "prastara");
         },
         {{"Nastala je greška u premještanju datoteke: U.chm" + Detalj + "{EEXIST}" + StaraVerzija,
           Ikona::Kritična}},
         {P + "Nastala je greška u premještanju datoteke: U.chm"},
         false,
         {{"{hlp}U.chm", "stara"}}},
        {"unregistration cannot start",
         [](Okolina& o) {
             o.StaraINova(o.prog, "X.dll");
             QFile::remove(o.bin + "RegSvr32.exe");
         },
         {{"Desila se greška u deregistraciji komponente: X.dll\r\nDeregistracija komponente: X.dll" +
               StaraVerzija,
           Ikona::Kritična}},
         {"RegSvr32.exe \"{prog}X.dll\" /u /s Neuspješno", V + "početak. U direktoriji Backup fajlova:0"},
         false,
         {{"{prog}X.dll", "stara"}}},
        // The journal cannot be begun: nothing is touched.
        {"journal cannot be begun",
         [](Okolina& o) {
             o.PlanirajProgram();
             o.KvarDnevnika(0);
         },
         {{"Nastala je greška u zapisu dnevnika instalacije {dnevnik}\r\nGreška: {EIO}", Ikona::Usklicnik}},
         {P + "Nastala je greška u zapisu dnevnika instalacije {dnevnik}"},
         false,
         {{"{prog}A.exe", "stara"}, {"{dnevnik}", "-"}}},
        // The journal cannot note the file about to be moved aside: the run stops before the move.
        {"journal entry cannot be written",
         [](Okolina& o) {
             o.PlanirajProgram();
             o.KvarDnevnika(1);
         },
         {{"Nastala je greška u zapisu dnevnika instalacije za datoteku: A.exe" + Detalj + "{EIO}" +
               StaraVerzija,
           Ikona::Kritična}},
         {P + "Nastala je greška u zapisu dnevnika instalacije za datoteku: A.exe", V + "Kraj"},
         false,
         {{"{prog}A.exe", "stara"}, {"{dnevnik}", "-"}}},
        // Nor can it note the list: the list stays, and the log says why.
        {"journal cannot note the list",
         [](Okolina& o) {
             TestOkruženje::ZapišiListu(o.prog + "Verzije.txt", {"A.exe;21;1;0;10;20;"});
             o.KvarDnevnika(1);
             o.radnja = ListaZamijenjena;
         },
         {},
         {P + "Nastala je greška u zapisu dnevnika instalacije {dnevnik} {EIO}", P + "Kopiranje Verzije.txt",
          P + ListaNijeZamijenjena},
         false,
         {{"{prog}Verzije.txt", "A.exe;21;1;0;10;20;\r\n"}}},
        // Nothing planned, both lists out of reach and the backup directory stuck: all only logged.
        {"empty plan, list swap and cleanup failing",
         [](Okolina& o) {
             QFile::remove(o.prog + "Verzije.txt");
             QFile::remove(o.upd + "Verzije.txt");
             o.datoteke.kvar = [b = o.bak.chopped(1)](const char* op, const QString& p) {
                 return qstrcmp(op, "brisiDir") == 0 && p.startsWith(b);
             };
             o.radnja = ListaZamijenjena;
         },
         {{"Ne postoji datoteka {prog}Verzije.txt…", Ikona::Usklicnik}},
         {P + "Greška u premještanju u backup Verzije.txt {ENOENT}",
          P + "Greška u kopiranju Verzije.txt Nema liste po kojoj je napravljen plan",
          P + ListaNijeZamijenjena, P + "Greška u brisanju direktorije - {bak}", P + "Kraj"},
         false,
         {{"{prog}Verzije.txt", "-"}}},
        // Every file new, the new list not in place: still the Parts' success, but said in the log.
        {"new list cannot take its place",
         [](Okolina& o) {
             TestOkruženje::ZapišiListu(o.prog + "Verzije.txt", {"A.exe;21;1;0;10;20;"});
             o.PlanirajProgram();
             o.datoteke.kvar = [p = o.prog + "Verzije.txt"](const char* op, const QString& put) {
                 return qstrcmp(op, "zapisi") == 0 && put == p;
             };
             o.radnja = ListaZamijenjena;
         },
         {},
         {P + "Greška u kopiranju Verzije.txt {EIO}", P + ListaNijeZamijenjena, P + "Kraj"},
         false,
         {{"{prog}A.exe", "nova"}, {"{prog}Verzije.txt", "A.exe;21;1;0;10;20;\r\n"}, {"{dnevnik}", "-"}}},
        // The suite's programs stay open: check again; give up? no; give up? yes.
        {"suite programs stay open",
         [](Okolina& o) {
             o.PlanirajProgram();
             o.korisnik.otvoreni = {"Morvela URA 21", "Morvela Plaće 21"};
             o.korisnik.odgovori = {{VrstaPitanja::ZatvaranjePrograma, {Odgovor::Da, Odgovor::Ne}},
                                    {VrstaPitanja::PrekidAžuriranja, {Odgovor::Ne, Odgovor::Da}}};
         },
         {{Otvoreni, Ikona::Pitanje},
          {Otvoreni, Ikona::Pitanje},
          {Prekid, Ikona::Pitanje},
          {Otvoreni, Ikona::Pitanje},
          {Prekid, Ikona::Pitanje}},
         {"UpdatePrograma- Postoje startovani programi Morvela Plaće 21",
          "UpdatePrograma- Korisnik odustaje"},
         false,
         {{"{prog}A.exe", "stara"}, {"{upd}A.exe", "nova"}}},
        // It is the only fault that ends the whole program.
        {"backup directory cannot be created",
         [](Okolina& o) {
             o.PlanirajProgram();
             QDir(o.bak).removeRecursively();
             TestOkruženje::Zapiši(o.bak.chopped(1), "a file in its place");
         },
         {{"Nastala je greška u kreiranju UpdateBackup direktorije! Program za ažuriranje novih verzija mora "
           "prestati sa radom. Vjerojatno nemate administratorska prava!\r\nGreška: {EEXIST}",
           Ikona::Usklicnik}},
         {"UpdatePrograma- Nastala je greška u kreiranju UpdateBackup direktorije!"},
         false,
         {{"{prog}A.exe", "stara"}},
         [](const Okolina& o) { EXPECT_EQ(o.o.završetaka, 1); }},
        OštećenDnevnik("damaged journal: garbage", "\x01\x02 smeće ;;\r\nBACKUP;A.exe\r\n"),
        OštećenDnevnik("damaged journal: cut off", "DNEVNIK;1\r\nPLAN;A.exe\r\nBACKUP;A.e"),
        OštećenDnevnik("damaged journal: empty", ""),
        OštećenDnevnik("damaged journal: UTF-16", QByteArray("D\0N\0E\0V\0N\0I\0K\0;\0001\0\r\0\n\0", 22)),
        // A journal left by a run that stopped: what it moved aside goes back (a component unregistered
        // first and registered again), what it added goes away, what it only meant to move stays, a
        // half-written temporary goes; the person hears it once.
        {"recovery of a run cut short",
         [](Okolina& o) {
             for (const QString ime : {"A.exe", "Izvoz.dll"}) {
                 TestOkruženje::Zapiši(o.prog + ime, "nova");
                 TestOkruženje::Zapiši(o.bak + ime, "stara");
             }
             TestOkruženje::Zapiši(o.skr + "N.enc", "nova");
             TestOkruženje::Zapiši(o.prog + "B.exe", "stara");
             TestOkruženje::Zapiši(o.prog + "Verzije.txt", "nova lista");
             TestOkruženje::Zapiši(o.bak + "Verzije.txt", "stara lista");
             TestOkruženje::Zapiši(o.prog + "A.exe" + NastavakPrivremene, "pola");
             o.Dnevnik({{"A.exe", {DnevnikBackup, DnevnikSpremljena, DnevnikGotovo}},
                        {"Izvoz.dll", {DnevnikBackup, DnevnikBackup, DnevnikSpremljena}},
                        {"N.enc", {DnevnikBackup, DnevnikNova}},
                        {"B.exe", {DnevnikBackup}},
                        {"Verzije.txt", {DnevnikBackup, DnevnikSpremljena}}});
             o.radnja = [](Okolina& o) { return ObnoviPrekinutuInstalaciju(o.o.k), true; };
         },
         {{"Prethodna instalacija novih verzija je prekinuta prije kraja.\r\nVraćene su stare verzije "
           "datoteka:\r\nA.exe\r\nIzvoz.dll\r\nVerzije.txt\r\nUklonjene su nove datoteke koje prije nisu "
           "postojale:\r\nN.enc\r\nProgrami su u stanju prije te instalacije.",
           Ikona::Usklicnik}},
         {O + "Pronađen je dnevnik prekinute instalacije: {dnevnik}", O + "Vraćanje stare datoteke: A.exe",
          O + "Vraćanje stare datoteke: Izvoz.dll", O + "Brisanje nove datoteke: N.enc",
          O + "Nije premještena u backup, ostaje kakva jest: B.exe",
          O + "Vraćanje stare datoteke: Verzije.txt", O + "Dnevnik prekinute instalacije je obrisan",
          O + "Kraj"},
         true,
         {{"{prog}A.exe", "stara"},
          {"{prog}Izvoz.dll", "stara"},
          {"{prog}B.exe", "stara"},
          {"{prog}Verzije.txt", "stara lista"},
          {"{skr}N.enc", "-"},
          {"{prog}A.exe" + NastavakPrivremene, "-"},
          {"{dnevnik}", "-"},
          {"{bin}RegSvr32.exe.txt", "{prog}Izvoz.dll|/u|/s|nova\n{prog}Izvoz.dll|/s|stara\n"}}},
        // A file that cannot go back keeps the journal, and with it the backup directory.
        {"recovery of a file that cannot go back",
         [](Okolina& o) {
             TestOkruženje::Zapiši(o.bak + "C.exe", "stara");
             QDir().mkpath(o.prog + "C.exe");
             o.Dnevnik({{"C.exe", {DnevnikBackup, DnevnikSpremljena}}});
             o.radnja = [](Okolina& o) { return ObnoviPrekinutuInstalaciju(o.o.k), true; };
         },
         {{"…nisu vraćene i čekaju u direktoriji {bak}:\r\nC.exe ({EEXIST})…", Ikona::Kritična}},
         {},
         true,
         {{"{bak}C.exe", "stara"}, {"{dnevnik}", "="}}},
        // A linked backup directory is refused: nothing comes back from where it points.
        {"backup directory is a link",
         [](Okolina& o) {
             TestOkruženje::Zapiši(o.prog + "A.exe", "stara");
             TestOkruženje::Zapiši(o.o.vanjski("strana/A.exe"), "strana");
             QDir(o.bak).removeRecursively();
             QFile::link(o.o.vanjski("strana"), o.bak.chopped(1));
             o.Dnevnik({{"A.exe", {DnevnikBackup, DnevnikSpremljena}}});
             o.radnja = [](Okolina& o) { return ObnoviPrekinutuInstalaciju(o.o.k), true; };
         },
         {{"Direktorija {bak} je simbolička veza na drugo mjesto.…", Ikona::Kritična}},
         {"ObnoviPrekinutuInstalaciju - Direktorija {bak} je simbolička veza"},
         true,
         {{"{prog}A.exe", "stara"}, {"{dnevnik}", "="}},
         [](const Okolina& o) { EXPECT_EQ(Okolina::Sadržaj(o.o.vanjski("strana/A.exe")), "strana"); }},
    };
    ProvjeriKvarove<Okolina>(redovi, [](Okolina& o) { return o.radnja(o); });
}

TEST(Prozori, SuiteProgramsAndWellKnownApplicationsOnAPrivateXServer) {
    EXPECT_FALSE(SustavniProzori(":65000").NađiProzor({}, "Morvela Plaće 21", false));

    PrivatniZaslon zaslon;
    if (!zaslon.radi()) GTEST_SKIP() << "Xvfb is not available";
    SustavniProzori prozori(zaslon.ime());
    EXPECT_EQ(PokrenutiProgrami(prozori), "");

    zaslon.Otvori("Morvela URA 21");
    zaslon.Otvori("Morvela Plaće 21");
    // Near misses and a hidden window do not count.
    zaslon.Otvori("morvela saldakonti 21");
    zaslon.Otvori("Morvela Blagajna 21 - izvještaji");
    xcb_window_t minimiziran = zaslon.Otvori("Morvela Kamate 21", {}, false);
    zaslon.Otvori("Knjiga1 - Excel", QByteArray("excel\0XLMain\0", 13));
    zaslon.Otvori("Word");
    // Display names, in the table's order.
    EXPECT_EQ(PokrenutiProgrami(prozori), "Morvela Plaće 21\r\nKnjiga ulaznih računa\r\n");
    // Keys by class in any case, other names by whole title: "word" is a key, so the window titled
    // Word is not it, and a class name is no title.
    EXPECT_EQ(
        (QList<bool>{AppJeStartana(prozori, "ExCeL", false), AppJeStartana(prozori, "Knjiga1 - Excel", true),
                     AppJeStartana(prozori, "Word", false), AppJeStartana(prozori, "XLMain", false)}),
        (QList<bool>{true, true, false, false}));

    // A window manager lists minimised windows too: that program still runs.
    zaslon.PostaviKlijente(minimiziran);
    EXPECT_EQ(PokrenutiProgrami(prozori), "Morvela Kamate 21\r\n");
}

// A suite with five installed files and their six-file update (four programs and components, a
// help file, a script whose directory does not exist yet) and the list, installed by a child
// process killed at every changing file operation in turn, then the next start's recovery. Where
// the suite lives: with the help directory on a disk of its own, moving the old help file aside is
// a copy; on a program disk too full for the new files, the run ends in its rollback, and the
// rollback and the recovery work on that full disk.
TEST_F(Instalacija, KilledAnywhereTheInstallationComesBackWholeOldOrWholeNew) {
    const QStringList imena = {"Glavna21.exe", "Plaće21.exe", "Izvoz21.dll",
                               "Kasa21.exe",   "Upute21.chm", "Izmjena21.enc"};
    struct Raspored {
        const char* naziv;
        bool pomoćDrugdje;
        int ostaviKb; // free space left on a small program disk, 0 for a roomy one
    };
    const Raspored rasporedi[] = {
        {"one disk", false, 0}, {"help elsewhere", true, 0}, {"full disk", true, 28}};
    // The operations of a whole run on one disk and with the help directory elsewhere.
    QStringList cijeli;
    for (const Raspored& r : rasporedi) {
        struct Točka {
            int n;            // the changing file operation, counted from 1; 0 never kills
            const char* kako; // "prije": just before it; "usred": halfway through writing a file
        };
        QList<Točka> točke = {{0, "prije"}};
        // One letter per changing file operation of a whole run: K a copy, Z bytes written (the journal).
        QString operacije;
        for (qsizetype i = 0; i < točke.size(); ++i) {
            const Točka točka = točke[i];
            TestOkruženje t;
            std::optional<MaliDisk> programi, windows;
            // On tmpfs, where a flush costs nothing: the sweep runs the whole installation many times.
            programi.emplace(t.dir(), r.ostaviKb ? 256 : 4096);
            if (!programi->montiran()) GTEST_SKIP() << qPrintable(programi->razlog);
            QDir().mkpath(t.updateDir());
            const QString winDir = r.pomoćDrugdje ? t.vanjski("Windows") : QString();
            if (r.pomoćDrugdje) {
                windows.emplace(winDir, 1024);
                if (!windows->montiran()) GTEST_SKIP() << qPrintable(windows->razlog);
                t.stanje.PostaviDirektorije(t.dir(), winDir);
            }
            const StanjeRada& s = t.stanje;
            QStringList stara, nova;
            QList<QByteArray> stari, novi;
            for (const QString& ime : imena) {
                const QString dir = DirektorijaZaVrstu(s, VrstaDatoteke(ime));
                if (!ime.endsWith(".enc")) {
                    TestOkruženje::Zapiši(dir + ime, "stara " + ime.toUtf8());
                    stara << ime + ";21;1;0;10;20;";
                }
                TestOkruženje::Zapiši(s.UpdateDirektorija + ime, QByteArray(3000, 'n') + ime.toUtf8());
                nova << ime + ";21;2;0;10;3020;";
                stari << Otisak(dir + ime);
                novi << Otisak(s.UpdateDirektorija + ime);
            }
            TestOkruženje::ZapišiListu(s.ProgramskaDirektorija + ImeListeVerzija, stara);
            TestOkruženje::ZapišiListu(s.UpdateDirektorija + ImeListeVerzija, nova);
            stari << Otisak(s.ProgramskaDirektorija + ImeListeVerzija);
            novi << Otisak(s.UpdateDirektorija + ImeListeVerzija);
            QFile::remove(bin + "RegSvr32.exe.txt");
            if (r.ostaviKb) programi->Napuni(r.ostaviKb);

            QProcess run;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("WinDir", winDir);
            run.setProcessEnvironment(env);
            run.start(QStringLiteral(MORVELA_PREKID_INSTALACIJE),
                      {t.dir(), QString::number(točka.n), točka.kako});
            ASSERT_TRUE(run.waitForFinished(60000));
            const QString gdje = QStringLiteral("%1, %2 %3: ").arg(r.naziv, točka.kako).arg(točka.n);
            const bool ubijen = run.exitStatus() == QProcess::CrashExit;
            ASSERT_EQ(ubijen, točka.n > 0) << qPrintable(gdje + run.readAllStandardError());
            if (točka.n == 0) {
                // The whole run tells which operations there are to cut; on the full disk it fails.
                ASSERT_EQ(run.exitCode(), r.ostaviKb ? 6 : 0)
                    << qPrintable(gdje + run.readAllStandardError());
                operacije = QString::fromLatin1(run.readAllStandardOutput()).trimmed();
                for (int n = 1; n <= operacije.size(); ++n) {
                    točke.append({n, "prije"});
                    if (operacije[n - 1] != QLatin1Char('-')) točke.append({n, "usred"});
                }
            }

            // The next start's recovery.
            t.k.procesi = &procesi;
            t.k.prozori = &korisnik;
            ObnoviPrekinutuInstalaciju(t.k);
            QList<QByteArray> sada;
            for (const QString& ime : imena)
                sada << Otisak(DirektorijaZaVrstu(s, VrstaDatoteke(ime)) + ime);
            sada << Otisak(s.ProgramskaDirektorija + ImeListeVerzija);
            const bool novo = sada == novi;
            EXPECT_TRUE(novo || sada == stari) << qPrintable(gdje + t.LogPoruke().join('\n'));
            EXPECT_TRUE(novo || ubijen || r.ostaviKb) << qPrintable(gdje);
            EXPECT_FALSE(novo && r.ostaviKb) << qPrintable(gdje);
            EXPECT_FALSE(QFile::exists(PutDnevnika(s))) << qPrintable(gdje);
            // At most the recovery's one box, besides the log's own on a full disk.
            EXPECT_LE(
                t.poruke.tekstovi().filter(QRegularExpression("^(?!Desila se greška: u upisu u LOG)")).size(),
                1)
                << qPrintable(gdje + t.poruke.tekstovi().join('\n'));
            for (const QString& dir : {s.ProgramskaDirektorija, s.UpdateDirektorija, s.SkripteDirektorija,
                                       s.HelpDirektorija, s.BackupDirektorija, DirektorijaDnevnika(s)})
                EXPECT_TRUE(QDir(dir).entryList({"*" + NastavakPrivremene}, QDir::Files).isEmpty())
                    << qPrintable(gdje + dir);
            // The component last registered is the one in place.
            const QStringList pozivi =
                QString(Sadržaj(bin + "RegSvr32.exe.txt")).split('\n', Qt::SkipEmptyParts);
            if (!pozivi.isEmpty()) {
                EXPECT_EQ(pozivi.last(), s.ProgramskaDirektorija + "Izvoz21.dll|/s|" +
                                             Sadržaj(s.ProgramskaDirektorija + "Izvoz21.dll"))
                    << qPrintable(gdje);
            }
        }
        if (!r.ostaviKb) cijeli << operacije;
    }
    // Every file moved and copied, the list swapped, the clean-up after it; the journal begun and
    // written before each file is moved aside or newly added and after each has gone aside, and the
    // planned list written in place.
    ASSERT_EQ(cijeli.size(), 2);
    EXPECT_GE(cijeli[0].count(QLatin1Char('K')), 7) << qPrintable(cijeli[0]);
    EXPECT_GE(cijeli[0].count(QLatin1Char('Z')), 2 + 2 * imena.size()) << qPrintable(cijeli[0]);
    // Across disks the help file goes aside by a copy, killed anywhere like the rest.
    EXPECT_EQ(cijeli[1].count(QLatin1Char('K')), cijeli[0].count(QLatin1Char('K')) + 1)
        << qPrintable(cijeli[1]);
}

// A full disk under the program directory: the new program and the new list
// do not fit, and the old ones stay whole, byte for byte.
TEST_F(Instalacija, FullDiskLeavesTheOldProgramAndListWhole) {
    MaliDisk disk(o.vanjski("disk"), 128);
    if (!disk.montiran()) GTEST_SKIP() << qPrintable(disk.razlog);
    StanjeRada& s = o.stanje;
    const QString p = s.ProgramskaDirektorija = o.vanjski("disk") + Separator();
    s.UpdateDirektorija = p + "Update" + Separator();
    s.BackupDirektorija = p + "UpdateBackup" + Separator();
    const QByteArray stariProgram(3000, 's'), staraLista = "A.exe;21;1;0;10;20;\r\n";
    TestOkruženje::Zapiši(p + "A.exe", stariProgram);
    TestOkruženje::Zapiši(p + ImeListeVerzija, staraLista);
    TestOkruženje::Zapiši(s.UpdateDirektorija + "A.exe", QByteArray(40000, 'n'));
    TestOkruženje::Zapiši(s.UpdateDirektorija + ImeListeVerzija,
                          QByteArray(40000, ' ') + "\r\n" + staraLista);
    disk.Napuni(16);

    Planiraj({{0, "A.exe"}});
    EXPECT_FALSE(UpdatePrograma(o.k, o.seta()));
    EXPECT_EQ(Sadržaj(p + "A.exe"), stariProgram);
    const QString pun = GreškaIzSustava(ENOSPC).opis;
    EXPECT_EQ(korisnik.tekstovi().value(0).section("\r\n", 0, 1),
              "Nastala je greška u kopiranju novog programa: A.exe" + Detalj + pun);

    // Nothing planned: only the list is swapped, and it does not fit either.
    o.stanje.NoveVerzije = Matrica();
    o.stanje.NovaLista = TestOkruženje::Pročitaj(s.UpdateDirektorija + ImeListeVerzija);
    EXPECT_TRUE(UpdatePrograma(o.k, o.seta()));
    EXPECT_EQ(Sadržaj(p + ImeListeVerzija), staraLista);
    EXPECT_TRUE(Log().contains(P + "Greška u kopiranju Verzije.txt " + pun)) << qPrintable(Log().join("\n"));
    EXPECT_TRUE(QDir(p).entryList({"*" + NastavakPrivremene}).isEmpty());
}

} // namespace
