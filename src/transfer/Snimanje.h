#pragma once
#include "records/Kontekst.h"

namespace morvela {

// Fetches, verifies and unpacks every planned archive from the download server.
bool SnimitiSaInterneta(Kontekst& k);
// The same from the network location in txtLokacija(0), plus its Verzije.txt.
bool SnimitiSaMrežneLokacije(Kontekst& k);

} // namespace morvela
