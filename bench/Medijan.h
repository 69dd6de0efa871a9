#pragma once
// The middle of a benchmark's rounds: the machine is shared, so single rounds wander.

#include <QList>

#include <algorithm>

namespace morvela::test {

inline qint64 Medijan(QList<qint64> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace morvela::test
