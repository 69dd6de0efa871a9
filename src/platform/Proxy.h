#pragma once
// The proxy the system's settings name for one address.

#include <QString>

namespace morvela {

// "http://host:port" of the proxy to use for url, or empty: a direct
// connection, or a system whose settings libcurl reads by itself (Linux:
// http_proxy, https_proxy, no_proxy in the environment).
QString SistemskiProxy(const QString& url);

} // namespace morvela
