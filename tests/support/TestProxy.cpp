#include "TestProxy.h"

#include <QUrl>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace morvela::test {

namespace {

// Every wait is short, so that stopping never waits long for a quiet connection.
constexpr int KorakMs = 20;

bool Čekaj(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, KorakMs) > 0;
}

bool PošaljiSve(int fd, const char* p, qsizetype n) {
    while (n > 0) {
        const ssize_t poslano = ::send(fd, p, size_t(n), MSG_NOSIGNAL);
        if (poslano <= 0) return false;
        p += poslano;
        n -= poslano;
    }
    return true;
}

int SpojiNa(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

} // namespace

TestProxy::TestProxy(bool tražiPrijavu) : m_tražiPrijavu(tražiPrijavu) {
    m_slušatelj = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t duljina = sizeof a;
    if (m_slušatelj < 0 || ::bind(m_slušatelj, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(m_slušatelj, 16) != 0 ||
        ::getsockname(m_slušatelj, reinterpret_cast<sockaddr*>(&a), &duljina) != 0)
        throw std::runtime_error("test proxy: cannot listen on 127.0.0.1");
    m_port = ntohs(a.sin_port);
    m_nit = std::thread([this] { Prihvaćaj(); });
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

void TestProxy::Prihvaćaj() {
    while (!m_zaustavlja) {
        if (!Čekaj(m_slušatelj)) continue;
        const int klijent = ::accept4(m_slušatelj, nullptr, nullptr, SOCK_CLOEXEC);
        if (klijent < 0) continue;
        std::lock_guard l(m_mutex);
        m_veze.emplace_back([this, klijent] { Posluži(klijent); });
    }
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
    int poslužitelj = -1;
    if (krajGlave >= 0 && dijelovi.size() == 3 && m_tražiPrijavu) {
        const QByteArray odgovor = "HTTP/1.1 407 Proxy Authentication Required\r\n"
                                   "Proxy-Authenticate: Basic realm=\"test\"\r\n"
                                   "Content-Length: 0\r\nConnection: close\r\n\r\n";
        PošaljiSve(klijent, odgovor.constData(), odgovor.size());
    } else if (krajGlave >= 0 && dijelovi.size() == 3 && dijelovi[0] == "CONNECT") {
        poslužitelj = SpojiNa(quint16(dijelovi[1].mid(dijelovi[1].lastIndexOf(':') + 1).toUInt()));
        const QByteArray odgovor = poslužitelj >= 0 ? "HTTP/1.1 200 Connection established\r\n\r\n"
                                                    : "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n";
        PošaljiSve(klijent, odgovor.constData(), odgovor.size());
        primljeno.remove(0, krajGlave + 4);
    } else if (krajGlave >= 0 && dijelovi.size() == 3) {
        // "GET http://host:port/path HTTP/1.1" goes on as "GET /path HTTP/1.1".
        const QUrl url(QString::fromLatin1(dijelovi[1]));
        poslužitelj = SpojiNa(quint16(url.port(80)));
        primljeno.replace(0, prviRed.size(),
                          dijelovi[0] + ' ' + url.path(QUrl::FullyEncoded).toLatin1() + ' ' + dijelovi[2]);
    }
    if (poslužitelj >= 0 && PošaljiSve(poslužitelj, primljeno.constData(), primljeno.size())) {
        pollfd p[2] = {{klijent, POLLIN, 0}, {poslužitelj, POLLIN, 0}};
        while (!m_zaustavlja) {
            if (::poll(p, 2, KorakMs) <= 0) continue;
            bool gotovo = false;
            for (int i : {0, 1}) {
                if (!p[i].revents) continue;
                const ssize_t n = ::recv(p[i].fd, međuspremnik, sizeof međuspremnik, 0);
                if (n <= 0 || !PošaljiSve(p[1 - i].fd, međuspremnik, n)) gotovo = true;
            }
            if (gotovo) break;
        }
    }
    if (poslužitelj >= 0) ::close(poslužitelj);
    ::close(klijent);
}

} // namespace morvela::test
