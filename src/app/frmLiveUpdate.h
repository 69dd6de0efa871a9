#pragma once
// The program's one window: it owns the run state, shows the plan and the
// status line, keeps the chosen source and locations, and starts every operation.

#include "platform/Postavke.h"
#include "platform/Seams.h"
#include "records/Kontekst.h"
#include "records/StanjeRada.h"
#include "records/TekstPrijenosa.h"
#include "records/UpdateLog.h"

#include <QMainWindow>

#include <QList>
#include <QPair>

#include <array>
#include <functional>
#include <memory>
#include <variant>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QGroupBox;
class QPlainTextEdit;
class QTimer;

namespace morvela {

class MrezaPlana;
class HttpPreuzimanje;
struct StvarneUsluge;
class UslugeRada;

// Said for a piece the window makes itself from its own parts (the message boxes
// over it, the HTTP(S) fetch through its status line, its file dialog, leaving the
// event loop): the real one, named.
struct Stvarni {};
template <class T> using IliStvarni = std::variant<T, Stvarni>;

// What the window takes from outside, every piece named where it is built (in
// this order): the real ones (StvarneUsluge) or a test's. The window makes the
// run state, the status line, the plan grid and the locations itself.
struct OvisnostiProzora {
    // Who answers the boxes.
    IliStvarni<Nužan<IPoruke>> osoba;
    VanjskiSvijet svijet;
    IliStvarni<Nužan<IPreuzimanje>> preuzimanje;
    // The browse dialog: returns the chosen file's full path, "" when cancelled.
    IliStvarni<Zadan<std::function<QString(const QString& početnaDirektorija)>>> odaberiDatoteku;
    // Leaves the application's event loop with the given code.
    IliStvarni<Zadan<std::function<void(int kod)>>> izlaz;
    // The program's own file version (major, minor, build, revision).
    std::array<int, 4> verzija{MORVELA_VERSION_MAJOR, MORVELA_VERSION_MINOR, MORVELA_VERSION_PATCH,
                               MORVELA_VERSION_TWEAK};
};

// Everything real, as the program runs for a person at the screen.
OvisnostiProzora StvarneOvisnosti(StvarneUsluge& stvarne);

class frmLiveUpdate : public QMainWindow,
                      private IPoruke,
                      private IStatusLinija,
                      private IIzvor,
                      private IMrežaPlana {
public:
    explicit frmLiveUpdate(OvisnostiProzora ovisnosti);
    ~frmLiveUpdate() override;

    // Start-up: title, colour, operator probe, settings, control file.
    void PokreniProzor();

    // Operations and their pieces, public so the window can be driven as a user would.
    void ProvjeriOperatera();
    void PostaviBoje(qint32 boja);
    void UčitajPostavke();
    void SnimiPostavke();
    void UčitajDruguLokaciju();
    // The option buttons are the values of UpdateLokacija, in its order.
    UpdateLokacija OdabranaLokacija() const;
    void OdaberiLokaciju(UpdateLokacija izvor);
    void PretražiLokaciju(int indeks);
    void ProvjeriLokaciju(int indeks);
    void tmrUpdate_Timer();
    void tmrPrijenos_Timer();

    bool ZavršiPriAktivaciji() const { return m_završiPriAktivaciji; }
    bool OperacijaUTijeku() const { return m_zauzet; }
    // An operation runs, or a box or dialog of the window itself waits for the person.
    bool Zauzet() const { return m_zauzet || m_otvorenihDijaloga > 0; }
    Kontekst& kontekst() { return m_k; }
    StanjeRada& stanje() { return m_stanje; }
    // The settings as the start-up loaded them.
    const Postavke& postavke() const { return m_postavke; }
    IStatusLinija& statusLinija() { return *this; }
    QString programskaDirektorija() const { return m_programskaDirektorija; }

    // "Vrijeme prijenosa: " + seconds in the "#.00" format + " s".
    static QString TekstVremena(double sekundi);

protected:
    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void IzgradiProzor();
    void OpišiKontrole();
    void PoveziNaredbe();
    // Who starts an operation: the person, the start-up or the schedule.
    enum class Pokretač { Osoba, Pokretanje, Raspored };
    // Runs one operation with the commands disabled and the program directory locked;
    // false when another one is under way here or in another process. The person then
    // gets a message, the schedule a log line, the start-up both. The operation
    // returns whether it succeeded; a failure's messages end in the error tab.
    bool IzvršiOperaciju(const std::function<bool()>& operacija, Pokretač pokretač = Pokretač::Osoba);
    void PrikažiGreškeOperacije();
    // The check; a failure leaves its reason in panel 1.
    bool Provjeri(bool* listaNedostupna = nullptr);
    // The update command, then one line per installed file in the action tab.
    bool AžurirajIJavi();
    void OmogućiNaredbe(bool omogućeno);
    void OsvježiDatumIVrijeme();
    // A close or exit asked for while an operation runs waits for its end.
    enum class Odgođeno { Ništa, Zatvaranje, Izlaz };
    void OdgodiZatvaranje(Odgođeno kako);
    void ZatvoriAkoJeOdgođeno();
    void Izađi(int kod);
    // Closing or exiting while a fetch may still be stopped asks first; true when
    // the person agreed and the fetch is being stopped.
    bool PrekiniZaZatvaranje();

    // IPoruke: every box goes to the person; those of a running operation are kept.
    Odgovor Pokaži(const QString& tekst, Ikona ikona, Gumbi gumbi, VrstaPitanja vrsta,
                   const QString& naslov) override;

    // IStatusLinija
    void PrikažiAkciju(const QString& tekst) override;
    void PrikažiStanje(const QString& tekst) override;
    void PripremiProgBar(qint32 minimum, qint32 maksimum) override;
    float VrijednostProgBara() const override { return m_vrijednostBara; }
    float MaksimumProgBara() const override { return m_maksimumBara; }
    void PostaviVrijednostProgBara(float vrijednost) override;
    void SakrijProgBar() override;
    bool ProgBarVidljiv() const override;
    void PrikažiPoruke(const QString& akcije, const QString& greške) override;
    void PokreniVrijemePrijenosa() override;
    void ZaustaviVrijemePrijenosa() override;
    void PostaviTekstVremenaPrijenosa(const QString& tekst) override;
    QString TekstVremenaPrijenosa() const override;
    void ObradiDogađaje() override;
    void OmogućiPrekid(bool omogućeno) override;
    void PočniDatoteku(const QString& ime, int redni, int od) override;
    void NapredakPrijenosa(qint64 primljeno, qint64 ukupno) override;
    void OsvježiLinijuPrijenosa();

    // IIzvor
    QString Lokacija(int indeks) const override;
    void PostaviLokaciju(int indeks, const QString& tekst) override;

    // IMrežaPlana
    void PrikažiPlan(const QList<RedPlana>& redovi) override;
    void OznačiStanjeReda(const QString& ime, int stanje) override;
    void OmogućiAžuriranje(bool omogućeno) override;

    OvisnostiProzora m_ovisnosti;
    // The real message boxes, when they answer.
    std::unique_ptr<IPoruke> m_vlastitePoruke;
    // Who answers the boxes: the given person or the real message boxes.
    IPoruke* m_osoba = nullptr;
    // The running operation's messages (not its questions), and whether it filled the tabs itself.
    QStringList m_porukeOperacije;
    bool m_porukePrikazane = false;
    // The names of the rows marked installed during the running operation.
    QStringList m_instalirani;
    StanjeRada m_stanje;
    Postavke m_postavke;
    UpdateLog m_log;
    Kontekst m_k;
    std::unique_ptr<HttpPreuzimanje> m_http;
    std::unique_ptr<UslugeRada> m_usluge;

    QString m_programskaDirektorija;
    bool m_završiPriAktivaciji = false;
    bool m_zauzet = false;
    // The running fetch, copy or unpacking may be stopped.
    bool m_prekidMoguć = false;
    int m_otvorenihDijaloga = 0;
    Odgođeno m_odgođeno = Odgođeno::Ništa;
    bool m_ažuriranjeOmogućeno = false;
    bool m_učitavanje = false;
    float m_minimumBara = 0, m_maksimumBara = 0, m_vrijednostBara = 0;
    qint64 m_početakPrijenosaMs = 0;
    // The file of the run on its way, for the transfer line; none between runs.
    bool m_prijenosTeče = false;
    StanjePrijenosa m_prijenos;
    qint64 m_zadnjiBajtoviMs = 0;
    // Recent (time, bytes) readings the speed is taken over.
    QList<QPair<qint64, qint64>> m_uzorci;
    int m_zadnjiSatRasporeda = -1;
    QDate m_zadnjiDanRasporeda;

public:
    // Controls, named as the users' documentation and support staff know them.
    QTabWidget* SSTab1 = nullptr;
    MrezaPlana* fgAžuriranja = nullptr;
    QPushButton* cmdDownloadAndUpdate = nullptr;
    QPlainTextEdit* txtPor = nullptr;
    QPlainTextEdit* txtPorGr = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblOpisVremena = nullptr;
    std::array<QLineEdit*, 2> txtLokacija{};
    std::array<QPushButton*, 2> cmdLokacija{};
    QPushButton* cmdDownlNaLokaciju = nullptr;
    QSpinBox* numVrijemeDownloada = nullptr;
    QLabel* lblVrijemePrijenosa = nullptr;
    QPushButton* cmdVerzija = nullptr;
    QGroupBox* fraLokacija = nullptr;
    std::array<QRadioButton*, 3> optLokacija{};
    QLabel* lblInfo = nullptr;
    QProgressBar* progBar = nullptr;
    QLabel* lblPrijenos = nullptr;
    std::array<QLabel*, 4> SBar{};
    QPushButton* cmdIzlaz = nullptr;
    QPushButton* cmdPrekini = nullptr;
    QTimer* tmrUpdate = nullptr;
    QTimer* tmrPrijenos = nullptr;
    QTimer* tmrSat = nullptr;
    QTimer* tmrLinija = nullptr;
};

} // namespace morvela
