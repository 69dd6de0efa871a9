#pragma once
// The run state the window owns and hands to every operation.

#include "records/Matrica.h"

#include <QString>

#include <atomic>

namespace morvela {

// The working directory a program directory (or a distribution location) keeps its
// downloads, log and lock in: dir + "Update" + the separator.
QString UpdateDirektorijaU(const QString& direktorija);

struct StanjeRada {
    Matrica StareVerzije;
    Matrica NoveVerzije;
    // The new list's bytes as the plan read them. The installation puts exactly
    // these in place, never a list fetched or copied since.
    QByteArray NovaLista;

    // Working directories, each ending in the native separator.
    QString ProgramskaDirektorija;
    QString UpdateDirektorija;
    QString BackupDirektorija;
    QString SkripteDirektorija;
    QString HelpDirektorija;
    // Sets the five from the program directory; help files live in the Windows
    // directory, or beside the programs where there is none.
    void PostaviDirektorije(const QString& programska, const QString& winDir);

    QString ZadnjaPoruka;
    QString PorukeAkcija;
    QString PorukeGrešaka;
    // The file the installation is working on.
    QString TrenutnaDatoteka;

    // The signed manifest and its signature the last check accepted (empty when
    // no key is set): the update checks what it fetches against these, not
    // against whatever lies in the update directory by then.
    QByteArray ManifestSeta, PotpisSeta;

    // Sum of the download sizes of the rows planned as newer; the progress bar's maximum.
    qint32 UkupnoZaPrijenos = 0;
    // Start of the running transfer, seconds since midnight.
    float PočetakPrijenosa = 0;
    // Listed archive sizes fetched to the distribution location in this run.
    qint32 UkupnoPreneseno = 0;
    // The person asked to stop the fetch, copy or unpacking under way; read by
    // the transfer's own thread too.
    std::atomic<bool> PrekidZatražen{false};
};

} // namespace morvela
