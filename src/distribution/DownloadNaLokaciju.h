#pragma once
#include "records/Kontekst.h"
#include "versions/IzvorSeta.h"

namespace morvela {

// Mirrors the update set from the download server the chosen source leads to
// into the distribution location txtLokacija(1), fetching only what changed. True only when the run reached
// its end. Unattended, a location without a list is filled only when prvoPunjenje asks for it by name.
bool DownloadNaLokaciju(Kontekst& k, IzvorSeta& izvor, bool interaktivno, bool prvoPunjenje = false);
// What a run reports when another computer or process is filling the same location.
QString PorukaZauzeteLokacije(const QString& lokacija);
// Runs the above, tidies the displays and, when interactive, reports the outcome;
// true when the run reached its end.
bool PreuzmiNaLokacijuIJavi(Kontekst& k, IzvorSeta& izvor, bool interaktivno);

} // namespace morvela
