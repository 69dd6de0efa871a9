#include "Lazni.h"
#include "versions/PravilaVerzija.h"

#include <gtest/gtest.h>

using namespace morvela;

namespace {

TEST(PravilaVerzija, NumericValueOfAField) {
    const struct {
        const char* polje;
        double vrijednost;
    } slučajevi[] = {{"21", 21},      {"04", 4},    {"", 0},         {"abc", 0},       {" 2 1\t\n", 21},
                     {"12.5x", 12.5}, {"7.", 7},    {"3a4", 3},      {"-5", 0},        {"1.2.3", 1.2}};
    for (const auto& s : slučajevi)
        EXPECT_DOUBLE_EQ(BrojčanaVrijednost(QString::fromUtf8(s.polje)), s.vrijednost) << s.polje;
    EXPECT_EQ(VeličinaKao32("2.5"), 2);
    EXPECT_EQ(VeličinaKao32("3.5"), 4);
    EXPECT_EQ(VeličinaKao32("99999999999"), 2147483647);
}

TEST(PravilaVerzija, NewerComparesEachPartOnItsOwn) {
    const struct {
        const char *stara, *nova;
        bool novija;
    } slučajevi[] = {{"21;4;2", "21;4;3", true},  {"21;4;3", "21;4;3", false}, {"2;0;0", "1;5;0", true},
                     {"21;10;0", "21;9;5", true}, {"21;04;3", "21;4;3", false}, {"21;4;", "21;4;0", false},
                     {"21;4;3", "20;3;2", false}};
    for (const auto& s : slučajevi) {
        Matrica stara, nova;
        const QStringList a = QString(s.stara).split(';'), b = QString(s.nova).split(';');
        for (int i = 0; i < 3; ++i) stara.postavi(0, i + 1, a[i]), nova.postavi(0, i + 1, b[i]);
        EXPECT_EQ(JeNovija(stara, 0, nova, 0), s.novija) << s.stara << " -> " << s.nova;
    }
}

TEST(PravilaVerzija, KindsAndArchiveNames) {
    EXPECT_EQ(VrstaDatoteke("Upute.chm"), "chm");
    EXPECT_EQ(VrstaDatoteke("UPUTE.CHM"), "CHM");
    EXPECT_EQ(VrstaDatoteke("ab"), "ab");
    EXPECT_EQ(ImeArhive("Program21.exe"), "Program21.7z");
    EXPECT_EQ(ImeArhive("Upute.chm"), "Upute.7z");
    EXPECT_EQ(ImeArhive(QString::fromUtf8("Račun21.exe")), "Racun21.7z");
    EXPECT_EQ(ImeArhive(QString::fromUtf8("Porez žiro čč.dll")), "Porez ziro cc.7z");
    EXPECT_EQ(ImeArhive(QString::fromUtf8("ČŽćšđ.exe")), QString::fromUtf8("ČŽćšđ.7z"));
}

} // namespace
