#pragma once
// The root certificates the system trusts, for a TLS library that must be handed
// them all once extra ones are added.

#include <QByteArray>

namespace morvela {

// The system's trusted roots as PEM (Windows: its root stores, which libcurl's
// own check would otherwise replace by the extra ones), or empty where the TLS
// library finds the system's bundle by itself.
QByteArray KorijeniSustava();

} // namespace morvela
