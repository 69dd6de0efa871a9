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

namespace {

const QString Settings = QStringLiteral("Settings");
const QString Setting = QStringLiteral("Setting");
const QString KljučIzvora = QStringLiteral("UpdateLok21N");
const QString KljučMrežneLokacije = QStringLiteral("UpdateLokDir21");
const QString KljučDistribucije = QStringLiteral("UpdateLokDirMr21");
const QString KljučDrugeDistribucije = QStringLiteral("UpdateLokDirMr.morvela.Ba.21");
const QString KljučSati = QStringLiteral("VrijemeAutoDownloadaNovihVerz");

QString HostIliZadano(const IPostavke& p, const QString& ključ, const QString& zadano) {
    const QString host = p.Čitaj(Settings, ključ, QString()).trimmed();
    return host.isEmpty() ? zadano : host;
}

} // namespace

std::optional<bool> KaoLogičko(const QString& t) {
    const QString s = t.trimmed().toLower();
    if (s == QLatin1String("true")) return true;
    if (s == QLatin1String("false")) return false;
    bool broj = false;
    const int n = s.toInt(&broj);
    if (broj) return n != 0;
    return std::nullopt;
}

Postavke Postavke::Učitaj(const IPostavke& p) {
    Postavke r;
    r.mrežnaLokacija = p.Čitaj(Settings, KljučMrežneLokacije, QString());
    r.lokacijaDistribucije = p.Čitaj(Settings, KljučDistribucije, QString());
    bool ispravno = false;
    const int izvor = p.Čitaj(Settings, KljučIzvora, QStringLiteral("2")).trimmed().toInt(&ispravno);
    if (ispravno && izvor >= 0 && izvor <= 2) r.izvor = UpdateLokacija(izvor);
    r.satiAutomatskog = qBound(0, p.Čitaj(Setting, KljučSati, QStringLiteral("0")).trimmed().toInt(), 23);
    r.koristiChilkat =
        KaoLogičko(p.Čitaj(Settings, QStringLiteral("KoristiChilkatZaDownload"), QStringLiteral("True")))
            .value_or(true);
    const qint32 boja = p.Čitaj(Settings, QStringLiteral("BojaIntegratora"), QString::number(r.boja))
                            .trimmed()
                            .toInt(&ispravno);
    if (ispravno) r.boja = boja;
    r.primarniServer = HostIliZadano(p, QStringLiteral("PrimarniServer21"), r.primarniServer);
    r.sekundarniServer = HostIliZadano(p, QStringLiteral("SekundarniServer21"), r.sekundarniServer);
    r.dodatniCertifikati = p.Čitaj(Settings, QStringLiteral("DodatniCertifikati"), QString());
    r.javniKljuč = p.Čitaj(Settings, QStringLiteral("JavniKljuc"), QString()).trimmed();
    return r;
}

QString Postavke::DrugaLokacijaDistribucije(const IPostavke& p) {
    return p.Čitaj(Settings, KljučDrugeDistribucije, QString());
}

void Postavke::SnimiIzvorILokacije(IPostavke& p, UpdateLokacija izvor, const QString& mrežnaLokacija,
                                   const QString& lokacijaDistribucije) {
    p.Snimi(Settings, KljučIzvora, QString::number(int(izvor)));
    p.Snimi(Settings, KljučMrežneLokacije, mrežnaLokacija);
    p.Snimi(Settings,
            izvor == UpdateLokacija::InternetSekundarni ? KljučDistribucije : KljučDrugeDistribucije,
            lokacijaDistribucije);
}

void Postavke::SnimiSateAutomatskog(IPostavke& p, int sati) {
    p.Snimi(Setting, KljučSati, QString::number(sati));
}

bool ZapišiCijeliBrojDrugogPrograma(const QString& organizacija, const QString& aplikacija,
                                    const QString& grupa, const QString& ključ, int vrijednost) {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, organizacija, aplikacija);
    s.setValue(grupa + QLatin1Char('/') + ključ, vrijednost);
    s.sync();
    return s.status() == QSettings::NoError;
}

} // namespace morvela
