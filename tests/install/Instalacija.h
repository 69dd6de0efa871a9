#pragma once
// What the installation tests share: a recording RegSvr32.exe on PATH, file
// operations and process starts that fail on demand, scripted suite windows.

#include "Okruzenje.h"
#include "platform/Procesi.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <functional>

namespace morvela::test {

// A RegSvr32.exe stand-in put first on PATH. Each call appends one line:
// its arguments, each followed by "|", then "#" and the component file's
// content at that moment ("-" when it does not exist).
class LažniRegSvr32 {
public:
    LažniRegSvr32();
    ~LažniRegSvr32();
    QStringList pozivi() const;
    // PATH without the stand-in, so its start fails.
    void Sakrij();

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_prazan;
    QByteArray m_stariPath;
};

// The real file system, with chosen operations failing as the system would.
class KvarneDatoteke : public StvarneDatoteke {
public:
    // op: "Kopiraj" (matched on the target), "Premjesti" (on the source),
    // "KreirajDirektorij", "PopisDatoteka"; puta < 0 means every time.
    void Pokvari(const QString& op, const QString& krajPuta, int kodSustava, int puta = -1);

    GreškaDatoteke KreirajDirektorij(const QString& put) override;
    GreškaDatoteke Kopiraj(const QString& od, const QString& na) override;
    GreškaDatoteke Premjesti(const QString& od, const QString& na) override;
    GreškaDatoteke PopisDatoteka(const QString& direktorij, QStringList& imena) const override;

private:
    struct Kvar {
        QString op, kraj;
        GreškaDatoteke greška;
        int puta;
    };
    GreškaDatoteke Kvar_(const QString& op, const QString& put) const;
    mutable QList<Kvar> m_kvarovi;
};

// Real process starts, except for command lines the test refuses.
class KvarniProcesi : public QtProcesi {
public:
    bool PokreniIČekaj(const QString& linija, int ms, QString* opis) override;
    std::function<bool(const QString&)> odbij;
};

// Suite windows the test opens and closes.
class LažniProzori : public IProzori {
public:
    bool NađiProzor(const QString& klasa, const QString& naslov, bool uPrviPlan) override;
    QStringList otvoreni;
    // After this many lookups every window is closed (< 0: never).
    int zatvoriNakon = -1;
    int traženja = 0;
};

// A temporary suite wired with the above.
class Instalacija : public ::testing::Test {
protected:
    Instalacija();
    QString prog() const { return o.stanje.ProgramskaDirektorija; }
    QString upd() const { return o.stanje.UpdateDirektorija; }
    QString bak() const { return o.stanje.BackupDirektorija; }
    QString skr() const { return o.stanje.SkripteDirektorija; }
    QString hlp() const { return o.stanje.HelpDirektorija; }
    static QByteArray Sadržaj(const QString& put);
    // The whole log, for entries that span lines.
    QString Log() const { return QString::fromLocal8Bit(Sadržaj(o.log->Put())); }
    static QString RegSvr32(const QString& put, const QString& sklopke);
    // The system's description of an error code, as file operations report it.
    static QString Opis(int kodSustava);

    TestOkruženje o;
    LažniRegSvr32 regsvr;
    KvarneDatoteke datoteke;
    KvarniProcesi procesi;
    LažniProzori prozori;
};

} // namespace morvela::test
