#pragma once
#include "records/Kontekst.h"

namespace morvela {

// Reads both version lists, decides which new records must be installed
// (column TrebaInstalirati), logs every decision and shows the plan grid.
bool NapraviRsŠtoTrebaAžurirati(Kontekst& k);
// Shows a planned row's progress state (1 to 5) in the grid.
void OznačiStanjeReda(Kontekst& k, const QString& ime, int stanje);

} // namespace morvela
