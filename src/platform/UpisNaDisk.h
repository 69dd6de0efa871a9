#pragma once
// Starting the write-out of a file while it is still being written, so that
// the flush before it is renamed into place has little left to wait for.

#include <QFile>

namespace morvela {

// Asks the system to begin writing this range of an open file to disk now,
// without waiting for it. Where the system has no such call it does nothing,
// and the flush at the end does all the work.
void PočniUpisNaDisk(QFile& datoteka, qint64 od, qint64 dužina);

} // namespace morvela
