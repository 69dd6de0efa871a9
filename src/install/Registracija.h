#pragma once
#include "records/Kontekst.h"

namespace morvela {

// Register / unregister a COM component of the suite through RegSvr32.exe.
// Both return whether the registration program could be started, not whether
// the component ended up registered. dir ends in the separator.
bool RegistrirajKomponentu(Kontekst& k, const QString& dir, const QString& ime);
bool DeregistrirajKomponentu(Kontekst& k, const QString& dir, const QString& ime);

} // namespace morvela
