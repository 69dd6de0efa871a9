#pragma once
#include "records/Kontekst.h"

namespace morvela {

// Mirrors the update set into the distribution location txtLokacija(1),
// fetching only what changed. True only when the run reached its end.
bool DownloadNaLokaciju(Kontekst& k, bool interaktivno);
// What a run reports when another computer or process is filling the same location.
QString PorukaZauzeteLokacije(const QString& lokacija);
// Runs the above, tidies the displays and, when interactive, reports the outcome.
void PreuzmiNaLokacijuIJavi(Kontekst& k, bool interaktivno);

} // namespace morvela
