#pragma once
// The installation journal: a small file in the update directory that says
// what a running installation has planned and what it has moved aside. It is
// rewritten safely (flushed to disk) after every entry, so a run that is
// killed or loses power leaves a journal the next start can act on.

#include "records/Kontekst.h"
#include "records/VlastitaImena.h"

namespace morvela {

// Journal entries: a planned row, a file about to be moved (or the list
// copied) into the backup directory, a file that had no old version and is
// about to be copied in, a completed row.
inline const QString DnevnikPlan = QStringLiteral("PLAN");
inline const QString DnevnikBackup = QStringLiteral("BACKUP");
inline const QString DnevnikNova = QStringLiteral("NOVA");
inline const QString DnevnikGotovo = QStringLiteral("GOTOVO");

QString PutDnevnika(const StanjeRada& s);
bool PostojiDnevnik(const Kontekst& k);
// Starts a journal with the planned rows.
GreškaDatoteke ZapočniDnevnik(Kontekst& k, const QStringList& plan);
// Adds one entry to a running journal; without a journal (a replacement outside
// an installation run) there is nothing to record.
GreškaDatoteke ZabilježiUDnevnik(Kontekst& k, const QString& oznaka, const QString& ime);
GreškaDatoteke ObrišiDnevnik(Kontekst& k);

// At start-up, before the check: removes temporary files cut-short replaces
// left in the directories the program writes, and when a journal shows that
// an installation was cut short, puts back everything it had moved aside
// (components re-registered), removes the files it had newly added, restores
// the installed list, tells the user once and removes the journal. The journal
// stays when something could not be put back. Sets the working directories
// where nothing has set them yet.
void ObnoviPrekinutuInstalaciju(Kontekst& k);

} // namespace morvela
