#include "platform/SistemskaImena.h"

#include <windows.h>
#include <winnetwk.h>

namespace morvela::sustav {

QString ImeKorisnikaProcesa() {
    char buf[256];
    DWORD dužina = 255;
    if (WNetGetUserA(nullptr, buf, &dužina) != NO_ERROR) return {};
    return QString::fromLocal8Bit(buf);
}

QString ImeRačunalaSustava() {
    char buf[256];
    DWORD dužina = 255;
    if (!GetComputerNameA(buf, &dužina)) return {};
    return QString::fromLocal8Bit(buf, int(dužina));
}

} // namespace morvela::sustav
