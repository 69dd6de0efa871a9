#pragma once
// Names that come from lists made elsewhere end up in paths and command lines,
// so only plain file names of one directory are accepted.

#include <QString>

namespace morvela {

// Not empty, at most 255 characters, no separators or drive colon, no "..",
// no control characters, none of " * ? < > |, no trailing dot or blank, and
// not a device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with or without
// an extension).
bool JeIspravnoImeDatoteke(const QString& ime);

// A name from outside as a log or message may show it: control characters as
// \xNN, at most 300 characters.
QString ImeZaPrikaz(const QString& ime);

} // namespace morvela
