#include "versions/PravilaVerzija.h"

#include <cmath>
#include <limits>

namespace morvela {

double BrojčanaVrijednost(const QString& polje) {
    QString čisto;
    čisto.reserve(polje.size());
    for (QChar c : polje)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n')) čisto += c;

    int kraj = 0;
    while (kraj < čisto.size() && čisto[kraj].isDigit() && čisto[kraj].unicode() < 128) ++kraj;
    if (kraj == 0) return 0;
    if (kraj < čisto.size() && čisto[kraj] == QLatin1Char('.')) {
        int decimale = kraj + 1;
        while (decimale < čisto.size() && čisto[decimale].isDigit() && čisto[decimale].unicode() < 128) ++decimale;
        if (decimale > kraj + 1) kraj = decimale;
    }
    return čisto.left(kraj).toDouble();
}

qint32 VeličinaKao32(const QString& polje) {
    const double v = std::nearbyint(BrojčanaVrijednost(polje)); // default rounding: halves to even
    if (v >= double(std::numeric_limits<qint32>::max())) return std::numeric_limits<qint32>::max();
    return qint32(v);
}

bool JeNovija(const Matrica& stara, int redStare, const Matrica& nova, int redNove) {
    for (int s : {Ver_Gl, Ver_Pom, Ver_Rev})
        if (BrojčanaVrijednost(stara.tekst(redStare, s)) < BrojčanaVrijednost(nova.tekst(redNove, s))) return true;
    return false;
}

QString VrstaDatoteke(const QString& ime) { return ime.right(3); }

QString ImeArhive(const QString& ime) {
    QString arhiva = ime.left(std::max<qsizetype>(0, ime.size() - 3)) + QStringLiteral("7z");
    arhiva.replace(QChar(0x010D), QLatin1Char('c')); // č
    arhiva.replace(QChar(0x017E), QLatin1Char('z')); // ž
    return arhiva;
}

int NađiRed(const Matrica& m, const QString& ime) {
    for (int r = 0; r < Matrica::Redova; ++r)
        if (m.tekst(r, Ime) == ime) return r;
    return -1;
}

} // namespace morvela
