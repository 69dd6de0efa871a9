#include "platform/SistemskaImena.h"

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <vector>

namespace morvela::sustav {

QString ImeKorisnikaProcesa() {
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* rezultat = nullptr;
    if (getpwuid_r(geteuid(), &pw, buf.data(), buf.size(), &rezultat) != 0 || !rezultat) return {};
    return QString::fromLocal8Bit(rezultat->pw_name);
}

QString ImeRačunalaSustava() {
    char ime[HOST_NAME_MAX + 1] = {};
    if (gethostname(ime, sizeof ime - 1) != 0) return {};
    return QString::fromLocal8Bit(ime);
}

} // namespace morvela::sustav
