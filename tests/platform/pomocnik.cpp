// Another Windows process for the platform tests. It prints "spreman" once it
// does what it was asked, then stays until it is ended:
//   prozor <title>     a top-level window with that title
//   drzi <file>        the file open, shared with readers only (as a running program is)
//   brava <directory>  the program's lock on the directory
#include "platform/Brava.h"

#include <QString>

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

LRESULT CALLBACK Obrada(HWND prozor, UINT poruka, WPARAM w, LPARAM l) {
    if (poruka == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(prozor, poruka, w, l);
}

void Spreman() {
    std::puts("spreman");
    std::fflush(stdout);
}

} // namespace

int main() {
    // The arguments as UTF-16: the names hold Croatian letters.
    int broj = 0;
    LPWSTR* argumenti = CommandLineToArgvW(GetCommandLineW(), &broj);
    if (broj != 3) return 2;
    const std::wstring što = argumenti[1], što2 = argumenti[2];

    if (što == L"prozor") {
        WNDCLASSW klasa = {};
        klasa.lpfnWndProc = Obrada;
        klasa.hInstance = GetModuleHandleW(nullptr);
        klasa.lpszClassName = L"MorvelaTestProzor";
        RegisterClassW(&klasa);
        const HWND prozor = CreateWindowExW(0, klasa.lpszClassName, što2.c_str(), WS_OVERLAPPEDWINDOW, 0, 0,
                                            200, 100, nullptr, nullptr, klasa.hInstance, nullptr);
        if (!prozor) return 1;
        ShowWindow(prozor, SW_SHOWNORMAL);
        Spreman();
        MSG poruka;
        while (GetMessageW(&poruka, nullptr, 0, 0) > 0) {
            TranslateMessage(&poruka);
            DispatchMessageW(&poruka);
        }
        return 0;
    }
    if (što == L"drzi") {
        const HANDLE datoteka = CreateFileW(što2.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (datoteka == INVALID_HANDLE_VALUE) return 1;
        Spreman();
        Sleep(INFINITE);
    }
    if (što == L"brava") {
        morvela::Brava brava(QString::fromStdWString(što2));
        if (!brava.Zaključaj()) return 1;
        Spreman();
        Sleep(INFINITE);
    }
    return 2;
}
