#pragma once
// The update log, <program directory>/Update/Update.log: one dated line per
// entry, appended, never truncated.

#include <QString>

#include <functional>

namespace morvela {

class IDatoteke;
class IPoruke;
class ISat;

class UpdateLog {
public:
    // izvršnaDirektorija: the directory of the running executable.
    UpdateLog(QString izvršnaDirektorija, IPoruke& poruke, const ISat& sat, IDatoteke& datoteke);

    // The window's form: a failure is shown in a message box and never reaches the caller.
    void LogirajGrešku(const QString& poruka);
    // The free-standing form used by component registration: it also checks
    // that the log's path could be composed at all.
    void LogirajGreškuSamostalno(const QString& poruka);

    QString Put() const;
    // Every entry also goes here, dated, without its line end (the command line prints the log as it grows).
    void PostaviJeku(std::function<void(const QString&)> jeka) { m_jeka = std::move(jeka); }

private:
    void Upiši(const QString& put, const QString& poruka);

    QString m_direktorija;
    IPoruke& m_poruke;
    const ISat& m_sat;
    IDatoteke& m_datoteke;
    std::function<void(const QString&)> m_jeka;
};

} // namespace morvela
