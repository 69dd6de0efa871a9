#pragma once
#include "records/Kontekst.h"

namespace morvela {

// What unpacking reaches: the run's directories and messages, the files, 7-Zip,
// the log, the action line and the clock that waits for 7-Zip's last writes.
struct UslugeRaspakiravanja {
    StanjeRada& stanje;
    IDatoteke& datoteke;
    IProcesi& procesi;
    UpdateLog& log;
    IStatusLinija& status;
    ISat& sat;
    static UslugeRaspakiravanja Iz(const Kontekst& k) {
        return {*k.stanje, *k.datoteke, *k.procesi, *k.log, *k.status, *k.sat};
    }
};

// Turns the archive of one listed file in the update directory back into the file.
bool Unzipaj(const UslugeRaspakiravanja& u, const QString& imeDatoteke);
// The 7-Zip console program in the program directory.
QString Program7Zip(const StanjeRada& s);

} // namespace morvela
