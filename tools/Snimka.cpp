// Opens the window on a suite directory, lets start-up finish and writes a
// picture of it: the README's screenshot. Given the update set's directory too,
// it serves the set itself at about 1 MB/s, starts the update and takes the
// picture halfway through the first archive's transfer, then stops it.
#include "app/Usluge.h"
#include "app/frmLiveUpdate.h"
#include "platform/Postavke.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLibraryInfo>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>

namespace {

constexpr qint64 Komad = 52 * 1024;
// A piece every 50 ms: a little over 1 MB/s.
constexpr int RazmakMs = 50;

// <set>/download/Verzija21/<file> over plain HTTP on 127.0.0.1, one answer per
// connection, paced on a thread of its own so that the window's fetch never waits for it.
class SporiPoslužitelj : public QThread {
public:
    explicit SporiPoslužitelj(QString direktorij) : m_direktorij(std::move(direktorij)) {}
    ~SporiPoslužitelj() override {
        quit();
        wait();
    }
    quint16 Pokreni() {
        auto port = m_port.get_future();
        start();
        return port.get();
    }

protected:
    void run() override {
        QTcpServer server;
        const bool sluša = server.listen(QHostAddress::LocalHost);
        QObject::connect(&server, &QTcpServer::newConnection, [this, &server] {
            while (QTcpSocket* veza = server.nextPendingConnection())
                Poslužuj(veza);
        });
        m_port.set_value(sluša ? server.serverPort() : 0);
        if (sluša) exec();
    }

private:
    void Poslužuj(QTcpSocket* veza) {
        QObject::connect(veza, &QTcpSocket::disconnected, veza, &QObject::deleteLater);
        QObject::connect(veza, &QTcpSocket::readyRead, veza, [this, veza] {
            if (veza->property("odgovoreno").toBool() || !veza->peek(8192).contains("\r\n\r\n")) return;
            veza->setProperty("odgovoreno", true);
            const QList<QByteArray> zahtjev = veza->readLine().split(' ');
            const QString put = zahtjev.size() > 1
                                    ? QString::fromUtf8(QByteArray::fromPercentEncoding(zahtjev[1]))
                                    : QString();
            const QString prefiks = QStringLiteral("/download/Verzija21/");
            const QString ime = put.mid(prefiks.size());
            auto datoteka = std::make_shared<QFile>(m_direktorij + prefiks + ime);
            if (!put.startsWith(prefiks) || ime.contains(QLatin1Char('/')) ||
                !datoteka->open(QIODevice::ReadOnly)) {
                veza->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                veza->disconnectFromHost();
                return;
            }
            veza->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n"
                        "Content-Length: " +
                        QByteArray::number(datoteka->size()) + "\r\n\r\n");
            auto* tempo = new QTimer(veza);
            QObject::connect(tempo, &QTimer::timeout, veza, [veza, tempo, datoteka] {
                veza->write(datoteka->read(Komad));
                if (!datoteka->atEnd()) return;
                tempo->stop();
                veza->disconnectFromHost();
            });
            tempo->start(RazmakMs);
        });
    }

    const QString m_direktorij;
    std::promise<quint16> m_port;
};

// The settings as they are, with both download servers at the slow server.
class PostavkeSnimke : public morvela::IPostavke {
public:
    explicit PostavkeSnimke(QString server) : m_server(std::move(server)) {}
    QString Čitaj(const QString& sekcija, const QString& ključ, const QString& zadano) const override {
        if (ključ == QLatin1String("PrimarniServer21") || ključ == QLatin1String("SekundarniServer21"))
            return m_server;
        return m_prave.Čitaj(sekcija, ključ, zadano);
    }
    bool Postoji(const QString& sekcija, const QString& ključ) const override {
        return m_prave.Postoji(sekcija, ključ);
    }
    void Snimi(const QString& sekcija, const QString& ključ, const QString& vrijednost) override {
        m_prave.Snimi(sekcija, ključ, vrijednost);
    }

private:
    morvela::QtPostavke m_prave;
    const QString m_server;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s <suite directory> <picture.png> [<update set directory>]\n", argv[0]);
        return 2;
    }
    QTranslator prijevod;
    if (prijevod.load(QStringLiteral("qtbase_hr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&prijevod);

    // All real, but for the suite directory and, with an update set, the servers in the settings.
    morvela::StvarneUsluge stvarne;
    morvela::OvisnostiProzora o = morvela::StvarneOvisnosti(stvarne);
    o.svijet.izvršnaDirektorija = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    std::unique_ptr<SporiPoslužitelj> server;
    std::unique_ptr<PostavkeSnimke> postavke;
    if (argc == 4) {
        server = std::make_unique<SporiPoslužitelj>(QDir(QString::fromLocal8Bit(argv[3])).absolutePath());
        const quint16 port = server->Pokreni();
        if (port == 0) {
            std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
            return 1;
        }
        postavke = std::make_unique<PostavkeSnimke>(QStringLiteral("127.0.0.1:%1").arg(port));
        o.svijet.postavke = postavke.get();
    }
    morvela::frmLiveUpdate prozor(o);
    prozor.PokreniProzor();
    prozor.show();
    const QString put = QString::fromLocal8Bit(argv[2]);
    const auto snimi = [&] { return prozor.grab().save(put); };
    if (!server) {
        QTimer::singleShot(500, &prozor, [&] { QCoreApplication::exit(snimi() ? 0 : 1); });
        return QApplication::exec();
    }

    // A box nobody answers would keep the picture waiting for ever.
    QTimer::singleShot(60000, [] {
        std::fprintf(stderr, "no transfer to take a picture of\n");
        std::_Exit(1);
    });
    QElapsedTimer odKlika;
    int kod = -1;
    QTimer pratnja;
    QObject::connect(&pratnja, &QTimer::timeout, &prozor, [&] {
        // Once the picture is taken and the stop has ended the operation.
        if (kod >= 0) {
            if (!prozor.OperacijaUTijeku()) QCoreApplication::exit(kod);
            return;
        }
        const QString linija = prozor.lblPrijenos->text();
        if (odKlika.elapsed() < 3000 || !linija.contains(QLatin1String(" MB/s")) ||
            !linija.contains(QString::fromUtf8("još ")))
            return;
        kod = snimi() ? 0 : 1;
        prozor.cmdPrekini->click();
    });
    QTimer::singleShot(500, &prozor, [&] {
        pratnja.start(100);
        odKlika.start();
        prozor.cmdDownloadAndUpdate->click();
    });
    return QApplication::exec();
}
