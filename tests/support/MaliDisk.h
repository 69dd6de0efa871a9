#pragma once
// A small tmpfs mounted for one test, to run out of disk space for real.
// Mounting needs root; without it (or when the mount fails) razlog says why
// and the test skips itself.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

#include <unistd.h>

namespace morvela::test {

class MaliDisk {
public:
    MaliDisk(const QString& put, int kilobajta, bool samoČitanje = false) : m_put(put) {
        if (::geteuid() != 0) {
            razlog = QStringLiteral("mounting a small tmpfs needs root");
            return;
        }
        QDir().mkpath(put);
        const int kod = QProcess::execute(
            QStringLiteral("mount"),
            {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
             QStringLiteral("%1size=%2k").arg(samoČitanje ? QStringLiteral("ro,") : QString()).arg(kilobajta),
             QStringLiteral("tmpfs"), put});
        if (kod != 0) razlog = QStringLiteral("mount -t tmpfs failed with %1").arg(kod);
        m_montiran = kod == 0;
    }
    ~MaliDisk() {
        if (m_montiran) QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), m_put});
    }
    MaliDisk(const MaliDisk&) = delete;
    MaliDisk& operator=(const MaliDisk&) = delete;

    bool montiran() const { return m_montiran; }

    // Takes all free space but about ostaviKb kilobytes, with filler files of its own.
    void Napuni(int ostaviKb = 0) {
        QFile punjenje(m_put + QStringLiteral("/.punjenje"));
        // Unbuffered, so the file holds exactly what fitted.
        punjenje.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        const QByteArray blok(4096, 'x');
        while (punjenje.write(blok) == blok.size() && punjenje.flush()) {
        }
        punjenje.close();
        if (ostaviKb > 0) punjenje.resize(qMax<qint64>(0, punjenje.size() - qint64(ostaviKb) * 1024));
    }

    QString razlog;

private:
    QString m_put;
    bool m_montiran = false;
};

} // namespace morvela::test
