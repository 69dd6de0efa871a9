#include "install/DnevnikInstalacije.h"

#include "install/PokusajVratitiSveNaPocetak.h"
#include "install/Registracija.h"
#include "platform/ImeDatoteke.h"
#include "versions/KontrolnaDatoteka.h"
#include "versions/PravilaVerzija.h"

#include <QSet>
#include <QStringDecoder>

namespace morvela {

namespace {

const QString Prefiks = QStringLiteral("ObnoviPrekinutuInstalaciju - ");
const QChar Razdjelnik = QLatin1Char(';');
// The first entry of every journal this program writes.
const QString Zaglavlje = QStringLiteral("DNEVNIK;1");
// Far more than a run of 71 rows writes.
constexpr qint64 NajvećiDnevnik = 1 << 20;

QByteArray Red(const QString& oznaka, const QString& ime) {
    return (oznaka + Razdjelnik + ime + CRLF).toUtf8();
}

// Where a file of the journal lives: the installed list beside the programs.
QString DirektorijaDatoteke(const StanjeRada& s, const QString& ime) {
    if (ime == ImeListeVerzija) return s.ProgramskaDirektorija;
    return DirektorijaZaVrstu(s, VrstaDatoteke(ime));
}

// The entries of a journal as this program writes them, or the reason it is not one.
bool Raščlani(const StanjeRada& s, const QByteArray& sadržaj, QList<QPair<QString, QString>>& zapisi,
              QString& razlog) {
    QStringDecoder dekoder(QStringDecoder::Utf8);
    const QString tekst = dekoder.decode(sadržaj);
    if (dekoder.hasError() || tekst.contains(QChar(0))) {
        razlog = QStringLiteral("nije zapisan kao UTF-8 tekst");
        return false;
    }
    if (!tekst.endsWith(CRLF)) {
        razlog = QStringLiteral("prazan je ili prekinut usred zapisa");
        return false;
    }
    const QStringList redovi = tekst.chopped(CRLF.size()).split(CRLF);
    if (redovi.first() != Zaglavlje) {
        razlog = QStringLiteral("ne počinje zaglavljem dnevnika");
        return false;
    }
    for (const QString& red : redovi.mid(1)) {
        const QString oznaka = red.section(Razdjelnik, 0, 0), ime = red.section(Razdjelnik, 1);
        const bool datoteka = oznaka == DnevnikBackup || oznaka == DnevnikSpremljena || oznaka == DnevnikNova;
        const bool ispravan = (ime == ImeListeVerzija || JeIspravnoImeDatoteke(ime)) &&
                              (datoteka ? !DirektorijaDatoteke(s, ime).isEmpty()
                                        : oznaka == DnevnikPlan || oznaka == DnevnikGotovo);
        if (!ispravan) {
            razlog = QStringLiteral("nepoznat zapis: ") + ImeZaPrikaz(red);
            return false;
        }
        zapisi.append({oznaka, ime});
    }
    return true;
}

bool JeKomponenta(const QString& ime) {
    return ime != ImeListeVerzija && VrstaDatoteke(ime) == Vrsta::Komponenta;
}

class Obnova {
public:
    explicit Obnova(const UslugeZamjene& u) : u(u), s(u.stanje) {}

    void Pokreni(const QList<Povrat>& koraci) {
        for (const Povrat& p : koraci) {
            s.TrenutnaDatoteka = p.ime;
            if (p.radnja == Povrat::Radnja::Vrati)
                Vrati(p.ime, p.direktorija);
            else if (p.radnja == Povrat::Radnja::Ukloni)
                Ukloni(p.ime, p.direktorija);
            else
                Ostavi(p.ime);
        }
        Javi();
        if (čekaju.isEmpty() && ostale.isEmpty()) {
            if (const GreškaDatoteke g = ObrišiDnevnik(u.datoteke, s))
                Logiraj(QStringLiteral("Greška u brisanju dnevnika prekinute instalacije ") + g.opis);
            else
                Logiraj(QStringLiteral("Dnevnik prekinute instalacije je obrisan"));
        }
        Logiraj(QStringLiteral("Kraj"));
    }

private:
    void Logiraj(const QString& tekst) { u.log.LogirajGrešku(Prefiks + tekst); }

    // A file that never reached the backup directory whole was never moved away from its place.
    void Ostavi(const QString& ime) {
        Logiraj(QStringLiteral("Nije premještena u backup, ostaje kakva jest: ") + ime);
        // It may have been unregistered just before the run stopped.
        if (JeKomponenta(ime)) RegistrirajKomponentu(u.procesi, u.log, s.ProgramskaDirektorija, ime);
    }

    void Vrati(const QString& ime, const QString& dir) {
        if (JeKomponenta(ime)) DeregistrirajKomponentu(u.procesi, u.log, s.ProgramskaDirektorija, ime);
        Logiraj(QStringLiteral("Vraćanje stare datoteke: ") + ime);
        if (const GreškaDatoteke g = VratiIzBackupa(u.datoteke, s, ime, dir)) {
            Logiraj(QStringLiteral("Greška u vraćanju datoteke: ") + ime + QLatin1Char(' ') + g.opis);
            čekaju << ime + QStringLiteral(" (") + g.opis + QLatin1Char(')');
            return;
        }
        if (JeKomponenta(ime)) RegistrirajKomponentu(u.procesi, u.log, s.ProgramskaDirektorija, ime);
        vraćene << ime;
    }

    // A file that had no old version leaves with the run that brought it.
    void Ukloni(const QString& ime, const QString& dir) {
        if (JeKomponenta(ime)) DeregistrirajKomponentu(u.procesi, u.log, s.ProgramskaDirektorija, ime);
        Logiraj(QStringLiteral("Brisanje nove datoteke: ") + ime);
        if (const GreškaDatoteke g = u.datoteke.Obriši(dir + ime, true)) {
            Logiraj(QStringLiteral("Greška u brisanju datoteke: ") + ime + QLatin1Char(' ') + g.opis);
            ostale << ime + QStringLiteral(" (") + g.opis + QLatin1Char(')');
            return;
        }
        uklonjene << ime;
    }

    void Javi() {
        QString tekst = QStringLiteral("Prethodna instalacija novih verzija je prekinuta prije kraja.");
        const bool sve = čekaju.isEmpty() && ostale.isEmpty();
        if (vraćene.isEmpty() && uklonjene.isEmpty() && sve)
            tekst += CRLF + QStringLiteral("Nijedna datoteka nije bila zamijenjena.");
        if (!vraćene.isEmpty())
            tekst += CRLF + QStringLiteral("Vraćene su stare verzije datoteka:") + CRLF + vraćene.join(CRLF);
        if (!uklonjene.isEmpty())
            tekst += CRLF + QStringLiteral("Uklonjene su nove datoteke koje prije nisu postojale:") + CRLF +
                     uklonjene.join(CRLF);
        tekst += CRLF + (sve ? QStringLiteral("Programi su u stanju prije te instalacije.")
                             : PorukaNevraćenih(s, čekaju, ostale));
        s.ZadnjaPoruka = tekst;
        if (!sve) Logiraj(PorukaNevraćenih(s, čekaju, ostale));
        u.poruke.Pokaži(tekst, sve ? Ikona::Usklicnik : Ikona::Kritična);
    }

    const UslugeZamjene u;
    StanjeRada& s;
    QStringList vraćene, uklonjene, čekaju, ostale;
};

} // namespace

QString DirektorijaDnevnika(const StanjeRada& s) {
    return s.UpdateDirektorija + ImeDirektorijeDnevnika + Separator();
}

QString PutDnevnika(const StanjeRada& s) {
    return DirektorijaDnevnika(s) + ImeDnevnika;
}

bool PostojiDnevnik(const IDatoteke& datoteke, const StanjeRada& s) {
    return datoteke.PostojiDatoteka(PutDnevnika(s));
}

GreškaDatoteke ZapočniDnevnik(IDatoteke& datoteke, const StanjeRada& s, const QStringList& plan) {
    const QString dir = DirektorijaDnevnika(s);
    if (!datoteke.PostojiDirektorij(dir))
        if (const GreškaDatoteke g = datoteke.KreirajDirektorij(dir)) return g;
    QByteArray sadržaj = Zaglavlje.toUtf8() + CRLF.toUtf8();
    for (const QString& ime : plan)
        sadržaj += Red(DnevnikPlan, ime);
    return datoteke.Zapiši(PutDnevnika(s), sadržaj);
}

GreškaDatoteke ZabilježiUDnevnik(IDatoteke& datoteke, const StanjeRada& s, const QString& oznaka,
                                 const QString& ime) {
    const QString put = PutDnevnika(s);
    if (!datoteke.PostojiDatoteka(put)) return {};
    QByteArray sadržaj;
    if (const GreškaDatoteke g = datoteke.Pročitaj(put, sadržaj, NajvećiDnevnik)) return g;
    return datoteke.Zapiši(put, sadržaj + Red(oznaka, ime));
}

GreškaDatoteke ObrišiDnevnik(IDatoteke& datoteke, const StanjeRada& s) {
    return datoteke.Obriši(PutDnevnika(s), true);
}

bool PročitajPovrat(const IDatoteke& datoteke, const StanjeRada& s, QList<Povrat>& koraci, QString& razlog) {
    koraci.clear();
    QByteArray sadržaj;
    if (const GreškaDatoteke g = datoteke.Pročitaj(PutDnevnika(s), sadržaj, NajvećiDnevnik)) {
        razlog = g.opis;
        return false;
    }
    if (sadržaj.size() > NajvećiDnevnik) {
        razlog = QStringLiteral("prevelik je");
        return false;
    }
    QList<QPair<QString, QString>> zapisi;
    if (!Raščlani(s, sadržaj, zapisi, razlog)) return false;
    QStringList imena;
    QSet<QString> spremljene, nove;
    for (const auto& [oznaka, ime] : zapisi) {
        if ((oznaka == DnevnikBackup || oznaka == DnevnikNova) && !imena.contains(ime)) imena << ime;
        if (oznaka == DnevnikSpremljena) spremljene << ime;
        if (oznaka == DnevnikNova) nove << ime;
    }
    for (const QString& ime : imena) {
        const QString dir = DirektorijaDatoteke(s, ime);
        const bool naMjestu = datoteke.PostojiDatoteka(dir + ime);
        Povrat::Radnja radnja = Povrat::Radnja::Ostavi;
        if (nove.contains(ime)) {
            // No old version: whatever stands there came with the run; a stale file of
            // that name in the backup directory is not one.
            if (!naMjestu) continue;
            radnja = Povrat::Radnja::Ukloni;
        } else if (datoteke.PostojiDatoteka(s.BackupDirektorija + ime) &&
                   (spremljene.contains(ime) || !naMjestu)) {
            // A move takes the original away only once its copy stands whole, so a file
            // missing from its place is in the backup directory even when the run was cut
            // before the journal heard of it. With the file still in place, a backup the
            // journal does not vouch for may be partial or left from before.
            radnja = Povrat::Radnja::Vrati;
        }
        koraci.append({radnja, ime, dir});
    }
    return true;
}

GreškaDatoteke VratiIzBackupa(IDatoteke& datoteke, const StanjeRada& s, const QString& ime,
                              const QString& direktorija) {
    const QString cilj = direktorija + ime;
    // The new file makes way first: on a full disk there is no room for both. Until the
    // old one has its name back, the journal still names it.
    if (datoteke.PostojiDatoteka(cilj))
        if (const GreškaDatoteke g = datoteke.Obriši(cilj, true)) return g;
    return datoteke.Premjesti(s.BackupDirektorija + ime, cilj);
}

QString PovezanaRadnaDirektorija(const StanjeRada& s) {
    for (const QString& dir : {s.UpdateDirektorija, s.BackupDirektorija, DirektorijaDnevnika(s)})
        if (JeSimboličkaVeza(dir)) return dir;
    return {};
}

QString PorukaNečitljivogDnevnika(const StanjeRada& s, const QString& razlog) {
    return QStringLiteral("Dnevnik prekinute instalacije ") + PutDnevnika(s) +
           QStringLiteral(" nije moguće pročitati (") + razlog +
           QStringLiteral(
               "). Ništa nije vraćeno ni obrisano: stare verzije datoteka nalaze se u direktoriji ") +
           s.BackupDirektorija +
           QStringLiteral(
               ". Vratite ih ručno ili se obratite Mor-veli, a zatim obrišite dnevnik. Do tada nije "
               "moguće instalirati nove verzije.");
}

QString PorukaNevraćenih(const StanjeRada& s, const QStringList& čekaju, const QStringList& ostale) {
    QStringList dijelovi;
    if (!čekaju.isEmpty())
        dijelovi << QStringLiteral("Stare verzije ovih datoteka nisu vraćene i čekaju u direktoriji ") +
                        s.BackupDirektorija + QLatin1Char(':') + CRLF + čekaju.join(CRLF);
    if (!ostale.isEmpty())
        dijelovi << QStringLiteral("Ove nove datoteke nije bilo moguće ukloniti:") + CRLF + ostale.join(CRLF);
    dijelovi << QStringLiteral("Dnevnik instalacije je sačuvan i program će to pokušati ponovno kod "
                               "sljedećeg pokretanja. Ukoliko ne uspije najvjerojatnije ćete morati "
                               "reinstalirati program!");
    return dijelovi.join(CRLF);
}

void ObnoviPrekinutuInstalaciju(Kontekst& k) {
    // At start-up nothing has set the working directories yet.
    if (k.stanje->ProgramskaDirektorija.isEmpty()) PostaviDirektorije(k);
    const StanjeRada& s = *k.stanje;
    // Never through a link: what it points at is not ours.
    for (const QString& dir : {s.ProgramskaDirektorija, s.UpdateDirektorija, s.BackupDirektorija,
                               DirektorijaDnevnika(s), s.SkripteDirektorija, s.HelpDirektorija})
        if (!JeSimboličkaVeza(dir)) ObrišiPrivremene(*k.datoteke, dir);
    if (!PostojiDnevnik(*k.datoteke, s)) return;
    const QString veza = PovezanaRadnaDirektorija(s);
    QList<Povrat> koraci;
    QString razlog;
    if (veza.isEmpty() && PročitajPovrat(*k.datoteke, s, koraci, razlog)) {
        k.LogirajGrešku(Prefiks + QStringLiteral("Pronađen je dnevnik prekinute instalacije: ") +
                        PutDnevnika(s));
        Obnova(UslugeZamjene::Iz(k)).Pokreni(koraci);
        return;
    }
    // Kept as it is, the journal still guards the backup directory; the next start tries again.
    k.stanje->ZadnjaPoruka =
        veza.isEmpty() ? PorukaNečitljivogDnevnika(s, razlog) : PorukaSimboličkeVeze(veza);
    k.LogirajGrešku(Prefiks + k.stanje->ZadnjaPoruka);
    k.Pokaži(k.stanje->ZadnjaPoruka, Ikona::Kritična);
}

} // namespace morvela
