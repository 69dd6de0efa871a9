#pragma once
// The system's own copy of bytes from one open file into another, where it has one.

#include <QFile>

namespace morvela {

// Copies up to najviše bytes of izvor, from offset od, to the same offset of cilj
// inside the system, so they never pass through this program; neither file's
// position moves. Returns the bytes copied. 0 means nothing was copied this way:
// the end of the source, a system without such a copy, two file systems it does
// not copy between, or any failure. The caller then reads and writes the rest
// itself, which reports a real failure as any write would, naming the right file.
qint64 KopijaSustava(QFile& izvor, QFile& cilj, qint64 od, qint64 najviše);

} // namespace morvela
