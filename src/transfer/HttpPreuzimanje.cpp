#include "transfer/HttpPreuzimanje.h"

#include "transfer/CurlPrijenos.h"
#include "transfer/ProvjeraUPozadini.h"
#include "versions/IzvorSeta.h"

#include <QFile>

#include <iterator>
#include <optional>

namespace morvela {

namespace {

// The transfer control's state texts by state number; 9 (disconnecting) has none.
QString TekstStanja(qint16 stanje) {
    static const char* const tekstovi[] = {"Nema tekućeg stanja",
                                           "Udaljena adresa je u toku provjere",
                                           "Dana udaljena adresa je prihvaćena",
                                           "Spajanje...",
                                           "Spojeno",
                                           "Podaci su u toku zahtjeva",
                                           "Zahtjev za podacima je poslan",
                                           "Odgovor je u toku prihvaćanja",
                                           "Odgovor primljen/Prijenos u toku",
                                           nullptr,
                                           "Odspojeno",
                                           "Nastala greška",
                                           "Odgovor je uspješno prihvaćen"};
    if (stanje < 0 || stanje >= qint16(std::size(tekstovi)) || !tekstovi[stanje]) return QString();
    return QString::fromUtf8(tekstovi[stanje]);
}

} // namespace

HttpPreuzimanje::HttpPreuzimanje(IStatusLinija& status, IPoruke& poruke, UpdateLog& log, IDatoteke& datoteke,
                                 QString& zadnjaPoruka, const RokoviPrijenosa& rokovi)
    : m_status(status), m_poruke(poruke), m_log(log), m_datoteke(datoteke), m_zadnjaPoruka(zadnjaPoruka),
      m_rokovi(rokovi) {}

HttpPreuzimanje::~HttpPreuzimanje() {
    // Nobody checked it: it goes, as a cut-short fetch would.
    DovršiPredaju(false);
}

bool HttpPreuzimanje::DownloadDatoteke(const ZahtjevDatoteke& zahtjev) {
    return zahtjev.url.startsWith(QLatin1String("https:")) ? DownChilkat(zahtjev) : DownInet(zahtjev);
}

bool HttpPreuzimanje::PreuzmiNaProvjeru(const ZahtjevDatoteke& zahtjev, QString& privremena) {
    m_naProvjeru = true;
    const bool uspjeh = DownloadDatoteke(zahtjev);
    m_naProvjeru = false;
    privremena = m_čeka ? m_čeka->privremena : PrivremenaZa(zahtjev.direktorija + zahtjev.ime);
    return uspjeh && m_čeka.has_value();
}

bool HttpPreuzimanje::DovršiPredaju(bool prihvaćena) {
    if (!m_čeka) return true;
    NaČekanju čeka = std::move(*m_čeka);
    m_čeka.reset();
    GreškaDatoteke greška = čeka.pražnjenje.valid() ? čeka.pražnjenje.get() : GreškaDatoteke{};
    if (!prihvaćena || greška) {
        QFile::remove(čeka.privremena);
        if (!prihvaćena) return true;
    } else {
        greška = Zamijeni(čeka.privremena, čeka.cilj, čeka.trajno);
    }
    if (!greška) return true;
    GreškaLokalneDatoteke(čeka.ime, OpisGreškeDatoteke(greška));
    return false;
}

bool HttpPreuzimanje::DownChilkat(const ZahtjevDatoteke& zahtjev) {
    return Preuzmi(zahtjev, true);
}

bool HttpPreuzimanje::DownInet(const ZahtjevDatoteke& zahtjev) {
    return Preuzmi(zahtjev, false);
}

// The two transports differ only in the scheme, in how progress is shown and
// in how a failed transfer is reported: the http path shows a box of its own
// and tells an empty answer apart.
bool HttpPreuzimanje::Preuzmi(const ZahtjevDatoteke& zahtjev, bool https) {
    const QString& imeDatoteke = zahtjev.ime;
    m_status.PrikažiAkciju(QStringLiteral("Download: ") + imeDatoteke);
    m_log.LogirajGrešku(QStringLiteral("Početak Download: ") + zahtjev.url);

    const QString cilj = zahtjev.direktorija + imeDatoteke, privremena = PrivremenaZa(cilj);
    // A file never checked never takes its place.
    DovršiPredaju(false);
    m_prekoGranice = -1;
    const bool trajno = zahtjev.trajno;
    // A file that must last is handed to the disk as it arrives, so its flush has little left to do.
    IshodPrijenosa ishod = Prenesi(zahtjev, privremena, https, trajno);
    if (ishod.vrsta == IshodPrijenosa::Spremljeno) {
        QString razlog = RazlogLošegPrograma(m_datoteke, imeDatoteke, privremena);
        // The hash was taken as the bytes arrived; the file is refused before it takes its name.
        if (razlog.isEmpty() && zahtjev.provjera) razlog = zahtjev.provjera->Završi();
        if (!razlog.isEmpty()) {
            QFile::remove(privremena);
            ishod = {IshodPrijenosa::GreškaPrijenosa, razlog, razlog};
        }
    }
    if (ishod.vrsta == IshodPrijenosa::Spremljeno) ishod = Predaj(imeDatoteke, privremena, cilj, trajno);
    switch (ishod.vrsta) {
    case IshodPrijenosa::Spremljeno:
        m_log.LogirajGrešku(QStringLiteral("Uspješan download: ") + imeDatoteke);
        break;
    case IshodPrijenosa::GreškaDatoteke:
        GreškaLokalneDatoteke(imeDatoteke, ishod.opis);
        return false;
    case IshodPrijenosa::PrekoGranice:
        // Larger than its list allows: the caller's size check tells the person, as for any wrong size.
        m_prekoGranice = ishod.veličina;
        m_zadnjaPoruka = ishod.opis;
        m_log.LogirajGrešku(QStringLiteral("Greška: Download: ") + imeDatoteke + QLatin1Char(' ') +
                            ishod.opis);
        break;
    case IshodPrijenosa::Prekinuto:
        // Asked for: no box, and the run that was stopped says so in its log.
        m_zadnjaPoruka = ishod.opis;
        break;
    case IshodPrijenosa::NištaPrimljeno:
        if (!https) {
            m_log.LogirajGrešku(QStringLiteral("Ništa nije primljeno (dužina 0). Download: ") + imeDatoteke);
            break;
        }
        [[fallthrough]];
    case IshodPrijenosa::GreškaPrijenosa:
        m_zadnjaPoruka = ishod.opis;
        // The box names the class only; the library's words go to the log.
        if (!https) m_poruke.Pokaži(QStringLiteral("Greška: ") + ishod.klasa, Ikona::Nema);
        m_log.LogirajGrešku(QStringLiteral("Greška: Download: ") + imeDatoteke + QLatin1Char(' ') +
                            ishod.opis);
        break;
    }
    m_status.PrikažiAkciju(QString());
    m_status.PrikažiStanje(QString());
    return ishod.vrsta == IshodPrijenosa::Spremljeno;
}

void HttpPreuzimanje::GreškaLokalneDatoteke(const QString& imeDatoteke, const QString& opis) {
    // Both transports report a local failure in the same words; the status
    // panels keep showing what was under way.
    QString& poruka = m_zadnjaPoruka;
    poruka =
        QStringLiteral("DownInet: Greška u downloadu datoteke: ") + imeDatoteke + QLatin1Char(' ') + opis;
    m_log.LogirajGrešku(poruka);
    m_poruke.Pokaži(poruka, Ikona::Usklicnik);
}

void HttpPreuzimanje::http_PercentDone(qint32 postotak) {
    m_status.PrikažiStanje(QString::number(postotak) + QLatin1Char('%'));
}

void HttpPreuzimanje::Inet1_StateChanged(qint16 stanje) {
    const QString tekst = TekstStanja(stanje);
    if (!tekst.isEmpty()) m_tekstStanja = tekst;
    m_status.PrikažiStanje(m_tekstStanja);
}

// The body goes to a temporary file beside the target, which Predaj puts in
// place only when the whole transfer succeeded; on any failure, and for an
// empty body, the old file stays as it was and nothing new appears. Progress
// reaches the status line as each transport reported it: percentages on the
// https path, the transfer control's states on the http path.
IshodPrijenosa HttpPreuzimanje::Prenesi(const ZahtjevDatoteke& datoteka, const QString& privremena,
                                        bool https, bool upisujUsput) {
    ZahtjevPrijenosa zahtjev{datoteka.url,
                             privremena,
                             datoteka.granica,
                             m_rokovi,
                             https ? datoteka.dodatniCertifikati : QByteArray(),
                             upisujUsput};
    zahtjev.datoteke = &m_datoteke;
    zahtjev.prekid = datoteka.prekid;
    // The hash runs beside the transfer and has caught up when this returns.
    std::optional<ProvjeraUPozadini> provjera;
    if (datoteka.provjera) zahtjev.provjera = &provjera.emplace(*datoteka.provjera);
    NapredakPrijenosa napredak;
    napredak.bajtovi = [this](qint64 primljeno, qint64 ukupno) {
        m_status.NapredakPrijenosa(primljeno, ukupno);
    };
    if (https)
        napredak.postotak = [this](int postotak) { http_PercentDone(postotak); };
    else
        napredak.stanje = [this](int stanje) { Inet1_StateChanged(qint16(stanje)); };
    const IshodPrijenosa ishod = PrenesiCurlom(zahtjev, napredak, &m_veze);
    if (ishod.vrsta != IshodPrijenosa::Spremljeno) QFile::remove(privremena);
    return ishod;
}

// A file that must last is flushed before it takes its name; one waiting for
// its check is flushed while the caller checks it.
IshodPrijenosa HttpPreuzimanje::Predaj(const QString& imeDatoteke, const QString& privremena,
                                       const QString& cilj, bool trajno) {
    if (m_naProvjeru) {
        m_čeka = NaČekanju{imeDatoteke, privremena, cilj, trajno,
                           trajno ? std::async(std::launch::async, IsprazniNaDisk, privremena)
                                  : std::future<GreškaDatoteke>()};
        return {IshodPrijenosa::Spremljeno, {}, {}};
    }
    if (const GreškaDatoteke g =
            trajno ? ZamijeniTrajno(privremena, cilj) : Zamijeni(privremena, cilj, false)) {
        const QString opis = OpisGreškeDatoteke(g);
        return {IshodPrijenosa::GreškaDatoteke, opis, opis};
    }
    return {IshodPrijenosa::Spremljeno, {}, {}};
}

} // namespace morvela
