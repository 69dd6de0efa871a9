#include "Lazni.h"
#include "app/Raspored.h"
#include "app/frmLiveUpdate.h"
#include "app/mreza/MrezaPlana.h"
#include "platform/Postavke.h"
#include "platform/Sat.h"

#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <utility>

using namespace morvela;
using namespace morvela::test;

namespace {

// A fetch that never reaches a server: start-up then fails as with a dead line.
class MrtvaVeza : public IPreuzimanje {
public:
    bool DownloadDatoteke(const QString&, const QString&) override { return false; }
};

// The person: answers every box and may do something with the window meanwhile.
struct Osoba : LažnePoruke {
    Odgovor Pokaži(const QString& tekst, Ikona ikona, Gumbi gumbi, const QString& naslov) override {
        const Odgovor o = LažnePoruke::Pokaži(tekst, ikona, gumbi, naslov);
        if (priPoruci) priPoruci();
        return o;
    }
    std::function<void()> priPoruci;
};

// Runs once the next modal dialog is up, inside its own event loop.
void KadSeOtvoriDijalog(const std::function<void(QWidget*)>& radnja) {
    auto* provjera = new QTimer;
    QObject::connect(provjera, &QTimer::timeout, [provjera, radnja] {
        if (QWidget* d = QApplication::activeModalWidget()) {
            provjera->stop();
            provjera->deleteLater();
            radnja(d);
        }
    });
    provjera->start(5);
}

// On the option's circle: the button spans the frame, its caption does not.
void Klikni(QRadioButton* opcija) {
    QTest::mouseClick(opcija, Qt::LeftButton, {}, QPoint(6, opcija->height() / 2));
}

void ObradiDogađaje() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

const QString Preskočeno = "tmrUpdate - automatsko preuzimanje preskočeno, druga operacija je u tijeku";

struct ProzorTest : ::testing::Test {
    QTemporaryDir korijen;
    QString suite = korijen.filePath("Suite");
    Osoba poruke;
    LažniSat sat;
    LažnaImena imena;
    MrtvaVeza veza;
    QStringList pretraživanja;
    QString odabir;
    bool praviDijalog = false;
    QList<int> izlazi;
    std::unique_ptr<QtPostavke> postavke;
    std::unique_ptr<frmLiveUpdate> prozor;

    ProzorTest() {
        QDir().mkpath(suite + "/Update");
        // Real settings in a temporary per-user store.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, korijen.filePath("config"));
        postavke = std::make_unique<QtPostavke>();
    }

    frmLiveUpdate& Prozor() {
        if (!prozor) {
            OvisnostiProzora o;
            o.usluge.poruke = &poruke;
            o.usluge.sat = &sat;
            o.usluge.imena = &imena;
            o.usluge.postavke = postavke.get();
            o.usluge.preuzimanje = &veza;
            o.usluge.izvršnaDirektorija = suite;
            o.verzija = {21, 4, 0, 3};
            if (!praviDijalog)
                o.odaberiDatoteku = [this](const QString& početna) {
                    pretraživanja << početna;
                    return odabir;
                };
            o.izlaz = [this](int kod) { izlazi << kod; };
            prozor = std::make_unique<frmLiveUpdate>(o);
        }
        return *prozor;
    }
    // Shown and active, so that focus moves as for a person at the screen.
    frmLiveUpdate& Prikazan() {
        frmLiveUpdate& p = Prozor();
        p.show();
        p.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&p));
        return p;
    }
    QString Pročitaj(const QString& sekcija, const QString& ključ) {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Morvela", "Morvela");
        return s.value(sekcija + "/" + ključ, "<none>").toString();
    }
    void Zapiši(const QString& sekcija, const QString& ključ, const QString& v) {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Morvela", "Morvela");
        s.setValue(sekcija + "/" + ključ, v);
    }
    QStringList Log() {
        QFile f(suite + "/Update/Update.log");
        f.open(QIODevice::ReadOnly);
        return QString::fromLocal8Bit(f.readAll()).split("\r\n", Qt::SkipEmptyParts);
    }
};

TEST_F(ProzorTest, ControlsCarryTheirNamesCaptionsAndInitialValues) {
    frmLiveUpdate& p = Prozor();
    EXPECT_EQ(p.windowTitle(),
              QStringLiteral("Morvela Live Update - Automatsko ažuriranje Mor-vela programa"));
    QStringList kartice;
    for (int i = 0; i < p.SSTab1->count(); ++i)
        kartice << p.SSTab1->tabText(i);
    EXPECT_EQ(kartice, (QStringList{"&Potrebna &ažuriranja", "Poruke o &akcijama", "Poruke o &greškama",
                                    "Kopiranje novih (svih) programa na disk/mrežnu lokaciju"}));
    EXPECT_EQ(p.optLokacija[2]->text(),
              QStringLiteral("Internet (https://download.morvela.hr/download/Verzija21) - "
                             "preferirani (najbrži) način sa interneta"));
    EXPECT_EQ(p.optLokacija[1]->text(), QStringLiteral("Sa mrežne lokacije"));
    EXPECT_EQ(p.optLokacija[0]->text(),
              QStringLiteral("Internet (https://download.morvela.ba/download/Verzija21)"));
    EXPECT_TRUE(p.optLokacija[2]->isChecked());
    EXPECT_EQ(p.txtLokacija[0]->text(), "D:\\Morvela software\\Morvela knjigovodstvo V21\\UpdatePriprema\\");
    EXPECT_EQ(p.txtLokacija[1]->text(), "D:\\Morvela software\\Morvela knjigovodstvo V20\\MSDE\\LokUpdate\\");
    EXPECT_FALSE(p.cmdDownloadAndUpdate->isEnabled() || p.progBar->isVisible() || p.tmrPrijenos->isActive());
    EXPECT_EQ(p.tmrUpdate->interval(), 60000);
    EXPECT_EQ(p.tmrPrijenos->interval(), 500);
    EXPECT_EQ(p.numVrijemeDownloada->maximum(), 23);

    // Assistive technology finds captionless controls by their names.
    QStringList imena;
    for (QWidget* w : p.findChildren<QWidget*>())
        imena << w->accessibleName();
    for (const char* ime :
         {"fgAžuriranja", "txtLokacija(0)", "txtLokacija(1)", "cmdLokacija(0)", "cmdLokacija(1)",
          "numVrijemeDownloada", "txtPor", "txtPorGr", "SBar(1)", "SBar(2)", "SBar(3)", "SBar(4)"})
        EXPECT_TRUE(imena.contains(QString::fromUtf8(ime))) << ime;
    const QStringList savjeti{"Trenutna akcija", "Trenutno stanje", "Datum", "Vrijeme"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(p.SBar[i]->toolTip(), savjeti[i]);
}

TEST_F(ProzorTest, StartUpAppendsVersionPaintsColourProbesAndEndsWhenTheCheckFails) {
    QDir().mkpath(suite + "/UpdateADM/ostatak");
    QFile f(suite + "/UpdateADM/ostatak/x.txt");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    frmLiveUpdate& p = Prozor();
    p.PokreniProzor();
    EXPECT_TRUE(p.windowTitle().endsWith(" V21.4.3"));
    EXPECT_EQ(p.SSTab1->currentIndex(), 0);
    EXPECT_EQ(p.palette().color(QPalette::Window), QColor(0xCB, 0xDA, 0xD9));
    EXPECT_FALSE(QDir(suite + "/UpdateADM").exists());
    // No installed list: the check fails and the program is to end at activation.
    EXPECT_TRUE(p.ZavršiPriAktivaciji());
    EXPECT_FALSE(poruke.upiti.isEmpty());
}

TEST_F(ProzorTest, ClosingWritesTheEndLineAndExitDoesNot) {
    frmLiveUpdate& p = Prozor();
    p.cmdIzlaz->click();
    EXPECT_EQ(izlazi, QList<int>{0});
    EXPECT_TRUE(Log().isEmpty());
    p.close();
    ASSERT_EQ(Log().size(), 1);
    EXPECT_TRUE(
        Log()[0].endsWith(" *************************** KRAJ PROGRAMA **********************************"));
}

TEST_F(ProzorTest, MissingOrInvalidSettingsFallBackToDefaults) {
    for (bool neispravne : {false, true}) {
        if (neispravne) {
            prozor.reset();
            for (const char* ključ : {"UpdateLok21N", "KoristiChilkatZaDownload", "BojaIntegratora"})
                Zapiši("Settings", ključ, "možda");
        }
        frmLiveUpdate& p = Prozor();
        p.PokreniProzor();
        EXPECT_TRUE(p.optLokacija[2]->isChecked());
        EXPECT_EQ(p.txtLokacija[0]->text() + p.txtLokacija[1]->text(), "");
        EXPECT_EQ(p.numVrijemeDownloada->value(), 0);
        EXPECT_TRUE(p.stanje().KoristiChilkat);
        EXPECT_EQ(p.palette().color(QPalette::Window), QColor(0xCB, 0xDA, 0xD9));
        // Selecting the option that was already selected saves nothing.
        if (!neispravne) {
            EXPECT_EQ(Pročitaj("Settings", "UpdateLok21N"), "<none>");
        }
    }
}

TEST_F(ProzorTest, StoredNetworkSourceSavesDuringLoadingSoTheFirstKeyWins) {
    Zapiši("Settings", "UpdateLok21N", "1");
    Zapiši("Settings", "UpdateLokDir21", "/mreza/update/");
    Zapiši("Settings", "UpdateLokDirMr21", "/prva/");
    Zapiši("Settings", "UpdateLokDirMr.morvela.Ba.21", "/druga/");
    Zapiši("Settings", "KoristiChilkatZaDownload", "False");
    Zapiši("Setting", "VrijemeAutoDownloadaNovihVerz", "5");
    frmLiveUpdate& p = Prozor();
    p.UčitajPostavke();
    EXPECT_TRUE(p.optLokacija[1]->isChecked());
    EXPECT_EQ(p.txtLokacija[0]->text(), "/mreza/update/");
    EXPECT_EQ(p.txtLokacija[1]->text(), "/prva/");
    EXPECT_EQ(Pročitaj("Settings", "UpdateLokDirMr.morvela.Ba.21"), "/prva/");
    EXPECT_EQ(p.numVrijemeDownloada->value(), 5);
    EXPECT_FALSE(p.stanje().KoristiChilkat);
}

TEST_F(ProzorTest, SavingWritesTheDistributionLocationUnderTheKeyOfTheSource) {
    frmLiveUpdate& p = Prikazan();
    // A click on the option already selected saves as well.
    Klikni(p.optLokacija[2]);
    EXPECT_EQ(Pročitaj("Settings", "UpdateLok21N"), "2");
    p.txtLokacija[1]->setText("/dist/");
    Klikni(p.optLokacija[0]);
    EXPECT_EQ(Pročitaj("Settings", "UpdateLok21N"), "0");
    EXPECT_EQ(Pročitaj("Settings", "UpdateLokDirMr21"), "/dist/");
    p.txtLokacija[1]->setText("/dist2/");
    Klikni(p.optLokacija[1]);
    EXPECT_EQ(Pročitaj("Settings", "UpdateLok21N"), "1");
    EXPECT_EQ(Pročitaj("Settings", "UpdateLokDirMr21"), "/dist/");
    EXPECT_EQ(Pročitaj("Settings", "UpdateLokDirMr.morvela.Ba.21"), "/dist2/");
    p.txtLokacija[1]->setText("/dist3/");
    Klikni(p.optLokacija[1]);
    EXPECT_EQ(Pročitaj("Settings", "UpdateLokDirMr.morvela.Ba.21"), "/dist3/");
    p.numVrijemeDownloada->setValue(5);
    EXPECT_EQ(Pročitaj("Setting", "VrijemeAutoDownloadaNovihVerz"), "5");
}

TEST_F(ProzorTest, LocationIsCheckedOnlyWhenThePersonMovesToAnotherControl) {
    frmLiveUpdate& p = Prikazan();
    QLineEdit* box = p.txtLokacija[0];
    box->setText("");
    const auto uđiUPolje = [&] {
        QTest::mouseClick(box, Qt::LeftButton);
        ObradiDogađaje();
        ASSERT_TRUE(box->hasFocus());
    };
    uđiUPolje();

    // A right-click to paste a path opens the box's menu: no check.
    QTest::mouseClick(p.windowHandle(), Qt::RightButton, {}, box->mapTo(&p, box->rect().center()));
    QWidget* izbornik = QApplication::activePopupWidget();
    ASSERT_TRUE(qobject_cast<QMenu*>(izbornik));
    izbornik->close();
    ObradiDogađaje();

    // Switching to another application's window: no check.
    QWidget drugi;
    drugi.show();
    drugi.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&drugi));
    ObradiDogađaje();
    p.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&p));
    EXPECT_TRUE(poruke.upiti.isEmpty());
    EXPECT_TRUE(pretraživanja.isEmpty());

    // Tab to the next control: the missing location is reported and browsed; cancelled, nothing saved.
    uđiUPolje();
    QTest::keyClick(box, Qt::Key_Tab);
    ObradiDogađaje();
    ASSERT_EQ(poruke.tekstovi(), QStringList{"Ne postoji direktorija:  Postavite je!"});
    EXPECT_EQ(poruke.upiti[0].ikona, Ikona::Usklicnik);
    EXPECT_EQ(pretraživanja, QStringList{""});
    EXPECT_EQ(Pročitaj("Settings", "UpdateLokDir21"), "<none>");

    // Back-tab, and a file chosen in the dialog: its directory is taken and saved.
    odabir = korijen.filePath("Dist/Verzije.txt");
    uđiUPolje();
    QTest::keyClick(box, Qt::Key_Backtab);
    ObradiDogađaje();
    const QString dist = QDir::toNativeSeparators(korijen.filePath("Dist")) + QDir::separator();
    EXPECT_EQ(box->text(), dist);
    EXPECT_EQ(Pročitaj("Settings", "UpdateLokDir21"), dist);

    // An existing directory is saved without a word.
    box->setText(korijen.path());
    uđiUPolje();
    QTest::keyClick(box, Qt::Key_Tab);
    ObradiDogađaje();
    EXPECT_EQ(poruke.upiti.size(), 2);
    EXPECT_EQ(Pročitaj("Settings", "UpdateLokDir21"), korijen.path());

    // A check whose turn comes inside an operation, in the event loop of one of its boxes, is dropped.
    const QString nema = korijen.filePath("nema");
    box->setText(nema);
    uđiUPolje();
    QTest::keyClick(box, Qt::Key_Tab);
    poruke.priPoruci = [] { ObradiDogađaje(); };
    QTest::mouseClick(p.cmdVerzija, Qt::LeftButton);
    poruke.priPoruci = nullptr;
    ObradiDogađaje();
    EXPECT_GT(poruke.upiti.size(), 2); // the check's own failure
    EXPECT_FALSE(poruke.tekstovi().contains("Ne postoji direktorija: " + nema + " Postavite je!"));
    EXPECT_EQ(pretraživanja.size(), 2);

    // Closing with the focus in a box holding a missing path: only the closing line.
    const int prije = poruke.upiti.size(), redova = Log().size();
    uđiUPolje();
    p.close();
    ObradiDogađaje();
    EXPECT_EQ(poruke.upiti.size(), prije);
    EXPECT_EQ(pretraživanja.size(), 2);
    ASSERT_EQ(Log().size(), redova + 1);
    EXPECT_TRUE(Log().last().endsWith(" KRAJ PROGRAMA **********************************"));
}

TEST_F(ProzorTest, BrowseDialogTakesANewEmptyDirectoryAndATickInsideIsSkipped) {
    praviDijalog = true;
    frmLiveUpdate& p = Prikazan();
    const QString prazna = korijen.filePath("Prazna");
    QDir().mkpath(prazna);
    p.numVrijemeDownloada->setValue(1);
    sat.sada = QDateTime(QDate(2026, 3, 14), QTime(14, 0, 10));

    QString predloženo;
    bool nepostojećaOdbijena = false;
    KadSeOtvoriDijalog([&](QWidget* d) {
        auto* ime = d->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_TRUE(qobject_cast<QFileDialog*>(d) && ime);
        predloženo = ime->text();
        // A box the dialog should not have raised is cancelled, then the dialog, instead of hanging.
        auto* spas = new QTimer(d);
        QObject::connect(spas, &QTimer::timeout, [] {
            if (auto* okvir = qobject_cast<QDialog*>(QApplication::activeModalWidget())) okvir->reject();
        });
        spas->start(1000);
        // The schedule's minute comes while the dialog waits.
        p.tmrUpdate->start(1);
        for (int i = 0; i < 400 && !Log().join("\n").contains(Preskočeno); ++i)
            QTest::qWait(5);
        p.tmrUpdate->stop();

        ime->setText(korijen.filePath("Nema/Verzije.txt"));
        QTest::keyClick(ime, Qt::Key_Return);
        nepostojećaOdbijena = d->isVisible();
        ime->setText(prazna + "/Verzije.txt");
        QTest::keyClick(ime, Qt::Key_Return);
    });
    p.SSTab1->setCurrentIndex(3);
    QTest::mouseClick(p.cmdLokacija[1], Qt::LeftButton);

    EXPECT_EQ(predloženo, "Verzije.txt");
    EXPECT_TRUE(nepostojećaOdbijena);
    const QString očekivano = QDir::toNativeSeparators(prazna) + QDir::separator();
    EXPECT_EQ(p.txtLokacija[1]->text(), očekivano);
    EXPECT_EQ(Pročitaj("Settings", "UpdateLokDirMr.morvela.Ba.21"), očekivano);
    // Only skipped ticks were logged: no distribution ran inside the dialog.
    const QStringList log = Log();
    ASSERT_FALSE(log.isEmpty());
    for (const QString& red : log)
        EXPECT_TRUE(red.endsWith(Preskočeno)) << red.toStdString();
    EXPECT_FALSE(QFileInfo::exists(prazna + "/Update"));
}

TEST_F(ProzorTest, CloseOrExitDuringAnOperationWaitsForItsEnd) {
    QDir().mkpath(korijen.filePath("dist"));
    for (bool izlaz : {false, true}) {
        SCOPED_TRACE(izlaz ? "exit button" : "window close");
        prozor.reset();
        poruke.upiti.clear();
        frmLiveUpdate& p = Prikazan();
        p.SSTab1->setCurrentIndex(3);
        p.txtLokacija[1]->setText(korijen.filePath("dist"));
        const int prije = Log().size();

        bool vidljiv = false;
        QString panel;
        bool zatražen = false;
        poruke.priPoruci = [&] {
            if (std::exchange(zatražen, true)) return;
            if (izlaz)
                QTest::mouseClick(p.cmdIzlaz, Qt::LeftButton);
            else
                p.windowHandle()->close();
            vidljiv = p.isVisible();
            panel = p.SBar[0]->text();
        };
        // The distribution cannot fetch its list: an error box, then the final warning.
        QTest::mouseClick(p.cmdDownlNaLokaciju, Qt::LeftButton);
        EXPECT_TRUE(vidljiv);
        EXPECT_EQ(panel, QString::fromUtf8("Zatvaranje čeka kraj operacije u tijeku."));
        ASSERT_EQ(poruke.upiti.size(), 2);
        EXPECT_TRUE(poruke.upiti[1].tekst.startsWith("Upozorenje. Nisu uspješno skinuti programi"));
        EXPECT_TRUE(izlazi.isEmpty() || izlaz);

        ObradiDogađaje();
        const QStringList log = Log().mid(prije);
        ASSERT_FALSE(log.isEmpty());
        EXPECT_EQ(log.filter("KRAJ PROGRAMA").size(), izlaz ? 0 : 1);
        if (izlaz) {
            EXPECT_EQ(izlazi, QList<int>{0});
        } else {
            EXPECT_FALSE(p.isVisible());
            EXPECT_TRUE(log.last().contains("KRAJ PROGRAMA"));
            EXPECT_GT(log.size(), 1); // the operation's own lines come first
        }
    }
}

TEST(Pričekaj, SleepsUntilItsTimeAndHandlesEventsEvenAfterQuit) {
    int blokiranja = 0;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     [&] { ++blokiranja; });
    bool otkucaj = false;
    QTimer::singleShot(10, [&] { otkucaj = true; });
    // After a quit every new event loop returns at once; the wait must still sleep.
    QCoreApplication::exit(0);
    QElapsedTimer proteklo;
    proteklo.start();
    ObrađujDogađajeMs(100);
    EXPECT_GE(proteklo.elapsed(), 100);
    EXPECT_TRUE(otkucaj);
    EXPECT_GE(blokiranja, 1);
    EXPECT_LE(blokiranja, 10);
    // Leave the application runnable for the tests after this one.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

TEST_F(ProzorTest, StatusPanelsProgressBarAndElapsedTime) {
    frmLiveUpdate& p = Prozor();
    p.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
    IStatusLinija& s = p.statusLinija();
    s.PrikažiAkciju("Download: a.7z");
    s.PrikažiStanje("45%");
    EXPECT_EQ(p.SBar[0]->text(), "Download: a.7z");
    EXPECT_EQ(p.SBar[1]->text(), "45%");

    s.PripremiProgBar(0, 30);
    EXPECT_TRUE(p.progBar->isVisible());
    EXPECT_EQ(p.progBar->value(), 0);
    EXPECT_EQ(p.progBar->geometry(), p.cmdVerzija->geometry());
    EXPECT_EQ(p.progBar->parentWidget(), p.cmdVerzija->parentWidget());
    s.PostaviVrijednostProgBara(29);
    s.PostaviVrijednostProgBara(31); // past the maximum: kept
    EXPECT_EQ(s.VrijednostProgBara(), 29);

    EXPECT_EQ(frmLiveUpdate::TekstVremena(0.25), "Vrijeme prijenosa: .25 s");
    EXPECT_EQ(frmLiveUpdate::TekstVremena(12.346), "Vrijeme prijenosa: 12.35 s");
    EXPECT_EQ(frmLiveUpdate::TekstVremena(1234.5), "Vrijeme prijenosa: 1234.50 s");
    s.PokreniVrijemePrijenosa();
    sat.Pomakni(1500);
    p.tmrPrijenos_Timer();
    EXPECT_EQ(p.lblVrijemePrijenosa->text(), "Vrijeme prijenosa: 1.50 s");
    s.ZaustaviVrijemePrijenosa();
    EXPECT_FALSE(p.tmrPrijenos->isActive());

    s.PrikažiPoruke("\r\nprva", "");
    EXPECT_EQ(p.txtPor->toPlainText(), "\nprva");
    EXPECT_EQ(p.txtPorGr->toPlainText(), "");
}

TEST(Raspored, RunsInMinuteZeroOfEveryNthHourFromMidnight) {
    QList<int> sati;
    for (int n : {0, 1, 3, 5, 7, 12, 23}) {
        sati.clear();
        for (int h = 0; h < 24; ++h)
            for (int m = 0; m < 60; ++m)
                if (JeVrijemeZaPreuzimanje(QTime(h, m, 30), n)) sati << h * 100 + m;
        QList<int> očekivano;
        if (n > 0)
            for (int h = 0; h < 24; h += n)
                očekivano << h * 100;
        EXPECT_EQ(sati, očekivano) << n;
    }
}

TEST_F(ProzorTest, ScheduleStartsOncePerMatchingHourAndSkipsWhileBusy) {
    frmLiveUpdate& p = Prozor();
    QDir().mkpath(korijen.filePath("dist"));
    p.txtLokacija[1]->setText(korijen.filePath("dist"));
    p.numVrijemeDownloada->setValue(2);
    sat.sada = QDateTime(QDate(2026, 3, 14), QTime(14, 0, 10));
    p.tmrUpdate_Timer();
    const int poslije = Log().size();
    EXPECT_GT(poslije, 0); // the scheduled run logged its failure, silently
    EXPECT_TRUE(poruke.upiti.isEmpty());
    sat.Pomakni(40000); // a second tick still in minute 0
    p.tmrUpdate_Timer();
    EXPECT_EQ(Log().size(), poslije);
}

} // namespace
