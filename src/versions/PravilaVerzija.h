#pragma once
// How a version list record is read: numeric values, the newer rule, file
// kinds by the last three characters and the archive that carries a file.

#include "records/Matrica.h"
#include "records/VlastitaImena.h"

#include <QList>
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
// The remote-support program that travels with an update set.
inline const QString ImeTeamViewera = QStringLiteral("TeamViewerQS.exe");

// Blanks, tabs and line feeds dropped, then the longest leading decimal
// number (digits, optionally a point and more digits); 0 when there is none.
double BrojčanaVrijednost(const QString& polje);
// The numeric value as a signed 32-bit whole number (nearest, halves to even, clamped).
qint32 VeličinaKao32(const QString& polje);
// True when any of the three version parts of the new record is greater than
// the same part of the installed one, each part compared on its own.
bool JeNovija(const Matrica& stara, int redStare, const Matrica& nova, int redNove);
// The newer rule of a record: its version, and for a help file, which is rebuilt
// without a new version, a greater unpacked or download size.
bool JeNovijiZapis(const Matrica& stara, int redStare, const Matrica& nova, int redNove);

// The kind of a file, by the last three characters of its name, compared exactly
// (a shorter name whole): "exe", "dll", "enc" (database scripts), "chm" (help), "txt".
enum class Vrsta { Program, Komponenta, Skripta, Pomoć, Lista, Ostalo };
Vrsta VrstaDatoteke(const QString& ime);
// The characters the kind is read from, as a log line names an unknown kind.
QString NastavakImena(const QString& ime);

// Rows that follow others into a run: scripts go with the database-change
// library taken before them, help files with any file taken before them.
class Pratnja {
public:
    // A row was taken into the run (planned, or fetched).
    void Uzet(const QString& ime);
    bool SkriptaIde(Vrsta vrsta) const { return vrsta == Vrsta::Skripta && m_izmjenaBaze; }
    bool PomoćIde(Vrsta vrsta) const { return vrsta == Vrsta::Pomoć && m_išta; }

private:
    bool m_izmjenaBaze = false, m_išta = false;
};

// A row of the new list that is to be fetched and installed: a name, and the flag 1.
bool JePlaniran(const Matrica& nove, int red);
struct PlaniraniRed {
    int red;
    QString ime;
    Vrsta vrsta;
};
// The planned rows in list order.
QList<PlaniraniRed> PlaniraniRedovi(const Matrica& nove);

// A fetched or unpacked file's size against the size its list announces, and
// the sentence that tells both ("…, a veličina originalne datoteke je …").
struct ProvjeraVeličine {
    bool ista;
    QString opis;
};
ProvjeraVeličine UsporediVeličinu(qint64 veličina, const QString& ime, const QString& najava);
// How the messages of a run that stops end.
inline const QString PrekidaSeAžuriranje = QStringLiteral(" Prekida se ažuriranje!");
// What follows the sentence when the sizes differ, before the caller's own ending.
inline const QString VeličineNisuIste =
    QStringLiteral(" i one nisu iste. Moguća greška u prijenosu datoteke. Ponovite postupak.");
// The start of the message for an archive whose size cannot be read.
inline const QString GreškaVeličineArhive =
    QStringLiteral("Greška u provjeri veličine datoteke-dohvatu datoteke ");
// The name without its last three characters, then "7z"; only lower-case
// "č" and "ž" become "c" and "z".
QString ImeArhive(const QString& ime);
// First row of the table whose name equals ime exactly; -1 when none.
int NađiRed(const Matrica& m, const QString& ime);

} // namespace morvela
