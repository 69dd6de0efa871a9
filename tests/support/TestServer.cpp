#include "TestServer.h"

#include <httplib.h>

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace morvela::test {

namespace {

const char* const VrstaSadržaja = "application/octet-stream";
constexpr qint64 Komad = 128 * 1024;
// How a slow transfer is cut: so many pieces, so long a pause after each; a drip's pause.
constexpr int SporihKomada = 8, PauzaMs = 120, KapanjeMs = 40;

void Spavaj(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
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

TestProxy::TestProxy(bool tražiPrijavu) {
    // A port nobody holds now; tinyproxy wants it named in its configuration.
    QTcpServer slobodan;
    if (!slobodan.listen(QHostAddress::LocalHost)) throw std::runtime_error("test proxy: no free port");
    m_port = slobodan.serverPort();
    slobodan.close();
    QFile konfiguracija(m_dir.filePath("tinyproxy.conf"));
    if (!konfiguracija.open(QIODevice::WriteOnly)) throw std::runtime_error("test proxy: no configuration");
    konfiguracija.write(QStringLiteral("Port %1\nListen 127.0.0.1\nTimeout 10\nLogLevel Connect\n"
                                       "LogFile \"%2\"\n%3")
                            .arg(m_port)
                            .arg(m_dir.filePath("log"), tražiPrijavu ? "BasicAuth korisnik lozinka\n" : "")
                            .toUtf8());
    konfiguracija.close();
    m_proces.setProcessChannelMode(QProcess::ForwardedChannels);
    m_proces.start("tinyproxy", {"-d", "-c", konfiguracija.fileName()});
    for (int i = 0; i < 500; ++i) {
        QTcpSocket proba;
        proba.connectToHost(QHostAddress::LocalHost, m_port);
        if (proba.waitForConnected(100)) return;
        if (m_proces.state() == QProcess::NotRunning) break;
        Spavaj(10);
    }
    throw std::runtime_error("test proxy: tinyproxy did not start");
}

TestProxy::~TestProxy() {
    m_proces.terminate();
    m_proces.waitForFinished(5000);
}

QStringList TestProxy::Zahtjevi() const {
    QFile log(m_dir.filePath("log"));
    QStringList zahtjevi;
    if (!log.open(QIODevice::ReadOnly)) return zahtjevi;
    // "CONNECT   Dec 06 22:28:34.973 [25338]: Request (file descriptor 5): CONNECT 127.0.0.1:18000 HTTP/1.1"
    for (const QByteArray& red : log.readAll().split('\n'))
        if (const qsizetype i = red.indexOf("]: Request (file descriptor "); i >= 0)
            zahtjevi << QString::fromLatin1(red.mid(red.indexOf("): ", i) + 3));
    return zahtjevi;
}

} // namespace morvela::test
