#pragma once
// One HTTP(S) transfer by libcurl into a temporary file. curl runs on a worker
// thread; the calling thread keeps processing its events while it waits, and
// the progress callbacks reach it there, in order, before the result.

#include "platform/Datoteke.h"
#include "platform/Seams.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace morvela {

// How slow a transfer may be before it is given up: a server that drips its
// answer must not hold the program, and its lock, for hours.
struct RokoviPrijenosa {
    // Nothing received for this long.
    int zastojMs = 60000;
    // Fewer than najmanjaBrzina bytes a second over a window of this length
    // (windows follow one another from the start of each request).
    int prozorBrzineMs = 120000;
    qint64 najmanjaBrzina = 1024;
    // The whole fetch, redirects included, may take osnovnoMs plus the time
    // the most it may bring (its granica) takes at sporaBrzina bytes a second,
    // a rate below any line worth waiting on: about 9 minutes for a list (1 MiB),
    // about an hour and a half for a 20 MiB archive.
    qint64 osnovnoMs = 5 * 60 * 1000;
    qint64 sporaBrzina = 4 * 1024;

    qint64 UkupnoMs(qint64 granica) const {
        return osnovnoMs + (sporaBrzina > 0 ? qMax<qint64>(0, granica) * 1000 / sporaBrzina : 0);
    }
};

struct ZahtjevPrijenosa {
    QString url;
    // The body goes here; the caller puts it in place or removes it.
    QString datoteka;
    // More bytes than this, announced or received, end the transfer.
    qint64 granica = 0;
    RokoviPrijenosa rokovi;
    // PEM certificates trusted besides the system's.
    QByteArray dodatniCertifikati;
    // The body is handed to the disk while it arrives, for a file that is
    // flushed before it is put in place; the flush then has little left to do.
    bool upisujUsput = true;
    // Where the body's file is created (on the transfer's own thread).
    IDatoteke* datoteke = nullptr;
    // Sees every byte of the body as it is written (on the transfer's own thread).
    IProvjeraSadržaja* provjera = nullptr;
    // Once set, the transfer ends at curl's next progress report.
    const std::atomic<bool>* prekid = nullptr;
};

// The transfer control's state numbers as the transfer passes them
// (1 resolving, 2-3 connecting, 4-6 request, 7 response, 8 body, 11 error,
// 12 done), the percentage of the announced body, only when it changes, and
// the bytes received of those announced (0 when none), at most ten times a second.
struct NapredakPrijenosa {
    std::function<void(int)> stanje;
    std::function<void(int)> postotak;
    std::function<void(qint64, qint64)> bajtovi;
};

struct IshodPrijenosa {
    // PrekoGranice: a transfer failure too, the body being larger than the limit.
    // Prekinuto: the person stopped it.
    enum Vrsta { Spremljeno, GreškaPrijenosa, NištaPrimljeno, GreškaDatoteke, PrekoGranice, Prekinuto };
    Vrsta vrsta = GreškaPrijenosa;
    // For a failure: a short Croatian class, then what curl, the server or the
    // system said, for the log.
    QString opis;
    // The class alone, for the person: the library's words are English.
    QString klasa;
    // For PrekoGranice: the size announced, or received when the body was cut off.
    qint64 veličina = -1;
};

// A local file that cannot be written, with its class in front.
QString OpisGreškeDatoteke(const GreškaDatoteke& greška);

// Connections and TLS sessions kept open from one transfer to the next, so a
// run of many files does not connect anew for each. One transfer at a time.
struct VezePrijenosa {
    VezePrijenosa() = default;
    VezePrijenosa(const VezePrijenosa&) = delete;
    VezePrijenosa& operator=(const VezePrijenosa&) = delete;
    ~VezePrijenosa();
    void* ručka = nullptr; // curl's handle
};

// Follows redirects only within the same scheme, host and port. Honours the
// system's proxy settings (http_proxy, https_proxy, no_proxy); a refused
// certificate is looked at along the same route.
IshodPrijenosa PrenesiCurlom(const ZahtjevPrijenosa& zahtjev, const NapredakPrijenosa& napredak,
                             VezePrijenosa* veze = nullptr);

} // namespace morvela
