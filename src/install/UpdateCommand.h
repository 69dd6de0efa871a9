#pragma once
#include "records/Kontekst.h"

namespace morvela {

// The update button: fetch from the chosen source, ask, install, report.
void cmdDownloadAndUpdate_Click(Kontekst& k);

} // namespace morvela
