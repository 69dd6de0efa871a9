// Runs the real installation of the plan a test laid out in a suite directory
// and kills itself (SIGKILL, no clean-up) at the nth changing file operation:
// just before it ("prije"), or, when that operation writes a file (a copy, or
// bytes such as the journal's), after writing half of its temporary file ("usred").
// A run that is not killed (n = 0) ends with 0, or 6 when the installation
// failed, and writes one letter per changing file operation to standard output,
// K for a copy, Z for bytes written; any other exit code is a fault of the run
// itself, 3 a nth operation that writes no file.
//   prekid_instalacije <program directory> <n> prije|usred

#include "Okruzenje.h"
#include "install/UpdatePrograma.h"
#include "platform/Datoteke.h"
#include "platform/Procesi.h"
#include "versions/KontrolnaDatoteka.h"
#include "versions/Plan.h"

#include <QCoreApplication>
#include <QFile>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace morvela;
using namespace morvela::test;

namespace {

class UbojiteDatoteke : public StvarneDatoteke {
public:
    UbojiteDatoteke(int n, bool usred) : m_n(n), m_usred(usred) {}
    void Naoružaj() { m_naoružane = true; }
    const QByteArray& Operacije() const { return m_operacije; }

    GreškaDatoteke KreirajDirektorij(const QString& put) override {
        Korak();
        return StvarneDatoteke::KreirajDirektorij(put);
    }
    GreškaDatoteke Kopiraj(const QString& od, const QString& na, bool trajno = true,
                           IProvjeraSadržaja* provjera = nullptr) override {
        Korak('K', &na, TestOkruženje::Pročitaj(od));
        return StvarneDatoteke::Kopiraj(od, na, trajno, provjera);
    }
    GreškaDatoteke Zapiši(const QString& put, const QByteArray& sadržaj, bool trajno = true) override {
        Korak('Z', &put, sadržaj);
        return StvarneDatoteke::Zapiši(put, sadržaj, trajno);
    }
    GreškaDatoteke Premjesti(const QString& od, const QString& na) override {
        Korak();
        return StvarneDatoteke::Premjesti(od, na);
    }
    GreškaDatoteke Obriši(const QString& put, bool prisilno) override {
        Korak();
        return StvarneDatoteke::Obriši(put, prisilno);
    }
    GreškaDatoteke ObrišiUzorak(const QString& direktorij, const QString& uzorak) override {
        Korak();
        return StvarneDatoteke::ObrišiUzorak(direktorij, uzorak);
    }
    GreškaDatoteke ObrišiDirektorij(const QString& put) override {
        Korak();
        return StvarneDatoteke::ObrišiDirektorij(put);
    }

private:
    // sadržaj: what the operation writes to na.
    void Korak(char slovo = '-', const QString* na = nullptr, const QByteArray& sadržaj = {}) {
        if (!m_naoružane) return;
        m_operacije += slovo;
        if (++m_broj != m_n) return;
        if (m_usred) {
            if (!na) std::_Exit(3);
            // Half of the file written, as a power cut would leave it.
            QFile privremena(PrivremenaZa(*na));
            if (privremena.open(QIODevice::WriteOnly)) {
                privremena.write(sadržaj.left(sadržaj.size() / 2));
                privremena.flush();
            }
        }
        std::raise(SIGKILL);
    }

    const int m_n;
    const bool m_usred;
    bool m_naoružane = false;
    int m_broj = 0;
    QByteArray m_operacije;
};

// No suite program is open; the check after the run gets nothing from the internet.
struct BezProzora : IProzori {
    bool NađiProzor(const QString&, const QString&, bool) override { return false; }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    QCoreApplication app(argc, argv);
    const QString dir = QString::fromLocal8Bit(argv[1]);
    UbojiteDatoteke datoteke(std::atoi(argv[2]), std::strcmp(argv[3], "usred") == 0);

    TestOkruženje o(dir);
    BezProzora prozori;
    QtProcesi procesi;
    Kontekst& k = o.k;
    k.datoteke = &datoteke, k.prozori = &prozori, k.procesi = &procesi;
    PostaviDirektorije(k);
    if (!NapraviRsŠtoTrebaAžurirati(k)) return 5;
    datoteke.Naoružaj();
    const bool instalirano = UpdatePrograma(k, o.seta());
    std::fputs(datoteke.Operacije().constData(), stdout);
    return instalirano ? 0 : 6;
}
