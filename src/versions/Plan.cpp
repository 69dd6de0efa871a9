#include "versions/Plan.h"

#include "versions/PravilaVerzija.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cmath>
#include <limits>

namespace morvela {

namespace {

const QString Proc = QStringLiteral("NapraviRsŠtoTrebaAžurirati");

// Stops the plan with a message that is logged as it is shown.
bool Prekini(Kontekst& k, const QString& poruka, const QString& logPrefiks, Ikona ikona) {
    k.stanje->ZadnjaPoruka = poruka;
    k.LogirajGrešku(logPrefiks + poruka);
    k.Pokaži(poruka, ikona);
    return false;
}

// The total is a 32-bit whole number, so every addition lands on a whole
// number again (halves to even, as the old integer variable did).
qint32 DodajUZbroj(qint32 zbroj, const QString& veličina) {
    const double v = std::nearbyint(double(zbroj) + BrojčanaVrijednost(veličina));
    if (v >= double(std::numeric_limits<qint32>::max())) return std::numeric_limits<qint32>::max();
    if (v <= double(std::numeric_limits<qint32>::min())) return std::numeric_limits<qint32>::min();
    return qint32(v);
}

// The updater's own row stands for the running program, whose file has no
// ".exe" where the platform does not use one.
QString VlastitoIme() {
    const QString ime = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    return ime.isEmpty() ? ImeUpdatera : ime;
}

class Odluka {
public:
    explicit Odluka(Kontekst& k) : k(k), s(*k.stanje) {}

    void Odluči(int red) {
        Matrica& nove = s.NoveVerzije;
        const QString ime = nove.tekst(red, Ime);
        const int stari = NađiRed(s.StareVerzije, ime);

        if (stari < 0) {
            if (ime == ImeUpdatera) return Označi(red, false);
            k.LogirajGrešku(Proc + QStringLiteral(" - Nije pronađen zapis o starim verzija za :") + ime +
                            QStringLiteral(" pa se mora kopirati"));
            pratnja.Uzet(ime);
            return Označi(red, true);
        }

        const Matrica& stare = s.StareVerzije;
        const Vrsta vrsta = VrstaDatoteke(ime);
        bool novija = JeNovijiZapis(stare, stari, nove, red);

        if (!novija) {
            if (vrsta == Vrsta::Skripta || vrsta == Vrsta::Pomoć) {
                const QString put =
                    (vrsta == Vrsta::Skripta ? s.SkripteDirektorija : s.HelpDirektorija) + ime;
                if (!k.datoteke->PostojiDatoteka(put)) {
                    LogirajNedostaje(put);
                    novija = true;
                }
                if (!novija)
                    novija = VeličinaKao32(stare.tekst(stari, StvarnaVeličina)) <
                             VeličinaKao32(nove.tekst(red, StvarnaVeličina));
            } else {
                const QString datoteka = ime == ImeUpdatera ? VlastitoIme() : ime;
                if (!k.datoteke->PostojiDatoteka(s.ProgramskaDirektorija + datoteka)) {
                    LogirajNedostaje(datoteka);
                    novija = true;
                }
            }
        }

        if (ime == ImeUpdatera || !novija) {
            // Scripts listed after a planned database-change library go with it.
            return Označi(red, pratnja.SkriptaIde(vrsta));
        }

        k.LogirajGrešku(Proc + QStringLiteral(" - Treba instalirati: ") + ime);
        s.UkupnoZaPrijenos = DodajUZbroj(s.UkupnoZaPrijenos, nove.tekst(red, VeličinaDownload));
        pratnja.Uzet(ime);
        Označi(red, true);
    }

private:
    void Označi(int red, bool planiran) {
        s.NoveVerzije.postavi(red, TrebaInstalirati, qint16(planiran ? 1 : 0));
    }
    void LogirajNedostaje(const QString& što) {
        k.LogirajGrešku(Proc + QStringLiteral(" - Nije nađena datoteka: ") + što +
                        QStringLiteral(" pa se mora napraviti"));
    }

    Kontekst& k;
    StanjeRada& s;
    // Only the database-change library matters here: help files are not taken along.
    Pratnja pratnja;
};

QList<RedPlana> RedoviMreže(const Matrica& nove) {
    QList<RedPlana> redovi;
    for (const PlaniraniRed& p : PlaniraniRedovi(nove)) {
        const int r = p.red;
        redovi.append({p.ime, nove.tekst(r, Ver_Gl), nove.tekst(r, Ver_Pom), nove.tekst(r, Ver_Rev),
                       nove.tekst(r, VeličinaDownload), nove.tekst(r, StvarnaVeličina)});
    }
    return redovi;
}

} // namespace

bool NapraviRsŠtoTrebaAžurirati(Kontekst& k) {
    StanjeRada& s = *k.stanje;
    const QString novaLista = s.UpdateDirektorija + ImeListeVerzija;
    const QString staraLista = s.ProgramskaDirektorija + ImeListeVerzija;

    k.LogirajGrešku(Proc + QStringLiteral(" - početak"));
    k.LogirajGrešku(Proc + QStringLiteral(" - čitanje rs ") + novaLista);
    if (!UčitajMatricu(s.NoveVerzije, novaLista, k.ZaMatricu(), &s.NovaLista))
        return Prekini(k,
                       Proc + QStringLiteral(" - Desila se greška u čitanju zapisa u matricu iz datoteke. "
                                             "Prekida se ažuriranje!"),
                       QString(), Ikona::Usklicnik);

    k.LogirajGrešku(Proc + QStringLiteral(" - čitanje rs ") + staraLista);
    if (!k.datoteke->PostojiDatoteka(staraLista))
        return Prekini(k,
                       QStringLiteral("Ne postoji datoteka: ") + staraLista +
                           QStringLiteral(" te nije moguće nastaviti sa ažuriranjem. Kontaktirajte Morvela!"),
                       Proc + QLatin1Char(' '), Ikona::Informacija);
    if (!UčitajMatricu(s.StareVerzije, staraLista, k.ZaMatricu()))
        return Prekini(
            k,
            Proc + QStringLiteral(
                       " - Desila se greška u čitanju zapisa u matricu-STARI. Prekida se ažuriranje!"),
            QString(), Ikona::Usklicnik);

    s.PorukeAkcija.clear();
    s.PorukeGrešaka.clear();
    s.UkupnoZaPrijenos = 0;
    k.LogirajGrešku(Proc + QStringLiteral(" - upoređenje što treba ažurirati "));
    Odluka odluka(k);
    for (int r = 0; r < Matrica::Redova; ++r)
        if (s.NoveVerzije.koristi(r)) odluka.Odluči(r);
    k.LogirajGrešku(Proc + QStringLiteral(" - kraj"));

    // A stale Update.txt belongs to an earlier plan; failing to remove it does not matter.
    const QString updateTxt = s.UpdateDirektorija + QStringLiteral("Update.txt");
    if (k.datoteke->PostojiDatoteka(updateTxt)) k.datoteke->Obriši(updateTxt, false);

    const QList<RedPlana> redovi = RedoviMreže(s.NoveVerzije);
    k.mreža->PrikažiPlan(redovi);
    // Nothing to do is still a good check: the program stays open and distribution stays usable.
    if (redovi.isEmpty()) k.PrikažiAkciju(QStringLiteral("Nema novih verzija Mor-vela programa!"));
    return true;
}

void OznačiStanjeReda(Kontekst& k, const QString& ime, int stanje) {
    k.mreža->OznačiStanjeReda(ime, stanje);
}

} // namespace morvela
