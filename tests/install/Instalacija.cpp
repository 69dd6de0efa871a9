#include "Instalacija.h"

#include <QDir>
#include <QFile>

namespace morvela::test {

LažniRegSvr32::LažniRegSvr32() : m_stariPath(qgetenv("PATH")) {
    const QString skripta = m_dir.filePath(QStringLiteral("RegSvr32.exe"));
    const QString zapis = m_dir.filePath(QStringLiteral("pozivi.txt"));
    TestOkruženje::Zapiši(skripta, "#!/bin/sh\n"
                                   "{ for a in \"$@\"; do printf '%s|' \"$a\"; done\n"
                                   "  if [ -f \"$1\" ]; then printf '#%s\\n' \"$(cat \"$1\")\"; "
                                   "else printf '#-\\n'; fi; } >> '" +
                                       zapis.toUtf8() + "'\n");
    QFile::setPermissions(skripta, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", QFile::encodeName(m_dir.path()) + ':' + m_stariPath);
}

LažniRegSvr32::~LažniRegSvr32() {
    qputenv("PATH", m_stariPath);
}

QStringList LažniRegSvr32::pozivi() const {
    return QString::fromUtf8(TestOkruženje::Pročitaj(m_dir.filePath(QStringLiteral("pozivi.txt"))))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void LažniRegSvr32::Sakrij() {
    qputenv("PATH", QFile::encodeName(m_prazan.path()));
}

void KvarneDatoteke::Pokvari(const QString& op, const QString& krajPuta, int kodSustava, int puta) {
    m_kvarovi.append({op, krajPuta, GreškaIzSustava(kodSustava), puta});
}

GreškaDatoteke KvarneDatoteke::Kvar_(const QString& op, const QString& put) const {
    for (Kvar& k : m_kvarovi) {
        if (k.op != op || !put.endsWith(k.kraj) || k.puta == 0) continue;
        if (k.puta > 0) --k.puta;
        return k.greška;
    }
    return {};
}

GreškaDatoteke KvarneDatoteke::KreirajDirektorij(const QString& put) {
    if (GreškaDatoteke g = Kvar_(QStringLiteral("KreirajDirektorij"), put)) return g;
    return StvarneDatoteke::KreirajDirektorij(put);
}

GreškaDatoteke KvarneDatoteke::Kopiraj(const QString& od, const QString& na) {
    if (GreškaDatoteke g = Kvar_(QStringLiteral("Kopiraj"), na)) return g;
    return StvarneDatoteke::Kopiraj(od, na);
}

GreškaDatoteke KvarneDatoteke::Premjesti(const QString& od, const QString& na) {
    if (GreškaDatoteke g = Kvar_(QStringLiteral("Premjesti"), od)) return g;
    return StvarneDatoteke::Premjesti(od, na);
}

GreškaDatoteke KvarneDatoteke::PopisDatoteka(const QString& direktorij, QStringList& imena) const {
    if (GreškaDatoteke g = Kvar_(QStringLiteral("PopisDatoteka"), direktorij)) return g;
    return StvarneDatoteke::PopisDatoteka(direktorij, imena);
}

bool KvarniProcesi::PokreniIČekaj(const QString& linija, int ms, QString* opis) {
    if (odbij && odbij(linija)) {
        if (opis) *opis = QStringLiteral("refused by the test");
        return false;
    }
    return QtProcesi::PokreniIČekaj(linija, ms, opis);
}

bool LažniProzori::NađiProzor(const QString& klasa, const QString& naslov, bool) {
    if (zatvoriNakon >= 0 && traženja++ >= zatvoriNakon) otvoreni.clear();
    return klasa.isEmpty() && otvoreni.contains(naslov);
}

Instalacija::Instalacija() {
    o.k.datoteke = &datoteke;
    o.k.procesi = &procesi;
    o.k.prozori = &prozori;
    QDir().mkpath(skr());
    QDir().mkpath(hlp());
}

QByteArray Instalacija::Sadržaj(const QString& put) {
    QFile f(put);
    if (!f.open(QIODevice::ReadOnly)) return "(nema)";
    return f.readAll();
}

QString Instalacija::RegSvr32(const QString& put, const QString& sklopke) {
    return QStringLiteral("RegSvr32.exe \"") + put + QStringLiteral("\" ") + sklopke;
}

QString Instalacija::Opis(int kodSustava) {
    return GreškaIzSustava(kodSustava).opis;
}

} // namespace morvela::test
