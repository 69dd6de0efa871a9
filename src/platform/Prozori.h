#pragma once
#include "platform/Seams.h"

#include <QString>

#include <memory>

namespace morvela {

// Finds the top-level windows of other programs: user32 on Windows, the X11
// server (xcb) elsewhere, where no display simply means no window is found.
class SustavniProzori : public IProzori {
public:
    // zaslon: the X11 display to ask (empty: the one in DISPLAY); unused on Windows.
    explicit SustavniProzori(QString zaslon = QString());
    ~SustavniProzori() override;
    bool NađiProzor(const QString& klasa, const QString& naslov, bool uPrviPlan) override;

private:
    // The connection to the window system, opened on first use and again after it broke.
    class Veza;
    QString m_zaslon;
    std::unique_ptr<Veza> m_veza;
};

} // namespace morvela
