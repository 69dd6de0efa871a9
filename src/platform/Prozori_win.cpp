#include "platform/Prozori.h"

#include <QByteArray>

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
    // The window texts are in the ANSI code page, which toLocal8Bit gives on Windows.
    const QByteArray klasaA = klasa.toLocal8Bit();
    const QByteArray naslovA = naslov.toLocal8Bit();
    HWND prozor = klasa.isEmpty() ? FindWindowA(nullptr, naslovA.constData())
                                  : FindWindowA(klasaA.constData(), nullptr);
    if (!prozor) return false;
    INT32 nula = 0;
    SendMessageA(prozor, PorukaPaketu, 0, reinterpret_cast<LPARAM>(&nula));
    // Activated but left minimised, as the suite expects; never restored here.
    if (IsIconic(prozor)) ShowWindow(prozor, SW_SHOWMINIMIZED);
    if (uPrviPlan) SetForegroundWindow(prozor);
    return true;
}

} // namespace morvela
