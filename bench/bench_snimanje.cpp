// Fetching and verifying a large update: 70 archives of 10 MB each (700 MB),
// once from a loopback HTTPS server with SnimitiSaInterneta and once from a
// network-location directory with SnimitiSaMrežneLokacije. The waits the
// program must make are skipped through the fake clock and reported on their
// own; the remaining wall time is compared with curl (or cp) plus 7za doing
// the same files one after another. From the location, also with 7-Zip
// listing each archive first as the program does, and the copies alone
// against cp.
//
// Whichever phase runs first after a different one pays for the disk work that
// one left behind (up to 0.8 s here, even after sync). So the order of each
// pair swaps every round, the rounds are even in number, and the ratio is of
// the totals: both sides take the first place equally often.
//
// Usage: bench_snimanje [files [megabytes per file [rounds, made even]]]

#include "Medijan.h"
#include "Okruzenje.h"
#include "TestServer.h"
#include "platform/Procesi.h"
#include "transfer/HttpPreuzimanje.h"
#include "transfer/Snimanje.h"
#include "versions/PravilaVerzija.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUrl>

#include <sys/resource.h>

#include <cstdio>
#include <numeric>
#include <stdexcept>

using namespace morvela;
using namespace morvela::test;

namespace {

void Pokreni(const QString& program, const QStringList& argumenti, const QString& direktorij = QString()) {
    QProcess p;
    p.setWorkingDirectory(direktorij);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, argumenti);
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        throw std::runtime_error((program + " failed: " + argumenti.join(' ')).toStdString());
}

// Incompressible content, written in pieces so the bench itself stays small.
void NapraviDatoteku(const QString& put, qint64 veličina) {
    QFile f(put);
    if (!f.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write source file");
    QByteArray komad(1 << 20, Qt::Uninitialized);
    for (qint64 zapisano = 0; zapisano < veličina; zapisano += komad.size()) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(komad.data()), komad.size() / 4);
        f.write(komad.constData(), std::min<qint64>(komad.size(), veličina - zapisano));
    }
}

void IsprazniUpdate(const QString& direktorij) {
    QDir d(direktorij);
    for (const QString& ime : d.entryList({"*.7z", "*.exe", "Verzije.txt"}, QDir::Files))
        d.remove(ime);
}

struct Čekanja {
    int petSekundi = 0;
    int raspakiravanjaSekundi = 0;
};

// Archives are about 10 MB, so no unpack wait is exactly five seconds.
Čekanja Razvrstaj(const QList<int>& čekanja) {
    Čekanja č;
    for (int s : čekanja) {
        if (s == 5)
            ++č.petSekundi;
        else
            č.raspakiravanjaSekundi += s;
    }
    return č;
}

long VršniRssKb() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return r.ru_maxrss;
}

qint64 Zbroj(const QList<qint64>& ms) {
    return std::accumulate(ms.begin(), ms.end(), qint64(0));
}

// Medians to read, the ratio of the totals to judge.
bool Izvijesti(const char* naziv, const QList<qint64>& našiMs, const QList<qint64>& usporedbaMs,
               const char* usporedba, const Čekanja* č = nullptr) {
    const double omjer = double(Zbroj(našiMs)) / double(std::max<qint64>(1, Zbroj(usporedbaMs)));
    std::printf("%-28s %8lld ms   %-20s %8lld ms   ratio %.2f (target <= 1.20) %s\n", naziv,
                (long long)Medijan(našiMs), usporedba, (long long)Medijan(usporedbaMs), omjer,
                omjer <= 1.2 ? "ok" : "OVER");
    if (č)
        std::printf("%-28s skipped: %d five-second waits (%d s), %d s of unpack waits\n", "", č->petSekundi,
                    č->petSekundi * 5, č->raspakiravanjaSekundi);
    return omjer <= 1.2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int datoteka = argc > 1 ? std::atoi(argv[1]) : 70;
    const qint64 veličina = (argc > 2 ? std::atoll(argv[2]) : 10) * 1000 * 1000;
    const int krugova = argc > 3 ? std::max(1, std::atoi(argv[3]) + 1) / 2 * 2 : 4;

    TestOkruženje o;
    QTemporaryDir izvor;
    QTemporaryDir radni;
    TestServer server(izvor.path());
    QtProcesi procesi;
    HttpPreuzimanje preuzimanje(o.status, o.poruke, *o.log, o.datoteke, o.stanje.ZadnjaPoruka);
    o.k.procesi = &procesi;
    o.preuzimanje = &preuzimanje;
    o.postavke.Snimi("Settings", "DodatniCertifikati", TestServer::TestniCa());
    o.postavke.Snimi("Settings", "PrimarniServer21", server.HttpsHost());
    o.izvor.lokacije[0] = SaSeparatorom(izvor.path());
    QFile::link("/usr/bin/7za", o.dir() + "7za");

    std::printf("preparing %d archives of %lld bytes ...\n", datoteka, (long long)veličina);
    QStringList arhive;
    for (int i = 0; i < datoteka; ++i) {
        const QString ime = QString("Program%1 V21.exe").arg(i, 2, 10, QLatin1Char('0'));
        NapraviDatoteku(radni.filePath(ime), veličina);
        Pokreni("/usr/bin/7za", {"a", "-mx0", izvor.filePath(ImeArhive(ime)), ime}, radni.path());
        QFile::remove(radni.filePath(ime));
        const QString veličinaArhive = QString::number(QFileInfo(izvor.filePath(ImeArhive(ime))).size());
        o.stanje.NoveVerzije.postavi(i, Ime, ime);
        o.stanje.NoveVerzije.postavi(i, VeličinaDownload, veličinaArhive);
        o.stanje.NoveVerzije.postavi(i, StvarnaVeličina, QString::number(veličina));
        o.stanje.NoveVerzije.postavi(i, TrebaInstalirati, qint16(1));
        o.stanje.UkupnoZaPrijenos += veličinaArhive.toInt();
        arhive << ImeArhive(ime);
    }
    TestOkruženje::Zapiši(izvor.filePath("Verzije.txt"), "");
    const QString upd = o.updateDir();
    const long rssPrije = VršniRssKb();

    // Each phase starts from an empty update directory and a disk that has written
    // back what the phase before it left; the order of the program and its yardstick
    // swaps every round, so neither always runs second.
    const auto izmjeri = [&](auto&& radi) {
        IsprazniUpdate(upd);
        Pokreni("sync", {});
        QElapsedTimer t;
        t.start();
        radi();
        return t.elapsed();
    };
    const auto snimi = [&](UpdateLokacija odakle, Čekanja& č) {
        o.sat.čekanja.clear();
        o.izvor.odabrana = odakle;
        if (!SnimitiSaIzvora(o.k, o.seta())) throw std::runtime_error(o.stanje.ZadnjaPoruka.toStdString());
        č = Razvrstaj(o.sat.čekanja);
    };
    const auto curl = [&] {
        for (const QString& a : arhive) {
            Pokreni("curl",
                    {"-sS", "-f", "--cacert", TestServer::TestniCa(), "-o", upd + a,
                     "https://" + server.HttpsHost() + "/download/Verzija21/" + QUrl::toPercentEncoding(a)});
            Pokreni("/usr/bin/7za", {"e", upd + a, "-aoa", "-o" + upd});
        }
    };
    // With popisom, 7-Zip first lists each archive, as the program looks into one before unpacking it.
    const auto cpI7za = [&](bool popisom) {
        for (const QString& a : arhive) {
            Pokreni("cp", {izvor.filePath(a), upd + a});
            if (popisom) Pokreni("/usr/bin/7za", {"l", "-slt", "-sccUTF-8", "--", upd + a});
            Pokreni("/usr/bin/7za", {"e", upd + a, "-aoa", "-o" + upd});
        }
        Pokreni("cp", {izvor.filePath("Verzije.txt"), upd + "Verzije.txt"});
    };
    const auto cp = [&] { cpI7za(false); };
    const auto cpSPopisom = [&] { cpI7za(true); };
    // The copies alone: the program's own, as a run from the location makes them, and cp's.
    StvarneDatoteke datoteke;
    const auto kopije = [&] {
        for (const QString& a : arhive)
            if (const GreškaDatoteke g = datoteke.Kopiraj(izvor.filePath(a), upd + a, false))
                throw std::runtime_error(g.opis.toStdString());
    };
    const auto samoCp = [&] {
        for (const QString& a : arhive)
            Pokreni("cp", {izvor.filePath(a), upd + a});
    };
    // The program's phase and its yardstick's, in this round's order.
    const auto par = [&](int krug, auto&& naš, auto&& mjerilo, QList<qint64>& našiMs,
                         QList<qint64>& mjeriloMs) {
        if (krug % 2 == 0) našiMs << izmjeri(naš);
        mjeriloMs << izmjeri(mjerilo);
        if (krug % 2 == 1) našiMs << izmjeri(naš);
    };
    Čekanja internetČekanja, mrežaČekanja;
    const auto internet = [&] { snimi(UpdateLokacija::InternetPrimarni, internetČekanja); };
    const auto mreža = [&] { snimi(UpdateLokacija::MrežnaLokacija, mrežaČekanja); };
    QList<qint64> internetMs, curlMs, mrežaMs, cpMs, mreža2Ms, cpSPopisomMs, kopijeMs, samoCpMs;
    for (int krug = 0; krug < krugova; ++krug) {
        par(krug, internet, curl, internetMs, curlMs);
        par(krug, mreža, cp, mrežaMs, cpMs);
        par(krug, mreža, cpSPopisom, mreža2Ms, cpSPopisomMs);
        par(krug, kopije, samoCp, kopijeMs, samoCpMs);
    }
    IsprazniUpdate(upd);

    std::printf("\n%d files, %lld MB listed\n", datoteka, (long long)(o.stanje.UkupnoZaPrijenos / 1000000));
    std::printf("medians of %d rounds; ratios of their totals\n", krugova);
    bool dobro = Izvijesti("SnimitiSaInterneta", internetMs, curlMs, "curl + 7za", &internetČekanja);
    dobro = Izvijesti("SnimitiSaMrežneLokacije", mrežaMs, cpMs, "cp + 7za", &mrežaČekanja) && dobro;
    dobro = Izvijesti("  the same steps by hand", mreža2Ms, cpSPopisomMs, "cp + 7za l + 7za e") && dobro;
    dobro = Izvijesti("  its copies alone", kopijeMs, samoCpMs, "cp") && dobro;
    std::printf("peak RSS: %ld KB before the runs, %ld KB after (7za runs in its own process)\n", rssPrije,
                VršniRssKb());
    return dobro ? 0 : 1;
}
