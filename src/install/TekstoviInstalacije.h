#pragma once
// Texts of the installation that more than one place shows.

#include <QString>

namespace morvela {

inline const QString DetaljGreške = QStringLiteral("Poruka o grešci je: ");
inline const QString PokušajStareVerzije =
    QStringLiteral("Program ne može razriješiti problem te će pokušati vratiti staru verziju programa. "
                   "Ukoliko ne uspije najvjerojatnije ćete morati reinstalirati program!");
// The run installed every file but could not put the new list of versions in place.
inline const QString ListaNijeZamijenjena =
    QStringLiteral("Verzije.txt u programskoj direktoriji nije zamijenjen novim: nove datoteke su "
                   "instalirane, a popis instaliranih verzija je ostao stari.");

} // namespace morvela
