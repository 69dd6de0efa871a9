#pragma once
#include "platform/Seams.h"

#include <QList>

namespace morvela {

// A program of the suite: the exact title of its main window and the name the
// running-program list shows for it.
struct ProgramPaketa {
    QString naslov;
    QString prikaz;
};

// The suite's programs, in the order the running-program list uses.
const QList<ProgramPaketa>& ProgramiPaketa();

// Whether an application's main window is open: a few well-known applications
// by window class, anything else by exact window title.
bool AppJeStartana(IProzori& prozori, const QString& ime, bool uPrviPlan);

// Display names of the suite's running programs, each followed by CR LF; empty when none runs.
QString PokrenutiProgrami(IProzori& prozori);

} // namespace morvela
