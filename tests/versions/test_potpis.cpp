#include "Okruzenje.h"
#include "versions/PotpisSeta.h"

#include <gtest/gtest.h>

#include <functional>

namespace morvela::test {
namespace {

const QString Potpisi = QStringLiteral(MORVELA_POTPISI_DIR "/");
const QDate Danas(2026, 12, 6);

// A missing file of the sets signed for these tests reads as empty, and is refused.
constexpr auto Pročitaj = &TestOkruženje::Pročitaj;

JavniKljuč Ključ(const char* ime) {
    const auto k = PročitajJavniKljuč(QString::fromLatin1(Pročitaj(Potpisi + ime)));
    EXPECT_TRUE(k.has_value()) << ime;
    return k.value_or(JavniKljuč{});
}

struct Slučaj {
    const char* opis;
    const char* set;
    bool obaKljuča;
    qint64 najnižaSerija;
    std::function<void(QByteArray& manifest, QByteArray& potpis)> izmjena;
    // Empty: the set is accepted.
    const char* greška;
};

void Ništa(QByteArray&, QByteArray&) {}

TEST(PotpisSeta, OnlyASetSignedByATrustedKeyWithAValidCommentIsAccepted) {
    const Slučaj slučajevi[] = {
        {"good set", "dobar", false, 0, Ništa, ""},
        {"the same serial again", "dobar", false, 200, Ništa, ""},
        {"the publisher's second key", "drugi-kljuc", true, 0, Ništa, ""},
        {"changed manifest", "dobar", false, 0,
         [](QByteArray& m, QByteArray&) { m[5] = m[5] == '0' ? '1' : '0'; }, "ne slaže sa sadržajem"},
        {"file added to the manifest", "dobar", false, 0,
         [](QByteArray& m, QByteArray&) { m += QByteArray(128, 'a') + "  B.7z\n"; }, "ne slaže sa sadržajem"},
        {"changed trusted comment", "dobar", false, 0,
         [](QByteArray&, QByteArray& p) { p.replace("serija=200", "serija=900"); },
         "izmijenjen nakon potpisivanja"},
        {"a stranger's key", "drugi-kljuc", false, 0, Ništa, "kojem ovaj program ne vjeruje"},
        {"legacy signature", "stari-oblik", false, 0, Ništa, "starom obliku"},
        {"garbage signature", "dobar", false, 0, [](QByteArray&, QByteArray& p) { p = "<html>404</html>"; },
         "nije ispravan minisign"},
        {"signature cut short", "dobar", false, 0, [](QByteArray&, QByteArray& p) { p.chop(30); },
         "nije ispravan minisign"},
        {"no signature", "dobar", false, 0, [](QByteArray&, QByteArray& p) { p.clear(); },
         "nije ispravan minisign"},
        {"replayed older set", "stara-serija", false, 200, Ništa, "stariji skup se ne prihvaća"},
        {"expired set", "istekao", false, 0, Ništa, "istekao 01.01.2020."},
        {"no serial in the comment", "bez-serije", false, 0, Ništa, "nema serijski broj"},
    };
    for (const Slučaj& s : slučajevi) {
        SCOPED_TRACE(s.opis);
        const QString dir = Potpisi + s.set + "/";
        QByteArray manifest = Pročitaj(dir + ImeManifesta), potpis = Pročitaj(dir + ImePotpisa);
        s.izmjena(manifest, potpis);
        QList<JavniKljuč> ključevi{Ključ("A.pub")};
        if (s.obaKljuča) ključevi.append(Ključ("B.pub"));
        QString greška;
        const auto set = ProvjeriPotpisSeta(manifest, potpis, ključevi, Danas, s.najnižaSerija, greška);
        if (*s.greška) {
            EXPECT_FALSE(set.has_value());
            EXPECT_TRUE(greška.contains(QString::fromUtf8(s.greška))) << greška.toStdString();
        } else {
            ASSERT_TRUE(set.has_value()) << greška.toStdString();
            EXPECT_EQ(set->serija, 200);
        }
    }
}

// The hashes b2sum wrote are the ones the program computes, whole or piece by piece.
TEST(PotpisSeta, FilesAreCheckedAgainstTheHashesTheSetNames) {
    const QString dir = Potpisi + "dobar/";
    QString greška;
    const auto set = ProvjeriPotpisSeta(Pročitaj(dir + ImeManifesta), Pročitaj(dir + ImePotpisa),
                                        {Ključ("A.pub")}, Danas, 0, greška);
    ASSERT_TRUE(set.has_value()) << greška.toStdString();
    EXPECT_EQ(set->istječe, QDate(2099, 12, 31));

    EXPECT_TRUE(ProvjeriSažetak(*set, "VERZIJE.TXT", SažetakSadržaja(Pročitaj(dir + "Verzije.txt")), greška));
    const QByteArray arhiva = Pročitaj(dir + "A.7z");
    SažetakDatoteke komadi;
    for (qsizetype i = 0; i < arhiva.size(); i += 4)
        komadi.Dodaj(arhiva.constData() + i, qMin<qsizetype>(4, arhiva.size() - i));
    EXPECT_TRUE(ProvjeriSažetak(*set, "A.7z", komadi.Završi(), greška)) << greška.toStdString();

    EXPECT_FALSE(ProvjeriSažetak(*set, "A.7z", SažetakSadržaja(arhiva + "x"), greška));
    EXPECT_TRUE(greška.contains("A.7z")) << greška.toStdString();
    EXPECT_FALSE(ProvjeriSažetak(*set, "Program21.exe", SažetakSadržaja(arhiva), greška));
    EXPECT_TRUE(greška.contains("nije navedena")) << greška.toStdString();
    EXPECT_FALSE(PročitajJavniKljuč("RWQ nije ključ").has_value());
}

} // namespace
} // namespace morvela::test
