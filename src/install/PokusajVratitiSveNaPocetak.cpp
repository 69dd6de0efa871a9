#include "install/PokusajVratitiSveNaPocetak.h"

#include "install/DnevnikInstalacije.h"
#include "install/Registracija.h"
#include "install/TekstoviInstalacije.h"
#include "versions/PravilaVerzija.h"

#include <algorithm>

namespace morvela {

namespace {

const QString Prefiks = QStringLiteral("PokušajVratitiSveNaPočetak - ");
const QString ZavršetakA =
    QStringLiteral("Program ne može razriješiti problem pa ćete morati reinstalirati program!");
const QString ZavršetakB =
    QStringLiteral("Program ne može razriješiti problem te ćete morati reinstalirati program!");

// A failed step: its text becomes the current message, is logged and shown with the closing text.
void JaviGrešku(const UslugeZamjene& u, const QString& tekst, const GreškaDatoteke& g,
                const QString& završetak) {
    StanjeRada& s = u.stanje;
    s.ZadnjaPoruka = tekst + CRLF + DetaljGreške + g.opis;
    u.log.LogirajGrešku(Prefiks + s.ZadnjaPoruka);
    u.poruke.Pokaži(s.ZadnjaPoruka + CRLF + završetak, Ikona::Kritična);
}

// Puts one file back; "što" names it in the messages ("programa", "komponente", "datoteke").
bool VratiDatoteku(const UslugeZamjene& u, const QString& ime, const QString& dir, const QString& što,
                   const QString& završetak) {
    StanjeRada& s = u.stanje;
    s.ZadnjaPoruka = QStringLiteral("Kopiranje nazad ") + što + QStringLiteral(": ") + ime;
    u.status.PrikažiAkciju(s.ZadnjaPoruka);
    u.log.LogirajGrešku(Prefiks + s.ZadnjaPoruka);
    const GreškaDatoteke g = VratiIzBackupa(u.datoteke, s, ime, dir);
    if (g.uspjeh()) return true;
    JaviGrešku(u, QStringLiteral("Nastala je greška u kopiranju nazad ") + što + QStringLiteral(": ") + ime,
               g, završetak);
    return false;
}

void Deregistriraj(const UslugeZamjene& u, const QString& ime) {
    StanjeRada& s = u.stanje;
    s.ZadnjaPoruka = QStringLiteral("Deregistracija komponente: ") + ime;
    if (!DeregistrirajKomponentu(u.procesi, u.log, s.ProgramskaDirektorija, ime))
        u.poruke.Pokaži(QStringLiteral("Desila se greška u deregistraciji komponente: ") + ime + CRLF +
                            s.ZadnjaPoruka + CRLF + PokušajStareVerzije,
                        Ikona::Kritična);
}

bool VratiKomponentu(const UslugeZamjene& u, const QString& ime) {
    StanjeRada& s = u.stanje;
    Deregistriraj(u, ime);
    const bool vraćena =
        VratiDatoteku(u, ime, s.ProgramskaDirektorija, QStringLiteral("komponente"), ZavršetakA);
    s.ZadnjaPoruka = QStringLiteral("Registracija stare komponente: ") + ime;
    u.status.PrikažiAkciju(s.ZadnjaPoruka);
    if (!RegistrirajKomponentu(u.procesi, u.log, s.ProgramskaDirektorija, ime))
        u.poruke.Pokaži(QStringLiteral("Desila se greška u registraciji stare komponente: ") + ime + CRLF +
                            s.ZadnjaPoruka + CRLF + PokušajStareVerzije,
                        Ikona::Kritična);
    return vraćena;
}

bool Vrati(const UslugeZamjene& u, const Povrat& p) {
    const Vrsta vrsta = p.ime == ImeListeVerzija ? Vrsta::Lista : VrstaDatoteke(p.ime);
    if (vrsta == Vrsta::Komponenta) return VratiKomponentu(u, p.ime);
    if (vrsta == Vrsta::Program || vrsta == Vrsta::Lista)
        return VratiDatoteku(u, p.ime, p.direktorija, QStringLiteral("programa"), ZavršetakA);
    return VratiDatoteku(u, p.ime, p.direktorija, QStringLiteral("datoteke"), ZavršetakB);
}

// A file the run added where there was none before goes again.
bool Ukloni(const UslugeZamjene& u, const Povrat& p) {
    StanjeRada& s = u.stanje;
    if (VrstaDatoteke(p.ime) == Vrsta::Komponenta) Deregistriraj(u, p.ime);
    s.ZadnjaPoruka = QStringLiteral("Brisanje nove datoteke: ") + p.ime;
    u.status.PrikažiAkciju(s.ZadnjaPoruka);
    u.log.LogirajGrešku(Prefiks + s.ZadnjaPoruka);
    const GreškaDatoteke g = u.datoteke.Obriši(p.direktorija + p.ime, true);
    if (g.uspjeh()) return true;
    JaviGrešku(u, QStringLiteral("Nastala je greška u brisanju nove datoteke: ") + p.ime, g, ZavršetakA);
    return false;
}

} // namespace

QString DirektorijaZaVrstu(const StanjeRada& s, Vrsta vrsta) {
    switch (vrsta) {
    case Vrsta::Program:
    case Vrsta::Komponenta:
        return s.ProgramskaDirektorija;
    case Vrsta::Skripta:
        return s.SkripteDirektorija;
    case Vrsta::Pomoć:
        return s.HelpDirektorija;
    case Vrsta::Lista:
    case Vrsta::Ostalo:
        break;
    }
    return {};
}

bool PokušajVratitiSveNaPočetak(const UslugeZamjene& u) {
    StanjeRada& s = u.stanje;
    QList<Povrat> koraci;
    QString razlog;
    if (PostojiDnevnik(u.datoteke, s) && !PročitajPovrat(u.datoteke, s, koraci, razlog)) {
        // Without the journal nothing can tell which backups are this run's; all stay where they are.
        s.ZadnjaPoruka = PorukaNečitljivogDnevnika(s, razlog);
        u.log.LogirajGrešku(Prefiks + s.ZadnjaPoruka);
        u.poruke.Pokaži(s.ZadnjaPoruka, Ikona::Kritična);
        return false;
    }
    const auto vraćanja = std::count_if(koraci.begin(), koraci.end(),
                                        [](const Povrat& p) { return p.radnja == Povrat::Radnja::Vrati; });
    u.log.LogirajGrešku(Prefiks + QStringLiteral("početak. U direktoriji Backup fajlova:") +
                        QString::number(vraćanja));
    QStringList čekaju, ostale;
    for (const Povrat& p : koraci) {
        s.TrenutnaDatoteka = p.ime;
        if (p.radnja == Povrat::Radnja::Vrati && !Vrati(u, p))
            čekaju << p.ime;
        else if (p.radnja == Povrat::Radnja::Ukloni && !Ukloni(u, p))
            ostale << p.ime;
        else if (p.radnja == Povrat::Radnja::Ostavi && VrstaDatoteke(p.ime) == Vrsta::Komponenta)
            // Unregistered just before its move failed: the old one stays and is registered again.
            RegistrirajKomponentu(u.procesi, u.log, s.ProgramskaDirektorija, p.ime);
    }
    const bool sve = čekaju.isEmpty() && ostale.isEmpty();
    if (!sve) {
        // The journal and the backups stay: the next start tries again before anything else.
        s.ZadnjaPoruka = PorukaNevraćenih(s, čekaju, ostale);
        u.log.LogirajGrešku(Prefiks + s.ZadnjaPoruka);
        u.poruke.Pokaži(s.ZadnjaPoruka, Ikona::Kritična);
    } else if (PostojiDnevnik(u.datoteke, s)) {
        if (const GreškaDatoteke g = ObrišiDnevnik(u.datoteke, s))
            u.log.LogirajGrešku(Prefiks + QStringLiteral("Greška u brisanju dnevnika instalacije ") +
                                PutDnevnika(s) + QLatin1Char(' ') + g.opis);
    }
    u.log.LogirajGrešku(Prefiks + QStringLiteral("Kraj"));
    return sve;
}

} // namespace morvela
