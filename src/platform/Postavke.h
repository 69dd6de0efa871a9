#pragma once
#include "platform/Seams.h"

#include <memory>
#include <optional>

class QSettings;

namespace morvela {

// The per-user settings store of application "Morvela": the registry under
// HKCU\Software\Morvela\Morvela on Windows, $XDG_CONFIG_HOME/Morvela/Morvela.conf elsewhere.
class QtPostavke : public IPostavke {
public:
    QtPostavke();
    ~QtPostavke() override;
    QString Čitaj(const QString& sekcija, const QString& ključ, const QString& zadano) const override;
    bool Postoji(const QString& sekcija, const QString& ključ) const override;
    void Snimi(const QString& sekcija, const QString& ključ, const QString& vrijednost) override;

private:
    std::unique_ptr<QSettings> m_settings;
};

// The program's settings, typed: every key of application "Morvela" and how its
// text is read. Invalid stored values give the defaults.
struct Postavke {
    // "UpdateLok21N": the chosen source.
    UpdateLokacija izvor = UpdateLokacija::InternetPrimarni;
    // "UpdateLokDir21": the network update location.
    QString mrežnaLokacija;
    // "UpdateLokDirMr21": the distribution location.
    QString lokacijaDistribucije;
    // "VrijemeAutoDownloadaNovihVerz" (section "Setting"): hours between automatic
    // distribution runs, 0 to 23, 0 off.
    int satiAutomatskog = 0;
    // "KoristiChilkatZaDownload": https (the HTTP component) or http (the transfer control).
    bool koristiChilkat = true;
    // "BojaIntegratora": the window's colour, a Windows COLORREF.
    qint32 boja = 14277323;
    // Read-only "PrimarniServer21" / "SekundarniServer21": a host with optional port.
    QString primarniServer = QStringLiteral("download.morvela.hr");
    QString sekundarniServer = QStringLiteral("download.morvela.ba");
    // Read-only "DodatniCertifikati": a PEM file of CA certificates trusted besides the system's.
    QString dodatniCertifikati;
    // Read-only "JavniKljuc": one more minisign public key trusted to sign the update
    // set, besides the one built into the program (a key roll-over).
    QString javniKljuč;

    static Postavke Učitaj(const IPostavke& p);
    // The second distribution-location key, "UpdateLokDirMr.morvela.Ba.21"; read
    // only after the source is selected (and the selection saved).
    static QString DrugaLokacijaDistribucije(const IPostavke& p);
    // The source and both locations as the window saves them: the distribution
    // location under the first key only with the secondary server chosen.
    static void SnimiIzvorILokacije(IPostavke& p, UpdateLokacija izvor, const QString& mrežnaLokacija,
                                    const QString& lokacijaDistribucije);
    static void SnimiSateAutomatskog(IPostavke& p, int sati);
};

// A stored true/false text as the registry holds it; nothing for any other text.
std::optional<bool> KaoLogičko(const QString& tekst);

// Writes one integer value of an outside program's per-user settings
// (organization, application, group, key). Returns false when the store refused it.
bool ZapišiCijeliBrojDrugogPrograma(const QString& organizacija, const QString& aplikacija,
                                    const QString& grupa, const QString& ključ, int vrijednost);

} // namespace morvela
