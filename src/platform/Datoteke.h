#pragma once
// File operations that report failures as a number and a description, in the
// classic numbering the update log and messages speak of: 53 file not found,
// 70 permission denied, 75 path/file access error, 76 path not found.

#include <QString>
#include <QStringList>

namespace morvela {

struct GreškaDatoteke {
    int broj = 0;
    QString opis;
    bool uspjeh() const { return broj == 0; }
    explicit operator bool() const { return broj != 0; }
};

inline constexpr int GreškaNijePronađena = 53;
inline constexpr int GreškaDozvola = 70;
inline constexpr int GreškaPristupa = 75;
inline constexpr int GreškaPutanje = 76;

class IDatoteke {
public:
    virtual ~IDatoteke() = default;
    virtual bool PostojiDatoteka(const QString& put) const = 0;
    virtual bool PostojiDirektorij(const QString& put) const = 0;
    virtual GreškaDatoteke KreirajDirektorij(const QString& put) = 0;
    // Copies, replacing an existing target.
    virtual GreškaDatoteke Kopiraj(const QString& od, const QString& na) = 0;
    // Moves; fails when the target already exists.
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
};

// The real file system.
class StvarneDatoteke : public IDatoteke {
public:
    bool PostojiDatoteka(const QString& put) const override;
    bool PostojiDirektorij(const QString& put) const override;
    GreškaDatoteke KreirajDirektorij(const QString& put) override;
    GreškaDatoteke Kopiraj(const QString& od, const QString& na) override;
    GreškaDatoteke Premjesti(const QString& od, const QString& na) override;
    GreškaDatoteke Obriši(const QString& put, bool prisilno) override;
    GreškaDatoteke ObrišiUzorak(const QString& direktorij, const QString& uzorak) override;
    GreškaDatoteke ObrišiDirektorij(const QString& put) override;
    GreškaDatoteke Veličina(const QString& put, qint64& veličina) const override;
    GreškaDatoteke PopisDatoteka(const QString& direktorij, QStringList& imena) const override;
};

// The numbered error for the last failed system call (errno), in the platform's words.
GreškaDatoteke GreškaIzSustava(int kodSustava, const QString& put = QString());

// Directory texts always end in the native separator.
QString SaSeparatorom(const QString& direktorij);
QString Separator();

} // namespace morvela
