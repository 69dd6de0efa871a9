#pragma once
#include "records/Kontekst.h"
#include "versions/IzvorSeta.h"

namespace morvela {

// The update button: fetch from the chosen source, ask, install, report.
// True only when the new programs were installed; listaZamijenjena as for UpdatePrograma.
bool cmdDownloadAndUpdate_Click(Kontekst& k, IzvorSeta& izvor, bool* listaZamijenjena = nullptr);

} // namespace morvela
