// Distributing a full update set into an empty location through the real HTTP
// transport from a loopback server, compared with curl fetching the same files
// (rounds alternate, medians compared; the program must take at most 1.20 times
// curl's time), then a second run with nothing changed on the server. The
// program tests every program's archive with 7-Zip and flushes every file to
// disk before renaming it into place, and curl does neither, so curl followed
// by those same steps is shown too.
//
//   bench_distribution [--http] [--files N] [--mb TOTAL_MB] [--rounds N]
//
// --http uses the plain http transport instead of the default https one.

#include "Medijan.h"
#include "Okruzenje.h"
#include "TestServer.h"
#include "distribution/DownloadNaLokaciju.h"
#include "platform/Procesi.h"
#include "transfer/HttpPreuzimanje.h"
#include "versions/PravilaVerzija.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace morvela;
using namespace morvela::test;

namespace {

// Times the calls the run makes to look at archives already at the location.
class MjereneDatoteke : public StvarneDatoteke {
public:
    bool PostojiDatoteka(const QString& put) const override {
        QElapsedTimer t;
        t.start();
        const bool ima = StvarneDatoteke::PostojiDatoteka(put);
        ns += t.nsecsElapsed();
        return ima;
    }
    GreškaDatoteke Veličina(const QString& put, qint64& veličina) const override {
        QElapsedTimer t;
        t.start();
        const GreškaDatoteke g = StvarneDatoteke::Veličina(put, veličina);
        ns += t.nsecsElapsed();
        return g;
    }
    mutable qint64 ns = 0;
};

QString ImeDatoteke(int i, int ukupno) {
    if (i == 0) return ImeIzmjeneBaze;
    if (i <= 3) return QStringLiteral("Izmjena%1.enc").arg(i, 4, 10, QLatin1Char('0'));
    if (i >= ukupno - 2) return QStringLiteral("Upute%1.chm").arg(i);
    return QStringLiteral("Program%1_21.exe").arg(i, 2, 10, QLatin1Char('0'));
}

// Fills the server directory; returns the archive names. Programs travel as real archives
// (stored, so each is about the size asked for), help files and scripts as they are.
QStringList NapraviSet(const QString& server, int datoteka, qint64 veličina) {
    QByteArray blok(1 << 20, Qt::Uninitialized);
    QRandomGenerator gen(21);
    gen.fillRange(reinterpret_cast<quint32*>(blok.data()), blok.size() / 4);

    QTemporaryDir privremena;
    QStringList arhive, lista;
    for (int i = 0; i < datoteka; ++i) {
        const QString ime = ImeDatoteke(i, datoteka);
        const QString arhiva = ImeArhive(ime);
        const bool pakira = !ime.endsWith(QLatin1String(".chm")) && !ime.endsWith(QLatin1String(".enc"));
        QFile f(pakira ? privremena.filePath(ime) : server + arhiva);
        if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(f.fileName()));
        blok[0] = char(i);
        for (qint64 ostalo = veličina; ostalo > 0; ostalo -= blok.size())
            f.write(blok.constData(), std::min<qint64>(ostalo, blok.size()));
        f.close();
        if (pakira && QProcess::execute(QStringLiteral("/usr/bin/7za"),
                                        {QStringLiteral("a"), QStringLiteral("-bso0"), QStringLiteral("-mx0"),
                                         server + arhiva, f.fileName()}) != 0)
            qFatal("cannot pack %s", qPrintable(arhiva));
        if (pakira) f.remove();
        arhive << arhiva;
        lista << ime + QStringLiteral(";21;4;%1;%2;%3;")
                           .arg(i)
                           .arg(QFileInfo(server + arhiva).size())
                           .arg(veličina);
    }
    TestOkruženje::ZapišiListu(server + QStringLiteral("Verzije.txt"), lista);
    TestOkruženje::Zapiši(server + QStringLiteral("VerzijeU.txt"), "u\r\n");
    TestOkruženje::Zapiši(server + QStringLiteral("TeamViewerQS.exe"), QByteArray(4 << 20, 't'));
    return arhive;
}

// Bytes the server sent, summed over the files it was asked for since `od`.
qint64 PoslanoBajtova(const TestServer& server, const QString& dir, qsizetype od, int* arhiva) {
    qint64 bajtova = 0;
    const QList<Zahtjev> z = server.Zahtjevi();
    for (qsizetype i = od; i < z.size(); ++i) {
        const QString ime = z[i].putanja.section(QLatin1Char('/'), -1);
        bajtova += QFileInfo(dir + ime).size();
        if (arhiva && ime.endsWith(QLatin1String(".7z"))) ++*arhiva;
    }
    return bajtova;
}

double Mb(qint64 b) {
    return double(b) / 1e6;
}

// Empties a directory, keeping it.
void Isprazni(const QString& dir) {
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
}

constexpr double Cilj = 1.20;

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bool http = false;
    int datoteka = 70, krugova = 5;
    qint64 ukupnoMb = 700;
    const QStringList arg = app.arguments();
    for (int i = 1; i < arg.size(); ++i) {
        if (arg[i] == QLatin1String("--http"))
            http = true;
        else if (arg[i] == QLatin1String("--files") && i + 1 < arg.size())
            datoteka = arg[++i].toInt();
        else if (arg[i] == QLatin1String("--mb") && i + 1 < arg.size())
            ukupnoMb = arg[++i].toLongLong();
        else if (arg[i] == QLatin1String("--rounds") && i + 1 < arg.size())
            krugova = std::max(1, arg[++i].toInt());
    }
    if (datoteka < 8 || datoteka > 71) qFatal("--files must lie between 8 and 71");
    const qint64 veličina = ukupnoMb * 1000000 / datoteka;

    TestOkruženje o;
    const QString serverDir = SaSeparatorom(o.vanjski(QStringLiteral("Server")));
    const QString L = SaSeparatorom(o.vanjski(QStringLiteral("Lokacija")));
    const QString curlDir = SaSeparatorom(o.vanjski(QStringLiteral("Curl")));
    for (const QString& d : {serverDir, L, curlDir})
        QDir().mkpath(d);

    std::printf("Preparing %d archives of %lld bytes (%.0f MB) ...\n", datoteka, qint64(veličina),
                Mb(veličina * datoteka));
    const QStringList arhive = NapraviSet(serverDir, datoteka, veličina);

    TestServer server(serverDir);
    const QString host = http ? server.HttpHost() : server.HttpsHost();
    o.postavke.Snimi(QStringLiteral("Settings"), QStringLiteral("PrimarniServer21"), host);
    o.postavke.Snimi(QStringLiteral("Settings"), QStringLiteral("DodatniCertifikati"),
                     TestServer::TestniCa());
    o.izvor.odabrana = UpdateLokacija::InternetPrimarni;
    o.izvor.lokacije[1] = L;
    o.poruke.odgovori[VrstaPitanja::KopiranjeSvegaNaLokaciju] = {Odgovor::Da};
    o.postavke.Snimi("Settings", "KoristiChilkatZaDownload", http ? "False" : "True");
    MjereneDatoteke datoteke;
    o.k.datoteke = &datoteke;
    // Each fetched program's archive is tested by 7-Zip before it takes its place.
    QtProcesi procesi;
    o.k.procesi = &procesi;
    if (!QFile::link(QStringLiteral("/usr/bin/7za"), o.dir() + QStringLiteral("7za"))) qFatal("no 7za");
    HttpPreuzimanje preuzimanje(o.status, o.poruke, *o.log, o.datoteke, o.stanje.ZadnjaPoruka);
    o.preuzimanje = &preuzimanje;

    bool dobro = true, curlDobro = true;
    QElapsedTimer t;

    // curl fetching the same files, one process reusing its connection.
    QStringList curlArg{QStringLiteral("-sS"), QStringLiteral("--fail")};
    if (!http) curlArg << QStringLiteral("--cacert") << TestServer::TestniCa();
    const QString osnova = OsnovniUrl(host, !http);
    const QStringList sveDatoteke = QStringList{QStringLiteral("Verzije.txt"), QStringLiteral("VerzijeU.txt"),
                                                QStringLiteral("TeamViewerQS.exe")} +
                                    arhive;
    for (const QString& ime : sveDatoteke)
        curlArg << QStringLiteral("-o") << PrivremenaZa(curlDir + ime) << osnova + ime;

    // The first run into an empty location is started by hand, as an empty location must be;
    // the scripted person answers the copy-everything question with Yes. Each round fills the
    // location anew, then curl its own directory.
    QList<qint64> programMs, curlMs, curlTrajnoMs, curlKoraciMs;
    qint64 prviBajtova = 0;
    qint32 prviUkupno = 0;
    bool prvi = true;
    for (int krug = 0; krug < krugova; ++krug) {
        Isprazni(L);
        const qsizetype prije = server.Zahtjevi().size();
        t.start();
        prvi = prvi && DownloadNaLokaciju(o.k, o.seta(), true);
        programMs << t.elapsed();
        prviBajtova = PoslanoBajtova(server, serverDir, prije, nullptr);
        prviUkupno = o.stanje.UkupnoPreneseno;
        dobro = dobro && prvi && o.stanje.PorukeGrešaka.isEmpty();

        Isprazni(curlDir);
        QProcess curl;
        t.restart();
        curl.start(QStringLiteral("curl"), curlArg);
        curlDobro = curlDobro && curl.waitForFinished(-1) && curl.exitStatus() == QProcess::NormalExit &&
                    curl.exitCode() == 0;
        curlMs << t.elapsed();
        if (!curlDobro) std::printf("curl failed: %s\n", curl.readAllStandardError().constData());
        // The program flushes and renames every file it fetched; curl does neither.
        for (const QString& ime : sveDatoteke)
            if (curlDobro && ZamijeniTrajno(PrivremenaZa(curlDir + ime), curlDir + ime))
                qFatal("cannot put curl's file in place");
        curlTrajnoMs << t.elapsed();
        // Nor does curl test the archives of programs, as the program does before each takes its place.
        for (int i = 0; i < datoteka; ++i) {
            const Vrsta vrsta = VrstaDatoteke(ImeDatoteke(i, datoteka));
            if (curlDobro && vrsta != Vrsta::Pomoć && vrsta != Vrsta::Skripta &&
                QProcess::execute(QStringLiteral("/usr/bin/7za"),
                                  {QStringLiteral("t"), QStringLiteral("-bso0"), curlDir + arhive[i]}) != 0)
                qFatal("7-Zip refused %s", qPrintable(arhive[i]));
        }
        curlKoraciMs << t.elapsed();
    }
    const qint64 prviMs = Medijan(programMs), curlMedijan = Medijan(curlMs);
    const double omjer = double(prviMs) / double(curlMedijan);

    // Second run, nothing changed on the server.
    const qsizetype prijeDrugog = server.Zahtjevi().size();
    datoteke.ns = 0;
    t.restart();
    const bool drugi = DownloadNaLokaciju(o.k, o.seta(), false);
    const qint64 drugiNs = t.nsecsElapsed();
    int drugiArhiva = 0;
    const qint64 drugiBajtova = PoslanoBajtova(server, serverDir, prijeDrugog, &drugiArhiva);
    const qint64 bezProvjeraNs = drugiNs - datoteke.ns;
    dobro = dobro && drugi && drugiArhiva == 0 && o.stanje.UkupnoPreneseno == 0;

    std::printf("\nDistribution of %d archives, %.0f MB, transport %s on 127.0.0.1\n", datoteka,
                Mb(veličina * datoteka), http ? "http" : "https");
    std::printf("  first run (empty location), median of %d: %s, %.2f s, %.1f MB sent, %.1f MB/s, listed "
                "total %d bytes\n",
                krugova, prvi ? "ok" : "FAILED", prviMs / 1000.0, Mb(prviBajtova),
                Mb(prviBajtova) / (prviMs / 1000.0), prviUkupno);
    if (curlDobro) {
        std::printf(
            "  curl, same files:           %.2f s, %.1f MB/s  (program/curl = %.2f, target <= %.2f: %s)\n",
            curlMedijan / 1000.0, Mb(prviBajtova) / (curlMedijan / 1000.0), omjer, Cilj,
            omjer <= Cilj ? "met" : "OVER");
        std::printf(
            "  curl + flush and rename of every file as the program does: %.2f s  (program/that = %.2f)\n",
            Medijan(curlTrajnoMs) / 1000.0, double(prviMs) / double(Medijan(curlTrajnoMs)));
        std::printf("  curl + that + 7-Zip's test of every program's archive, the program's steps by hand: "
                    "%.2f s  (program/that = %.2f)\n",
                    Medijan(curlKoraciMs) / 1000.0, double(prviMs) / double(Medijan(curlKoraciMs)));
    }
    std::printf("  second run (no changes):    %s, %.3f s, archives fetched %d, listed total %d bytes, "
                "%lld bytes sent (control lists only)\n",
                drugi ? "ok" : "FAILED", drugiNs / 1e9, drugiArhiva, o.stanje.UkupnoPreneseno, drugiBajtova);
    std::printf("    of which size checks %.3f s; the rest %.3f s  (target < 1 s: %s)\n", datoteke.ns / 1e9,
                bezProvjeraNs / 1e9, bezProvjeraNs < 1000000000 ? "met" : "MISSED");
    if (!dobro) std::printf("\nThe runs did not behave as expected:%s\n", qPrintable(o.stanje.PorukeGrešaka));
    return dobro && curlDobro && omjer <= Cilj ? 0 : 1;
}
