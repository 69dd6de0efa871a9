#include "transfer/CurlPrijenos.h"

#include "platform/Datoteke.h"
#include "platform/Korijeni.h"
#include "platform/Proxy.h"
#include "platform/Sat.h"
#include "platform/UpisNaDisk.h"

#include <curl/curl.h>

#include <QFile>
#include <QUrl>

#include <cerrno>
#include <chrono>
#include <initializer_list>
#include <thread>

namespace morvela {

namespace {

using Sat = std::chrono::steady_clock;

constexpr int NajvišePreusmjerenja = 10;
// curl's largest receive buffer: fewer, larger writes to the file.
constexpr long Međuspremnik = 512 * 1024;
// The file is handed to the disk in steps of this size while it arrives, so
// the flush before it is put in place does not wait for all of it.
constexpr qint64 KorakUpisa = 2 * 1024 * 1024;
// How long the look at an untrusted server's certificate may take.
constexpr int ProvjeraCertifikataMs = 5000;
// WSAECONNREFUSED: Windows reports a refused connection in its own numbering.
constexpr long WsaVezaOdbijena = 10061;

void PokreniCurl() {
    static const CURLcode početak = curl_global_init(CURL_GLOBAL_DEFAULT);
    (void)početak;
}

bool IstoPodrijetlo(const QUrl& a, const QUrl& b) {
    return a.scheme() == b.scheme() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           a.port(a.scheme() == QLatin1String("https") ? 443 : 80) ==
               b.port(b.scheme() == QLatin1String("https") ? 443 : 80);
}

QString Opis(const QString& klasa, const QString& pojedinosti) {
    return pojedinosti.isEmpty() ? klasa : klasa + QStringLiteral(": ") + pojedinosti;
}

// Seconds as the reasons give them: "60", "0.5".
QString Sekunde(qint64 ms) {
    return QString::number(double(ms) / 1000.0);
}

// The subject of the certificate a server shows, so that the person can tell
// whose certificate was refused. A refused handshake leaves curl nothing to
// report, so the server is asked once more, along the transfer's own route
// (the same proxy), only for the handshake, trusting nothing and sending nothing.
QString PredmetCertifikata(const QByteArray& url, const QByteArray& proxy) {
    CURL* curl = curl_easy_init();
    if (!curl) return QString();
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
    if (!proxy.isEmpty()) curl_easy_setopt(curl, CURLOPT_PROXY, proxy.constData());
    curl_easy_setopt(curl, CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl, CURLOPT_CERTINFO, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, long(ProvjeraCertifikataMs));
    QString predmet;
    curl_certinfo* lanac = nullptr;
    if (curl_easy_perform(curl) == CURLE_OK &&
        curl_easy_getinfo(curl, CURLINFO_CERTINFO, &lanac) == CURLE_OK && lanac && lanac->num_of_certs > 0)
        for (const curl_slist* red = lanac->certinfo[0]; red; red = red->next) {
            const QByteArray tekst(red->data);
            // OpenSSL writes "CN = a, O = b", Schannel's parser "CN=a, O=b".
            if (tekst.startsWith("Subject:"))
                predmet = QString::fromUtf8(tekst.mid(8))
                              .trimmed()
                              .replace(QStringLiteral(" = "), QStringLiteral("="));
        }
    curl_easy_cleanup(curl);
    return predmet;
}

// What one transfer keeps between curl's callbacks, on the worker thread.
struct Rad {
    Rad(const ZahtjevPrijenosa& z, const NapredakPrijenosa& n, QObject& primatelj, VezePrijenosa* veze)
        : z(z), napredak(n), primatelj(primatelj), veze(veze) {}

    const ZahtjevPrijenosa& z;
    const NapredakPrijenosa& napredak;
    // Lives on the waiting thread; the reports are delivered there.
    QObject& primatelj;
    VezePrijenosa* veze;
    CURL* curl = nullptr;
    char greška[CURL_ERROR_SIZE] = {};
    std::unique_ptr<QFile> datoteka;
    qint64 primljeno = 0, najava = -1, predanoDisku = 0;
    long status = 0;
    QString razlog, prevelik, odbijenoPreusmjerenje;
    QByteArray proxy;
    bool odgovor = false, spojeno = false, preusmjeravaUKrug = false;
    // Which of the time limits ended the transfer.
    enum Rok { Nijedan, Zastoj, Presporo, Predugo, NaZahtjev } prekoračen = Nijedan;
    qint64 prevelikBajtova = -1;
    GreškaDatoteke greškaDatoteke;
    curl_off_t zadnjePrimljeno = -1, primljenoNaPočetkuProzora = 0;
    Sat::time_point početak, zadnjaPromjena, početakProzora;
    int zadnjiPostotak = -1;
    Sat::time_point zadnjiBajtovi;
    IshodPrijenosa ishod;

    bool Uspješan() const { return status >= 200 && status < 300; }

    void Javi(std::function<void()> f) {
        QMetaObject::invokeMethod(&primatelj, std::move(f), Qt::QueuedConnection);
    }
    void Stanja(std::initializer_list<int> stanja) {
        if (!napredak.stanje) return;
        for (int s : stanja)
            Javi([f = napredak.stanje, s] { f(s); });
    }
    void Prevelik(qint64 bajtova, const char* kako) {
        prevelik = QStringLiteral("Datoteka je veća od dopuštene: %1 %2 bajtova, a smije imati najviše %3.")
                       .arg(QLatin1String(kako))
                       .arg(bajtova)
                       .arg(z.granica);
        prevelikBajtova = bajtova;
    }
    void ZapamtiGreškuDatoteke(int kod) {
        greškaDatoteke = kod ? GreškaIzSustava(kod, z.datoteka) : GreškaDatoteke{GreškaPristupa, QString()};
        greškaDatoteke.opis = datoteka->errorString();
    }

    static size_t Zaglavlje(char* p, size_t, size_t n, void* korisnik) {
        Rad& r = *static_cast<Rad*>(korisnik);
        const QByteArray red = QByteArray(p, qsizetype(n)).trimmed();
        if (red.startsWith("HTTP/")) {
            // A new response begins: after a redirect, or the only one.
            const qsizetype a = red.indexOf(' '), b = red.indexOf(' ', a + 1);
            r.status = red.mid(a + 1, b < 0 ? -1 : b - a - 1).toLong();
            r.razlog = b < 0 ? QString() : QString::fromLatin1(red.mid(b + 1));
            r.najava = -1;
            if (!r.odgovor) r.Stanja({7});
            r.odgovor = true;
        } else if (red.isEmpty() && r.Uspješan()) {
            curl_off_t dužina = -1;
            curl_easy_getinfo(r.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &dužina);
            r.najava = dužina;
            if (dužina > r.z.granica) {
                r.Prevelik(dužina, "najavljeno je");
                return 0;
            }
        }
        return n;
    }

    static size_t Tijelo(char* p, size_t, size_t n, void* korisnik) {
        Rad& r = *static_cast<Rad*>(korisnik);
        // Error pages and redirects carry bodies too; they are not the file.
        if (!r.Uspješan()) return n;
        if (r.primljeno + qint64(n) > r.z.granica) {
            r.Prevelik(r.primljeno + qint64(n), "primljeno je");
            return 0;
        }
        if (!r.datoteka) {
            r.greškaDatoteke = r.z.datoteke->NovaDatoteka(r.z.datoteka, r.datoteka);
            if (r.greškaDatoteke) return 0;
            r.Stanja({8});
        }
        errno = 0;
        if (r.datoteka->write(p, qint64(n)) != qint64(n)) {
            r.ZapamtiGreškuDatoteke(errno);
            return 0;
        }
        r.primljeno += qint64(n);
        if (r.z.provjera) r.z.provjera->Dodaj(p, qint64(n));
        if (r.z.upisujUsput && r.primljeno - r.predanoDisku >= KorakUpisa) {
            PočniUpisNaDisk(*r.datoteka, r.predanoDisku, r.primljeno - r.predanoDisku);
            r.predanoDisku = r.primljeno;
        }
        return n;
    }

    // Silence, a speed below the floor over a whole window, or the whole fetch
    // taking longer than its size allows, end the transfer.
    Rok PrekoračenRok(curl_off_t primljeno, Sat::time_point sada) {
        using std::chrono::milliseconds;
        const RokoviPrijenosa& rokovi = z.rokovi;
        if (primljeno != zadnjePrimljeno) {
            zadnjePrimljeno = primljeno;
            zadnjaPromjena = sada;
        } else if (sada - zadnjaPromjena > milliseconds(rokovi.zastojMs)) {
            return Zastoj;
        }
        if (sada - početak > milliseconds(rokovi.UkupnoMs(z.granica))) return Predugo;
        if (sada - početakProzora >= milliseconds(rokovi.prozorBrzineMs)) {
            if ((primljeno - primljenoNaPočetkuProzora) * 1000 <
                rokovi.najmanjaBrzina * rokovi.prozorBrzineMs)
                return Presporo;
            početakProzora = sada;
            primljenoNaPočetkuProzora = primljeno;
        }
        return Nijedan;
    }

    static int Napredak(void* korisnik, curl_off_t ukupno, curl_off_t primljeno, curl_off_t, curl_off_t) {
        Rad& r = *static_cast<Rad*>(korisnik);
        const Sat::time_point sada = Sat::now();
        r.prekoračen = r.z.prekid && r.z.prekid->load() ? NaZahtjev : r.PrekoračenRok(primljeno, sada);
        if (r.prekoračen != Nijedan) return 1;
        if (ukupno > 0 && r.Uspješan() && r.napredak.postotak) {
            const int postotak = int(primljeno * 100 / ukupno);
            if (postotak != r.zadnjiPostotak) {
                r.zadnjiPostotak = postotak;
                r.Javi([f = r.napredak.postotak, postotak] { f(postotak); });
            }
        }
        if (r.napredak.bajtovi && r.Uspješan() && sada - r.zadnjiBajtovi >= std::chrono::milliseconds(100)) {
            r.zadnjiBajtovi = sada;
            r.Javi([f = r.napredak.bajtovi, primljeno = qint64(primljeno), ukupno = qint64(ukupno)] {
                f(primljeno, ukupno);
            });
        }
        return 0;
    }

    static int Utičnica(void* korisnik, curl_socket_t, curlsocktype) {
        Rad& r = *static_cast<Rad*>(korisnik);
        r.spojeno = true;
        r.Stanja({2, 3});
        return CURL_SOCKOPT_OK;
    }

    static int PrijeZahtjeva(void* korisnik, char*, char*, int, int) {
        Rad& r = *static_cast<Rad*>(korisnik);
        // A connection kept from the last transfer shows the same steps as a new one.
        if (!r.spojeno) r.Stanja({2, 3});
        r.spojeno = true;
        r.Stanja({4, 5, 6});
        return CURL_PREREQFUNC_OK;
    }

    void Postavi() {
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, greška);
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        // HTTP/1.1 as the servers speak it; the body as stored (no compression asked for).
        curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
        curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, Međuspremnik);
        curl_easy_setopt(curl, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
        curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &Rad::Zaglavlje);
        curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Rad::Tijelo);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Rad::Napredak);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(curl, CURLOPT_SOCKOPTFUNCTION, &Rad::Utičnica);
        curl_easy_setopt(curl, CURLOPT_SOCKOPTDATA, this);
        curl_easy_setopt(curl, CURLOPT_PREREQFUNCTION, &Rad::PrijeZahtjeva);
        curl_easy_setopt(curl, CURLOPT_PREREQDATA, this);
    }

    // Trusted roots. Where the system keeps them in a directory, OpenSSL reads
    // only the few a connection needs from it, instead of parsing the whole
    // bundle file for every transfer. The extra certificates come on top; a
    // bundle file would be replaced by them, so it goes into the blob too, and
    // so does the Windows store, which they would replace alike.
    void PostaviCertifikate(QByteArray& blob) {
        char* direktorij = nullptr;
        curl_easy_getinfo(curl, CURLINFO_CAPATH, &direktorij);
        if (direktorij) {
            curl_easy_setopt(curl, CURLOPT_CAINFO, nullptr);
            blob = z.dodatniCertifikati;
        } else if (!z.dodatniCertifikati.isEmpty()) {
            char* sistemski = nullptr;
            curl_easy_getinfo(curl, CURLINFO_CAINFO, &sistemski);
            QFile svi(QFile::decodeName(sistemski));
            blob = sistemski && svi.open(QIODevice::ReadOnly) ? svi.readAll() + '\n' : KorijeniSustava();
            blob += z.dodatniCertifikati;
        }
        if (blob.isEmpty()) return;
        curl_blob b{blob.data(), size_t(blob.size()), CURL_BLOB_NOCOPY};
        curl_easy_setopt(curl, CURLOPT_CAINFO_BLOB, &b);
    }

    void Izvrši() {
        if (veze && veze->ručka) {
            curl = static_cast<CURL*>(veze->ručka);
            curl_easy_reset(curl); // options go; open connections and TLS sessions stay
        } else {
            curl = curl_easy_init();
            if (veze) veze->ručka = curl;
        }
        if (!curl) {
            const QString opis = QStringLiteral("Greška u prijenosu: curl se ne može pokrenuti.");
            ishod = {IshodPrijenosa::GreškaPrijenosa, opis, opis};
            return;
        }
        Postavi();
        QByteArray certifikati; // curl keeps a pointer to these bytes
        PostaviCertifikate(certifikati);
        // Tolerant parsing encodes blanks and non-ASCII letters of the name, nothing else.
        QUrl url(z.url);
        // Redirects stay at the same origin, so one answer serves them all.
        proxy = SistemskiProxy(url.toString()).toUtf8();
        if (!proxy.isEmpty()) curl_easy_setopt(curl, CURLOPT_PROXY, proxy.constData());
        Stanja({1});
        CURLcode rezultat = CURLE_OK;
        početak = Sat::now();
        for (int skok = 0;; ++skok) {
            const QByteArray kodirano = url.toEncoded();
            curl_easy_setopt(curl, CURLOPT_URL, kodirano.constData());
            status = 0;
            greška[0] = '\0';
            zadnjePrimljeno = -1;
            primljenoNaPočetkuProzora = 0;
            zadnjaPromjena = početakProzora = Sat::now();
            rezultat = curl_easy_perform(curl);
            if (rezultat != CURLE_OK || status < 300 || status >= 400) break;
            char* novi = nullptr;
            curl_easy_getinfo(curl, CURLINFO_REDIRECT_URL, &novi);
            if (!novi) break;
            const QUrl cilj = QUrl::fromEncoded(novi);
            // Never to another host, port or scheme, so never from https down to http.
            if (!IstoPodrijetlo(url, cilj) || skok >= NajvišePreusmjerenja) {
                odbijenoPreusmjerenje = cilj.toString();
                preusmjeravaUKrug = IstoPodrijetlo(url, cilj);
                break;
            }
            url = cilj;
        }
        datoteka.reset(); // closed on the thread that wrote it
        ishod = Ocijeni(rezultat, url);
        // The last bytes may have come within the 100 ms the reports are spaced by: a
        // whole file says so once more, so its last line shows all of it.
        if (ishod.vrsta == IshodPrijenosa::Spremljeno && napredak.bajtovi)
            Javi([f = napredak.bajtovi, primljeno = primljeno] { f(primljeno, primljeno); });
        Stanja({ishod.vrsta == IshodPrijenosa::Spremljeno ? 12 : 11});
        if (!veze) curl_easy_cleanup(curl);
    }

    IshodPrijenosa Ocijeni(CURLcode rezultat, const QUrl& url) const {
        const QString curlTekst = QString::fromUtf8(greška[0] ? greška : curl_easy_strerror(rezultat));
        // The class is for the person, the details after it for the log.
        const auto neuspjeh = [](const QString& klasa, const QString& pojedinosti = QString()) {
            return IshodPrijenosa{IshodPrijenosa::GreškaPrijenosa, Opis(klasa, pojedinosti), klasa};
        };
        if (greškaDatoteke) {
            const QString opis = OpisGreškeDatoteke(greškaDatoteke);
            return {IshodPrijenosa::GreškaDatoteke, opis, opis};
        }
        if (!prevelik.isEmpty()) return {IshodPrijenosa::PrekoGranice, prevelik, prevelik, prevelikBajtova};
        const RokoviPrijenosa& rokovi = z.rokovi;
        switch (prekoračen) {
        case Nijedan:
            break;
        case NaZahtjev:
            return {IshodPrijenosa::Prekinuto, TekstPrekidaKorisnika, TekstPrekidaKorisnika};
        case Zastoj:
            return neuspjeh(
                QStringLiteral("Nema podataka %1 s: prijenos je prekinut.").arg(Sekunde(rokovi.zastojMs)));
        case Presporo:
            return neuspjeh(QStringLiteral("Manje od %1 KB/s kroz %2 s: prijenos je prekinut.")
                                .arg(QString::number(double(rokovi.najmanjaBrzina) / 1024.0),
                                     Sekunde(rokovi.prozorBrzineMs)));
        case Predugo: {
            // Whole minutes, rounded up, once there are any.
            const qint64 ms = rokovi.UkupnoMs(z.granica);
            return neuspjeh(QStringLiteral("Prijenos traje dulje od %1: prijenos je prekinut.")
                                .arg(ms < 60000
                                         ? Sekunde(ms) + QStringLiteral(" s")
                                         : QString::number((ms + 59999) / 60000) + QStringLiteral(" min")));
        }
        }
        if (preusmjeravaUKrug)
            return neuspjeh(
                QStringLiteral("Poslužitelj stalno preusmjerava (%1 puta zaredom)").arg(NajvišePreusmjerenja),
                odbijenoPreusmjerenje);
        if (!odbijenoPreusmjerenje.isEmpty())
            return neuspjeh(QStringLiteral("Preusmjerenje na drugi poslužitelj je odbijeno"),
                            odbijenoPreusmjerenje);
        long proxyStatus = 0;
        curl_easy_getinfo(curl, CURLINFO_HTTP_CONNECTCODE, &proxyStatus);
        if (proxyStatus == 407 || status == 407)
            return neuspjeh(QStringLiteral("Proxy traži prijavu (407)"), rezultat ? curlTekst : razlog);
        if (proxyStatus >= 300)
            return neuspjeh(QStringLiteral("Proxy je odbio vezu statusom %1").arg(proxyStatus), curlTekst);
        switch (rezultat) {
        case CURLE_OK:
            break;
        case CURLE_COULDNT_RESOLVE_HOST:
            return neuspjeh(QStringLiteral("Poslužitelj nije pronađen"), curlTekst);
        case CURLE_COULDNT_RESOLVE_PROXY:
            return neuspjeh(QStringLiteral("Proxy nije pronađen"), curlTekst);
        case CURLE_COULDNT_CONNECT: {
            long kod = 0;
            curl_easy_getinfo(curl, CURLINFO_OS_ERRNO, &kod);
            return neuspjeh(kod == ECONNREFUSED || kod == WsaVezaOdbijena
                                ? QStringLiteral("Poslužitelj je odbio vezu")
                                : QStringLiteral("Veza s poslužiteljem nije uspostavljena"),
                            curlTekst);
        }
        case CURLE_PEER_FAILED_VERIFICATION: {
            const QString predmet = PredmetCertifikata(url.toEncoded(), proxy);
            return neuspjeh(QStringLiteral("Certifikat poslužitelja nije pouzdan") +
                                (predmet.isEmpty() ? QString() : QStringLiteral(" (") + predmet + ')'),
                            curlTekst);
        }
        case CURLE_PARTIAL_FILE:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING:
            return neuspjeh(QStringLiteral("Prijenos je prekinut prije kraja"), curlTekst);
        default:
            return neuspjeh(QStringLiteral("Greška u prijenosu"), curlTekst);
        }
        if (!Uspješan())
            return neuspjeh(QStringLiteral("Poslužitelj je odgovorio statusom %1").arg(status), razlog);
        if (najava >= 0 && najava != primljeno)
            return neuspjeh(
                QStringLiteral("Prijenos je prekinut prije kraja"),
                QStringLiteral("primljeno je %1 od najavljenih %2 bajtova.").arg(primljeno).arg(najava));
        if (primljeno == 0) {
            const QString opis = QStringLiteral("Ništa nije primljeno (dužina 0).");
            return {IshodPrijenosa::NištaPrimljeno, opis, opis};
        }
        return {IshodPrijenosa::Spremljeno, {}, {}};
    }
};

} // namespace

QString OpisGreškeDatoteke(const GreškaDatoteke& greška) {
    const QString klasa = greška.broj == GreškaDiskPun   ? QStringLiteral(", disk je pun")
                          : greška.broj == GreškaDozvola ? QStringLiteral(", nema dozvole")
                                                         : QString();
    return Opis(QStringLiteral("Lokalna datoteka se ne može zapisati") + klasa, greška.opis);
}

VezePrijenosa::~VezePrijenosa() {
    if (ručka) curl_easy_cleanup(static_cast<CURL*>(ručka));
}

IshodPrijenosa PrenesiCurlom(const ZahtjevPrijenosa& zahtjev, const NapredakPrijenosa& napredak,
                             VezePrijenosa* veze) {
    PokreniCurl();
    QObject primatelj;
    bool gotovo = false;
    Rad rad(zahtjev, napredak, primatelj, veze);
    std::thread nit([&] {
        rad.Izvrši();
        QMetaObject::invokeMethod(
            &primatelj, [&gotovo] { gotovo = true; }, Qt::QueuedConnection);
    });
    // The window goes on meanwhile; the worker's reports arrive here in order,
    // the last of them being the end. Nothing but that end stops the wait.
    ObrađujDogađajeDok([&gotovo] { return gotovo; });
    nit.join();
    return rad.ishod;
}

} // namespace morvela
