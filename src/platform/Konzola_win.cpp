#include "platform/Konzola.h"

#include <io.h>
#include <windows.h>

#include <string>

namespace morvela {

namespace {

// The console behind a stream, or nothing for a file, a pipe or no stream at all.
HANDLE KonzolaToka(std::FILE* tok) {
    const int broj = _fileno(tok);
    if (broj < 0) return nullptr;
    const HANDLE ručka = reinterpret_cast<HANDLE>(_get_osfhandle(broj));
    DWORD način = 0;
    if (ručka == INVALID_HANDLE_VALUE || !GetConsoleMode(ručka, &način)) return nullptr;
    return ručka;
}

// The progress line is redrawn with the terminal sequences Windows 10 consoles understand.
void UključiSekvence(std::FILE* tok) {
    const HANDLE ručka = KonzolaToka(tok);
    DWORD način = 0;
    if (ručka && GetConsoleMode(ručka, &način))
        SetConsoleMode(ručka, način | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

} // namespace

void PoveziKonzolu() {
    // Output redirected to a file or pipe already has its handles; only a console start needs this.
    const HANDLE izlaz = GetStdHandle(STD_OUTPUT_HANDLE);
    if (izlaz == nullptr || GetFileType(izlaz) == FILE_TYPE_UNKNOWN) {
        if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
        std::FILE* f = nullptr;
        freopen_s(&f, "CONOUT$", "w", stdout);
        freopen_s(&f, "CONOUT$", "w", stderr);
    }
    UključiSekvence(stdout);
    UključiSekvence(stderr);
}

bool JeTerminal(std::FILE* tok) {
    return _isatty(_fileno(tok)) != 0;
}

void PišiNaKonzolu(std::FILE* tok, const QString& tekst) {
    if (const HANDLE konzola = KonzolaToka(tok)) {
        // The console's code page cannot be trusted with Croatian letters; UTF-16 always can.
        std::fflush(tok);
        const std::wstring široko = tekst.toStdWString();
        DWORD napisano = 0;
        WriteConsoleW(konzola, široko.data(), DWORD(široko.size()), &napisano, nullptr);
        return;
    }
    const QByteArray utf8 = tekst.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), tok);
}

int ŠirinaTerminala(std::FILE* tok) {
    CONSOLE_SCREEN_BUFFER_INFO podaci{};
    const HANDLE konzola = KonzolaToka(tok);
    if (!konzola || !GetConsoleScreenBufferInfo(konzola, &podaci)) return 0;
    return podaci.srWindow.Right - podaci.srWindow.Left + 1;
}

// A Windows session always has a desktop to show the window on.
bool ImaZaslona() {
    return true;
}

} // namespace morvela
