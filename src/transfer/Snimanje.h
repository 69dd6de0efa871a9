#pragma once
#include "records/Kontekst.h"
#include "versions/IzvorSeta.h"

namespace morvela {

// Brings every planned archive from the chosen source (SnimitiSaInterneta from a
// download server, SnimitiSaMrežneLokacije from the network location), checks
// and unpacks it, then checks every unpacked file's size.
bool SnimitiSaIzvora(Kontekst& k, IzvorSeta& izvor);

} // namespace morvela
