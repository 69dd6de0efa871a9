#include "platform/Prozori.h"

#include <string>
#include <utility>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace morvela {

namespace {
// WM_USER + 18: the suite's programs answer it; the reply is not used.
constexpr UINT PorukaPaketu = 1042;
} // namespace

// user32 needs no connection of its own.
class SustavniProzori::Veza {};

SustavniProzori::SustavniProzori(QString zaslon) : m_zaslon(std::move(zaslon)) {}

SustavniProzori::~SustavniProzori() = default;

bool SustavniProzori::NađiProzor(const QString& klasa, const QString& naslov, bool uPrviPlan) {
    // Titles are compared in UTF-16: an ANSI code page without "č" or "ć" (any
    // Western one) would never match "Morvela Proračun 21".
    const std::wstring klasaW = klasa.toStdWString();
    const std::wstring naslovW = naslov.toStdWString();
    HWND prozor =
        klasa.isEmpty() ? FindWindowW(nullptr, naslovW.c_str()) : FindWindowW(klasaW.c_str(), nullptr);
    if (!prozor) return false;
    INT32 nula = 0;
    SendMessageW(prozor, PorukaPaketu, 0, reinterpret_cast<LPARAM>(&nula));
    // Activated but left minimised, as the suite expects; never restored here.
    if (IsIconic(prozor)) ShowWindow(prozor, SW_SHOWMINIMIZED);
    if (uPrviPlan) SetForegroundWindow(prozor);
    return true;
}

} // namespace morvela
