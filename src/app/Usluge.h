#pragma once
// The real outside services of a run, assembled in one place for both front
// ends: the window and the command line differ only in how they show messages,
// progress and the plan, and in who answers the questions.

#include "platform/Brava.h"
#include "records/Kontekst.h"
#include "versions/IzvorSeta.h"

#include <memory>
#include <optional>

namespace morvela {

inline const QString TekstDrugeInstance =
    QStringLiteral("Druga instanca programa upravo radi na ovoj instalaciji; pokušajte kasnije.");

class StvarneUsluge {
public:
    // Fills every seam the front end left empty: clock, names, settings, processes,
    // window finder, files, executable directory, end of the program and log, and
    // makes the update set's front door from the settings, fetching through
    // preuzimanje or, without one, over HTTP(S). k.poruke and k.stanje must be set
    // already; k must stay where it is while these live.
    explicit StvarneUsluge(Kontekst& k, IPreuzimanje* preuzimanje = nullptr);
    ~StvarneUsluge();

    // One operation at a time in the program directory.
    Brava& brava() { return *m_brava; }
    IzvorSeta& izvorSeta() { return *m_izvorSeta; }

private:
    std::unique_ptr<ISat> m_sat;
    std::unique_ptr<IImena> m_imena;
    std::unique_ptr<IPostavke> m_postavke;
    std::unique_ptr<IProcesi> m_procesi;
    std::unique_ptr<IProzori> m_prozori;
    std::unique_ptr<IDatoteke> m_datoteke;
    std::unique_ptr<UpdateLog> m_log;
    std::unique_ptr<IPreuzimanje> m_preuzimanje;
    std::unique_ptr<IzvorSeta> m_izvorSeta;
    std::unique_ptr<Brava> m_brava;
};

} // namespace morvela
