#include "records/StanjeRada.h"

#include "platform/Datoteke.h"
#include "records/VlastitaImena.h"

#include <QDir>

namespace morvela {

QString UpdateDirektorijaU(const QString& direktorija) {
    return SaSeparatorom(direktorija) + ImeUpdateDirektorije + Separator();
}

void StanjeRada::PostaviDirektorije(const QString& programska, const QString& winDir) {
    const QString sep = Separator();
    ProgramskaDirektorija = SaSeparatorom(programska);
    UpdateDirektorija = UpdateDirektorijaU(ProgramskaDirektorija);
    BackupDirektorija = ProgramskaDirektorija + ImeBackupDirektorije + sep;
    SkripteDirektorija = ProgramskaDirektorija + ImeDirektorijeSkripti + sep;
    HelpDirektorija = winDir.isEmpty() ? ProgramskaDirektorija + ImeDirektorijePomoći + sep
                                       : QDir::toNativeSeparators(winDir) + sep + ImeDirektorijePomoći + sep;
}

} // namespace morvela
