#include "install/modAppJeStartana.h"

#include <array>
#include <utility>

namespace morvela {

namespace {

// Main-window classes of applications that are looked up by class, not title.
constexpr std::array<std::pair<const char*, const char*>, 8> PoznateKlase{{
    {"excel", "XLMain"},
    {"word", "OpusApp"},
    {"access", "OMain"},
    {"powerpoint95", "PP7FrameClass"},
    {"powerpoint97", "PP97FrameClass"},
    {"notepad", "NOTEPAD"},
    {"paintbrush", "pbParent"},
    {"wordpad", "WordPadClass"},
}};

QString KlasaZa(const QString& ime) {
    const QString ključ = ime.toLower();
    for (const auto& [naziv, klasa] : PoznateKlase)
        if (ključ == QLatin1String(naziv)) return QString::fromLatin1(klasa);
    return {};
}

} // namespace

const QList<ProgramPaketa>& ProgramiPaketa() {
    static const QList<ProgramPaketa> programi{
        {QStringLiteral("Morvela Glavna knjiga 21"), QStringLiteral("Morvela Glavna knjiga 21")},
        {QStringLiteral("Morvela Financijsko knjigovodstvo 21"), QStringLiteral("Financijsko knjigovodstvo")},
        {QStringLiteral("Morvela Saldakonti 21"), QStringLiteral("Morvela Saldakonti 21")},
        {QStringLiteral("Morvela Blagajna 21"), QStringLiteral("Morvela Blagajna 21")},
        {QStringLiteral("Morvela Maloprodaja 21"), QStringLiteral("Morvela Maloprodaja 21")},
        {QStringLiteral("Morvela POS kasa 21"), QStringLiteral("Kasa (maloprodajno mjesto)")},
        {QStringLiteral("Morvela Veleprodaja 21"), QStringLiteral("Morvela Veleprodaja 21")},
        {QStringLiteral("Morvela Robno 21"), QStringLiteral("Robno-materijalno knjigovodstvo")},
        {QStringLiteral("Morvela Plaće 21"), QStringLiteral("Morvela Plaće 21")},
        {QStringLiteral("Morvela Putni nalozi 21"), QStringLiteral("Morvela Putni nalozi 21")},
        {QStringLiteral("Morvela Osnovna sredstva 21"), QStringLiteral("Morvela Osnovna sredstva 21")},
        {QStringLiteral("Morvela Sitni inventar 21"), QStringLiteral("Morvela Sitni inventar 21")},
        {QStringLiteral("Morvela Fakturiranje 21"), QStringLiteral("Morvela Fakturiranje 21")},
        {QStringLiteral("Morvela URA 21"), QStringLiteral("Knjiga ulaznih računa")},
        {QStringLiteral("Morvela IRA 21"), QStringLiteral("Knjiga izlaznih računa")},
        {QStringLiteral("Morvela PDV obrasci 21"), QStringLiteral("Morvela PDV obrasci 21")},
        {QStringLiteral("Morvela JOPPD 21"), QStringLiteral("Morvela JOPPD 21")},
        {QStringLiteral("Morvela Kadrovska evidencija 21"),
         QStringLiteral("Morvela Kadrovska evidencija 21")},
        {QStringLiteral("Morvela Proizvodnja 21"), QStringLiteral("Morvela Proizvodnja 21")},
        {QStringLiteral("Morvela Servis 21"), QStringLiteral("Morvela Servis 21")},
        {QStringLiteral("Morvela Ugostiteljstvo 21"), QStringLiteral("Morvela Ugostiteljstvo 21")},
        {QStringLiteral("Morvela Hotelijerstvo 21"), QStringLiteral("Morvela Hotelijerstvo 21")},
        {QStringLiteral("Morvela Kamate 21"), QStringLiteral("Morvela Kamate 21")},
        {QStringLiteral("Morvela Kompenzacije 21"), QStringLiteral("Morvela Kompenzacije 21")},
        {QStringLiteral("Morvela Izvodi 21"), QStringLiteral("Bankovni izvodi")},
        {QStringLiteral("Morvela Registar ugovora 21"), QStringLiteral("Morvela Registar ugovora 21")},
        {QStringLiteral("Morvela Udruge 21"), QStringLiteral("Knjigovodstvo neprofitnih udruga")},
        {QStringLiteral("Morvela Proračun 21"), QStringLiteral("Proračunsko knjigovodstvo")},
        {QStringLiteral("Morvela KPR 21"), QStringLiteral("Knjiga prometa obrtnika")},
        {QStringLiteral("Morvela Poljoprivreda 21"), QStringLiteral("Morvela Poljoprivreda 21")},
        {QStringLiteral("Morvela Statistika 21"), QStringLiteral("Morvela Statistika 21")},
        {QStringLiteral("Morvela Administracija 21"), QStringLiteral("Administracija korisnika")},
        {QStringLiteral("Morvela Izmjena baze_V21"), QStringLiteral("Izmjena baze podataka")},
        {QStringLiteral("Morvela Pomoć"), QStringLiteral("Morvela Pomoć")},
    };
    return programi;
}

bool AppJeStartana(IProzori& prozori, const QString& ime, bool uPrviPlan) {
    const QString klasa = KlasaZa(ime);
    return prozori.NađiProzor(klasa, klasa.isEmpty() ? ime : QString(), uPrviPlan);
}

QString PokrenutiProgrami(IProzori& prozori) {
    QString popis;
    for (const ProgramPaketa& p : ProgramiPaketa())
        if (AppJeStartana(prozori, p.naslov, false)) popis += p.prikaz + CRLF;
    return popis;
}

} // namespace morvela
