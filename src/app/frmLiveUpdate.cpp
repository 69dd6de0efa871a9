#include "app/frmLiveUpdate.h"

#include "app/QtPoruke.h"
#include "app/Raspored.h"
#include "app/Usluge.h"
#include "app/mreza/MrezaPlana.h"
#include "distribution/DownloadNaLokaciju.h"
#include "install/DnevnikInstalacije.h"
#include "install/UpdateCommand.h"
#include "records/VlastitaImena.h"
#include "transfer/HttpPreuzimanje.h"
#include "versions/KontrolnaDatoteka.h"
#include "versions/PravilaVerzija.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

namespace morvela {

namespace {

const QString Naslov = QString::fromUtf8("Morvela Live Update - Automatsko ažuriranje Mor-vela programa");

// Stored colours are Windows COLORREF values: 0x00BBGGRR.
QColor BojaIzCijelogBroja(qint32 v) {
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

void ObojiPozadinu(QWidget* w, const QColor& boja) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, boja);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

// Keeps count of the window's own boxes and dialogs while they wait for the person.
class OtvorenDijalog {
public:
    explicit OtvorenDijalog(int& broj) : m_broj(broj) { ++m_broj; }
    ~OtvorenDijalog() { --m_broj; }
    OtvorenDijalog(const OtvorenDijalog&) = delete;
    OtvorenDijalog& operator=(const OtvorenDijalog&) = delete;

private:
    int& m_broj;
};

// A location may be new and empty: the dialog takes a file that does not exist
// yet, as long as its directory does.
class DijalogLokacije : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    void accept() override {
        const QStringList odabrane = selectedFiles();
        if (!odabrane.isEmpty() && !QFileInfo(odabrane.constFirst()).absoluteDir().exists()) return;
        QFileDialog::accept();
    }
};

// Only the person moving on to another control of this window asks for a check;
// a context menu, another application, closing or a box of its own does not.
bool OsobaPrelaziNaDruguKontrolu(const QFocusEvent* e, const QWidget* kontrola) {
    static const Qt::FocusReason razlozi[] = {Qt::TabFocusReason, Qt::BacktabFocusReason,
                                              Qt::MouseFocusReason, Qt::ShortcutFocusReason};
    if (std::find(std::begin(razlozi), std::end(razlozi), e->reason()) == std::end(razlozi)) return false;
    const QWidget* nova = QApplication::focusWidget();
    return nova && nova != kontrola && nova->window() == kontrola->window();
}

const QString ZatvaranjeČeka = QString::fromUtf8("Zatvaranje čeka kraj operacije u tijeku.");

// The row state the installation gives a file once it is in place.
constexpr int StanjeInstalirano = 3;

// A message as the text boxes hold it: one line break for each CR LF.
QString KaoRedovi(QString tekst) {
    return tekst.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// "21.4.3": a record's version, as the list gives its three parts.
QString Verzija(const Matrica& m, int red) {
    return m.tekst(red, Ver_Gl).trimmed() + QLatin1Char('.') + m.tekst(red, Ver_Pom).trimmed() +
           QLatin1Char('.') + m.tekst(red, Ver_Rev).trimmed();
}

// "3 programa za ažuriranje, 41,9 MB"; a plan of a few bytes still shows 0,1 MB.
QString TekstPlana(qsizetype programa, double bajtova) {
    const bool jednina = programa % 10 == 1 && programa % 100 != 11;
    const double mb = std::ceil(bajtova / (1024.0 * 1024.0) * 10) / 10;
    return QString::number(programa) + (jednina ? QStringLiteral(" program") : QStringLiteral(" programa")) +
           QString::fromUtf8(" za ažuriranje, ") + QLocale().toString(mb, 'f', 1) + QStringLiteral(" MB");
}

// The executable directory in the system's own separators, as the log and the operations write it.
OvisnostiProzora SaPutemSustava(OvisnostiProzora o) {
    o.svijet.izvršnaDirektorija = QDir::toNativeSeparators(o.svijet.izvršnaDirektorija);
    return o;
}

} // namespace

OvisnostiProzora StvarneOvisnosti(StvarneUsluge& stvarne) {
    return {.osoba = Stvarni{},
            .svijet = stvarne.Svijet(),
            .preuzimanje = Stvarni{},
            .odaberiDatoteku = Stvarni{},
            .izlaz = Stvarni{}};
}

frmLiveUpdate::frmLiveUpdate(OvisnostiProzora ovisnosti)
    : m_ovisnosti(SaPutemSustava(std::move(ovisnosti))),
      m_log(m_ovisnosti.svijet.izvršnaDirektorija, *this, *m_ovisnosti.svijet.sat,
            *m_ovisnosti.svijet.datoteke),
      m_k(m_ovisnosti.svijet, m_stanje, *this, *this, *this, *this, m_log) {
    if (const auto* osoba = std::get_if<Nužan<IPoruke>>(&m_ovisnosti.osoba))
        m_osoba = *osoba;
    else
        m_osoba = (m_vlastitePoruke = std::make_unique<QtPoruke>(this)).get();
    IPreuzimanje* preuzimanje = nullptr;
    if (const auto* dano = std::get_if<Nužan<IPreuzimanje>>(&m_ovisnosti.preuzimanje))
        preuzimanje = *dano;
    else
        preuzimanje = (m_http = std::make_unique<HttpPreuzimanje>(*m_k.status, *m_k.poruke, m_log,
                                                                  *m_k.datoteke, m_stanje.ZadnjaPoruka))
                          .get();
    m_usluge = std::make_unique<UslugeRada>(m_k, *preuzimanje);

    IzgradiProzor();
    PoveziNaredbe();
}

frmLiveUpdate::~frmLiveUpdate() = default;

void frmLiveUpdate::IzgradiProzor() {
    setObjectName(QStringLiteral("frmLiveUpdate"));
    setWindowTitle(Naslov);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(9);
    setFont(font);

    auto* središte = new QWidget(this);
    setCentralWidget(središte);
    auto* glavni = new QVBoxLayout(središte);

    SSTab1 = new QTabWidget(središte);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));

    // Tab 0: the plan.
    auto* tab0 = new QWidget;
    auto* l0 = new QVBoxLayout(tab0);
    fgAžuriranja = new MrezaPlana(tab0);
    l0->addWidget(fgAžuriranja);
    cmdDownloadAndUpdate = new QPushButton(QStringLiteral("Download programa i instalacija"), tab0);
    cmdDownloadAndUpdate->setObjectName(QStringLiteral("cmdDownloadAndUpdate"));
    cmdDownloadAndUpdate->setEnabled(false);
    l0->addWidget(cmdDownloadAndUpdate);
    SSTab1->addTab(tab0, QString::fromUtf8("&Potrebna &ažuriranja"));

    // Tabs 1 and 2: the messages of the last operation.
    auto napraviTekst = [](const QString& ime) {
        auto* t = new QPlainTextEdit;
        t->setObjectName(ime);
        t->setReadOnly(true);
        return t;
    };
    txtPor = napraviTekst(QStringLiteral("txtPor"));
    SSTab1->addTab(txtPor, QStringLiteral("Poruke o &akcijama"));
    txtPorGr = napraviTekst(QStringLiteral("txtPorGr"));
    SSTab1->addTab(txtPorGr, QString::fromUtf8("Poruke o &greškama"));

    // Tab 3: the distribution location and its schedule.
    auto* tab3 = new QWidget;
    auto* l3 = new QVBoxLayout(tab3);
    Label1 =
        new QLabel(QStringLiteral("Lokacija za presnimavanje novih programa i komponenti radi distribucije u "
                                  "mreži (prvo treba ažurirati lokalno računalo)"),
                   tab3);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    l3->addWidget(Label1);

    auto napraviLokaciju = [this](int i, const QString& početno, QWidget* roditelj, QBoxLayout* raspored) {
        auto* red = new QHBoxLayout;
        txtLokacija[i] = new QLineEdit(početno, roditelj);
        txtLokacija[i]->setObjectName(QStringLiteral("txtLokacija_%1").arg(i));
        txtLokacija[i]->installEventFilter(this);
        cmdLokacija[i] = new QPushButton(QStringLiteral("..."), roditelj);
        cmdLokacija[i]->setObjectName(QStringLiteral("cmdLokacija_%1").arg(i));
        cmdLokacija[i]->setFixedWidth(32);
        red->addWidget(txtLokacija[i]);
        red->addWidget(cmdLokacija[i]);
        raspored->addLayout(red);
    };
    napraviLokaciju(1, QStringLiteral("D:\\Morvela software\\Morvela knjigovodstvo V20\\MSDE\\LokUpdate\\"),
                    tab3, l3);

    cmdDownlNaLokaciju = new QPushButton(QStringLiteral("Presnimavanje datoteka na unesenu lokaciju"), tab3);
    cmdDownlNaLokaciju->setObjectName(QStringLiteral("cmdDownlNaLokaciju"));
    l3->addWidget(cmdDownlNaLokaciju);

    auto* redSati = new QHBoxLayout;
    lblOpisVremena =
        new QLabel(QString::fromUtf8("Vrijeme automatskog preuzimanja novih verzija svakih n sati "
                                     "(0-23) 0-ne preuzimati automatski:"),
                   tab3);
    lblOpisVremena->setObjectName(QStringLiteral("lblOpisVremena"));
    lblOpisVremena->setWordWrap(true);
    numVrijemeDownloada = new QSpinBox(tab3);
    numVrijemeDownloada->setObjectName(QStringLiteral("numVrijemeDownloada"));
    numVrijemeDownloada->setRange(0, 23);
    lblOpisVremena->setBuddy(numVrijemeDownloada);
    redSati->addWidget(lblOpisVremena, 1);
    redSati->addWidget(numVrijemeDownloada);
    l3->addLayout(redSati);

    lblVrijemePrijenosa = new QLabel(tab3);
    lblVrijemePrijenosa->setObjectName(QStringLiteral("lblVrijemePrijenosa"));
    l3->addWidget(lblVrijemePrijenosa);
    l3->addStretch();
    SSTab1->addTab(tab3, QStringLiteral("Kopiranje novih (svih) programa na disk/mrežnu lokaciju"));
    glavni->addWidget(SSTab1, 1);

    cmdVerzija = new QPushButton(
        QStringLiteral("Provjeri postoje li nove verzije i pripremi za download/prijenos"), središte);
    cmdVerzija->setObjectName(QStringLiteral("cmdVerzija"));
    // The progress bar lies over this button: it follows it whenever the layout moves it.
    cmdVerzija->installEventFilter(this);
    glavni->addWidget(cmdVerzija);
    // Under the check button, where the progress bar lies during a run; it keeps
    // its height when empty, so the bar does not move when a transfer begins.
    lblPrijenos = new QLabel(središte);
    lblPrijenos->setObjectName(QStringLiteral("lblPrijenos"));
    lblPrijenos->setMinimumHeight(lblPrijenos->fontMetrics().height());
    glavni->addWidget(lblPrijenos);

    fraLokacija = new QGroupBox(QString::fromUtf8("Lokacija ažuriranja - novih verzija"), središte);
    fraLokacija->setObjectName(QStringLiteral("fraLokacija"));
    auto* lf = new QVBoxLayout(fraLokacija);
    const Postavke postavke = Postavke::Učitaj(*m_k.postavke);
    const auto bezKose = [](QString url) {
        url.chop(1);
        return url;
    };
    const QString opcije[3] = {
        QStringLiteral("Internet (") + bezKose(OsnovniUrl(postavke.sekundarniServer, true)) +
            QLatin1Char(')'),
        QString::fromUtf8("Sa mrežne lokacije"),
        QStringLiteral("Internet (") + bezKose(OsnovniUrl(postavke.primarniServer, true)) +
            QString::fromUtf8(") - preferirani (najbrži) način sa interneta"),
    };
    for (int i : {2, 1, 0}) {
        optLokacija[i] = new QRadioButton(opcije[i], fraLokacija);
        optLokacija[i]->setObjectName(QStringLiteral("optLokacija_%1").arg(i));
        lf->addWidget(optLokacija[i]);
    }
    optLokacija[2]->setChecked(true);
    napraviLokaciju(0, QStringLiteral("D:\\Morvela software\\Morvela knjigovodstvo V21\\UpdatePriprema\\"),
                    fraLokacija, lf);
    lblInfo = new QLabel(QStringLiteral("Ukoliko ažuriranje ne ide sa jedne web adrese, koristite drugu"),
                         fraLokacija);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lf->addWidget(lblInfo);
    glavni->addWidget(fraLokacija);

    auto* redIzlaz = new QHBoxLayout;
    redIzlaz->addStretch();
    cmdPrekini = new QPushButton(QStringLiteral("Prekini"), središte);
    cmdPrekini->setObjectName(QStringLiteral("cmdPrekini"));
    cmdPrekini->hide();
    redIzlaz->addWidget(cmdPrekini);
    cmdIzlaz = new QPushButton(QStringLiteral("Izlaz"), središte);
    cmdIzlaz->setObjectName(QStringLiteral("cmdIzlaz"));
    redIzlaz->addWidget(cmdIzlaz);
    glavni->addLayout(redIzlaz);

    // The progress bar lies over the check button while an operation runs.
    progBar = new QProgressBar(središte);
    progBar->setObjectName(QStringLiteral("progBar"));
    progBar->hide();

    const QString savjeti[4] = {QStringLiteral("Trenutna akcija"), QStringLiteral("Trenutno stanje"),
                                QStringLiteral("Datum"), QStringLiteral("Vrijeme")};
    for (int i = 0; i < 4; ++i) {
        SBar[i] = new QLabel(this);
        SBar[i]->setObjectName(QStringLiteral("SBar_p%1").arg(i + 1));
        SBar[i]->setToolTip(savjeti[i]);
        SBar[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i < 2)
            statusBar()->addWidget(SBar[i], i == 0 ? 3 : 2);
        else
            statusBar()->addPermanentWidget(SBar[i]);
    }
    statusBar()->setObjectName(QStringLiteral("SBar"));
    statusBar()->setSizeGripEnabled(false);

    tmrUpdate = new QTimer(this);
    tmrUpdate->setObjectName(QStringLiteral("tmrUpdate"));
    tmrUpdate->setInterval(60000);
    // A coarse timer may fire early and fall twice into one minute.
    tmrUpdate->setTimerType(Qt::PreciseTimer);
    tmrPrijenos = new QTimer(this);
    tmrPrijenos->setObjectName(QStringLiteral("tmrPrijenos"));
    tmrPrijenos->setInterval(500);
    tmrSat = new QTimer(this);
    tmrSat->setInterval(1000);
    // Counts a stall up while no bytes arrive to refresh the transfer line.
    tmrLinija = new QTimer(this);
    tmrLinija->setInterval(1000);

    OpišiKontrole();
    resize(820, 620);
}

// Screen readers get a Croatian name and a sentence for every control; the captions stay as they are.
void frmLiveUpdate::OpišiKontrole() {
    const struct {
        QWidget* kontrola;
        const char *ime, *opis;
    } opisi[] = {
        {SSTab1, "Kartice",
         "Potrebna ažuriranja, poruke o akcijama i greškama, kopiranje programa na lokaciju"},
        {fgAžuriranja, "Potrebna ažuriranja",
         "Programi i komponente koje treba ažurirati, s novim verzijama, veličinama i stanjem"},
        {cmdDownloadAndUpdate, "Preuzmi i instaliraj",
         "Preuzima nove verzije s odabrane lokacije i instalira ih"},
        {txtPor, "Poruke o akcijama", "Što je zadnja operacija učinila"},
        {txtPorGr, "Poruke o greškama", "Greške zadnje operacije"},
        {Label1, "Opis lokacije za distribuciju",
         "Lokacija na koju se presnimavaju novi programi za ostala računala u mreži"},
        {txtLokacija[1], "Lokacija za distribuciju",
         "Direktorija na disku ili u mreži u koju se presnimavaju novi programi"},
        {cmdLokacija[1], "Odaberi lokaciju za distribuciju", "Otvara prozor za odabir direktorije"},
        {cmdDownlNaLokaciju, "Presnimi na lokaciju",
         "Presnimava sve nove programe na unesenu lokaciju za distribuciju"},
        {lblOpisVremena, "Opis automatskog preuzimanja",
         "Svakih koliko sati se novi programi sami preuzimaju na lokaciju za distribuciju"},
        {numVrijemeDownloada, "Automatsko preuzimanje svakih n sati",
         "Broj sati od 0 do 23 između automatskih preuzimanja na lokaciju; 0 ih isključuje"},
        {lblVrijemePrijenosa, "Vrijeme prijenosa", "Koliko traje ili je trajao prijenos na lokaciju"},
        {cmdVerzija, "Provjeri nove verzije",
         "Provjerava postoje li nove verzije na odabranoj lokaciji i priprema popis za preuzimanje"},
        {fraLokacija, "Lokacija ažuriranja", "Odakle se preuzimaju nove verzije"},
        {optLokacija[2], "Primarni poslužitelj na internetu",
         "Preuzimanje s preferiranog, najbržeg poslužitelja"},
        {optLokacija[1], "Mrežna lokacija", "Preuzimanje iz direktorije u lokalnoj mreži"},
        {optLokacija[0], "Sekundarni poslužitelj na internetu",
         "Preuzimanje s drugog poslužitelja, kad prvi ne odgovara"},
        {txtLokacija[0], "Direktorija mrežne lokacije",
         "Direktorija u mreži iz koje se preuzimaju nove verzije"},
        {cmdLokacija[0], "Odaberi mrežnu lokaciju", "Otvara prozor za odabir direktorije"},
        {lblInfo, "Savjet", "Ako ažuriranje ne ide s jedne web adrese, odaberite drugu"},
        {progBar, "Napredak operacije", "Koliko je trenutne operacije obavljeno"},
        {lblPrijenos, "Tijek prijenosa",
         "Datoteka koja se prenosi, koliko je preneseno, brzina, preostalo vrijeme i koja je po redu"},
        {cmdPrekini, "Prekini prijenos",
         "Prekida preuzimanje, kopiranje ili raspakiravanje; ništa se ne instalira"},
        {statusBar(), "Statusna traka", "Trenutna akcija, trenutno stanje, datum i vrijeme"},
        {SBar[0], "Trenutna akcija", "Što program upravo radi ili što je zadnja operacija utvrdila"},
        {SBar[1], "Trenutno stanje", "Napredak trenutne akcije"},
        {SBar[2], "Datum", "Današnji datum"},
        {SBar[3], "Vrijeme", "Trenutno vrijeme"},
        {cmdIzlaz, "Izlaz", "Zatvara program"},
    };
    for (const auto& o : opisi) {
        o.kontrola->setAccessibleName(QString::fromUtf8(o.ime));
        o.kontrola->setAccessibleDescription(QString::fromUtf8(o.opis));
    }
}

void frmLiveUpdate::PoveziNaredbe() {
    connect(cmdVerzija, &QPushButton::clicked, this,
            [this] { IzvršiOperaciju([this] { return Provjeri(); }); });
    connect(cmdDownloadAndUpdate, &QPushButton::clicked, this,
            [this] { IzvršiOperaciju([this] { return AžurirajIJavi(); }); });
    connect(cmdDownlNaLokaciju, &QPushButton::clicked, this, [this] {
        IzvršiOperaciju([this] { return PreuzmiNaLokacijuIJavi(m_k, m_usluge->izvorSeta(), true); });
    });
    connect(cmdIzlaz, &QPushButton::clicked, this, [this] {
        if (!m_zauzet)
            Izađi(0);
        else if (!m_prekidMoguć || PrekiniZaZatvaranje())
            OdgodiZatvaranje(Odgođeno::Izlaz);
    });
    connect(cmdPrekini, &QPushButton::clicked, this, [this] {
        m_stanje.PrekidZatražen = true;
        cmdPrekini->setEnabled(false);
    });
    // Every click saves, also on the option already selected.
    for (int i = 0; i < 3; ++i)
        connect(optLokacija[i], &QRadioButton::clicked, this, [this] { SnimiPostavke(); });
    for (int i = 0; i < 2; ++i)
        connect(cmdLokacija[i], &QPushButton::clicked, this, [this, i] { PretražiLokaciju(i); });
    connect(numVrijemeDownloada, &QSpinBox::valueChanged, this, [this](int n) {
        if (!m_učitavanje) Postavke::SnimiSateAutomatskog(*m_k.postavke, n);
    });
    connect(tmrUpdate, &QTimer::timeout, this, [this] { tmrUpdate_Timer(); });
    connect(tmrPrijenos, &QTimer::timeout, this, [this] { tmrPrijenos_Timer(); });
    connect(tmrSat, &QTimer::timeout, this, [this] { OsvježiDatumIVrijeme(); });
    connect(tmrLinija, &QTimer::timeout, this, [this] { OsvježiLinijuPrijenosa(); });
}

void frmLiveUpdate::PokreniProzor() {
    const auto& v = m_ovisnosti.verzija;
    setWindowTitle(windowTitle() + QStringLiteral(" V%1.%2.%3").arg(v[0]).arg(v[1]).arg(v[3]));
    SSTab1->setCurrentIndex(0);

    PostaviBoje(Postavke::Učitaj(*m_k.postavke).boja);

    ProvjeriOperatera();
    UčitajPostavke();

    OsvježiDatumIVrijeme();
    tmrSat->start();
    tmrUpdate->start();

    // One operation: a lock held elsewhere is reported once, not once for each step.
    IzvršiOperaciju(
        [this] {
            ObnoviPrekinutuInstalaciju(m_k);
            bool listaNedostupna = false;
            if (Provjeri(&listaNedostupna)) return true;
            // Another server or the network location may still have the list: the window
            // stays for the person to choose one and check again.
            if (!listaNedostupna) m_završiPriAktivaciji = true;
            return false;
        },
        Pokretač::Pokretanje);
}

bool frmLiveUpdate::Provjeri(bool* listaNedostupna) {
    if (PripremiVerzijaTXT(m_k, m_usluge->izvorSeta(), listaNedostupna)) return true;
    const QString razlog =
        m_porukeOperacije.isEmpty() ? m_stanje.ZadnjaPoruka : m_porukeOperacije.constLast();
    PrikažiAkciju(KaoRedovi(razlog).replace(QLatin1Char('\n'), QLatin1Char(' ')).trimmed());
    return false;
}

bool frmLiveUpdate::AžurirajIJavi() {
    // The plan's versions, taken before the installation replaces the lists and checks again.
    struct Promjena {
        QString ime, stara, nova;
    };
    QList<Promjena> promjene;
    for (const PlaniraniRed& p : PlaniraniRedovi(m_stanje.NoveVerzije)) {
        const int stari = NađiRed(m_stanje.StareVerzije, p.ime);
        promjene.append({p.ime,
                         stari < 0 ? QString() : Verzija(m_stanje.StareVerzije, stari) + QLatin1Char(' '),
                         Verzija(m_stanje.NoveVerzije, p.red)});
    }
    m_instalirani.clear();
    if (!cmdDownloadAndUpdate_Click(m_k, m_usluge->izvorSeta())) return false;
    for (const Promjena& p : promjene)
        if (m_instalirani.contains(p.ime))
            txtPor->appendPlainText(p.ime + QLatin1Char(' ') + p.stara + QString::fromUtf8("→ ") + p.nova);
    return true;
}

void frmLiveUpdate::ProvjeriOperatera() {
    m_programskaDirektorija = SaSeparatorom(m_k.izvršnaDirektorija);
    const QString proba = m_programskaDirektorija + ImeProbneDirektorije;
    if (JeSimboličkaVeza(proba)) {
        // Probing or removing it would act on whatever it points at.
        m_k.poruke->Pokaži(PorukaSimboličkeVeze(proba), Ikona::Usklicnik);
        return;
    }
    if (m_k.datoteke->PostojiDirektorij(proba)) m_k.datoteke->ObrišiDirektorij(proba);
    const GreškaDatoteke kreiranje = m_k.datoteke->KreirajDirektorij(proba);
    m_k.datoteke->ObrišiDirektorij(proba);
    if (kreiranje) {
        // An operator without write rights is warned, and the update is tried all the same.
        m_k.poruke->Pokaži(
            QStringLiteral("Prijavljeni operater: ") + m_k.imena->KorisničkoIme() +
                QString::fromUtf8(" izgleda nema administratorska prava za instalaciju programa.") + CRLF +
                QString::fromUtf8("Proces automatskog ažuriranja novih verzija možda neće biti "
                                  "ispravan, ali ipak pokušajte!"),
            Ikona::Kritična, Gumbi::URedu, VrstaPitanja::Obavijest, QStringLiteral("Morvela"));
    }
}

void frmLiveUpdate::PostaviBoje(qint32 boja) {
    const QColor c = BojaIzCijelogBroja(boja);
    ObojiPozadinu(this, c);
    for (int i = 0; i < 3; ++i)
        ObojiPozadinu(optLokacija[i], c);
    ObojiPozadinu(SSTab1, c);
    ObojiPozadinu(fraLokacija, c);
    fgAžuriranja->PostaviBoju(c);
    ObojiPozadinu(lblInfo, c);
}

// ---- Settings ----

UpdateLokacija frmLiveUpdate::OdabranaLokacija() const {
    for (int i = 0; i < 2; ++i)
        if (optLokacija[i]->isChecked()) return UpdateLokacija(i);
    return UpdateLokacija::InternetPrimarni;
}

void frmLiveUpdate::OdaberiLokaciju(UpdateLokacija izvor) {
    optLokacija[int(izvor)]->setChecked(true);
}

void frmLiveUpdate::UčitajPostavke() {
    m_postavke = Postavke::Učitaj(*m_k.postavke);
    txtLokacija[0]->setText(m_postavke.mrežnaLokacija);
    txtLokacija[1]->setText(m_postavke.lokacijaDistribucije);

    // A change of selection saves the settings, as a click would.
    const bool promjena = !optLokacija[int(m_postavke.izvor)]->isChecked();
    OdaberiLokaciju(m_postavke.izvor);
    if (promjena) SnimiPostavke();

    UčitajDruguLokaciju();

    m_učitavanje = true;
    numVrijemeDownloada->setValue(m_postavke.satiAutomatskog);
    m_učitavanje = false;
}

void frmLiveUpdate::UčitajDruguLokaciju() {
    if (OdabranaLokacija() != UpdateLokacija::MrežnaLokacija) return;
    const QString druga = Postavke::DrugaLokacijaDistribucije(*m_k.postavke);
    if (!druga.isEmpty()) txtLokacija[1]->setText(druga);
}

void frmLiveUpdate::SnimiPostavke() {
    Postavke::SnimiIzvorILokacije(*m_k.postavke, OdabranaLokacija(), txtLokacija[0]->text(),
                                  txtLokacija[1]->text());
}

void frmLiveUpdate::PretražiLokaciju(int indeks) {
    const OtvorenDijalog dijalogOtvoren(m_otvorenihDijaloga);
    const QString početna = txtLokacija[indeks]->text();
    QString odabrano;
    if (const auto* odaberi = std::get_if<0>(&m_ovisnosti.odaberiDatoteku)) {
        odabrano = (*odaberi)(početna);
    } else {
        DijalogLokacije dijalog(
            this, QString::fromUtf8("Izaberite uređaj i direktoriju gdje se nalaze novi Morvela programi"),
            početna, QStringLiteral("Verzije (*.txt)"));
        // Qt's own dialog everywhere, so that it behaves alike on every platform.
        dijalog.setOption(QFileDialog::DontUseNativeDialog);
        dijalog.setFileMode(QFileDialog::AnyFile);
        dijalog.setDefaultSuffix(QStringLiteral("txt"));
        dijalog.selectFile(QStringLiteral("Verzije.txt"));
        if (dijalog.exec() == QDialog::Accepted && !dijalog.selectedFiles().isEmpty())
            odabrano = dijalog.selectedFiles().constFirst();
    }
    if (QFileInfo(odabrano).fileName().isEmpty()) return;
    const QString put = QDir::toNativeSeparators(odabrano);
    txtLokacija[indeks]->setText(put.left(put.lastIndexOf(QDir::separator()) + 1));
    SnimiPostavke();
}

void frmLiveUpdate::ProvjeriLokaciju(int indeks) {
    const OtvorenDijalog dijalogOtvoren(m_otvorenihDijaloga);
    const QString tekst = txtLokacija[indeks]->text();
    if (!m_k.datoteke->PostojiDirektorij(tekst)) {
        m_k.poruke->Pokaži(QStringLiteral("Ne postoji direktorija: ") + tekst +
                               QStringLiteral(" Postavite je!"),
                           Ikona::Usklicnik);
        PretražiLokaciju(indeks);
        return;
    }
    SnimiPostavke();
}

bool frmLiveUpdate::eventFilter(QObject* o, QEvent* e) {
    if (o == cmdVerzija && (e->type() == QEvent::Move || e->type() == QEvent::Resize) &&
        progBar->parentWidget() == cmdVerzija->parentWidget())
        progBar->setGeometry(cmdVerzija->geometry());
    if (e->type() == QEvent::FocusOut && !Zauzet()) {
        for (int i = 0; i < 2; ++i)
            if (o == txtLokacija[i] &&
                OsobaPrelaziNaDruguKontrolu(static_cast<QFocusEvent*>(e), txtLokacija[i])) {
                // Checked after the focus has moved on, as the message box takes it again;
                // by then an operation may have started or the window closed.
                QMetaObject::invokeMethod(
                    this,
                    [this, i] {
                        if (!Zauzet() && isVisible()) ProvjeriLokaciju(i);
                    },
                    Qt::QueuedConnection);
            }
    }
    return QMainWindow::eventFilter(o, e);
}

// ---- Life of the window ----

bool frmLiveUpdate::event(QEvent* e) {
    if ((e->type() == QEvent::WindowActivate || e->type() == QEvent::Show) && m_završiPriAktivaciji)
        QTimer::singleShot(0, this, [this] { Izađi(1); });
    return QMainWindow::event(e);
}

void frmLiveUpdate::closeEvent(QCloseEvent* e) {
    // Quitting now would answer every later question of the operation with No, unseen.
    if (m_zauzet) {
        e->ignore();
        if (!m_prekidMoguć || PrekiniZaZatvaranje()) OdgodiZatvaranje(Odgođeno::Zatvaranje);
        return;
    }
    m_k.LogirajGrešku(
        QStringLiteral("*************************** KRAJ PROGRAMA **********************************"));
    e->accept();
}

bool frmLiveUpdate::IzvršiOperaciju(const std::function<bool()>& operacija, Pokretač pokretač) {
    if (m_zauzet) return false;
    const DržiBravu brava(m_usluge->brava());
    if (!brava) {
        if (pokretač == Pokretač::Raspored)
            m_k.LogirajGrešku(QString::fromUtf8("tmrUpdate - automatsko preuzimanje preskočeno: ") +
                              TekstDrugeInstance);
        if (pokretač == Pokretač::Pokretanje)
            m_k.LogirajGrešku(QString::fromUtf8("Pokretanje programa - provjera preskočena: ") +
                              TekstDrugeInstance);
        if (pokretač != Pokretač::Raspored) m_k.Pokaži(TekstDrugeInstance, Ikona::Usklicnik);
        return false;
    }
    m_zauzet = true;
    OmogućiNaredbe(false);
    // The source as the options and the location box show it now.
    m_usluge->izvorSeta().Odaberi(OdabranaLokacija(), txtLokacija[0]->text());
    // Whatever an operation gathers is its own, also where it does not empty the texts itself.
    m_stanje.PorukeAkcija.clear();
    m_stanje.PorukeGrešaka.clear();
    m_porukeOperacije.clear();
    if (!operacija()) PrikažiGreškeOperacije();
    OmogućiNaredbe(true);
    m_zauzet = false;
    ZatvoriAkoJeOdgođeno();
    return true;
}

// The error tab shows what the failed operation gathered and every message it gave.
void frmLiveUpdate::PrikažiGreškeOperacije() {
    QString greške = KaoRedovi(m_stanje.PorukeGrešaka);
    for (const QString& poruka : std::as_const(m_porukeOperacije))
        if (!greške.contains(KaoRedovi(poruka))) greške += QLatin1Char('\n') + KaoRedovi(poruka);
    txtPorGr->setPlainText(greške);
}

void frmLiveUpdate::OdgodiZatvaranje(Odgođeno kako) {
    if (m_odgođeno == Odgođeno::Ništa) m_odgođeno = kako;
    PrikažiAkciju(ZatvaranjeČeka);
}

bool frmLiveUpdate::PrekiniZaZatvaranje() {
    if (m_odgođeno != Odgođeno::Ništa) return true;
    const Odgovor odgovor =
        m_k.Pitaj(VrstaPitanja::PrekidPrijenosa, QStringLiteral("Prekinuti prijenos i zatvoriti program?"));
    // The fetch may have ended while the question waited; closing then waits for the rest as ever.
    if (odgovor != Odgovor::Da) return false;
    m_stanje.PrekidZatražen = true;
    cmdPrekini->setEnabled(false);
    return true;
}

void frmLiveUpdate::ZatvoriAkoJeOdgođeno() {
    const Odgođeno kako = std::exchange(m_odgođeno, Odgođeno::Ništa);
    if (kako == Odgođeno::Izlaz) Izađi(0);
    // Closed once the operation's handler has returned.
    if (kako == Odgođeno::Zatvaranje)
        QMetaObject::invokeMethod(
            this, [this] { close(); }, Qt::QueuedConnection);
}

void frmLiveUpdate::Izađi(int kod) {
    if (const auto* izlaz = std::get_if<0>(&m_ovisnosti.izlaz))
        (*izlaz)(kod);
    else
        QCoreApplication::exit(kod);
}

void frmLiveUpdate::OmogućiNaredbe(bool omogućeno) {
    for (QWidget* w : std::initializer_list<QWidget*>{cmdVerzija, cmdDownlNaLokaciju, fraLokacija,
                                                      cmdLokacija[1], txtLokacija[1], numVrijemeDownloada})
        w->setEnabled(omogućeno);
    cmdDownloadAndUpdate->setEnabled(omogućeno && m_ažuriranjeOmogućeno);
}

void frmLiveUpdate::tmrUpdate_Timer() {
    const QDateTime sada = m_k.sat->Sada();
    if (!JeVrijemeZaPreuzimanje(sada.time(), numVrijemeDownloada->value())) return;
    // At most one run in a matching hour, however the ticks fall.
    if (m_zadnjiDanRasporeda == sada.date() && m_zadnjiSatRasporeda == sada.time().hour()) return;
    if (Zauzet()) {
        m_k.LogirajGrešku(
            QString::fromUtf8("tmrUpdate - automatsko preuzimanje preskočeno, druga operacija je u tijeku"));
        return;
    }
    m_zadnjiDanRasporeda = sada.date();
    m_zadnjiSatRasporeda = sada.time().hour();
    IzvršiOperaciju([this] { return PreuzmiNaLokacijuIJavi(m_k, m_usluge->izvorSeta(), false); },
                    Pokretač::Raspored);
}

// ---- Messages ----

Odgovor frmLiveUpdate::Pokaži(const QString& tekst, Ikona ikona, Gumbi gumbi, VrstaPitanja vrsta,
                              const QString& naslov) {
    if (m_zauzet && gumbi == Gumbi::URedu) m_porukeOperacije << tekst;
    return m_osoba->Pokaži(tekst, ikona, gumbi, vrsta, naslov);
}

// ---- Status line and progress ----

void frmLiveUpdate::PrikažiAkciju(const QString& tekst) {
    SBar[0]->setText(tekst);
    SBar[0]->repaint();
}

void frmLiveUpdate::PrikažiStanje(const QString& tekst) {
    SBar[1]->setText(tekst);
    SBar[1]->repaint();
}

void frmLiveUpdate::PripremiProgBar(qint32 minimum, qint32 maksimum) {
    m_minimumBara = float(minimum);
    m_maksimumBara = float(maksimum);
    progBar->setRange(minimum, std::max(minimum, maksimum));
    progBar->setParent(cmdVerzija->parentWidget());
    progBar->setGeometry(cmdVerzija->geometry());
    m_vrijednostBara = 0;
    progBar->setValue(0);
    progBar->setVisible(true);
    progBar->raise();
    progBar->repaint();
}

void frmLiveUpdate::PostaviVrijednostProgBara(float vrijednost) {
    if (vrijednost < m_minimumBara || vrijednost > m_maksimumBara) return;
    m_vrijednostBara = vrijednost;
    progBar->setValue(int(vrijednost));
    progBar->repaint();
}

void frmLiveUpdate::SakrijProgBar() {
    progBar->hide();
    m_prijenosTeče = false;
    tmrLinija->stop();
    lblPrijenos->clear();
}

void frmLiveUpdate::PočniDatoteku(const QString& ime, int redni, int od) {
    m_prijenos = StanjePrijenosa{ime, 0, -1, 0, 0, redni, od};
    m_prijenosTeče = true;
    m_zadnjiBajtoviMs = m_k.sat->MonotonoMs();
    m_uzorci = {{m_zadnjiBajtoviMs, 0}};
    tmrLinija->start();
    OsvježiLinijuPrijenosa();
}

void frmLiveUpdate::NapredakPrijenosa(qint64 primljeno, qint64 ukupno) {
    // The lists a check fetches have no line of their own.
    if (!m_prijenosTeče) return;
    const qint64 sada = m_k.sat->MonotonoMs();
    if (primljeno != m_prijenos.primljeno) m_zadnjiBajtoviMs = sada;
    m_prijenos.primljeno = primljeno;
    m_prijenos.ukupno = ukupno > 0 ? ukupno : -1;
    // The speed over the last three seconds or so: steady, yet quick to follow a change.
    m_uzorci.append({sada, primljeno});
    while (m_uzorci.size() > 2 && sada - m_uzorci[1].first >= 3000)
        m_uzorci.removeFirst();
    const auto& [od, bajtovaOd] = m_uzorci.constFirst();
    if (sada - od >= 500) m_prijenos.brzina = double(primljeno - bajtovaOd) * 1000.0 / double(sada - od);
    // Bytes of the whole run: the unpacking adds each archive's listed size once it is whole.
    // A run with no plan to count against (the distribution) keeps its bar as it is.
    if (!progBar->isHidden() && m_prijenos.od > 0)
        progBar->setValue(int(std::clamp<qint64>(qint64(m_vrijednostBara) + primljeno, progBar->minimum(),
                                                 progBar->maximum())));
    OsvježiLinijuPrijenosa();
}

void frmLiveUpdate::OsvježiLinijuPrijenosa() {
    if (!m_prijenosTeče) return;
    // A file that has come whole is waiting for its unpacking, not for bytes.
    const bool cijela = m_prijenos.ukupno >= 0 && m_prijenos.primljeno >= m_prijenos.ukupno;
    m_prijenos.bezPodatakaMs = cijela ? 0 : m_k.sat->MonotonoMs() - m_zadnjiBajtoviMs;
    lblPrijenos->setText(TekstPrijenosa(m_prijenos));
}

bool frmLiveUpdate::ProgBarVidljiv() const {
    return progBar->isVisible();
}

void frmLiveUpdate::PrikažiPoruke(const QString& akcije, const QString& greške) {
    txtPor->setPlainText(akcije);
    txtPor->repaint();
    txtPorGr->setPlainText(greške);
    txtPorGr->repaint();
}

void frmLiveUpdate::PokreniVrijemePrijenosa() {
    m_početakPrijenosaMs = m_k.sat->MonotonoMs();
    tmrPrijenos->start();
}

void frmLiveUpdate::ZaustaviVrijemePrijenosa() {
    tmrPrijenos->stop();
}

void frmLiveUpdate::PostaviTekstVremenaPrijenosa(const QString& tekst) {
    lblVrijemePrijenosa->setText(tekst);
}

QString frmLiveUpdate::TekstVremenaPrijenosa() const {
    return lblVrijemePrijenosa->text();
}

void frmLiveUpdate::tmrPrijenos_Timer() {
    lblVrijemePrijenosa->setText(TekstVremena(double(m_k.sat->MonotonoMs() - m_početakPrijenosaMs) / 1000.0));
}

QString frmLiveUpdate::TekstVremena(double sekundi) {
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    QString broj = l.toString(sekundi, 'f', 2);
    // "#.00": no digit before the separator for values under one.
    if (broj.startsWith(QLatin1Char('0')) && broj.size() > 1 && !broj.at(1).isDigit()) broj.remove(0, 1);
    return QStringLiteral("Vrijeme prijenosa: ") + broj + QStringLiteral(" s");
}

void frmLiveUpdate::ObradiDogađaje() {
    QCoreApplication::processEvents();
}

void frmLiveUpdate::OmogućiPrekid(bool omogućeno) {
    m_prekidMoguć = omogućeno;
    cmdPrekini->setVisible(omogućeno);
    cmdPrekini->setEnabled(omogućeno);
}

void frmLiveUpdate::OsvježiDatumIVrijeme() {
    const QDateTime sada = m_k.sat->Sada();
    const QLocale l = QLocale::system();
    SBar[2]->setText(l.toString(sada.date(), QLocale::ShortFormat));
    SBar[3]->setText(l.toString(sada.time(), QLocale::ShortFormat));
}

// ---- Source and plan, as the operations see them ----

QString frmLiveUpdate::Lokacija(int indeks) const {
    return txtLokacija[indeks]->text();
}

void frmLiveUpdate::PostaviLokaciju(int indeks, const QString& tekst) {
    txtLokacija[indeks]->setText(tekst);
}

void frmLiveUpdate::PrikažiPlan(const QList<RedPlana>& redovi) {
    fgAžuriranja->PrikažiPlan(redovi);
    // An empty plan says so itself.
    if (redovi.isEmpty()) return;
    double bajtova = 0;
    for (const RedPlana& r : redovi)
        bajtova += std::max(0.0, BrojčanaVrijednost(r.veličinaDownload));
    PrikažiAkciju(TekstPlana(redovi.size(), bajtova));
}

void frmLiveUpdate::OznačiStanjeReda(const QString& ime, int stanje) {
    fgAžuriranja->OznačiStanjeReda(ime, stanje);
    if (stanje == StanjeInstalirano && m_zauzet) m_instalirani << ime;
}

void frmLiveUpdate::OmogućiAžuriranje(bool omogućeno) {
    m_ažuriranjeOmogućeno = omogućeno;
    cmdDownloadAndUpdate->setEnabled(omogućeno && !m_zauzet);
}

} // namespace morvela
