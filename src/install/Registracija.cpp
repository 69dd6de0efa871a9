#include "install/Registracija.h"

namespace morvela {

namespace {

// Long enough for any component's DllRegisterServer; the next file operation
// must not race a registration still under way.
constexpr int NajdužeČekanjeMs = 60000;

const QString RegSvr32 = QStringLiteral("RegSvr32.exe");

// The log shows the classic command line; the program gets the path as one
// argument whatever characters it holds.
bool PokreniRegSvr32(IProcesi& procesi, UpdateLog& log, const QString& dir, const QString& ime,
                     const QStringList& sklopke) {
    const QString linija =
        RegSvr32 + QStringLiteral(" \"") + dir + ime + QStringLiteral("\" ") + sklopke.join(' ');
    log.LogirajGreškuSamostalno(linija);
    QString opis;
    const bool pokrenut =
        procesi.PokreniIČekaj(RegSvr32, QStringList{dir + ime} + sklopke, NajdužeČekanjeMs, &opis);
    log.LogirajGreškuSamostalno(linija +
                                (pokrenut ? QStringLiteral(" Uspješno") : QStringLiteral(" Neuspješno")));
    return pokrenut;
}

} // namespace

bool RegistrirajKomponentu(IProcesi& procesi, UpdateLog& log, const QString& dir, const QString& ime) {
    return PokreniRegSvr32(procesi, log, dir, ime, {QStringLiteral("/s")});
}

bool DeregistrirajKomponentu(IProcesi& procesi, UpdateLog& log, const QString& dir, const QString& ime) {
    return PokreniRegSvr32(procesi, log, dir, ime, {QStringLiteral("/u"), QStringLiteral("/s")});
}

} // namespace morvela
