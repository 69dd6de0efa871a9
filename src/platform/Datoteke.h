#pragma once
// File operations that report failures as a number and a description, in the
// classic numbering the update log and messages speak of: 53 file not found,
// 58 file already exists, 61 disk full, 70 permission denied, 75 path/file
// access error, 76 path not found. None of them follows a symbolic link: a link
// is deleted, moved or replaced itself, and never read or changed through.

#include <QString>
#include <QStringList>

#include <memory>
#include <system_error>

class QFile;

namespace morvela {
class IProvjeraSadržaja;
}

namespace morvela {

struct GreškaDatoteke {
    int broj = 0;
    QString opis;
    // The file was open: a read or a write failed, not the open.
    bool nakonOtvaranja = false;
    bool uspjeh() const { return broj == 0; }
    explicit operator bool() const { return broj != 0; }
};

inline constexpr int GreškaNijePronađena = 53;
inline constexpr int GreškaDozvola = 70;
inline constexpr int GreškaPristupa = 75;
inline constexpr int GreškaPutanje = 76;
inline constexpr int GreškaDiskPun = 61;
inline constexpr int GreškaPostoji = 58;

// Ending of the temporary file a safe replace writes beside its target; one
// left by a cut-short run is removed by ObrišiPrivremene at the next run.
inline const QString NastavakPrivremene = QStringLiteral(".mlu-novo");

class IDatoteke {
public:
    virtual ~IDatoteke() = default;
    virtual bool PostojiDatoteka(const QString& put) const = 0;
    virtual bool PostojiDirektorij(const QString& put) const = 0;
    virtual GreškaDatoteke KreirajDirektorij(const QString& put) = 0;
    // Copies, replacing an existing target safely: the copy goes to a temporary
    // file beside the target, is flushed to disk and renamed over it, so a
    // reader sees the whole old file or the whole new one, never a part. A
    // source that is a symbolic link is refused. Without trajno the flush is
    // left out: for the program's own working directory, whose files every run
    // copies or fetches anew before it reads them. A provjera sees every byte
    // copied (only their count, when it does not look at bytes) and may refuse
    // the copy before it takes its name (75, its reason as the description).
    virtual GreškaDatoteke Kopiraj(const QString& od, const QString& na, bool trajno = true,
                                   IProvjeraSadržaja* provjera = nullptr) = 0;
    // Moves; fails when the target already exists. Onto another disk it copies
    // as Kopiraj does and deletes the original only once the copy stands whole.
    virtual GreškaDatoteke Premjesti(const QString& od, const QString& na) = 0;
    // Deletes one file; with prisilno a read-only file goes too.
    virtual GreškaDatoteke Obriši(const QString& put, bool prisilno) = 0;
    // Deletes every file of the directory matching a wildcard, read-only ones
    // included; no match at all is a failure (53).
    virtual GreškaDatoteke ObrišiUzorak(const QString& direktorij, const QString& uzorak) = 0;
    // Deletes a directory with everything in it.
    virtual GreškaDatoteke ObrišiDirektorij(const QString& put) = 0;
    virtual GreškaDatoteke Veličina(const QString& put, qint64& veličina) const = 0;
    // The names of the files (not subdirectories) of a directory, in listing order.
    virtual GreškaDatoteke PopisDatoteka(const QString& direktorij, QStringList& imena) const = 0;
    // Reads a whole file of at most najviše bytes; a longer one comes back cut
    // to najviše + 1 bytes, so the caller can tell without reading all of it.
    virtual GreškaDatoteke Pročitaj(const QString& put, QByteArray& sadržaj, qint64 najviše) const = 0;
    // Writes bytes over a file with the same safe replace as Kopiraj.
    virtual GreškaDatoteke Zapiši(const QString& put, const QByteArray& sadržaj, bool trajno = true) = 0;
    // Appends bytes at the end of a file, creating it when missing.
    virtual GreškaDatoteke Dodaj(const QString& put, const QByteArray& sadržaj) = 0;
    // Creates a new file to be written piece by piece (a transfer's body), open
    // and unbuffered; a file or link of that name is removed first.
    virtual GreškaDatoteke NovaDatoteka(const QString& put, std::unique_ptr<QFile>& datoteka) = 0;
};

// The real file system.
class StvarneDatoteke : public IDatoteke {
public:
    bool PostojiDatoteka(const QString& put) const override;
    bool PostojiDirektorij(const QString& put) const override;
    GreškaDatoteke KreirajDirektorij(const QString& put) override;
    GreškaDatoteke Kopiraj(const QString& od, const QString& na, bool trajno = true,
                           IProvjeraSadržaja* provjera = nullptr) override;
    GreškaDatoteke Premjesti(const QString& od, const QString& na) override;
    GreškaDatoteke Obriši(const QString& put, bool prisilno) override;
    GreškaDatoteke ObrišiUzorak(const QString& direktorij, const QString& uzorak) override;
    GreškaDatoteke ObrišiDirektorij(const QString& put) override;
    GreškaDatoteke Veličina(const QString& put, qint64& veličina) const override;
    GreškaDatoteke PopisDatoteka(const QString& direktorij, QStringList& imena) const override;
    GreškaDatoteke Pročitaj(const QString& put, QByteArray& sadržaj, qint64 najviše) const override;
    GreškaDatoteke Zapiši(const QString& put, const QByteArray& sadržaj, bool trajno = true) override;
    GreškaDatoteke Dodaj(const QString& put, const QByteArray& sadržaj) override;
    GreškaDatoteke NovaDatoteka(const QString& put, std::unique_ptr<QFile>& datoteka) override;
};
// Puts a finished temporary file (flushed here) in place of the target, replacing it
// in one step (Windows: MoveFileEx with replace and write-through); on failure the
// temporary file is removed and the target is as it was.
GreškaDatoteke ZamijeniTrajno(const QString& privremena, const QString& cilj);
// The two halves of ZamijeniTrajno, for a caller that flushes one file while it
// writes the next: the flush of a written file, and the replace itself, made to
// last (the directory synced, Windows: write-through) only when trajno. Zamijeni
// removes the temporary file when it fails.
GreškaDatoteke IsprazniNaDisk(const QString& put);
GreškaDatoteke Zamijeni(const QString& privremena, const QString& cilj, bool trajno);
// Renames within one disk, never copying: a target on another disk fails with
// naDrugiDisk set (Windows' own move would copy straight into the target).
GreškaDatoteke Preimenuj(const QString& od, const QString& na, bool& naDrugiDisk);
// The temporary file name a safe replace of this target uses.
QString PrivremenaZa(const QString& cilj);
// Removes the temporary files cut-short safe replaces left in a directory.
void ObrišiPrivremene(IDatoteke& datoteke, const QString& direktorij);
// Opens a file that must be new, for writing and unbuffered: never through a
// symbolic link or reparse point. A name that is taken, a link planted there by
// someone who can write to the directory included, makes it fail (58).
GreškaDatoteke OtvoriNovu(const QString& put, QFile& datoteka);

// True when the path (a trailing separator ignored) is itself a symbolic link.
// Working directories that are links are refused: whatever they point at is
// not ours to change.
bool JeSimboličkaVeza(const QString& put);
// What the person is told about such a directory.
inline QString PorukaSimboličkeVeze(const QString& direktorij) {
    return QStringLiteral("Direktorija ") + direktorij +
           QStringLiteral(
               " je simbolička veza na drugo mjesto. Program ne radi kroz takve veze i ništa u njoj "
               "ne mijenja. Uklonite vezu (neka to bude obična direktorija) i pokušajte ponovno.");
}

// The numbered error for the last failed system call (errno), in the platform's words.
GreškaDatoteke GreškaIzSustava(int kodSustava, const QString& put = QString());
// The system's own words for an error. On Windows that is the system's text in the
// language it speaks, for errno codes too: the C library's words there are English.
QString OpisSustava(const std::error_code& kod);

// Directory texts always end in the native separator.
QString SaSeparatorom(const QString& direktorij);
QString Separator();

} // namespace morvela
