#include "transfer/HttpPreuzimanje.h"

#include "versions/PravilaVerzija.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QUrl>

#include <algorithm>
#include <iterator>

namespace morvela {

namespace {

const QString Sekcija = QStringLiteral("Settings");
constexpr qint64 ReadBuffer = 256 * 1024;

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

bool UspješanStatus(const QNetworkReply& odgovor) {
    const int status = odgovor.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return status >= 200 && status < 300;
}

QSslConfiguration TlsKonfiguracija(const IPostavke& postavke) {
    QSslConfiguration konfiguracija = QSslConfiguration::defaultConfiguration();
    // A company that inspects TLS names its own CA here. Adding certificates
    // turns off Qt's on-demand loading of the system roots, so those go in too.
    const QString dodatni = postavke.Čitaj(Sekcija, QStringLiteral("DodatniCertifikati"), QString());
    if (!dodatni.isEmpty()) {
        // Reading the system's roots takes a quarter of a second; they do not change during a run.
        static const QList<QSslCertificate> sistemski = QSslConfiguration::systemCaCertificates();
        konfiguracija.addCaCertificates(sistemski);
        konfiguracija.addCaCertificates(dodatni);
    }
    return konfiguracija;
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

struct HttpPreuzimanje::Ishod {
    enum Vrsta { Spremljeno, GreškaPrijenosa, NištaPrimljeno, GreškaDatoteke };
    Vrsta vrsta;
    QString opis;
};

HttpPreuzimanje::HttpPreuzimanje(Kontekst& k, int zastojMs)
    : m_k(k), m_zastojMs(zastojMs), m_klijent(std::make_unique<QNetworkAccessManager>()) {}

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

    const Ishod ishod = Prenesi(url, ciljnaDirektorija + imeDatoteke, https, GranicaVeličine(imeDatoteke));
    switch (ishod.vrsta) {
    case Ishod::Spremljeno:
        m_k.LogirajGrešku(QStringLiteral("Uspješan download: ") + imeDatoteke);
        break;
    case Ishod::GreškaDatoteke:
        GreškaLokalneDatoteke(imeDatoteke, ishod.opis);
        return false;
    case Ishod::NištaPrimljeno:
        if (!https) {
            m_k.LogirajGrešku(QStringLiteral("Ništa nije primljeno (dužina 0). Download: ") + imeDatoteke);
            break;
        }
        [[fallthrough]];
    case Ishod::GreškaPrijenosa:
        m_k.stanje->ZadnjaPoruka = ishod.opis;
        if (!https) m_k.Pokaži(QStringLiteral("Greška: ") + ishod.opis, Ikona::Nema);
        m_k.LogirajGrešku(QStringLiteral("Greška: Download: ") + imeDatoteke + QLatin1Char(' ') + ishod.opis);
        break;
    }
    m_k.PrikažiAkciju(QString());
    m_k.PrikažiStanje(QString());
    return ishod.vrsta == Ishod::Spremljeno;
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

// Progress goes to the status line as each transport reported it: percentages
// on the https path, the transfer control's states on the http path.
void HttpPreuzimanje::PratiNapredak(QNetworkReply& odgovor, QObject& vlasnik, bool https) {
    QNetworkReply* o = &odgovor;
    if (https) {
        QObject::connect(o, &QNetworkReply::downloadProgress, &vlasnik,
                         [this, o, zadnji = -1](qint64 primljeno, qint64 ukupno) mutable {
                             if (ukupno <= 0 || !UspješanStatus(*o)) return;
                             const int postotak = int(primljeno * 100 / ukupno);
                             if (postotak == zadnji) return;
                             zadnji = postotak;
                             http_PercentDone(postotak);
                         });
        return;
    }
    // The client's signals in place of the transfer control's states:
    //   request issued 1; socketStartedConnecting 2, 3; requestSent 4, 5, 6;
    //   metaDataChanged 7; first bytes of the body 8; errorOccurred 11;
    //   finished without error 12. There is nothing for 0, 9 and 10: the
    //   client keeps its connections open after a transfer.
    QObject::connect(o, &QNetworkReply::socketStartedConnecting, &vlasnik, [this] {
        Inet1_StateChanged(2);
        Inet1_StateChanged(3);
    });
    QObject::connect(o, &QNetworkReply::requestSent, &vlasnik, [this] {
        for (qint16 s : {4, 5, 6})
            Inet1_StateChanged(s);
    });
    QObject::connect(o, &QNetworkReply::metaDataChanged, &vlasnik, [this] { Inet1_StateChanged(7); });
    QObject::connect(o, &QNetworkReply::errorOccurred, &vlasnik, [this] { Inet1_StateChanged(11); });
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
// empty body, the old file stays as it was and nothing new appears.
HttpPreuzimanje::Ishod HttpPreuzimanje::Prenesi(const QString& url, const QString& lokalniPut, bool https,
                                                qint64 granica) {
    // QUrl's tolerant parsing encodes blanks and non-ASCII letters, nothing else.
    QNetworkRequest zahtjev{QUrl(url)};
    // Never to another host, port or scheme, so never from https down to http.
    zahtjev.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    zahtjev.setTransferTimeout(m_zastojMs);
    // HTTP/1.1 only: the read-buffer limit that keeps memory flat is measured there.
    zahtjev.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    // The file as the server holds it, so its length can be checked against Content-Length.
    zahtjev.setRawHeader("Accept-Encoding", "identity");
    if (https) zahtjev.setSslConfiguration(TlsKonfiguracija(*m_k.postavke));

    const QString privremena = PrivremenaZa(lokalniPut);
    QFile::remove(privremena);
    QFile datoteka(privremena);
    QString greškaDatoteke, prevelik;
    qint64 primljeno = 0;

    if (!https) Inet1_StateChanged(1);
    // A kept-alive connection would carry the TLS settings of an earlier fetch.
    m_klijent->clearConnectionCache();
    const std::unique_ptr<QNetworkReply> odgovor(m_klijent->get(zahtjev));
    QNetworkReply* o = odgovor.get();
    // Without a limit the client reads ahead of the disk and holds hundreds of MB.
    o->setReadBufferSize(ReadBuffer);

    const auto predugo = [&](qint64 bajtova, const char* što) {
        if (bajtova <= granica || !prevelik.isEmpty()) return false;
        prevelik = QStringLiteral("Prijenos je prekinut: %1 %2 bajtova, a datoteka smije imati najviše %3.")
                       .arg(QLatin1String(što))
                       .arg(bajtova)
                       .arg(granica);
        o->abort();
        return true;
    };
    QObject::connect(o, &QNetworkReply::metaDataChanged, o, [&] {
        const QVariant najava = o->header(QNetworkRequest::ContentLengthHeader);
        if (UspješanStatus(*o) && najava.isValid()) predugo(najava.toLongLong(), "najavljeno je");
    });
    auto spremi = [&] {
        if (!o->isOpen()) return; // aborted
        const QByteArray dio = o->readAll();
        // Error pages and refused redirects carry bodies too; they are not the file.
        if (dio.isEmpty() || !greškaDatoteke.isEmpty() || !UspješanStatus(*o)) return;
        if (predugo(primljeno + dio.size(), "primljeno je više od")) return;
        if (!https && primljeno == 0) Inet1_StateChanged(8);
        if ((!datoteka.isOpen() && !datoteka.open(QIODevice::WriteOnly)) ||
            datoteka.write(dio) != dio.size()) {
            greškaDatoteke = datoteka.errorString();
            o->abort();
            return;
        }
        primljeno += dio.size();
    };

    QEventLoop petlja;
    QObject::connect(o, &QNetworkReply::finished, &petlja, &QEventLoop::quit);
    QObject::connect(o, &QNetworkReply::readyRead, &petlja, spremi);
    PratiNapredak(*o, petlja, https);
    if (!o->isFinished()) petlja.exec();
    const bool završen = o->isFinished();
    if (!završen) o->abort();
    spremi();
    datoteka.close();
    const Ishod ishod = [&]() -> Ishod {
        if (!greškaDatoteke.isEmpty()) return {Ishod::GreškaDatoteke, greškaDatoteke};
        if (!prevelik.isEmpty()) return {Ishod::GreškaPrijenosa, prevelik};
        // The program is closing: whatever arrived is not the whole file.
        if (!završen) return {Ishod::GreškaPrijenosa, QStringLiteral("Prijenos je prekinut prije kraja.")};
        if (o->error() == QNetworkReply::OperationCanceledError || o->error() == QNetworkReply::TimeoutError)
            return {Ishod::GreškaPrijenosa, QStringLiteral("Prijenos je prekinut: nema podataka %1 s.")
                                                .arg(QString::number(m_zastojMs / 1000.0))};
        if (o->error() != QNetworkReply::NoError) return {Ishod::GreškaPrijenosa, o->errorString()};
        if (!UspješanStatus(*o))
            return {Ishod::GreškaPrijenosa,
                    QStringLiteral("Poslužitelj je odgovorio: %1 %2")
                        .arg(o->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt())
                        .arg(o->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString())};
        // A connection closed early over plain http ends without an error.
        const QVariant najavljeno = o->header(QNetworkRequest::ContentLengthHeader);
        if (najavljeno.isValid() && najavljeno.toLongLong() != primljeno)
            return {Ishod::GreškaPrijenosa, QStringLiteral("Primljeno je %1 od najavljenih %2 bajtova.")
                                                .arg(primljeno)
                                                .arg(najavljeno.toLongLong())};
        if (primljeno == 0)
            return {Ishod::NištaPrimljeno, QStringLiteral("Ništa nije primljeno (dužina 0).")};
        if (const GreškaDatoteke g = ZamijeniTrajno(privremena, lokalniPut))
            return {Ishod::GreškaDatoteke, g.opis};
        return {Ishod::Spremljeno, QString()};
    }();
    if (ishod.vrsta != Ishod::Spremljeno)
        QFile::remove(privremena);
    else if (!https)
        Inet1_StateChanged(12);
    return ishod;
}

} // namespace morvela
