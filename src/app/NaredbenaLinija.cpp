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
#include "records/TekstPrijenosa.h"
#include "transfer/HttpPreuzimanje.h"
#include "versions/KontrolnaDatoteka.h"
#include "versions/PravilaVerzija.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

namespace morvela {

namespace {

constexpr int ZadanoČekanjeMinuta = 10;
constexpr qint64 RazmakNapretkaMs = 100;
const QString Razdjelnik = QStringLiteral(" · ");
constexpr qsizetype MinimumImena = 12;

QString BezCrLf(QString tekst) {
    return tekst.replace(CRLF, QStringLiteral("\n"));
}

// Standard output and error. Progress goes to standard error, so that output piped
// to a file or to `tee` keeps it: on a terminal one line that fits its width sits
// below the last printed line and is redrawn in place; everything else is printed above it.
class Ispis {
public:
    Ispis() : m_terminal(JeTerminal(stderr)) {}
    ~Ispis() {
        IspišiZadržanu(false);
        ObrišiNapredak();
    }

    // With --json standard output carries the plan alone.
    void LogNaGreške() { m_log = stderr; }
    void Redak(const QString& tekst) { Piši(stdout, tekst); }
    void Log(const QString& tekst) { Piši(m_log, tekst); }
    void Greška(const QString& tekst) { Piši(stderr, tekst); }
    bool Terminal() const { return m_terminal; }

    // A message nobody answered is held until something else is said: only the last
    // one before a failed run is the failure, and is labelled so.
    void Zadrži(const QString& tekst) {
        IspišiZadržanu(false);
        m_zadržana = tekst;
    }
    void IspišiZadržanu(bool neuspjeh) {
        if (!m_zadržana) return;
        const QString tekst = *std::exchange(m_zadržana, std::nullopt);
        Greška((neuspjeh ? QStringLiteral("Greška: ") : QStringLiteral("Upozorenje: ")) + tekst);
    }

    // At most ten times a second, unless the line says something new. What does not fit
    // the terminal gives way in turn: the part named suvišan (the speed), then the end of
    // the first part (the file's name), so that the numbers stay readable.
    void Napredak(QStringList dijelovi, qsizetype suvišan, qint64 sadaMs, bool odmah) {
        if (!m_terminal || (!odmah && m_prikazan && sadaMs - m_zadnjiMs < RazmakNapretkaMs)) return;
        m_zadnjiMs = sadaMs;
        // A line as wide as the terminal would wrap at its last column on some terminals.
        const int širina = ŠirinaTerminala(stderr);
        const qsizetype stane = (širina > 1 ? širina : 80) - 1;
        const auto Skrati = [](const QString& tekst, qsizetype duljina) {
            return tekst.size() <= duljina ? tekst
                                           : tekst.left(std::max<qsizetype>(0, duljina - 1)) + QChar(0x2026);
        };
        const auto Ostatak = [&] { return dijelovi.join(Razdjelnik).size() - dijelovi[0].size(); };
        if (suvišan > 0 && dijelovi.join(Razdjelnik).size() > stane) dijelovi.removeAt(suvišan);
        dijelovi[0] = Skrati(dijelovi[0], std::max<qsizetype>(stane - Ostatak(), MinimumImena));
        PišiNaKonzolu(stderr, "\r\x1b[K" + Skrati(dijelovi.join(Razdjelnik), stane));
        std::fflush(stderr);
        m_prikazan = true;
    }
    void ObrišiNapredak() {
        if (!m_prikazan) return;
        std::fputs("\r\x1b[K", stderr);
        std::fflush(stderr);
        m_prikazan = false;
    }

private:
    void Piši(std::FILE* tok, const QString& tekst) {
        if (tok == stderr) IspišiZadržanu(false);
        ObrišiNapredak();
        PišiNaKonzolu(tok, BezCrLf(tekst) + QLatin1Char('\n'));
        std::fflush(tok);
    }

    const bool m_terminal;
    std::FILE* m_log = stdout;
    bool m_prikazan = false;
    qint64 m_zadnjiMs = 0;
    std::optional<QString> m_zadržana;
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
            if (ikona == Ikona::Kritična)
                m_ispis.Greška(QStringLiteral("Greška: ") + tekst);
            else
                m_ispis.Zadrži(tekst);
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
        case VrstaPitanja::KopiranjeSvegaNaLokaciju: // only --prvo-punjenje fills one, and asks nothing
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
        while (!PokrenutiProgrami(*k->prozori).isEmpty()) {
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

// The status line as one progress line: file, bytes, speed, time left and which file of
// the plan. Without a terminal, one line for each file when it is done.
class KonzolniStatus : public IStatusLinija {
public:
    // plan: the plan shown by the check, once there is one.
    KonzolniStatus(Ispis& ispis, const ISat& sat, const std::optional<QList<RedPlana>>& plan)
        : m_ispis(ispis), m_sat(sat), m_plan(plan) {}
    ~KonzolniStatus() override { ZavršiDatoteku(); }

    void PrikažiAkciju(const QString& tekst) override {
        ZavršiDatoteku();
        m_akcija = tekst;
        m_stanje.clear();
        m_primljeno = m_ukupno = -1;
        m_početakMs = m_sat.MonotonoMs();
        m_datoteka = BrojDatoteke(tekst);
        if (tekst.isEmpty())
            m_ispis.ObrišiNapredak();
        else
            Osvježi(true);
    }
    void PrikažiStanje(const QString& tekst) override {
        m_stanje = tekst;
        Osvježi(false);
    }
    void NapredakPrijenosa(qint64 primljeno, qint64 ukupno) override {
        m_primljeno = primljeno;
        m_ukupno = ukupno;
        Osvježi(false);
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
    // The place of a fetched or copied archive among this run's files, counted once
    // however often it is tried; 0 for anything else: the lists and the remote-support program.
    int BrojDatoteke(const QString& akcija) {
        static const QStringList Prijenosi{QStringLiteral("Download: "),
                                           QStringLiteral("Kopiranje datoteke: ")};
        static const QStringList IzvanPlana{ImeListeVerzija, ImeListeVerzijaU, ImeManifesta, ImePotpisa,
                                            ImeTeamViewera};
        for (const QString& prijenos : Prijenosi) {
            if (!akcija.startsWith(prijenos)) continue;
            const QString ime = akcija.mid(prijenos.size());
            if (IzvanPlana.contains(ime, Qt::CaseInsensitive)) return 0;
            if (!m_datoteke.contains(ime, Qt::CaseInsensitive)) m_datoteke.append(ime);
            return int(m_datoteke.indexOf(ime)) + 1;
        }
        return 0;
    }

    void ZavršiDatoteku() {
        if (!m_ispis.Terminal() && m_datoteka > 0) m_ispis.Greška(Dijelovi(false).join(Razdjelnik));
        m_datoteka = 0;
    }

    void Osvježi(bool novo) {
        if (m_akcija.isEmpty()) return;
        qsizetype brzina = -1;
        const QStringList dijelovi = Dijelovi(true, &brzina);
        m_ispis.Napredak(dijelovi, brzina, m_sat.MonotonoMs(), novo);
    }

    // brzina receives the index of the speed, when there is one. A finished file's line
    // gives its size and speed; one under way, what is left too.
    QStringList Dijelovi(bool uTijeku, qsizetype* brzina = nullptr) const {
        StanjePrijenosa p;
        // A file of the plan is named alone; the transfer it goes by is in the log.
        p.ime = m_datoteka > 0 ? m_datoteke[m_datoteka - 1] : m_akcija;
        p.primljeno = m_primljeno;
        p.ukupno = uTijeku && m_ukupno > 0 ? m_ukupno : -1;
        const qint64 ms = m_sat.MonotonoMs() - m_početakMs;
        if (ms > 0 && m_primljeno > 0) p.brzina = double(m_primljeno) * 1000.0 / double(ms);
        // The plan's size is known after a check; a distribution run fetches what the location lacks.
        p.redni = m_datoteka;
        p.od = m_datoteka > 0 && m_plan ? int(m_plan->size()) : 0;
        QStringList dijelovi = DijeloviPrijenosa(p, QLocale::system(), brzina);
        // A transport's own percent or state says nothing once the file is done.
        if (m_primljeno < 0 && uTijeku && !m_stanje.isEmpty()) dijelovi.insert(1, m_stanje);
        return dijelovi;
    }

    Ispis& m_ispis;
    const ISat& m_sat;
    const std::optional<QList<RedPlana>>& m_plan;
    QString m_akcija, m_stanje, m_vrijemePrijenosa;
    QStringList m_datoteke;
    int m_datoteka = 0;
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

// The plan printed as a table with its totals, or kept for the JSON printed at the end.
class KonzolnaMreža : public IMrežaPlana {
public:
    KonzolnaMreža(Ispis& ispis, bool json) : m_ispis(ispis), m_json(json) {}

    void PrikažiPlan(const QList<RedPlana>& redovi) override {
        plan = redovi;
        if (m_json) return;
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

    // The last plan shown; none before the check.
    std::optional<QList<RedPlana>> plan;

private:
    Ispis& m_ispis;
    const bool m_json;
};

enum class Operacija { Provjeri, Ažuriraj, NaLokaciju };

struct Naredba {
    Operacija operacija;
    std::optional<UpdateLokacija> izvor;
    QString lokacija;
    int minutaČekanja = ZadanoČekanjeMinuta;
    bool json = false;
    bool prvoPunjenje = false;
};

// One unattended run: the seams of the command line around the real services.
class Nenadzirano {
public:
    explicit Nenadzirano(const Naredba& n, const QString& opis)
        : m_n(n), m_opis(opis), m_poruke(m_ispis, n.minutaČekanja), m_mreža(m_ispis, n.json),
          m_status(m_ispis, m_stvarne.sat, m_mreža.plan),
          m_log(m_stvarne.izvršnaDirektorija, m_poruke, m_stvarne.sat, m_stvarne.datoteke),
          m_k(m_stvarne.Svijet(), m_stanje, m_poruke, m_status, m_izvor, m_mreža, m_log),
          m_http(m_status, m_poruke, m_log, m_stvarne.datoteke, m_stanje.ZadnjaPoruka),
          m_usluge(m_k, m_http) {
        if (n.json) m_ispis.LogNaGreške();
        m_poruke.k = &m_k;
        m_log.PostaviJeku([this](const QString& red) { m_ispis.Log(red); });
        UčitajIzvor();
    }

    int Izvrši() {
        // The log lives there; a distribution run is the first operation that needs it.
        const QString update = UpdateDirektorijaU(m_k.izvršnaDirektorija);
        if (!m_k.datoteke->PostojiDirektorij(update)) m_k.datoteke->KreirajDirektorij(update);
        const DržiBravu brava(m_usluge.brava());
        if (!brava) {
            m_ispis.Greška(QStringLiteral("Upozorenje: ") + TekstDrugeInstance);
            m_k.LogirajGrešku(m_opis + QStringLiteral(" - ") + TekstDrugeInstance);
            return KodZaključano;
        }
        m_k.LogirajGrešku(m_opis + QStringLiteral(" - početak"));
        // An installation cut short earlier is put right first, as the window does at its start.
        ObnoviPrekinutuInstalaciju(m_k);
        const int kod = IzvršiOperaciju();
        m_ispis.IspišiZadržanu(kod == KodNeuspjeh);
        m_k.LogirajGrešku(m_opis + QStringLiteral(" - kraj, izlazni kod %1").arg(kod));
        return kod;
    }

private:
    int IzvršiOperaciju() {
        if (m_n.operacija == Operacija::NaLokaciju) {
            const bool uspjeh = DownloadNaLokaciju(m_k, m_usluge.izvorSeta(), false, m_n.prvoPunjenje);
            m_k.status->ZaustaviVrijemePrijenosa();
            m_k.status->SakrijProgBar();
            if (uspjeh) return KodGotovo;
            const QString L = m_izvor.lokacije[1];
            if (!L.isEmpty() && m_stanje.ZadnjaPoruka == PorukaZauzeteLokacije(SaSeparatorom(L)))
                return KodZaključano;
            // A scheduled run shows nothing and does not log every stop; say at least where it stopped.
            if (L.isEmpty())
                m_ispis.Greška(QStringLiteral("Greška: Nije zadana lokacija za distribuciju "
                                              "(postavka UpdateLokDirMr21 ili --lokacija DIR)."));
            else if (!m_n.prvoPunjenje && m_k.datoteke->PostojiDirektorij(L) &&
                     !m_k.datoteke->PostojiDatoteka(L + ImeListeVerzija))
                m_ispis.Greška(QStringLiteral("Greška: Lokacija ") + L + QStringLiteral(" nema ") +
                               ImeListeVerzija +
                               QStringLiteral(". Ako je prazna jer se tek puni, pokrenite jednom s "
                                              "--prvo-punjenje; ako mrežni disk nije spojen, spojite ga."));
            else
                m_ispis.Greška(QStringLiteral("Greška: Preuzimanje na lokaciju ") + L +
                               QStringLiteral(" nije završeno."));
            return KodNeuspjeh;
        }
        if (!PripremiVerzijaTXT(m_k, m_usluge.izvorSeta())) return KodNeuspjeh;
        const qsizetype planiranih = m_mreža.plan ? m_mreža.plan->size() : 0;
        if (m_n.json)
            m_ispis.Redak(QString::fromUtf8(PlanKaoJson().toJson(QJsonDocument::Indented)).trimmed());
        if (planiranih == 0) return KodGotovo;
        if (m_n.operacija == Operacija::Provjeri) return KodImaNovih;
        bool listaZamijenjena = false;
        if (cmdDownloadAndUpdate_Click(m_k, m_usluge.izvorSeta(), &listaZamijenjena)) {
            if (listaZamijenjena) return KodGotovo;
            // Reported as installed, yet the next check would plan the same files again.
            m_ispis.Greška(QStringLiteral("Greška: ") + ListaNijeZamijenjena);
            return KodNeuspjeh;
        }
        return m_poruke.isteklo ? KodProgramiRade : KodNeuspjeh;
    }

    // For monitoring: each planned file with the version installed now (null when it is new
    // here) and the new one, sizes in bytes as the list gives them, and the totals.
    QJsonDocument PlanKaoJson() const {
        const Matrica& stare = m_stanje.StareVerzije;
        const auto Verzija = [](const Matrica& m, int red) {
            return m.tekst(red, 1) + QLatin1Char('.') + m.tekst(red, 2) + QLatin1Char('.') + m.tekst(red, 3);
        };
        QJsonArray programi;
        qint64 ukupnoDownload = 0, ukupnoStvarno = 0;
        for (const RedPlana& r : m_mreža.plan.value_or(QList<RedPlana>())) {
            const int red = NađiRed(stare, r.ime);
            const QJsonValue instalirana = red >= 0 ? QJsonValue(Verzija(stare, red)) : QJsonValue();
            const qint64 download = VeličinaKao32(r.veličinaDownload),
                         stvarna = VeličinaKao32(r.stvarnaVeličina);
            ukupnoDownload += download;
            ukupnoStvarno += stvarna;
            programi.append(QJsonObject{
                {QStringLiteral("ime"), r.ime},
                {QStringLiteral("instaliranaVerzija"), instalirana},
                {QStringLiteral("novaVerzija"),
                 r.verGl + QLatin1Char('.') + r.verPom + QLatin1Char('.') + r.verRev},
                {QStringLiteral("velicinaDownload"), download},
                {QStringLiteral("stvarnaVelicina"), stvarna},
            });
        }
        return QJsonDocument(QJsonObject{
            {QStringLiteral("programi"), programi},
            {QStringLiteral("ukupno"), QJsonObject{{QStringLiteral("programa"), programi.size()},
                                                   {QStringLiteral("velicinaDownload"), ukupnoDownload},
                                                   {QStringLiteral("stvarnaVelicina"), ukupnoStvarno}}},
        });
    }

    // The same keys the window reads at start-up, where the distribution location it
    // shows is in effect always the one under "UpdateLokDirMr21".
    void UčitajIzvor() {
        const Postavke p = Postavke::Učitaj(*m_k.postavke);
        m_izvor.lokacije[0] = p.mrežnaLokacija;
        m_izvor.lokacije[1] = p.lokacijaDistribucije;
        if (!m_n.lokacija.isEmpty())
            m_izvor.lokacije[m_n.operacija == Operacija::NaLokaciju ? 1 : 0] = m_n.lokacija;
        m_usluge.izvorSeta().Odaberi(m_n.izvor.value_or(p.izvor), m_izvor.lokacije[0]);
    }

    const Naredba m_n;
    const QString m_opis;
    Ispis m_ispis;
    StvarneUsluge m_stvarne;
    KonzolnePoruke m_poruke;
    KonzolniIzvor m_izvor;
    KonzolnaMreža m_mreža;
    StanjeRada m_stanje;
    KonzolniStatus m_status;
    UpdateLog m_log;
    Kontekst m_k;
    HttpPreuzimanje m_http;
    UslugeRada m_usluge;
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

bool MožePrikazatiProzor() {
    return ImaZaslona();
}

int BezZaslona(const char* program) {
    PoveziKonzolu();
    PišiNaKonzolu(stderr, QStringLiteral("Greška: Nema zaslona za prozor programa; za rad bez prozora "
                                         "pogledajte: %1 --help\n")
                              .arg(QString::fromLocal8Bit(program)));
    return KodPogrešnaNaredba;
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
    const QCommandLineOption json(
        QStringLiteral("json"),
        QStringLiteral(
            "Uz --provjeri: plan kao JSON na standardnom izlazu, zapisi loga na standardnoj grešci."));
    const QCommandLineOption prvoPunjenje(
        QStringLiteral("prvo-punjenje"),
        QStringLiteral(
            "Uz --na-lokaciju: smije napuniti lokaciju koja još nema Verzije.txt (prvo punjenje)."));
    parser.addOptions(
        {provjeri, ažuriraj, čekaj, naLokaciju, izvor, lokacija, json, prvoPunjenje, pomoć, inačica});

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

    n.json = parser.isSet(json);
    if (n.json && n.operacija != Operacija::Provjeri)
        return pogrešno(QStringLiteral("--json vrijedi samo uz --provjeri."));
    n.prvoPunjenje = parser.isSet(prvoPunjenje);
    if (n.prvoPunjenje && n.operacija != Operacija::NaLokaciju)
        return pogrešno(QStringLiteral("--prvo-punjenje vrijedi samo uz --na-lokaciju."));

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
