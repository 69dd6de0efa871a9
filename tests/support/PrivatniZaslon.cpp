#include "PrivatniZaslon.h"

#include <cstdlib>

namespace morvela::test {

PrivatniZaslon::PrivatniZaslon() {
    m_xvfb.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "64x64x24"});
    // It writes its display number in one go once it is ready.
    if (!m_xvfb.waitForReadyRead(20000)) return;
    m_ime = ":" + m_xvfb.readAll().trimmed();
    xcb_connection_t* x = xcb_connect(m_ime.toLatin1().constData(), nullptr);
    if (xcb_connection_has_error(x) ||
        !xcb_ewmh_init_atoms_replies(&m_ewmh, xcb_ewmh_init_atoms(x, &m_ewmh), nullptr)) {
        xcb_disconnect(x);
        return;
    }
    m_x = x;
}

PrivatniZaslon::~PrivatniZaslon() {
    if (m_x) {
        xcb_ewmh_connection_wipe(&m_ewmh);
        xcb_disconnect(m_x);
    }
    m_xvfb.terminate();
    m_xvfb.waitForFinished();
}

xcb_window_t PrivatniZaslon::Otvori(const QByteArray& naslov, const QByteArray& klasa, bool vidljiv) {
    const xcb_window_t p = xcb_generate_id(m_x);
    xcb_create_window(m_x, XCB_COPY_FROM_PARENT, p, m_ewmh.screens[0]->root, 0, 0, 9, 9, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_ewmh_set_wm_name(&m_ewmh, p, naslov.size(), naslov.data());
    xcb_change_property(m_x, XCB_PROP_MODE_REPLACE, p, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, klasa.size(),
                        klasa.data());
    if (vidljiv) xcb_map_window(m_x, p);
    Uskladi();
    return p;
}

void PrivatniZaslon::PostaviKlijente(xcb_window_t prozor) {
    xcb_ewmh_set_client_list(&m_ewmh, 0, 1, &prozor);
    Uskladi();
}

void PrivatniZaslon::Uskladi() {
    std::free(xcb_get_input_focus_reply(m_x, xcb_get_input_focus(m_x), nullptr));
}

} // namespace morvela::test
