#include "PrivatniZaslon.h"
#include "install/modAppJeStartana.h"
#include "platform/Prozori.h"

#include <gtest/gtest.h>

using namespace morvela;
using namespace morvela::test;

namespace {

TEST(Prozori, SuiteProgramsAndWellKnownApplicationsOnAPrivateXServer) {
    EXPECT_FALSE(SustavniProzori(":65000").NađiProzor({}, "Morvela Plaće 21", false));

    PrivatniZaslon zaslon;
    if (!zaslon.radi()) GTEST_SKIP() << "Xvfb is not available";
    SustavniProzori prozori(zaslon.ime());
    Kontekst k;
    k.prozori = &prozori;
    EXPECT_EQ(PokrenutiProgrami(k), "");

    zaslon.Otvori("Morvela URA 21");
    zaslon.Otvori("Morvela Plaće 21");
    // Near misses and a hidden window do not count.
    zaslon.Otvori("morvela saldakonti 21");
    zaslon.Otvori("Morvela Blagajna 21 - izvještaji");
    xcb_window_t minimiziran = zaslon.Otvori("Morvela Kamate 21", {}, false);
    zaslon.Otvori("Knjiga1 - Excel", QByteArray("excel\0XLMain\0", 13));
    zaslon.Otvori("Word");
    // Display names, in the table's order.
    EXPECT_EQ(PokrenutiProgrami(k), "Morvela Plaće 21\r\nKnjiga ulaznih računa\r\n");
    // Keys by class in any case, other names by whole title: "word" is a key, so the window titled
    // Word is not it, and a class name is no title.
    EXPECT_EQ((QList<bool>{AppJeStartana(k, "ExCeL", false), AppJeStartana(k, "Knjiga1 - Excel", true),
                           AppJeStartana(k, "Word", false), AppJeStartana(k, "XLMain", false)}),
              (QList<bool>{true, true, false, false}));

    // A window manager lists minimised windows too: that program still runs.
    zaslon.PostaviKlijente(minimiziran);
    EXPECT_EQ(PokrenutiProgrami(k), "Morvela Kamate 21\r\n");
}

} // namespace
