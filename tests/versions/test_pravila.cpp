#include "Lazni.h"
#include "versions/PravilaVerzija.h"

#include <gtest/gtest.h>

namespace morvela {

TEST(PravilaVerzija, FieldValuesNewerRuleKindsAndArchiveNames) {
    const std::pair<const char*, double> vrijednosti[] = {{"04", 4},       {"", 0},   {" 2 1\t\n", 21},
                                                          {"12.5x", 12.5}, {"-5", 0}, {"1.2.3", 1.2}};
    for (const auto& [polje, vrijednost] : vrijednosti)
        EXPECT_DOUBLE_EQ(BrojčanaVrijednost(polje), vrijednost) << polje;
    EXPECT_EQ(VeličinaKao32("99999999999"), 2147483647);

    const std::tuple<QString, QString, bool> verzije[] = {
        {"21;4;2", "21;4;3", true},  {"21;4;3", "21;4;3", false},  {"2;0;0", "1;5;0", true},
        {"21;10;0", "21;9;5", true}, {"21;04;3", "21;4;3", false}, {"21;4;", "21;4;0", false},
        {"21;4;3", "20;3;2", false}};
    Matrica m;
    for (const auto& [stara, nova, novija] : verzije) {
        for (int i = 0; i < 3; ++i)
            m.postavi(0, i + 1, stara.section(';', i, i)), m.postavi(1, i + 1, nova.section(';', i, i));
        EXPECT_EQ(JeNovija(m, 0, m, 1), novija) << qPrintable(stara + " -> " + nova);
    }

    EXPECT_EQ(VrstaDatoteke("UPUTE.CHM"), "CHM"); // not a help file: the comparison is exact
    EXPECT_EQ(QStringList({ImeArhive("Upute.chm"), ImeArhive("Račun21.exe"), ImeArhive("Porez žiro čč.dll"),
                           ImeArhive("ČŽćšđ.exe")}),
              QStringList({"Upute.7z", "Racun21.7z", "Porez ziro cc.7z", "ČŽćšđ.7z"}));
}

} // namespace morvela
