#include "TestServer.h"

#include <httplib.h>

#include <QFile>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <stdexcept>

#ifndef MORVELA_TEST_CERT_DIR
#error "MORVELA_TEST_CERT_DIR must name the directory of the test certificates"
#endif

namespace morvela::test {

namespace {

const char* const VrstaSadržaja = "application/octet-stream";
constexpr qint64 Komad = 128 * 1024;

void Spavaj(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

QString TestServer::DirektorijCertifikata() {
    return QStringLiteral(MORVELA_TEST_CERT_DIR);
}
QString TestServer::TestniCa() {
    return DirektorijCertifikata() + QStringLiteral("/ca.pem");
}
QString TestServer::SamopotpisaniCertifikat() {
    return DirektorijCertifikata() + QStringLiteral("/nepovjerljiv.pem");
}

TestServer::TestServer(QString direktorij, Certifikat certifikat) : m_direktorij(std::move(direktorij)) {
    const QString ime = certifikat == Certifikat::OdTestnogCa ? QStringLiteral("posluzitelj")
                                                              : QStringLiteral("nepovjerljiv");
    const QByteArray cert = (DirektorijCertifikata() + "/" + ime + ".pem").toLocal8Bit();
    const QByteArray ključ = (DirektorijCertifikata() + "/" + ime + "-kljuc.pem").toLocal8Bit();
    m_http = std::make_unique<httplib::Server>();
    m_https = std::make_unique<httplib::SSLServer>(cert.constData(), ključ.constData());
    if (!m_https->is_valid()) throw std::runtime_error("test server: cannot load " + cert.toStdString());
    m_httpPort = Pokreni(*m_http, false, m_httpNit);
    m_httpsPort = Pokreni(*m_https, true, m_httpsNit);
    // stop() only works on a server whose accept loop is running.
    while (m_pokrenutih.load() < 2 || !m_http->is_running() || !m_https->is_running())
        Spavaj(1);
}

int TestServer::Pokreni(httplib::Server& server, bool https, std::thread& nit) {
    // One request per connection: a client left idle on a kept-alive
    // connection would otherwise hold up stopping by several seconds.
    server.set_keep_alive_max_count(1);
    server.Get(R"(/download/Verzija21/(.+))", [this, https](const httplib::Request& z, httplib::Response& o) {
        Poslužuj(https, false, z, o);
    });
    server.Get(R"(/premjesteno/(.+))", [this, https](const httplib::Request& z, httplib::Response& o) {
        Poslužuj(https, true, z, o);
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    if (port <= 0) throw std::runtime_error("test server: cannot bind to 127.0.0.1");
    nit = std::thread([this, &server] {
        ++m_pokrenutih;
        server.listen_after_bind();
    });
    return port;
}

TestServer::~TestServer() {
    m_zaustavlja = true;
    m_http->stop();
    m_https->stop();
    m_httpNit.join();
    m_httpsNit.join();
}

QString TestServer::HttpHost() const {
    return QStringLiteral("127.0.0.1:%1").arg(m_httpPort);
}
QString TestServer::HttpsHost() const {
    return QStringLiteral("127.0.0.1:%1").arg(m_httpsPort);
}

void TestServer::PostaviKvar(const QString& ime, Kvar kvar) {
    std::lock_guard l(m_mutex);
    m_kvarovi[ime] = kvar;
}

void TestServer::PostaviKvarZaSve(Kvar kvar) {
    std::lock_guard l(m_mutex);
    m_kvarZaSve = kvar;
}

void TestServer::PostaviPolaganje(int dijelova, int pauzaMs) {
    std::lock_guard l(m_mutex);
    m_dijelova = std::max(1, dijelova);
    m_pauzaMs = pauzaMs;
}

QList<Zahtjev> TestServer::Zahtjevi() const {
    std::lock_guard l(m_mutex);
    return m_zahtjevi;
}

QString TestServer::Adresa(bool https, const QString& host, int port, const QString& ime) const {
    return QStringLiteral("%1://%2:%3/premjesteno/")
               .arg(https ? QStringLiteral("https") : QStringLiteral("http"), host)
               .arg(port) +
           QString::fromLatin1(QUrl::toPercentEncoding(ime));
}

void TestServer::Poslužuj(bool https, bool bezKvara, const httplib::Request& z, httplib::Response& o) {
    const QString ime = QString::fromStdString(z.matches[1].str());
    Kvar kvar;
    int dijelova, pauzaMs;
    {
        std::lock_guard l(m_mutex);
        m_zahtjevi.append(
            {https, QString::fromStdString(z.get_header_value("Host")), QString::fromStdString(z.path)});
        kvar = bezKvara ? Kvar::Nema : m_kvarovi.value(ime, m_kvarZaSve);
        dijelova = m_dijelova;
        pauzaMs = m_pauzaMs;
    }
    const int port = https ? m_httpsPort : m_httpPort;
    switch (kvar) {
    case Kvar::Status404:
        o.status = 404;
        o.set_content("Nije pronađeno", "text/plain");
        return;
    case Kvar::Status500:
        o.status = 500;
        o.set_content("Greška poslužitelja", "text/plain");
        return;
    case Kvar::PreusmjeriIstiHost:
        o.set_redirect(Adresa(https, QStringLiteral("127.0.0.1"), port, ime).toStdString());
        return;
    case Kvar::PreusmjeriDrugiHost:
        o.set_redirect(Adresa(https, QStringLiteral("localhost"), port, ime).toStdString());
        return;
    case Kvar::PreusmjeriNaHttp:
        o.set_redirect(Adresa(false, QStringLiteral("127.0.0.1"), m_httpPort, ime).toStdString());
        return;
    default:
        break;
    }

    auto datoteka = std::make_shared<QFile>(m_direktorij + QLatin1Char('/') + ime);
    if (ime.contains(QLatin1Char('/')) || ime.contains(QLatin1String("..")) ||
        !datoteka->open(QIODevice::ReadOnly)) {
        o.status = 404;
        o.set_content("Nema datoteke", "text/plain");
        return;
    }
    const qint64 veličina = datoteka->size();
    if (kvar == Kvar::PraznoTijelo) {
        o.set_content("", VrstaSadržaja);
        return;
    }
    // What is announced, and how much of it is actually sent.
    const qint64 najava = kvar == Kvar::PogrešnaDužina ? veličina + 100 : veličina;
    const qint64 šalje = kvar == Kvar::SkraćenoTijelo || kvar == Kvar::Zastoj ? veličina / 2 : veličina;
    const qint64 komad =
        kvar == Kvar::Polagano ? std::max<qint64>(1, (veličina + dijelova - 1) / dijelova) : Komad;

    o.set_content_provider(
        size_t(najava), VrstaSadržaja,
        [this, datoteka, šalje, komad, kvar, pauzaMs](size_t od, size_t, httplib::DataSink& sink) {
            if (qint64(od) >= šalje) {
                if (kvar == Kvar::Zastoj)
                    while (!m_zaustavlja)
                        Spavaj(5);
                // Returning false drops the connection before the announced end.
                return false;
            }
            QByteArray dio(int(std::min(komad, šalje - qint64(od))), Qt::Uninitialized);
            if (!datoteka->seek(qint64(od)) || datoteka->read(dio.data(), dio.size()) != dio.size())
                return false;
            if (!sink.write(dio.constData(), size_t(dio.size()))) return false;
            if (kvar == Kvar::Polagano && qint64(od) + dio.size() < šalje) {
                for (int ms = 0; ms < pauzaMs && !m_zaustavlja; ms += 5)
                    Spavaj(5);
            }
            return !m_zaustavlja.load();
        });
}

} // namespace morvela::test
