#include "transfer/Unzipaj.h"

#include "versions/PravilaVerzija.h"

#include <cmath>
#include <limits>

namespace morvela {

namespace {

#ifdef Q_OS_WIN
const QString Program7za = QStringLiteral("7za.exe");
#else
const QString Program7za = QStringLiteral("7za");
#endif

// Help files and database scripts travel unpacked under the archive's name.
bool SamoKopiranje(const QString& imeDatoteke) {
    const QString vrsta = VrstaDatoteke(imeDatoteke);
    return vrsta == QLatin1String("chm") || vrsta == QLatin1String("enc");
}

QString NaredbenaLinija(const StanjeRada& s, const QString& imeArhive) {
    const QChar q = QLatin1Char('"');
    return q + s.ProgramskaDirektorija + Program7za + q + QStringLiteral(" e ") + q + s.UpdateDirektorija +
           imeArhive + q + QStringLiteral(" -aoa -o") + q + s.UpdateDirektorija + q;
}

// 7-Zip may still be flushing big files; give it a second per megabyte,
// rounded to the nearest second with halves to even.
qint16 SekundiZaArhivu(qint64 veličina) {
    const double sekundi = std::nearbyint(double(veličina) / 1000000.0);
    return qint16(std::min<double>(sekundi, std::numeric_limits<qint16>::max()));
}

} // namespace

bool Unzipaj(Kontekst& k, const QString& imeDatoteke) {
    StanjeRada& s = *k.stanje;
    s.ZadnjaPoruka = QStringLiteral("Unzip ") + imeDatoteke;
    k.LogirajGrešku(QStringLiteral("Unzipaj- Početak ") + imeDatoteke);
    const QString imeArhive = ImeArhive(imeDatoteke);
    k.PrikažiAkciju(QStringLiteral("UnZipanje datoteke: ") + imeArhive);
    const QString arhiva = s.UpdateDirektorija + imeArhive;

    if (SamoKopiranje(imeDatoteke)) {
        const QString cilj = s.UpdateDirektorija + imeDatoteke;
        if (k.datoteke->PostojiDatoteka(cilj) && k.datoteke->Obriši(cilj, true))
            k.LogirajGrešku(QStringLiteral("Unzip - brisanje datoteke: ") + cilj);
        if (k.datoteke->Kopiraj(arhiva, cilj))
            k.LogirajGrešku(QStringLiteral("Unzip - samo kopiranje datoteke: ") + s.ProgramskaDirektorija +
                            imeArhive + QStringLiteral(".7z"));
    } else {
        const QString linija = NaredbenaLinija(s, imeArhive);
        k.LogirajGrešku(QStringLiteral("Unzipaj- ") + linija);
        QString opis;
        if (!k.procesi->PokreniIČekaj(linija, -1, &opis)) {
            s.ZadnjaPoruka = QStringLiteral("UNZIP: ") + arhiva + opis;
            s.PorukeGrešaka += CRLF + s.ZadnjaPoruka;
            k.LogirajGrešku(QStringLiteral("Unzipaj- Greška ") + s.ZadnjaPoruka);
            return false;
        }
        s.PorukeAkcija += CRLF + QStringLiteral("UNZIP: ") + arhiva;

        qint64 veličina = 0;
        if (k.datoteke->Veličina(arhiva, veličina).uspjeh()) k.Pričekaj(SekundiZaArhivu(veličina));
    }

    k.PrikažiAkciju(QString());
    k.LogirajGrešku(QStringLiteral("Unzipaj- Kraj ") + imeDatoteke);
    return true;
}

} // namespace morvela
