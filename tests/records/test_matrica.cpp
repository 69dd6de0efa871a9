#include "Okruzenje.h"
#include "records/Matrica.h"
#include "records/TekstPrijenosa.h"
#include "records/UpdateLog.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>

namespace morvela::test {

struct MatricaTest : ::testing::Test {
    TestOkruženje o;
    Matrica m;
    QString put = o.dir() + "Verzije.txt";
    bool Učitaj() { return UčitajMatricu(m, put, o.k.ZaMatricu()); }
    // All seven cells of a row, joined by "|".
    QString Red(int r) const {
        QStringList ćelije;
        for (int s = 0; s < Matrica::Stupaca; ++s)
            ćelije << m.tekst(r, s);
        return ćelije.join('|');
    }
};

TEST_F(MatricaTest, ReadsAndWritesWindows1250ListsAndReportsFailures) {
    const QByteArray račun = "Ra\xe8un \xe8\x9e\x9a\xe6\xf0 \xc8\x8e\x8a\xc6\xd0.exe;21;4;3;512;900;\r\n";
    o.Zapiši(put, račun +
                      "   \r\n\r\n"
                      "Drugi.dll; 21;;2;3;4;x\n" // bare LF, a version part left out, text after the sixth ";"
                      "Tre\xe6i.chm;1;2;3;4;5;"); // no final line break
    ASSERT_TRUE(Učitaj()) << o.stanje.ZadnjaPoruka.toStdString();
    EXPECT_EQ(QStringList({Red(0), Red(1), Red(2)}),
              QStringList({"Račun čžšćđ ČŽŠĆĐ.exe|21|4|3|512|900|0", "Drugi.dll| 21||2|3|4|0",
                           "Treći.chm|1|2|3|4|5|0"}));

    m.postavi(1, 0, QString()); // a row without a name is not written
    m.postavi(2, 4, qint16(700));
    ASSERT_TRUE(SnimiMatricu(m, put, o.k.ZaMatricu()));
    EXPECT_EQ(o.Pročitaj(put), račun + "Tre\xe6i.chm;1;2;3;700;5;\r\n");

    // Failures keep the rows read before them.
    for (const char* loš : {"a;1;2;3;4;5", "\t"}) {
        o.Zapiši(put, QByteArray("ok;1;1;1;1;1;\r\n") + loš + "\r\n");
        EXPECT_FALSE(Učitaj());
        EXPECT_EQ(o.stanje.ZadnjaPoruka, QString("Greška u splitu - ima : %1 članova! Datoteka: %2 Red: %3 ")
                                             .arg(QByteArray(loš).count(';') + 1)
                                             .arg(put, loš));
        EXPECT_EQ(Red(0), "ok|1|1|1|1|1|0");
    }

    QStringList zapisi;
    for (int i = 0; i < 72; ++i)
        zapisi << QString("F%1.exe;1;2;3;4;5;").arg(i);
    o.ZapišiListu(put, zapisi.mid(0, 71));
    EXPECT_TRUE(Učitaj());
    o.ZapišiListu(put, zapisi);
    EXPECT_FALSE(Učitaj());
    EXPECT_TRUE(Red(70).startsWith("F70.exe|"));
    EXPECT_TRUE(o.stanje.ZadnjaPoruka.startsWith("Greška u dodjeljivanju vrijednosti matrici! "));
    EXPECT_EQ(o.LogPoruke(), QStringList{o.stanje.ZadnjaPoruka});

    // A name the list's code page cannot hold is not written at all; the old list stays whole.
    const QByteArray stara = o.Pročitaj(put);
    m.postavi(0, 0, QString("Program日.exe"));
    EXPECT_FALSE(SnimiMatricu(m, put, o.k.ZaMatricu()));
    EXPECT_EQ(o.poruke.tekstovi().value(0), "Greška u upisu u datoteku: " + put +
                                                " Red: Program日.exe;1;2;3;4;5; Znak koji se ne može "
                                                "zapisati u kodnoj stranici windows-1250");
    EXPECT_EQ(o.Pročitaj(put), stara);
    o.poruke.upiti.clear();

    QFile::remove(put);
    EXPECT_FALSE(Učitaj());
    EXPECT_FALSE(SnimiMatricu(m, o.dir() + "nema/V.txt", o.k.ZaMatricu()));
    EXPECT_EQ(Red(0), "||||0|0|0");
    ASSERT_EQ(o.poruke.upiti.size(), 2);
    EXPECT_TRUE(o.poruke.upiti[0].tekst.startsWith("Greška u otvaranju datoteke: " + put + " "));
    EXPECT_EQ(o.poruke.upiti[0].ikona, Ikona::Usklicnik);
    EXPECT_TRUE(
        o.poruke.upiti[1].tekst.startsWith("Greška u otvaranju datoteke: " + o.dir() + "nema/V.txt "));
}

TEST_F(MatricaTest, KeepsEveryWindows1250CharacterAndRefusesBytesWithoutOne) {
    // Made with iconv: the Croatian alphabet, then every other character of the code page.
    const QByteArray abeceda = o.Pročitaj(MORVELA_TEST_DATA_DIR "/abeceda.txt");
    o.Zapiši(put, abeceda);
    ASSERT_TRUE(Učitaj()) << o.stanje.ZadnjaPoruka.toStdString();
    EXPECT_EQ(QStringList({m.tekst(0, 0), m.tekst(1, 0), m.tekst(2, 0), m.tekst(3, 0), m.tekst(4, 0)}),
              QStringList({"ABCČĆDDžĐEFGHIJKLLjMNNjOPRSŠTUVZŽ.exe", "abcčćddžđefghijklljmnnjoprsštuvzž.dll",
                           "Ostali äöüëßéáíóúýôçăâîşţ ÄÖÜËÉÁÍÓÚÝÔÇĂÂÎŞŢ.chm",
                           "Srednja Europa ěřůťďňľĺŕąęłńśźżőű ĚŘŮŤĎŇĽĹŔĄĘŁŃŚŹŻŐŰ.enc",
                           "Znakovi €‚„…†‡‰‹›‘’“”•–—™§©®°±´µ¶·¸«»ˇ˘˛˝˙¤¦¨¬\u00ad×÷\u00a0kraj.txt"}));
    ASSERT_TRUE(SnimiMatricu(m, put, o.k.ZaMatricu()));
    EXPECT_EQ(o.Pročitaj(put), abeceda);

    for (const char bajt : {'\x81', '\x83', '\x88', '\x90', '\x98'}) {
        o.Zapiši(put, QByteArray("A.exe;1;1;1;1;1;\r\nB") + bajt + ".exe;1;1;1;1;1;\r\n");
        EXPECT_FALSE(Učitaj()) << int(uchar(bajt));
        EXPECT_EQ(o.LogPoruke().value(o.LogPoruke().size() - 1),
                  "UčitajMatricu - Neispravan znak za kodnu stranicu windows-1250 u zapisu 2. Datoteka: " +
                      put);
        EXPECT_EQ(Red(0), "||||0|0|0");
    }

    // Near misses of Windows' reserved names are ordinary names; a name given twice counts once.
    o.ZapišiListu(put,
                  {"COM10.exe;1;1;1;1;1;", "Console.exe;1;1;1;1;1;", "CON-1.dll;1;1;1;1;1;",
                   "LPT.txt;1;1;1;1;1;", "A~b.txt;1;1;1;1;1;", "Isto.exe;1;1;1;1;1;", "Isto.exe;2;2;2;2;2;"});
    EXPECT_TRUE(Učitaj()) << o.stanje.ZadnjaPoruka.toStdString();
}

TEST_F(MatricaTest, RefusesHostileListsNamingTheRecordAndTheReason) {
    const QString Ime = "Neispravno ime datoteke u zapisu 4: ",
                  Vlastito = "Ime datoteke u zapisu 4 je ime radne datoteke ovog programa: ";
    const QList<std::pair<const char*, QString>> liste = {
        {"ime-roditelj.txt", Ime + "../Izvan.exe"},
        {"ime-apsolutno.txt", Ime + "/tmp/Izvan.exe"},
        {"ime-obrnuta-kosa-crta.txt", Ime + "Pod\\Izvan.exe"},
        {"ime-pogon.txt", Ime + "C:Izvan.exe"},
        {"ime-dvije-tocke.txt", Ime + ".."},
        {"ime-prazno.txt", Ime},
        {"ime-kontrolni-znak.txt", Ime + "Izvan\\x07.exe"},
        {"ime-navodnik.txt", Ime + "Iz\"van.exe"},
        {"ime-zvjezdica.txt", Ime + "Iz*van.exe"},
        {"ime-upitnik.txt", Ime + "Iz?van.exe"},
        {"ime-manje.txt", Ime + "Iz<van.exe"},
        {"ime-vece.txt", Ime + "Iz>van.exe"},
        {"ime-cijev.txt", Ime + "Iz|van.exe"},
        {"ime-tocka-na-kraju.txt", Ime + "Izvan."},
        {"ime-razmak-na-kraju.txt", Ime + "Izvan.exe "},
        {"ime-uredaj.txt", Ime + "CON"},
        {"ime-uredaj-s-nastavkom.txt", Ime + "com1.dll"},
        {"ime-uredaj-razmak.txt", Ime + "CON .exe"},
        {"ime-uredaj-razmaci-malim.txt", Ime + "nul  .dll"},
        {"ime-uredaj-com-nula.txt", Ime + "COM0"},
        {"ime-uredaj-lpt-nula.txt", Ime + "LPT0.txt"},
        {"ime-uredaj-conin.txt", Ime + "CONIN$"},
        {"ime-uredaj-conout.txt", Ime + "conout$.log"},
        {"ime-uredaj-clock.txt", Ime + "CLOCK$"},
        {"ime-kratko.txt", Ime + "PROGRA~1.EXE"},
        {"ime-velika-mala-slova.txt",
         "Ime datoteke u zapisu 4 razlikuje se od imena u zapisu 1 samo po velikim i "
         "malim slovima: knjige21.EXE"},
        {"ime-predugo.txt", Ime + QString(252, 'A') + ".exe"},
        {"ime-vlastito-dnevnik.txt", Vlastito + "Instalacija.dnevnik"},
        {"ime-vlastito-log.txt", Vlastito + "update.LOG"},
        {"ime-vlastito-verzije.txt", Vlastito + "Verzije.txt"},
        {"ime-vlastito-verzijeu.txt", Vlastito + "VERZIJEU.TXT"},
        {"ime-vlastito-brava.txt", Vlastito + "MorvelaLiveUpdate21.lock"},
        {"ime-vlastito-brava-pomocna.txt", Vlastito + "MorvelaLiveUpdate21.lock.rmlock"},
        {"ime-vlastito-privremena.txt", Vlastito + "Knjige21.exe.Mlu-Novo"},
        {"ime-vlastito-backup.txt", Vlastito + "UpdateBackup"},
        {"prazna-lista.txt", "Lista nema nijednog zapisa"},
        {"broj-slova.txt", "Neispravan broj u zapisu 4, polje Ver_Gl: abc"},
        {"broj-decimalni.txt", "Neispravan broj u zapisu 4, polje Ver_Rev: 1.5"},
        {"broj-negativan.txt", "Neispravan broj u zapisu 4, polje VeličinaDownload: -5"},
        {"broj-prevelik.txt", "Neispravan broj u zapisu 4, polje StvarnaVeličina: 2147483648"},
        {"kodiranje-utf16.txt", "Zapis 1 nije u kodnoj stranici windows-1250 nego UTF-16"},
        {"kodiranje-utf8.txt", "Zapis 2 nije u kodnoj stranici windows-1250 nego UTF-8"}};
    for (const auto& [datoteka, razlog] : liste) {
        SCOPED_TRACE(datoteka);
        const QByteArray lista = o.Pročitaj(MORVELA_TEST_DATA_DIR "/lose-liste/" + QString(datoteka));
        ASSERT_FALSE(lista.isEmpty());
        o.Zapiši(put, lista);
        EXPECT_FALSE(Učitaj());
        EXPECT_EQ(o.LogPoruke().value(o.LogPoruke().size() - 1),
                  "UčitajMatricu - " + razlog + ". Datoteka: " + put);
    }
}

TEST(UpdateLog, AppendsDatedEntriesAndReportsEveryLostOne) {
    TestOkruženje o;
    for (const QString& poruka : {QString("Plan - početak"), QString(), QString("kraj\r\n")})
        o.k.LogirajGrešku(poruka);
    const QLocale l = QLocale::system();
    const QString d = l.toString(o.sat.Sada().date(), QLocale::ShortFormat) + " " +
                      l.toString(o.sat.Sada().time(), QLocale::ShortFormat) + " ";
    EXPECT_EQ(QString::fromLocal8Bit(o.Pročitaj(o.log->Put())),
              d + "Plan - početak\r\n" + d + "\r\n" + d + "kraj\r\n\r\n");

    // No box so far; without the Update directory every entry costs one.
    QDir(o.updateDir()).removeRecursively();
    for (const char* poruka : {"jedan", "dva"})
        o.k.LogirajGrešku(poruka);
    // The words after the number are the system's own.
    ASSERT_EQ(o.poruke.tekstovi().size(), 2);
    for (const QString& kutija : o.poruke.tekstovi())
        EXPECT_TRUE(kutija.startsWith("Desila se greška: u upisu u LOG. Greška: 76 "))
            << kutija.toStdString();
#ifndef Q_OS_WIN
    // A log that is a link is never written through, and the box names the log itself. (Qt
    // makes a shell shortcut on Windows, not a link.)
    QDir().mkpath(o.updateDir());
    const QString drugdje = o.vanjski("tuđi.log");
    o.Zapiši(drugdje, "tuđe");
    ASSERT_TRUE(QFile::link(drugdje, o.log->Put()));
    o.k.LogirajGrešku("tri");
    EXPECT_EQ(o.Pročitaj(drugdje), "tuđe");
    EXPECT_TRUE(o.poruke.tekstovi().last().startsWith(
        "Desila se greška: u upisu u LOG. Greška: 75 Datoteka " + o.log->Put() + " je simbolička veza"))
        << o.poruke.tekstovi().last().toStdString();
#endif
}

TEST(TekstPrijenosa, BytesSpeedTimeLeftStallAndPlace) {
    const auto mb = [](double m) { return qint64(m * 1024 * 1024); };
    const QLocale hr(QLocale::Croatian, QLocale::Croatia), en(QLocale::English, QLocale::UnitedStates);
    struct Slučaj {
        StanjePrijenosa p;
        QLocale jezik;
        QString tekst;
    } slučajevi[] = {
        {{"Knjigovodstvo21.7z", mb(12.4), mb(41.9), double(mb(1)), 0, 3, 7},
         hr,
         "Knjigovodstvo21.7z · 12,4 od 41,9 MB · 1,0 MB/s · još 0:29 · datoteka 3 od 7"},
        {{"A.7z", mb(12.4), mb(41.9), double(mb(1)), 0, 3, 7},
         en,
         "A.7z · 12.4 od 41.9 MB · 1.0 MB/s · još 0:29 · datoteka 3 od 7"},
        // Hours once there are any, and the locale's group separator.
        {{"B.7z", mb(1.5), mb(1234.5), double(mb(0.25)), 0, 1, 1},
         hr,
         "B.7z · 1,5 od 1.234,5 MB · 0,3 MB/s · još 1:22:12 · datoteka 1 od 1"},
        // Not yet a speed: no time left either.
        {{"C.7z", 0, mb(2), 0, 0, 2, 2}, hr, "C.7z · 0,0 od 2,0 MB · datoteka 2 od 2"},
        // Silence: how long, in place of speed and time left; counted only from 5 s on.
        {{"D.7z", mb(3), mb(8), double(mb(1)), 12400, 1, 4},
         hr,
         "D.7z · 3,0 od 8,0 MB · Nema podataka 12 s … · datoteka 1 od 4"},
        {{"D.7z", mb(3), mb(8), double(mb(1)), 4999, 1, 4},
         hr,
         "D.7z · 3,0 od 8,0 MB · 1,0 MB/s · još 0:05 · datoteka 1 od 4"},
        // A size the server did not announce, a run that does not count its files.
        {{"E.7z", mb(0.06), -1, double(mb(2)), 0, 0, 0}, hr, "E.7z · 0,1 MB · 2,0 MB/s"},
    };
    for (const Slučaj& c : slučajevi)
        EXPECT_EQ(TekstPrijenosa(c.p, c.jezik), c.tekst);
}

} // namespace morvela::test
