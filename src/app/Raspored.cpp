#include "app/Raspored.h"

namespace morvela {

bool JeVrijemeZaPreuzimanje(const QTime& vrijeme, int n) {
    if (vrijeme.minute() != 0) return false;
    if (n <= 0) return false;
    return vrijeme.hour() % n == 0;
}

} // namespace morvela
