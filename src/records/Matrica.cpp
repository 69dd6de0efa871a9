#include "records/Matrica.h"

#include "platform/Datoteke.h"
#include "platform/ImeDatoteke.h"
#include "platform/Seams.h"
#include "records/UpdateLog.h"
#include "records/VlastitaImena.h"
#include "records/Windows1250.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <limits>

namespace morvela {

namespace {

// List files are made on Windows workstations and shared with them, so they
// are Windows-1250 on every platform.
constexpr const char* KodnaStranica = "windows-1250";

bool JePrazanRed(const QString& red) {
    for (QChar c : red)
        if (c != QLatin1Char(' ')) return false;
    return true;
}

void Pokaži(const OkruženjeMatrice& o, const QString& tekst) {
    if (o.poruke) o.poruke->Pokaži(tekst, Ikona::Usklicnik);
}

void Logiraj(const OkruženjeMatrice& o, const QString& tekst) {
    if (o.log) o.log->LogirajGrešku(tekst);
}

void PostaviZadnju(const OkruženjeMatrice& o, const QString& tekst) {
    if (o.zadnjaPoruka) *o.zadnjaPoruka = tekst;
}

// More than a list of 71 records could ever need.
constexpr qint64 NajvećaLista = 1 << 20;

const QString ImenaBrojčanihPolja[] = {QStringLiteral("Ver_Gl"), QStringLiteral("Ver_Pom"),
                                       QStringLiteral("Ver_Rev"), QStringLiteral("VeličinaDownload"),
                                       QStringLiteral("StvarnaVeličina")};

QString VelikaLista(qint64 bajtova) {
    return QStringLiteral("Lista je veća od %1 bajtova (%2 bajtova)").arg(NajvećaLista).arg(bajtova);
}

// A whole number from 0 to 2147483647; blanks around it are kept in the
// table and allowed here. An empty field is a version part left out, read as 0.
bool JeCijeliBroj(const QString& polje) {
    QStringView broj(polje);
    while (!broj.isEmpty() && (broj.front() == u' ' || broj.front() == u'\t'))
        broj = broj.mid(1);
    while (!broj.isEmpty() && (broj.back() == u' ' || broj.back() == u'\t'))
        broj.chop(1);
    if (broj.isEmpty()) return true;
    for (QChar c : broj)
        if (c < u'0' || c > u'9') return false;
    bool dobar = false;
    const qint64 vrijednost = broj.toLongLong(&dobar);
    return dobar && vrijednost <= std::numeric_limits<qint32>::max();
}

// Bytes that are certainly not Windows-1250 text: NULs (UTF-16 and the like)
// or a line that is well-formed UTF-8 beyond ASCII. The name of that
// encoding, or nothing.
QString DrugaKodnaStranica(const QByteArray& bajtovi) {
    if (bajtovi.contains('\0')) return QStringLiteral("UTF-16");
    const bool samoAscii =
        std::all_of(bajtovi.begin(), bajtovi.end(), [](char c) { return uchar(c) < 0x80; });
    return !samoAscii && QByteArrayView(bajtovi).isValidUtf8() ? QStringLiteral("UTF-8") : QString();
}

// The read failure of a line: the last message and the log.
void NeČitaSe(const OkruženjeMatrice& o, const QString& put, const QString& linija, const QString& opis) {
    PostaviZadnju(o, QStringLiteral("Greška u čitanju datoteke: ") + put + QStringLiteral(" Red: ") + linija +
                         QLatin1Char(' ') + opis);
    Logiraj(o, o.zadnjaPoruka ? *o.zadnjaPoruka : opis);
}

// A list whose content is not to be trusted: nothing of it stays in the
// table, and the log names the record and the reason.
bool Odbij(Matrica& m, const OkruženjeMatrice& o, const QString& put, const QString& razlog) {
    IsprazniMatricu(m);
    PostaviZadnju(o, razlog + QStringLiteral(". Datoteka: ") + put);
    Logiraj(o, QStringLiteral("UčitajMatricu - ") + razlog + QStringLiteral(". Datoteka: ") + put);
    return false;
}

} // namespace

Matrica::Matrica() {
    IsprazniMatricu(*this);
}

QString Matrica::tekst(int red, int stupac) const {
    const Ćelija& c = m_ćelije[red][stupac];
    if (const auto* t = std::get_if<QString>(&c)) return *t;
    return QString::number(std::get<qint16>(c));
}

qint16 Matrica::broj(int red, int stupac) const {
    const Ćelija& c = m_ćelije[red][stupac];
    if (const auto* b = std::get_if<qint16>(&c)) return *b;
    return 0;
}

bool Matrica::koristi(int red) const {
    return !tekst(red, 0).isEmpty();
}

void IsprazniMatricu(Matrica& m) {
    for (int r = 0; r < Matrica::Redova; ++r) {
        for (int s = 0; s < 4; ++s)
            m.postavi(r, s, QString());
        for (int s = 4; s < Matrica::Stupaca; ++s)
            m.postavi(r, s, qint16(0));
    }
}

bool UčitajMatricu(Matrica& m, const QString& put, const OkruženjeMatrice& o, QByteArray* pročitano) {
    IsprazniMatricu(m);
    if (pročitano) pročitano->clear();

    // Lists come from servers and shares: a huge one is refused before it is read whole.
    QByteArray sadržaj;
    if (const GreškaDatoteke g = o.datoteke->Pročitaj(put, sadržaj, NajvećaLista)) {
        if (g.nakonOtvaranja)
            NeČitaSe(o, put, QString(), g.opis);
        else
            Pokaži(o, QStringLiteral("Greška u otvaranju datoteke: ") + put + QLatin1Char(' ') + g.opis);
        return false;
    }
    if (sadržaj.size() > NajvećaLista) {
        qint64 veličina = sadržaj.size();
        o.datoteke->Veličina(put, veličina);
        return Odbij(m, o, put, VelikaLista(veličina));
    }

    int red = 0;
    QString linija;
    // Case-folded names and the rows that hold them.
    QHash<QString, int> imena;
    for (qsizetype početak = 0; početak < sadržaj.size();) {
        const qsizetype kraj = sadržaj.indexOf('\n', početak);
        const qsizetype sljedeći = kraj < 0 ? sadržaj.size() : kraj + 1;
        QByteArray bajtovi = sadržaj.mid(početak, sljedeći - početak);
        početak = sljedeći;
        if (bajtovi.endsWith('\n')) bajtovi.chop(1);
        if (bajtovi.endsWith('\r')) bajtovi.chop(1);

        const int zapis = red + 1;
        if (const QString druga = DrugaKodnaStranica(bajtovi); !druga.isEmpty())
            return Odbij(m, o, put,
                         QStringLiteral("Zapis %1 nije u kodnoj stranici %2 nego %3")
                             .arg(zapis)
                             .arg(QLatin1String(KodnaStranica), druga));
        std::optional<QString> tekst = IzWindows1250(bajtovi);
        if (!tekst)
            return Odbij(m, o, put,
                         QStringLiteral("Neispravan znak za kodnu stranicu %1 u zapisu %2")
                             .arg(QLatin1String(KodnaStranica))
                             .arg(zapis));
        linija = std::move(*tekst);
        if (JePrazanRed(linija)) continue;

        const QStringList dijelovi = linija.split(QLatin1Char(';'));
        if (dijelovi.size() != 7) {
            PostaviZadnju(o, QStringLiteral("Greška u splitu - ima : ") + QString::number(dijelovi.size()) +
                                 QStringLiteral(" članova! Datoteka: ") + put + QStringLiteral(" Red: ") +
                                 linija + QLatin1Char(' '));
            return false;
        }
        if (red >= Matrica::Redova) {
            PostaviZadnju(
                o, QStringLiteral("Greška u dodjeljivanju vrijednosti matrici! Subscript out of range"));
            Logiraj(o, o.zadnjaPoruka ? *o.zadnjaPoruka
                                      : QStringLiteral("Greška u dodjeljivanju vrijednosti matrici! "));
            return false;
        }
        if (!JeIspravnoImeDatoteke(dijelovi[0]))
            return Odbij(m, o, put,
                         QStringLiteral("Neispravno ime datoteke u zapisu %1: %2")
                             .arg(zapis)
                             .arg(ImeZaPrikaz(dijelovi[0])));
        if (JeVlastitoIme(dijelovi[0]))
            return Odbij(m, o, put,
                         QStringLiteral("Ime datoteke u zapisu %1 je ime radne datoteke ovog programa: %2")
                             .arg(zapis)
                             .arg(ImeZaPrikaz(dijelovi[0])));
        // On Windows both rows would be one file. Equal names are allowed: the
        // first of them counts.
        const auto isto = imena.constFind(dijelovi[0].toCaseFolded());
        if (isto != imena.cend() && m.tekst(*isto, 0) != dijelovi[0])
            return Odbij(m, o, put,
                         QStringLiteral("Ime datoteke u zapisu %1 razlikuje se od imena u zapisu %2 samo po "
                                        "velikim i malim slovima: %3")
                             .arg(zapis)
                             .arg(*isto + 1)
                             .arg(ImeZaPrikaz(dijelovi[0])));
        if (isto == imena.cend()) imena.insert(dijelovi[0].toCaseFolded(), red);
        for (int s = 1; s < 6; ++s)
            if (!JeCijeliBroj(dijelovi[s]))
                return Odbij(m, o, put,
                             QStringLiteral("Neispravan broj u zapisu %1, polje %2: %3")
                                 .arg(zapis)
                                 .arg(ImenaBrojčanihPolja[s - 1], ImeZaPrikaz(dijelovi[s])));
        for (int s = 0; s < 6; ++s)
            m.postavi(red, s, dijelovi[s]);
        ++red;
    }
    // A cut-off or emptied list would plan nothing and, installed or published,
    // hide every version for good.
    if (red == 0) return Odbij(m, o, put, QStringLiteral("Lista nema nijednog zapisa"));
    if (pročitano) *pročitano = std::move(sadržaj);
    return true;
}

bool SnimiMatricu(const Matrica& m, const QString& put, const OkruženjeMatrice& o) {
    const QFileInfo info(put);
    const auto otvaranje = [&](const QString& opis) {
        Pokaži(o, QStringLiteral("Greška u otvaranju datoteke: ") + put + QLatin1Char(' ') + opis);
        return false;
    };
    // Like a plain delete first: a read-only file stays and the write fails.
    if (info.isFile() && !info.isSymLink() && !(info.permissions() & QFileDevice::WriteOwner))
        return otvaranje(QStringLiteral("Permission denied"));
    const auto upis = [&](const QString& linija, const QString& opis) {
        Pokaži(o, QStringLiteral("Greška u upisu u datoteku: ") + put + QStringLiteral(" Red: ") + linija +
                      QLatin1Char(' ') + opis);
        return false;
    };
    QByteArray sadržaj;
    QString linija;
    for (int r = 0; r < Matrica::Redova; ++r) {
        if (!m.koristi(r)) continue;
        linija.clear();
        for (int s = 0; s < 6; ++s)
            linija += m.tekst(r, s) + QLatin1Char(';');
        const std::optional<QByteArray> bajtovi = UWindows1250(linija);
        if (!bajtovi)
            return upis(linija, QStringLiteral("Znak koji se ne može zapisati u kodnoj stranici ") +
                                    QLatin1String(KodnaStranica));
        sadržaj += *bajtovi + "\r\n";
    }
    // Readers see the whole old list or the whole new one.
    if (const GreškaDatoteke g = o.datoteke->Zapiši(put, sadržaj))
        return g.broj == GreškaDiskPun ? upis(linija, g.opis) : otvaranje(g.opis);
    return true;
}

} // namespace morvela
