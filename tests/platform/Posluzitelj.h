#pragma once
// A plain HTTP server on 127.0.0.1 for the Windows tests, on a thread of its own:
// it serves the files of one directory under "/download/Verzija21/<name>" with their
// length, as the download servers do. (Debian's cpp-httplib is a Linux library.)

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <memory>

namespace morvela::test {

class Poslužitelj {
public:
    explicit Poslužitelj(QString direktorij) : m_direktorij(std::move(direktorij)) {
        m_nit.start();
        QMetaObject::invokeMethod(
            m_server.get(),
            [this] {
                m_server->listen(QHostAddress::LocalHost);
                m_port = m_server->serverPort();
                QObject::connect(m_server.get(), &QTcpServer::newConnection, m_server.get(),
                                 [this] { Primi(); });
            },
            Qt::BlockingQueuedConnection);
    }
    ~Poslužitelj() {
        QMetaObject::invokeMethod(
            m_server.get(), [this] { m_server.reset(); }, Qt::BlockingQueuedConnection);
        m_nit.quit();
        m_nit.wait();
    }
    QString Host() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

private:
    void Primi() {
        while (QTcpSocket* veza = m_server->nextPendingConnection()) {
            QObject::connect(veza, &QTcpSocket::disconnected, veza, &QObject::deleteLater);
            QObject::connect(veza, &QTcpSocket::readyRead, veza, [this, veza] {
                if (!veza->canReadLine()) return;
                const QList<QByteArray> zahtjev = veza->readLine().split(' ');
                while (veza->canReadLine() && veza->readLine() != "\r\n") {
                }
                const QByteArray prefiks = "/download/Verzija21/";
                QFile datoteka(QDir(m_direktorij)
                                   .filePath(QString::fromUtf8(QByteArray::fromPercentEncoding(
                                       zahtjev.value(1).mid(prefiks.size())))));
                if (zahtjev.value(1).startsWith(prefiks) && datoteka.open(QIODevice::ReadOnly)) {
                    const QByteArray tijelo = datoteka.readAll();
                    veza->write(
                        "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                        QByteArray::number(tijelo.size()) + "\r\n\r\n" + tijelo);
                } else {
                    veza->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
                }
            });
        }
    }

    QString m_direktorij;
    QThread m_nit;
    std::unique_ptr<QTcpServer> m_server = [this] {
        auto s = std::make_unique<QTcpServer>();
        s->moveToThread(&m_nit);
        return s;
    }();
    quint16 m_port = 0;
};

} // namespace morvela::test
