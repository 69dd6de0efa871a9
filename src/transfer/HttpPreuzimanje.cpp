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

HttpPreuzimanje::~HttpPreuzimanje() {
    // Nobody asked for it to be put in place: it goes, as a cut-short fetch would.
    if (m_čeka) {
        m_čeka->pražnjenje.wait();
        QFile::remove(m_čeka->privremena);
    }
}

bool HttpPreuzimanje::DownloadDatoteke(const QString& imeDatoteke, const QString& ciljnaDirektorija) {
    return m_k.stanje->KoristiChilkat ? DownChilkat(imeDatoteke, ciljnaDirektorija)
                                      : DownInet(imeDatoteke, ciljnaDirektorija);
}

QString HttpPreuzimanje::UrlDatoteke(const QString& imeDatoteke, bool https) const {
    const bool primarni = m_k.izvor->OdabranaLokacija() == InternetPrimarni;
    return OsnovniUrl(*m_k.postavke, https, primarni) + imeDatoteke;
}

bool HttpPreuzimanje::PreuzmiUPozadini(const QString& imeDatoteke, const QString& ciljnaDirektorija,
                                       QString& gdje) {
    m_uPozadini = true;
    const bool uspjeh = DownloadDatoteke(imeDatoteke, ciljnaDirektorija);
    m_uPozadini = false;
    gdje = ciljnaDirektorija + imeDatoteke;
    if (m_čeka && m_čeka->cilj == gdje) gdje = m_čeka->privremena;
    return uspjeh;
}

bool HttpPreuzimanje::DovršiPredaje() {
    if (!m_čeka) return true;
    NaČekanju čeka = std::move(*m_čeka);
    m_čeka.reset();
    GreškaDatoteke greška = čeka.pražnjenje.get();
    if (greška)
        QFile::remove(čeka.privremena);
    else
        greška = Zamijeni(čeka.privremena, čeka.cilj, true);
    if (!greška) return true;
    GreškaLokalneDatoteke(čeka.ime, OpisGreškeDatoteke(greška));
    return false;
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

    const QString cilj = ciljnaDirektorija + imeDatoteke, privremena = PrivremenaZa(cilj);
    // Both go through one temporary file.
    if (m_čeka && m_čeka->cilj == cilj && !DovršiPredaje()) return false;
    // What the program fetches into its own working directory is fetched anew by
    // every run before it is read, so it need not outlast a power cut: no flush.
    const bool trajno = ciljnaDirektorija != m_k.stanje->UpdateDirektorija;
    // A file flushed at once is handed to the disk as it arrives. One flushed in
    // the background is left to its flush: written out while the next file
    // arrives, its blocks would make the earlier file's flush wait for them too.
    IshodPrijenosa ishod =
        Prenesi(url, privremena, https, GranicaVeličine(imeDatoteke), trajno && !m_uPozadini);
    // Files reach their names in the order they were fetched.
    if (!DovršiPredaje()) {
        QFile::remove(privremena);
        return false;
    }
    if (ishod.vrsta == IshodPrijenosa::Spremljeno) ishod = Predaj(imeDatoteke, privremena, cilj, trajno);
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

// The body goes to a temporary file beside the target, which Predaj puts in
// place only when the whole transfer succeeded; on any failure, and for an
// empty body, the old file stays as it was and nothing new appears. Progress
// reaches the status line as each transport reported it: percentages on the
// https path, the transfer control's states on the http path.
IshodPrijenosa HttpPreuzimanje::Prenesi(const QString& url, const QString& privremena, bool https,
                                        qint64 granica, bool upisujUsput) {
    ZahtjevPrijenosa zahtjev{
        url,        privremena, granica, m_zastojMs, https ? DodatniCertifikati(*m_k.postavke) : QByteArray(),
        upisujUsput};
    zahtjev.datoteke = m_k.datoteke;
    NapredakPrijenosa napredak;
    napredak.bajtovi = [this](qint64 primljeno, qint64 ukupno) {
        m_k.status->NapredakPrijenosa(primljeno, ukupno);
    };
    if (https)
        napredak.postotak = [this](int postotak) { http_PercentDone(postotak); };
    else
        napredak.stanje = [this](int stanje) { Inet1_StateChanged(qint16(stanje)); };
    const IshodPrijenosa ishod = PrenesiCurlom(zahtjev, napredak, &m_veze);
    if (ishod.vrsta != IshodPrijenosa::Spremljeno) QFile::remove(privremena);
    return ishod;
}

// A file that must last is flushed before it takes its name; in a run of many
// fetches that flush goes on while the next file arrives.
IshodPrijenosa HttpPreuzimanje::Predaj(const QString& imeDatoteke, const QString& privremena,
                                       const QString& cilj, bool trajno) {
    if (trajno && m_uPozadini) {
        m_čeka = NaČekanju{imeDatoteke, privremena, cilj,
                           std::async(std::launch::async, IsprazniNaDisk, privremena)};
        return {IshodPrijenosa::Spremljeno, QString()};
    }
    if (const GreškaDatoteke g =
            trajno ? ZamijeniTrajno(privremena, cilj) : Zamijeni(privremena, cilj, false))
        return {IshodPrijenosa::GreškaDatoteke, OpisGreškeDatoteke(g)};
    return {IshodPrijenosa::Spremljeno, QString()};
}

} // namespace morvela
