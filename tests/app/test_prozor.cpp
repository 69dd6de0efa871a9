#include "Kvarovi.h"
#include "MaliDisk.h"
#include "Okruzenje.h"
#include "Stablo.h"
#include "TestServer.h"
#include "app/QtPoruke.h"
#include "app/frmLiveUpdate.h"
#include "app/mreza/MrezaPlana.h"
#include "platform/Postavke.h"
#include "platform/Procesi.h"
#include "platform/Prozori.h"
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
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <optional>
#include <utility>

using namespace morvela;
using namespace morvela::test;

namespace {

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

// The window over a temporary suite, with real settings in a temporary store.
struct Prozor {
    QTemporaryDir korijen;
    const QString suite = korijen.filePath("Suite"), L = korijen.filePath("Lokacija") + "/";
    LažnePoruke poruke;
    LažniSat sat;
    LažnaImena imena;
    PosluziteljDirektorija veza{korijen.filePath("server") + "/"}; // none yet: a dead line
    QStringList pretraživanja;
    QString odabir;
    bool praviDijalog = false, praviIzlaz = false, pravaVeza = false;
    QList<int> izlazi;
    std::unique_ptr<QtPostavke> postavke;
    // Real programs, windows and files, as a person at the screen has them.
    QtProcesi procesi;
    SustavniProzori prozori;
    StvarneDatoteke datoteke;
    std::optional<MaliDisk> disk; // under the window, which goes first
    std::unique_ptr<frmLiveUpdate> prozor;

    Prozor() {
        QDir().mkpath(suite + "/Update");
        QDir().mkpath(L);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, korijen.filePath("config"));
        postavke = std::make_unique<QtPostavke>();
    }
    frmLiveUpdate& Napravi() {
        if (!prozor) {
            using Biranje = decltype(OvisnostiProzora::odaberiDatoteku);
            using Izlaz = decltype(OvisnostiProzora::izlaz);
            prozor = std::make_unique<frmLiveUpdate>(OvisnostiProzora{
                .osoba = &poruke,
                .svijet = {.sat = sat,
                           .datoteke = datoteke,
                           .imena = imena,
                           .postavke = *postavke,
                           .procesi = procesi,
                           .prozori = prozori,
                           .izvršnaDirektorija = suite,
                           .završiProgram = [] { ADD_FAILURE() << "The window ended the program"; }},
                .preuzimanje = pravaVeza ? IliStvarni<Nužan<IPreuzimanje>>(Stvarni{}) : &veza,
                .odaberiDatoteku =
                    praviDijalog ? Biranje(Stvarni{}) : Biranje([this](const QString& početna) {
                        pretraživanja << početna;
                        return odabir;
                    }),
                .izlaz = praviIzlaz ? Izlaz(Stvarni{}) : Izlaz([this](int kod) { izlazi << kod; }),
                .verzija = {21, 4, 0, 3}});
        }
        return *prozor;
    }
    frmLiveUpdate& Otvori() {
        Napravi().PokreniProzor();
        return *prozor;
    }
    // Shown and active, so that focus moves as for a person at the screen.
    frmLiveUpdate& Prikazan() {
        frmLiveUpdate& p = Napravi();
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
    QStringList Log() const {
        QFile f(suite + "/Update/Update.log");
        f.open(QIODevice::ReadOnly);
        return QString::fromLocal8Bit(f.readAll()).split("\r\n", Qt::SkipEmptyParts);
    }
    // Distribution runs so far: here each fails to fetch its list.
    int Distribucija() const {
        return Log().filter("Download na lokaciju- Nije moguće učitati kontrolnu").size();
    }
    // A.exe one version behind the list at izvor (the network location, chosen, or the server),
    // which holds its archive; 7-Zip beside the program. Returns A.exe's record there.
    QString Zaostaje(const QString& izvor, const QByteArray& novi, const QStringList& ostali = {}) {
        TestOkruženje::Zapiši(izvor + "A.7z", Arhiva7z("A.exe", novi));
        EXPECT_TRUE(QFile::link("/usr/bin/7za", suite + "/7za"));
        for (const QString ime : {"A.exe", "B.exe", "TeamViewerQS.exe"})
            TestOkruženje::Zapiši(suite + '/' + ime, "stara");
        TestOkruženje::ZapišiListu(suite + "/Verzije.txt", QStringList{"A.exe;1;1;1;5;9;"} + ostali);
        const QString a =
            QString("A.exe;1;1;2;%1;%2;").arg(QFileInfo(izvor + "A.7z").size()).arg(novi.size());
        TestOkruženje::ZapišiListu(izvor + "Verzije.txt", QStringList{a} + ostali);
        if (izvor == L) {
            Zapiši("Settings", "UpdateLok21N", "1");
            Zapiši("Settings", "UpdateLokDir21", L);
        }
        return a;
    }
};

struct ProzorTest : ::testing::Test, Prozor {};

// Every control of the window has a Croatian name and a description for screen readers,
// not its name in the code.
TEST_F(ProzorTest, EveryControlIsDescribedForScreenReaders) {
    frmLiveUpdate& p = Napravi();
    int kontrola = 0;
    for (QWidget* w : p.findChildren<QWidget*>()) {
        const QString ime = w->objectName();
        // Qt's own parts, a tab bar's scroll buttons among them.
        if (ime.isEmpty() || ime.startsWith("qt_") || qobject_cast<QTabBar*>(w->parentWidget())) continue;
        ++kontrola;
        EXPECT_FALSE(w->accessibleName().isEmpty()) << ime.toStdString();
        EXPECT_NE(w->accessibleName(), ime);
        EXPECT_FALSE(w->accessibleDescription().isEmpty()) << ime.toStdString();
    }
    EXPECT_GE(kontrola, 27);
}

// The real boxes: Enter presses the default button, Esc closes with the safe answer.
TEST(QtPorukeTest, EnterAndEscAnswerTheBox) {
    const struct {
        Gumbi gumbi;
        Qt::Key tipka;
        Odgovor odgovor;
    } slučajevi[] = {{Gumbi::DaNe, Qt::Key_Return, Odgovor::Da},
                     {Gumbi::DaNe, Qt::Key_Escape, Odgovor::Ne},
                     {Gumbi::URedu, Qt::Key_Escape, Odgovor::URedu},
                     {Gumbi::URedu, Qt::Key_Return, Odgovor::URedu}};
    QWidget roditelj;
    QtPoruke poruke(&roditelj);
    for (const auto& s : slučajevi) {
        bool zatvoren = false;
        KadSeOtvoriDijalog([&](QWidget* d) {
            ASSERT_TRUE(qobject_cast<QMessageBox*>(d));
            QTest::keyClick(d, s.tipka);
            zatvoren = !d->isVisible();
            // A box a key did not close must not hang the test.
            if (!zatvoren) static_cast<QDialog*>(d)->done(QMessageBox::Cancel);
        });
        const Odgovor odgovor =
            poruke.Pokaži("Pitanje?", Ikona::Pitanje, s.gumbi, VrstaPitanja::Obavijest, "Morvela");
        EXPECT_TRUE(zatvoren) << int(s.tipka);
        EXPECT_EQ(odgovor, s.odgovor) << int(s.tipka);
    }
}

TEST_F(ProzorTest, AProbeDirectoryThatIsALinkIsLeftAloneWithAWarning) {
    const QString drugdje = korijen.filePath("Drugdje"), tuđa = drugdje + "/ostatak/x.txt";
    TestOkruženje::Zapiši(tuđa, "tuđe");
    ASSERT_TRUE(QFile::setPermissions(tuđa, QFileDevice::ReadOwner) &&
                QFile::link(drugdje, suite + "/UpdateADM"));

    const auto prava = QFile::permissions(tuđa);
    Otvori();
    EXPECT_EQ(poruke.upiti.value(0).tekst, PorukaSimboličkeVeze(suite + "/UpdateADM"));
    EXPECT_EQ(QFileInfo(suite + "/UpdateADM").symLinkTarget(), drugdje);
    EXPECT_EQ(QFile::permissions(tuđa), prava);
    EXPECT_EQ(QFileInfo(tuđa).size(), 5);
    EXPECT_EQ(QDir(drugdje).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList("ostatak"));
}

TEST_F(ProzorTest, MissingOrInvalidSettingsFallBackToDefaults) {
    for (const QString vrijednost : {"", "možda"}) {
        prozor.reset();
        for (const char* ključ : {"UpdateLok21N", "KoristiChilkatZaDownload", "BojaIntegratora"})
            if (!vrijednost.isEmpty()) Zapiši("Settings", ključ, vrijednost);
        frmLiveUpdate& p = Otvori();
        EXPECT_TRUE(p.optLokacija[2]->isChecked());
        EXPECT_EQ(p.numVrijemeDownloada->value(), 0);
        EXPECT_TRUE(p.postavke().koristiChilkat);
        // Selecting the option that was already selected saves nothing.
        EXPECT_EQ(Pročitaj("Settings", "UpdateLok21N"), vrijednost.isEmpty() ? "<none>" : vrijednost);
    }
}

TEST_F(ProzorTest, StoredNetworkSourceSavesDuringLoadingSoTheFirstKeyWins) {
    Zapiši("Settings", "UpdateLok21N", "1");
    Zapiši("Settings", "UpdateLokDir21", "/mreza/update/");
    Zapiši("Settings", "UpdateLokDirMr21", "/prva/");
    Zapiši("Settings", "UpdateLokDirMr.morvela.Ba.21", "/druga/");
    Zapiši("Settings", "KoristiChilkatZaDownload", "False");
    Zapiši("Setting", "VrijemeAutoDownloadaNovihVerz", "5");
    frmLiveUpdate& p = Napravi();
    p.UčitajPostavke();
    EXPECT_TRUE(p.optLokacija[1]->isChecked());
    EXPECT_EQ(p.txtLokacija[0]->text(), "/mreza/update/");
    EXPECT_EQ(p.txtLokacija[1]->text(), "/prva/");
    EXPECT_EQ(Pročitaj("Settings", "UpdateLokDirMr.morvela.Ba.21"), "/prva/");
    EXPECT_EQ(p.numVrijemeDownloada->value(), 5);
    EXPECT_FALSE(p.postavke().koristiChilkat);
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

    // Back-tab as well; an existing directory is saved without a word.
    box->setText(korijen.path());
    uđiUPolje();
    QTest::keyClick(box, Qt::Key_Backtab);
    ObradiDogađaje();
    EXPECT_EQ(poruke.upiti.size(), 1);
    EXPECT_EQ(Pročitaj("Settings", "UpdateLokDir21"), korijen.path());

    // A check whose turn comes inside an operation, in the event loop of one of its boxes, is dropped.
    const QString nema = korijen.filePath("nema");
    box->setText(nema);
    uđiUPolje();
    QTest::keyClick(box, Qt::Key_Tab);
    poruke.zatim = [] { ObradiDogađaje(); };
    QTest::mouseClick(p.cmdVerzija, Qt::LeftButton);
    poruke.zatim = nullptr;
    ObradiDogađaje();
    EXPECT_GT(poruke.upiti.size(), 1); // the check's own failure
    EXPECT_FALSE(poruke.tekstovi().contains("Ne postoji direktorija: " + nema + " Postavite je!"));
    EXPECT_EQ(pretraživanja.size(), 1);

    // Closing with the focus in a box holding a missing path: only the closing line.
    const int prije = poruke.upiti.size(), redova = Log().size();
    uđiUPolje();
    p.close();
    ObradiDogađaje();
    EXPECT_EQ(poruke.upiti.size(), prije);
    EXPECT_EQ(pretraživanja.size(), 1);
    ASSERT_EQ(Log().size(), redova + 1);
    EXPECT_TRUE(Log().last().endsWith(
        " *************************** KRAJ PROGRAMA **********************************"));
}

TEST_F(ProzorTest, BrowseDialogTakesANewEmptyDirectoryAndATickInsideIsSkipped) {
    praviDijalog = true;
    frmLiveUpdate& p = Prikazan();
    const QString prazna = korijen.filePath("Prazna");
    QDir().mkpath(prazna);
    p.numVrijemeDownloada->setValue(1);
    sat.sada = QDateTime(QDate(2026, 3, 14), QTime(14, 0, 10));

    bool nepostojećaOdbijena = false;
    KadSeOtvoriDijalog([&](QWidget* d) {
        auto* ime = d->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_TRUE(qobject_cast<QFileDialog*>(d) && ime);
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

    EXPECT_TRUE(nepostojećaOdbijena);
    const QString očekivano = QDir::toNativeSeparators(prazna) + QDir::separator();
    EXPECT_EQ(p.txtLokacija[1]->text(), očekivano);
    EXPECT_EQ(Pročitaj("Settings", "UpdateLokDirMr.morvela.Ba.21"), očekivano);
    // Only skipped ticks were logged: no distribution ran inside the dialog.
    const QStringList log = Log();
    EXPECT_FALSE(log.isEmpty());
    EXPECT_EQ(log.filter(Preskočeno), log);
    EXPECT_FALSE(QFileInfo::exists(prazna + "/Update"));
}

// Exit during an operation waits for its end, with nothing under way it is at once; neither writes
// the closing line. The window's own close waits alike: the outside-program test.
TEST_F(ProzorTest, ExitWaitsForTheOperationUnderWay) {
    QDir().mkpath(korijen.filePath("dist"));
    frmLiveUpdate& p = Prikazan();
    p.txtLokacija[1]->setText(korijen.filePath("dist"));
    bool vidljiv = false;
    QString panel;
    qsizetype izlazaTada = -1;
    // Pressed at the final warning (the distribution cannot fetch its list: an error box, then
    // the warning), once the run can no longer be stopped.
    poruke.zatim = [&] {
        if (poruke.upiti.size() != 2) return;
        QTest::mouseClick(p.cmdIzlaz, Qt::LeftButton);
        vidljiv = p.isVisible();
        panel = p.SBar[0]->text();
        izlazaTada = izlazi.size();
    };
    QTest::mouseClick(p.cmdDownlNaLokaciju, Qt::LeftButton);
    EXPECT_TRUE(vidljiv);
    EXPECT_EQ(panel, "Zatvaranje čeka kraj operacije u tijeku.");
    EXPECT_EQ(izlazaTada, 0);
    ObradiDogađaje();
    EXPECT_EQ(izlazi, QList<int>{0});
    p.cmdIzlaz->click();
    EXPECT_EQ(izlazi, QList<int>({0, 0}));
    EXPECT_EQ(Log().filter("KRAJ PROGRAMA").size(), 0);
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

TEST_F(ProzorTest, ProgressBarElapsedTimeAndMessages) {
    frmLiveUpdate& p = Prikazan();
    IStatusLinija& s = p.statusLinija();
    s.PripremiProgBar(0, 30);
    EXPECT_TRUE(p.progBar->isVisible());
    EXPECT_EQ(p.progBar->geometry(), p.cmdVerzija->geometry());
    // The bar stays over the button when the window grows or shrinks.
    for (const QSize veličina : {QSize(1100, 800), QSize(700, 560)}) {
        const QRect prije = p.cmdVerzija->geometry();
        p.resize(veličina);
        ObradiDogađaje();
        EXPECT_NE(p.cmdVerzija->geometry(), prije);
        EXPECT_EQ(p.progBar->geometry(), p.cmdVerzija->geometry());
    }
    s.PostaviVrijednostProgBara(29);
    s.PostaviVrijednostProgBara(31); // past the maximum: kept
    EXPECT_EQ(s.VrijednostProgBara(), 29);

    EXPECT_EQ(frmLiveUpdate::TekstVremena(0.25), "Vrijeme prijenosa: .25 s");
    s.PokreniVrijemePrijenosa();
    sat.Pomakni(1500);
    p.tmrPrijenos_Timer();
    EXPECT_EQ(p.lblVrijemePrijenosa->text(), "Vrijeme prijenosa: 1.50 s");

    s.PrikažiPoruke("\r\nprva", "");
    EXPECT_EQ(p.txtPor->toPlainText(), "\nprva");
    EXPECT_EQ(p.txtPorGr->toPlainText(), "");
}

// The start-up clears a probe's leftovers and restores a cut-short installation, saying so once
// before the check's own message (the texts themselves: the installation's tests). RegSvr32.exe
// takes its time (a stand-in that sleeps up to 20 s, until the test lets it go): meanwhile the
// window's timers fire, a close is refused with its panel text, the panel repaints.
TEST_F(ProzorTest, StartUpRestoresACutShortInstallationAndAnswersWhileAnOutsideProgramRuns) {
    TestOkruženje::Zapiši(suite + "/UpdateADM/ostatak/x.txt", "");
    QTemporaryDir bin;
    const QString regSvr = bin.filePath("RegSvr32.exe"), pusti = regSvr + ".kraj";
    TestOkruženje::Zapiši(regSvr,
                          "#!/bin/sh\necho \"$@\" >>\"$0.txt\"\ni=0\n"
                          "while [ ! -e \"$0.kraj\" ] && [ $i -lt 200 ]; do sleep 0.1; i=$((i+1)); done\n");
    QFile::setPermissions(regSvr, QFile::ReadOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
    TestOkruženje::Zapiši(suite + "/X.dll", "nova");
    TestOkruženje::Zapiši(suite + "/UpdateBackup/X.dll", "stara");
    TestOkruženje::Zapiši(suite + "/Update/Dnevnik/Instalacija.dnevnik",
                          "DNEVNIK;1\r\nPLAN;X.dll\r\nBACKUP;X.dll\r\nSPREMLJENA;X.dll\r\n");

    frmLiveUpdate& p = Prikazan();
    struct Crtanja : QObject {
        bool eventFilter(QObject*, QEvent* e) override { return broj += e->type() == QEvent::Paint, false; }
        int broj = 0;
    } crtanja;
    p.SBar[0]->installEventFilter(&crtanja);
    QString panel;
    bool vidljiv = false;
    int crtanjaPrije = -1;
    QTimer otkucaj;
    QObject::connect(&otkucaj, &QTimer::timeout, [&] {
        // Only while the stand-in runs.
        if (!QFile::exists(regSvr + ".txt") || QFile::exists(pusti)) return;
        if (crtanjaPrije < 0) {
            p.close();
            vidljiv = p.isVisible();
            panel = p.SBar[0]->text();
            crtanjaPrije = crtanja.broj;
        } else if (crtanja.broj > crtanjaPrije) {
            TestOkruženje::Zapiši(pusti, "");
        }
    });
    otkucaj.start(10);
    QElapsedTimer trajanje;
    trajanje.start();
    p.PokreniProzor(); // restores X.dll: unregisters the new one, registers the old one
    otkucaj.stop();
    qputenv("PATH", path);

    EXPECT_LT(trajanje.elapsed(), 15000); // let go by the test, not by its own limit
    EXPECT_TRUE(vidljiv);
    EXPECT_EQ(panel, QString::fromUtf8("Zatvaranje čeka kraj operacije u tijeku."));
    EXPECT_GT(crtanja.broj, crtanjaPrije);
    ASSERT_EQ(poruke.upiti.size(), 2);
    EXPECT_TRUE(poruke.upiti[0].tekst.endsWith("\r\nX.dll\r\nProgrami su u stanju prije te instalacije."));
    EXPECT_TRUE(p.windowTitle().endsWith(" V21.4.3"));
    EXPECT_FALSE(QDir(suite + "/UpdateADM").exists());
    ObradiDogađaje();
    EXPECT_FALSE(p.isVisible()); // closed once the work was done
}

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
        {"a second tick in the same hour", {20, 0, 50}, 5, false, false},
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
        const int prije = t.Distribucija();
        const int preskočeno = t.Log().filter(Preskočeno).size();
        const auto upita = t.poruke.upiti.size();
        if (o.zauzet) {
            // The tick comes inside the check, right after its first fetch.
            bool otkucano = false;
            t.veza.poDohvatu = [&](const QString&) {
                if (!std::exchange(otkucano, true)) p.tmrUpdate_Timer();
            };
            p.cmdVerzija->click();
            t.veza.poDohvatu = nullptr;
        } else {
            p.tmrUpdate_Timer();
        }
        EXPECT_EQ(t.Distribucija() > prije, o.pokreće);
        EXPECT_EQ(t.Log().filter(Preskočeno).size() - preskočeno, o.zauzet ? 1 : 0);
        // A scheduled run shows nothing.
        EXPECT_TRUE(o.zauzet || t.poruke.upiti.size() == upita)
            << t.poruke.tekstovi().join('|').toStdString();
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

// The window started over the suite a block sets up; the program ends as it really would.
struct Start : Prozor {
    Start() { praviIzlaz = true; }
    // The planned rows of the window's own grid; row 0 holds the totals.
    QStringList Redovi() const {
        QStringList redovi;
        for (int r = 1; r < prozor->fgAžuriranja->rowCount(); ++r)
            redovi << prozor->fgAžuriranja->item(r, 1)->text();
        return redovi;
    }
    // Whether the program ends at the first activation, after these boxes and with panel 1 beginning
    // so. A start-up that showed a box has the last one in the error tab too and plans nothing;
    // update is offered only with planned rows.
    bool Starta(const Okviri& okviri, const QString& panel) {
        frmLiveUpdate& p = Otvori();
        UsporediOkvire(poruke.upiti, okviri, [](const QString& t) { return t; });
        EXPECT_TRUE(p.SBar[0]->text().startsWith(panel)) << p.SBar[0]->text().toStdString();
        if (!poruke.upiti.isEmpty()) {
            EXPECT_TRUE(
                p.txtPorGr->toPlainText().contains(QString(poruke.upiti.last().tekst).replace("\r\n", "\n")))
                << p.txtPorGr->toPlainText().toStdString();
            EXPECT_EQ(Redovi(), QStringList());
        }
        EXPECT_EQ(p.cmdDownloadAndUpdate->isEnabled(), !Redovi().isEmpty());
        return KodPriAktivaciji(p) == 1;
    }
};

TEST(KvaroviProzora, StartUp) {
    const QString nema = "Ne postoji datoteka ";
    const QString dohvat = "Nije moguće učitati kontrolnu datoteku sa interneta! Provjerite vezu sa "
                           "internetom i pokušajte ponovno! Prekida se ažuriranje!";
    {
        SCOPED_TRACE("installed list missing");
        Start t;
        EXPECT_TRUE(t.Starta({{nema + "…", Ikona::Usklicnik}}, nema));
    }
    {
        SCOPED_TRACE("list cannot be fetched");
        Start t;
        TestOkruženje::ZapišiListu(t.suite + "/Verzije.txt", {"A.exe;1;1;1;5;9;"});
        EXPECT_FALSE(t.Starta({{dohvat, Ikona::Usklicnik}}, dohvat));
        // The person may still choose another source: the network location, which has the list.
        frmLiveUpdate& p = *t.prozor;
        TestOkruženje::ZapišiListu(t.L + "Verzije.txt", {"A.exe;1;1;2;5;9;"});
        p.txtLokacija[0]->setText(t.L);
        p.optLokacija[1]->click();
        p.cmdVerzija->click();
        EXPECT_TRUE(p.cmdDownloadAndUpdate->isEnabled()) << t.poruke.tekstovi().join('|').toStdString();
    }
    {
        SCOPED_TRACE("check succeeds");
        Start t;
        TestOkruženje::ZapišiListu(t.suite + "/Verzije.txt", {"A.exe;1;1;1;5;9;", "B.exe;1;1;1;5;9;"});
        TestOkruženje::ZapišiListu(t.veza.dir + "Verzije.txt", {"A.exe;1;1;2;5;9;", "B.exe;1;1;1;5;9;"});
        TestOkruženje::Zapiši(t.suite + "/B.exe", "b");
        TestOkruženje::Zapiši(t.suite + "/" + "TeamViewerQS.exe", "tv");
        EXPECT_FALSE(t.Starta({}, "1 program za ažuriranje, 0.1 MB"));
        EXPECT_EQ(t.Redovi(), QStringList{"A.exe"});
    }
    QTemporaryDir proba;
    if (!MaliDisk(proba.path(), 64).montiran()) GTEST_SKIP() << "needs root to mount a read-only tmpfs";
    // A read-only program directory: the operator is warned and start-up goes on, to fail at the
    // update directory (its text: the check's tests).
    Start t;
    t.disk.emplace(t.suite, 64, true);
    EXPECT_TRUE(
        t.Starta({{"Prijavljeni operater: TESTER izgleda nema administratorska prava za instalaciju "
                   "programa.\r\nProces automatskog ažuriranja novih verzija možda neće biti ispravan, "
                   "ali ipak pokušajte!",
                   Ikona::Kritična},
                  {"Nastala je greška u kreiranju Update direktorije!…", Ikona::Usklicnik}},
                 "Nastala je greška u kreiranju Update direktorije! Program"));
    EXPECT_EQ(t.poruke.upiti.value(0).naslov, "Morvela");
    EXPECT_EQ(t.poruke.upiti.value(1).naslov, NaslovAplikacije);
}

// The window has checked; before the person presses update, the network location's list is
// refreshed by a distribution run, or another run fetches a newer list into the update
// directory. The new list names a version never installed: the list put in place is the one
// the plan was made from, byte for byte.
TEST(KvaroviProzora, TheInstalledListIsTheOneThePlanWasMadeFrom) {
    for (const bool mreža : {true, false}) {
        SCOPED_TRACE(mreža ? "network location refreshed" : "newer list fetched by another run");
        Prozor t;
        const QString izvor = mreža ? t.L : t.veza.dir;
        const QString a = t.Zaostaje(izvor, "nova verzija", {"B.exe;1;1;1;5;9;"});
        const QByteArray planirana = TestOkruženje::Pročitaj(izvor + "Verzije.txt");
        frmLiveUpdate& p = t.Otvori();
        ASSERT_TRUE(p.cmdDownloadAndUpdate->isEnabled()) << t.poruke.tekstovi().join('|').toStdString();

        TestOkruženje::ZapišiListu(mreža ? t.L + "Verzije.txt" : t.suite + "/Update/Verzije.txt",
                                   {a, "B.exe;1;1;7;5;9;"});
        t.poruke.odgovori[VrstaPitanja::PotvrdaInstalacije] = {Odgovor::Da};
        p.cmdDownloadAndUpdate->click();
        EXPECT_EQ(t.poruke.tekstovi().last(), "Uspješno instalirani novi programi!");
        EXPECT_EQ(TestOkruženje::Pročitaj(t.suite + "/A.exe"), "nova verzija");
        EXPECT_EQ(TestOkruženje::Pročitaj(t.suite + "/Verzije.txt"), planirana);
        // One line per installed file, with the versions of the plan.
        EXPECT_EQ(p.txtPor->toPlainText().split('\n').filter("→"), QStringList{"A.exe 1.1.1 → 1.1.2"});
    }
}

// The person stops a transfer under way: the update's archive coming slowly (the line
// shows its speed and time left), stalled halfway (the line shows the stall) or copied
// from the network location, a distribution run's archive, or the check's list; with
// the stop button or by closing the window. Nothing is installed or published, no
// temporary file stays behind, and the run ends with one log line and no box.
TEST(KvaroviProzora, StoppingAFetchOrCopyLeavesNothingBehind) {
    enum class Run { Update, Distribution, Check };
    // The line that shows when the stop comes: the update's counts against its plan, its copy has
    // no speed, the distribution counts files alone; the check's is not looked at.
    const QString mb = " · \\d+[.,]\\d od 3[.,]0 MB", plan = " · datoteka 1 od 1$";
    struct Slučaj {
        const char* naziv;
        Run run;
        Kvar kvar; // of the file being stopped, served from the test server
        bool mreža, zatvaranjem;
        QString linija;
    };
    for (const Slučaj& c : {
             Slučaj{"throttled transfer, stop button", Run::Update, Kvar::Polagano, false, false,
                    "^A\\.7z" + mb + " · \\d+[.,]\\d MB/s · još \\d+:\\d\\d" + plan},
             Slučaj{"copy from the network location, stop button", Run::Update, Kvar::Nema, true, false,
                    "^A\\.7z" + mb + plan},
             Slučaj{"stalled transfer, window closed", Run::Update, Kvar::Zastoj, false, true,
                    "^A\\.7z" + mb + " · Nema podataka \\d+ s …" + plan},
             Slučaj{"distribution run, stop button", Run::Distribution, Kvar::Zastoj, false, false,
                    "^A\\.7z · [1-9].* · datoteka 1$"},
             Slučaj{"check, window closed", Run::Check, Kvar::Zastoj, false, true, ""},
         }) {
        SCOPED_TRACE(c.naziv);
        Prozor t;
        t.pravaVeza = true;
        // Random bytes stay large in the archive: the copy takes more than one block.
        QByteArray program(3 << 20, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(program.data()), program.size() / 4);
        t.Zaostaje(c.mreža ? t.L : t.veza.dir, program);
        // The distribution location as filled once before, by the same list the workstations have.
        TestOkruženje::ZapišiListu(t.veza.dir + "VerzijeU.txt", {"A.exe;1;1;2;"});
        TestOkruženje::Zapiši(t.L + "TeamViewerQS.exe", "MZ");
        if (!c.mreža) TestOkruženje::ZapišiListu(t.L + "Verzije.txt", {"A.exe;1;1;1;5;9;"});
        TestServer server(t.veza.dir);
        const QString ime = c.run == Run::Check ? "Verzije.txt" : "A.7z";
        if (c.run != Run::Check) server.PostaviKvar(ime, c.kvar);
        t.Zapiši("Settings", "PrimarniServer21", server.HttpHost());
        t.Zapiši("Settings", "KoristiChilkatZaDownload", "False");
        frmLiveUpdate& p = c.zatvaranjem ? t.Prikazan() : t.Napravi();
        p.PokreniProzor();
        ASSERT_TRUE(p.cmdDownloadAndUpdate->isEnabled()) << t.poruke.tekstovi().join('|').toStdString();
        if (c.run == Run::Check) server.PostaviKvar(ime, c.kvar);
        p.txtLokacija[1]->setText(t.L);
        const int prije = t.Log().size();
        const auto stablo = StanjeStabla(t.korijen.path());
        t.poruke.odgovori[VrstaPitanja::PrekidPrijenosa] = {Odgovor::Da};

        // Stops once part of the file has arrived beside its place and the line shows it. The
        // update's bar moves with its bytes first; its clock follows the real one while bytes
        // come, so the line shows the real speed, and runs fast while they do not, so a stall
        // shows at once.
        const QString privremena =
            (c.run == Run::Distribution ? t.L : t.suite + "/Update/") + ime + NastavakPrivremene;
        QElapsedTimer sat;
        const qint64 početak = t.sat.monotono;
        QTimer prekid;
        bool prekinuto = false;
        int stupanj = 0;
        QObject::connect(&prekid, &QTimer::timeout, [&] {
            if (prekinuto || QFileInfo(privremena).size() == 0) return;
            if (c.run == Run::Update && p.progBar->value() == 0) return;
            if (c.kvar == Kvar::Polagano) t.sat.monotono = std::max(t.sat.monotono, početak + sat.elapsed());
            if (c.kvar == Kvar::Zastoj && c.run == Run::Update) t.sat.Pomakni(100);
            if (!QRegularExpression(c.linija).match(p.lblPrijenos->text()).hasMatch()) return;
            prekinuto = true;
            stupanj = p.progBar->value();
            EXPECT_TRUE(!p.cmdPrekini->isHidden() && p.cmdPrekini->isEnabled());
            if (c.zatvaranjem)
                p.windowHandle()->close();
            else
                p.cmdPrekini->click();
        });
        prekid.start(0);
        sat.start();
        (c.run == Run::Update         ? p.cmdDownloadAndUpdate
         : c.run == Run::Distribution ? p.cmdDownlNaLokaciju
                                      : p.cmdVerzija)
            ->click();
        prekid.stop();
        ObradiDogađaje();

        EXPECT_TRUE(prekinuto) << p.lblPrijenos->text().toStdString();
        // Without a plan to count against, the bar keeps to its steps.
        EXPECT_TRUE(c.run != Run::Distribution || stupanj == 0) << stupanj;
        EXPECT_TRUE(p.lblPrijenos->text().isEmpty());
        EXPECT_EQ(p.stanje().ZadnjaPoruka, "Prijenos je prekinut na zahtjev korisnika.");
        const QStringList log = t.Log().mid(prije);
        EXPECT_EQ(log.filter("Prijenos je prekinut na zahtjev korisnika.").size(), 1)
            << log.join('\n').toStdString();
        // Nothing installed, published or left behind; the list the check fetched before stays whole.
        EXPECT_EQ(Promjene(stablo, StanjeStabla(t.korijen.path())),
                  (c.run == Run::Distribution ? QStringList{"Lokacija/Update", "Lokacija/Update/Verzije.txt",
                                                            "Lokacija/Update/VerzijeU.txt"}
                                              : QStringList{}) +
                      QStringList{"Suite/Update/Update.log"});
        // Neither the installation question nor any box: the person asked for this. (A question
        // of another kind would have had no answer.)
        EXPECT_EQ(t.poruke.tekstovi(),
                  c.zatvaranjem ? QStringList{"Prekinuti prijenos i zatvoriti program?"} : QStringList{});
        if (c.zatvaranjem) {
            EXPECT_FALSE(p.isVisible());
            EXPECT_TRUE(log.last().contains("KRAJ PROGRAMA"));
        } else {
            EXPECT_TRUE(p.cmdVerzija->isEnabled());
            EXPECT_TRUE(p.cmdPrekini->isHidden());
        }
    }
}

} // namespace
