#include "platform/Konzola.h"

#include <unistd.h>

namespace morvela {

void PoveziKonzolu() {}

bool JeTerminal(std::FILE* tok) {
    return ::isatty(::fileno(tok)) == 1;
}

void PišiNaKonzolu(std::FILE* tok, const QString& tekst) {
    std::fputs(tekst.toLocal8Bit().constData(), tok);
}

} // namespace morvela
