// One large file fetched from the loopback test server through DownloadDatoteke,
// over both transports, against curl fetching the same file from the same
// server. Ours checks the file's BLAKE2b-512 against a signed set's as the
// bytes arrive, as every archive of a signed set is checked. Reports the medians, their ratio (target: ours
// at most 1.15 x curl) and the peak resident memory of this process during our fetches (target: under 64 MB
// whatever the file size). The file goes where an installation fetches its archives, the program's own Update
// directory.
//
//   bench_fetch [--mb SIZE_MB] [--runs N] [--only https|http]

#include "Okruzenje.h"
#include "TestServer.h"
#include "transfer/HttpPreuzimanje.h"
#include "versions/PotpisSeta.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace morvela;
using namespace morvela::test;

namespace {

const QString VelikaIme = QStringLiteral("Velika.7z");
const QString MalaIme = QStringLiteral("Mala.7z");

void NapraviDatoteku(const QString& put, qint64 veličina) {
    QByteArray blok(1 << 20, Qt::Uninitialized);
    QRandomGenerator gen(21);
    gen.fillRange(reinterpret_cast<quint32*>(blok.data()), blok.size() / 4);
    QFile f(put);
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(put));
    for (qint64 ostalo = veličina; ostalo > 0; ostalo -= blok.size()) {
        blok[0] = char(ostalo >> 20); // no two blocks alike
        f.write(blok.constData(), std::min<qint64>(ostalo, blok.size()));
    }
}

// Linux keeps the peak resident size in VmHWM; writing 5 to clear_refs resets it.
void PoništiVrhMemorije() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}

double VrhMemorijeMb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& red : f.readAll().split('\n'))
        if (red.startsWith("VmHWM:")) return red.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

double Medijan(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Rezultat {
    std::vector<double> naši, curl;
    double vrhMb = 0;
};

Rezultat Mjeri(bool https, TestServer& server, TestOkruženje& o, int mjerenja, qint64 veličina,
               const PotpisaniSet& set) {
    o.postavke.Snimi("Settings", "KoristiChilkatZaDownload", https ? "True" : "False");
    o.postavke.Snimi("Settings", "PrimarniServer21", https ? server.HttpsHost() : server.HttpHost());
    HttpPreuzimanje preuzimanje(o.status, o.poruke, *o.log, o.datoteke, o.stanje.ZadnjaPoruka);
    o.preuzimanje = &preuzimanje;
    Poslužitelj& poslužitelj = o.seta().Server();
    if (!qEnvironmentVariableIsSet("BEZ")) poslužitelj.PostaviPotpisani(&set);
    const QString url = OsnovniUrl(https ? server.HttpsHost() : server.HttpHost(), https) + VelikaIme;
    const QString cilj = o.updateDir() + VelikaIme;
    const QString curlCilj = o.vanjski(QStringLiteral("curl.7z"));
    QStringList curlArg{"-sS", "--fail", "--noproxy", "*", "-o", curlCilj, url};
    if (https) curlArg << "--cacert" << TestServer::TestniCa();

    // One small fetch first: loading TLS and the CA list once is not part of the transfer.
    if (!poslužitelj.Preuzmi(o.stanje, MalaIme, o.updateDir())) qFatal("warm-up fetch failed");
    Rezultat r;
    for (int i = 0; i < mjerenja; ++i) {
        QFile::remove(cilj);
        PoništiVrhMemorije();
        QElapsedTimer t;
        t.start();
        if (!poslužitelj.Preuzmi(o.stanje, VelikaIme, o.updateDir()))
            qFatal("our fetch failed: %s", qPrintable(o.stanje.ZadnjaPoruka));
        r.naši.push_back(t.nsecsElapsed() / 1e9);
        r.vrhMb = std::max(r.vrhMb, VrhMemorijeMb());
        if (QFile(cilj).size() != veličina) qFatal("our fetch stored a wrong size");

        QFile::remove(curlCilj);
        QProcess curl;
        t.restart();
        curl.start(QStringLiteral("curl"), curlArg);
        if (!curl.waitForFinished(-1) || curl.exitStatus() != QProcess::NormalExit || curl.exitCode() != 0)
            qFatal("curl failed: %s", curl.readAllStandardError().constData());
        r.curl.push_back(t.nsecsElapsed() / 1e9);
    }
    QFile::remove(cilj);
    QFile::remove(curlCilj);
    return r;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qint64 mb = 256;
    int mjerenja = 5;
    QString samo;
    const QStringList arg = app.arguments();
    for (int i = 1; i + 1 < arg.size(); i += 2) {
        if (arg[i] == "--mb")
            mb = arg[i + 1].toLongLong();
        else if (arg[i] == "--runs")
            mjerenja = std::max(1, arg[i + 1].toInt());
        else if (arg[i] == "--only")
            samo = arg[i + 1];
    }
    const qint64 veličina = mb << 20;

    TestOkruženje o;
    o.postavke.Snimi("Settings", "DodatniCertifikati", TestServer::TestniCa());
    const QString serverDir = o.vanjski(QStringLiteral("server"));
    QDir().mkpath(serverDir);
    NapraviDatoteku(serverDir + "/" + VelikaIme, veličina);
    NapraviDatoteku(serverDir + "/" + MalaIme, 1024);
    TestServer server(serverDir);
    // The set names both files with their hashes, as a signed set's manifest would.
    PotpisaniSet set;
    for (const QString& ime : {VelikaIme, MalaIme}) {
        QFile f(serverDir + "/" + ime);
        if (!f.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(ime));
        SažetakDatoteke sažetak;
        while (!f.atEnd()) {
            const QByteArray blok = f.read(1 << 20);
            sažetak.Dodaj(blok.constData(), blok.size());
        }
        set.sažeci.insert(ime.toLower(), sažetak.Završi());
    }

    std::printf("Fetching one %lld MB file over loopback, %d runs each, medians:\n", mb, mjerenja);
    bool uCilju = true;
    for (bool https : {true, false}) {
        if (!samo.isEmpty() && samo != (https ? "https" : "http")) continue;
        const Rezultat r = Mjeri(https, server, o, mjerenja, veličina, set);
        const double naši = Medijan(r.naši), curl = Medijan(r.curl), omjer = naši / curl;
        std::printf("  %-5s  DownloadDatoteke + hash %6.2f s (%6.1f MB/s)   curl %6.2f s (%6.1f MB/s)   "
                    "ratio %.2f %s\n",
                    https ? "https" : "http", naši, mb / naši, curl, mb / curl, omjer,
                    omjer <= 1.15 ? "ok" : "OVER 1.15");
        std::printf("         peak resident memory during our fetches: %.1f MB %s\n", r.vrhMb,
                    r.vrhMb < 64 ? "ok" : "OVER 64 MB");
        uCilju = uCilju && omjer <= 1.15 && r.vrhMb < 64;
    }
    return uCilju ? 0 : 1;
}
