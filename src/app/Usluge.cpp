#include "app/Usluge.h"

#include "app/modGetUserName.h"
#include "platform/Postavke.h"
#include "platform/Procesi.h"
#include "platform/Prozori.h"
#include "platform/Sat.h"
#include "transfer/HttpPreuzimanje.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdlib>

namespace morvela {

namespace {

// Puts a real service in an empty seam, keeping it alive in vlasnik.
template <class Stvarni, class Sučelje, class... Argumenti>
void Popuni(Sučelje*& mjesto, std::unique_ptr<Sučelje>& vlasnik, Argumenti&&... argumenti) {
    if (!mjesto) mjesto = (vlasnik = std::make_unique<Stvarni>(std::forward<Argumenti>(argumenti)...)).get();
}

} // namespace

StvarneUsluge::StvarneUsluge(Kontekst& k, IPreuzimanje* preuzimanje) {
    Popuni<StvarniSat>(k.sat, m_sat);
    Popuni<SustavnaImena>(k.imena, m_imena);
    Popuni<QtPostavke>(k.postavke, m_postavke);
    Popuni<QtProcesi>(k.procesi, m_procesi);
    Popuni<SustavniProzori>(k.prozori, m_prozori);
    Popuni<StvarneDatoteke>(k.datoteke, m_datoteke);
    if (k.izvršnaDirektorija.isEmpty()) k.izvršnaDirektorija = QCoreApplication::applicationDirPath();
    k.izvršnaDirektorija = QDir::toNativeSeparators(k.izvršnaDirektorija);
    if (!k.završiProgram) k.završiProgram = [] { std::exit(1); };
    if (!k.log)
        k.log =
            (m_log = std::make_unique<UpdateLog>(k.izvršnaDirektorija, *k.poruke, *k.sat, *k.datoteke)).get();
    Popuni<HttpPreuzimanje>(preuzimanje, m_preuzimanje, *k.status, *k.poruke, *k.log, *k.datoteke,
                            k.stanje->ZadnjaPoruka);
    m_izvorSeta = std::make_unique<IzvorSeta>(Postavke::Učitaj(*k.postavke), *preuzimanje);
    m_brava = std::make_unique<Brava>(k.izvršnaDirektorija);
}

StvarneUsluge::~StvarneUsluge() = default;

} // namespace morvela
