#pragma once
// Signed update sets. The publisher names every file of the set with its
// BLAKE2b-512 hash in a manifest (the format b2sum writes) and signs the
// manifest with minisign; the program checks the signature with libsodium
// before it reads anything the set brings. The trusted comment of the
// signature carries the set's serial number and, optionally, an expiry date:
// "serija=2026120601 istjece=2027-01-05".

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

#include "platform/Seams.h"
#include "records/VlastitaImena.h"

#include <memory>
#include <optional>

namespace morvela {

// The most a manifest or a signature file may have; a set of a few hundred
// files needs a fraction of it.
inline constexpr qint64 NajvišeManifesta = 1 << 20;
inline constexpr qint64 NajvišePotpisa = 4096;

// A minisign public key: its 8-byte id and the Ed25519 key.
struct JavniKljuč {
    QByteArray id, ključ;
    // The id as minisign prints it (hex, most significant byte first).
    QString IdTekst() const;
};

// Reads the key from its base64 line ("RW…") or from a whole minisign .pub
// file; empty when it is not a minisign Ed25519 key.
std::optional<JavniKljuč> PročitajJavniKljuč(const QString& tekst);

// BLAKE2b-512 over bytes that arrive piece by piece.
class SažetakDatoteke {
public:
    SažetakDatoteke();
    ~SažetakDatoteke();
    SažetakDatoteke(const SažetakDatoteke&) = delete;
    SažetakDatoteke& operator=(const SažetakDatoteke&) = delete;
    void Dodaj(const char* podaci, qint64 duljina);
    // The 64-byte hash of everything added; the object starts again after it.
    QByteArray Završi();

private:
    struct Stanje;
    std::unique_ptr<Stanje> m_stanje;
};

QByteArray SažetakSadržaja(const QByteArray& sadržaj);

// What a verified signature says about the set.
struct PotpisaniSet {
    qint64 serija = 0;
    QDate istječe; // null: no expiry
    QString idKljuča;
    // File name (as the manifest spells it) -> its 64-byte hash.
    QHash<QString, QByteArray> sažeci;

    // The hash the set names for a file; the names are compared without regard
    // to letter case, as the file systems the set lands on do.
    std::optional<QByteArray> SažetakZa(const QString& ime) const;
};

// Checks the signature of a manifest against the trusted keys and reads the
// manifest. Refused: a legacy (not prehashed) signature, a key not trusted, a
// signature or a trusted comment that does not match, a comment without a
// serial, a serial below najnižaSerija, a set expired before danas, and a
// manifest that is not b2sum output. On failure greška says what failed, in
// Croatian, for the log and the box.
std::optional<PotpisaniSet> ProvjeriPotpisSeta(const QByteArray& manifest, const QByteArray& potpis,
                                               const QList<JavniKljuč>& ključevi, const QDate& danas,
                                               qint64 najnižaSerija, QString& greška);

// Whether bytes received as the file ime are the ones the set names; greška
// says why not.
bool ProvjeriSažetak(const PotpisaniSet& set, const QString& ime, const QByteArray& sažetak, QString& greška);

// Checks a file of the set while it arrives: its BLAKE2b-512 against the hash
// the set names for ime.
std::shared_ptr<IProvjeraSadržaja> ProvjeraSažetka(const PotpisaniSet& set, const QString& ime);

} // namespace morvela
