#pragma once
// A real HTTP and HTTPS download server on 127.0.0.1 for the transfer tests.
// It serves the files of one directory as the download servers do, under
// "/download/Verzija21/<name>", and breaks chosen transfers on purpose.
// Both listeners run on background threads; ports are picked by the system.
// And a real HTTP proxy to put in front of it.

#include <QList>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace morvela::test {

enum class Kvar {
    Nema,
    Status404,
    Status500,
    PraznoTijelo,     // 200 with an empty body
    SkraćenoTijelo,   // announces the whole file, sends half of it and closes
    PogrešnaDužina,   // announces more bytes than the file holds, sends the file and closes
    Zastoj,           // sends half of the file, then nothing until the server stops
    Polagano,         // sends the file in a few pieces with pauses between them
    Kapanje,          // sends the file one byte at a time, a byte every 40 ms
    Komadno,          // sends the whole file chunked, with no length announced
    KomadnoPrekinuto, // chunked, half of the file, then closes without the last chunk
    // Redirects (302) to the same file under another path: of the same server,
    // on "localhost" instead of "127.0.0.1", or from HTTPS to plain HTTP;
    // or to the very same address, for ever.
    PreusmjeriIstiHost,
    PreusmjeriDrugiHost,
    PreusmjeriNaHttp,
    PreusmjeriUKrug,
};

// Which certificate the HTTPS listener shows.
enum class Certifikat { OdTestnogCa, Samopotpisan };

// One request as received: host is the Host header, putanja the decoded path.
struct Zahtjev {
    bool https;
    QString host, putanja;
};

class TestServer {
public:
    explicit TestServer(QString direktorij, Certifikat certifikat = Certifikat::OdTestnogCa);
    ~TestServer();

    // "127.0.0.1:<port>", as the server keys of the settings take it.
    QString HttpHost() const { return QStringLiteral("127.0.0.1:%1").arg(m_port[0]); }
    QString HttpsHost() const { return QStringLiteral("127.0.0.1:%1").arg(m_port[1]); }
    // A fault for every later request of one file name.
    void PostaviKvar(const QString& ime, Kvar kvar);
    QList<Zahtjev> Zahtjevi() const;
    // The certificate of the test CA, as a PEM file.
    static QString TestniCa();

private:
    void Poslužuj(bool https, bool bezKvara, const httplib::Request& zahtjev, httplib::Response& odgovor);

    QString m_direktorij;
    // Index 0 is the plain HTTP listener, 1 the HTTPS one.
    std::unique_ptr<httplib::Server> m_server[2];
    int m_port[2] = {};
    std::thread m_nit[2];
    std::atomic<bool> m_zaustavlja{false};
    mutable std::mutex m_mutex;
    QMap<QString, Kvar> m_kvarovi;
    QList<Zahtjev> m_zahtjevi;
};

// Debian's tinyproxy on 127.0.0.1, a real HTTP proxy: plain requests with an
// absolute URL are passed on, CONNECT opens a tunnel (for https). It can ask every
// client for credentials instead (407). Its log tells what it was asked.
class TestProxy {
public:
    explicit TestProxy(bool tražiPrijavu = false);
    ~TestProxy();
    TestProxy(const TestProxy&) = delete;
    TestProxy& operator=(const TestProxy&) = delete;

    // "http://127.0.0.1:<port>", as http_proxy and https_proxy take it.
    QString Adresa() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }
    // The request line of every request, e.g. "CONNECT 127.0.0.1:4433 HTTP/1.1".
    QStringList Zahtjevi() const;

private:
    QTemporaryDir m_dir;
    QProcess m_proces;
    quint16 m_port = 0;
};

} // namespace morvela::test
