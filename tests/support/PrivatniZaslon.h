#pragma once
// A private X server (Xvfb) and our own client on it, which opens top-level
// windows as the suite's programs would, for the running-program guard.

#include <QByteArray>
#include <QProcess>
#include <QString>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

namespace morvela::test {

class PrivatniZaslon {
public:
    PrivatniZaslon();
    ~PrivatniZaslon();
    PrivatniZaslon(const PrivatniZaslon&) = delete;
    PrivatniZaslon& operator=(const PrivatniZaslon&) = delete;

    // False when Xvfb could not be started; a test then skips.
    bool radi() const { return m_x != nullptr; }
    // ":<number>", as DISPLAY takes it.
    QString ime() const { return m_ime; }
    // A top-level window with a UTF-8 title and an optional WM_CLASS, mapped unless told otherwise.
    xcb_window_t Otvori(const QByteArray& naslov, const QByteArray& klasa = {}, bool vidljiv = true);
    // The window manager's list of clients, as one that lists minimised windows keeps it.
    void PostaviKlijente(xcb_window_t prozor);

private:
    // A round trip: the server has handled everything sent before it.
    void Uskladi();

    QProcess m_xvfb;
    QString m_ime;
    xcb_connection_t* m_x = nullptr;
    xcb_ewmh_connection_t m_ewmh{};
};

} // namespace morvela::test
