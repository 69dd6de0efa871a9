#pragma once
// The one line that tells a person how a transfer goes, shared by every front end.

#include <QLocale>
#include <QString>
#include <QStringList>

namespace morvela {

// Where one file of a run stands.
struct StanjePrijenosa {
    QString ime;
    // Bytes of this file so far (-1 when none are known yet), and of the whole file
    // (-1 when not announced).
    qint64 primljeno = 0, ukupno = -1;
    // Bytes a second lately; 0 while not yet known.
    double brzina = 0;
    // How long no byte has arrived.
    qint64 bezPodatakaMs = 0;
    // The file's place among the run's files, from 1, of od (0 when the total is not
    // known); 0 when the run does not count them.
    int redni = 0, od = 0;
};

// After this long without bytes the line says so instead of the speed.
inline constexpr qint64 ZastojPrijenosaMs = 5000;

// "Knjigovodstvo21.7z · 12,4 od 41,9 MB · 1,0 MB/s · još 0:29 · datoteka 3 od 7", sizes in MB
// (2^20 bytes) with the locale's separators; a stall shows "Nema podataka 12 s …" in place of
// the speed and the time left.
QString TekstPrijenosa(const StanjePrijenosa& p, const QLocale& jezik = QLocale());
// The same line's parts, for a front end that must shorten it; brzina receives the
// index of the speed, the part to leave out first, or -1 when there is none.
QStringList DijeloviPrijenosa(const StanjePrijenosa& p, const QLocale& jezik = QLocale(),
                              qsizetype* brzina = nullptr);

} // namespace morvela
