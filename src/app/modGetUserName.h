#pragma once
#include "platform/Seams.h"

namespace morvela {

// The logged-on user (upper case) and the computer's name; "" when unknown.
class SustavnaImena : public IImena {
public:
    QString KorisničkoIme() const override;
    QString ImeRačunala() const override;
};

} // namespace morvela
