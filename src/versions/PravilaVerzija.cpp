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
    while (kraj < čisto.size() && čisto[kraj].isDigit() && čisto[kraj].unicode() < 128)
        ++kraj;
    if (kraj == 0) return 0;
    if (kraj < čisto.size() && čisto[kraj] == QLatin1Char('.')) {
        int decimale = kraj + 1;
        while (decimale < čisto.size() && čisto[decimale].isDigit() && čisto[decimale].unicode() < 128)
            ++decimale;
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
        if (BrojčanaVrijednost(stara.tekst(redStare, s)) < BrojčanaVrijednost(nova.tekst(redNove, s)))
            return true;
    return false;
}

bool JeNovijiZapis(const Matrica& stara, int redStare, const Matrica& nova, int redNove) {
    if (JeNovija(stara, redStare, nova, redNove)) return true;
    if (VrstaDatoteke(nova.tekst(redNove, Ime)) != Vrsta::Pomoć) return false;
    // Only a growth counts.
    for (int stupac : {StvarnaVeličina, VeličinaDownload})
        if (VeličinaKao32(stara.tekst(redStare, stupac)) < VeličinaKao32(nova.tekst(redNove, stupac)))
            return true;
    return false;
}

QString NastavakImena(const QString& ime) {
    return ime.right(3);
}

Vrsta VrstaDatoteke(const QString& ime) {
    const QString nastavak = NastavakImena(ime);
    if (nastavak == QLatin1String("exe")) return Vrsta::Program;
    if (nastavak == QLatin1String("dll")) return Vrsta::Komponenta;
    if (nastavak == QLatin1String("enc")) return Vrsta::Skripta;
    if (nastavak == QLatin1String("chm")) return Vrsta::Pomoć;
    if (nastavak == QLatin1String("txt")) return Vrsta::Lista;
    return Vrsta::Ostalo;
}

void Pratnja::Uzet(const QString& ime) {
    m_išta = true;
    if (ime == ImeIzmjeneBaze) m_izmjenaBaze = true;
}

bool JePlaniran(const Matrica& nove, int red) {
    return nove.koristi(red) && nove.broj(red, TrebaInstalirati) == 1;
}

QList<PlaniraniRed> PlaniraniRedovi(const Matrica& nove) {
    QList<PlaniraniRed> redovi;
    for (int red = 0; red < Matrica::Redova; ++red)
        if (JePlaniran(nove, red))
            redovi.append({red, nove.tekst(red, Ime), VrstaDatoteke(nove.tekst(red, Ime))});
    return redovi;
}

// The list's sizes are whole 32-bit numbers; the reader refuses anything else.
ProvjeraVeličine UsporediVeličinu(qint64 veličina, const QString& ime, const QString& najava) {
    return {veličina == VeličinaKao32(najava),
            QStringLiteral("Veličina presnimljene datoteke ") + ime + QStringLiteral(" je ") +
                QString::number(veličina) + QStringLiteral(", a veličina originalne datoteke je ") + najava};
}

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
