#include "Instalacija.h"
#include "install/modAppJeStartana.h"
#include "platform/Prozori.h"

#include <QProcess>
#include <QStandardPaths>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <vector>

using namespace morvela;
using namespace morvela::test;

namespace {

// The test's own X client: opens top-level windows titled like the suite's programs.
class KlijentX11 {
public:
    explicit KlijentX11(const QString& zaslon) {
        m_veza = xcb_connect(zaslon.toLocal8Bit().constData(), nullptr);
        m_korijen = xcb_setup_roots_iterator(xcb_get_setup(m_veza)).data->root;
        m_imeProzora = Atom("_NET_WM_NAME");
        m_utf8 = Atom("UTF8_STRING");
        m_popisKlijenata = Atom("_NET_CLIENT_LIST");
    }
    ~KlijentX11() {
        for (xcb_window_t p : m_prozori)
            xcb_destroy_window(m_veza, p);
        xcb_delete_property(m_veza, m_korijen, m_popisKlijenata);
        Sinkroniziraj();
        xcb_disconnect(m_veza);
    }

    xcb_window_t Otvori(const QString& naslov, const QByteArray& wmClass = {}, bool mapiran = true) {
        const xcb_window_t p = xcb_generate_id(m_veza);
        xcb_create_window(m_veza, XCB_COPY_FROM_PARENT, p, m_korijen, 0, 0, 100, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        const QByteArray utf8 = naslov.toUtf8();
        xcb_change_property(m_veza, XCB_PROP_MODE_REPLACE, p, m_imeProzora, m_utf8, 8, utf8.size(),
                            utf8.constData());
        if (!wmClass.isEmpty())
            xcb_change_property(m_veza, XCB_PROP_MODE_REPLACE, p, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                                wmClass.size(), wmClass.constData());
        if (mapiran) xcb_map_window(m_veza, p);
        m_prozori.push_back(p);
        Sinkroniziraj();
        return p;
    }

    // What a window manager publishes on the root window.
    void ObjaviPopisKlijenata(const std::vector<xcb_window_t>& prozori) {
        xcb_change_property(m_veza, XCB_PROP_MODE_REPLACE, m_korijen, m_popisKlijenata, XCB_ATOM_WINDOW, 32,
                            uint32_t(prozori.size()), prozori.data());
        Sinkroniziraj();
    }

private:
    xcb_atom_t Atom(const char* ime) {
        auto* o =
            xcb_intern_atom_reply(m_veza, xcb_intern_atom(m_veza, 0, uint16_t(strlen(ime)), ime), nullptr);
        const xcb_atom_t a = o ? o->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(o);
        return a;
    }
    // A round trip: the server has handled everything sent before it.
    void Sinkroniziraj() {
        std::free(xcb_get_input_focus_reply(m_veza, xcb_get_input_focus(m_veza), nullptr));
    }

    xcb_connection_t* m_veza;
    xcb_window_t m_korijen;
    xcb_atom_t m_imeProzora, m_utf8, m_popisKlijenata;
    std::vector<xcb_window_t> m_prozori;
};

// A private Xvfb for the suite, on a display number it picks itself.
class ProzoriX11 : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty()) return;
        s_xvfb = new QProcess;
        s_xvfb->start("Xvfb",
                      {"-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0", "320x240x24"});
        while (s_xvfb->waitForStarted() && !s_xvfb->canReadLine() && s_xvfb->waitForReadyRead(20000)) {
        }
        if (s_xvfb->canReadLine()) s_zaslon = ":" + QString::fromLatin1(s_xvfb->readLine().trimmed());
    }
    static void TearDownTestSuite() {
        if (!s_xvfb) return;
        s_xvfb->terminate();
        s_xvfb->waitForFinished();
        delete s_xvfb;
        s_xvfb = nullptr;
    }
    void SetUp() override {
        if (s_zaslon.isEmpty()) GTEST_SKIP() << "Xvfb is not available";
        x = std::make_unique<KlijentX11>(s_zaslon);
        prozori = std::make_unique<SustavniProzori>(s_zaslon);
        k.prozori = prozori.get();
    }

    static inline QProcess* s_xvfb = nullptr;
    static inline QString s_zaslon;
    std::unique_ptr<KlijentX11> x;
    std::unique_ptr<SustavniProzori> prozori;
    Kontekst k;
};

TEST_F(ProzoriX11, RunningSuiteProgramsInTableOrderUnderTheirDisplayNames) {
    EXPECT_EQ(PokrenutiProgrami(k), "");
    x->Otvori("Morvela URA 21");
    x->Otvori("Morvela Plaće 21");
    // Near misses and a hidden window do not count.
    x->Otvori("morvela saldakonti 21");
    x->Otvori("Morvela Blagajna 21 - izvještaji");
    x->Otvori("Morvela Glavna knjiga 21", {}, false);

    EXPECT_EQ(PokrenutiProgrami(k), "Morvela Plaće 21\r\nKnjiga ulaznih računa\r\n");
}

TEST_F(ProzoriX11, WellKnownApplicationsByClassOthersByExactTitle) {
    x->Otvori("Knjiga1 - Excel", QByteArray("excel\0XLMain\0", 13));
    x->Otvori("Word");

    EXPECT_TRUE(AppJeStartana(k, "ExCeL", false));
    EXPECT_TRUE(AppJeStartana(k, "Knjiga1 - Excel", true));
    // "word" is a key, so only the class counts and the window titled Word is not it.
    EXPECT_FALSE(AppJeStartana(k, "WORD", false));
    EXPECT_FALSE(AppJeStartana(k, "XLMain", false));
}

TEST_F(ProzoriX11, WithAWindowManagerItsClientListCounts) {
    // Minimised under a window manager: unmapped, yet still listed and still running.
    const xcb_window_t minimiziran = x->Otvori("Morvela Kamate 21", {}, false);
    x->Otvori("Morvela Servis 21");
    x->ObjaviPopisKlijenata({minimiziran});

    EXPECT_EQ(PokrenutiProgrami(k), "Morvela Kamate 21\r\n");
}

TEST(Prozori, NoDisplayFindsNothing) {
    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    EXPECT_FALSE(SustavniProzori().NađiProzor({}, "Morvela Plaće 21", false));
    EXPECT_FALSE(SustavniProzori(":65000").NađiProzor("XLMain", {}, true));
    if (!display.isNull()) qputenv("DISPLAY", display);
}

} // namespace
