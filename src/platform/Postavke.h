#pragma once
#include "platform/Seams.h"

#include <memory>

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

// Writes one integer value of an outside program's per-user settings
// (organization, application, group, key). Returns false when the store refused it.
bool ZapišiCijeliBrojDrugogPrograma(const QString& organizacija, const QString& aplikacija,
                                    const QString& grupa, const QString& ključ, int vrijednost);

} // namespace morvela
