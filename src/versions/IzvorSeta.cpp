#include "versions/IzvorSeta.h"

#include "versions/Plan.h"

#include <QFile>

#include <algorithm>

namespace morvela {

namespace {

const QString NemaPodataka = QStringLiteral("Podaci o novim verzijama na postoje na lokaciji: ");

constexpr qint64 MiB = 1024 * 1024;
// A file the list does not name (the remote-support program) may be this large.
constexpr qint64 GranicaNepopisane = 256 * MiB;

enum StanjeReda { Preuzimanje = 1, Kopiranje = 4 };

// The most a transfer of this file may bring: what the new list says of its
// archive plus 1 MiB of slack, 1 MiB for a list. Anything more is not the file
// the list speaks of, and is not written to the end before the size check.
qint64 GranicaVeličine(const Matrica& nove, const QString& imeDatoteke) {
    if (imeDatoteke == ImeListeVerzija || imeDatoteke == ImeListeVerzijaU || imeDatoteke == ImeManifesta)
        return MiB;
    if (imeDatoteke == ImePotpisa) return NajvišePotpisa;
    for (int red = 0; red < Matrica::Redova; ++red)
        if (nove.koristi(red) && ImeArhive(nove.tekst(red, Ime)) == imeDatoteke)
            return qint64(std::max(0.0, BrojčanaVrijednost(nove.tekst(red, VeličinaDownload)))) + MiB;
    return GranicaNepopisane;
}

// A company that inspects TLS names its own CA here; it is trusted besides the system's.
QByteArray DodatniCertifikati(const QString& put) {
    QFile datoteka(put);
    if (put.isEmpty() || !datoteka.open(QIODevice::ReadOnly)) return QByteArray();
    return datoteka.readAll();
}

const QString PrefiksPotpisa = QStringLiteral("ProvjeraPotpisa- ");

// The key built into the program and the one the settings may add.
void PročitajKljučeve(const Postavke& postavke, QList<JavniKljuč>& ključevi, QString& lošKljuč) {
    const QString tekstovi[] = {QStringLiteral(MORVELA_JAVNI_KLJUC), postavke.javniKljuč};
    for (const QString& tekst : tekstovi) {
        if (tekst.isEmpty()) continue;
        if (const auto ključ = PročitajJavniKljuč(tekst))
            ključevi.append(*ključ);
        else
            lošKljuč =
                QStringLiteral("Javni ključ izdavača (") + tekst +
                QStringLiteral(") nije ispravan minisign ključ, pa se ne može prihvatiti nijedan skup.");
    }
}

qint64 PrihvaćenaSerija(Kontekst& k, const QString& dir) {
    QByteArray tekst;
    if (k.datoteke->Pročitaj(dir + ImeSerije, tekst, 64)) return 0;
    return tekst.trimmed().toLongLong();
}

} // namespace

QString OsnovniUrl(const QString& host, bool https) {
    return (https ? QStringLiteral("https://") : QStringLiteral("http://")) + host +
           QStringLiteral("/download/Verzija21/");
}

QString RazlogLošegPrograma(const IDatoteke& datoteke, const QString& ime, const QString& put) {
    if (!ime.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive)) return QString();
    QByteArray početak;
    if (!datoteke.Pročitaj(put, početak, 2) && početak.startsWith("MZ")) return QString();
    return ime + QStringLiteral(" nije program (ne počinje s MZ), možda je primljena stranica za prijavu "
                                "na mrežu umjesto njega.");
}

bool PrekiniProvjeru(Kontekst& k, const QString& logPrefiks, const QString& poruka) {
    // A transfer the person stopped failed for that reason alone.
    if (k.PrijaviPrekid(logPrefiks)) return false;
    k.stanje->ZadnjaPoruka = poruka;
    k.LogirajGrešku(logPrefiks + poruka);
    k.Pokaži(poruka, Ikona::Usklicnik);
    return false;
}

// ---- Reporting ----

bool Izvještaj::Prekini(const QString& poruka, bool sOkvirom) {
    StanjeRada& s = *k.stanje;
    s.ZadnjaPoruka = poruka;
    Logiraj(poruka);
    s.PorukeGrešaka += CRLF + poruka;
    if (sOkvirom) k.Pokaži(poruka, Ikona::Usklicnik);
    return false;
}

bool Izvještaj::ProvjeriVeličinu(const QString& put, const QString& ime, const QString& najava,
                                 const QString& greškaČitanja, bool čekajPrazne) {
    qint64 veličina = 0;
    bool pročitano = k.datoteke->Veličina(put, veličina).uspjeh();
    for (int i = 0; i < 2 && pročitano && čekajPrazne && veličina == 0; ++i) {
        k.Pričekaj(5);
        pročitano = k.datoteke->Veličina(put, veličina).uspjeh();
    }
    if (!pročitano) return Prekini(greškaČitanja + ime + QStringLiteral(".") + PrekidaSeAžuriranje, true);

    const ProvjeraVeličine provjera = UsporediVeličinu(veličina, ime, najava);
    if (!provjera.ista) return Prekini(provjera.opis + VeličineNisuIste + PrekidaSeAžuriranje, true);
    k.stanje->ZadnjaPoruka = provjera.opis + QStringLiteral(". OK.");
    Logiraj(k.stanje->ZadnjaPoruka);
    return true;
}

// ---- Any place ----

std::shared_ptr<IProvjeraSadržaja> MjestoSeta::Provjera(const QString& ime) const {
    // The set's own files are checked by the check itself, with messages of their own.
    if (!m_potpisani || ime == ImeListeVerzija || ime == ImeManifesta || ime == ImePotpisa) return nullptr;
    return ProvjeraSažetka(*m_potpisani, ime);
}

// ---- A download server ----

ZahtjevDatoteke Poslužitelj::Zahtjev(const StanjeRada& s, const QString& ime,
                                     const QString& ciljnaDirektorija) const {
    // What the program fetches into its own working directory is fetched anew by
    // every run before it is read, so it need not outlast a power cut.
    return {OsnovniUrl(m_host, m_https) + ime,
            ime,
            ciljnaDirektorija,
            GranicaVeličine(s.NoveVerzije, ime),
            ciljnaDirektorija != s.UpdateDirektorija,
            m_https ? DodatniCertifikati(m_certifikati) : QByteArray(),
            Provjera(ime),
            &s.PrekidZatražen};
}

bool Poslužitelj::Preuzmi(const StanjeRada& s, const QString& ime, const QString& ciljnaDirektorija) {
    return m_preuzimanje.DownloadDatoteke(Zahtjev(s, ime, ciljnaDirektorija));
}

bool Poslužitelj::PreuzmiNaProvjeru(const StanjeRada& s, const QString& ime, const QString& ciljnaDirektorija,
                                    QString& privremena) {
    return m_preuzimanje.PreuzmiNaProvjeru(Zahtjev(s, ime, ciljnaDirektorija), privremena);
}

bool Poslužitelj::DonesiKontrolnuDatoteku(Kontekst& k) {
    StanjeRada& s = *k.stanje;
    if (!k.datoteke->PostojiDatoteka(s.ProgramskaDirektorija + ImeTeamViewera)) {
        // Remote support is a convenience: a failed fetch is only logged.
        const bool stiglo = Preuzmi(s, ImeTeamViewera, s.ProgramskaDirektorija);
        if (!stiglo && k.PrijaviPrekid(PrefiksProvjere)) return false;
        if (stiglo) {
            if (!k.datoteke->PostojiDatoteka(s.ProgramskaDirektorija + ImeTeamViewera))
                k.LogirajGrešku(
                    QStringLiteral("Download na lokaciju- Učitao sa interneta TeamViewerQS.exe, ali one "
                                   "ne postoje u ") +
                    s.ProgramskaDirektorija);
        } else {
            s.ZadnjaPoruka = QStringLiteral("Nije moguće učitati TeamViewerQS.exe sa interneta! Provjerite "
                                            "vezu sa internetom i pokušajte ponovno!");
            k.LogirajGrešku(QStringLiteral("Download na lokaciju- ") + s.ZadnjaPoruka);
        }
    }

    if (!Preuzmi(s, ImeListeVerzija, s.UpdateDirektorija))
        return PrekiniProvjeru(
            k, PrefiksProvjere,
            QStringLiteral("Nije moguće učitati kontrolnu datoteku sa interneta! Provjerite vezu sa "
                           "internetom i pokušajte ponovno!") +
                PrekidaSeAžuriranje);
    if (!k.datoteke->PostojiDatoteka(s.UpdateDirektorija + ImeListeVerzija)) {
        k.LogirajGrešku(PrefiksProvjere +
                        QStringLiteral("Učitao sa interneta Verzije.txt ali one ne postoje u ") +
                        s.UpdateDirektorija);
        k.Pokaži(NemaPodataka + s.UpdateDirektorija, Ikona::Nema);
        return false;
    }
    return true;
}

bool Poslužitelj::DonesiDatotekuSeta(Kontekst& k, const QString& ime, const QString& dir) {
    return Preuzmi(*k.stanje, ime, dir);
}

bool Poslužitelj::DonesiArhivu(Izvještaj& r, const QString& ime) {
    Kontekst& k = r.k;
    StanjeRada& s = *k.stanje;
    const QString imeArhive = ImeArhive(ime);
    const QString arhiva = s.UpdateDirektorija + imeArhive;
    r.Logiraj(QStringLiteral("Provjera postojanja fajla ") + imeArhive);
    if (k.datoteke->PostojiDatoteka(arhiva)) {
        // A leftover from an earlier run must not pass for a fresh download.
        s.ZadnjaPoruka =
            QStringLiteral("Nađena 7z datoteka: ") + arhiva + QStringLiteral(" pa je treba obrisati!");
        r.Logiraj(s.ZadnjaPoruka);
        if (const GreškaDatoteke g = k.datoteke->Obriši(arhiva, true)) {
            s.ZadnjaPoruka = QStringLiteral("Nije uspješno izbrisana 7z datoteka: ") + arhiva +
                             QStringLiteral(" pa je to problem: ") + g.opis;
            r.Logiraj(s.ZadnjaPoruka);
        }
    }
    r.Logiraj(QStringLiteral("Početak skidanja ") + imeArhive);
    OznačiStanjeReda(k, ime, Preuzimanje);
    // The fetch has logged and reported its own failure.
    if (!Preuzmi(s, imeArhive, s.UpdateDirektorija)) return false;
    if (!k.datoteke->PostojiDatoteka(arhiva))
        return r.Prekini(QStringLiteral("Nije nađena 7z datoteka: ") + arhiva +
                             QStringLiteral(" pa je nije moguće instalirati.") + PrekidaSeAžuriranje,
                         false);
    return true;
}

// ---- A network location ----

bool MrežnoMjesto::DonesiKontrolnuDatoteku(Kontekst& k) {
    StanjeRada& s = *k.stanje;
    const QString& lokacija = m_lokacija;
    const QString provjeraMreže = QStringLiteral("PripremiVerzijaTXT-  ");

    if (!k.datoteke->PostojiDatoteka(lokacija + ImeListeVerzija))
        return PrekiniProvjeru(k, provjeraMreže,
                               QStringLiteral("Ne postoji kontrolna datoteka na mrežnoj lokaciji: ") +
                                   lokacija + PrekidaSeAžuriranje);

    if (!k.datoteke->PostojiDatoteka(s.ProgramskaDirektorija + ImeTeamViewera) &&
        k.datoteke->PostojiDatoteka(lokacija + ImeTeamViewera)) {
        QString razlog = RazlogLošegPrograma(*k.datoteke, ImeTeamViewera, lokacija + ImeTeamViewera);
        if (razlog.isEmpty()) {
            const auto provjera = Provjera(ImeTeamViewera);
            const GreškaDatoteke g =
                Kopiraj(k, ImeTeamViewera, s.ProgramskaDirektorija, true, provjera.get());
            if (g && k.PrijaviPrekid(PrefiksProvjere)) return false;
            // Remote support is a convenience: a copy the set does not vouch for is only logged.
            if (g && provjera) razlog = g.opis;
        }
        if (!razlog.isEmpty()) k.LogirajGrešku(provjeraMreže + razlog);
    }

    const QString cilj = s.UpdateDirektorija + ImeListeVerzija;
    if (k.datoteke->Obriši(cilj, false)) {
        s.ZadnjaPoruka = QStringLiteral("Greška u brisanju datoteke ") + cilj;
        k.LogirajGrešku(QStringLiteral("KI-PripremiVerzijaTXT- ") + s.ZadnjaPoruka);
    }
    if (Kopiraj(k, ImeListeVerzija, s.UpdateDirektorija))
        return PrekiniProvjeru(
            k, PrefiksProvjere,
            QStringLiteral("Nije moguće učitati kontrolnu datoteku sa mrežne lokacije! Provjerite i "
                           "pokušajte ponovno!") +
                PrekidaSeAžuriranje);
    if (!k.datoteke->PostojiDatoteka(cilj)) {
        k.LogirajGrešku(provjeraMreže +
                        QStringLiteral("Kopirao sa mrežne lokacije Verzije.txt, ali ona ne postoji u ") +
                        lokacija);
        k.Pokaži(NemaPodataka + lokacija, Ikona::Nema);
        return false;
    }
    return true;
}

bool MrežnoMjesto::DonesiDatotekuSeta(Kontekst& k, const QString& ime, const QString& dir) {
    const GreškaDatoteke g = Kopiraj(k, ime, dir);
    // A stop the person asked for is reported by the check it ended.
    if (g && !k.stanje->PrekidZatražen)
        k.LogirajGrešku(PrefiksProvjere + QStringLiteral("Greška u kopiranju ") + m_lokacija + ime + ": " +
                        g.opis);
    return g.uspjeh();
}

namespace {

// Watches a copy from the location piece by piece: its progress goes to the
// status line, the window answers meanwhile (so the person can stop it), and
// the set's check, if any, sees the bytes as before. Without a check it looks
// at no bytes, so the system copies them on its own.
class PraćenjeKopije : public IProvjeraSadržaja {
public:
    PraćenjeKopije(Kontekst& k, IProvjeraSadržaja* provjera, qint64 ukupno)
        : k(k), m_provjera(provjera), m_ukupno(ukupno) {}
    void Dodaj(const char* podaci, qint64 duljina) override {
        if (m_provjera) m_provjera->Dodaj(podaci, duljina);
        m_kopirano += duljina;
        k.status->NapredakPrijenosa(m_kopirano, m_ukupno);
        k.status->ObradiDogađaje();
    }
    QString Završi() override { return m_provjera ? m_provjera->Završi() : QString(); }
    bool GledaBajtove() const override { return m_provjera && m_provjera->GledaBajtove(); }
    bool Prekinuto() const override { return k.stanje->PrekidZatražen; }

private:
    Kontekst& k;
    IProvjeraSadržaja* m_provjera;
    qint64 m_ukupno, m_kopirano = 0;
};

} // namespace

GreškaDatoteke MrežnoMjesto::Kopiraj(Kontekst& k, const QString& imeDatoteke, const QString& dir, bool trajno,
                                     IProvjeraSadržaja* provjera) {
    qint64 veličina = 0;
    if (!k.datoteke->Veličina(m_lokacija + imeDatoteke, veličina).uspjeh()) veličina = -1;
    PraćenjeKopije praćenje(k, provjera, veličina);
    return k.datoteke->Kopiraj(m_lokacija + imeDatoteke, dir + imeDatoteke, trajno, &praćenje);
}

// Copies over whatever an earlier run left in the update directory.
bool MrežnoMjesto::Kopiraj(Izvještaj& r, const QString& imeDatoteke) {
    StanjeRada& s = *r.k.stanje;
    const auto provjera = Provjera(imeDatoteke);
    const GreškaDatoteke g = Kopiraj(r.k, imeDatoteke, s.UpdateDirektorija, false, provjera.get());
    // A stop the person asked for is reported by the run it ended.
    if (g && s.PrekidZatražen) return false;
    if (g)
        // A signed set's copy also says why: a file changed at the location is not a failed copy.
        return r.Prekini(QStringLiteral("Greška u kopiranju ") + imeDatoteke + QStringLiteral(".") +
                             (provjera ? QStringLiteral(" ") + g.opis : QString()) + PrekidaSeAžuriranje,
                         true);
    s.PorukeAkcija += CRLF + QStringLiteral("Kopirano ") + imeDatoteke;
    return true;
}

bool MrežnoMjesto::DonesiArhivu(Izvještaj& r, const QString& ime) {
    Kontekst& k = r.k;
    const QString imeArhive = ImeArhive(ime);
    OznačiStanjeReda(k, ime, Kopiranje);
    const QString izvor = m_lokacija + imeArhive;
    if (!k.datoteke->PostojiDatoteka(izvor))
        return r.Prekini(QStringLiteral("Nije nađena 7z datoteka: ") + izvor +
                             QStringLiteral(" pa je nije moguće instalirati.") + PrekidaSeAžuriranje,
                         false);
    r.Logiraj(QStringLiteral("Početak kopiranja ") + imeArhive);
    k.PrikažiAkciju(QStringLiteral("Kopiranje datoteke: ") + imeArhive);
    return Kopiraj(r, imeArhive);
}

bool MrežnoMjesto::Dovrši(Izvještaj& r) {
    if (!Kopiraj(r, ImeListeVerzija)) return false;
    r.k.Pričekaj(5);
    return true;
}

// ---- The front door ----

IzvorSeta::IzvorSeta(const Postavke& postavke, IPreuzimanje& preuzimanje) : m_odabrani(postavke.izvor) {
    PročitajKljučeve(postavke, m_ključevi, m_lošKljuč);
    auto sekundarni = std::make_unique<Poslužitelj>(preuzimanje, postavke, postavke.sekundarniServer);
    auto mreža = std::make_unique<MrežnoMjesto>(*sekundarni, postavke.mrežnaLokacija);
    m_mreža = mreža.get();
    m_mjesta[size_t(UpdateLokacija::InternetSekundarni)] = std::move(sekundarni);
    m_mjesta[size_t(UpdateLokacija::MrežnaLokacija)] = std::move(mreža);
    m_mjesta[size_t(UpdateLokacija::InternetPrimarni)] =
        std::make_unique<Poslužitelj>(preuzimanje, postavke, postavke.primarniServer);
}

void IzvorSeta::Odaberi(UpdateLokacija izvor, const QString& mrežnaLokacija) {
    m_odabrani = izvor;
    m_mreža->PostaviLokaciju(mrežnaLokacija);
}

bool IzvorSeta::DonesiKontrolnuDatoteku(Kontekst& k) {
    StanjeRada& s = *k.stanje;
    const PrekidMoguć prekidMoguć(k);
    s.ManifestSeta.clear();
    s.PotpisSeta.clear();
    if (!TražiPotpis()) {
        k.LogirajGrešku(PrefiksPotpisa + QStringLiteral("Skup nadogradnji se ne provjerava: u programu nije "
                                                        "postavljen javni ključ izdavača."));
        return Mjesto().DonesiKontrolnuDatoteku(k);
    }
    PotpisaniSet set;
    PostaviSet(std::nullopt);
    if (!ProvjeriPotpis(k, set)) return false;
    // From here the remote-support program fetched with the list is checked too.
    PostaviSet(set);
    if (!Mjesto().DonesiKontrolnuDatoteku(k) || !ProvjeriListu(k, set)) {
        s.ManifestSeta.clear();
        s.PotpisSeta.clear();
        PostaviSet(std::nullopt);
        return false;
    }
    return true;
}

void IzvorSeta::PostaviSet(std::optional<PotpisaniSet> set) {
    m_set = std::move(set);
    for (auto& mjesto : m_mjesta)
        mjesto->PostaviPotpisani(m_set ? &*m_set : nullptr);
}

bool IzvorSeta::PripremiPotpis(Izvještaj& r) {
    if (!TražiPotpis()) return true;
    QString greška;
    auto set = PrihvaćeniSet(r.k, greška);
    PostaviSet(set);
    return set ||
           r.Prekini(QStringLiteral("Skup nadogradnji nije prihvaćen. ") + greška + PrekidaSeAžuriranje,
                     true);
}

std::optional<PotpisaniSet> IzvorSeta::PrihvaćeniSet(const Kontekst& k, QString& greška) const {
    const StanjeRada& s = *k.stanje;
    if (s.ManifestSeta.isEmpty()) {
        greška = QStringLiteral(
            "Nema potpisanog skupa nadogradnji: prije ažuriranja treba provjeriti nove verzije.");
        return std::nullopt;
    }
    return ProvjeriPotpisSeta(s.ManifestSeta, s.PotpisSeta, m_ključevi, k.sat->Sada().date(), 0, greška);
}

bool IzvorSeta::ProvjeriPotpis(Kontekst& k, PotpisaniSet& set) {
    StanjeRada& s = *k.stanje;
    QString greška;
    // The update checks its archives against the bytes kept in the run state, whatever lies
    // in the update directory by then.
    if (!DonesiPotpis(k, Mjesto(), s.UpdateDirektorija, greška) ||
        !ProvjeriPotpisU(k, s.UpdateDirektorija, set, greška, &s.ManifestSeta, &s.PotpisSeta))
        return PrekiniProvjeru(k, PrefiksPotpisa, greška + PrekidaSeAžuriranje);
    return true;
}

bool IzvorSeta::DonesiPotpis(Kontekst& k, MjestoSeta& mjesto, const QString& dir, QString& greška) {
    if (!m_lošKljuč.isEmpty()) {
        greška = m_lošKljuč;
        return false;
    }
    // What an earlier run left must not stand in for a file this one could not bring.
    for (const QString& ime : {ImeManifesta, ImePotpisa})
        k.datoteke->Obriši(dir + ime, true);
    for (const QString& ime : {ImeManifesta, ImePotpisa})
        if (!mjesto.DonesiDatotekuSeta(k, ime, dir)) {
            greška = QStringLiteral("Nije moguće učitati ") + ime +
                     QStringLiteral(": skup nadogradnji nije potpisan ili potpis nije dostupan, a program "
                                    "prihvaća samo potpisani skup.");
            return false;
        }
    return true;
}

bool IzvorSeta::ProvjeriPotpisU(Kontekst& k, const QString& dir, PotpisaniSet& set, QString& greška,
                                QByteArray* prihvaćeniManifest, QByteArray* prihvaćeniPotpis) {
    QByteArray manifest, potpis;
    const GreškaDatoteke g = k.datoteke->Pročitaj(dir + ImeManifesta, manifest, NajvišeManifesta);
    const GreškaDatoteke h = k.datoteke->Pročitaj(dir + ImePotpisa, potpis, NajvišePotpisa);
    if (g || h) {
        greška = QStringLiteral("Greška u čitanju potpisa skupa nadogradnji: ") + (g ? g : h).opis;
        return false;
    }
    const qint64 prihvaćena = PrihvaćenaSerija(k, dir);
    auto provjeren =
        ProvjeriPotpisSeta(manifest, potpis, m_ključevi, k.sat->Sada().date(), prihvaćena, greška);
    if (!provjeren) {
        greška = QStringLiteral("Skup nadogradnji nije prihvaćen. ") + greška;
        return false;
    }
    set = std::move(*provjeren);
    if (prihvaćeniManifest) *prihvaćeniManifest = manifest;
    if (prihvaćeniPotpis) *prihvaćeniPotpis = potpis;
    k.LogirajGrešku(PrefiksPotpisa + QStringLiteral("Potpis skupa nadogradnji je ispravan: serija ") +
                    QString::number(set.serija) + QStringLiteral(", ključ ") + set.idKljuča +
                    (set.istječe.isValid() ? QStringLiteral(", vrijedi do ") +
                                                 set.istječe.toString(QStringLiteral("dd.MM.yyyy."))
                                           : QStringLiteral(".")));
    if (set.serija > prihvaćena)
        if (const GreškaDatoteke z =
                k.datoteke->Zapiši(dir + ImeSerije, QByteArray::number(set.serija) + "\r\n"))
            k.LogirajGrešku(PrefiksPotpisa + QStringLiteral("Greška u zapisu serije skupa: ") + z.opis);
    return true;
}

bool IzvorSeta::ProvjeriDatotekuSeta(Kontekst& k, const PotpisaniSet& set, const QString& put,
                                     const QString& ime, QString& greška) {
    QByteArray sadržaj;
    if (const GreškaDatoteke g = k.datoteke->Pročitaj(put, sadržaj, MiB)) {
        greška = g.opis;
        return false;
    }
    return ProvjeriSažetak(set, ime, SažetakSadržaja(sadržaj), greška);
}

bool IzvorSeta::ProvjeriListu(Kontekst& k, const PotpisaniSet& set) {
    const QString lista = k.stanje->UpdateDirektorija + ImeListeVerzija;
    QString greška;
    if (ProvjeriDatotekuSeta(k, set, lista, ImeListeVerzija, greška)) return true;
    // Nothing may plan from a list the publisher did not sign.
    k.datoteke->Obriši(lista, true);
    return PrekiniProvjeru(k, PrefiksPotpisa,
                           QStringLiteral("Kontrolna datoteka nije prihvaćena. ") + greška +
                               PrekidaSeAžuriranje);
}

bool IzvorSeta::DonesiArhivu(Izvještaj& r, const PlaniraniRed& red) {
    if (!Mjesto().DonesiArhivu(r, red.ime)) return false;
    // Whatever the source, what arrived is checked before anything unpacks it.
    const QString imeArhive = ImeArhive(red.ime);
    return r.ProvjeriVeličinu(r.k.stanje->UpdateDirektorija + imeArhive, imeArhive,
                              r.k.stanje->NoveVerzije.tekst(red.red, VeličinaDownload), GreškaVeličineArhive,
                              false);
}

} // namespace morvela
