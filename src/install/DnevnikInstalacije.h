#pragma once
// The installation journal: a small file that says what a running installation
// has planned and what it has moved aside. It lives in a directory of its own
// under the update directory, where archives are never unpacked, and is
// rewritten safely (flushed to disk) after every entry, so a run that is killed
// or loses power leaves a journal the next start can act on.

#include "records/Kontekst.h"
#include "records/VlastitaImena.h"

namespace morvela {

// Journal entries: a planned row; a file about to be moved (or the list copied)
// into the backup directory; that file standing whole in the backup directory;
// a file that had no old version and is about to be copied in; a completed row.
inline const QString DnevnikPlan = QStringLiteral("PLAN");
inline const QString DnevnikBackup = QStringLiteral("BACKUP");
inline const QString DnevnikSpremljena = QStringLiteral("SPREMLJENA");
inline const QString DnevnikNova = QStringLiteral("NOVA");
inline const QString DnevnikGotovo = QStringLiteral("GOTOVO");

QString DirektorijaDnevnika(const StanjeRada& s);
QString PutDnevnika(const StanjeRada& s);
bool PostojiDnevnik(const IDatoteke& datoteke, const StanjeRada& s);
// Starts a journal with the planned rows.
GreškaDatoteke ZapočniDnevnik(IDatoteke& datoteke, const StanjeRada& s, const QStringList& plan);
// Adds one entry to a running journal; without a journal (a replacement outside
// an installation run) there is nothing to record.
GreškaDatoteke ZabilježiUDnevnik(IDatoteke& datoteke, const StanjeRada& s, const QString& oznaka,
                                 const QString& ime);
GreškaDatoteke ObrišiDnevnik(IDatoteke& datoteke, const StanjeRada& s);

// What undoing the journal's run takes now for one file it names: put the old
// version back from the backup directory, remove a file that had no old
// version, or leave the file as it is (it was never moved aside, or is back).
struct Povrat {
    enum class Radnja { Vrati, Ukloni, Ostavi };
    Radnja radnja;
    QString ime;
    QString direktorija;
};
// Reads the journal into those steps, in the order the run met the files. A
// journal this program did not write whole (empty, cut off, another encoding,
// an entry it never writes) is refused with the reason in razlog: acting on it
// could put a partial or foreign file in place.
bool PročitajPovrat(const IDatoteke& datoteke, const StanjeRada& s, QList<Povrat>& koraci, QString& razlog);
// Puts the old version back in place of whatever stands there now; within one
// disk a rename, so it needs no free space.
GreškaDatoteke VratiIzBackupa(IDatoteke& datoteke, const StanjeRada& s, const QString& ime,
                              const QString& direktorija);

// The first working directory the journal and the backups live in that is a
// symbolic link, or empty.
QString PovezanaRadnaDirektorija(const StanjeRada& s);
// What the person is told about a journal that cannot be read.
QString PorukaNečitljivogDnevnika(const StanjeRada& s, const QString& razlog);
// What the person is told about files that could not be put back or removed.
QString PorukaNevraćenih(const StanjeRada& s, const QStringList& čekaju, const QStringList& ostale);

// At start-up, before the check: removes temporary files cut-short replaces
// left in the directories the program writes, and when a journal shows that
// an installation was cut short, puts back everything it had moved aside
// (components re-registered), removes the files it had newly added, restores
// the installed list, tells the user once and removes the journal. The journal
// stays when something could not be put back, when it cannot be read, and when
// a working directory is a link. Sets the working directories where nothing
// has set them yet.
void ObnoviPrekinutuInstalaciju(Kontekst& k);

} // namespace morvela
