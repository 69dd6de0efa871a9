#include "platform/Konzola.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>

namespace morvela {

void PoveziKonzolu() {}

bool JeTerminal(std::FILE* tok) {
    return ::isatty(::fileno(tok)) == 1;
}

void PišiNaKonzolu(std::FILE* tok, const QString& tekst) {
    std::fputs(tekst.toLocal8Bit().constData(), tok);
}

int ŠirinaTerminala(std::FILE* tok) {
    winsize w{};
    if (::ioctl(::fileno(tok), TIOCGWINSZ, &w) != 0) return 0;
    return w.ws_col;
}

bool ImaZaslona() {
    // A platform named by hand (offscreen, vnc, ...) is the user's choice; Qt is left to judge it.
    for (const char* ime : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* vrijednost = std::getenv(ime);
        if (vrijednost && *vrijednost) return true;
    }
    return false;
}

} // namespace morvela
