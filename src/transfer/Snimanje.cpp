#include "transfer/Snimanje.h"

#include "transfer/Unzipaj.h"
#include "versions/Plan.h"
#include "versions/PravilaVerzija.h"

namespace morvela {

namespace {

const QString PrekidaSe = QStringLiteral(" Prekida se ažuriranje!");

enum StanjeReda { Preuzimanje = 1, Provjereno = 2, Kopiranje = 4 };

// What the internet download and the network copy share: the start, the
// archive check and unpacking, the check of the unpacked files and the end.
// Every log line of a run carries the run's own prefix.
class Prijenos {
public:
    Prijenos(Kontekst& k, QString prefiks) : k(k), s(*k.stanje), prefiks(std::move(prefiks)) {}

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

    void Logiraj(const QString& tekst) const { k.LogirajGrešku(prefiks + tekst); }

    // Ends the run: the text goes to the last message, the log, the error
    // messages and, when asked, a message box.
    bool Prekini(const QString& poruka, bool sOkvirom) {
        s.ZadnjaPoruka = poruka;
        Logiraj(poruka);
        s.PorukeGrešaka += CRLF + poruka;
        if (sOkvirom) k.Pokaži(poruka, Ikona::Usklicnik);
        return false;
    }

    bool ProvjeriArhivuIRaspakiraj(int red) {
        const Matrica& m = s.NoveVerzije;
        const QString ime = m.tekst(red, Ime);
        const QString imeArhive = ImeArhive(ime);
        if (!ProvjeriVeličinu(s.UpdateDirektorija + imeArhive, imeArhive, m.tekst(red, VeličinaDownload),
                              GreškaVeličineArhive, false))
            return false;
        // The plan total counts only rows planned as newer, so the sum may pass
        // the maximum; the bar then keeps its value.
        k.status->PostaviVrijednostProgBara(k.status->VrijednostProgBara() +
                                            float(BrojčanaVrijednost(m.tekst(red, VeličinaDownload))));
        OznačiStanjeReda(k, ime, Provjereno);
        if (!Unzipaj(k, ime)) {
            k.Pokaži(QStringLiteral("Desila se greška: ") + s.ZadnjaPoruka + PrekidaSe, Ikona::Usklicnik);
            return false;
        }
        return true;
    }

    // 7-Zip may still be writing when the last archive is done, so missing
    // files get two short waits each, capped at four for the whole run. A
    // network copy also waits twice for a file that is still empty.
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
                                   QStringLiteral(", a trebala bi postojati.") + PrekidaSe,
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

    Kontekst& k;
    StanjeRada& s;

private:
    bool ProvjeriVeličinu(const QString& put, const QString& ime, const QString& najava,
                          const QString& greškaČitanja, bool čekajPrazne) {
        qint64 veličina = 0;
        bool pročitano = k.datoteke->Veličina(put, veličina).uspjeh();
        for (int i = 0; i < 2 && pročitano && čekajPrazne && veličina == 0; ++i) {
            k.Pričekaj(5);
            pročitano = k.datoteke->Veličina(put, veličina).uspjeh();
        }
        if (!pročitano) return Prekini(greškaČitanja + ime + QStringLiteral(".") + PrekidaSe, true);

        const ProvjeraVeličine provjera = UsporediVeličinu(veličina, ime, najava);
        if (!provjera.ista) return Prekini(provjera.opis + VeličineNisuIste + PrekidaSe, true);
        s.ZadnjaPoruka = provjera.opis + QStringLiteral(". OK.");
        Logiraj(s.ZadnjaPoruka);
        return true;
    }

    QString prefiks;
};

bool PreuzmiArhivu(Prijenos& p, const QString& ime) {
    Kontekst& k = p.k;
    StanjeRada& s = p.s;
    const QString imeArhive = ImeArhive(ime);
    const QString arhiva = s.UpdateDirektorija + imeArhive;
    p.Logiraj(QStringLiteral("Provjera postojanja fajla ") + imeArhive);
    if (k.datoteke->PostojiDatoteka(arhiva)) {
        // A leftover from an earlier run must not pass for a fresh download.
        s.ZadnjaPoruka =
            QStringLiteral("Nađena 7z datoteka: ") + arhiva + QStringLiteral(" pa je treba obrisati!");
        p.Logiraj(s.ZadnjaPoruka);
        if (const GreškaDatoteke g = k.datoteke->Obriši(arhiva, true)) {
            s.ZadnjaPoruka = QStringLiteral("Nije uspješno izbrisana 7z datoteka: ") + arhiva +
                             QStringLiteral(" pa je to problem: ") + g.opis;
            p.Logiraj(s.ZadnjaPoruka);
        }
    }
    p.Logiraj(QStringLiteral("Početak skidanja ") + imeArhive);
    OznačiStanjeReda(k, ime, Preuzimanje);
    // The fetch has logged and reported its own failure.
    if (!k.preuzimanje->DownloadDatoteke(imeArhive, s.UpdateDirektorija)) return false;
    if (!k.datoteke->PostojiDatoteka(arhiva))
        return p.Prekini(QStringLiteral("Nije nađena 7z datoteka: ") + arhiva +
                             QStringLiteral(" pa je nije moguće instalirati.") + PrekidaSe,
                         false);
    return true;
}

// Copies over whatever an earlier run left in the update directory.
bool KopirajSaLokacije(Prijenos& p, const QString& imeDatoteke) {
    StanjeRada& s = p.s;
    if (p.k.datoteke->Kopiraj(p.k.izvor->Lokacija(0) + imeDatoteke, s.UpdateDirektorija + imeDatoteke, false))
        return p.Prekini(
            QStringLiteral("Greška u kopiranju ") + imeDatoteke + QStringLiteral(".") + PrekidaSe, true);
    s.PorukeAkcija += CRLF + QStringLiteral("Kopirano ") + imeDatoteke;
    return true;
}

bool KopirajArhivu(Prijenos& p, const QString& ime) {
    Kontekst& k = p.k;
    const QString imeArhive = ImeArhive(ime);
    OznačiStanjeReda(k, ime, Kopiranje);
    const QString izvor = k.izvor->Lokacija(0) + imeArhive;
    if (!k.datoteke->PostojiDatoteka(izvor))
        return p.Prekini(QStringLiteral("Nije nađena 7z datoteka: ") + izvor +
                             QStringLiteral(" pa je nije moguće instalirati.") + PrekidaSe,
                         false);
    p.Logiraj(QStringLiteral("Početak kopiranja ") + imeArhive);
    k.PrikažiAkciju(QStringLiteral("Kopiranje datoteke: ") + imeArhive);
    return KopirajSaLokacije(p, imeArhive);
}

using DohvatArhive = bool (*)(Prijenos&, const QString&);

bool DohvatiSveArhive(Prijenos& p, DohvatArhive dohvati) {
    for (const PlaniraniRed& red : PlaniraniRedovi(p.s.NoveVerzije))
        if (!dohvati(p, red.ime) || !p.ProvjeriArhivuIRaspakiraj(red.red)) return false;
    p.k.PrikažiAkciju(QStringLiteral("Čekanje da se sve raspakira ..."));
    return true;
}

} // namespace

bool SnimitiSaInterneta(Kontekst& k) {
    Prijenos p(k, QStringLiteral("SnimitiSaInterneta - "));
    if (!p.Započni() || !DohvatiSveArhive(p, PreuzmiArhivu)) return false;
    k.Pričekaj(5);
    if (!p.ProvjeriRaspakirane(false)) return false;
    return p.Završi();
}

bool SnimitiSaMrežneLokacije(Kontekst& k) {
    Prijenos p(k, QStringLiteral("SnimitiSaMrežneLokacije - "));
    if (!p.Započni() || !DohvatiSveArhive(p, KopirajArhivu) || !p.ProvjeriRaspakirane(true)) return false;
    if (!KopirajSaLokacije(p, ImeListeVerzija)) return false;
    k.Pričekaj(5);
    return p.Završi();
}

} // namespace morvela
