#pragma once
// Windows-1250, the code page of list files on every platform. The program
// carries its own table: a Qt for Windows has no converter for it.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace morvela {

// The text of Windows-1250 bytes, or nothing when one of them has no
// character there (0x81, 0x83, 0x88, 0x90, 0x98).
std::optional<QString> IzWindows1250(QByteArrayView bajtovi);

// The Windows-1250 bytes of a text, or nothing when one of its characters
// has no byte there.
std::optional<QByteArray> UWindows1250(QStringView tekst);

} // namespace morvela
