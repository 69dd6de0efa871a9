#pragma once
// How a version list record is read: numeric values, the newer rule, file
// kinds by the last three characters and the archive that carries a file.

#include "records/Matrica.h"

#include <QString>

namespace morvela {

// Columns of a version record.
enum StupacVerzije {
    Ime = 0,
    Ver_Gl = 1,
    Ver_Pom = 2,
    Ver_Rev = 3,
    VeličinaDownload = 4,
    StvarnaVeličina = 5,
    TrebaInstalirati = 6
};

inline const QString ImeUpdatera = QStringLiteral("MorvelaLiveUpdate21.exe");
inline const QString ImeIzmjeneBaze = QStringLiteral("MorvIzmjBaza21.dll");
// The lists of an update set and the remote-support program that travels with it.
inline const QString ImeListeVerzija = QStringLiteral("Verzije.txt");
inline const QString ImeListeVerzijaU = QStringLiteral("VerzijeU.txt");
inline const QString ImeTeamViewera = QStringLiteral("TeamViewerQS.exe");

// Blanks, tabs and line feeds dropped, then the longest leading decimal
// number (digits, optionally a point and more digits); 0 when there is none.
double BrojčanaVrijednost(const QString& polje);
// The numeric value as a signed 32-bit whole number (nearest, halves to even, clamped).
qint32 VeličinaKao32(const QString& polje);
// True when any of the three version parts of the new record is greater than
// the same part of the installed one, each part compared on its own.
bool JeNovija(const Matrica& stara, int redStare, const Matrica& nova, int redNove);
// The last three characters of a name, exactly (a shorter name whole).
QString VrstaDatoteke(const QString& ime);
// The name without its last three characters, then "7z"; only lower-case
// "č" and "ž" become "c" and "z".
QString ImeArhive(const QString& ime);
// First row of the table whose name equals ime exactly; -1 when none.
int NađiRed(const Matrica& m, const QString& ime);

} // namespace morvela
