#pragma once
#include "records/Kontekst.h"
#include "versions/IzvorSeta.h"

namespace morvela {

// Sets the working directories, brings the new Verzije.txt from the chosen
// source into the update directory and builds the plan. Enables the update
// command exactly when the plan succeeded. listaNedostupna, when given, tells
// whether only the new list failed (not brought from the source, or unreadable):
// another source may still serve.
bool PripremiVerzijaTXT(Kontekst& k, IzvorSeta& izvor, bool* listaNedostupna = nullptr);

// Sets the working directories from the program's own directory (fixed on the
// developer computer).
void PostaviDirektorije(Kontekst& k);

} // namespace morvela
