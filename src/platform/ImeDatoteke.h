#pragma once
// Names that come from lists made elsewhere end up in paths and command lines,
// so only plain file names of one directory are accepted.

#include <QString>

namespace morvela {

// Not empty, at most 255 characters, no separators or drive colon, no "..",
// no control characters, none of " * ? < > |, no trailing dot or blank, no
// 8.3 short form ("~" and a digit), and not a device name (CON, PRN, AUX, NUL,
// COM0-COM9, LPT0-LPT9, CONIN$, CONOUT$, CLOCK$, also with blanks or an
// extension after it). The same on every system: lists are shared.
bool JeIspravnoImeDatoteke(const QString& ime);

// A name from outside as a log or message may show it: control characters as
// \xNN, at most 300 characters.
QString ImeZaPrikaz(const QString& ime);

} // namespace morvela
