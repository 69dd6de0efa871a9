#pragma once
#include <QString>

namespace morvela::sustav {

// The user name of the running process as the system gives it; "" when unknown.
QString ImeKorisnikaProcesa();
// The computer's name; "" when unknown.
QString ImeRačunalaSustava();

} // namespace morvela::sustav
