#include "app/modGetUserName.h"

#include "platform/SistemskaImena.h"

namespace morvela {

QString SustavnaImena::KorisničkoIme() const {
    return sustav::ImeKorisnikaProcesa().toUpper();
}

QString SustavnaImena::ImeRačunala() const {
    return sustav::ImeRačunalaSustava();
}

} // namespace morvela
