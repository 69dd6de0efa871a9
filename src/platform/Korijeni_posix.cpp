#include "platform/Korijeni.h"

namespace morvela {

// libcurl names the system's bundle itself (CURLINFO_CAINFO, CURLINFO_CAPATH).
QByteArray KorijeniSustava() {
    return {};
}

} // namespace morvela
