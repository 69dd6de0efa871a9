#include "platform/Korijeni.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <wincrypt.h>

namespace morvela {

// The roots Windows trusts: its own and those of third parties it has fetched so far.
QByteArray KorijeniSustava() {
    QByteArray pem;
    for (const wchar_t* ime : {L"ROOT", L"AuthRoot"}) {
        const HCERTSTORE spremište = CertOpenSystemStoreW(0, ime);
        if (!spremište) continue;
        for (PCCERT_CONTEXT c = nullptr; (c = CertEnumCertificatesInStore(spremište, c));) {
            const QByteArray der = QByteArray::fromRawData(reinterpret_cast<const char*>(c->pbCertEncoded),
                                                           int(c->cbCertEncoded))
                                       .toBase64();
            pem += "-----BEGIN CERTIFICATE-----\n";
            for (qsizetype i = 0; i < der.size(); i += 64)
                pem += der.mid(i, 64) + '\n';
            pem += "-----END CERTIFICATE-----\n";
        }
        CertCloseStore(spremište, 0);
    }
    return pem;
}

} // namespace morvela
