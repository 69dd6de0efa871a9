#pragma once
#include <QTime>

namespace morvela {

// The distribution copy runs in minute 0 of every hour h with h mod n = 0,
// counted from midnight; n = 0 switches it off.
bool JeVrijemeZaPreuzimanje(const QTime& vrijeme, int n);

} // namespace morvela
