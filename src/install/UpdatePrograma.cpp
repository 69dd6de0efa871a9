#include "install/UpdatePrograma.h"

#include "install/DnevnikInstalacije.h"
#include "install/TekstoviInstalacije.h"
#include "install/ZamijeniDatotekuPoVrsti.h"
#include "install/modAppJeStartana.h"
#include "versions/KontrolnaDatoteka.h"
#include "versions/Plan.h"
#include "versions/PravilaVerzija.h"

namespace morvela {

namespace {

// Row states of the plan grid.
constexpr int StanjeInstalirano = 3;
constexpr int StanjeInstalacija = 5;

// Asks until no program of the suite runs; false when the user gives up.
bool PričekajZatvaranjePrograma(Kontekst& k) {
    for (;;) {
        const QString popis = PokrenutiProgrami(*k.prozori);
        if (popis.isEmpty()) return true;
        const Odgovor nastavak = k.Pitaj(
            VrstaPitanja::ZatvaranjePrograma,
            QStringLiteral("Postoje pokrenuti programi:") + CRLF + popis + CRLF +
                QStringLiteral(
                    "Da bi nastavili sa daljom instalacijom moraju se zatvoriti svi otvoreni programi!") +
                CRLF +
                QStringLiteral(
                    "Za nastavak rada (i ponovnu provjeru) pritisnite Da (Yes), za prekid instalacije "
                    "pritisnuti Ne (No) ?"));
        k.LogirajGrešku(QStringLiteral("UpdatePrograma- Postoje startovani programi ") + popis);
        if (nastavak == Odgovor::Da) continue;
        const Odgovor prekid = k.Pitaj(
            VrstaPitanja::PrekidAžuriranja,
            QStringLiteral("Ukoliko prekinete sa ažuriranjem novih verzija, izgubiće se svi novi učitani "
                           "programi, pa će se to morati ponoviti.") +
                CRLF +
                QStringLiteral("Želite li zaista prekinuti sa ažuriranjem programa sa novim verzijama?"));
        if (prekid == Odgovor::Da) {
            k.LogirajGrešku(QStringLiteral("UpdatePrograma- Korisnik odustaje"));
            return false;
        }
    }
}

// An empty backup directory; false when it could not be created, in which
// case the program has been told to end.
bool PripremiBackupDirektoriju(Kontekst& k) {
    StanjeRada& s = *k.stanje;
    // The only copy of an old file may be in the backup directory; the journal's files go
    // back first, and while a journal stays (unread or not all back) nothing there is deleted.
    if (PostojiDnevnik(*k.datoteke, s)) ObnoviPrekinutuInstalaciju(k);
    if (PostojiDnevnik(*k.datoteke, s)) {
        s.ZadnjaPoruka = QStringLiteral("Stare verzije prekinute instalacije nisu vraćene iz ") +
                         s.BackupDirektorija + QStringLiteral(". Nije moguće nastaviti sa instalacijom!");
        k.LogirajGrešku(QStringLiteral("UpdatePrograma- ") + s.ZadnjaPoruka);
        k.Pokaži(s.ZadnjaPoruka, Ikona::Kritična);
        return false;
    }
    if (k.datoteke->PostojiDirektorij(s.BackupDirektorija)) {
        // Leftovers that will not go are harmless: a rollback restores only what the journal moved.
        k.datoteke->ObrišiUzorak(s.BackupDirektorija, QStringLiteral("*.*"));
        return true;
    }
    const GreškaDatoteke g = k.datoteke->KreirajDirektorij(s.BackupDirektorija);
    if (g.uspjeh()) return true;
    s.ZadnjaPoruka =
        QStringLiteral("Nastala je greška u kreiranju UpdateBackup direktorije! Program za ažuriranje "
                       "novih verzija mora prestati sa radom. Vjerojatno nemate administratorska "
                       "prava!") +
        CRLF + QStringLiteral("Greška: ") + g.opis;
    k.LogirajGrešku(QStringLiteral("UpdatePrograma- ") + s.ZadnjaPoruka);
    k.Pokaži(s.ZadnjaPoruka, Ikona::Usklicnik);
    k.završiProgram();
    return false;
}

// The journal names every planned row before the first file is moved.
bool ZapočniDnevnikPlana(Kontekst& k) {
    StanjeRada& s = *k.stanje;
    QStringList plan;
    for (const PlaniraniRed& red : PlaniraniRedovi(s.NoveVerzije))
        plan << red.ime;
    const GreškaDatoteke g = ZapočniDnevnik(*k.datoteke, s, plan);
    if (g.uspjeh()) return true;
    s.ZadnjaPoruka = QStringLiteral("Nastala je greška u zapisu dnevnika instalacije ") + PutDnevnika(s) +
                     CRLF + QStringLiteral("Greška: ") + g.opis;
    k.LogirajGrešku(QStringLiteral("UpdatePrograma - ") + s.ZadnjaPoruka);
    k.Pokaži(s.ZadnjaPoruka, Ikona::Usklicnik);
    return false;
}

bool InstalirajPlan(Kontekst& k) {
    StanjeRada& s = *k.stanje;
    for (const PlaniraniRed& red : PlaniraniRedovi(s.NoveVerzije)) {
        const QString& ime = red.ime;
        k.status->ObradiDogađaje();
        s.TrenutnaDatoteka = ime;
        OznačiStanjeReda(k, ime, StanjeInstalacija);
        if (!ZamijeniDatotekuPoVrsti(UslugeZamjene::Iz(k), ime)) return false;
        ZabilježiUDnevnik(*k.datoteke, s, DnevnikGotovo, ime);
        OznačiStanjeReda(k, ime, StanjeInstalirano);
    }
    return true;
}

// True when the new list took its place.
bool ZamijeniVerzijeTxt(Kontekst& k) {
    StanjeRada& s = *k.stanje;
    const auto greška = [&](const QString& tekst) {
        s.ZadnjaPoruka = tekst;
        k.LogirajGrešku(QStringLiteral("UpdatePrograma - ") + tekst);
    };
    k.LogirajGrešku(QStringLiteral("UpdatePrograma - Backup Verzije.txt"));
    // A list swapped without the journal knowing could not be undone after a crash.
    GreškaDatoteke dnevnik = ZabilježiUDnevnik(*k.datoteke, s, DnevnikBackup, ImeListeVerzija);
    if (dnevnik.uspjeh()) {
        if (const GreškaDatoteke g = k.datoteke->Kopiraj(s.ProgramskaDirektorija + ImeListeVerzija,
                                                         s.BackupDirektorija + ImeListeVerzija))
            greška(QStringLiteral("Greška u premještanju u backup ") + ImeListeVerzija + QLatin1Char(' ') +
                   g.opis);
        else
            dnevnik = ZabilježiUDnevnik(*k.datoteke, s, DnevnikSpremljena, ImeListeVerzija);
    }
    if (dnevnik)
        greška(QStringLiteral("Nastala je greška u zapisu dnevnika instalacije ") + PutDnevnika(s) +
               QLatin1Char(' ') + dnevnik.opis);
    k.LogirajGrešku(QStringLiteral("UpdatePrograma - Kopiranje Verzije.txt"));
    GreškaDatoteke g = dnevnik;
    if (g.uspjeh()) {
        // The list the plan was made from: the one in the update directory may have been
        // fetched again since, by this run's copy from the location or by another run.
        g = s.NovaLista.isEmpty()
                ? GreškaDatoteke{GreškaNijePronađena,
                                 QStringLiteral("Nema liste po kojoj je napravljen plan")}
                : k.datoteke->Zapiši(s.ProgramskaDirektorija + ImeListeVerzija, s.NovaLista);
        if (g) greška(QStringLiteral("Greška u kopiranju ") + ImeListeVerzija + QLatin1Char(' ') + g.opis);
    }
    if (g.uspjeh()) return true;
    k.LogirajGrešku(QStringLiteral("UpdatePrograma - ") + ListaNijeZamijenjena);
    return false;
}

// Archives and installed files leave the update directory; Verzije.txt stays.
// The backup directory goes only when no journal refers to it any more.
void PočistiIza(Kontekst& k, bool obrišiBackup) {
    const StanjeRada& s = *k.stanje;
    for (const char* vrsta : {"7z", "exe", "enc", "chm", "dll"}) {
        const QString uzorak = QStringLiteral("*.") + QLatin1String(vrsta);
        k.LogirajGrešku(QStringLiteral("UpdatePrograma - Brisanje fajlova ") + uzorak);
        if (const GreškaDatoteke g = k.datoteke->ObrišiUzorak(s.UpdateDirektorija, uzorak))
            k.LogirajGrešku(QStringLiteral("UpdatePrograma - Greška u brisanju fajlova ") + uzorak +
                            QStringLiteral(" - ") + g.opis);
    }
    if (!obrišiBackup) return;
    k.LogirajGrešku(QStringLiteral("UpdatePrograma - Brisanje direktorije ") + s.BackupDirektorija);
    QString bezSeparatora = s.BackupDirektorija;
    if (bezSeparatora.endsWith(Separator())) bezSeparatora.chop(Separator().size());
    if (const GreškaDatoteke g = k.datoteke->ObrišiDirektorij(bezSeparatora))
        k.LogirajGrešku(QStringLiteral("UpdatePrograma - Greška u brisanju direktorije - ") +
                        s.BackupDirektorija + g.opis);
}

} // namespace

bool UpdatePrograma(Kontekst& k, IzvorSeta& izvor, bool* listaZamijenjena) {
    bool zamijenjena = false;
    if (!listaZamijenjena) listaZamijenjena = &zamijenjena;
    *listaZamijenjena = false;
    k.LogirajGrešku(QStringLiteral("UpdatePrograma- početak"));
    if (const QString dir = PovezanaRadnaDirektorija(*k.stanje); !dir.isEmpty()) {
        k.stanje->ZadnjaPoruka = PorukaSimboličkeVeze(dir);
        k.LogirajGrešku(QStringLiteral("UpdatePrograma- ") + k.stanje->ZadnjaPoruka);
        k.Pokaži(k.stanje->ZadnjaPoruka, Ikona::Kritična);
        return false;
    }
    if (!PričekajZatvaranjePrograma(k)) return false;
    if (!PripremiBackupDirektoriju(k)) return false;
    if (k.imena->ImeRačunala() == RazvojnoRačunalo) {
        k.Pokaži(QStringLiteral("Ime računala je ") + RazvojnoRačunalo +
                     QStringLiteral(" te nije moguće nastaviti sa radom!"),
                 Ikona::Usklicnik);
        return false;
    }
    k.LogirajGrešku(QStringLiteral("UpdatePrograma - Početak"));
    k.PrikažiAkciju(QStringLiteral("Početak ..."));
    if (!ZapočniDnevnikPlana(k)) return false;
    // The rollback has put back what it could, told the user, and removed the
    // journal only when everything was back.
    if (!InstalirajPlan(k)) return false;
    *listaZamijenjena = ZamijeniVerzijeTxt(k);
    // From here the new set stands; the backup may go once the journal has.
    const GreškaDatoteke dnevnik = ObrišiDnevnik(*k.datoteke, *k.stanje);
    if (dnevnik)
        k.LogirajGrešku(QStringLiteral("UpdatePrograma - Greška u brisanju dnevnika instalacije ") +
                        PutDnevnika(*k.stanje) + QLatin1Char(' ') + dnevnik.opis);
    k.PrikažiAkciju(QString());
    PočistiIza(k, dnevnik.uspjeh());
    k.LogirajGrešku(QStringLiteral("UpdatePrograma - Kraj"));
    // Shows what is left to update; its own outcome does not change ours.
    PripremiVerzijaTXT(k, izvor);
    return true;
}

} // namespace morvela
