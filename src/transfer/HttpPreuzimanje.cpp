#include "transfer/HttpPreuzimanje.h"

#include "versions/PravilaVerzija.h"

#include "transfer/CurlPrijenos.h"

#include <QFile>

#include <algorithm>
#include <iterator>

namespace morvela {

namespace {

const QString Sekcija = QStringLiteral("Settings");

constexpr qint64 MiB = 1024 * 1024;
// A file the list does not name (the remote-support program) may be this large.
constexpr qint64 GranicaNepopisane = 256 * MiB;

QString HostIzPostavki(const IPostavke& postavke, const QString& ključ, const QString& zadano) {
    const QString host = postavke.Čitaj(Sekcija, ključ, QString()).trimmed();
    return host.isEmpty() ? zadano : host;
}

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

// A company that inspects TLS names its own CA here; it is trusted besides the system's.
QByteArray DodatniCertifikati(const IPostavke& postavke) {
    const QString put = postavke.Čitaj(Sekcija, QStringLiteral("DodatniCertifikati"), QString());
    QFile datoteka(put);
    if (put.isEmpty() || !datoteka.open(QIODevice::ReadOnly)) return QByteArray();
    return datoteka.readAll();
}

} // namespace

QString HostPrimarnogServera(const IPostavke& postavke) {
    return HostIzPostavki(postavke, QStringLiteral("PrimarniServer21"),
                          QStringLiteral("download.morvela.hr"));
}

QString HostSekundarnogServera(const IPostavke& postavke) {
    return HostIzPostavki(postavke, QStringLiteral("SekundarniServer21"),
                          QStringLiteral("download.morvela.ba"));
}

QString OsnovniUrl(const IPostavke& postavke, bool https, bool primarni) {
    return (https ? QStringLiteral("https://") : QStringLiteral("http://")) +
           (primarni ? HostPrimarnogServera(postavke) : HostSekundarnogServera(postavke)) +
           QStringLiteral("/download/Verzija21/");
}

HttpPreuzimanje::HttpPreuzimanje(Kontekst& k, int zastojMs) : m_k(k), m_zastojMs(zastojMs) {}

HttpPreuzimanje::~HttpPreuzimanje() = default;

bool HttpPreuzimanje::DownloadDatoteke(const QString& imeDatoteke, const QString& ciljnaDirektorija) {
    return m_k.stanje->KoristiChilkat ? DownChilkat(imeDatoteke, ciljnaDirektorija)
                                      : DownInet(imeDatoteke, ciljnaDirektorija);
}

QString HttpPreuzimanje::UrlDatoteke(const QString& imeDatoteke, bool https) const {
    const bool primarni = m_k.izvor->OdabranaLokacija() == InternetPrimarni;
    return OsnovniUrl(*m_k.postavke, https, primarni) + imeDatoteke;
}

bool HttpPreuzimanje::DownChilkat(const QString& imeDatoteke, const QString& ciljnaDirektorija) {
    return Preuzmi(imeDatoteke, ciljnaDirektorija, true);
}

bool HttpPreuzimanje::DownInet(const QString& imeDatoteke, const QString& ciljnaDirektorija) {
    return Preuzmi(imeDatoteke, ciljnaDirektorija, false);
}

// The two transports differ only in the scheme, in how progress is shown and
// in how a failed transfer is reported: the http path shows a box of its own
// and tells an empty answer apart.
bool HttpPreuzimanje::Preuzmi(const QString& imeDatoteke, const QString& ciljnaDirektorija, bool https) {
    m_k.PrikažiAkciju(QStringLiteral("Download: ") + imeDatoteke);
    const QString url = UrlDatoteke(imeDatoteke, https);
    m_k.LogirajGrešku(QStringLiteral("Početak Download: ") + url);

    const IshodPrijenosa ishod =
        Prenesi(url, ciljnaDirektorija + imeDatoteke, https, GranicaVeličine(imeDatoteke));
    switch (ishod.vrsta) {
    case IshodPrijenosa::Spremljeno:
        m_k.LogirajGrešku(QStringLiteral("Uspješan download: ") + imeDatoteke);
        break;
    case IshodPrijenosa::GreškaDatoteke:
        GreškaLokalneDatoteke(imeDatoteke, ishod.opis);
        return false;
    case IshodPrijenosa::NištaPrimljeno:
        if (!https) {
            m_k.LogirajGrešku(QStringLiteral("Ništa nije primljeno (dužina 0). Download: ") + imeDatoteke);
            break;
        }
        [[fallthrough]];
    case IshodPrijenosa::GreškaPrijenosa:
        m_k.stanje->ZadnjaPoruka = ishod.opis;
        if (!https) m_k.Pokaži(QStringLiteral("Greška: ") + ishod.opis, Ikona::Nema);
        m_k.LogirajGrešku(QStringLiteral("Greška: Download: ") + imeDatoteke + QLatin1Char(' ') + ishod.opis);
        break;
    }
    m_k.PrikažiAkciju(QString());
    m_k.PrikažiStanje(QString());
    return ishod.vrsta == IshodPrijenosa::Spremljeno;
}

void HttpPreuzimanje::GreškaLokalneDatoteke(const QString& imeDatoteke, const QString& opis) {
    // Both transports report a local failure in the same words; the status
    // panels keep showing what was under way.
    QString& poruka = m_k.stanje->ZadnjaPoruka;
    poruka =
        QStringLiteral("DownInet: Greška u downloadu datoteke: ") + imeDatoteke + QLatin1Char(' ') + opis;
    m_k.LogirajGrešku(poruka);
    m_k.Pokaži(poruka, Ikona::Usklicnik);
}

void HttpPreuzimanje::http_PercentDone(qint32 postotak) {
    m_k.PrikažiStanje(QString::number(postotak) + QLatin1Char('%'));
}

void HttpPreuzimanje::Inet1_StateChanged(qint16 stanje) {
    const QString tekst = TekstStanja(stanje);
    if (!tekst.isEmpty()) m_tekstStanja = tekst;
    m_k.PrikažiStanje(m_tekstStanja);
}

// The most a transfer of this file may bring: what the new list says of its
// archive plus 1 MiB of slack, 1 MiB for a list. Anything more is not the file
// the list speaks of, and is not written to the end before the size check.
qint64 HttpPreuzimanje::GranicaVeličine(const QString& imeDatoteke) const {
    if (imeDatoteke == ImeListeVerzija || imeDatoteke == ImeListeVerzijaU) return MiB;
    const Matrica& nove = m_k.stanje->NoveVerzije;
    for (int red = 0; red < Matrica::Redova; ++red)
        if (nove.koristi(red) && ImeArhive(nove.tekst(red, Ime)) == imeDatoteke)
            return qint64(std::max(0.0, BrojčanaVrijednost(nove.tekst(red, VeličinaDownload)))) + MiB;
    return GranicaNepopisane;
}

// The body goes to a temporary file beside the target, which replaces the
// target only when the whole transfer succeeded; on any failure, and for an
// empty body, the old file stays as it was and nothing new appears. Progress
// reaches the status line as each transport reported it: percentages on the
// https path, the transfer control's states on the http path.
IshodPrijenosa HttpPreuzimanje::Prenesi(const QString& url, const QString& lokalniPut, bool https,
                                        qint64 granica) {
    ZahtjevPrijenosa zahtjev{url, PrivremenaZa(lokalniPut), granica, m_zastojMs,
                             https ? DodatniCertifikati(*m_k.postavke) : QByteArray()};
    NapredakPrijenosa napredak;
    napredak.bajtovi = [this](qint64 primljeno, qint64 ukupno) {
        m_k.status->NapredakPrijenosa(primljeno, ukupno);
    };
    if (https)
        napredak.postotak = [this](int postotak) { http_PercentDone(postotak); };
    else
        napredak.stanje = [this](int stanje) { Inet1_StateChanged(qint16(stanje)); };
    IshodPrijenosa ishod = PrenesiCurlom(zahtjev, napredak);
    if (ishod.vrsta == IshodPrijenosa::Spremljeno) {
        if (const GreškaDatoteke g = ZamijeniTrajno(zahtjev.datoteka, lokalniPut))
            ishod = {IshodPrijenosa::GreškaDatoteke, OpisGreškeDatoteke(g)};
    } else {
        QFile::remove(zahtjev.datoteka);
    }
    return ishod;
}

} // namespace morvela
