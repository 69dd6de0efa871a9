// Archives from outside that would write elsewhere than the update directory,
// leave links there, fill the disk, ask for a password or hide what they hold
// are refused before the extractor runs. reparse-tocka.7z is a plain archive
// whose entry got the Windows reparse-point attribute by hand (uncompressed
// header, its CRCs made again).

#include "Arhive.h"
#include "Stablo.h"
#include "transfer/Unzipaj.h"

namespace {

const QString Podaci = QStringLiteral(MORVELA_TEST_DATA_DIR "/lose-arhive/");

struct LošaArhiva {
    const char* datoteka;
    QString razlog;
};

TEST_F(Prijenos, HostileArchivesAreRefusedBeforeTheExtractorWritesAnything) {
    const QString obična = "stavka arhive nije obična datoteka: Program21.exe";
    const QList<LošaArhiva> arhive = {
        {"roditelj.7z", "neočekivana stavka arhive: ../Program21.exe"},
        {"apsolutna.7z", "neočekivana stavka arhive: /tmp/ar/Program21.exe"},
        {"drugo-ime.7z", "neočekivana stavka arhive: Verzije.txt"},
        {"veza-van.7z", obična},
        {"veza-apsolutna.7z", obična},
        {"reparse-tocka.7z", obična},
        {"direktorij.7z", obična},
        // A carriage return ending the stored name is part of the name.
        {"cr-u-imenu.7z", "neočekivana stavka arhive: Program21.exe\\x0d"},
        {"sifrirana-zaglavlja.7z", "arhiva se ne može otvoriti (oštećena ili šifrirana)"},
        {"sifrirana.7z", "stavka arhive je šifrirana: Program21.exe"},
        {"prazna.7z", "arhiva je prazna"},
        {"bomba.7z", "stavka arhive Program21.exe je veća od dopuštenog: 60000000 bajtova, najviše 1048676"},
        {"gzip.7z", "arhiva nije 7z nego gzip"},
    };
    o.ZapišiListu(upd + "Verzije.txt", {"Program21.exe;21;1;0;150;100;"});
    ASSERT_TRUE(UčitajMatricu(o.stanje.NoveVerzije, upd + "Verzije.txt", o.k.ZaMatricu()));
    TestOkruženje::Zapiši(upd + "Program21.exe", "staro");
    for (const LošaArhiva& a : arhive) {
        SCOPED_TRACE(a.datoteka);
        ASSERT_TRUE(QFile::remove(upd + "Program21.7z") || !QFile::exists(upd + "Program21.7z"));
        ASSERT_TRUE(QFile::copy(Podaci + a.datoteka, upd + "Program21.7z"));
        const auto prije = StanjeStabla(o.korijen.path());
        o.stanje.PorukeGrešaka = "prije";

        EXPECT_FALSE(Raspakiraj("Program21.exe"));
        const QString zp = "UNZIP: " + upd + "Program21.7z - " + a.razlog;
        EXPECT_EQ(o.stanje.ZadnjaPoruka, zp);
        EXPECT_EQ(o.stanje.PorukeGrešaka, "prije" + CRLF + zp);
        EXPECT_EQ(o.LogPoruke().last(), "Unzipaj- Greška " + zp);
        EXPECT_EQ(Promjene(prije, StanjeStabla(o.korijen.path())), QStringList("Suite/Update/Update.log"));
    }
}

TEST_F(Prijenos, ArchivesUnpackWhateverTheirNamesAndTheProgramDirectoryHold) {
    // Quotes and switches in the program directory stay inside one argument.
    const QString dir = o.vanjski("Pro\"gram -oIzvan") + Separator();
    o.stanje.ProgramskaDirektorija = dir;
    o.stanje.UpdateDirektorija = upd + "Pro\"gram -oIzvan" + Separator();
    const QString u = o.stanje.UpdateDirektorija;
    ASSERT_TRUE(QDir().mkpath(u) && QDir().mkpath(dir) && QFile::link("/usr/bin/7za", dir + "7za"));
    o.stanje.NoveVerzije.postavi(0, Ime, "Račun21.exe");
    o.stanje.NoveVerzije.postavi(0, StvarnaVeličina, "7");
    TestOkruženje::Zapiši(u + "Racun21.7z", Arhiva7z("Račun21.exe", "program"));
    const auto prije = StanjeStabla(o.korijen.path());

    ASSERT_TRUE(Raspakiraj("Račun21.exe"));
    EXPECT_EQ(TestOkruženje::Pročitaj(u + "Račun21.exe"), "program");
    EXPECT_TRUE(
        o.LogPoruke().contains("Unzipaj- \"" + dir + "7za\" e \"" + u + "Racun21.7z\" -aoa -o\"" + u + "\""));

    // A file stored under a folder comes out without it; modes are fixed,
    // whatever the archive kept (here rwxrwxrwx).
    o.stanje.NoveVerzije.postavi(1, Ime, "Biblioteka21.dll");
    o.stanje.NoveVerzije.postavi(1, StvarnaVeličina, "10");
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(MORVELA_TEST_DATA_DIR "/lose-arhive/u-mapi.7z"), u + "Biblioteka21.7z"));
    ASSERT_TRUE(Raspakiraj("Biblioteka21.dll")) << o.stanje.ZadnjaPoruka.toStdString();
    EXPECT_EQ(TestOkruženje::Pročitaj(u + "Biblioteka21.dll"), "biblioteka");
    // Owner, group and others; Qt adds the current user's bits.
    const auto prava = [](const QString& put) { return QFileInfo(put).permissions() & 0x7077; };
    const QFile::Permissions čitanje = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    EXPECT_EQ(prava(u + "Biblioteka21.dll"), čitanje | QFile::WriteOwner);
    EXPECT_EQ(prava(u + "Račun21.exe"),
              čitanje | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);

    const QString uOdKorijena = QDir(o.korijen.path()).relativeFilePath(u);
    EXPECT_EQ(Promjene(prije, StanjeStabla(o.korijen.path())),
              QStringList({uOdKorijena + "/Biblioteka21.7z", uOdKorijena + "/Biblioteka21.dll",
                           uOdKorijena + "/Račun21.exe", "Suite/Update/Update.log"}));
}

} // namespace
