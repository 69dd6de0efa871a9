#pragma once
#include <QString>

#include <memory>

class QLockFile;

namespace morvela {

// Name of the lock file that keeps one operation at a time in a directory.
inline const QString ImeBrave = QStringLiteral("MorvelaLiveUpdate21.lock");

// One operation at a time per directory, across processes and computers: a lock
// file in the directory. A lock that names no live process of this computer is
// taken over: one left by a process that is no longer running, and one that
// names no process at all (empty or garbage, from a start killed or a power cut
// between creating and writing it). The lock of a live holder never ages out,
// however long its run takes.
class Brava {
public:
    explicit Brava(const QString& direktorija);
    ~Brava();

    // Takes the lock without waiting. False only when someone else holds it; a
    // directory that cannot hold a lock file at all lets the operation go on and
    // report its own failure there.
    bool Zaključaj();
    void Otključaj();
    bool Zaključano() const;
    QString Put() const { return m_put; }

private:
    bool UkloniNečitljivu();

    QString m_put;
    std::unique_ptr<QLockFile> m_datoteka;
};

// Holds the lock until the end of a scope; a lock this process already holds stays held after it.
class DržiBravu {
public:
    explicit DržiBravu(Brava& brava)
        : m_brava(brava), m_već(brava.Zaključano()), m_drži(m_već || brava.Zaključaj()) {}
    ~DržiBravu() {
        if (m_drži && !m_već) m_brava.Otključaj();
    }
    DržiBravu(const DržiBravu&) = delete;
    DržiBravu& operator=(const DržiBravu&) = delete;
    explicit operator bool() const { return m_drži; }

private:
    Brava& m_brava;
    const bool m_već;
    const bool m_drži;
};

} // namespace morvela
