#pragma once
#include "records/Kontekst.h"

namespace morvela {

// Turns the archive of one listed file in the update directory back into the file.
bool Unzipaj(Kontekst& k, const QString& imeDatoteke);

} // namespace morvela
