#pragma once
// A real HTTP and HTTPS download server on 127.0.0.1 for the transfer tests.
// It serves the files of one directory as the download servers do, under
// "/download/Verzija21/<name>", and breaks chosen transfers on purpose.
// Both listeners run on background threads; ports are picked by the system.

#include <QList>
#include <QMap>
#include <QString>

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
    // 200 with an empty body.
    PraznoTijelo,
    // Announces the whole file, sends half of it and closes the connection.
    SkraćenoTijelo,
    // Announces more bytes than the file holds, sends the file and closes.
    PogrešnaDužina,
    // Sends half of the file, then nothing until the server stops.
    Zastoj,
    // Sends the file in small pieces with pauses between them.
    Polagano,
    // 302 to the same file under another path of the same server.
    PreusmjeriIstiHost,
    // 302 to the same file on "localhost" instead of "127.0.0.1".
    PreusmjeriDrugiHost,
    // 302 from the HTTPS listener to the plain HTTP one.
    PreusmjeriNaHttp,
};

// Which certificate the HTTPS listener shows.
enum class Certifikat { OdTestnogCa, Samopotpisan };

struct Zahtjev {
    bool https = false;
    QString host;    // the Host header as sent
    QString putanja; // the decoded path
};

class TestServer {
public:
    explicit TestServer(QString direktorij, Certifikat certifikat = Certifikat::OdTestnogCa);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    // "127.0.0.1:<port>", as the server keys of the settings take it.
    QString HttpHost() const;
    QString HttpsHost() const;
    int HttpPort() const { return m_httpPort; }
    int HttpsPort() const { return m_httpsPort; }

    // A fault for one file name; it wins over the fault for all files.
    void PostaviKvar(const QString& ime, Kvar kvar);
    void PostaviKvarZaSve(Kvar kvar);
    // How the slow trickle is cut: so many pieces, so long a pause after each.
    void PostaviPolaganje(int dijelova, int pauzaMs);

    QList<Zahtjev> Zahtjevi() const;

    // The certificate of the test CA and the self-signed one, as PEM files.
    static QString TestniCa();
    static QString SamopotpisaniCertifikat();
    // The directory of the committed certificates and keys.
    static QString DirektorijCertifikata();

private:
    int Pokreni(httplib::Server& server, bool https, std::thread& nit);
    void Poslužuj(bool https, bool bezKvara, const httplib::Request& zahtjev, httplib::Response& odgovor);
    QString Adresa(bool https, const QString& host, int port, const QString& ime) const;

    QString m_direktorij;
    int m_httpPort = 0;
    int m_httpsPort = 0;
    std::unique_ptr<httplib::Server> m_http;
    std::unique_ptr<httplib::Server> m_https;
    std::thread m_httpNit, m_httpsNit;
    std::atomic<bool> m_zaustavlja{false};
    std::atomic<int> m_pokrenutih{0};

    mutable std::mutex m_mutex;
    QMap<QString, Kvar> m_kvarovi;
    Kvar m_kvarZaSve = Kvar::Nema;
    int m_dijelova = 8;
    int m_pauzaMs = 120;
    QList<Zahtjev> m_zahtjevi;
};

} // namespace morvela::test
