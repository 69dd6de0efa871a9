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
void Najavi(const UslugeZamjene& u, const QString& tekst, bool prikaži = true, bool logiraj = true) {
    u.stanje.ZadnjaPoruka = tekst;
    if (prikaži) u.status.PrikažiAkciju(tekst);
    if (logiraj) u.log.LogirajGrešku(Prefiks + tekst);
}

void ZabilježiGrešku(const UslugeZamjene& u, const QString& tekst) {
    u.stanje.ZadnjaPoruka = tekst;
    u.log.LogirajGrešku(Prefiks + tekst);
}

bool Odustani(const UslugeZamjene& u) {
    PokušajVratitiSveNaPočetak(u);
    return false;
}

bool KritičnoIOdustani(const UslugeZamjene& u, const QString& tekst) {
    u.poruke.Pokaži(tekst, Ikona::Kritična);
    return Odustani(u);
}

bool OdustaniUzZadnjuPoruku(const UslugeZamjene& u) {
    return KritičnoIOdustani(u, u.stanje.ZadnjaPoruka + CRLF + PokušajStareVerzije);
}

QString GreškaPremještanja(const QString& početak, const TekstoviVrste& t, const QString& ime,
                           const GreškaDatoteke& g) {
    return početak + ime + (t.drugiPokušaj ? UUporabi : QString()) + CRLF + DetaljGreške + g.opis;
}

// The journal hears of a step before it happens, so a cut-short run can be undone.
bool Zabilježi(const UslugeZamjene& u, const QString& oznaka, const QString& ime) {
    const GreškaDatoteke g = ZabilježiUDnevnik(u.datoteke, u.stanje, oznaka, ime);
    if (g.uspjeh()) return true;
    ZabilježiGrešku(u, QStringLiteral("Nastala je greška u zapisu dnevnika instalacije za datoteku: ") + ime +
                           CRLF + DetaljGreške + g.opis);
    return false;
}

// The old file stands whole in the backup directory: from now on the journal
// lets it come back over whatever is put in its place.
bool Premještena(const UslugeZamjene& u, const QString& ime) {
    return Zabilježi(u, DnevnikSpremljena, ime) || OdustaniUzZadnjuPoruku(u);
}

// Moves the installed file into the backup directory. A file that is not
// installed yet (53) needs no backup.
bool NapraviBackup(const UslugeZamjene& u, const TekstoviVrste& t, const QString& ime, const QString& dir) {
    const QString od = dir + ime;
    const QString na = u.stanje.BackupDirektorija + ime;
    Najavi(u, t.backup + ime);
    if (!Zabilježi(u, DnevnikBackup, ime)) return OdustaniUzZadnjuPoruku(u);
    GreškaDatoteke g = u.datoteke.Premjesti(od, na);
    if (g.uspjeh()) return Premještena(u, ime);
    if (g.broj == GreškaNijePronađena) return Zabilježi(u, DnevnikNova, ime) || OdustaniUzZadnjuPoruku(u);
    ZabilježiGrešku(u, GreškaPremještanja(t.greškaPremještanja, t, ime, g));
    if (!t.drugiPokušaj) return OdustaniUzZadnjuPoruku(u);
    if (u.poruke.Pokaži(u.stanje.ZadnjaPoruka + CRLF + PitanjePonovo, Ikona::Pitanje, Gumbi::DaNe,
                        VrstaPitanja::PonovniPokušajDatoteke) != Odgovor::Da)
        return Odustani(u);
    Najavi(u, t.ponovniBackup + ime);
    g = u.datoteke.Premjesti(od, na);
    if (g.uspjeh()) return Premještena(u, ime);
    ZabilježiGrešku(u, GreškaPremještanja(t.greškaPonovnogPremještanja, t, ime, g));
    return OdustaniUzZadnjuPoruku(u);
}

bool KopirajNovu(const UslugeZamjene& u, const TekstoviVrste& t, const QString& ime, const QString& dir) {
    Najavi(u, t.kopiranje + ime);
    const GreškaDatoteke g = u.datoteke.Kopiraj(u.stanje.UpdateDirektorija + ime, dir + ime);
    if (g.uspjeh()) return true;
    ZabilježiGrešku(u, t.greškaKopiranja + ime + CRLF + DetaljGreške + g.opis);
    return OdustaniUzZadnjuPoruku(u);
}

bool ZamijeniKomponentu(const UslugeZamjene& u, const QString& ime) {
    const QString dir = u.stanje.ProgramskaDirektorija;
    Najavi(u, QStringLiteral("Deregistracija komponente: ") + ime, false, true);
    // Noted before the unregistration, so a cut-short run registers the component again.
    if (!Zabilježi(u, DnevnikBackup, ime)) return OdustaniUzZadnjuPoruku(u);
    if (!DeregistrirajKomponentu(u.procesi, u.log, dir, ime))
        return KritičnoIOdustani(u, QStringLiteral("Desila se greška u deregistraciji komponente: ") + ime +
                                        CRLF + u.stanje.ZadnjaPoruka + CRLF + PokušajStareVerzije);
    if (!NapraviBackup(u, Komponenta, ime, dir) || !KopirajNovu(u, Komponenta, ime, dir)) return false;
    Najavi(u, QStringLiteral("Registracija nove komponente: ") + ime, true, false);
    if (!RegistrirajKomponentu(u.procesi, u.log, dir, ime))
        return KritičnoIOdustani(u, QStringLiteral("Desila se greška u registraciji nove komponente: ") +
                                        ime + CRLF + u.stanje.ZadnjaPoruka + CRLF + PokušajStareVerzije);
    return true;
}

} // namespace

bool ZamijeniDatotekuPoVrsti(const UslugeZamjene& u, const QString& ime) {
    const Vrsta vrsta = VrstaDatoteke(ime);
    const QString dir = DirektorijaZaVrstu(u.stanje, vrsta);
    if (vrsta == Vrsta::Program)
        return NapraviBackup(u, Program, ime, dir) && KopirajNovu(u, Program, ime, dir);
    if (vrsta == Vrsta::Komponenta) return ZamijeniKomponentu(u, ime);
    if (vrsta == Vrsta::Skripta || vrsta == Vrsta::Pomoć) {
        // Where the scripts or help directory is still missing, a first file just goes in.
        if (!u.datoteke.PostojiDirektorij(dir)) u.datoteke.KreirajDirektorij(dir);
        return NapraviBackup(u, Datoteka, ime, dir) && KopirajNovu(u, Datoteka, ime, dir);
    }
    // Left in the update directory; the run still counts the row as done.
    u.log.LogirajGrešku(Prefiks + QStringLiteral("nepoznata ekstenzija: ") + NastavakImena(ime));
    return true;
}

} // namespace morvela
