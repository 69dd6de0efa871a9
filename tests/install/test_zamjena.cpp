#include "Instalacija.h"
#include "install/PokusajVratitiSveNaPocetak.h"
#include "install/ZamijeniDatotekuPoVrsti.h"

#include <QDir>

#include <cerrno>

using namespace morvela;
using namespace morvela::test;

namespace {

const QString Detalj = "Poruka o grešci je: ";
const QString StaraVerzija =
    "Program ne može razriješiti problem te će pokušati vratiti staru verziju programa. "
    "Ukoliko ne uspije najvjerojatnije ćete morati reinstalirati program!";
const QString PonovnoPitanje =
    "Preporuka je da se prestane koristiti navedeni program i da se pokuša još jednom. Jeste li izašli iz "
    "programa i želite li nastaviti sa instalacijom (Da - Yes) ili želite prekinuti sa instalacijom (Ne - "
    "No)?";
const QString PočetakVraćanja = "PokušajVratitiSveNaPočetak - početak. U direktoriji Backup fajlova:";

class Zamjena : public Instalacija {
protected:
    Zamjena() { QDir().mkpath(bak()); }
    // The old version installed in dir, the new one waiting in the update directory.
    void StaraINova(const QString& dir, const QString& ime) {
        TestOkruženje::Zapiši(dir + ime, "stara");
        TestOkruženje::Zapiši(upd() + ime, "nova");
    }
    // A.exe held by a running program for the given number of move attempts.
    void ProgramUUporabi(int puta) {
        StaraINova(prog(), "A.exe");
        datoteke.Pokvari("Premjesti", "A.exe", ETXTBSY, puta);
    }
    QString GreškaUUporabi(const QString& početak) const {
        return početak + "A.exeNajvjerojatnije se koristi. \r\n" + Detalj + Opis(ETXTBSY) + "\r\n";
    }
};

TEST_F(Zamjena, ProgramNotYetInstalledIsCopiedWithoutBackup) {
    TestOkruženje::Zapiši(upd() + "Plaće21.exe", "nova");
    EXPECT_TRUE(ZamijeniDatotekuPoVrsti(o.k, "Plaće21.exe"));
    EXPECT_EQ(Sadržaj(prog() + "Plaće21.exe"), "nova");
    EXPECT_TRUE(QDir(bak()).isEmpty());
    EXPECT_TRUE(o.poruke.upiti.isEmpty());
    EXPECT_EQ(o.LogPoruke(), (QStringList{"UpdatePrograma - Backup programa: Plaće21.exe",
                                          "UpdatePrograma - Kopiranje novog programa: Plaće21.exe"}));
    EXPECT_EQ(o.status.akcije,
              (QStringList{"Backup programa: Plaće21.exe", "Kopiranje novog programa: Plaće21.exe"}));
}

TEST_F(Zamjena, ProgramInUseGetsOneMoreTryOnTheUsersWord) {
    ProgramUUporabi(1);
    o.poruke.odgovori = {Odgovor::Da};

    EXPECT_TRUE(ZamijeniDatotekuPoVrsti(o.k, "A.exe"));

    ASSERT_EQ(o.poruke.upiti.size(), 1);
    EXPECT_EQ(o.poruke.upiti[0].tekst,
              GreškaUUporabi("Nastala je greška u premještanju programa: ") + PonovnoPitanje);
    EXPECT_EQ(o.poruke.upiti[0].ikona, Ikona::Pitanje);
    EXPECT_EQ(o.poruke.upiti[0].gumbi, Gumbi::DaNe);
    EXPECT_TRUE(o.LogPoruke().contains("UpdatePrograma - Ponovni backup programa: A.exe"));
    EXPECT_EQ(Sadržaj(bak() + "A.exe"), "stara");
    EXPECT_EQ(Sadržaj(prog() + "A.exe"), "nova");
}

TEST_F(Zamjena, ProgramStillInUseRollsBack) {
    ProgramUUporabi(-1);
    o.poruke.odgovori = {Odgovor::Ne};
    EXPECT_FALSE(ZamijeniDatotekuPoVrsti(o.k, "A.exe"));
    EXPECT_EQ(o.poruke.upiti.size(), 1); // no box after No
    EXPECT_EQ(o.LogPoruke().last(2),
              (QStringList{PočetakVraćanja + "0", "PokušajVratitiSveNaPočetak - Kraj"}));

    o.poruke.odgovori = {Odgovor::Da};
    EXPECT_FALSE(ZamijeniDatotekuPoVrsti(o.k, "A.exe"));
    ASSERT_EQ(o.poruke.upiti.size(), 3);
    EXPECT_EQ(o.poruke.upiti[2].tekst,
              GreškaUUporabi("Nastala je greška u ponovnom premještanju programa: ") + StaraVerzija);
    EXPECT_EQ(o.poruke.upiti[2].ikona, Ikona::Kritična);
    EXPECT_EQ(o.LogPoruke().last(), "PokušajVratitiSveNaPočetak - Kraj");
    EXPECT_EQ(Sadržaj(prog() + "A.exe"), "stara");
}

TEST_F(Zamjena, FailedCopyRestoresTheOldProgram) {
    StaraINova(prog(), "B.exe");
    datoteke.Pokvari("Kopiraj", prog() + "B.exe", ENOSPC, 1);

    EXPECT_FALSE(ZamijeniDatotekuPoVrsti(o.k, "B.exe"));

    ASSERT_EQ(o.poruke.upiti.size(), 1);
    const QString greška = "Nastala je greška u kopiranju novog programa: B.exe\r\n" + Detalj + Opis(ENOSPC);
    EXPECT_EQ(o.poruke.upiti[0].tekst, greška + "\r\n" + StaraVerzija);
    EXPECT_EQ(o.poruke.upiti[0].ikona, Ikona::Kritična);
    EXPECT_TRUE(Log().contains(" UpdatePrograma - " + greška + "\r\n"));
    EXPECT_EQ(Sadržaj(prog() + "B.exe"), "stara");
    EXPECT_EQ(Sadržaj(bak() + "B.exe"), "stara");
}

TEST_F(Zamjena, ComponentIsUnregisteredMovedCopiedAndRegistered) {
    StaraINova(prog(), "Izvoz.dll");
    EXPECT_TRUE(ZamijeniDatotekuPoVrsti(o.k, "Izvoz.dll"));

    const QString u = RegSvr32(prog() + "Izvoz.dll", "/u /s");
    const QString r = RegSvr32(prog() + "Izvoz.dll", "/s");
    EXPECT_EQ(o.LogPoruke(),
              (QStringList{"UpdatePrograma - Deregistracija komponente: Izvoz.dll", u, u + " Uspješno",
                           "UpdatePrograma - Backup komponente: Izvoz.dll",
                           "UpdatePrograma - Kopiranje nove komponente: Izvoz.dll", r, r + " Uspješno"}));
    // The old one was still in place when unregistered, the new one when registered.
    EXPECT_EQ(regsvr.pozivi(),
              (QStringList{prog() + "Izvoz.dll|/u|/s|#stara", prog() + "Izvoz.dll|/s|#nova"}));
    EXPECT_EQ(o.status.akcije,
              (QStringList{"Backup komponente: Izvoz.dll", "Kopiranje nove komponente: Izvoz.dll",
                           "Registracija nove komponente: Izvoz.dll"}));
    EXPECT_EQ(Sadržaj(bak() + "Izvoz.dll"), "stara");
}

TEST_F(Zamjena, ComponentThatCannotBeRegisteredIsRolledBack) {
    StaraINova(prog(), "Izvoz.dll");
    procesi.odbij = [](const QString& linija) { return linija.endsWith("\" /s"); };

    EXPECT_FALSE(ZamijeniDatotekuPoVrsti(o.k, "Izvoz.dll"));

    ASSERT_EQ(o.poruke.upiti.size(), 2);
    EXPECT_EQ(o.poruke.upiti[0].tekst, "Desila se greška u registraciji nove komponente: Izvoz.dll\r\n"
                                       "Registracija nove komponente: Izvoz.dll\r\n" +
                                           StaraVerzija);
    EXPECT_EQ(o.poruke.upiti[1].tekst, "Desila se greška u registraciji stare komponente: Izvoz.dll\r\n"
                                       "Registracija stare komponente: Izvoz.dll\r\n" +
                                           StaraVerzija);
    EXPECT_EQ(Sadržaj(prog() + "Izvoz.dll"), "stara");
    // Unregistered twice: the old before the backup, the new before the copy back.
    EXPECT_EQ(regsvr.pozivi(),
              (QStringList{prog() + "Izvoz.dll|/u|/s|#stara", prog() + "Izvoz.dll|/u|/s|#nova"}));
}

TEST_F(Zamjena, ScriptsAndHelpFilesGoToTheirOwnDirectories) {
    TestOkruženje::Zapiši(upd() + "Izmjena 7.enc", "nova");
    StaraINova(hlp(), "Upute.chm");

    EXPECT_TRUE(ZamijeniDatotekuPoVrsti(o.k, "Izmjena 7.enc"));
    EXPECT_TRUE(ZamijeniDatotekuPoVrsti(o.k, "Upute.chm"));

    EXPECT_EQ(Sadržaj(skr() + "Izmjena 7.enc"), "nova");
    EXPECT_EQ(Sadržaj(hlp() + "Upute.chm"), "nova");
    EXPECT_EQ(Sadržaj(bak() + "Upute.chm"), "stara");
    EXPECT_EQ(o.LogPoruke(), (QStringList{"UpdatePrograma - Backup datoteke: Izmjena 7.enc",
                                          "UpdatePrograma - Kopiranje nove datoteke: Izmjena 7.enc",
                                          "UpdatePrograma - Backup datoteke: Upute.chm",
                                          "UpdatePrograma - Kopiranje nove datoteke: Upute.chm"}));
    EXPECT_TRUE(o.poruke.upiti.isEmpty());
}

TEST_F(Zamjena, HelpFileThatCannotBeMovedFailsWithoutAQuestion) {
    StaraINova(hlp(), "Upute.chm");
    // A leftover of the same name in the backup directory blocks the move.
    TestOkruženje::Zapiši(bak() + "Upute.chm", "prastara");

    EXPECT_FALSE(ZamijeniDatotekuPoVrsti(o.k, "Upute.chm"));

    ASSERT_EQ(o.poruke.upiti.size(), 1);
    EXPECT_EQ(o.poruke.upiti[0].ikona, Ikona::Kritična);
    EXPECT_TRUE(o.poruke.upiti[0].tekst.startsWith(
        "Nastala je greška u premještanju datoteke: Upute.chm\r\n" + Detalj));
    EXPECT_TRUE(o.poruke.upiti[0].tekst.endsWith("\r\n" + StaraVerzija));
    // The rollback restores whatever the backup directory holds.
    EXPECT_EQ(Sadržaj(hlp() + "Upute.chm"), "prastara");
}

TEST_F(Zamjena, OtherKindsAreOnlyLogged) {
    for (const QString ime : {"Glavna.EXE", "ab", "Postavke.ini"}) {
        TestOkruženje::Zapiši(upd() + ime, "nova");
        EXPECT_TRUE(ZamijeniDatotekuPoVrsti(o.k, ime));
        EXPECT_FALSE(QFile::exists(prog() + ime));
    }
    EXPECT_EQ(o.LogPoruke(), (QStringList{"UpdatePrograma - nepoznata ekstenzija: EXE",
                                          "UpdatePrograma - nepoznata ekstenzija: ab",
                                          "UpdatePrograma - nepoznata ekstenzija: ini"}));
}

using Vraćanje = Zamjena;

TEST_F(Vraćanje, EveryKindGoesBackWhereItCameFrom) {
    for (const QString ime :
         {"A.exe", "Verzije.txt", "Izvoz.dll", "Izmjena 7.enc", "Upute.chm", "Glavna.EXE"})
        TestOkruženje::Zapiši(bak() + ime, "stara");
    TestOkruženje::Zapiši(prog() + "Izvoz.dll", "nova");

    PokušajVratitiSveNaPočetak(o.k);

    for (const QString& put : {prog() + "A.exe", prog() + "Verzije.txt", prog() + "Izvoz.dll",
                               skr() + "Izmjena 7.enc", hlp() + "Upute.chm"})
        EXPECT_EQ(Sadržaj(put), "stara") << put.toStdString();
    EXPECT_FALSE(QFile::exists(prog() + "Glavna.EXE"));
    EXPECT_EQ(QDir(bak()).count(), 2u + 6u); // copied, not moved
    const QStringList log = o.LogPoruke();
    EXPECT_EQ(log.first(), PočetakVraćanja + "6");
    EXPECT_EQ(log.last(), "PokušajVratitiSveNaPočetak - Kraj");
    EXPECT_TRUE(log.contains("PokušajVratitiSveNaPočetak - nepoznata ekstenzija: EXE"));
    const auto u = log.indexOf(RegSvr32(prog() + "Izvoz.dll", "/u /s"));
    const auto kopija = log.indexOf("PokušajVratitiSveNaPočetak - Kopiranje nazad komponente: Izvoz.dll");
    const auto r = log.indexOf(RegSvr32(prog() + "Izvoz.dll", "/s"));
    EXPECT_TRUE(u >= 0 && u < kopija && kopija < r);
    EXPECT_EQ(regsvr.pozivi(),
              (QStringList{prog() + "Izvoz.dll|/u|/s|#nova", prog() + "Izvoz.dll|/s|#stara"}));
    EXPECT_TRUE(o.poruke.upiti.isEmpty());
}

TEST_F(Vraćanje, EachFailedFileGetsItsBoxAndTheRestIsStillRestored) {
    for (const QString ime : {"A.exe", "B.exe", "Izmjena 7.enc"})
        TestOkruženje::Zapiši(bak() + ime, "stara");
    datoteke.Pokvari("Kopiraj", prog() + "A.exe", EACCES);
    datoteke.Pokvari("Kopiraj", skr() + "Izmjena 7.enc", EROFS);

    PokušajVratitiSveNaPočetak(o.k);

    const QStringList tekstovi = o.poruke.tekstovi();
    EXPECT_EQ(tekstovi.size(), 2);
    EXPECT_TRUE(
        tekstovi.contains("Nastala je greška u kopiranju nazad programa: A.exe\r\n" + Detalj + Opis(EACCES) +
                          "\r\nProgram ne može razriješiti problem pa ćete morati reinstalirati program!"));
    EXPECT_TRUE(tekstovi.contains(
        "Nastala je greška u kopiranju nazad datoteke: Izmjena 7.enc\r\n" + Detalj + Opis(EROFS) +
        "\r\nProgram ne može razriješiti problem te ćete morati reinstalirati program!"));
    EXPECT_EQ(Sadržaj(prog() + "B.exe"), "stara");
    EXPECT_EQ(o.LogPoruke().last(), "PokušajVratitiSveNaPočetak - Kraj");
}

TEST_F(Vraćanje, UnreadableBackupDirectoryLeavesOneLine) {
    datoteke.Pokvari("PopisDatoteka", bak(), EACCES);
    PokušajVratitiSveNaPočetak(o.k);
    const QStringList log = o.LogPoruke();
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].startsWith("PokušajVratitiSveNaPočetak - ")) << log[0].toStdString();
    EXPECT_TRUE(o.poruke.upiti.isEmpty());
}

} // namespace
