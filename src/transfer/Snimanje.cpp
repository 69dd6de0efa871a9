#include "transfer/Snimanje.h"

#include "transfer/Unzipaj.h"
#include "versions/Plan.h"
#include "versions/PravilaVerzija.h"

namespace morvela {

namespace {

enum StanjeReda { Provjereno = 2 };

// What every source's run shares: the start, unpacking, the check of the
// unpacked files and the end.
class Prijenos : public Izvještaj {
public:
    Prijenos(Kontekst& k, const QString& prefiks) : Izvještaj(k, prefiks), s(*k.stanje) {}

    bool Započni() {
        s.PorukeAkcija.clear();
        s.PorukeGrešaka.clear();
        // A flagged row counts here even without a name; both phases skip it later.
        bool imaPlana = false;
        for (int r = 0; r < Matrica::Redova && !imaPlana; ++r)
            imaPlana = s.NoveVerzije.broj(r, TrebaInstalirati) == 1;
        if (!imaPlana) {
            k.Pokaži(QStringLiteral("Nema novih verzija progama!"), Ikona::Usklicnik);
            return false;
        }
        k.status->PripremiProgBar(0, s.UkupnoZaPrijenos);
        Logiraj(QStringLiteral("Početak"));
        return true;
    }

    // An archive cut off for being larger than the list allows is a file of the wrong size.
    bool PrevelikaArhiva(const PlaniraniRed& red, qint64 veličina) {
        return Prekini(
            UsporediVeličinu(veličina, ImeArhive(red.ime), s.NoveVerzije.tekst(red.red, VeličinaDownload))
                    .opis +
                VeličineNisuIste + PrekidaSeAžuriranje,
            true);
    }

    bool Raspakiraj(const PlaniraniRed& red) {
        // The plan total counts only rows planned as newer, so the sum may pass
        // the maximum; the bar then keeps its value.
        k.status->PostaviVrijednostProgBara(
            k.status->VrijednostProgBara() +
            float(BrojčanaVrijednost(s.NoveVerzije.tekst(red.red, VeličinaDownload))));
        OznačiStanjeReda(k, red.ime, Provjereno);
        if (!Unzipaj(UslugeRaspakiravanja::Iz(k), red.ime)) {
            k.Pokaži(QStringLiteral("Desila se greška: ") + s.ZadnjaPoruka + PrekidaSeAžuriranje,
                     Ikona::Usklicnik);
            return false;
        }
        return true;
    }

    // 7-Zip may still be writing when the last archive is done, so missing
    // files get two short waits each, capped at four for the whole run.
    bool ProvjeriRaspakirane(bool čekajPrazne) {
        k.status->SakrijProgBar();
        int čekanja = 0;
        Logiraj(QStringLiteral("Početak provjere veličine datoteka"));
        for (const PlaniraniRed& p : PlaniraniRedovi(s.NoveVerzije)) {
            const QString& ime = p.ime;
            const QString put = s.UpdateDirektorija + ime;
            k.PrikažiAkciju(QStringLiteral("Provjera veličine datoteka ..."));
            for (const QString& poruka : {QStringLiteral("Nema fajla, moram čekati 5 s "),
                                          QStringLiteral("Nema fajla, moram čekati još 5 s ")}) {
                if (k.datoteke->PostojiDatoteka(put)) break;
                Logiraj(poruka + ime);
                k.PrikažiAkciju(QStringLiteral("Čekanje na raspakiravanje ..."));
                if (čekanja <= 3) k.Pričekaj(5);
                ++čekanja;
            }
            if (!k.datoteke->PostojiDatoteka(put))
                return Prekini(QStringLiteral("Nije nađena datoteka: ") + put +
                                   QStringLiteral(", a trebala bi postojati.") + PrekidaSeAžuriranje,
                               false);
            if (!ProvjeriVeličinu(put, ime, s.NoveVerzije.tekst(p.red, StvarnaVeličina),
                                  QStringLiteral("Greška u provjeri veličine datoteke "), čekajPrazne))
                return false;
        }
        return true;
    }

    bool Završi() {
        k.status->PrikažiPoruke(s.PorukeAkcija, s.PorukeGrešaka);
        k.PrikažiAkciju(QString());
        return true;
    }

private:
    StanjeRada& s;
};

} // namespace

bool SnimitiSaIzvora(Kontekst& k, IzvorSeta& izvor) {
    MjestoSeta& mjesto = izvor.Mjesto();
    Prijenos p(k, mjesto.ImeSnimanja() + QStringLiteral(" - "));
    PrekidMoguć prekidMoguć(k);
    // Every archive is checked against the set the check accepted, or nothing is fetched.
    if (!p.Započni() || !izvor.PripremiPotpis(p)) return false;
    // 7-Zip is not ended halfway: a stop takes effect once the current archive is unpacked.
    const QList<PlaniraniRed> redovi = PlaniraniRedovi(k.stanje->NoveVerzije);
    for (qsizetype i = 0; i < redovi.size(); ++i) {
        const PlaniraniRed& red = redovi[i];
        if (p.Prekinut()) return false;
        k.status->PočniDatoteku(ImeArhive(red.ime), int(i + 1), int(redovi.size()));
        if (!izvor.DonesiArhivu(p, red)) {
            if (p.Prekinut()) return false;
            if (mjesto.PrekoGranice() >= 0) p.PrevelikaArhiva(red, mjesto.PrekoGranice());
            return false;
        }
        if (p.Prekinut() || !p.Raspakiraj(red)) return false;
    }
    k.PrikažiAkciju(QStringLiteral("Čekanje da se sve raspakira ..."));
    mjesto.PrijeProvjere(p);
    prekidMoguć.Zatvori();
    if (p.Prekinut()) return false;
    if (!p.ProvjeriRaspakirane(mjesto.ČekajPrazne()) || !mjesto.Dovrši(p)) return false;
    return p.Završi();
}

} // namespace morvela
