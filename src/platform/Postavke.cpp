#include "platform/Postavke.h"

#include <QSettings>

namespace morvela {

QtPostavke::QtPostavke()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("Morvela"), QStringLiteral("Morvela"))) {}

QtPostavke::~QtPostavke() = default;

QString QtPostavke::Čitaj(const QString& sekcija, const QString& ključ, const QString& zadano) const {
    m_settings->sync();
    return m_settings->value(sekcija + QLatin1Char('/') + ključ, zadano).toString();
}

bool QtPostavke::Postoji(const QString& sekcija, const QString& ključ) const {
    m_settings->sync();
    return m_settings->contains(sekcija + QLatin1Char('/') + ključ);
}

void QtPostavke::Snimi(const QString& sekcija, const QString& ključ, const QString& vrijednost) {
    m_settings->setValue(sekcija + QLatin1Char('/') + ključ, vrijednost);
    m_settings->sync();
}

bool ZapišiCijeliBrojDrugogPrograma(const QString& organizacija, const QString& aplikacija,
                                    const QString& grupa, const QString& ključ, int vrijednost) {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, organizacija, aplikacija);
    s.setValue(grupa + QLatin1Char('/') + ključ, vrijednost);
    s.sync();
    return s.status() == QSettings::NoError;
}

} // namespace morvela
