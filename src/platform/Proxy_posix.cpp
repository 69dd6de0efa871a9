#include "platform/Proxy.h"

namespace morvela {

// libcurl reads http_proxy, https_proxy and no_proxy from the environment itself.
QString SistemskiProxy(const QString&) {
    return QString();
}

} // namespace morvela
