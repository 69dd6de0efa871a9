#include "platform/Konzola.h"

#include <io.h>
#include <windows.h>

namespace morvela {

void PoveziKonzolu() {
    // Output redirected to a file or pipe already has its handles; only a console start needs this.
    if (GetStdHandle(STD_OUTPUT_HANDLE) != nullptr && GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) != 0)
        return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    std::FILE* f = nullptr;
    freopen_s(&f, "CONOUT$", "w", stdout);
    freopen_s(&f, "CONOUT$", "w", stderr);
}

bool JeTerminal(std::FILE* tok) {
    return _isatty(_fileno(tok)) != 0;
}

} // namespace morvela
