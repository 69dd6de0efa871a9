#pragma once
// Faults the real file system and the real server cannot be made to show on
// cue: the real operations, with a chosen call answering as a broken disk or
// a lost network share would. A fetch stand-in that serves one directory.

#include "Lazni.h"
#include "platform/Datoteke.h"
#include "platform/Seams.h"
#include "records/Kontekst.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMap>
#include <QPair>
#include <QProcess>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>

#include <cerrno>
#include <functional>
#include <utility>

#include <gtest/gtest.h>

namespace morvela::test {

// "dir", "kopiraj", "brisi", "brisiDir", "velicina", "citaj", "zapisi", "dodaj" or "nova", and the path.
using KvarDatoteke = std::function<bool(const char* operacija, const QString& put)>;

struct DatotekeSKvarom : StvarneDatoteke {
    KvarDatoteke kvar = [](const char*, const QString&) { return false; };
    // A faulty copy reports its failure, or with this set claims success and writes nothing.
    bool kopijaBezDatoteke = false;

    static GreškaDatoteke Greška(const QString& put) { return GreškaIzSustava(EIO, put); }
    bool PostojiDirektorij(const QString& p) const override {
        return !kvar("dir", p) && StvarneDatoteke::PostojiDirektorij(p);
    }
    GreškaDatoteke Kopiraj(const QString& od, const QString& na, bool trajno = true,
                           IProvjeraSadržaja* provjera = nullptr) override {
        if (!kvar("kopiraj", na)) return StvarneDatoteke::Kopiraj(od, na, trajno, provjera);
        return kopijaBezDatoteke ? GreškaDatoteke{} : Greška(na);
    }
    GreškaDatoteke Obriši(const QString& p, bool prisilno) override {
        return kvar("brisi", p) ? Greška(p) : StvarneDatoteke::Obriši(p, prisilno);
    }
    GreškaDatoteke ObrišiDirektorij(const QString& p) override {
        return kvar("brisiDir", p) ? Greška(p) : StvarneDatoteke::ObrišiDirektorij(p);
    }
    GreškaDatoteke Veličina(const QString& p, qint64& v) const override {
        return kvar("velicina", p) ? Greška(p) : StvarneDatoteke::Veličina(p, v);
    }
    GreškaDatoteke Pročitaj(const QString& p, QByteArray& s, qint64 najviše) const override {
        return kvar("citaj", p) ? Greška(p) : StvarneDatoteke::Pročitaj(p, s, najviše);
    }
    GreškaDatoteke Zapiši(const QString& p, const QByteArray& s, bool trajno = true) override {
        return kvar("zapisi", p) ? Greška(p) : StvarneDatoteke::Zapiši(p, s, trajno);
    }
    GreškaDatoteke Dodaj(const QString& p, const QByteArray& s) override {
        return kvar("dodaj", p) ? Greška(p) : StvarneDatoteke::Dodaj(p, s);
    }
    GreškaDatoteke NovaDatoteka(const QString& p, std::unique_ptr<QFile>& d) override {
        return kvar("nova", p) ? Greška(p) : StvarneDatoteke::NovaDatoteka(p, d);
    }
};

// Serves the files of one directory; names in "ne" fail, names in "bezDatoteke"
// report success and leave nothing behind, a file larger than the request's limit
// is cut off as the real transfer cuts it. poDohvatu runs after each fetch.
struct PosluziteljDirektorija : IPreuzimanje {
    explicit PosluziteljDirektorija(QString dir) : dir(std::move(dir)) {}
    bool DownloadDatoteke(const ZahtjevDatoteke& z) override { return Dohvati(z, z.direktorija + z.ime); }
    bool PreuzmiNaProvjeru(const ZahtjevDatoteke& z, QString& privremena) override {
        privremena = PrivremenaZa(z.direktorija + z.ime);
        if (!Dohvati(z, privremena)) return false;
        čeka = {privremena, z.direktorija + z.ime};
        return true;
    }
    bool DovršiPredaju(bool prihvaćena) override {
        const auto [privremena, cilj] = std::exchange(čeka, {});
        if (privremena.isEmpty()) return true;
        if (prihvaćena) return Zamijeni(privremena, cilj, false).uspjeh();
        QFile::remove(privremena);
        return true;
    }
    qint64 PrekoGranice() const override { return prekoGranice; }

    QString dir;
    QSet<QString> ne, bezDatoteke;
    QStringList imena;
    std::function<void(const QString&)> poDohvatu;

private:
    bool Dohvati(const ZahtjevDatoteke& z, const QString& cilj) {
        imena << z.ime;
        prekoGranice = -1;
        if (ne.contains(z.ime)) return false;
        if (const qint64 veličina = QFileInfo(dir + z.ime).size(); veličina > z.granica) {
            prekoGranice = veličina;
            return false;
        }
        QFile::remove(cilj);
        bool ok = bezDatoteke.contains(z.ime) || QFile::copy(dir + z.ime, cilj);
        // As the real fetch does: a file its check refuses never stays.
        if (ok && z.provjera && QFile::exists(cilj)) {
            QFile f(cilj);
            const QByteArray sadržaj = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
            z.provjera->Dodaj(sadržaj.constData(), sadržaj.size());
            if (!z.provjera->Završi().isEmpty()) ok = !QFile::remove(cilj);
        }
        if (poDohvatu) poDohvatu(z.ime);
        return ok;
    }
    QPair<QString, QString> čeka;
    qint64 prekoGranice = -1;
};

// A real 7z archive holding one file of the given name and bytes, stored as they
// are; made once per name and bytes. The system's 7-Zip where the program looks
// for it, started by the real process seam.
inline QByteArray Arhiva7z(const QString& ime, const QByteArray& sadržaj) {
    static QMap<QPair<QString, QByteArray>, QByteArray> gotove;
    QByteArray& arhiva = gotove[{ime, sadržaj}];
    if (arhiva.isEmpty()) {
        QTemporaryDir dir;
        QFile datoteka(dir.filePath(ime));
        EXPECT_TRUE(datoteka.open(QIODevice::WriteOnly) && datoteka.write(sadržaj) == sadržaj.size());
        datoteka.close();
        EXPECT_EQ(QProcess::execute("/usr/bin/7za",
                                    {"a", "-bso0", "-mx0", dir.filePath("a.7z"), datoteka.fileName()}),
                  0);
        QFile a(dir.filePath("a.7z"));
        EXPECT_TRUE(a.open(QIODevice::ReadOnly));
        arhiva = a.readAll();
    }
    return arhiva;
}
inline void Postavi7Zip(Kontekst& k, IProcesi& procesi) {
    k.procesi = &procesi;
    EXPECT_TRUE(QFile::link("/usr/bin/7za", k.stanje->ProgramskaDirektorija + "7za"));
}

// A text of a table row with its placeholders ("{upd}" and the like) filled in.
inline QString Popuni(QString tekst, const QList<QPair<QString, QString>>& vrijednosti) {
    for (const auto& [ključ, vrijednost] : vrijednosti)
        tekst.replace('{' + ključ + '}', vrijednost);
    return tekst;
}

// The boxes a table row expects. A text with "…" in it gives the start, a part in between and
// the end, around words that are the platform's or the implementer's.
using Okviri = QList<QPair<QString, Ikona>>;

inline void UsporediOkvire(const QList<Upit>& pokazani, const Okviri& očekivani,
                           const std::function<QString(const QString&)>& popuni) {
    QStringList tekstovi;
    for (const Upit& u : pokazani)
        tekstovi << u.tekst;
    ASSERT_EQ(pokazani.size(), očekivani.size()) << tekstovi.join(" | ").toStdString();
    for (int i = 0; i < pokazani.size(); ++i) {
        const QString t = popuni(očekivani[i].first);
        const std::string kraj = (u'\n' + tekstovi[i] + u'\n' + t).toStdString();
        EXPECT_TRUE(tekstovi[i].startsWith(t.section(u'…', 0, 0))) << "start" << kraj;
        EXPECT_TRUE(tekstovi[i].contains(t.section(u'…', 1, 1))) << "middle" << kraj;
        EXPECT_TRUE(tekstovi[i].endsWith(t.section(u'…', -1))) << "end" << kraj;
        EXPECT_EQ(pokazani[i].ikona, očekivani[i].second) << i;
    }
}

// The contents of files of one directory, to show that a failure left them as they were.
inline QMap<QString, QByteArray> Sadržaji(const QString& dir, const QStringList& imena) {
    QMap<QString, QByteArray> m;
    for (const QString& ime : imena) {
        QFile f(dir + ime);
        m[ime] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    return m;
}

// Whether a line of the log starts with the given text.
inline bool ImaRed(const QStringList& log, const QString& početak) {
    for (const QString& red : log)
        if (red.startsWith(početak)) return true;
    return false;
}

// One row of a failure table: how the fault is set up, the boxes, the starts of log lines that must
// be there ({""}: nothing is logged at all), the result, the files afterwards (their content, "-":
// must not exist, "=": as before the operation) and any further check.
template <class O> struct RedKvara {
    const char* naziv;
    std::function<void(O&)> postavi;
    Okviri okviri;
    QStringList log;
    bool rezultat;
    QMap<QString, QString> naDisku = {};
    std::function<void(const O&)> još = [](const O&) {};
};

// Files a row expects as they were before the operation.
inline QMap<QString, QString> Isto(const QStringList& putevi) {
    QMap<QString, QString> m;
    for (const QString& put : putevi)
        m[put] = QStringLiteral("=");
    return m;
}

// Runs every row on a fresh O, which shows the boxes (Upiti), the log (Log) and fills the
// placeholders of the row's texts and paths (Popuni).
template <class O>
void ProvjeriKvarove(std::initializer_list<RedKvara<O>> redovi, const std::function<bool(O&)>& radnja) {
    for (const RedKvara<O>& red : redovi) {
        SCOPED_TRACE(red.naziv);
        O o;
        red.postavi(o);
        const auto naDisku = [&] {
            QMap<QString, QByteArray> stanje;
            for (const QString& put : red.naDisku.keys()) {
                QFile f(o.Popuni(put));
                stanje[put] = !f.exists() ? "-" : f.open(QIODevice::ReadOnly) ? f.readAll() : "?";
            }
            return stanje;
        };
        const QMap<QString, QByteArray> prije = naDisku();
        EXPECT_EQ(radnja(o), red.rezultat);
        UsporediOkvire(o.Upiti(), red.okviri, [&](const QString& t) { return o.Popuni(t); });
        const QStringList log = o.Log();
        if (red.log == QStringList{QString()}) {
            EXPECT_EQ(log, QStringList());
        } else {
            for (const QString& linija : red.log)
                EXPECT_TRUE(ImaRed(log, o.Popuni(linija))) << o.Popuni(linija).toStdString();
        }
        const QMap<QString, QByteArray> poslije = naDisku();
        for (auto i = red.naDisku.begin(); i != red.naDisku.end(); ++i)
            EXPECT_EQ(poslije[i.key()], i.value() == "=" ? prije[i.key()] : o.Popuni(i.value()).toUtf8())
                << o.Popuni(i.key()).toStdString();
        red.još(o);
    }
}

} // namespace morvela::test
