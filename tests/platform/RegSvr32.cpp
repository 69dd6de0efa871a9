// Stands in for RegSvr32.exe: appends its arguments, one a line in UTF-8, and an
// empty line after them to the file named by MORVELA_REGSVR32_ZAPIS.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <string>

int main() {
    int broj = 0;
    LPWSTR* argumenti = CommandLineToArgvW(GetCommandLineW(), &broj);
    const wchar_t* zapis = _wgetenv(L"MORVELA_REGSVR32_ZAPIS");
    if (!zapis) return 2;
    std::FILE* f = _wfopen(zapis, L"ab");
    if (!f) return 2;
    for (int i = 1; i < broj; ++i) {
        const int bajtova = WideCharToMultiByte(CP_UTF8, 0, argumenti[i], -1, nullptr, 0, nullptr, nullptr);
        std::string utf8(size_t(bajtova), '\0');
        WideCharToMultiByte(CP_UTF8, 0, argumenti[i], -1, utf8.data(), bajtova, nullptr, nullptr);
        std::fprintf(f, "%s\n", utf8.c_str());
    }
    std::fputs("\n", f);
    std::fclose(f);
    return 0;
}
