#pragma once
#include "platform/Seams.h"

#include <QString>

namespace morvela {

// Finds the top-level windows of other programs: user32 on Windows, the X11
// server (xcb) elsewhere, where no display simply means no window is found.
class SustavniProzori : public IProzori {
public:
    // zaslon: the X11 display to ask (empty: the one in DISPLAY); unused on Windows.
    explicit SustavniProzori(QString zaslon = QString());
    bool NađiProzor(const QString& klasa, const QString& naslov, bool uPrviPlan) override;

private:
    QString m_zaslon;
};

} // namespace morvela
