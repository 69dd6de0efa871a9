#pragma once
// The names of the program's own working files and directories: in the program
// directory, its update directory and a distribution location. A version list
// naming one of them would have its archive unpacked over it or installed in
// its place, so such a list is refused.

#include <QString>

namespace morvela {

// The lists of an update set.
inline const QString ImeListeVerzija = QStringLiteral("Verzije.txt");
inline const QString ImeListeVerzijaU = QStringLiteral("VerzijeU.txt");
// A signed set's manifest (every file with its hash) and the manifest's signature.
inline const QString ImeManifesta = QStringLiteral("Verzije.b2");
inline const QString ImePotpisa = QStringLiteral("Verzije.b2.minisig");
// In the update directory.
inline const QString ImeLoga = QStringLiteral("Update.log");
inline const QString ImeDnevnika = QStringLiteral("Instalacija.dnevnik");
// The highest serial of a signed set accepted here, so an older set (a replay) is refused.
inline const QString ImeSerije = QStringLiteral("Verzije.serija");
// The journal's own directory in the update directory, where 7-Zip never unpacks.
inline const QString ImeDirektorijeDnevnika = QStringLiteral("Dnevnik");
// Under the program directory.
inline const QString ImeUpdateDirektorije = QStringLiteral("Update");
inline const QString ImeBackupDirektorije = QStringLiteral("UpdateBackup");
inline const QString ImeProbneDirektorije = QStringLiteral("UpdateADM");
inline const QString ImeDirektorijeSkripti = QStringLiteral("Skrite za izmjenu baze");
// Where there is no Windows directory.
inline const QString ImeDirektorijePomoći = QStringLiteral("Help");

// Any of the names above, the lock (and its helper files) or the temporary file
// of a safe replace; in any letter case, as Windows would take them.
bool JeVlastitoIme(const QString& ime);

} // namespace morvela
