#include "records/StanjeRada.h"

#include "platform/Datoteke.h"

#include <QDir>

namespace morvela {

QString UpdateDirektorijaU(const QString& direktorija) {
    return SaSeparatorom(direktorija) + QStringLiteral("Update") + Separator();
}

void StanjeRada::PostaviDirektorije(const QString& programska, const QString& winDir) {
    const QString sep = Separator();
    ProgramskaDirektorija = SaSeparatorom(programska);
    UpdateDirektorija = UpdateDirektorijaU(ProgramskaDirektorija);
    BackupDirektorija = ProgramskaDirektorija + QStringLiteral("UpdateBackup") + sep;
    SkripteDirektorija = ProgramskaDirektorija + QStringLiteral("Skrite za izmjenu baze") + sep;
    HelpDirektorija = winDir.isEmpty()
                          ? ProgramskaDirektorija + QStringLiteral("Help") + sep
                          : QDir::toNativeSeparators(winDir) + sep + QStringLiteral("Help") + sep;
}

} // namespace morvela
