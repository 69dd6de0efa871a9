#include "versions/KontrolnaDatoteka.h"

#include "versions/Plan.h"
#include "versions/PravilaVerzija.h"

#include <QDir>

namespace morvela {

void PostaviDirektorije(Kontekst& k) {
    const QString programska =
        k.imena->ImeRačunala() == RazvojnoRačunalo
            ? QDir::toNativeSeparators(QStringLiteral("D:/Morvela software/Morvela knjigovodstvo V21/"))
            : QDir::toNativeSeparators(k.izvršnaDirektorija);
    k.stanje->PostaviDirektorije(programska, qEnvironmentVariable("WinDir"));
}

bool PripremiVerzijaTXT(Kontekst& k, IzvorSeta& izvor, bool* listaNedostupna) {
    StanjeRada& s = *k.stanje;
    bool nedostupna = false;
    if (!listaNedostupna) listaNedostupna = &nedostupna;
    *listaNedostupna = false;
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
        return PrekiniProvjeru(
            k, PrefiksProvjere,
            QStringLiteral("Ne postoji datoteka ") + staraLista +
                QStringLiteral(" Program za automatsko ažuriranje novih programa mora prestati sa "
                               "ažuriranjem. Molimo da o ovoj poruci izvjestite Morvela tim za podršku."));
    // Read here only to prove the installed list is readable; the plan reads it again.
    if (!UčitajMatricu(s.StareVerzije, staraLista, k.ZaMatricu()))
        return PrekiniProvjeru(
            k, PrefiksProvjere,
            QStringLiteral("PripremiVerzijaTXT - Desila se greška u čitanju zapisa u matricu.") +
                PrekidaSeAžuriranje);

    if (!izvor.DonesiKontrolnuDatoteku(k)) {
        *listaNedostupna = true;
        return false;
    }

    const bool plan = NapraviRsŠtoTrebaAžurirati(k);
    k.mreža->OmogućiAžuriranje(plan);
    // The installed list was read above, so a failed plan could not read the new one.
    *listaNedostupna = !plan;
    return plan;
}

} // namespace morvela
