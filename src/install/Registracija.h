#pragma once
#include "platform/Seams.h"
#include "records/UpdateLog.h"

namespace morvela {

// Register / unregister a COM component of the suite through RegSvr32.exe.
// Both return whether the registration program could be started, not whether
// the component ended up registered. dir ends in the separator.
bool RegistrirajKomponentu(IProcesi& procesi, UpdateLog& log, const QString& dir, const QString& ime);
bool DeregistrirajKomponentu(IProcesi& procesi, UpdateLog& log, const QString& dir, const QString& ime);

} // namespace morvela
