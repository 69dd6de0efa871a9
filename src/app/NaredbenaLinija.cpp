#include "app/NaredbenaLinija.h"

#include "app/Usluge.h"
#include "distribution/DownloadNaLokaciju.h"
#include "install/DnevnikInstalacije.h"
#include "install/TekstoviInstalacije.h"
#include "install/UpdateCommand.h"
#include "install/modAppJeStartana.h"
#include "platform/Konzola.h"
#include "platform/Postavke.h"
#include "platform/Sat.h"
#include "versions/KontrolnaDatoteka.h"
#include "versions/PravilaVerzija.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace morvela {

namespace {

constexpr int ZadanoČekanjeMinuta = 10;
constexpr qint64 RazmakNapretkaMs = 100;

QString BezCrLf(QString tekst) {
    return tekst.replace(CRLF, QStringLiteral("\n"));
}

// Standard output and error. On a terminal one progress line sits below the
// last printed line and is redrawn in place; everything else is printed above it.
class Ispis {
public:
    Ispis() : m_terminal(JeTerminal(stdout)) {}
    ~Ispis() { ObrišiNapredak(); }

    void Redak(const QString& tekst) { Piši(stdout, tekst); }
    void Greška(const QString& tekst) { Piši(stderr, tekst); }

    // At most ten times a second, and only for a person at a terminal.
    void Napredak(const QString& tekst, qint64 sadaMs) {
        if (!m_terminal || (m_prikazan && sadaMs - m_zadnjiMs < RazmakNapretkaMs)) return;
        m_zadnjiMs = sadaMs;
        PišiNaKonzolu(stdout, "\r\x1b[K" + tekst);
        std::fflush(stdout);
        m_prikazan = true;
    }
    void ObrišiNapredak() {
        if (!m_prikazan) return;
        std::fputs("\r\x1b[K", stdout);
        std::fflush(stdout);
        m_prikazan = false;
    }

private:
    void Piši(std::FILE* tok, const QString& tekst) {
        ObrišiNapredak();
        PišiNaKonzolu(tok, BezCrLf(tekst) + QLatin1Char('\n'));
        std::fflush(tok);
    }

    const bool m_terminal;
    bool m_prikazan = false;
    qint64 m_zadnjiMs = 0;
};

// Message boxes become lines on standard error with their kind. Nobody reads the
// questions: each is answered by what it asks. The installation is confirmed, a
// failed file is not retried (so the rollback runs), and open programs of the
// suite are waited for up to a limit.
class KonzolnePoruke : public IPoruke {
public:
    KonzolnePoruke(Ispis& ispis, int minutaČekanja) : m_ispis(ispis), m_minutaČekanja(minutaČekanja) {}

    Odgovor Pokaži(const QString& tekst, Ikona ikona, Gumbi gumbi, VrstaPitanja vrsta,
                   const QString&) override {
        if (gumbi == Gumbi::URedu) {
            m_ispis.Greška(
                (ikona == Ikona::Kritična ? QStringLiteral("Greška: ") : QStringLiteral("Upozorenje: ")) +
                tekst);
            return Odgovor::URedu;
        }
        const Odgovor odgovor = Odgovori(vrsta);
        m_ispis.Greška(QStringLiteral("Pitanje: ") + tekst + QStringLiteral(" (odgovor: ") +
                       (odgovor == Odgovor::Da ? QStringLiteral("Da") : QStringLiteral("Ne")) +
                       QLatin1Char(')'));
        return odgovor;
    }

    // Set once the context exists; the wait asks the window finder through it.
    Kontekst* k = nullptr;
    // The suite's programs were still open when the time ran out.
    bool isteklo = false;

private:
    Odgovor Odgovori(VrstaPitanja vrsta) {
        switch (vrsta) {
        case VrstaPitanja::PotvrdaInstalacije:
            return Odgovor::Da;
        case VrstaPitanja::ZatvaranjePrograma:
            // Asked once for the open programs: checked again after the wait (Yes), or given up (No).
            return PričekajZatvaranje() ? Odgovor::Da : (isteklo = true, Odgovor::Ne);
        case VrstaPitanja::PrekidAžuriranja:
            // Giving up is only offered here once the wait is over.
            return Odgovor::Da;
        case VrstaPitanja::PonovniPokušajDatoteke:   // the rollback runs instead
        case VrstaPitanja::KopiranjeSvegaNaLokaciju: // a scheduled run never fills a location
        case VrstaPitanja::PrekidPrijenosa:          // no window to close
        case VrstaPitanja::Obavijest:
            break;
        }
        return Odgovor::Ne;
    }

    // True as soon as no program of the suite runs, false when the time is up first.
    bool PričekajZatvaranje() {
        ISat& sat = *k->sat;
        if (!m_rokMs) m_rokMs = sat.MonotonoMs() + qint64(m_minutaČekanja) * 60000;
        k->PrikažiAkciju(QStringLiteral("Čekanje da se zatvore programi paketa (najviše %1 min) ...")
                             .arg(m_minutaČekanja));
        while (!PokrenutiProgrami(*k).isEmpty()) {
            const qint64 preostalo = *m_rokMs - sat.MonotonoMs();
            if (preostalo <= 0) return false;
            sat.Pričekaj(qint16(std::clamp<qint64>((preostalo + 999) / 1000, 1, 5)));
        }
        return true;
    }

    Ispis& m_ispis;
    const int m_minutaČekanja;
    std::optional<qint64> m_rokMs;
};

// The status line as one progress line: file, bytes, percent and speed.
class KonzolniStatus : public IStatusLinija {
public:
    KonzolniStatus(Ispis& ispis, const ISat& sat) : m_ispis(ispis), m_sat(sat) {}

    void PrikažiAkciju(const QString& tekst) override {
        m_akcija = tekst;
        m_stanje.clear();
        m_primljeno = m_ukupno = -1;
        m_početakMs = m_sat.MonotonoMs();
        if (tekst.isEmpty())
            m_ispis.ObrišiNapredak();
        else
            Osvježi();
    }
    void PrikažiStanje(const QString& tekst) override {
        m_stanje = tekst;
        Osvježi();
    }
    void NapredakPrijenosa(qint64 primljeno, qint64 ukupno) override {
        m_primljeno = primljeno;
        m_ukupno = ukupno;
        Osvježi();
    }
    void PripremiProgBar(qint32 minimum, qint32 maksimum) override {
        m_dno = float(minimum), m_vrh = float(maksimum), m_vrijednost = 0, m_vidljiv = true;
    }
    float VrijednostProgBara() const override { return m_vrijednost; }
    float MaksimumProgBara() const override { return m_vrh; }
    void PostaviVrijednostProgBara(float v) override {
        if (v >= m_dno && v <= m_vrh) m_vrijednost = v;
    }
    void SakrijProgBar() override { m_vidljiv = false; }
    bool ProgBarVidljiv() const override { return m_vidljiv; }
    // What the window's message tabs would show is already in the log or on standard error.
    void PrikažiPoruke(const QString&, const QString&) override {}
    void PokreniVrijemePrijenosa() override {}
    void ZaustaviVrijemePrijenosa() override {}
    void PostaviTekstVremenaPrijenosa(const QString& tekst) override { m_vrijemePrijenosa = tekst; }
    QString TekstVremenaPrijenosa() const override { return m_vrijemePrijenosa; }
    void ObradiDogađaje() override { QCoreApplication::processEvents(); }

private:
    void Osvježi() {
        if (m_akcija.isEmpty()) return;
        QString red = m_akcija;
        if (m_primljeno >= 0) {
            const QLocale l = QLocale::system();
            red += QStringLiteral("  ") + l.toString(m_primljeno);
            if (m_ukupno > 0)
                red += QStringLiteral(" / ") + l.toString(m_ukupno) + QStringLiteral(" B  ") +
                       QString::number(m_primljeno * 100 / m_ukupno) + QLatin1Char('%');
            else
                red += QStringLiteral(" B");
            const qint64 ms = std::max<qint64>(1, m_sat.MonotonoMs() - m_početakMs);
            red += QStringLiteral("  ") +
                   l.toString(double(m_primljeno) / 1024.0 * 1000.0 / double(ms), 'f', 0) +
                   QStringLiteral(" kB/s");
        } else if (!m_stanje.isEmpty()) {
            red += QStringLiteral("  ") + m_stanje;
        }
        m_ispis.Napredak(red, m_sat.MonotonoMs());
    }

    Ispis& m_ispis;
    const ISat& m_sat;
    QString m_akcija, m_stanje, m_vrijemePrijenosa;
    qint64 m_primljeno = -1, m_ukupno = -1, m_početakMs = 0;
    float m_dno = 0, m_vrh = 0, m_vrijednost = 0;
    bool m_vidljiv = false;
};

// The locations from the window's settings, with this run's override; nothing is ever saved.
class KonzolniIzvor : public IIzvor {
public:
    QString Lokacija(int indeks) const override { return lokacije[indeks]; }
    void PostaviLokaciju(int indeks, const QString& tekst) override { lokacije[indeks] = tekst; }

    QString lokacije[2];
};

// The plan printed as a table with its totals.
class KonzolnaMreža : public IMrežaPlana {
public:
    explicit KonzolnaMreža(Ispis& ispis) : m_ispis(ispis) {}

    void PrikažiPlan(const QList<RedPlana>& redovi) override {
        planiranih = int(redovi.size());
        const QLocale l = QLocale::system();
        const auto veličina = [&](const QString& polje) { return l.toString(qint64(VeličinaKao32(polje))); };
        QList<QStringList> tablica{{QStringLiteral("Ime programa/komponente"), QStringLiteral("Verzija"),
                                    QStringLiteral("VeličinaDownload"), QStringLiteral("StvarnaVeličina")}};
        qint64 ukupnoDownload = 0, ukupnoStvarno = 0;
        for (const RedPlana& r : redovi) {
            tablica.append({r.ime, r.verGl + QLatin1Char('.') + r.verPom + QLatin1Char('.') + r.verRev,
                            veličina(r.veličinaDownload), veličina(r.stvarnaVeličina)});
            ukupnoDownload += VeličinaKao32(r.veličinaDownload);
            ukupnoStvarno += VeličinaKao32(r.stvarnaVeličina);
        }
        tablica.append(
            {QStringLiteral("UKUPNO: "), QString(), l.toString(ukupnoDownload), l.toString(ukupnoStvarno)});
        int širine[4] = {};
        for (const QStringList& red : tablica)
            for (int i = 0; i < 4; ++i)
                širine[i] = std::max(širine[i], int(red[i].size()));
        for (const QStringList& red : tablica)
            m_ispis.Redak(red[0].leftJustified(širine[0]) + QStringLiteral("  ") +
                          red[1].leftJustified(širine[1]) + QStringLiteral("  ") +
                          red[2].rightJustified(širine[2]) + QStringLiteral("  ") +
                          red[3].rightJustified(širine[3]));
    }
    void OznačiStanjeReda(const QString&, int) override {}
    void OmogućiAžuriranje(bool) override {}

    // Rows of the last plan shown; -1 before any.
    int planiranih = -1;

private:
    Ispis& m_ispis;
};

enum class Operacija { Provjeri, Ažuriraj, NaLokaciju };

struct Naredba {
    Operacija operacija;
    std::optional<UpdateLokacija> izvor;
    QString lokacija;
    int minutaČekanja = ZadanoČekanjeMinuta;
};

// One unattended run: the seams of the command line around the real services.
class Nenadzirano {
public:
    explicit Nenadzirano(const Naredba& n, const QString& opis)
        : m_n(n), m_opis(opis), m_poruke(m_ispis, n.minutaČekanja), m_mreža(m_ispis) {
        m_k.poruke = &m_poruke;
        m_k.stanje = &m_stanje;
        m_k.izvor = &m_izvor;
        m_k.mreža = &m_mreža;
        m_k.sat = &m_sat;
        m_status = std::make_unique<KonzolniStatus>(m_ispis, m_sat);
        m_k.status = m_status.get();
        m_usluge = std::make_unique<StvarneUsluge>(m_k);
        m_poruke.k = &m_k;
        m_k.log->PostaviJeku([this](const QString& red) { m_ispis.Redak(red); });
        UčitajIzvor();
    }

    int Izvrši() {
        // The log lives there; a distribution run is the first operation that needs it.
        const QString update = UpdateDirektorijaU(m_k.izvršnaDirektorija);
        if (!m_k.datoteke->PostojiDirektorij(update)) m_k.datoteke->KreirajDirektorij(update);
        const DržiBravu brava(m_usluge->brava());
        if (!brava) {
            m_ispis.Greška(QStringLiteral("Upozorenje: ") + TekstDrugeInstance);
            m_k.LogirajGrešku(m_opis + QStringLiteral(" - ") + TekstDrugeInstance);
            return KodZaključano;
        }
        m_k.LogirajGrešku(m_opis + QStringLiteral(" - početak"));
        // An installation cut short earlier is put right first, as the window does at its start.
        ObnoviPrekinutuInstalaciju(m_k);
        const int kod = IzvršiOperaciju();
        m_k.LogirajGrešku(m_opis + QStringLiteral(" - kraj, izlazni kod %1").arg(kod));
        return kod;
    }

private:
    int IzvršiOperaciju() {
        if (m_n.operacija == Operacija::NaLokaciju) {
            const bool uspjeh = DownloadNaLokaciju(m_k, m_usluge->izvorSeta(), false);
            m_k.status->ZaustaviVrijemePrijenosa();
            m_k.status->SakrijProgBar();
            if (uspjeh) return KodGotovo;
            const QString L = m_izvor.lokacije[1];
            if (!L.isEmpty() && m_stanje.ZadnjaPoruka == PorukaZauzeteLokacije(SaSeparatorom(L)))
                return KodZaključano;
            // A scheduled run shows nothing and does not log every stop; say at least where it stopped.
            m_ispis.Greška(L.isEmpty() ? QStringLiteral("Greška: Nije zadana lokacija za distribuciju "
                                                        "(postavka UpdateLokDirMr21 ili --lokacija DIR).")
                                       : QStringLiteral("Greška: Preuzimanje na lokaciju ") + L +
                                             QStringLiteral(" nije završeno."));
            return KodNeuspjeh;
        }
        if (!PripremiVerzijaTXT(m_k, m_usluge->izvorSeta())) return KodNeuspjeh;
        if (m_mreža.planiranih <= 0) return KodGotovo;
        if (m_n.operacija == Operacija::Provjeri) return KodImaNovih;
        bool listaZamijenjena = false;
        if (cmdDownloadAndUpdate_Click(m_k, m_usluge->izvorSeta(), &listaZamijenjena)) {
            if (listaZamijenjena) return KodGotovo;
            // Reported as installed, yet the next check would plan the same files again.
            m_ispis.Greška(QStringLiteral("Greška: ") + ListaNijeZamijenjena);
            return KodNeuspjeh;
        }
        return m_poruke.isteklo ? KodProgramiRade : KodNeuspjeh;
    }

    // The same keys the window reads at start-up, where the distribution location it
    // shows is in effect always the one under "UpdateLokDirMr21".
    void UčitajIzvor() {
        const Postavke p = Postavke::Učitaj(*m_k.postavke);
        m_izvor.lokacije[0] = p.mrežnaLokacija;
        m_izvor.lokacije[1] = p.lokacijaDistribucije;
        if (!m_n.lokacija.isEmpty())
            m_izvor.lokacije[m_n.operacija == Operacija::NaLokaciju ? 1 : 0] = m_n.lokacija;
        m_usluge->izvorSeta().Odaberi(m_n.izvor.value_or(p.izvor), m_izvor.lokacije[0]);
    }

    const Naredba m_n;
    const QString m_opis;
    Ispis m_ispis;
    StvarniSat m_sat;
    KonzolnePoruke m_poruke;
    KonzolniIzvor m_izvor;
    KonzolnaMreža m_mreža;
    StanjeRada m_stanje;
    Kontekst m_k;
    std::unique_ptr<StvarneUsluge> m_usluge;
    std::unique_ptr<KonzolniStatus> m_status;
};

const QString OpisPrograma =
    QStringLiteral("Automatsko ažuriranje Mor-vela programa bez prozora (cron, systemd, Planer zadataka).\n"
                   "Bez argumenata program otvara svoj prozor. Izvor i lokacije su iz postavki prozora;\n"
                   "--izvor i --lokacija vrijede samo za to pokretanje i ne snimaju se.\n"
                   "\n"
                   "Izlazni kodovi:\n"
                   "  0   gotovo, ili nema se što raditi\n"
                   "  10  (--provjeri) postoje nove verzije\n"
                   "  1   operacija nije uspjela (poruka je zapisana u Update.log)\n"
                   "  2   pogrešna naredbena linija\n"
                   "  3   druga operacija drži zaključavanje (radi druga instanca programa)\n"
                   "  4   programi paketa i dalje rade nakon čekanja");

} // namespace

bool TražiNaredbenuLiniju(int argc) {
    return argc > 1;
}

int IzvršiNaredbenuLiniju(const QStringList& argumenti) {
    PoveziKonzolu();
    // Qt's own parser texts in Croatian, as the window's buttons are.
    QTranslator prijevod;
    if (prijevod.load(QStringLiteral("qtbase_hr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&prijevod);
    Ispis ispis;

    QCommandLineParser parser;
    parser.setApplicationDescription(OpisPrograma);
    const QCommandLineOption pomoć({QStringLiteral("h"), QStringLiteral("help")},
                                   QStringLiteral("Prikazuje ovu pomoć."));
    const QCommandLineOption inačica({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Prikazuje inačicu programa."));
    const QCommandLineOption provjeri(
        QStringLiteral("provjeri"),
        QStringLiteral("Provjerava postoje li nove verzije i ispisuje plan ažuriranja."));
    const QCommandLineOption ažuriraj(
        QStringLiteral("azuriraj"),
        QStringLiteral("Provjerava, preuzima i instalira nove verzije bez pitanja."));
    const QCommandLineOption čekaj(
        QStringLiteral("cekaj"),
        QStringLiteral("Uz --azuriraj: koliko minuta čekati da se zatvore programi paketa (zadano %1).")
            .arg(ZadanoČekanjeMinuta),
        QStringLiteral("MINUTA"));
    const QCommandLineOption naLokaciju(
        QStringLiteral("na-lokaciju"),
        QStringLiteral("Preuzima nove verzije na lokaciju za distribuciju u mreži."));
    const QCommandLineOption izvor(QStringLiteral("izvor"),
                                   QStringLiteral("Izvor novih verzija: primarni, sekundarni ili mreza."),
                                   QStringLiteral("IZVOR"));
    const QCommandLineOption lokacija(
        QStringLiteral("lokacija"),
        QStringLiteral("Uz --na-lokaciju lokacija za distribuciju, inače mrežna lokacija izvora mreza."),
        QStringLiteral("DIR"));
    parser.addOptions({provjeri, ažuriraj, čekaj, naLokaciju, izvor, lokacija, pomoć, inačica});

    const auto pogrešno = [&](const QString& razlog) {
        ispis.Greška(QStringLiteral("Greška: ") + razlog + QLatin1Char('\n'));
        ispis.Greška(parser.helpText().trimmed());
        return int(KodPogrešnaNaredba);
    };
    if (!parser.parse(argumenti)) return pogrešno(parser.errorText());
    if (parser.isSet(pomoć)) {
        ispis.Redak(parser.helpText().trimmed());
        return KodGotovo;
    }
    if (parser.isSet(inačica)) {
        ispis.Redak(NaslovAplikacije + QStringLiteral(" %1.%2.%3.%4")
                                           .arg(MORVELA_VERSION_MAJOR)
                                           .arg(MORVELA_VERSION_MINOR)
                                           .arg(MORVELA_VERSION_PATCH)
                                           .arg(MORVELA_VERSION_TWEAK));
        return KodGotovo;
    }
    if (!parser.positionalArguments().isEmpty())
        return pogrešno(QStringLiteral("Neočekivani argument: ") + parser.positionalArguments().constFirst());

    const QList<std::pair<const QCommandLineOption*, Operacija>> operacije{
        {&provjeri, Operacija::Provjeri},
        {&ažuriraj, Operacija::Ažuriraj},
        {&naLokaciju, Operacija::NaLokaciju}};
    Naredba n{};
    int odabranih = 0;
    for (const auto& [opcija, operacija] : operacije)
        if (parser.isSet(*opcija)) n.operacija = operacija, ++odabranih;
    if (odabranih != 1)
        return pogrešno(
            QStringLiteral("Zadajte točno jednu od opcija --provjeri, --azuriraj i --na-lokaciju."));

    if (parser.isSet(izvor)) {
        const QString ime = parser.value(izvor);
        if (ime == QLatin1String("primarni"))
            n.izvor = UpdateLokacija::InternetPrimarni;
        else if (ime == QLatin1String("sekundarni"))
            n.izvor = UpdateLokacija::InternetSekundarni;
        else if (ime == QLatin1String("mreza") || ime == QStringLiteral("mreža"))
            n.izvor = UpdateLokacija::MrežnaLokacija;
        else
            return pogrešno(QStringLiteral("Nepoznat izvor: ") + ime);
    }
    if (parser.isSet(čekaj)) {
        bool broj = false;
        n.minutaČekanja = parser.value(čekaj).toInt(&broj);
        if (!broj || n.minutaČekanja < 0 || n.minutaČekanja > 24 * 60)
            return pogrešno(QStringLiteral("--cekaj traži broj minuta od 0 do 1440, a ne: ") +
                            parser.value(čekaj));
    }
    if (parser.isSet(lokacija)) {
        const QString dir = parser.value(lokacija);
        if (dir.isEmpty()) return pogrešno(QStringLiteral("--lokacija traži direktoriju."));
        n.lokacija = SaSeparatorom(QDir::toNativeSeparators(QDir(dir).absolutePath()));
    }

    QStringList opis{NaslovAplikacije};
    opis += argumenti.mid(1);
    return Nenadzirano(n, opis.join(QLatin1Char(' '))).Izvrši();
}

} // namespace morvela
