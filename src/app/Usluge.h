#pragma once
// The real outside services of a run, assembled in one place for both front
// ends: the window and the command line differ only in how they show messages,
// progress and the plan, and in who answers the questions. Each front end names
// the real ones it takes; nothing is filled in for a seam left out.

#include "app/modGetUserName.h"
#include "platform/Brava.h"
#include "platform/Datoteke.h"
#include "platform/Postavke.h"
#include "platform/Procesi.h"
#include "platform/Prozori.h"
#include "platform/Sat.h"
#include "records/Kontekst.h"
#include "versions/IzvorSeta.h"

namespace morvela {

inline const QString TekstDrugeInstance =
    QStringLiteral("Druga instanca programa upravo radi na ovoj instalaciji; pokušajte kasnije.");

// The real world of this computer, all of it made at once.
struct StvarneUsluge {
    StvarniSat sat;
    SustavnaImena imena;
    QtPostavke postavke;
    QtProcesi procesi;
    SustavniProzori prozori;
    StvarneDatoteke datoteke;
    // The directory of the running executable, in the system's separators.
    QString izvršnaDirektorija;

    StvarneUsluge();
    // Ends the whole program at once, as a failure.
    static void ZavršiProgram();
    // All of it, as a run takes it.
    VanjskiSvijet Svijet() {
        return {.sat = sat,
                .datoteke = datoteke,
                .imena = imena,
                .postavke = postavke,
                .procesi = procesi,
                .prozori = prozori,
                .izvršnaDirektorija = izvršnaDirektorija,
                .završiProgram = ZavršiProgram};
    }
};

// What a run makes from its context: the update set's front door, fetching
// through preuzimanje, and the lock of the program directory. k must stay where
// it is while these live.
class UslugeRada {
public:
    UslugeRada(const Kontekst& k, IPreuzimanje& preuzimanje);

    // One operation at a time in the program directory.
    Brava& brava() { return m_brava; }
    IzvorSeta& izvorSeta() { return m_izvorSeta; }

private:
    IzvorSeta m_izvorSeta;
    Brava m_brava;
};

} // namespace morvela
