#include "transfer/Unzipaj.h"

#include "platform/ImeDatoteke.h"
#include "versions/PravilaVerzija.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace morvela {

namespace {

#ifdef Q_OS_WIN
const QString Program7za = QStringLiteral("7za.exe");
#else
const QString Program7za = QStringLiteral("7za");
#endif

// An unpacked file may be a little larger than its listed size before the
// caller's size check says so; anything beyond this is refused unopened.
constexpr qint64 DopuštenoViše = 1 << 20;

// Help files and database scripts travel unpacked under the archive's name.
bool SamoKopiranje(const QString& imeDatoteke) {
    const Vrsta vrsta = VrstaDatoteke(imeDatoteke);
    return vrsta == Vrsta::Pomoć || vrsta == Vrsta::Skripta;
}

// The command line as the log shows it: quoted paths, the output directory right after -o.
QString NaredbenaLinija(const QString& program, const QStringList& argumenti) {
    const QChar q = QLatin1Char('"');
    return q + program + q + QLatin1Char(' ') + argumenti[0] + QLatin1Char(' ') + q + argumenti[1] + q +
           QLatin1Char(' ') + argumenti[2] + QStringLiteral(" -o") + q + argumenti[3].mid(2) + q;
}

// 7-Zip may still be flushing big files; give it a second per megabyte,
// rounded to the nearest second with halves to even.
qint16 SekundiZaArhivu(qint64 veličina) {
    const double sekundi = std::nearbyint(double(veličina) / 1000000.0);
    return qint16(std::min<double>(sekundi, std::numeric_limits<qint16>::max()));
}

// The largest unpacked file the list allows for this name.
qint64 NajvišeRaspakirano(const StanjeRada& s, const QString& imeDatoteke) {
    const int red = NađiRed(s.NoveVerzije, imeDatoteke);
    const qint64 listano =
        red < 0 ? 0 : qMax<qint64>(0, VeličinaKao32(s.NoveVerzije.tekst(red, StvarnaVeličina)));
    return listano + DopuštenoViše;
}

bool JeObičnaDatoteka(const QMap<QString, QString>& stavka) {
    const QStringList atributi = stavka.value(QStringLiteral("Attributes")).split(QLatin1Char(' '));
    // Windows letters first (D: directory, L: reparse point, which 7-Zip makes
    // a link of), then the Unix mode when the archive keeps one.
    for (const QChar slovo : {QLatin1Char('D'), QLatin1Char('L')})
        if (atributi.value(0).contains(slovo)) return false;
    if (atributi.size() > 1 && !atributi[1].startsWith(QLatin1Char('-'))) return false;
    for (const char* ključ : {"Folder", "Anti"})
        if (stavka.value(QLatin1String(ključ)) == QLatin1String("+")) return false;
    for (const char* ključ : {"Symbolic Link", "Hard Link"})
        if (!stavka.value(QLatin1String(ključ)).isEmpty()) return false;
    return true;
}

// The extractor (e) drops the folders an entry is stored under, so the file
// named by the list may sit in plain folders of the archive; never under "..",
// a root or a drive.
bool JeImeDatoteke(const QString& put, const QString& imeDatoteke) {
    const QStringList dijelovi = put.split(QRegularExpression(QStringLiteral("[/\\\\]")));
    for (const QString& mapa : dijelovi.mid(0, dijelovi.size() - 1))
        if (mapa.isEmpty() || mapa == QLatin1String(".") || mapa == QLatin1String("..") ||
            mapa.contains(QLatin1Char(':')))
            return false;
    return dijelovi.last() == imeDatoteke;
}

// Reads 7-Zip's technical listing and says why the archive must not be
// unpacked into the update directory, or nothing when it may. Only one plain
// file named as the list names it, no larger than the list allows, may come
// out of an archive: no links, directories or other names, nothing encrypted,
// and nothing that 7-Zip cannot list.
QString RazlogOdbijanja(const QByteArray& ispis, const QString& imeDatoteke, qint64 najviše) {
    const QString nečitljiv = QStringLiteral("popis arhive nije čitljiv");
    if (ispis.size() > IProcesi::NajvišeIspisa) return nečitljiv;
    QStringList linije = QString::fromUtf8(ispis).split(QLatin1Char('\n'));
    // Where every line ends in CR LF (Windows) one CR is the line's own; where
    // they end in LF alone a CR belongs to the name before it.
    if (ispis.count("\r\n") == ispis.count('\n'))
        for (QString& l : linije)
            if (l.endsWith(QLatin1Char('\r'))) l.chop(1);

    const qsizetype crta = linije.indexOf(QStringLiteral("----------"));
    for (const QString& l : linije.mid(0, crta < 0 ? linije.size() : crta))
        if (l.startsWith(QLatin1String("Type = ")) && l != QLatin1String("Type = 7z"))
            return QStringLiteral("arhiva nije 7z nego ") + ImeZaPrikaz(l.mid(7));
    // Nothing 7-Zip could list: damaged, no archive at all, or its names encrypted.
    if (crta < 0) return QStringLiteral("arhiva se ne može otvoriti (oštećena ili šifrirana)");

    QList<QMap<QString, QString>> stavke;
    bool novaStavka = true;
    for (const QString& l : linije.mid(crta + 1)) {
        if (l.isEmpty()) {
            novaStavka = true;
            continue;
        }
        const qsizetype jednako = l.indexOf(QLatin1String(" ="));
        if (jednako <= 0) return nečitljiv + QStringLiteral(": ") + ImeZaPrikaz(l);
        if (novaStavka) stavke.append(QMap<QString, QString>()), novaStavka = false;
        const QString ključ = l.left(jednako);
        if (stavke.last().contains(ključ)) return nečitljiv + QStringLiteral(": ") + ImeZaPrikaz(l);
        stavke.last().insert(ključ, l.mid(jednako + 3));
    }

    if (stavke.isEmpty()) return QStringLiteral("arhiva je prazna");
    qint64 ukupno = 0;
    for (const auto& stavka : stavke) {
        if (!stavka.contains(QStringLiteral("Path")) || !stavka.contains(QStringLiteral("Size")))
            return nečitljiv;
        const QString put = stavka.value(QStringLiteral("Path"));
        if (!JeImeDatoteke(put, imeDatoteke))
            return QStringLiteral("neočekivana stavka arhive: ") + ImeZaPrikaz(put);
        if (!JeObičnaDatoteka(stavka))
            return QStringLiteral("stavka arhive nije obična datoteka: ") + ImeZaPrikaz(put);
        // It would ask for a password nobody gives.
        if (stavka.value(QStringLiteral("Encrypted")) == QLatin1String("+"))
            return QStringLiteral("stavka arhive je šifrirana: ") + ImeZaPrikaz(put);
        bool broj = false;
        const qint64 veličina = stavka.value(QStringLiteral("Size")).toLongLong(&broj);
        if (!broj || veličina < 0) return nečitljiv;
        ukupno += qMin(veličina, najviše + 1);
        if (ukupno > najviše)
            return QStringLiteral("stavka arhive ") + ImeZaPrikaz(put) +
                   QStringLiteral(" je veća od dopuštenog: ") + QString::number(veličina) +
                   QStringLiteral(" bajtova, najviše ") + QString::number(najviše);
    }
    return QString();
}

// What the update directory gets, whatever the archive kept: programs may run,
// nothing is writable by others.
void PostaviPrava(UpdateLog& log, const QString& put, const QString& imeDatoteke) {
    QFile::Permissions prava = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    if (imeDatoteke.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        prava |= QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    if (JeSimboličkaVeza(put) || !QFile::setPermissions(put, prava))
        log.LogirajGrešku(QStringLiteral("Unzipaj- Prava datoteke se ne mogu postaviti: ") + put);
}

bool Greška(const UslugeRaspakiravanja& u, const QString& poruka) {
    StanjeRada& s = u.stanje;
    s.ZadnjaPoruka = poruka;
    s.PorukeGrešaka += CRLF + s.ZadnjaPoruka;
    u.log.LogirajGrešku(QStringLiteral("Unzipaj- Greška ") + s.ZadnjaPoruka);
    return false;
}

} // namespace

QString Program7Zip(const StanjeRada& s) {
    return s.ProgramskaDirektorija + Program7za;
}

bool Unzipaj(const UslugeRaspakiravanja& u, const QString& imeDatoteke) {
    StanjeRada& s = u.stanje;
    s.ZadnjaPoruka = QStringLiteral("Unzip ") + imeDatoteke;
    u.log.LogirajGrešku(QStringLiteral("Unzipaj- Početak ") + imeDatoteke);
    const QString imeArhive = ImeArhive(imeDatoteke);
    u.status.PrikažiAkciju(QStringLiteral("UnZipanje datoteke: ") + imeArhive);
    const QString arhiva = s.UpdateDirektorija + imeArhive;

    if (SamoKopiranje(imeDatoteke)) {
        const QString cilj = s.UpdateDirektorija + imeDatoteke;
        if (u.datoteke.PostojiDatoteka(cilj) && u.datoteke.Obriši(cilj, true))
            u.log.LogirajGrešku(QStringLiteral("Unzip - brisanje datoteke: ") + cilj);
        if (u.datoteke.Kopiraj(arhiva, cilj, false))
            u.log.LogirajGrešku(QStringLiteral("Unzip - samo kopiranje datoteke: ") +
                                s.ProgramskaDirektorija + imeArhive + QStringLiteral(".7z"));
    } else if (JeSimboličkaVeza(s.UpdateDirektorija)) {
        return Greška(u, QStringLiteral("UNZIP: ") + arhiva + QStringLiteral(" - ") +
                             PorukaSimboličkeVeze(s.UpdateDirektorija));
    } else {
        const QString program = Program7Zip(s);
        const QStringList argumenti{QStringLiteral("e"), arhiva, QStringLiteral("-aoa"),
                                    QStringLiteral("-o") + s.UpdateDirektorija};
        u.log.LogirajGrešku(QStringLiteral("Unzipaj- ") + NaredbenaLinija(program, argumenti));

        // The archive comes from outside: look at what it holds before anything is written.
        QString opis;
        QByteArray popis;
        if (!u.procesi.PokreniIČekaj(program,
                                     {QStringLiteral("l"), QStringLiteral("-slt"),
                                      QStringLiteral("-sccUTF-8"), QStringLiteral("--"), arhiva},
                                     -1, &opis, &popis))
            return Greška(u, QStringLiteral("UNZIP: ") + arhiva + opis);
        const QString razlog = RazlogOdbijanja(popis, imeDatoteke, NajvišeRaspakirano(s, imeDatoteke));
        if (!razlog.isEmpty())
            return Greška(u, QStringLiteral("UNZIP: ") + arhiva + QStringLiteral(" - ") + razlog);

        int kod = -1;
        if (!u.procesi.PokreniIČekaj(program, argumenti, -1, &opis, nullptr, &kod))
            return Greška(u, QStringLiteral("UNZIP: ") + arhiva + opis);
        qint64 veličina = 0;
        if (u.datoteke.Veličina(arhiva, veličina).uspjeh()) u.sat.Pričekaj(SekundiZaArhivu(veličina));
        // A damaged archive (a CRC error) still leaves a file behind: only the exit code tells.
        if (kod != 0)
            return Greška(
                u, QStringLiteral("UNZIP: ") + arhiva +
                       QStringLiteral(" - 7-Zip nije ispravno raspakirao arhivu (izlazni kod %1)").arg(kod));
        s.PorukeAkcija += CRLF + QStringLiteral("UNZIP: ") + arhiva;
    }
    const QString raspakirana = s.UpdateDirektorija + imeDatoteke;
    if (u.datoteke.PostojiDatoteka(raspakirana)) PostaviPrava(u.log, raspakirana, imeDatoteke);

    u.status.PrikažiAkciju(QString());
    u.log.LogirajGrešku(QStringLiteral("Unzipaj- Kraj ") + imeDatoteke);
    return true;
}

} // namespace morvela
