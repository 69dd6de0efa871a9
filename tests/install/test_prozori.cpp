#include "install/modAppJeStartana.h"
#include "platform/Prozori.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cstdlib>

using namespace morvela;

namespace {

TEST(Prozori, SuiteProgramsAndWellKnownApplicationsOnAPrivateXServer) {
    EXPECT_FALSE(SustavniProzori(":65000").NađiProzor({}, "Morvela Plaće 21", false));

    QProcess xvfb; // ends with the test
    xvfb.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "64x64x24"});
    // It writes its display number in one go once it is ready.
    if (!xvfb.waitForReadyRead(20000)) GTEST_SKIP() << "Xvfb is not available";
    const QString zaslon = ":" + xvfb.readAll().trimmed();
    // Our own X client opens top-level windows as the suite's programs would.
    xcb_connection_t* x = xcb_connect(zaslon.toLatin1().constData(), nullptr);
    xcb_ewmh_connection_t ewmh;
    ASSERT_TRUE(xcb_ewmh_init_atoms_replies(&ewmh, xcb_ewmh_init_atoms(x, &ewmh), nullptr));
    // A round trip: the server has handled everything sent before it.
    const auto Uskladi = [&] { std::free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr)); };
    const auto Otvori = [&](const QByteArray& naslov, const QByteArray& klasa = {}, bool vidljiv = true) {
        const xcb_window_t p = xcb_generate_id(x);
        xcb_create_window(x, XCB_COPY_FROM_PARENT, p, ewmh.screens[0]->root, 0, 0, 9, 9, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_ewmh_set_wm_name(&ewmh, p, naslov.size(), naslov.data());
        xcb_change_property(x, XCB_PROP_MODE_REPLACE, p, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, klasa.size(),
                            klasa.data());
        if (vidljiv) xcb_map_window(x, p);
        Uskladi();
        return p;
    };
    SustavniProzori prozori(zaslon);
    Kontekst k;
    k.prozori = &prozori;
    EXPECT_EQ(PokrenutiProgrami(k), "");

    Otvori("Morvela URA 21");
    Otvori("Morvela Plaće 21");
    // Near misses and a hidden window do not count.
    Otvori("morvela saldakonti 21");
    Otvori("Morvela Blagajna 21 - izvještaji");
    xcb_window_t minimiziran = Otvori("Morvela Kamate 21", {}, false);
    Otvori("Knjiga1 - Excel", QByteArray("excel\0XLMain\0", 13));
    Otvori("Word");
    // Display names, in the table's order.
    EXPECT_EQ(PokrenutiProgrami(k), "Morvela Plaće 21\r\nKnjiga ulaznih računa\r\n");
    // Keys by class in any case, other names by whole title: "word" is a key, so the window titled
    // Word is not it, and a class name is no title.
    EXPECT_EQ((QList<bool>{AppJeStartana(k, "ExCeL", false), AppJeStartana(k, "Knjiga1 - Excel", true),
                           AppJeStartana(k, "Word", false), AppJeStartana(k, "XLMain", false)}),
              (QList<bool>{true, true, false, false}));

    // A window manager lists minimised windows too: that program still runs.
    xcb_ewmh_set_client_list(&ewmh, 0, 1, &minimiziran);
    Uskladi();
    EXPECT_EQ(PokrenutiProgrami(k), "Morvela Kamate 21\r\n");
    xcb_ewmh_connection_wipe(&ewmh);
    xcb_disconnect(x);
}

} // namespace
