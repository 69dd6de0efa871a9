#include "records/VlastitaImena.h"

#include "platform/Brava.h"
#include "platform/Datoteke.h"

namespace morvela {

bool JeVlastitoIme(const QString& ime) {
    static const QString imena[] = {ImeListeVerzija,
                                    ImeListeVerzijaU,
                                    ImeManifesta,
                                    ImePotpisa,
                                    ImeLoga,
                                    ImeDnevnika,
                                    ImeSerije,
                                    ImeUpdateDirektorije,
                                    ImeBackupDirektorije,
                                    ImeProbneDirektorije,
                                    ImeDirektorijeSkripti,
                                    ImeDirektorijePomoći,
                                    ImeDirektorijeDnevnika};
    for (const QString& vlastito : imena)
        if (ime.compare(vlastito, Qt::CaseInsensitive) == 0) return true;
    // The lock's helper files begin with its name.
    return ime.startsWith(ImeBrave, Qt::CaseInsensitive) ||
           ime.endsWith(NastavakPrivremene, Qt::CaseInsensitive);
}

} // namespace morvela
