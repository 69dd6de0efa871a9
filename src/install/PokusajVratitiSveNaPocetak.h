#pragma once
#include "records/Kontekst.h"
#include "versions/PravilaVerzija.h"

namespace morvela {

// Copies every file of the backup directory back where it came from and
// re-registers old components. Reports its own troubles and never stops early.
void PokušajVratitiSveNaPočetak(Kontekst& k);

// The directory a file of the given kind is installed into: programs and
// components into the program directory, scripts and help files into theirs;
// empty for any other kind.
QString DirektorijaZaVrstu(const StanjeRada& s, Vrsta vrsta);

} // namespace morvela
