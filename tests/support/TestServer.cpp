#include "TestServer.h"

#include <httplib.h>

#include <QFile>
#include <QUrl>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace morvela::test {

namespace {

const char* const VrstaSadržaja = "application/octet-stream";
constexpr qint64 Komad = 128 * 1024;
// How a slow transfer is cut: so many pieces, so long a pause after each; a drip's pause.
constexpr int SporihKomada = 8, PauzaMs = 120, KapanjeMs = 40;
// Every wait of the proxy is short, so that stopping never waits long for a quiet connection.
constexpr int KorakMs = 20;

void Spavaj(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool Čekaj(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, KorakMs) > 0;
}

bool PošaljiSve(int fd, QByteArrayView podaci) {
    while (!podaci.isEmpty()) {
        const ssize_t n = ::send(fd, podaci.data(), size_t(podaci.size()), MSG_NOSIGNAL);
        if (n <= 0) return false;
        podaci = podaci.sliced(n);
    }
    return true;
}

sockaddr_in Loopback(quint16 port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

int SpojiNa(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in a = Loopback(port);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0) return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

} // namespace

QString TestServer::TestniCa() {
    return QStringLiteral(MORVELA_TEST_CERT_DIR "/ca.pem");
}

TestServer::TestServer(QString direktorij, Certifikat certifikat) : m_direktorij(std::move(direktorij)) {
    const std::string cert = std::string(MORVELA_TEST_CERT_DIR "/") +
                             (certifikat == Certifikat::OdTestnogCa ? "posluzitelj" : "nepovjerljiv");
    m_server[0] = std::make_unique<httplib::Server>();
    m_server[1] =
        std::make_unique<httplib::SSLServer>((cert + ".pem").c_str(), (cert + "-kljuc.pem").c_str());
    if (!m_server[1]->is_valid()) throw std::runtime_error("test server: cannot load " + cert);
    for (const bool https : {false, true}) {
        httplib::Server& s = *m_server[https];
        // Connections are kept open between requests, as a real server keeps
        // them; a client left idle on one holds up stopping by at most a second.
        s.set_keep_alive_max_count(1000);
        s.set_keep_alive_timeout(1);
        s.set_tcp_nodelay(true);
        // Redirects lead to "/premjesteno/", which never breaks.
        for (const bool bezKvara : {false, true})
            s.Get(bezKvara ? R"(/premjesteno/(.+))" : R"(/download/Verzija21/(.+))",
                  [=, this](const httplib::Request& z, httplib::Response& o) {
                      Poslužuj(https, bezKvara, z, o);
                  });
        m_port[https] = s.bind_to_any_port("127.0.0.1");
        if (m_port[https] <= 0) throw std::runtime_error("test server: cannot bind to 127.0.0.1");
    }
    for (int i : {0, 1})
        m_nit[i] = std::thread([s = m_server[i].get()] { s->listen_after_bind(); });
    // stop() only works on a server whose accept loop is running.
    while (!m_server[0]->is_running() || !m_server[1]->is_running())
        Spavaj(1);
}

TestServer::~TestServer() {
    m_zaustavlja = true;
    for (auto& s : m_server)
        s->stop();
    for (auto& n : m_nit)
        n.join();
}

void TestServer::PostaviKvar(const QString& ime, Kvar kvar) {
    std::lock_guard l(m_mutex);
    m_kvarovi[ime] = kvar;
}

QList<Zahtjev> TestServer::Zahtjevi() const {
    std::lock_guard l(m_mutex);
    return m_zahtjevi;
}

void TestServer::Poslužuj(bool https, bool bezKvara, const httplib::Request& z, httplib::Response& o) {
    const QString ime = QString::fromStdString(z.matches[1].str());
    Kvar kvar;
    {
        std::lock_guard l(m_mutex);
        m_zahtjevi.append(
            {https, QString::fromStdString(z.get_header_value("Host")), QString::fromStdString(z.path)});
        kvar = bezKvara ? Kvar::Nema : m_kvarovi.value(ime, Kvar::Nema);
    }
    auto datoteka = std::make_shared<QFile>(m_direktorij + QLatin1Char('/') + ime);
    if (ime.contains(QLatin1Char('/')) || ime.contains(QLatin1String("..")) ||
        !datoteka->open(QIODevice::ReadOnly))
        kvar = Kvar::Status404;
    const auto preusmjeri = [&](bool naHttps, const char* host, const char* put = "/premjesteno/") {
        const QString url = QStringLiteral("%1://%2:%3%4")
                                .arg(QLatin1String(naHttps ? "https" : "http"), QLatin1String(host),
                                     QString::number(m_port[naHttps]), QLatin1String(put));
        o.set_redirect((url + QUrl::toPercentEncoding(ime)).toStdString());
    };
    // What is announced, how much of it is actually sent, and in what pieces.
    const qint64 veličina = datoteka->size();
    qint64 najava = veličina, šalje = veličina, komad = Komad;
    switch (kvar) {
    case Kvar::Status404:
    case Kvar::Status500:
        o.status = kvar == Kvar::Status404 ? 404 : 500;
        return o.set_content("Greška " + std::to_string(o.status), "text/plain");
    case Kvar::PraznoTijelo:
        return o.set_content("", VrstaSadržaja);
    case Kvar::PreusmjeriIstiHost:
        return preusmjeri(https, "127.0.0.1");
    case Kvar::PreusmjeriDrugiHost:
        return preusmjeri(https, "localhost");
    case Kvar::PreusmjeriNaHttp:
        return preusmjeri(false, "127.0.0.1");
    case Kvar::PreusmjeriUKrug:
        return preusmjeri(https, "127.0.0.1", "/download/Verzija21/");
    case Kvar::SkraćenoTijelo:
    case Kvar::Zastoj:
    case Kvar::KomadnoPrekinuto:
        šalje = veličina / 2;
        break;
    case Kvar::PogrešnaDužina:
        najava += 100;
        break;
    case Kvar::Polagano:
        komad = std::max<qint64>(1, (veličina + SporihKomada - 1) / SporihKomada);
        break;
    case Kvar::Kapanje:
        komad = 1;
        break;
    case Kvar::Nema:
    case Kvar::Komadno:
        break;
    }
    const auto šalji = [this, datoteka, šalje, komad, kvar](size_t od, size_t, httplib::DataSink& sink) {
        if (qint64(od) >= šalje) {
            while (kvar == Kvar::Zastoj && !m_zaustavlja)
                Spavaj(5);
            // Returning false drops the connection before the announced end.
            return false;
        }
        QByteArray dio(int(std::min(komad, šalje - qint64(od))), Qt::Uninitialized);
        if (!datoteka->seek(qint64(od)) || datoteka->read(dio.data(), dio.size()) != dio.size() ||
            !sink.write(dio.constData(), size_t(dio.size())))
            return false;
        const int pauza = kvar == Kvar::Polagano ? PauzaMs : kvar == Kvar::Kapanje ? KapanjeMs : 0;
        if (qint64(od) + dio.size() < šalje)
            for (int ms = 0; ms < pauza && !m_zaustavlja; ms += 5)
                Spavaj(5);
        return !m_zaustavlja.load();
    };
    if (kvar != Kvar::Komadno && kvar != Kvar::KomadnoPrekinuto)
        return o.set_content_provider(size_t(najava), VrstaSadržaja, šalji);
    // Chunked: the last (empty) chunk goes out only once the whole file did.
    o.set_chunked_content_provider(VrstaSadržaja, [=](size_t od, httplib::DataSink& sink) {
        if (qint64(od) >= veličina) {
            sink.done();
            return true;
        }
        return šalji(od, 0, sink);
    });
}

TestProxy::TestProxy(bool tražiPrijavu) : m_tražiPrijavu(tražiPrijavu) {
    m_slušatelj = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = Loopback(0);
    socklen_t duljina = sizeof a;
    if (m_slušatelj < 0 || ::bind(m_slušatelj, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(m_slušatelj, 16) != 0 ||
        ::getsockname(m_slušatelj, reinterpret_cast<sockaddr*>(&a), &duljina) != 0)
        throw std::runtime_error("test proxy: cannot listen on 127.0.0.1");
    m_port = ntohs(a.sin_port);
    m_nit = std::thread([this] {
        while (!m_zaustavlja) {
            if (!Čekaj(m_slušatelj)) continue;
            const int klijent = ::accept4(m_slušatelj, nullptr, nullptr, SOCK_CLOEXEC);
            if (klijent < 0) continue;
            std::lock_guard l(m_mutex);
            m_veze.emplace_back([this, klijent] { Posluži(klijent); });
        }
    });
}

TestProxy::~TestProxy() {
    m_zaustavlja = true;
    m_nit.join();
    for (std::thread& veza : m_veze)
        veza.join();
    ::close(m_slušatelj);
}

QStringList TestProxy::Zahtjevi() const {
    std::lock_guard l(m_mutex);
    return m_zahtjevi;
}

// One client connection: its request head, then the tunnel or the passed-on
// request, bytes copied both ways until either side closes.
void TestProxy::Posluži(int klijent) {
    QByteArray primljeno;
    char međuspremnik[16384];
    qsizetype krajGlave = -1;
    while (!m_zaustavlja && (krajGlave = primljeno.indexOf("\r\n\r\n")) < 0) {
        if (!Čekaj(klijent)) continue;
        const ssize_t n = ::recv(klijent, međuspremnik, sizeof međuspremnik, 0);
        if (n <= 0) break;
        primljeno.append(međuspremnik, n);
    }
    const QByteArray prviRed = primljeno.left(primljeno.indexOf("\r\n"));
    const QList<QByteArray> dijelovi = prviRed.split(' ');
    {
        std::lock_guard l(m_mutex);
        m_zahtjevi << QString::fromLatin1(prviRed);
    }
    const bool zahtjev = krajGlave >= 0 && dijelovi.size() == 3;
    int poslužitelj = -1;
    if (zahtjev && m_tražiPrijavu) {
        PošaljiSve(klijent, "HTTP/1.1 407 Proxy Authentication Required\r\n"
                            "Proxy-Authenticate: Basic realm=\"test\"\r\n"
                            "Content-Length: 0\r\nConnection: close\r\n\r\n");
    } else if (zahtjev && dijelovi[0] == "CONNECT") {
        poslužitelj = SpojiNa(quint16(dijelovi[1].mid(dijelovi[1].lastIndexOf(':') + 1).toUInt()));
        PošaljiSve(klijent, poslužitelj >= 0 ? "HTTP/1.1 200 Connection established\r\n\r\n"
                                             : "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n");
        primljeno.remove(0, krajGlave + 4);
    } else if (zahtjev) {
        // "GET http://host:port/path HTTP/1.1" goes on as "GET /path HTTP/1.1".
        const QUrl url(QString::fromLatin1(dijelovi[1]));
        poslužitelj = SpojiNa(quint16(url.port(80)));
        primljeno.replace(0, prviRed.size(),
                          dijelovi[0] + ' ' + url.path(QUrl::FullyEncoded).toLatin1() + ' ' + dijelovi[2]);
    }
    if (poslužitelj >= 0 && PošaljiSve(poslužitelj, primljeno)) {
        pollfd p[2] = {{klijent, POLLIN, 0}, {poslužitelj, POLLIN, 0}};
        for (bool gotovo = false; !gotovo && !m_zaustavlja;) {
            if (::poll(p, 2, KorakMs) <= 0) continue;
            for (int i : {0, 1}) {
                if (!p[i].revents) continue;
                const ssize_t n = ::recv(p[i].fd, međuspremnik, sizeof međuspremnik, 0);
                if (n <= 0 || !PošaljiSve(p[1 - i].fd, {međuspremnik, n})) gotovo = true;
            }
        }
    }
    if (poslužitelj >= 0) ::close(poslužitelj);
    ::close(klijent);
}

} // namespace morvela::test
