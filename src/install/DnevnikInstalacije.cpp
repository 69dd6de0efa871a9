#include "install/DnevnikInstalacije.h"

#include "install/PokusajVratitiSveNaPocetak.h"
#include "install/Registracija.h"
#include "platform/ImeDatoteke.h"
#include "versions/KontrolnaDatoteka.h"
#include "versions/PravilaVerzija.h"

#include <QSet>

namespace morvela {

namespace {

const QString Prefiks = QStringLiteral("ObnoviPrekinutuInstalaciju - ");
const QChar Razdjelnik = QLatin1Char(';');
// Far more than a run of 71 rows writes.
constexpr qint64 NajvećiDnevnik = 1 << 20;

GreškaDatoteke PročitajDnevnik(const Kontekst& k, QByteArray& sadržaj) {
    return k.datoteke->Pročitaj(PutDnevnika(*k.stanje), sadržaj, NajvećiDnevnik);
}

QByteArray Red(const QString& oznaka, const QString& ime) {
    return (oznaka + Razdjelnik + ime + QStringLiteral("\r\n")).toUtf8();
}

// Where a file of the journal lives: the installed list beside the programs.
QString DirektorijaDatoteke(const StanjeRada& s, const QString& ime) {
    if (ime == ImeListeVerzija) return s.ProgramskaDirektorija;
    return DirektorijaZaVrstu(s, VrstaDatoteke(ime));
}

class Obnova {
public:
    explicit Obnova(Kontekst& k) : k(k), s(*k.stanje) {}

    void Pokreni(const QList<QPair<QString, QString>>& zapisi) {
        Logiraj(QStringLiteral("Pronađen je dnevnik prekinute instalacije: ") + PutDnevnika(s));
        QSet<QString> obrađeni;
        for (const auto& [oznaka, ime] : zapisi) {
            if (oznaka == DnevnikPlan || oznaka == DnevnikGotovo) continue;
            // A component is noted before its unregistration and again before its move.
            const QString zapis = oznaka + Razdjelnik + ime;
            if (obrađeni.contains(zapis)) continue;
            obrađeni.insert(zapis);
            const QString dir = DirektorijaDatoteke(s, ime);
            const bool ispravan = !dir.isEmpty() && JeIspravnoImeDatoteke(ime);
            if (ispravan && oznaka == DnevnikBackup)
                Vrati(ime, dir);
            else if (ispravan && oznaka == DnevnikNova)
                Ukloni(ime, dir);
            else
                Logiraj(QStringLiteral("Nepoznat zapis u dnevniku: ") + zapis);
        }
        Javi();
        if (neuspjele.isEmpty()) {
            if (const GreškaDatoteke g = ObrišiDnevnik(k))
                Logiraj(QStringLiteral("Greška u brisanju dnevnika prekinute instalacije ") + g.opis);
            else
                Logiraj(QStringLiteral("Dnevnik prekinute instalacije je obrisan"));
        }
        Logiraj(QStringLiteral("Kraj"));
    }

private:
    void Logiraj(const QString& tekst) { k.LogirajGrešku(Prefiks + tekst); }
    bool JeKomponenta(const QString& ime) const {
        return ime != ImeListeVerzija && VrstaDatoteke(ime) == Vrsta::Komponenta;
    }

    // What the run had moved aside goes back; a file that never reached the
    // backup directory was never moved away from its place.
    void Vrati(const QString& ime, const QString& dir) {
        const QString backup = s.BackupDirektorija + ime;
        if (!k.datoteke->PostojiDatoteka(backup)) {
            Logiraj(QStringLiteral("Nije premještena u backup, ostaje kakva jest: ") + ime);
            // It may have been unregistered just before the run stopped.
            if (JeKomponenta(ime)) RegistrirajKomponentu(k, s.ProgramskaDirektorija, ime);
            return;
        }
        s.TrenutnaDatoteka = ime;
        if (JeKomponenta(ime)) DeregistrirajKomponentu(k, s.ProgramskaDirektorija, ime);
        Logiraj(QStringLiteral("Vraćanje stare datoteke: ") + ime);
        if (const GreškaDatoteke g = k.datoteke->Kopiraj(backup, dir + ime)) {
            Logiraj(QStringLiteral("Greška u vraćanju datoteke: ") + ime + QLatin1Char(' ') + g.opis);
            neuspjele << ime + QStringLiteral(" (") + g.opis + QLatin1Char(')');
            return;
        }
        if (JeKomponenta(ime)) RegistrirajKomponentu(k, s.ProgramskaDirektorija, ime);
        vraćene << ime;
    }

    // A file that had no old version leaves with the run that brought it.
    void Ukloni(const QString& ime, const QString& dir) {
        if (!k.datoteke->PostojiDatoteka(dir + ime)) return;
        s.TrenutnaDatoteka = ime;
        if (JeKomponenta(ime)) DeregistrirajKomponentu(k, s.ProgramskaDirektorija, ime);
        Logiraj(QStringLiteral("Brisanje nove datoteke: ") + ime);
        if (const GreškaDatoteke g = k.datoteke->Obriši(dir + ime, true)) {
            Logiraj(QStringLiteral("Greška u brisanju datoteke: ") + ime + QLatin1Char(' ') + g.opis);
            neuspjele << ime + QStringLiteral(" (") + g.opis + QLatin1Char(')');
            return;
        }
        uklonjene << ime;
    }

    void Javi() {
        QString tekst = QStringLiteral("Prethodna instalacija novih verzija je prekinuta prije kraja.");
        if (vraćene.isEmpty() && uklonjene.isEmpty() && neuspjele.isEmpty())
            tekst += CRLF + QStringLiteral("Nijedna datoteka nije bila zamijenjena.");
        if (!vraćene.isEmpty())
            tekst += CRLF + QStringLiteral("Vraćene su stare verzije datoteka:") + CRLF + vraćene.join(CRLF);
        if (!uklonjene.isEmpty())
            tekst += CRLF + QStringLiteral("Uklonjene su nove datoteke koje prije nisu postojale:") + CRLF +
                     uklonjene.join(CRLF);
        if (!neuspjele.isEmpty())
            tekst += CRLF + QStringLiteral("Nije moguće vratiti:") + CRLF + neuspjele.join(CRLF) + CRLF +
                     QStringLiteral("Program će to pokušati ponovno kod sljedećeg pokretanja. Ukoliko ne "
                                    "uspije najvjerojatnije ćete morati reinstalirati program!");
        else
            tekst += CRLF + QStringLiteral("Programi su u stanju prije te instalacije.");
        s.ZadnjaPoruka = tekst;
        k.Pokaži(tekst, neuspjele.isEmpty() ? Ikona::Usklicnik : Ikona::Kritična);
    }

    Kontekst& k;
    StanjeRada& s;
    QStringList vraćene, uklonjene, neuspjele;
};

} // namespace

QString PutDnevnika(const StanjeRada& s) {
    return s.UpdateDirektorija + ImeDnevnika;
}

bool PostojiDnevnik(const Kontekst& k) {
    return k.datoteke->PostojiDatoteka(PutDnevnika(*k.stanje));
}

GreškaDatoteke ZapočniDnevnik(Kontekst& k, const QStringList& plan) {
    QByteArray sadržaj;
    for (const QString& ime : plan)
        sadržaj += Red(DnevnikPlan, ime);
    return k.datoteke->Zapiši(PutDnevnika(*k.stanje), sadržaj);
}

GreškaDatoteke ZabilježiUDnevnik(Kontekst& k, const QString& oznaka, const QString& ime) {
    const QString put = PutDnevnika(*k.stanje);
    if (!k.datoteke->PostojiDatoteka(put)) return {};
    QByteArray sadržaj;
    if (const GreškaDatoteke g = PročitajDnevnik(k, sadržaj)) return g;
    return k.datoteke->Zapiši(put, sadržaj + Red(oznaka, ime));
}

GreškaDatoteke ObrišiDnevnik(Kontekst& k) {
    return k.datoteke->Obriši(PutDnevnika(*k.stanje), true);
}

void ObnoviPrekinutuInstalaciju(Kontekst& k) {
    // At start-up nothing has set the working directories yet.
    if (k.stanje->ProgramskaDirektorija.isEmpty()) PostaviDirektorije(k);
    const StanjeRada& s = *k.stanje;
    for (const QString& dir : {s.ProgramskaDirektorija, s.UpdateDirektorija, s.BackupDirektorija,
                               s.SkripteDirektorija, s.HelpDirektorija})
        ObrišiPrivremene(*k.datoteke, dir);
    if (!PostojiDnevnik(k)) return;

    QList<QPair<QString, QString>> zapisi;
    QByteArray sadržaj;
    if (const GreškaDatoteke g = PročitajDnevnik(k, sadržaj)) {
        // Unread, it still guards the backup directory; the next start tries again.
        k.LogirajGrešku(Prefiks + QStringLiteral("Greška u čitanju dnevnika prekinute instalacije ") +
                        PutDnevnika(s) + QLatin1Char(' ') + g.opis);
        return;
    }
    const QString tekst = QString::fromUtf8(sadržaj);
    for (const QString& red : tekst.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        const qsizetype razdjelnik = red.indexOf(Razdjelnik);
        if (razdjelnik > 0) zapisi.append({red.left(razdjelnik), red.mid(razdjelnik + 1)});
    }
    Obnova(k).Pokreni(zapisi);
}

} // namespace morvela
