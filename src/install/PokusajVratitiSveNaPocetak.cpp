#include "install/PokusajVratitiSveNaPocetak.h"

#include "install/Registracija.h"
#include "install/TekstoviInstalacije.h"
#include "versions/PravilaVerzija.h"

namespace morvela {

namespace {

const QString Prefiks = QStringLiteral("PokušajVratitiSveNaPočetak - ");
const QString ZavršetakA =
    QStringLiteral("Program ne može razriješiti problem pa ćete morati reinstalirati program!");
const QString ZavršetakB =
    QStringLiteral("Program ne može razriješiti problem te ćete morati reinstalirati program!");

// Copies one file back; "što" names it in the messages ("programa", "komponente", "datoteke").
void VratiDatoteku(Kontekst& k, const QString& ime, const QString& dir, const QString& što,
                   const QString& završetak) {
    StanjeRada& s = *k.stanje;
    s.ZadnjaPoruka = QStringLiteral("Kopiranje nazad ") + što + QStringLiteral(": ") + ime;
    k.PrikažiAkciju(s.ZadnjaPoruka);
    k.LogirajGrešku(Prefiks + s.ZadnjaPoruka);
    const GreškaDatoteke g = k.datoteke->Kopiraj(s.BackupDirektorija + ime, dir + ime);
    if (g.uspjeh()) return;
    s.ZadnjaPoruka = QStringLiteral("Nastala je greška u kopiranju nazad ") + što + QStringLiteral(": ") +
                     ime + CRLF + DetaljGreške + g.opis;
    k.LogirajGrešku(Prefiks + s.ZadnjaPoruka);
    k.Pokaži(s.ZadnjaPoruka + CRLF + završetak, Ikona::Kritična);
}

void VratiKomponentu(Kontekst& k, const QString& ime) {
    StanjeRada& s = *k.stanje;
    s.ZadnjaPoruka = QStringLiteral("Deregistracija komponente: ") + ime;
    if (!DeregistrirajKomponentu(k, s.ProgramskaDirektorija, ime))
        k.Pokaži(QStringLiteral("Desila se greška u deregistraciji komponente: ") + ime + CRLF +
                     s.ZadnjaPoruka + CRLF + PokušajStareVerzije,
                 Ikona::Kritična);
    VratiDatoteku(k, ime, s.ProgramskaDirektorija, QStringLiteral("komponente"), ZavršetakA);
    s.ZadnjaPoruka = QStringLiteral("Registracija stare komponente: ") + ime;
    k.PrikažiAkciju(s.ZadnjaPoruka);
    if (!RegistrirajKomponentu(k, s.ProgramskaDirektorija, ime))
        k.Pokaži(QStringLiteral("Desila se greška u registraciji stare komponente: ") + ime + CRLF +
                     s.ZadnjaPoruka + CRLF + PokušajStareVerzije,
                 Ikona::Kritična);
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

void PokušajVratitiSveNaPočetak(Kontekst& k) {
    StanjeRada& s = *k.stanje;
    QStringList imena;
    if (const GreškaDatoteke g = k.datoteke->PopisDatoteka(s.BackupDirektorija, imena)) {
        // Nothing to restore from; the installation run created or emptied it just before.
        k.LogirajGrešku(Prefiks + QStringLiteral("Greška u čitanju direktorije ") + s.BackupDirektorija +
                        QStringLiteral(" - ") + g.opis);
        return;
    }
    k.LogirajGrešku(Prefiks + QStringLiteral("početak. U direktoriji Backup fajlova:") +
                    QString::number(imena.size()));
    for (const QString& ime : imena) {
        s.TrenutnaDatoteka = ime;
        const Vrsta vrsta = VrstaDatoteke(ime);
        if (vrsta == Vrsta::Program || vrsta == Vrsta::Lista)
            VratiDatoteku(k, ime, s.ProgramskaDirektorija, QStringLiteral("programa"), ZavršetakA);
        else if (vrsta == Vrsta::Komponenta)
            VratiKomponentu(k, ime);
        else if (vrsta == Vrsta::Skripta || vrsta == Vrsta::Pomoć)
            VratiDatoteku(k, ime, DirektorijaZaVrstu(s, vrsta), QStringLiteral("datoteke"), ZavršetakB);
        else
            k.LogirajGrešku(Prefiks + QStringLiteral("nepoznata ekstenzija: ") + NastavakImena(ime));
    }
    k.LogirajGrešku(Prefiks + QStringLiteral("Kraj"));
}

} // namespace morvela
