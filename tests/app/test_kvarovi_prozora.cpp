#include "Lazni.h"
#include "Okruzenje.h"
#include "app/frmLiveUpdate.h"
#include "app/mreza/MrezaPlana.h"
#include "platform/Postavke.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

using namespace morvela;
using namespace morvela::test;

namespace {

// Boxes with their titles; the person answers Yes.
struct Poruke : LažnePoruke {
    Odgovor Pokaži(const QString& tekst, Ikona ikona, Gumbi gumbi, const QString& naslov) override {
        naslovi << naslov;
        return LažnePoruke::Pokaži(tekst, ikona, gumbi, naslov);
    }
    QStringList naslovi;
};

// Serves the files of one directory and remembers where each went; "tijekom" runs inside a fetch.
struct Veza : IPreuzimanje {
    bool DownloadDatoteke(const QString& ime, const QString& cilj) override {
        ciljevi << cilj;
        if (tijekom) std::exchange(tijekom, nullptr)();
        QFile::remove(cilj + ime);
        return QFile::copy(server + ime, cilj + ime);
    }
    QString server;
    QStringList ciljevi;
    std::function<void()> tijekom;
};

// The window over a temporary suite, with real settings in a temporary store.
struct Prozor {
    QTemporaryDir korijen;
    const QString suite = korijen.filePath("Suite"), L = korijen.filePath("Lokacija") + "/";
    Poruke poruke;
    LažniSat sat;
    LažnaImena imena;
    Veza veza;
    std::unique_ptr<QtPostavke> postavke;
    std::unique_ptr<frmLiveUpdate> p;

    Prozor() {
        QDir().mkpath(suite);
        QDir().mkpath(L);
        veza.server = korijen.filePath("server") + "/";
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, korijen.filePath("config"));
        postavke = std::make_unique<QtPostavke>();
    }
    frmLiveUpdate& Otvori() {
        OvisnostiProzora o;
        o.usluge.poruke = &poruke;
        o.usluge.sat = &sat;
        o.usluge.imena = &imena;
        o.usluge.postavke = postavke.get();
        o.usluge.preuzimanje = &veza;
        o.usluge.izvršnaDirektorija = suite;
        p = std::make_unique<frmLiveUpdate>(o);
        p->PokreniProzor();
        return *p;
    }
    ~Prozor() {
        p.reset();
        if (montirano) QProcess::execute("umount", {suite});
    }
    bool montirano = false;
    int DistribucijskihDohvata() const { return veza.ciljevi.filter(L).size(); }
    QStringList Log() const {
        QFile f(suite + "/Update/Update.log");
        f.open(QIODevice::ReadOnly);
        return QString::fromLocal8Bit(f.readAll()).split("\r\n", Qt::SkipEmptyParts);
    }
};

const QString Preskočeno = "tmrUpdate - automatsko preuzimanje preskočeno, druga operacija je u tijeku";

// Ticks in order on one window: the time, N, whether the tick falls inside another operation,
// whether a distribution run starts, and whether the skip is logged.
TEST(KvaroviProzora, ScheduleThroughTheWindowsOwnTimer) {
    struct Otkucaj {
        const char* naziv;
        QTime vrijeme;
        int n;
        bool zauzet, pokreće;
    };
    const Otkucaj otkucaji[] = {
        {"switched off", {14, 0, 10}, 0, false, false},
        {"N changed within the hour", {14, 0, 40}, 2, false, true},
        {"hour does not match", {15, 0, 10}, 2, false, false},
        {"N changed between ticks", {15, 0, 40}, 5, false, true},
        {"not in minute 0", {20, 1, 10}, 5, false, false},
        {"another operation under way", {20, 0, 10}, 5, true, false},
        {"the skipped hour caught up", {20, 0, 40}, 5, false, true},
    };
    Prozor t;
    TestOkruženje::ZapišiListu(t.suite + "/Verzije.txt", {"A.exe;1;1;1;5;9;"});
    // A scheduled run works only on a location filled once by hand.
    TestOkruženje::ZapišiListu(t.L + "Verzije.txt", {"A.exe;1;1;1;5;9;"});
    frmLiveUpdate& p = t.Otvori();
    p.txtLokacija[1]->setText(t.L);
    for (const Otkucaj& o : otkucaji) {
        SCOPED_TRACE(o.naziv);
        t.sat.sada = QDateTime(QDate(2026, 3, 14), o.vrijeme).addMSecs(-t.sat.monotono);
        p.numVrijemeDownloada->setValue(o.n);
        const int prije = t.DistribucijskihDohvata();
        const int preskočeno = t.Log().filter(Preskočeno).size();
        const auto upita = t.poruke.upiti.size();
        if (o.zauzet) {
            // The tick comes while the check waits for its fetch.
            t.veza.tijekom = [&p] { p.tmrUpdate_Timer(); };
            p.cmdVerzija->click();
        } else {
            p.tmrUpdate_Timer();
        }
        EXPECT_EQ(t.DistribucijskihDohvata() > prije, o.pokreće);
        EXPECT_EQ(t.Log().filter(Preskočeno).size() - preskočeno, o.zauzet ? 1 : 0);
        // A scheduled run shows nothing.
        if (!o.zauzet) {
            EXPECT_EQ(t.poruke.upiti.size(), upita);
        }
    }
}

// Whether activating the window ends the program: the event loop's exit code, or 0 when it goes on.
int KodPriAktivaciji(frmLiveUpdate& p) {
    QTimer zaštita;
    zaštita.setSingleShot(true);
    QObject::connect(&zaštita, &QTimer::timeout, [] { QCoreApplication::exit(0); });
    zaštita.start(200);
    QTimer::singleShot(0, &p, [&p] {
        QEvent aktivacija(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&p, &aktivacija);
    });
    return QCoreApplication::exec();
}

// Start-up: what is set up, the boxes (text start, icon, title), whether the program ends at the
// first activation, and the planned rows the window's own grid shows.
TEST(KvaroviProzora, StartUp) {
    struct Početak {
        const char* naziv;
        std::function<bool(Prozor&)> postavi; // false: the row cannot be set up here
        QList<std::tuple<QString, Ikona, QString>> okviri;
        bool završava;
        QStringList redovi;
    };
    const QString nema = "Ne postoji datoteka ";
    const QString operater =
        "Prijavljeni operater: TESTER izgleda nema administratorska prava za instalaciju "
        "programa.\r\nProces automatskog ažuriranja novih verzija možda neće biti ispravan, ali "
        "ipak pokušajte!";
    const QString direktorij =
        "Nastala je greška u kreiranju Update direktorije!\r\nProgram za automatsko ažuriranje "
        "novih programa mora prestati sa radom.\r\nVjerojatno nemate administratorska prava "
        "ili je UAC uključen.";
    const Početak redovi[] = {
        {"check fails", [](Prozor&) { return true; }, {{nema, Ikona::Usklicnik, NaslovAplikacije}}, true, {}},
        {"check succeeds",
         [](Prozor& t) {
             TestOkruženje::ZapišiListu(t.suite + "/Verzije.txt", {"A.exe;1;1;1;5;9;", "B.exe;1;1;1;5;9;"});
             TestOkruženje::ZapišiListu(t.veza.server + "Verzije.txt",
                                        {"A.exe;1;1;2;5;9;", "B.exe;1;1;1;5;9;"});
             TestOkruženje::Zapiši(t.suite + "/B.exe", "b");
             TestOkruženje::Zapiši(t.suite + "/" + "TeamViewerQS.exe", "tv");
             return true;
         },
         {},
         false,
         {"A.exe"}},
        // The operator is warned and start-up goes on, to fail at the update directory.
        {"read-only program directory",
         [](Prozor& t) {
             t.montirano =
                 QProcess::execute("mount", {"-t", "tmpfs", "-o", "ro,size=64k", "tmpfs", t.suite}) == 0;
             return t.montirano;
         },
         {{operater, Ikona::Kritična, "Morvela"}, {direktorij, Ikona::Usklicnik, NaslovAplikacije}},
         true,
         {}},
    };
    for (const Početak& red : redovi) {
        SCOPED_TRACE(red.naziv);
        Prozor t;
        if (!red.postavi(t)) GTEST_SKIP() << "needs root to mount a read-only tmpfs";
        frmLiveUpdate& p = t.Otvori();
        ASSERT_EQ(t.poruke.upiti.size(), red.okviri.size()) << t.poruke.tekstovi().join("|").toStdString();
        for (int i = 0; i < red.okviri.size(); ++i) {
            EXPECT_TRUE(t.poruke.upiti[i].tekst.startsWith(std::get<0>(red.okviri[i])))
                << t.poruke.upiti[i].tekst.toStdString();
            EXPECT_EQ(t.poruke.upiti[i].ikona, std::get<1>(red.okviri[i]));
            EXPECT_EQ(t.poruke.naslovi[i], std::get<2>(red.okviri[i]));
        }
        EXPECT_EQ(p.ZavršiPriAktivaciji(), red.završava);
        if (red.završava) {
            EXPECT_EQ(KodPriAktivaciji(p), 1);
        }
        QStringList redovi;
        for (int r = 1; r < p.fgAžuriranja->rowCount(); ++r) // row 0 holds the totals
            redovi << p.fgAžuriranja->item(r, 1)->text();
        EXPECT_EQ(redovi, red.redovi);
    }
}

} // namespace
