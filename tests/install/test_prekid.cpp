#include "MaliDisk.h"
#include "Okruzenje.h"
#include "install/DnevnikInstalacije.h"
#include "install/PokusajVratitiSveNaPocetak.h"
#include "install/UpdatePrograma.h"
#include "platform/Procesi.h"
#include "versions/Plan.h"
#include "versions/PravilaVerzija.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include <cerrno>
#include <optional>

using namespace morvela;
using namespace morvela::test;

namespace {

struct BezProzora : IProzori {
    bool NađiProzor(const QString&, const QString&, bool) override { return false; }
};

QByteArray Hash(const QString& put) {
    return QFile::exists(put)
               ? QCryptographicHash::hash(TestOkruženje::Pročitaj(put), QCryptographicHash::Sha256)
               : QByteArray("nema");
}

// A suite with five installed files and their seven-file update: four
// programs and components, a help file, a script whose directory does not
// exist yet, and the list. RegSvr32.exe on PATH records each call and the
// component it found.
class Prekid : public ::testing::Test {
protected:
    Prekid() { qputenv("PATH", QFile::encodeName(bin) + ':' + path); }
    ~Prekid() override { qputenv("PATH", path); }

    struct Datoteka {
        QString ime;
        bool staraPostoji;
    };
    const QList<Datoteka> datoteke = {{"Glavna21.exe", true}, {"Plaće21.exe", true},
                                      {"Izvoz21.dll", true},  {"Kasa21.exe", true},
                                      {"Upute21.chm", true},  {"Izmjena21.enc", false}};

    void Postavi(TestOkruženje& o) {
        const StanjeRada& s = o.stanje;
        QStringList stara, nova;
        for (const Datoteka& d : datoteke) {
            const QString dir = DirektorijaZaVrstu(s, VrstaDatoteke(d.ime));
            if (d.staraPostoji) {
                TestOkruženje::Zapiši(dir + d.ime, "stara " + d.ime.toUtf8());
                stara << d.ime + ";21;1;0;10;20;";
            }
            TestOkruženje::Zapiši(s.UpdateDirektorija + d.ime, QByteArray(3000, 'n') + d.ime.toUtf8());
            nova << d.ime + ";21;2;0;10;3020;";
        }
        TestOkruženje::ZapišiListu(s.ProgramskaDirektorija + ImeListeVerzija, stara);
        TestOkruženje::ZapišiListu(s.UpdateDirektorija + ImeListeVerzija, nova);
        TestOkruženje::Zapiši(
            bin + "RegSvr32.exe",
            "#!/bin/sh\n{ printf '%s|' \"$@\"; cat \"$1\"; echo; } 2>/dev/null >>\"$0.txt\"\n");
        QFile::setPermissions(bin + "RegSvr32.exe", QFile::ReadOwner | QFile::ExeOwner);
        QFile::remove(bin + "RegSvr32.exe.txt");
    }

    // What a set of files looks like, by content.
    QList<QByteArray> Otisci(const StanjeRada& s, const QString& izvor) const {
        QList<QByteArray> otisci;
        for (const Datoteka& d : datoteke)
            otisci << Hash((izvor.isEmpty() ? DirektorijaZaVrstu(s, VrstaDatoteke(d.ime)) : izvor) + d.ime);
        return otisci;
    }

    const QByteArray path = qgetenv("PATH");
    QTemporaryDir alati;
    const QString bin = alati.path() + "/";
};

TEST_F(Prekid, KilledAnywhereTheInstallationComesBackWholeOldOrWholeNew) {
    // Where the suite lives. With the help directory on a disk of its own, moving the old help
    // file aside is a copy; on a program disk too full for the new files, the run ends in its
    // rollback, and the rollback and the next start's recovery work on that full disk.
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
            const Točka t = točke[i];
            TestOkruženje o;
            std::optional<MaliDisk> programi, windows;
            // On tmpfs, where a flush costs nothing: the sweep runs the whole installation many times.
            programi.emplace(o.dir(), r.ostaviKb ? 256 : 4096);
            if (!programi->montiran()) GTEST_SKIP() << qPrintable(programi->razlog);
            QDir().mkpath(o.updateDir());
            const QString winDir = r.pomoćDrugdje ? o.vanjski("Windows") : QString();
            if (r.pomoćDrugdje) {
                windows.emplace(winDir, 1024);
                if (!windows->montiran()) GTEST_SKIP() << qPrintable(windows->razlog);
                o.stanje.PostaviDirektorije(o.dir(), winDir);
            }
            Postavi(o);
            if (r.ostaviKb) programi->Napuni(r.ostaviKb);
            const StanjeRada& s = o.stanje;
            QList<QByteArray> stari = Otisci(s, QString()), novi = Otisci(s, s.UpdateDirektorija);
            stari << Hash(s.ProgramskaDirektorija + ImeListeVerzija);
            novi << Hash(s.UpdateDirektorija + ImeListeVerzija);

            QProcess run;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("WinDir", winDir);
            run.setProcessEnvironment(env);
            run.start(QStringLiteral(MORVELA_PREKID_INSTALACIJE), {o.dir(), QString::number(t.n), t.kako});
            ASSERT_TRUE(run.waitForFinished(60000));
            const QString gdje = QStringLiteral("%1, %2 %3: ").arg(r.naziv, t.kako).arg(t.n);
            const bool ubijen = run.exitStatus() == QProcess::CrashExit;
            ASSERT_EQ(ubijen, t.n > 0) << qPrintable(gdje + run.readAllStandardError());
            if (t.n == 0) {
                // The whole run tells which operations there are to cut; on the full disk it fails.
                ASSERT_EQ(run.exitCode(), r.ostaviKb ? 6 : 0)
                    << qPrintable(gdje + run.readAllStandardError());
                operacije = QString::fromLatin1(run.readAllStandardOutput()).trimmed();
                for (int n = 1; n <= operacije.size(); ++n) {
                    točke.append({n, "prije"});
                    if (operacije[n - 1] != QLatin1Char('-')) točke.append({n, "usred"});
                }
            }

            // The next start: recovery, then the check's plan.
            QtProcesi procesi;
            BezProzora prozori;
            o.k.procesi = &procesi;
            o.k.prozori = &prozori;
            ObnoviPrekinutuInstalaciju(o.k);
            QList<QByteArray> sada = Otisci(s, QString());
            sada << Hash(s.ProgramskaDirektorija + ImeListeVerzija);
            const bool novo = sada == novi;
            EXPECT_TRUE(novo || sada == stari) << qPrintable(gdje + o.LogPoruke().join('\n'));
            EXPECT_TRUE(novo || ubijen || r.ostaviKb) << qPrintable(gdje);
            EXPECT_FALSE(novo && r.ostaviKb) << qPrintable(gdje);
            EXPECT_FALSE(QFile::exists(PutDnevnika(s))) << qPrintable(gdje);
            // At most the recovery's one box, besides the log's own on a full disk.
            EXPECT_LE(
                o.poruke.tekstovi().filter(QRegularExpression("^(?!Desila se greška: u upisu u LOG)")).size(),
                1)
                << qPrintable(gdje + o.poruke.tekstovi().join('\n'));
            for (const QString& dir : {s.ProgramskaDirektorija, s.UpdateDirektorija, s.SkripteDirektorija,
                                       s.HelpDirektorija, s.BackupDirektorija, DirektorijaDnevnika(s)})
                EXPECT_TRUE(QDir(dir).entryList({"*" + NastavakPrivremene}, QDir::Files).isEmpty())
                    << qPrintable(gdje + dir);
            ASSERT_TRUE(NapraviRsŠtoTrebaAžurirati(o.k)) << qPrintable(gdje);
            QStringList planirano, očekivano;
            for (int red = 0; red < Matrica::Redova; ++red)
                if (s.NoveVerzije.koristi(red) && s.NoveVerzije.broj(red, TrebaInstalirati) == 1)
                    planirano << s.NoveVerzije.tekst(red, Ime);
            for (qsizetype d = 0; d < datoteke.size(); ++d)
                if (sada[d] != novi[d]) očekivano << datoteke[d].ime;
            EXPECT_EQ(planirano, očekivano) << qPrintable(gdje);

            // The component last registered is the one in place.
            const QStringList pozivi =
                QString(TestOkruženje::Pročitaj(bin + "RegSvr32.exe.txt")).split('\n', Qt::SkipEmptyParts);
            if (!pozivi.isEmpty()) {
                EXPECT_EQ(pozivi.last(), s.ProgramskaDirektorija + "Izvoz21.dll|/s|" +
                                             TestOkruženje::Pročitaj(s.ProgramskaDirektorija + "Izvoz21.dll"))
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
    EXPECT_GE(cijeli[0].count(QLatin1Char('Z')), 2 + 2 * datoteke.size()) << qPrintable(cijeli[0]);
    // Across disks the help file goes aside by a copy, killed anywhere like the rest.
    EXPECT_EQ(cijeli[1].count(QLatin1Char('K')), cijeli[0].count(QLatin1Char('K')) + 1)
        << qPrintable(cijeli[1]);
}

// A journal left by a run that stopped: what it moved aside goes back, what it
// added goes away, the user hears it once; the journal stays while a file cannot go back.
TEST_F(Prekid, RecoveryRestoresWhatTheJournalNamesAndTellsOnce) {
    TestOkruženje o;
    QtProcesi procesi;
    BezProzora prozori;
    o.k.procesi = &procesi;
    o.k.prozori = &prozori;
    Postavi(o);
    const StanjeRada& s = o.stanje;
    const QString p = o.dir(), b = s.BackupDirektorija, skr = s.SkripteDirektorija;
    for (const QString ime : {"A.exe", "Izvoz.dll"}) {
        TestOkruženje::Zapiši(p + ime, "nova");
        TestOkruženje::Zapiši(b + ime, "stara");
    }
    TestOkruženje::Zapiši(skr + "N.enc", "nova");
    TestOkruženje::Zapiši(p + "B.exe", "stara");
    TestOkruženje::Zapiši(p + "Verzije.txt", "nova lista");
    TestOkruženje::Zapiši(b + "Verzije.txt", "stara lista");
    TestOkruženje::Zapiši(p + "A.exe" + NastavakPrivremene, "pola");
    ASSERT_TRUE(ZapočniDnevnik(o.datoteke, o.stanje, {"A.exe", "Izvoz.dll", "N.enc", "B.exe"}).uspjeh());
    for (const auto& [oznaka, ime] : QList<QPair<QString, QString>>{{DnevnikBackup, "A.exe"},
                                                                    {DnevnikSpremljena, "A.exe"},
                                                                    {DnevnikGotovo, "A.exe"},
                                                                    {DnevnikBackup, "Izvoz.dll"},
                                                                    {DnevnikBackup, "Izvoz.dll"},
                                                                    {DnevnikSpremljena, "Izvoz.dll"},
                                                                    {DnevnikBackup, "N.enc"},
                                                                    {DnevnikNova, "N.enc"},
                                                                    {DnevnikBackup, "B.exe"},
                                                                    {DnevnikBackup, "Verzije.txt"},
                                                                    {DnevnikSpremljena, "Verzije.txt"}})
        ASSERT_TRUE(ZabilježiUDnevnik(o.datoteke, o.stanje, oznaka, ime).uspjeh());

    ObnoviPrekinutuInstalaciju(o.k);
    EXPECT_EQ((QStringList{TestOkruženje::Pročitaj(p + "A.exe"), TestOkruženje::Pročitaj(p + "Izvoz.dll"),
                           TestOkruženje::Pročitaj(p + "B.exe"), TestOkruženje::Pročitaj(p + "Verzije.txt")}),
              (QStringList{"stara", "stara", "stara", "stara lista"}));
    for (const QString& put : {skr + "N.enc", p + "A.exe" + NastavakPrivremene, PutDnevnika(s)})
        EXPECT_FALSE(QFile::exists(put)) << qPrintable(put);
    EXPECT_EQ(o.poruke.tekstovi(),
              QStringList{"Prethodna instalacija novih verzija je prekinuta prije kraja.\r\n"
                          "Vraćene su stare verzije datoteka:\r\nA.exe\r\nIzvoz.dll\r\n"
                          "Verzije.txt\r\nUklonjene su nove datoteke koje prije nisu "
                          "postojale:\r\nN.enc\r\nProgrami su u stanju prije te "
                          "instalacije."});
    const QString o_ = "ObnoviPrekinutuInstalaciju - ";
    EXPECT_EQ(
        o.LogPoruke().filter(QRegularExpression("^(ObnoviPrekinutu|RegSvr32)")),
        (QStringList{o_ + "Pronađen je dnevnik prekinute instalacije: " + PutDnevnika(s),
                     o_ + "Vraćanje stare datoteke: A.exe", "RegSvr32.exe \"" + p + "Izvoz.dll\" /u /s",
                     "RegSvr32.exe \"" + p + "Izvoz.dll\" /u /s Uspješno",
                     o_ + "Vraćanje stare datoteke: Izvoz.dll", "RegSvr32.exe \"" + p + "Izvoz.dll\" /s",
                     "RegSvr32.exe \"" + p + "Izvoz.dll\" /s Uspješno", o_ + "Brisanje nove datoteke: N.enc",
                     o_ + "Nije premještena u backup, ostaje kakva jest: B.exe",
                     o_ + "Vraćanje stare datoteke: Verzije.txt",
                     o_ + "Dnevnik prekinute instalacije je obrisan", o_ + "Kraj"}));
    EXPECT_EQ(QString(TestOkruženje::Pročitaj(bin + "RegSvr32.exe.txt")).remove(p),
              "Izvoz.dll|/u|/s|nova\nIzvoz.dll|/s|stara\n");

    // A file that cannot go back keeps the journal, and with it the backup directory.
    ASSERT_TRUE(ZapočniDnevnik(o.datoteke, o.stanje, {"C.exe"}).uspjeh());
    ASSERT_TRUE(ZabilježiUDnevnik(o.datoteke, o.stanje, DnevnikBackup, "C.exe").uspjeh());
    ASSERT_TRUE(ZabilježiUDnevnik(o.datoteke, o.stanje, DnevnikSpremljena, "C.exe").uspjeh());
    TestOkruženje::Zapiši(b + "C.exe", "stara");
    QDir().mkpath(p + "C.exe");
    o.poruke.upiti.clear();
    ObnoviPrekinutuInstalaciju(o.k);
    EXPECT_TRUE(QFile::exists(PutDnevnika(s)));
    EXPECT_EQ(o.poruke.upiti.value(0).ikona, Ikona::Kritična);
    EXPECT_TRUE(o.poruke.tekstovi().value(0).contains("nisu vraćene i čekaju u direktoriji " + b +
                                                      ":\r\nC.exe (" + GreškaIzSustava(EEXIST).opis + ")"));
}

// A full disk under the program directory: the new program and the new list
// do not fit, and the old ones stay whole, byte for byte.
TEST_F(Prekid, FullDiskLeavesTheOldProgramAndListWhole) {
    TestOkruženje o;
    MaliDisk disk(o.vanjski("disk"), 128);
    if (!disk.montiran()) GTEST_SKIP() << qPrintable(disk.razlog);
    StanjeRada& s = o.stanje;
    const QString p = s.ProgramskaDirektorija = o.vanjski("disk") + Separator();
    s.UpdateDirektorija = p + "Update" + Separator();
    s.BackupDirektorija = p + "UpdateBackup" + Separator();
    QtProcesi procesi;
    BezProzora prozori;
    o.k.procesi = &procesi;
    o.k.prozori = &prozori;
    o.izvor.odabrana = UpdateLokacija::MrežnaLokacija; // the check afterwards finds nothing
    const QByteArray stariProgram(3000, 's'), staraLista = "A.exe;21;1;0;10;20;\r\n";
    TestOkruženje::Zapiši(p + "A.exe", stariProgram);
    TestOkruženje::Zapiši(p + ImeListeVerzija, staraLista);
    TestOkruženje::Zapiši(s.UpdateDirektorija + "A.exe", QByteArray(40000, 'n'));
    TestOkruženje::Zapiši(s.UpdateDirektorija + ImeListeVerzija,
                          QByteArray(40000, ' ') + "\r\n" + staraLista);
    disk.Napuni(16);

    s.NoveVerzije.postavi(0, Ime, QString("A.exe"));
    s.NoveVerzije.postavi(0, TrebaInstalirati, qint16(1));
    EXPECT_FALSE(UpdatePrograma(o.k, o.seta()));
    EXPECT_EQ(TestOkruženje::Pročitaj(p + "A.exe"), stariProgram);
    const QString pun = GreškaIzSustava(ENOSPC).opis;
    EXPECT_EQ(o.poruke.tekstovi().value(0).section("\r\n", 0, 1).toStdString(),
              std::string("Nastala je greška u kopiranju novog programa: A.exe\r\nPoruka o grešci je: ") +
                  pun.toStdString());

    // Nothing planned: only the list is swapped, and it does not fit either.
    s.ProgramskaDirektorija = p, s.UpdateDirektorija = p + "Update" + Separator();
    s.BackupDirektorija = p + "UpdateBackup" + Separator();
    s.NoveVerzije = Matrica();
    s.NovaLista = TestOkruženje::Pročitaj(s.UpdateDirektorija + ImeListeVerzija);
    EXPECT_TRUE(UpdatePrograma(o.k, o.seta()));
    EXPECT_EQ(TestOkruženje::Pročitaj(p + ImeListeVerzija), staraLista);
    EXPECT_TRUE(o.LogPoruke().contains("UpdatePrograma - Greška u kopiranju Verzije.txt " + pun))
        << qPrintable(o.LogPoruke().join("\n"));
    EXPECT_TRUE(QDir(p).entryList({"*" + NastavakPrivremene}).isEmpty());
}

} // namespace
