#pragma once
#include "records/Kontekst.h"
#include "versions/IzvorSeta.h"

namespace morvela {

// Installs every planned file of the update directory: waits until no program
// of the suite runs, backs up and replaces each file, swaps in the new
// Verzije.txt, cleans up and prepares the control file again. False when the
// user gave up, on the developer computer, or after a failed file and its rollback.
// listaZamijenjena, when given, tells whether the new Verzije.txt took its place:
// a run can install every file and still leave the old list.
bool UpdatePrograma(Kontekst& k, IzvorSeta& izvor, bool* listaZamijenjena = nullptr);

} // namespace morvela
