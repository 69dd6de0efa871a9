#include "platform/Konzola.h"

#include <unistd.h>

namespace morvela {

void PoveziKonzolu() {}

bool JeTerminal(std::FILE* tok) {
    return ::isatty(::fileno(tok)) == 1;
}

} // namespace morvela
