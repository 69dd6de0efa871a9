#pragma once
#include "records/Kontekst.h"
#include "versions/PravilaVerzija.h"

namespace morvela {

// What putting files in place and back reaches: the run's directories and
// messages, the files, the log, the person, the action line and RegSvr32.exe.
struct UslugeZamjene {
    StanjeRada& stanje;
    IDatoteke& datoteke;
    UpdateLog& log;
    IPoruke& poruke;
    IStatusLinija& status;
    IProcesi& procesi;
    static UslugeZamjene Iz(const Kontekst& k) {
        return {*k.stanje, *k.datoteke, *k.log, *k.poruke, *k.status, *k.procesi};
    }
};

// Undoes what this run's journal says it did: puts every file it moved into the
// backup directory back where it came from (re-registering old components) and
// removes the files it added. Reports its own troubles and never stops early.
// True when everything is back; the journal is then removed. Otherwise the
// journal and the backups stay for the next start, and the person is told
// which files wait in the backup directory.
bool PokušajVratitiSveNaPočetak(const UslugeZamjene& u);

// The directory a file of the given kind is installed into: programs and
// components into the program directory, scripts and help files into theirs;
// empty for any other kind.
QString DirektorijaZaVrstu(const StanjeRada& s, Vrsta vrsta);

} // namespace morvela
