#include "versions/PotpisSeta.h"

#include <QList>
#include <QRegularExpression>

#include <sodium.h>

namespace morvela {

namespace {

constexpr qsizetype DuljinaId = 8;
constexpr qsizetype DuljinaSažetka = crypto_generichash_BYTES_MAX; // 64: BLAKE2b-512

bool PripremiSodium() {
    return sodium_init() >= 0;
}

std::optional<QByteArray> IzBase64(const QByteArray& tekst) {
    auto r = QByteArray::fromBase64Encoding(tekst.trimmed(), QByteArray::AbortOnBase64DecodingErrors);
    if (!r) return std::nullopt;
    return r.decoded;
}

// A minisign signature file: untrusted comment, signature, trusted comment, global signature.
struct DatotekaPotpisa {
    QByteArray algoritam, id, potpis, komentar, globalni;
};

std::optional<DatotekaPotpisa> RastaviPotpis(const QByteArray& sadržaj) {
    QList<QByteArray> redovi = sadržaj.split('\n');
    for (QByteArray& r : redovi)
        if (r.endsWith('\r')) r.chop(1);
    while (!redovi.isEmpty() && redovi.last().isEmpty())
        redovi.removeLast();
    static const QByteArray Nepouzdani = "untrusted comment: ";
    static const QByteArray Pouzdani = "trusted comment: ";
    if (redovi.size() != 4 || !redovi[0].startsWith(Nepouzdani) || !redovi[2].startsWith(Pouzdani))
        return std::nullopt;
    const auto potpis = IzBase64(redovi[1]);
    const auto globalni = IzBase64(redovi[3]);
    if (!potpis || potpis->size() != 2 + DuljinaId + crypto_sign_BYTES || !globalni ||
        globalni->size() != crypto_sign_BYTES)
        return std::nullopt;
    return DatotekaPotpisa{potpis->left(2), potpis->mid(2, DuljinaId), potpis->mid(2 + DuljinaId),
                           redovi[2].mid(Pouzdani.size()), *globalni};
}

bool Potvrdi(const QByteArray& potpis, const QByteArray& poruka, const QByteArray& ključ) {
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(potpis.constData()),
                                       reinterpret_cast<const unsigned char*>(poruka.constData()),
                                       static_cast<unsigned long long>(poruka.size()),
                                       reinterpret_cast<const unsigned char*>(ključ.constData())) == 0;
}

QString IdKaoTekst(const QByteArray& id) {
    // minisign prints the id as a little-endian number.
    quint64 broj = 0;
    for (qsizetype i = id.size() - 1; i >= 0; --i)
        broj = (broj << 8) | quint8(id[i]);
    return QString::number(broj, 16).toUpper();
}

// "serija=2026120601 istjece=2027-01-05"; other words are left to the publisher.
bool PročitajKomentar(const QString& komentar, PotpisaniSet& set, QString& greška) {
    bool imaSeriju = false;
    for (const QString& riječ : komentar.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (riječ.startsWith(QStringLiteral("serija="))) {
            static const QRegularExpression Broj(QStringLiteral("^[0-9]{1,18}$"));
            const QString broj = riječ.mid(7);
            if (!Broj.match(broj).hasMatch()) break;
            set.serija = broj.toLongLong();
            imaSeriju = true;
        } else if (riječ.startsWith(QStringLiteral("istjece="))) {
            set.istječe = QDate::fromString(riječ.mid(8), Qt::ISODate);
            if (!set.istječe.isValid()) {
                greška =
                    QStringLiteral("Pouzdani komentar potpisa ima neispravan datum isteka: ") + riječ.mid(8);
                return false;
            }
        }
    }
    if (!imaSeriju)
        greška = QStringLiteral("Pouzdani komentar potpisa nema serijski broj skupa (serija=…): ") + komentar;
    return imaSeriju;
}

// b2sum's lines: 128 hex digits, a blank, a blank or '*', the name.
bool PročitajManifest(const QByteArray& manifest, PotpisaniSet& set, QString& greška) {
    static const QRegularExpression Redak(QStringLiteral("^([0-9a-fA-F]{128}) [ *]([^/\\\\]+)$"));
    const QList<QByteArray> redovi = manifest.split('\n');
    for (qsizetype i = 0; i < redovi.size(); ++i) {
        QByteArray r = redovi[i];
        if (r.endsWith('\r')) r.chop(1);
        if (r.isEmpty()) continue;
        const auto m = Redak.match(QString::fromUtf8(r));
        const QString ključ = m.captured(2).toLower();
        if (!m.hasMatch() || set.sažeci.contains(ključ)) {
            greška = ImeManifesta + QStringLiteral(" nije ispravan popis sažetaka (redak ") +
                     QString::number(i + 1) + QStringLiteral(").");
            return false;
        }
        set.sažeci.insert(ključ, QByteArray::fromHex(m.captured(1).toLatin1()));
    }
    return true;
}

} // namespace

QString JavniKljuč::IdTekst() const {
    return IdKaoTekst(id);
}

std::optional<JavniKljuč> PročitajJavniKljuč(const QString& tekst) {
    // A .pub file has a comment line first; the key is its last line.
    QStringList redovi = tekst.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    while (!redovi.isEmpty() && redovi.last().trimmed().isEmpty())
        redovi.removeLast();
    if (redovi.isEmpty()) return std::nullopt;
    const auto bajtovi = IzBase64(redovi.last().toLatin1());
    if (!bajtovi || bajtovi->size() != 2 + DuljinaId + crypto_sign_PUBLICKEYBYTES ||
        !bajtovi->startsWith("Ed"))
        return std::nullopt;
    return JavniKljuč{bajtovi->mid(2, DuljinaId), bajtovi->mid(2 + DuljinaId)};
}

struct SažetakDatoteke::Stanje {
    crypto_generichash_state h;
};

SažetakDatoteke::SažetakDatoteke() : m_stanje(std::make_unique<Stanje>()) {
    PripremiSodium();
    crypto_generichash_init(&m_stanje->h, nullptr, 0, DuljinaSažetka);
}

SažetakDatoteke::~SažetakDatoteke() = default;

void SažetakDatoteke::Dodaj(const char* podaci, qint64 duljina) {
    crypto_generichash_update(&m_stanje->h, reinterpret_cast<const unsigned char*>(podaci),
                              static_cast<unsigned long long>(duljina));
}

QByteArray SažetakDatoteke::Završi() {
    QByteArray r(DuljinaSažetka, Qt::Uninitialized);
    crypto_generichash_final(&m_stanje->h, reinterpret_cast<unsigned char*>(r.data()), DuljinaSažetka);
    crypto_generichash_init(&m_stanje->h, nullptr, 0, DuljinaSažetka);
    return r;
}

QByteArray SažetakSadržaja(const QByteArray& sadržaj) {
    SažetakDatoteke s;
    s.Dodaj(sadržaj.constData(), sadržaj.size());
    return s.Završi();
}

std::optional<QByteArray> PotpisaniSet::SažetakZa(const QString& ime) const {
    const auto i = sažeci.constFind(ime.toLower());
    if (i == sažeci.cend()) return std::nullopt;
    return *i;
}

std::optional<PotpisaniSet> ProvjeriPotpisSeta(const QByteArray& manifest, const QByteArray& potpis,
                                               const QList<JavniKljuč>& ključevi, const QDate& danas,
                                               qint64 najnižaSerija, QString& greška) {
    if (!PripremiSodium()) {
        greška = QStringLiteral("Biblioteka za provjeru potpisa se ne može pokrenuti.");
        return std::nullopt;
    }
    const auto p = RastaviPotpis(potpis);
    if (!p) {
        greška = ImePotpisa + QStringLiteral(" nije ispravan minisign potpis.");
        return std::nullopt;
    }
    if (p->algoritam == "Ed") {
        greška = ImePotpisa +
                 QStringLiteral(" je potpis u starom obliku (minisign -l); prihvaća se samo potpis nad "
                                "sažetkom datoteke, koji minisign daje bez -l.");
        return std::nullopt;
    }
    if (p->algoritam != "ED") {
        greška = ImePotpisa + QStringLiteral(" nije ispravan minisign potpis.");
        return std::nullopt;
    }
    const JavniKljuč* ključ = nullptr;
    for (const JavniKljuč& k : ključevi)
        if (k.id == p->id) ključ = &k;
    if (!ključ) {
        greška = ImeManifesta + QStringLiteral(" je potpisan ključem ") + IdKaoTekst(p->id) +
                 QStringLiteral(" kojem ovaj program ne vjeruje.");
        return std::nullopt;
    }
    if (!Potvrdi(p->potpis, SažetakSadržaja(manifest), ključ->ključ)) {
        greška = QStringLiteral("Potpis se ne slaže sa sadržajem datoteke ") + ImeManifesta +
                 QStringLiteral(": popis je izmijenjen nakon potpisivanja.");
        return std::nullopt;
    }
    if (!Potvrdi(p->globalni, p->potpis + p->komentar, ključ->ključ)) {
        greška = QStringLiteral("Pouzdani komentar u ") + ImePotpisa +
                 QStringLiteral(" je izmijenjen nakon potpisivanja.");
        return std::nullopt;
    }
    PotpisaniSet set;
    set.idKljuča = IdKaoTekst(p->id);
    if (!PročitajKomentar(QString::fromUtf8(p->komentar), set, greška)) return std::nullopt;
    if (set.serija < najnižaSerija) {
        greška = QStringLiteral("Skup ima seriju ") + QString::number(set.serija) +
                 QStringLiteral(", a već je prihvaćen skup serije ") + QString::number(najnižaSerija) +
                 QStringLiteral(": stariji skup se ne prihvaća.");
        return std::nullopt;
    }
    if (set.istječe.isValid() && danas > set.istječe) {
        greška = QStringLiteral("Skup je istekao ") + set.istječe.toString(QStringLiteral("dd.MM.yyyy.")) +
                 QStringLiteral(" Izdavač mora objaviti novi potpisani skup.");
        return std::nullopt;
    }
    if (!PročitajManifest(manifest, set, greška)) return std::nullopt;
    return set;
}

bool ProvjeriSažetak(const PotpisaniSet& set, const QString& ime, const QByteArray& sažetak,
                     QString& greška) {
    const auto očekivani = set.SažetakZa(ime);
    if (!očekivani) {
        greška = QStringLiteral("Datoteka ") + ime + QStringLiteral(" nije navedena u potpisanom popisu ") +
                 ImeManifesta + QStringLiteral(".");
        return false;
    }
    if (sažetak.size() != DuljinaSažetka ||
        sodium_memcmp(očekivani->constData(), sažetak.constData(), DuljinaSažetka) != 0) {
        greška = QStringLiteral("Sadržaj datoteke ") + ime +
                 QStringLiteral(" nije onaj koji je izdavač potpisao (sažetak se ne slaže).");
        return false;
    }
    return true;
}

namespace {

class Provjera : public IProvjeraSadržaja {
public:
    Provjera(const PotpisaniSet& set, QString ime) : m_ime(std::move(ime)) {
        if (const auto sažetak = set.SažetakZa(m_ime)) m_jedan.sažeci.insert(m_ime.toLower(), *sažetak);
    }
    void Dodaj(const char* podaci, qint64 duljina) override { m_sažetak.Dodaj(podaci, duljina); }
    QString Završi() override {
        QString greška;
        return ProvjeriSažetak(m_jedan, m_ime, m_sažetak.Završi(), greška) ? QString() : greška;
    }

private:
    // Only this file's hash: the fetch may outlive the set it was made from.
    PotpisaniSet m_jedan;
    const QString m_ime;
    SažetakDatoteke m_sažetak;
};

} // namespace

std::shared_ptr<IProvjeraSadržaja> ProvjeraSažetka(const PotpisaniSet& set, const QString& ime) {
    return std::make_shared<Provjera>(set, ime);
}

} // namespace morvela
