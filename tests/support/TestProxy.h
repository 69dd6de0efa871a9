#pragma once
// A small HTTP proxy on 127.0.0.1 for the transfer tests: plain requests with
// an absolute URL are passed on, CONNECT opens a tunnel (for https). It can
// ask every client for credentials instead (407). Records what it was asked.

#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace morvela::test {

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
    void Prihvaćaj();
    void Posluži(int klijent);

    const bool m_tražiPrijavu;
    int m_slušatelj = -1;
    int m_port = 0;
    std::atomic<bool> m_zaustavlja{false};
    std::thread m_nit;
    mutable std::mutex m_mutex;
    std::vector<std::thread> m_veze;
    QStringList m_zahtjevi;
};

} // namespace morvela::test
