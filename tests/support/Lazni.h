#pragma once
// Fakes for the person (scripted answers), for time (a clock that advances
// instantly), recording stand-ins for the window's displays, and loud ones for
// processes and windows a test did not mean to reach.

#include "platform/Seams.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <ostream>

#include <gtest/gtest.h>

// Readable QString values in test failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace morvela::test {

struct Upit {
    QString tekst;
    Ikona ikona;
    Gumbi gumbi;
    QString naslov;
    VrstaPitanja vrsta;
};

// Records every message box and answers questions from a script by their kind, in order; the
// last answer of a kind stands for its later questions. A question the test did not script an
// answer for fails the test. Then runs "zatim", for what the person does while the box is up
// (close a program, click in the window).
struct LažnePoruke : IPoruke {
    Odgovor Pokaži(const QString& tekst, Ikona ikona, Gumbi gumbi, VrstaPitanja vrsta,
                   const QString& naslov) override {
        upiti.append({tekst, ikona, gumbi, naslov, vrsta});
        EXPECT_EQ(gumbi == Gumbi::DaNe, vrsta != VrstaPitanja::Obavijest) << tekst.toStdString();
        Odgovor odgovor = Odgovor::URedu;
        if (gumbi == Gumbi::DaNe) {
            QList<Odgovor>& red = odgovori[vrsta];
            if (red.isEmpty())
                ADD_FAILURE() << "No answer scripted for a question of kind " << int(vrsta) << ": "
                              << tekst.toStdString();
            odgovor = red.isEmpty() ? Odgovor::Ne : red.size() > 1 ? red.takeFirst() : red.first();
        }
        if (zatim) zatim();
        return odgovor;
    }
    QStringList tekstovi() const {
        QStringList t;
        for (const Upit& u : upiti)
            t << u.tekst;
        return t;
    }
    QList<Upit> upiti;
    QMap<VrstaPitanja, QList<Odgovor>> odgovori;
    std::function<void()> zatim;
};

// A clock that never sleeps: a wait moves time forward and is remembered.
struct LažniSat : ISat {
    QDateTime Sada() const override { return sada.addMSecs(monotono); }
    qint64 MonotonoMs() const override { return monotono; }
    void Pričekaj(qint16 sekundi) override {
        čekanja.append(sekundi);
        Pomakni(qMax<qint64>(0, sekundi) * 1000);
        if (priČekanju) priČekanju(sekundi);
    }
    void Pomakni(qint64 ms) { monotono += ms; }
    QDateTime sada{QDate(2026, 3, 14), QTime(10, 20, 30)};
    qint64 monotono = 0;
    QList<int> čekanja;
    std::function<void(int)> priČekanju;
};

// Remembers what the status line, progress bar and message tabs were told.
struct LažniStatus : IStatusLinija {
    void PrikažiAkciju(const QString& t) override { akcija = t, akcije << t; }
    void PrikažiStanje(const QString& t) override { stanje = t, stanja << t; }
    void PripremiProgBar(qint32 d, qint32 v) override { dno = d, vrh = v, vrijednost = 0, vidljiv = true; }
    float VrijednostProgBara() const override { return vrijednost; }
    float MaksimumProgBara() const override { return vrh; }
    // Like the real bar, values outside its range are ignored.
    void PostaviVrijednostProgBara(float v) override { vrijednost = v < dno || v > vrh ? vrijednost : v; }
    void SakrijProgBar() override { vidljiv = false; }
    bool ProgBarVidljiv() const override { return vidljiv; }
    void PrikažiPoruke(const QString& a, const QString& g) override {
        txtPor = a, txtPorGr = g, ++prikazaPoruka;
    }
    void PokreniVrijemePrijenosa() override { mjeriVrijeme = true; }
    void ZaustaviVrijemePrijenosa() override { mjeriVrijeme = false; }
    void PostaviTekstVremenaPrijenosa(const QString& t) override { vrijemePrijenosa = t; }
    QString TekstVremenaPrijenosa() const override { return vrijemePrijenosa; }
    void ObradiDogađaje() override {}

    QString akcija, stanje, txtPor, txtPorGr, vrijemePrijenosa;
    QStringList akcije, stanja;
    float dno = 0, vrh = 0, vrijednost = 0;
    bool vidljiv = false, mjeriVrijeme = false;
    int prikazaPoruka = 0;
};

// The location texts, and the source the window's options would show.
struct LažniIzvor : IIzvor {
    QString Lokacija(int i) const override { return lokacije[i]; }
    void PostaviLokaciju(int i, const QString& t) override { lokacije[i] = t; }
    UpdateLokacija odabrana = UpdateLokacija::InternetPrimarni;
    QString lokacije[2];
};

// Remembers the plan shown and the row states set.
struct LažnaMreža : IMrežaPlana {
    void PrikažiPlan(const QList<RedPlana>& r) override { redovi = r, ++prikaza; }
    void OznačiStanjeReda(const QString& ime, int st) override { stanja.append({ime, st}); }
    void OmogućiAžuriranje(bool o) override { ažuriranjeOmogućeno = o; }
    QList<RedPlana> redovi;
    QList<QPair<QString, int>> stanja;
    int prikaza = 0;
    bool ažuriranjeOmogućeno = false;
};

// For a test that means to start no program and to look for no window: a call fails the
// test and the operation with it, instead of reaching the real system.
struct NepozvaniProcesi : IProcesi {
    bool PokreniIČekaj(const QString& program, const QStringList& argumenti, int, QString* opisGreške,
                       QByteArray*, int*) override {
        ADD_FAILURE() << "The test gave no processes, yet a program was started: " << program.toStdString()
                      << ' ' << argumenti.join(' ').toStdString();
        if (opisGreške) *opisGreške = QStringLiteral("no processes in this test");
        return false;
    }
};
struct NepozvaniProzori : IProzori {
    bool NađiProzor(const QString& klasa, const QString& naslov, bool) override {
        ADD_FAILURE() << "The test gave no window finder, yet a window was looked for: "
                      << (klasa.isEmpty() ? naslov : klasa).toStdString();
        return false;
    }
};

struct LažnaImena : IImena {
    QString KorisničkoIme() const override { return korisnik; }
    QString ImeRačunala() const override { return računalo; }
    QString korisnik = QStringLiteral("TESTER"), računalo = QStringLiteral("RADNA-STANICA");
};

// Settings held in memory under "section/key", for operations that only read a key or two.
struct MemorijskePostavke : IPostavke {
    QString Čitaj(const QString& s, const QString& k, const QString& z) const override {
        return vrijednosti.value(s + '/' + k, z);
    }
    bool Postoji(const QString& s, const QString& k) const override {
        return vrijednosti.contains(s + '/' + k);
    }
    void Snimi(const QString& s, const QString& k, const QString& v) override {
        vrijednosti[s + '/' + k] = v;
    }
    QMap<QString, QString> vrijednosti;
};

} // namespace morvela::test
