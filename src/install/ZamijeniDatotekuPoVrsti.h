#pragma once
#include "install/PokusajVratitiSveNaPocetak.h"

namespace morvela {

// Puts the new version of one planned file in place according to its kind:
// the old one into the backup directory, the new one from the update
// directory, components unregistered and registered again. On failure the
// user has been told and the rollback has run; the result is then false.
bool ZamijeniDatotekuPoVrsti(const UslugeZamjene& u, const QString& ime);

} // namespace morvela
