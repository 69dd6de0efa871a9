#pragma once
// The small interfaces through which operations reach the person, the window,
// time and the outside world. The window and platform code implement them for
// real; tests put fakes in place of the person and of time only.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

namespace morvela {

inline const QString NaslovAplikacije = QStringLiteral("MorvelaLiveUpdate21");
inline const QString CRLF = QStringLiteral("\r\n");
// A fetch, copy or unpacking the person stopped ends as a failed fetch with these words.
inline const QString TekstPrekidaKorisnika = QStringLiteral("Prijenos je prekinut na zahtjev korisnika.");

enum class Ikona { Nema, Usklicnik, Kritična, Pitanje, Informacija };
enum class Gumbi { URedu, DaNe };
enum class Odgovor { URedu, Da, Ne };

// What a box asks of the person. A plain message asks nothing; every Yes/No
// question names what it asks, so a front end without a person answers by
// that and never by the wording.
enum class VrstaPitanja {
    Obavijest,                // a message with OK only
    PotvrdaInstalacije,       // install the fetched programs now?
    PonovniPokušajDatoteke,   // a file could not be moved aside: try it again?
    ZatvaranjePrograma,       // programs of the suite are open: check again?
    PrekidAžuriranja,         // really give up the update?
    KopiranjeSvegaNaLokaciju, // the location has no list: copy everything there?
    PrekidPrijenosa,          // a transfer runs: stop it and close the program?
};

// Message boxes and questions. A question is data: kind, text, icon and
// buttons go out, the answer comes back.
class IPoruke {
public:
    virtual ~IPoruke() = default;
    virtual Odgovor Pokaži(const QString& tekst, Ikona ikona, Gumbi gumbi = Gumbi::URedu,
                           VrstaPitanja vrsta = VrstaPitanja::Obavijest,
                           const QString& naslov = NaslovAplikacije) = 0;
};

// Status bar panels, progress bar, elapsed-time label and message tabs.
class IStatusLinija {
public:
    virtual ~IStatusLinija() = default;
    virtual void PrikažiAkciju(const QString& tekst) = 0;
    virtual void PrikažiStanje(const QString& tekst) = 0;
    virtual void PripremiProgBar(qint32 minimum, qint32 maksimum) = 0;
    virtual float VrijednostProgBara() const = 0;
    virtual float MaksimumProgBara() const = 0;
    // Takes the value only when it lies within the bar's range; otherwise the
    // bar keeps its previous value.
    virtual void PostaviVrijednostProgBara(float vrijednost) = 0;
    virtual void SakrijProgBar() = 0;
    virtual bool ProgBarVidljiv() const = 0;
    // Copies the two message texts into their tabs and repaints them.
    virtual void PrikažiPoruke(const QString& akcije, const QString& greške) = 0;
    // Elapsed transfer time on the distribution tab.
    virtual void PokreniVrijemePrijenosa() = 0;
    virtual void ZaustaviVrijemePrijenosa() = 0;
    virtual void PostaviTekstVremenaPrijenosa(const QString& tekst) = 0;
    virtual QString TekstVremenaPrijenosa() const = 0;
    // Lets the window handle pending events once, so it repaints between steps.
    virtual void ObradiDogađaje() = 0;
    // Bytes of the file being fetched or copied so far, of ukupno (-1 when not announced).
    virtual void NapredakPrijenosa(qint64 primljeno, qint64 ukupno) {
        Q_UNUSED(primljeno);
        Q_UNUSED(ukupno);
    }
    // A file of the run begins, the redni-th of od: the transfer line names it,
    // and its bytes move the bar on from where it stands.
    virtual void PočniDatoteku(const QString& ime, int redni, int od) {
        Q_UNUSED(ime);
        Q_UNUSED(redni);
        Q_UNUSED(od);
    }
    // Whether what runs now (fetching, copying, unpacking) may be stopped by the person.
    virtual void OmogućiPrekid(bool omogućeno) { Q_UNUSED(omogućeno); }
};

// Wall clock, monotonic clock and the wait that keeps the window alive.
class ISat {
public:
    virtual ~ISat() = default;
    virtual QDateTime Sada() const = 0;
    virtual qint64 MonotonoMs() const = 0;
    virtual void Pričekaj(qint16 sekundi) = 0;
};

// The two location texts live in the window: 0 the network update location, 1 the
// distribution location.
class IIzvor {
public:
    virtual ~IIzvor() = default;
    virtual QString Lokacija(int indeks) const = 0;
    virtual void PostaviLokaciju(int indeks, const QString& tekst) = 0;
};

// Where new versions come from; the value is the index of the window's option
// button and the number the settings store.
enum class UpdateLokacija { InternetSekundarni = 0, MrežnaLokacija = 1, InternetPrimarni = 2 };

// One planned row as the grid shows it: the list's texts unchanged.
struct RedPlana {
    QString ime, verGl, verPom, verRev, veličinaDownload, stvarnaVeličina;
};

// The plan grid of the first tab.
class IMrežaPlana {
public:
    virtual ~IMrežaPlana() = default;
    virtual void PrikažiPlan(const QList<RedPlana>& redovi) = 0;
    virtual void OznačiStanjeReda(const QString& ime, int stanje) = 0;
    virtual void OmogućiAžuriranje(bool omogućeno) = 0;
};

// Looks at a file's bytes as they arrive (a transfer or a copy) and may refuse
// the whole file before it takes its name, so what is checked is never read
// twice. The update set's hashes are checked this way.
class IProvjeraSadržaja {
public:
    virtual ~IProvjeraSadržaja() = default;
    // The next duljina bytes; podaci may be null for one that does not look at the bytes.
    virtual void Dodaj(const char* podaci, qint64 duljina) = 0;
    // False for one that only counts the bytes (the progress of a copy): the
    // system may then copy them without this program ever holding them.
    virtual bool GledaBajtove() const { return true; }
    // Empty when the file is accepted; otherwise why not, in Croatian.
    virtual QString Završi() = 0;
    // Asked between blocks of a copy: true ends it before the next one.
    virtual bool Prekinuto() const { return false; }
};

// One file to fetch: from the URL to direktorija + ime.
struct ZahtjevDatoteke {
    // The whole URL; "https://" or "http://" also says how progress is shown.
    QString url;
    // The file's name, as the status line and the log name it.
    QString ime;
    QString direktorija;
    // The most bytes the body may have.
    qint64 granica = 0;
    // Flushed to disk before it takes its name; not for the program's own working
    // directory, whose files every run fetches anew before it reads them.
    bool trajno = true;
    // Extra trusted CA certificates (PEM) for https.
    QByteArray dodatniCertifikati;
    // Sees every byte of the body; what it refuses never takes the file's name.
    std::shared_ptr<IProvjeraSadržaja> provjera;
    // Set by the person from another thread: the fetch ends, leaving nothing behind.
    const std::atomic<bool>* prekid = nullptr;
};

// Fetching one file over HTTP(S): a URL to a file, with a size limit.
class IPreuzimanje {
public:
    virtual ~IPreuzimanje() = default;
    virtual bool DownloadDatoteke(const ZahtjevDatoteke& zahtjev) = 0;
    // For a caller that checks each file before it takes its place: the body is
    // fetched whole into a new temporary file beside the target, given back in
    // privremena, and waits there (already on its way to the disk) until
    // DovršiPredaju puts it in place or, refused, removes it. A stand-in without
    // temporaries of its own fetches straight into place.
    virtual bool PreuzmiNaProvjeru(const ZahtjevDatoteke& zahtjev, QString& privremena) {
        privremena = zahtjev.direktorija + zahtjev.ime;
        return DownloadDatoteke(zahtjev);
    }
    // Puts the file waiting from PreuzmiNaProvjeru in place (prihvaćena) or removes
    // it. A failure to put it in place, its flush included, is reported as the
    // fetch's own and gives false.
    virtual bool DovršiPredaju(bool prihvaćena) {
        Q_UNUSED(prihvaćena);
        return true;
    }
    // When the last fetch failed because the body was larger than its limit: the
    // size announced or received by then; -1 otherwise.
    virtual qint64 PrekoGranice() const { return -1; }
};

// Starting outside programs (7-Zip, the registration program) hidden.
class IProcesi {
public:
    virtual ~IProcesi() = default;
    // Starts the program with its arguments as given (never split again) hidden
    // and waits up to the given time (-1: no limit) for it to end. Returns false
    // only when it could not be started; opisGreške then holds the platform's
    // words. The standard output goes to ispis when it is given, else nowhere;
    // a program that writes more than NajvišeIspisa bytes is ended early and
    // ispis then holds more than NajvišeIspisa bytes, so the caller can tell.
    // izlazniKod gets the program's exit code, or -1 when it crashed or was ended.
    static constexpr qsizetype NajvišeIspisa = 1 << 20;
    virtual bool PokreniIČekaj(const QString& program, const QStringList& argumenti, int najviševMs,
                               QString* opisGreške, QByteArray* ispis = nullptr,
                               int* izlazniKod = nullptr) = 0;
};

// Looks for top-level windows of other programs.
class IProzori {
public:
    virtual ~IProzori() = default;
    // Finds a top-level window by class (when klasa is not empty) or by exact
    // title, wakes it as the suite expects and optionally brings it forward.
    virtual bool NađiProzor(const QString& klasa, const QString& naslov, bool uPrviPlan) = 0;
};

// Logged-on user and computer names.
class IImena {
public:
    virtual ~IImena() = default;
    virtual QString KorisničkoIme() const = 0;
    virtual QString ImeRačunala() const = 0;
};

// Per-user settings store: application "Morvela", sections as groups, values as text.
class IPostavke {
public:
    virtual ~IPostavke() = default;
    virtual QString Čitaj(const QString& sekcija, const QString& ključ, const QString& zadano) const = 0;
    virtual bool Postoji(const QString& sekcija, const QString& ključ) const = 0;
    virtual void Snimi(const QString& sekcija, const QString& ključ, const QString& vrijednost) = 0;
};

} // namespace morvela
