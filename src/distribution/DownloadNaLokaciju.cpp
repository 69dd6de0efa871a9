#include "distribution/DownloadNaLokaciju.h"

#include "platform/Brava.h"
#include "transfer/Unzipaj.h"
#include "versions/PravilaVerzija.h"

#include <QTime>

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>

namespace morvela {

namespace {

const QString PrefiksLoga = QStringLiteral("Download na lokaciju- ");
const QString PrefiksProvjere = QStringLiteral("Download na lokaciju - ");
const QString GreškaMatrice =
    QStringLiteral("DownloadNaLokaciju - Desila se greška u čitanju zapisa u matricu.");

QString NemaLokacije(const QString& lokacija) {
    return QStringLiteral("Ne postoji unesena lokacija za download programa: ") + lokacija + CRLF +
           QStringLiteral("Program ne može nastaviti sa presnimavanjem programa na zadanu lokaciju!");
}

float SekundeOdPonoći(const ISat& sat) {
    return float(sat.Sada().time().msecsSinceStartOfDay()) / 1000.0f;
}

// One run: the location, the mode and the flags that later rows depend on.
class Prolaz {
public:
    Prolaz(Kontekst& k, IzvorSeta& izvor, bool interaktivno, bool prvoPunjenje, QString lokacija)
        : k(k), s(*k.stanje), izvor(izvor), server(izvor.Server()), interaktivno(interaktivno),
          prvoPunjenje(prvoPunjenje), L(std::move(lokacija)), prijašnjiPotpis(server.Potpisani()) {}
    // The server goes back to checking against the set the last check accepted.
    ~Prolaz() { server.PostaviPotpisani(prijašnjiPotpis); }
    Prolaz(const Prolaz&) = delete;
    Prolaz& operator=(const Prolaz&) = delete;

    bool Pokreni();

private:
    bool ProvjereIKontrolneDatoteke();
    bool ProvjeriPotpis();
    bool UčitajStaruListu();
    bool StaniBezPrvogPresnimavanja();
    void PokreniPrikaze();
    bool ObradiRed(int red);
    bool PreuzmiArhivu(const QString& ime, const QString& arhiva, const QString& veličina, bool zbrojiPrije);
    bool ProvjeriVeličinu(const QString& put, const QString& arhiva, const QString& veličina, bool& ista);
    void PrijaviRazliku(qint64 naLokaciji, const QString& arhiva, const QString& veličina);
    QString ProvjeriArhivu(const QString& ime, const QString& put);
    bool JeNovijiRed(int novi, int stari, const QString& arhiva, const QString& veličina);
    void PomakniProgBar();
    bool KopirajListu(const QString& ime);

    void Pokaži(const QString& tekst, Ikona ikona = Ikona::Usklicnik) {
        if (interaktivno) k.Pokaži(tekst, ikona);
    }
    // A stop the person asked for ends the run with its one log line.
    bool Prekinut() const { return k.PrijaviPrekid(PrefiksLoga); }
    // A stop nobody sees on the screen still leaves its trace.
    void LogirajBezNadzora(const QString& tekst) {
        if (!interaktivno) k.LogirajGrešku(PrefiksLoga + tekst);
    }
    // A failure's usual road: the last message, the log, and a box when someone is watching.
    void Prijavi(const QString& prefiks, const QString& poruka) {
        s.ZadnjaPoruka = poruka;
        k.LogirajGrešku(prefiks + poruka);
        Pokaži(poruka);
    }
    void Zbroji(const QString& veličina) {
        const qint64 zbroj = qint64(s.UkupnoPreneseno) + VeličinaKao32(veličina);
        s.UkupnoPreneseno = qint32(std::clamp<qint64>(zbroj, std::numeric_limits<qint32>::min(),
                                                      std::numeric_limits<qint32>::max()));
    }

    Kontekst& k;
    StanjeRada& s;
    IzvorSeta& izvor;
    Poslužitelj& server;
    const bool interaktivno;
    const bool prvoPunjenje;
    const QString L;
    const PotpisaniSet* const prijašnjiPotpis;
    // The set this run fetches, once its signature holds; every file it brings is checked against it.
    std::optional<PotpisaniSet> potpis;
    QString W;
    std::unique_ptr<Brava> brava;
    bool kopirajSve = false;
    Pratnja pratnja;   // what was fetched earlier in this run
    int preuzetih = 0; // archives fetched so far, for the transfer line
};

bool Prolaz::Pokreni() {
    PrekidMoguć prekidMoguć(k);
    if (!ProvjereIKontrolneDatoteke()) return false;
    if (!UčitajStaruListu()) return false;
    PokreniPrikaze();

    for (int red = 0; red < Matrica::Redova; ++red) {
        if (!s.NoveVerzije.koristi(red)) continue;
        if (Prekinut() || !ObradiRed(red)) return false;
        PomakniProgBar();
    }
    // The lists are published whole or not at all.
    prekidMoguć.Zatvori();
    if (Prekinut()) return false;

    // Without the new list the location would name the old sizes of the new archives.
    if (!KopirajListu(ImeListeVerzija)) return false;
    KopirajListu(ImeListeVerzijaU);
    // The signature last: until it is there, workstations refuse the new list rather than read it unchecked.
    if (potpis && (!KopirajListu(ImeManifesta) || !KopirajListu(ImePotpisa))) return false;
    k.status->ZaustaviVrijemePrijenosa();
    k.status->SakrijProgBar();
    k.status->PrikažiPoruke(s.PorukeAkcija, s.PorukeGrešaka);
    return true;
}

bool Prolaz::ProvjereIKontrolneDatoteke() {
    IDatoteke& d = *k.datoteke;
    if (!d.PostojiDirektorij(L)) {
        Pokaži(NemaLokacije(L));
        LogirajBezNadzora(QStringLiteral("Ne postoji unesena lokacija za download programa: ") + L +
                          QStringLiteral(". Prekida se preuzimanje."));
        return false;
    }

    if (!interaktivno && !prvoPunjenje && !d.PostojiDatoteka(L + ImeListeVerzija))
        return StaniBezPrvogPresnimavanja();

    W = UpdateDirektorijaU(L);
    if (JeSimboličkaVeza(W)) {
        Prijavi(PrefiksLoga, PorukaSimboličkeVeze(W));
        return false;
    }
    if (!d.PostojiDirektorij(W)) {
        if (const GreškaDatoteke g = d.KreirajDirektorij(W)) {
            if (interaktivno) {
                k.Pokaži(
                    QStringLiteral("Nastala je greška u kreiranju Update direktorije! Program za skidanje "
                                   "novih programa mora prestati sa radom. Vjerojatno nemate "
                                   "administratorska prava."),
                    Ikona::Usklicnik);
                k.završiProgram();
            } else {
                // Nobody is at the screen: ending the program would also end the schedule.
                k.LogirajGrešku(PrefiksLoga +
                                QStringLiteral("Nastala je greška u kreiranju Update direktorije: ") + W +
                                QLatin1Char(' ') + g.opis + QStringLiteral(". Prekida se preuzimanje."));
            }
            return false;
        }
    }

    // Two computers never fill one location at once.
    brava = std::make_unique<Brava>(W);
    if (!brava->Zaključaj()) {
        Prijavi(PrefiksLoga, PorukaZauzeteLokacije(L));
        return false;
    }
    // What a cut-short replace left at the location goes before anything new comes; only
    // under the lock, so another computer's run in progress keeps its files.
    ObrišiPrivremene(*k.datoteke, L);
    ObrišiPrivremene(*k.datoteke, W);
    if (!ProvjeriPotpis()) return false;

    if (server.Preuzmi(s, ImeListeVerzija, W)) {
        if (!d.PostojiDatoteka(W + ImeListeVerzija)) {
            k.LogirajGrešku(PrefiksLoga +
                            QStringLiteral("Učitao sa interneta Verzije.txt ali one ne postoje u ") + W);
            Pokaži(QStringLiteral("Podaci o novim verzijama na postoje na lokaciji: ") + W, Ikona::Nema);
            return false;
        }
    } else {
        if (!Prekinut())
            Prijavi(PrefiksLoga,
                    QStringLiteral("Nije moguće učitati kontrolnu datoteku sa interneta! Provjerite vezu sa "
                                   "internetom i pokušajte ponovno! Prekida se ažuriranje!"));
        return false;
    }
    if (QString greška; potpis && !IzvorSeta::ProvjeriDatotekuSeta(k, *potpis, W + ImeListeVerzija,
                                                                   ImeListeVerzija, greška)) {
        // Nothing is fetched by a list the publisher did not sign.
        d.Obriši(W + ImeListeVerzija, true);
        Prijavi(PrefiksLoga,
                QStringLiteral("Kontrolna datoteka nije prihvaćena. ") + greška + PrekidaSeAžuriranje);
        return false;
    }

    if (server.Preuzmi(s, ImeListeVerzijaU, W)) {
        if (!d.PostojiDatoteka(W + ImeListeVerzijaU))
            k.LogirajGrešku(PrefiksLoga +
                            QStringLiteral("Učitao sa interneta VerzijeU.txt ali one ne postoje u ") + W);
    } else {
        if (!Prekinut())
            Prijavi(PrefiksLoga,
                    QStringLiteral("Nije moguće učitati kontrolnu datoteku sa interneta VerzijeU! Provjerite "
                                   "vezu sa internetom i pokušajte ponovno! Prekida se ažuriranje!"));
        return false;
    }

    if (!d.PostojiDatoteka(L + ImeTeamViewera)) {
        if (server.Preuzmi(s, ImeTeamViewera, L)) {
            if (!d.PostojiDatoteka(L + ImeTeamViewera))
                k.LogirajGrešku(
                    PrefiksLoga +
                    QStringLiteral("Učitao sa interneta TeamViewerQS.exe, ali one ne postoje u ") + L);
        } else if (Prekinut()) {
            return false;
        } else {
            Prijavi(PrefiksLoga,
                    QStringLiteral("Nije moguće učitati TeamViewerQS.exe sa interneta! Provjerite vezu sa "
                                   "internetom i pokušajte ponovno!"));
        }
    }

    if (!UčitajMatricu(s.NoveVerzije, W + ImeListeVerzija, k.ZaMatricu())) {
        Prijavi(QString(), GreškaMatrice + QStringLiteral(" Prekida se ažuriranje!"));
        return false;
    }

    if (!d.PostojiDirektorij(L)) {
        Pokaži(QStringLiteral("Ne postoji direktorija: ") + L + QStringLiteral(" ili niste spojeni!") + CRLF +
                   QStringLiteral("Prekida se sa prebacivanjem!"),
               Ikona::Nema);
        LogirajBezNadzora(QStringLiteral("Ne postoji direktorija: ") + L +
                          QStringLiteral(" ili niste spojeni! Prekida se sa prebacivanjem!"));
        return false;
    }
    return true;
}

// With a publisher's key set, the set's signature is fetched first and must hold
// before anything else of the set is fetched; every file after it is checked
// against the hashes it names as it arrives.
bool Prolaz::ProvjeriPotpis() {
    if (!izvor.TražiPotpis()) return true;
    PotpisaniSet set;
    QString greška;
    if (!izvor.DonesiPotpis(k, server, W, greška) || !izvor.ProvjeriPotpisU(k, W, set, greška)) {
        if (!Prekinut()) Prijavi(PrefiksLoga, greška + PrekidaSeAžuriranje);
        return false;
    }
    potpis = std::move(set);
    server.PostaviPotpisani(&*potpis);
    return true;
}

bool Prolaz::UčitajStaruListu() {
    const QString stara = L + ImeListeVerzija;
    if (!k.datoteke->PostojiDatoteka(stara)) {
        if (interaktivno) {
            const Odgovor o = k.Pitaj(VrstaPitanja::KopiranjeSvegaNaLokaciju,
                                      QStringLiteral("Ne postoji datoteka: ") + stara +
                                          QStringLiteral(". Kopiraju se sve datoteke. Želite li nastaviti sa "
                                                         "download-om?"));
            if (o != Odgovor::Da) return false;
        } else if (prvoPunjenje) {
            k.LogirajGrešku(PrefiksLoga + QStringLiteral("Ne postoji datoteka: ") + stara +
                            QStringLiteral(". Prvo punjenje lokacije: kopiraju se sve datoteke."));
        } else {
            return StaniBezPrvogPresnimavanja();
        }
        kopirajSve = true;
        IsprazniMatricu(s.StareVerzije);
        return true;
    }

    if (UčitajMatricu(s.StareVerzije, stara, k.ZaMatricu())) {
        kopirajSve = false;
    } else {
        s.ZadnjaPoruka = GreškaMatrice + QStringLiteral(" Kopiraju se sve datoteke! Želite li nastaviti? ");
        k.LogirajGrešku(s.ZadnjaPoruka);
        kopirajSve = true;
    }
    return true;
}

// An unmounted share looks like an empty directory: copying everything there
// would fill the local disk under the mount point. The first full copy is
// started by someone at the screen.
bool Prolaz::StaniBezPrvogPresnimavanja() {
    k.LogirajGrešku(PrefiksLoga + QStringLiteral("Ne postoji datoteka: ") + L + ImeListeVerzija +
                    QStringLiteral(". Prvo presnimavanje svih datoteka na lokaciju mora se pokrenuti ručno. "
                                   "Automatsko preuzimanje se prekida."));
    return false;
}

void Prolaz::PokreniPrikaze() {
    k.status->PostaviTekstVremenaPrijenosa(QString());
    k.status->PokreniVrijemePrijenosa();
    s.PočetakPrijenosa = SekundeOdPonoći(*k.sat);
    k.status->PripremiProgBar(0, 30);
    s.PočetakPrijenosa = SekundeOdPonoći(*k.sat);
    s.PorukeAkcija.clear();
    s.PorukeGrešaka.clear();
    s.UkupnoPreneseno = 0;
    pratnja = Pratnja();
    preuzetih = 0;
}

bool Prolaz::ObradiRed(int red) {
    const QString N = s.NoveVerzije.tekst(red, Ime);
    const QString A = ImeArhive(N);
    const QString S = s.NoveVerzije.tekst(red, VeličinaDownload);

    if (kopirajSve) return PreuzmiArhivu(N, A, S, true);
    const int stari = NađiRed(s.StareVerzije, N);
    if (stari < 0) {
        s.PorukeGrešaka += CRLF + QStringLiteral("Nije pronađen zapis o starim verzija za :") + N +
                           QStringLiteral(" pa se mora kopirati");
        return PreuzmiArhivu(N, A, S, false);
    }
    if (JeNovijiRed(red, stari, A, S)) return PreuzmiArhivu(N, A, S, false);
    s.PorukeAkcija += CRLF + QStringLiteral("Ista verzija: ") + N;
    bool ista = false;
    return ProvjeriVeličinu(L + A, A, S, ista);
}

// The fetched archive waits beside the location's own, which stays whole until
// the new one has passed every check; in copy-all mode the listed size counts
// even when the fetch then fails.
bool Prolaz::PreuzmiArhivu(const QString& ime, const QString& arhiva, const QString& veličina,
                           bool zbrojiPrije) {
    if (zbrojiPrije) Zbroji(veličina);
    // No count of the whole: which rows are fetched is known only row by row.
    k.status->PočniDatoteku(arhiva, ++preuzetih, 0);
    QString privremena;
    const bool stiglo = server.PreuzmiNaProvjeru(s, arhiva, L, privremena);
    if (!stiglo && Prekinut()) return false;
    const qint64 prevelika = stiglo ? -1 : server.PrekoGranice();
    if (!stiglo && prevelika < 0) return false;
    if (!zbrojiPrije) Zbroji(veličina);
    pratnja.Uzet(ime);
    if (!stiglo) {
        // Cut off for being larger than the list allows: a file of the wrong size.
        PrijaviRazliku(prevelika, arhiva, veličina);
        return true;
    }

    bool ista = false;
    if (!ProvjeriVeličinu(privremena, arhiva, veličina, ista)) {
        server.DovršiPredaju(false);
        return false;
    }
    const QString neispravna = ista ? ProvjeriArhivu(ime, privremena) : QString();
    // The flush and the replace are this fetch's own: a failure is known before the next file starts.
    if (!server.DovršiPredaju(ista && neispravna.isEmpty())) return false;
    if (neispravna.isEmpty()) return true;
    Prijavi(PrefiksProvjere, neispravna + PrekidaSeAžuriranje);
    s.PorukeGrešaka += CRLF + s.ZadnjaPoruka;
    return false;
}

// What only the archive's contents can tell, the size being right: 7-Zip tests
// a packed archive whole (a CRC error leaves the size as it was). Help files and
// scripts travel unpacked. Empty when the archive may take its place.
QString Prolaz::ProvjeriArhivu(const QString& ime, const QString& put) {
    // With a signed set the archive's hash has been checked as it arrived.
    const Vrsta vrsta = VrstaDatoteke(ime);
    if (vrsta == Vrsta::Pomoć || vrsta == Vrsta::Skripta) return QString();
    const QString neispravna =
        QStringLiteral("Arhiva ") + ImeArhive(ime) + QStringLiteral(" nije ispravna: ");
    QString opis;
    int kod = -1;
    if (!k.procesi->PokreniIČekaj(Program7Zip(s),
                                  {QStringLiteral("t"), QStringLiteral("-t7z"), QStringLiteral("--"), put},
                                  -1, &opis, nullptr, &kod))
        return neispravna + QStringLiteral("7-Zip se ne može pokrenuti ") + opis + QLatin1Char('.');
    if (kod != 0) return neispravna + QStringLiteral("7-Zip javlja grešku (izlazni kod %1).").arg(kod);
    return QString();
}

bool Prolaz::JeNovijiRed(int novi, int stari, const QString& arhiva, const QString& veličina) {
    const Vrsta vrsta = VrstaDatoteke(s.NoveVerzije.tekst(novi, Ime));
    bool novije = JeNovijiZapis(s.StareVerzije, stari, s.NoveVerzije, novi);
    if (!novije) {
        qint64 naLokaciji = 0;
        if (!k.datoteke->PostojiDatoteka(L + arhiva)) {
            s.PorukeGrešaka += CRLF + QStringLiteral("Nije nađena 7z datoteka: ") + arhiva +
                               QStringLiteral(" pa se mora napraviti");
            novije = true;
        } else if (!k.datoteke->Veličina(L + arhiva, naLokaciji) &&
                   !UsporediVeličinu(naLokaciji, arhiva, veličina).ista) {
            novije = true;
            s.PorukeGrešaka += CRLF + QStringLiteral("Nađena 7z datoteka: ") + arhiva +
                               QStringLiteral(" ali je veličina različita ") + QString::number(naLokaciji) +
                               QStringLiteral(" Novi: ") + veličina + QStringLiteral(" pa će se prekopirati");
        }
    }
    if (pratnja.SkriptaIde(vrsta) || pratnja.PomoćIde(vrsta)) novije = true;
    return novije;
}

// False only when the file cannot be reached; a size other than the list's is
// reported and the run goes on with the next row.
bool Prolaz::ProvjeriVeličinu(const QString& put, const QString& arhiva, const QString& veličina,
                              bool& ista) {
    qint64 naLokaciji = 0;
    if (k.datoteke->Veličina(put, naLokaciji)) {
        Prijavi(PrefiksProvjere, GreškaVeličineArhive + arhiva + QStringLiteral(". Prekida se ažuriranje!"));
        s.PorukeGrešaka += CRLF + s.ZadnjaPoruka;
        return false;
    }
    const ProvjeraVeličine provjera = UsporediVeličinu(naLokaciji, arhiva, veličina);
    ista = provjera.ista;
    if (!ista) {
        PrijaviRazliku(naLokaciji, arhiva, veličina);
    } else {
        s.ZadnjaPoruka = provjera.opis + QStringLiteral(". OK.");
        k.LogirajGrešku(PrefiksProvjere + s.ZadnjaPoruka);
    }
    return true;
}

void Prolaz::PrijaviRazliku(qint64 naLokaciji, const QString& arhiva, const QString& veličina) {
    Prijavi(PrefiksProvjere, UsporediVeličinu(naLokaciji, arhiva, veličina).opis + VeličineNisuIste +
                                 QStringLiteral(" Nastaviće se prijenos za ostale datoteke!"));
    s.PorukeGrešaka += CRLF + s.ZadnjaPoruka;
}

void Prolaz::PomakniProgBar() {
    float vrijednost = k.status->VrijednostProgBara() + 1;
    if (vrijednost > 29) vrijednost = 1;
    k.status->PostaviVrijednostProgBara(vrijednost);
    // Lets the elapsed-time label and the bar repaint between rows.
    k.status->ObradiDogađaje();
}

// The lists go last, each replaced whole, so they never name an archive that is not there.
bool Prolaz::KopirajListu(const QString& ime) {
    if (const GreškaDatoteke g = k.datoteke->Kopiraj(W + ime, L + ime)) {
        const QString greška = QStringLiteral("Greška u kopiranju ") + ime + QLatin1Char(' ') + g.opis;
        s.PorukeGrešaka += CRLF + greška;
        // The new list is what the workstations plan and check by: without it the run has failed.
        if (ime == ImeListeVerzija)
            Prijavi(PrefiksLoga, greška);
        else
            LogirajBezNadzora(greška);
        return false;
    }
    s.PorukeAkcija += CRLF + QStringLiteral("Kopirano ") + ime;
    return true;
}

} // namespace

QString PorukaZauzeteLokacije(const QString& lokacija) {
    return QStringLiteral("Druga instanca programa upravo puni lokaciju ") + lokacija +
           QStringLiteral("; pokušajte kasnije.");
}

bool DownloadNaLokaciju(Kontekst& k, IzvorSeta& izvor, bool interaktivno, bool prvoPunjenje) {
    QString lokacija = k.izvor->Lokacija(1);
    if (lokacija.isEmpty()) {
        // An empty text would name the root of the drive; refuse it instead.
        if (interaktivno)
            k.Pokaži(NemaLokacije(lokacija), Ikona::Usklicnik);
        else
            k.LogirajGrešku(PrefiksLoga + QStringLiteral("Nije unesena lokacija za download programa. "
                                                         "Prekida se preuzimanje."));
        return false;
    }
    if (!lokacija.endsWith(Separator())) {
        lokacija += Separator();
        k.izvor->PostaviLokaciju(1, lokacija);
    }
    return Prolaz(k, izvor, interaktivno, prvoPunjenje, lokacija).Pokreni();
}

bool PreuzmiNaLokacijuIJavi(Kontekst& k, IzvorSeta& izvor, bool interaktivno) {
    const bool uspjeh = DownloadNaLokaciju(k, izvor, interaktivno);
    k.status->ZaustaviVrijemePrijenosa();
    k.status->SakrijProgBar();
    // The person who stopped the run needs no box to say so.
    if (!interaktivno || (!uspjeh && k.stanje->ZadnjaPoruka == TekstPrekidaKorisnika)) return uspjeh;

    const QString vrijeme = k.status->TekstVremenaPrijenosa();
    const QString lokacija = k.izvor->Lokacija(1);
    const QString ukupno = QStringLiteral("Ukupno prenesno: ") + QString::number(k.stanje->UkupnoPreneseno) +
                           QStringLiteral(" bajtova.");
    if (uspjeh)
        k.Pokaži(QStringLiteral("Uspješno skinuti programi na lokaciju ") + lokacija + QLatin1Char(' ') +
                     CRLF + vrijeme + CRLF + ukupno + CRLF +
                     QStringLiteral("Sada je moguće ažuriranje za ostala računala!"),
                 Ikona::Usklicnik);
    else
        k.Pokaži(
            QStringLiteral("Upozorenje. Nisu uspješno skinuti programi na lokaciju ") + lokacija +
                QStringLiteral(
                    " pa ažuriranje sa te lokacije nije preporučljivo. Otklonite nastalu grešku ili "
                    "kontaktirajte Morvela.") +
                CRLF +
                QStringLiteral("Tek kada prijenos prođe bez problema moguće je koristiti ovu direktoriju za "
                               "ažuriranje programa!") +
                CRLF + vrijeme + CRLF + ukupno,
            Ikona::Usklicnik);
    return uspjeh;
}

} // namespace morvela
