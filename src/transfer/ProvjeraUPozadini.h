#pragma once
// Runs a content check (a hash) on a thread of its own, so a fetch does not
// wait for it: the bytes are copied into a short queue as they arrive and
// the check catches up while the next ones come in.

#include "platform/Seams.h"

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace morvela {

class ProvjeraUPozadini : public IProvjeraSadržaja {
public:
    explicit ProvjeraUPozadini(IProvjeraSadržaja& provjera);
    ~ProvjeraUPozadini() override;
    ProvjeraUPozadini(const ProvjeraUPozadini&) = delete;
    ProvjeraUPozadini& operator=(const ProvjeraUPozadini&) = delete;

    // Waits only while the queue is full.
    void Dodaj(const char* podaci, qint64 duljina) override;
    // Waits for the queue to empty, then asks the check.
    QString Završi() override;

private:
    void Radi();
    void Zaustavi();

    IProvjeraSadržaja& m_provjera;
    std::mutex m_brava;
    std::condition_variable m_promjena;
    std::deque<QByteArray> m_red;
    qint64 m_uRedu = 0;
    bool m_kraj = false;
    std::thread m_nit;
};

} // namespace morvela
