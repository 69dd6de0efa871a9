#pragma once
// Texts of the installation that more than one place shows.

#include <QString>

namespace morvela {

inline const QString DetaljGreške = QStringLiteral("Poruka o grešci je: ");
inline const QString PokušajStareVerzije =
    QStringLiteral("Program ne može razriješiti problem te će pokušati vratiti staru verziju programa. "
                   "Ukoliko ne uspije najvjerojatnije ćete morati reinstalirati program!");

} // namespace morvela
