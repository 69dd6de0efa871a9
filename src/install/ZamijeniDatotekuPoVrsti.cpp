#include "install/ZamijeniDatotekuPoVrsti.h"

#include "install/DnevnikInstalacije.h"
#include "install/PokusajVratitiSveNaPocetak.h"
#include "install/Registracija.h"
#include "install/TekstoviInstalacije.h"
#include "versions/PravilaVerzija.h"

namespace morvela {

namespace {

const QString Prefiks = QStringLiteral("UpdatePrograma - ");
const QString UUporabi = QStringLiteral("Najvjerojatnije se koristi. ");
const QString PitanjePonovo = QStringLiteral(
    "Preporuka je da se prestane koristiti navedeni program i da se pokuša još jednom. Jeste li izašli iz "
    "programa i želite li nastaviti sa instalacijom (Da - Yes) ili želite prekinuti sa instalacijom (Ne - "
    "No)?");

// Status and error texts of one kind, each followed by the file name.
struct TekstoviVrste {
    QString backup, ponovniBackup, kopiranje;
    QString greškaPremještanja, greškaPonovnogPremještanja, greškaKopiranja;
    // Programs and components may be in use: the user gets a second try.
    bool drugiPokušaj;
};

const TekstoviVrste Program{QStringLiteral("Backup programa: "),
                            QStringLiteral("Ponovni backup programa: "),
                            QStringLiteral("Kopiranje novog programa: "),
                            QStringLiteral("Nastala je greška u premještanju programa: "),
                            QStringLiteral("Nastala je greška u ponovnom premještanju programa: "),
                            QStringLiteral("Nastala je greška u kopiranju novog programa: "),
                            true};
const TekstoviVrste Komponenta{QStringLiteral("Backup komponente: "),
                               QStringLiteral("Ponovni backup komponente: "),
                               QStringLiteral("Kopiranje nove komponente: "),
                               QStringLiteral("Nastala je greška u premještanju komponente: "),
                               QStringLiteral("Nastala je greška u ponovnom premještanju komponente: "),
                               QStringLiteral("Nastala je greška u kopiranju nove komponente: "),
                               true};
const TekstoviVrste Datoteka{QStringLiteral("Backup datoteke: "),
                             QString(),
                             QStringLiteral("Kopiranje nove datoteke: "),
                             QStringLiteral("Nastala je greška u premještanju datoteke: "),
                             QString(),
                             QStringLiteral("Nastala je greška u kopiranju nove datoteke: "),
                             false};

// The step's text becomes the current message, shown and/or logged.
void Najavi(Kontekst& k, const QString& tekst, bool prikaži = true, bool logiraj = true) {
    k.stanje->ZadnjaPoruka = tekst;
    if (prikaži) k.PrikažiAkciju(tekst);
    if (logiraj) k.LogirajGrešku(Prefiks + tekst);
}

void ZabilježiGrešku(Kontekst& k, const QString& tekst) {
    k.stanje->ZadnjaPoruka = tekst;
    k.LogirajGrešku(Prefiks + tekst);
}

bool Odustani(Kontekst& k) {
    PokušajVratitiSveNaPočetak(k);
    return false;
}

bool KritičnoIOdustani(Kontekst& k, const QString& tekst) {
    k.Pokaži(tekst, Ikona::Kritična);
    return Odustani(k);
}

bool OdustaniUzZadnjuPoruku(Kontekst& k) {
    return KritičnoIOdustani(k, k.stanje->ZadnjaPoruka + CRLF + PokušajStareVerzije);
}

QString GreškaPremještanja(const QString& početak, const TekstoviVrste& t, const QString& ime,
                           const GreškaDatoteke& g) {
    return početak + ime + (t.drugiPokušaj ? UUporabi : QString()) + CRLF + DetaljGreške + g.opis;
}

// The journal hears of a step before it happens, so a cut-short run can be undone.
bool Zabilježi(Kontekst& k, const QString& oznaka, const QString& ime) {
    const GreškaDatoteke g = ZabilježiUDnevnik(*k.datoteke, *k.stanje, oznaka, ime);
    if (g.uspjeh()) return true;
    ZabilježiGrešku(k, QStringLiteral("Nastala je greška u zapisu dnevnika instalacije za datoteku: ") + ime +
                           CRLF + DetaljGreške + g.opis);
    return false;
}

// The old file stands whole in the backup directory: from now on the journal
// lets it come back over whatever is put in its place.
bool Premještena(Kontekst& k, const QString& ime) {
    return Zabilježi(k, DnevnikSpremljena, ime) || OdustaniUzZadnjuPoruku(k);
}

// Moves the installed file into the backup directory. A file that is not
// installed yet (53) needs no backup.
bool NapraviBackup(Kontekst& k, const TekstoviVrste& t, const QString& ime, const QString& dir) {
    const QString od = dir + ime;
    const QString na = k.stanje->BackupDirektorija + ime;
    Najavi(k, t.backup + ime);
    if (!Zabilježi(k, DnevnikBackup, ime)) return OdustaniUzZadnjuPoruku(k);
    GreškaDatoteke g = k.datoteke->Premjesti(od, na);
    if (g.uspjeh()) return Premještena(k, ime);
    if (g.broj == GreškaNijePronađena) return Zabilježi(k, DnevnikNova, ime) || OdustaniUzZadnjuPoruku(k);
    ZabilježiGrešku(k, GreškaPremještanja(t.greškaPremještanja, t, ime, g));
    if (!t.drugiPokušaj) return OdustaniUzZadnjuPoruku(k);
    if (k.Pitaj(VrstaPitanja::PonovniPokušajDatoteke, k.stanje->ZadnjaPoruka + CRLF + PitanjePonovo) !=
        Odgovor::Da)
        return Odustani(k);
    Najavi(k, t.ponovniBackup + ime);
    g = k.datoteke->Premjesti(od, na);
    if (g.uspjeh()) return Premještena(k, ime);
    ZabilježiGrešku(k, GreškaPremještanja(t.greškaPonovnogPremještanja, t, ime, g));
    return OdustaniUzZadnjuPoruku(k);
}

bool KopirajNovu(Kontekst& k, const TekstoviVrste& t, const QString& ime, const QString& dir) {
    Najavi(k, t.kopiranje + ime);
    const GreškaDatoteke g = k.datoteke->Kopiraj(k.stanje->UpdateDirektorija + ime, dir + ime);
    if (g.uspjeh()) return true;
    ZabilježiGrešku(k, t.greškaKopiranja + ime + CRLF + DetaljGreške + g.opis);
    return OdustaniUzZadnjuPoruku(k);
}

bool ZamijeniKomponentu(Kontekst& k, const QString& ime) {
    const QString dir = k.stanje->ProgramskaDirektorija;
    Najavi(k, QStringLiteral("Deregistracija komponente: ") + ime, false, true);
    // Noted before the unregistration, so a cut-short run registers the component again.
    if (!Zabilježi(k, DnevnikBackup, ime)) return OdustaniUzZadnjuPoruku(k);
    if (!DeregistrirajKomponentu(*k.procesi, *k.log, dir, ime))
        return KritičnoIOdustani(k, QStringLiteral("Desila se greška u deregistraciji komponente: ") + ime +
                                        CRLF + k.stanje->ZadnjaPoruka + CRLF + PokušajStareVerzije);
    if (!NapraviBackup(k, Komponenta, ime, dir) || !KopirajNovu(k, Komponenta, ime, dir)) return false;
    Najavi(k, QStringLiteral("Registracija nove komponente: ") + ime, true, false);
    if (!RegistrirajKomponentu(*k.procesi, *k.log, dir, ime))
        return KritičnoIOdustani(k, QStringLiteral("Desila se greška u registraciji nove komponente: ") +
                                        ime + CRLF + k.stanje->ZadnjaPoruka + CRLF + PokušajStareVerzije);
    return true;
}

} // namespace

bool ZamijeniDatotekuPoVrsti(Kontekst& k, const QString& ime) {
    const Vrsta vrsta = VrstaDatoteke(ime);
    const QString dir = DirektorijaZaVrstu(*k.stanje, vrsta);
    if (vrsta == Vrsta::Program)
        return NapraviBackup(k, Program, ime, dir) && KopirajNovu(k, Program, ime, dir);
    if (vrsta == Vrsta::Komponenta) return ZamijeniKomponentu(k, ime);
    if (vrsta == Vrsta::Skripta || vrsta == Vrsta::Pomoć) {
        // Where the scripts or help directory is still missing, a first file just goes in.
        if (!k.datoteke->PostojiDirektorij(dir)) k.datoteke->KreirajDirektorij(dir);
        return NapraviBackup(k, Datoteka, ime, dir) && KopirajNovu(k, Datoteka, ime, dir);
    }
    // Left in the update directory; the run still counts the row as done.
    k.LogirajGrešku(Prefiks + QStringLiteral("nepoznata ekstenzija: ") + NastavakImena(ime));
    return true;
}

} // namespace morvela
