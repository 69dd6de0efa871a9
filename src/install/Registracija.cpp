#include "install/Registracija.h"

namespace morvela {

namespace {

// Long enough for any component's DllRegisterServer; the next file operation
// must not race a registration still under way.
constexpr int NajdužeČekanjeMs = 60000;

bool PokreniRegSvr32(Kontekst& k, const QString& dir, const QString& ime, const QString& sklopke) {
    const QString linija = QStringLiteral("RegSvr32.exe \"") + dir + ime + QStringLiteral("\" ") + sklopke;
    k.log->LogirajGreškuSamostalno(linija);
    QString opis;
    const bool pokrenut = k.procesi->PokreniIČekaj(linija, NajdužeČekanjeMs, &opis);
    k.log->LogirajGreškuSamostalno(linija +
                                   (pokrenut ? QStringLiteral(" Uspješno") : QStringLiteral(" Neuspješno")));
    return pokrenut;
}

} // namespace

bool RegistrirajKomponentu(Kontekst& k, const QString& dir, const QString& ime) {
    return PokreniRegSvr32(k, dir, ime, QStringLiteral("/s"));
}

bool DeregistrirajKomponentu(Kontekst& k, const QString& dir, const QString& ime) {
    return PokreniRegSvr32(k, dir, ime, QStringLiteral("/u /s"));
}

} // namespace morvela
