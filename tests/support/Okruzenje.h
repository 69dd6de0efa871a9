#pragma once
// A temporary suite directory with everything an operation needs wired to it:
// real files and a real log, fakes for the person and for time, and processes and
// windows that fail the test when it did not set its own.

#include "Lazni.h"
#include "platform/Datoteke.h"
#include "records/Kontekst.h"
#include "versions/IzvorSeta.h"

#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace morvela::test {

struct TestOkruženje {
    TestOkruženje();
    // Wired to a suite directory that already exists (a helper process working on a test's suite).
    explicit TestOkruženje(const QString& postojeći);

    // Program directory of the suite, ending in the separator.
    QString dir() const { return stanje.ProgramskaDirektorija; }
    QString updateDir() const { return stanje.UpdateDirektorija; }
    // A path under the temporary root (outside the suite), for network locations and the like.
    QString vanjski(const QString& ime) const;

    // Writes a file (creating directories) with the given bytes.
    static void Zapiši(const QString& put, const QByteArray& sadržaj);
    // Writes a list file, one record per entry ("Ime;1;2;3;4;5;"), CR LF lines, Windows-1250.
    static void ZapišiListu(const QString& put, const QStringList& zapisi);
    static QByteArray Pročitaj(const QString& put);
    // The lines of the update log without their date and time.
    QStringList LogPoruke() const;

    QTemporaryDir korijen;

private:
    // The suite directory, made before everything wired to it.
    const QString m_suite;

public:
    StanjeRada stanje;
    LažnePoruke poruke;
    LažniStatus status;
    LažniSat sat;
    LažniIzvor izvor;
    LažnaMreža mreža;
    LažnaImena imena;
    MemorijskePostavke postavke;
    StvarneDatoteke datoteke;
    // A test that starts programs or looks for windows sets its own in k.
    NepozvaniProcesi procesi;
    NepozvaniProzori prozori;
    std::unique_ptr<UpdateLog> log;
    Kontekst k;
    // How often the operation asked to end the program.
    int završetaka = 0;
    // What fetches from the download servers; without one every fetch fails.
    IPreuzimanje* preuzimanje = nullptr;
    // The update set's front door as the window would make it for an operation
    // starting now: the settings, the source and network location of izvor.
    IzvorSeta& seta();

private:
    std::optional<IzvorSeta> m_seta;
};

} // namespace morvela::test
