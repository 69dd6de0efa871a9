#include "Kvarovi.h"
#include "Okruzenje.h"
#include "install/PokusajVratitiSveNaPocetak.h"
#include "install/UpdateCommand.h"
#include "install/UpdatePrograma.h"
#include "install/ZamijeniDatotekuPoVrsti.h"
#include "platform/Procesi.h"
#include "versions/PravilaVerzija.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>

#include <cerrno>

using namespace morvela;
using namespace morvela::test;

namespace {

const QString Pitanje =
                  "Svi novi programi su spremni za ažuriranje.\r\nDa bi instalirali nove programe morate "
                  "zatvoriti sve otvorene Morvela programe!\r\nŽelite li izvršiti ažuriranje/instaliranje "
                  "novih programa?",
              Detalj = "\r\nPoruka o grešci je: ",
              StaraVerzija = "\r\nProgram ne može razriješiti problem te će pokušati vratiti staru verziju "
                             "programa. Ukoliko ne uspije najvjerojatnije ćete morati reinstalirati program!";

// The person answers Yes and then does what the row says; no program of the suite is open.
struct Korisnik : LažnePoruke, IProzori {
    Odgovor Pokaži(const QString& tekst, Ikona ikona, Gumbi gumbi, const QString& naslov) override {
        const Odgovor odgovor = LažnePoruke::Pokaži(tekst, ikona, gumbi, naslov);
        if (zatim) zatim();
        return odgovor;
    }
    bool NađiProzor(const QString&, const QString&, bool) override { return false; }
    std::function<void()> zatim;
};

// A suite updated from a network location that offers one help file (copied, not unpacked), with a
// RegSvr32.exe first on PATH that starts until a row breaks it.
struct Okolina {
    Okolina() {
        o.k.poruke = &korisnik;
        o.k.prozori = &korisnik;
        o.k.procesi = &procesi;
        o.k.datoteke = &datoteke;
        o.izvor.odabrana = MrežnaLokacija;
        o.izvor.lokacije[0] = lok;
        for (const QString& dir : {skr, hlp, bak})
            QDir().mkpath(dir);
        for (const QString& dir : {lok, upd})
            TestOkruženje::ZapišiListu(dir + "Verzije.txt", {"U.chm;21;2;0;4;4;"});
        TestOkruženje::Zapiši(prog + "Verzije.txt", "stara lista");
        TestOkruženje::Zapiši(lok + "U.7z", "help");
        RegSvr32("exit 0");
        qputenv("PATH", QFile::encodeName(bin) + ':' + path);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, o.vanjski("postavke"));
    }
    ~Okolina() { qputenv("PATH", path); }
    void RegSvr32(const QString& tijelo) {
        TestOkruženje::Zapiši(bin + "RegSvr32.exe", ("#!/bin/sh\n" + tijelo + "\n").toUtf8());
        QFile::setPermissions(bin + "RegSvr32.exe", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void StaraINova(const QString& dir, const QString& ime) {
        TestOkruženje::Zapiši(dir + ime, "stara");
        TestOkruženje::Zapiši(upd + ime, "nova");
    }
    void PlanirajPomoć() {
        o.stanje.NoveVerzije.postavi(0, Ime, QString("U.chm"));
        o.stanje.NoveVerzije.postavi(0, VeličinaDownload, QString("4"));
        o.stanje.NoveVerzije.postavi(0, StvarnaVeličina, QString("4"));
        o.stanje.NoveVerzije.postavi(0, TrebaInstalirati, qint16(1));
    }
    static QString Opis(int kod) { return GreškaIzSustava(kod).opis; }

    TestOkruženje o;
    Korisnik korisnik;
    QtProcesi procesi;
    DatotekeSKvarom datoteke;
    const QString prog = o.dir(), upd = o.updateDir(), bak = o.stanje.BackupDirektorija;
    const QString skr = o.stanje.SkripteDirektorija, hlp = o.stanje.HelpDirektorija;
    const QString lok = SaSeparatorom(o.vanjski("Mreža")), bin = o.vanjski("bin") + Separator();
    const QByteArray path = qgetenv("PATH");
    PosluziteljDirektorija server{lok};
};

// One fault: how it is set up, the operation, the boxes, the starts of log lines that
// must be there, the result, the files afterwards ("-": must not exist), and any further check.
// Texts name directories {prog}, {upd}, {bak}, {skr}, {hlp} and error descriptions {ENOENT}, {EEXIST}.
struct Kvar {
    const char* naziv;
    std::function<void(Okolina&)> postavi;
    std::function<bool(Okolina&)> radnja;
    Okviri okviri;
    QStringList log;
    bool rezultat;
    QMap<QString, QString> naDisku;
    std::function<void(const Okolina&)> još = [](const Okolina&) {};
};

bool Zamijeni(Okolina& o, const QString& ime) {
    return ZamijeniDatotekuPoVrsti(o.o.k, ime);
}
bool Ažuriraj(Okolina& o) {
    cmdDownloadAndUpdate_Click(o.o.k);
    return true;
}

const QString
    P = "UpdatePrograma - ",
    V = "PokušajVratitiSveNaPočetak - ",
    Ponovo = "\r\nPreporuka je da se prestane koristiti navedeni program i da se pokuša još jednom. Jeste "
             "li izašli iz programa i želite li nastaviti sa instalacijom (Da - Yes) ili želite prekinuti "
             "sa instalacijom (Ne - No)?",
    Neuspjeh = "Programi nisu uspješno instalirani. Kontaktirajte Mor-vela i prenesite im ove informacije!",
    UUporabi = "premještanju programa: A.exeNajvjerojatnije se koristi. " + Detalj;

TEST(Kvarovi, EveryFailureOfTheInstallation) {
    const Kvar redovi[] = {
        // A leftover of the same name in the backup blocks the move until the person clears it.
        {"component in use, moved on the second try",
         [](Okolina& o) {
             o.StaraINova(o.prog, "X.dll");
             TestOkruženje::Zapiši(o.bak + "X.dll", "prastara");
             o.korisnik.zatim = [&o] { QFile::remove(o.bak + "X.dll"); };
         },
         [](Okolina& o) { return Zamijeni(o, "X.dll"); },
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
         [](Okolina& o) { return Zamijeni(o, "X.dll"); },
         {{"Nastala je greška u kopiranju nove komponente: X.dll" + Detalj + "{ENOENT}" + StaraVerzija,
           Ikona::Kritična}},
         {P + "Nastala je greška u kopiranju nove komponente: X.dll", V + "Kraj"},
         false,
         {{"{prog}X.dll", "stara"}}},
        // The registration program goes away once it has unregistered the old component.
        {"registration cannot start, nor in the rollback",
         [](Okolina& o) {
             o.StaraINova(o.prog, "X.dll");
             o.RegSvr32("rm -f \"$0\"");
         },
         [](Okolina& o) { return Zamijeni(o, "X.dll"); },
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
        {"script cannot be copied back",
         [](Okolina& o) {
             TestOkruženje::Zapiši(o.bak + "Stara.enc", "stara");
             QDir().mkpath(o.skr + "Stara.enc/x");
         },
         [](Okolina& o) { return PokušajVratitiSveNaPočetak(o.o.k), true; },
         {{"Nastala je greška u kopiranju nazad datoteke: Stara.enc" + Detalj +
               "…\r\nProgram ne može razriješiti problem te ćete morati reinstalirati program!",
           Ikona::Kritična}},
         {V + "Nastala je greška u kopiranju nazad datoteke: Stara.enc"},
         true,
         {{"{bak}Stara.enc", "stara"}}},
        // The person closed the program by deleting it: the second move finds nothing, which is a
        // failure there; the rollback brings back what the backup holds.
        {"first move fails with 58, the second with 53",
         [](Okolina& o) {
             o.StaraINova(o.prog, "A.exe");
             TestOkruženje::Zapiši(o.bak + "A.exe", "prastara");
             o.korisnik.zatim = [&o] { QFile::remove(o.prog + "A.exe"); };
         },
         [](Okolina& o) { return Zamijeni(o, "A.exe"); },
         {{"Nastala je greška u " + UUporabi + "{EEXIST}" + Ponovo, Ikona::Pitanje},
          {"Nastala je greška u ponovnom " + UUporabi + "{ENOENT}" + StaraVerzija, Ikona::Kritična}},
         {P + "Ponovni backup programa: A.exe"},
         false,
         {{"{prog}A.exe", "prastara"}}},
        {"program in use, given up",
         [](Okolina& o) {
             o.StaraINova(o.prog, "A.exe");
             TestOkruženje::Zapiši(o.bak + "A.exe", "prastara");
             o.korisnik.odgovori = {Odgovor::Ne};
         },
         [](Okolina& o) { return Zamijeni(o, "A.exe"); },
         {{"Nastala je greška u " + UUporabi + "{EEXIST}" + Ponovo, Ikona::Pitanje}},
         {V + "početak. U direktoriji Backup fajlova:1", V + "Kraj"},
         false,
         {{"{upd}A.exe", "nova"}}},
        // Help files and scripts get no second try.
        {"help file in the way",
         [](Okolina& o) {
             o.StaraINova(o.hlp, "U.chm");
             TestOkruženje::Zapiši(o.bak + "U.chm", "prastara");
         },
         [](Okolina& o) { return Zamijeni(o, "U.chm"); },
         {{"Nastala je greška u premještanju datoteke: U.chm" + Detalj + "{EEXIST}" + StaraVerzija,
           Ikona::Kritična}},
         {P + "Nastala je greška u premještanju datoteke: U.chm"},
         false,
         {{"{hlp}U.chm", "prastara"}}},
        {"unregistration cannot start",
         [](Okolina& o) {
             o.StaraINova(o.prog, "X.dll");
             QFile::remove(o.bin + "RegSvr32.exe");
         },
         [](Okolina& o) { return Zamijeni(o, "X.dll"); },
         {{"Desila se greška u deregistraciji komponente: X.dll\r\nDeregistracija komponente: X.dll" +
               StaraVerzija,
           Ikona::Kritična}},
         {"RegSvr32.exe \"{prog}X.dll\" /u /s Neuspješno", V + "početak. U direktoriji Backup fajlova:0"},
         false,
         {{"{prog}X.dll", "stara"}}},
        // Nothing planned, both lists out of reach and the backup directory stuck: all only logged.
        {"empty plan, list swap and cleanup failing",
         [](Okolina& o) {
             QFile::remove(o.prog + "Verzije.txt");
             QFile::remove(o.upd + "Verzije.txt");
             o.datoteke.kvar = [b = o.bak.chopped(1)](const char* op, const QString& p) {
                 return qstrcmp(op, "brisiDir") == 0 && p.startsWith(b);
             };
         },
         [](Okolina& o) { return UpdatePrograma(o.o.k); },
         {{"Ne postoji datoteka {prog}Verzije.txt…", Ikona::Usklicnik}},
         {P + "Greška u premještanju u backup Verzije.txt {ENOENT}",
          P + "Greška u kopiranju Verzije.txt {ENOENT}", P + "Greška u brisanju direktorije - {bak}",
          P + "Kraj"},
         true,
         {{"{prog}Verzije.txt", "-"}}},
        // The report settings are written before the installation, whatever its outcome.
        {"update command, installation refused",
         [](Okolina& o) {
             o.PlanirajPomoć();
             o.o.imena.računalo = RazvojnoRačunalo;
         },
         Ažuriraj,
         {{Pitanje, Ikona::Pitanje},
          {"Ime računala je MORVELA-RAZVOJ te nije moguće nastaviti sa radom!", Ikona::Usklicnik},
          {Neuspjeh, Ikona::Usklicnik}},
         {"cmdDownloadAndUpdate_Click " + Neuspjeh, "********************* KRAJ UPDATE"},
         true,
         {{"{hlp}U.chm", "-"}},
         [](const Okolina& o) {
             QSettings r(o.o.vanjski("postavke/Seagate Software/Crystal Reports Designer Component.conf"),
                         QSettings::IniFormat);
             EXPECT_EQ(r.value("Export/BitMapMagnifDenominator").toInt(), 1);
             EXPECT_EQ(r.value("Export/BitMapMagnifNumerator").toInt(), 12);
         }},
        {"update command from the internet",
         [](Okolina& o) {
             o.PlanirajPomoć();
             o.o.izvor.odabrana = InternetPrimarni;
             o.server.ne = {"U.7z"};
             o.o.k.preuzimanje = &o.server;
         },
         Ažuriraj,
         {},
         {"SnimitiSaInterneta - Početak skidanja U.7z",
          "cmdDownloadAndUpdate_Click Nije uspio snimiti sa interneta/mrežne lokacije"},
         true,
         {{"{upd}U.7z", "-"}}},
    };
    for (const Kvar& red : redovi) {
        SCOPED_TRACE(red.naziv);
        Okolina o;
        red.postavi(o);
        EXPECT_EQ(red.radnja(o), red.rezultat);
        auto popuni = [&](const QString& t) {
            return Popuni(t, {{"prog", o.prog},
                              {"upd", o.upd},
                              {"bak", o.bak},
                              {"skr", o.skr},
                              {"hlp", o.hlp},
                              {"ENOENT", o.Opis(ENOENT)},
                              {"EEXIST", o.Opis(EEXIST)}});
        };

        UsporediOkvire(o.korisnik.upiti, red.okviri, popuni);
        const QStringList log = o.o.LogPoruke();
        for (const QString& linija : red.log)
            EXPECT_TRUE(ImaRed(log, popuni(linija))) << popuni(linija).toStdString();
        for (auto i = red.naDisku.begin(); i != red.naDisku.end(); ++i) {
            const QString put = popuni(i.key());
            EXPECT_EQ(QFile::exists(put) ? QString(TestOkruženje::Pročitaj(put)) : "-", i.value())
                << put.toStdString();
        }
        red.još(o);
    }
}

} // namespace
