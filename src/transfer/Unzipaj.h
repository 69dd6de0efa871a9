#pragma once
#include "records/Kontekst.h"

namespace morvela {

// Turns the archive of one listed file in the update directory back into the file.
bool Unzipaj(Kontekst& k, const QString& imeDatoteke);
// The 7-Zip console program in the program directory.
QString Program7Zip(const StanjeRada& s);

} // namespace morvela
