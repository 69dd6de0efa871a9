#include "versions/KontrolnaDatoteka.h"

#include "versions/PravilaVerzija.h"

#include "versions/Plan.h"

#include <QDir>

namespace morvela {

namespace {

const QString Proc = QStringLiteral("PripremiVerzijaTXT- ");
const QString NemaPodataka = QStringLiteral("Podaci o novim verzijama na postoje na lokaciji: ");
const QString Prekida = QStringLiteral(" Prekida se ažuriranje!");

} // namespace

void PostaviDirektorije(Kontekst& k) {
    const QString programska =
        k.imena->ImeRačunala() == RazvojnoRačunalo
            ? QDir::toNativeSeparators(QStringLiteral("D:/Morvela software/Morvela knjigovodstvo V21/"))
            : QDir::toNativeSeparators(k.izvršnaDirektorija);
    k.stanje->PostaviDirektorije(programska, qEnvironmentVariable("WinDir"));
}

namespace {

// A failure that ends the check: remembered, logged with a prefix and shown.
bool Prekini(Kontekst& k, const QString& logPrefiks, const QString& poruka) {
    k.stanje->ZadnjaPoruka = poruka;
    k.LogirajGrešku(logPrefiks + poruka);
    k.Pokaži(poruka, Ikona::Usklicnik);
    return false;
}

bool SaInterneta(Kontekst& k) {
    const StanjeRada& s = *k.stanje;
    if (!k.datoteke->PostojiDatoteka(s.ProgramskaDirektorija + ImeTeamViewera)) {
        // Remote support is a convenience: a failed fetch is only logged.
        if (k.preuzimanje->DownloadDatoteke(ImeTeamViewera, s.ProgramskaDirektorija)) {
            if (!k.datoteke->PostojiDatoteka(s.ProgramskaDirektorija + ImeTeamViewera))
                k.LogirajGrešku(
                    QStringLiteral("Download na lokaciju- Učitao sa interneta TeamViewerQS.exe, ali one "
                                   "ne postoje u ") +
                    s.ProgramskaDirektorija);
        } else {
            k.stanje->ZadnjaPoruka =
                QStringLiteral("Nije moguće učitati TeamViewerQS.exe sa interneta! Provjerite "
                               "vezu sa internetom i pokušajte ponovno!");
            k.LogirajGrešku(QStringLiteral("Download na lokaciju- ") + k.stanje->ZadnjaPoruka);
        }
    }

    if (!k.preuzimanje->DownloadDatoteke(ImeListeVerzija, s.UpdateDirektorija))
        return Prekini(
            k, Proc,
            QStringLiteral("Nije moguće učitati kontrolnu datoteku sa interneta! Provjerite vezu sa "
                           "internetom i pokušajte ponovno!") +
                Prekida);
    if (!k.datoteke->PostojiDatoteka(s.UpdateDirektorija + ImeListeVerzija)) {
        k.LogirajGrešku(Proc + QStringLiteral("Učitao sa interneta Verzije.txt ali one ne postoje u ") +
                        s.UpdateDirektorija);
        k.Pokaži(NemaPodataka + s.UpdateDirektorija, Ikona::Nema);
        return false;
    }
    return true;
}

bool SaMreže(Kontekst& k) {
    StanjeRada& s = *k.stanje;
    // Location text 0 is the network update location (1 is the distribution location).
    const QString lokacija = k.izvor->Lokacija(0);
    const QString procMreža = QStringLiteral("PripremiVerzijaTXT-  ");

    if (!k.datoteke->PostojiDatoteka(lokacija + ImeListeVerzija))
        return Prekini(k, procMreža,
                       QStringLiteral("Ne postoji kontrolna datoteka na mrežnoj lokaciji: ") + lokacija +
                           Prekida);

    if (!k.datoteke->PostojiDatoteka(s.ProgramskaDirektorija + ImeTeamViewera) &&
        k.datoteke->PostojiDatoteka(lokacija + ImeTeamViewera))
        k.datoteke->Kopiraj(lokacija + ImeTeamViewera, s.ProgramskaDirektorija + ImeTeamViewera);

    const QString cilj = s.UpdateDirektorija + ImeListeVerzija;
    if (k.datoteke->Obriši(cilj, false)) {
        s.ZadnjaPoruka = QStringLiteral("Greška u brisanju datoteke ") + cilj;
        k.LogirajGrešku(QStringLiteral("KI-PripremiVerzijaTXT- ") + s.ZadnjaPoruka);
    }
    if (k.datoteke->Kopiraj(lokacija + ImeListeVerzija, cilj, false))
        return Prekini(
            k, Proc,
            QStringLiteral("Nije moguće učitati kontrolnu datoteku sa mrežne lokacije! Provjerite i "
                           "pokušajte ponovno!") +
                Prekida);
    if (!k.datoteke->PostojiDatoteka(cilj)) {
        k.LogirajGrešku(procMreža +
                        QStringLiteral("Kopirao sa mrežne lokacije Verzije.txt, ali ona ne postoji u ") +
                        lokacija);
        k.Pokaži(NemaPodataka + lokacija, Ikona::Nema);
        return false;
    }
    return true;
}

} // namespace

bool PripremiVerzijaTXT(Kontekst& k) {
    StanjeRada& s = *k.stanje;
    PostaviDirektorije(k);

    // The log lives in the update directory, so these failures cannot be logged.
    if (JeSimboličkaVeza(s.UpdateDirektorija)) {
        k.Pokaži(PorukaSimboličkeVeze(s.UpdateDirektorija), Ikona::Usklicnik);
        return false;
    }
    if (!k.datoteke->PostojiDirektorij(s.UpdateDirektorija) &&
        k.datoteke->KreirajDirektorij(s.UpdateDirektorija)) {
        k.Pokaži(
            QStringLiteral("Nastala je greška u kreiranju Update direktorije!") + CRLF +
                QStringLiteral("Program za automatsko ažuriranje novih programa mora prestati sa radom.") +
                CRLF + QStringLiteral("Vjerojatno nemate administratorska prava ili je UAC uključen."),
            Ikona::Usklicnik);
        return false;
    }

    const QString staraLista = s.ProgramskaDirektorija + ImeListeVerzija;
    if (!k.datoteke->PostojiDatoteka(staraLista))
        return Prekini(
            k, Proc,
            QStringLiteral("Ne postoji datoteka ") + staraLista +
                QStringLiteral(" Program za automatsko ažuriranje novih programa mora prestati sa "
                               "ažuriranjem. Molimo da o ovoj poruci izvjestite Morvela tim za podršku."));
    // Read here only to prove the installed list is readable; the plan reads it again.
    if (!UčitajMatricu(s.StareVerzije, staraLista, k.ZaMatricu()))
        return Prekini(k, Proc,
                       QStringLiteral("PripremiVerzijaTXT - Desila se greška u čitanju zapisa u matricu.") +
                           Prekida);

    const bool doneseno = k.izvor->OdabranaLokacija() == MrežnaLokacija ? SaMreže(k) : SaInterneta(k);
    if (!doneseno) return false;

    const bool plan = NapraviRsŠtoTrebaAžurirati(k);
    k.mreža->OmogućiAžuriranje(plan);
    return plan;
}

} // namespace morvela
