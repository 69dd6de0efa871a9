#pragma once
// Texts of the installation that more than one place shows or answers.

#include <QString>

namespace morvela {

inline const QString DetaljGreške = QStringLiteral("Poruka o grešci je: ");
inline const QString PokušajStareVerzije =
    QStringLiteral("Program ne može razriješiti problem te će pokušati vratiti staru verziju programa. "
                   "Ukoliko ne uspije najvjerojatnije ćete morati reinstalirati program!");

// How the three questions of an update begin; a front end without a person
// answers them by these beginnings.
inline const QString PitanjeInstalacije = QStringLiteral("Svi novi programi su spremni za ažuriranje.");
inline const QString PitanjePokrenutihPrograma = QStringLiteral("Postoje pokrenuti programi:");
inline const QString PitanjePrekida =
    QStringLiteral("Ukoliko prekinete sa ažuriranjem novih verzija, izgubiće se svi novi učitani programi, "
                   "pa će se to morati ponoviti.");

} // namespace morvela
