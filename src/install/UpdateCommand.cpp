#include "install/UpdateCommand.h"

#include "install/UpdatePrograma.h"
#include "platform/Postavke.h"
#include "transfer/Snimanje.h"

#include <utility>

namespace morvela {

namespace {

const QString Naredba = QStringLiteral("cmdDownloadAndUpdate_Click ");

// The reporting component's export magnification, 12 over 1, which the
// suite's printed reports rely on.
void PostaviPovećanjeIzvještaja(Kontekst& k) {
    const QString grupa = QStringLiteral("Export");
    for (const auto& [ključ, vrijednost] : {std::pair{QStringLiteral("BitMapMagnifDenominator"), 1},
                                            std::pair{QStringLiteral("BitMapMagnifNumerator"), 12}}) {
        if (ZapišiCijeliBrojDrugogPrograma(QStringLiteral("Seagate Software"),
                                           QStringLiteral("Crystal Reports Designer Component"), grupa, ključ,
                                           vrijednost))
            continue;
        k.LogirajGrešku(Naredba +
                        QStringLiteral("Greška u upisu vrijednosti HKCU\\Software\\Seagate Software\\"
                                       "Crystal Reports Designer Component\\Export\\") +
                        ključ);
    }
}

} // namespace

bool cmdDownloadAndUpdate_Click(Kontekst& k, IzvorSeta& izvor, bool* listaZamijenjena) {
    bool instalirano = false;
    const bool snimljeno = SnimitiSaIzvora(k, izvor);
    k.PrikažiAkciju(QString());
    k.status->SakrijProgBar();
    if (!snimljeno) {
        k.LogirajGrešku(Naredba + QStringLiteral("Nije uspio snimiti sa interneta/mrežne lokacije"));
    } else {
        const Odgovor odgovor = k.Pitaj(
            VrstaPitanja::PotvrdaInstalacije,
            QStringLiteral("Svi novi programi su spremni za ažuriranje.") + CRLF +
                QStringLiteral("Da bi instalirali nove programe morate zatvoriti sve otvorene Morvela "
                               "programe!") +
                CRLF + QStringLiteral("Želite li izvršiti ažuriranje/instaliranje novih programa?"));
        // Declining leaves the fetched files for a later run and no trace in the log.
        if (odgovor != Odgovor::Da) return false;
        PostaviPovećanjeIzvještaja(k);
        instalirano = UpdatePrograma(k, izvor, listaZamijenjena);
        k.stanje->ZadnjaPoruka = instalirano ? QStringLiteral("Uspješno instalirani novi programi!")
                                             : QStringLiteral("Programi nisu uspješno instalirani. "
                                                              "Kontaktirajte Mor-vela i prenesite im ove "
                                                              "informacije!");
        k.LogirajGrešku(Naredba + k.stanje->ZadnjaPoruka);
        k.Pokaži(k.stanje->ZadnjaPoruka, Ikona::Usklicnik);
    }
    k.LogirajGrešku(QStringLiteral("********************* KRAJ UPDATE"));
    return instalirano;
}

} // namespace morvela
