#include "transfer/ProvjeraUPozadini.h"

namespace morvela {

namespace {
// Enough for the check to fall a few of curl's buffers behind, little enough to
// keep the memory of a large fetch flat.
constexpr qint64 NajvišeURedu = 8 << 20;
} // namespace

ProvjeraUPozadini::ProvjeraUPozadini(IProvjeraSadržaja& provjera)
    : m_provjera(provjera), m_nit([this] { Radi(); }) {}

ProvjeraUPozadini::~ProvjeraUPozadini() {
    Zaustavi();
}

void ProvjeraUPozadini::Dodaj(const char* podaci, qint64 duljina) {
    QByteArray blok(podaci, duljina);
    std::unique_lock zaključano(m_brava);
    m_promjena.wait(zaključano, [&] { return m_uRedu < NajvišeURedu; });
    m_uRedu += duljina;
    m_red.push_back(std::move(blok));
    m_promjena.notify_all();
}

void ProvjeraUPozadini::Radi() {
    std::unique_lock zaključano(m_brava);
    for (;;) {
        m_promjena.wait(zaključano, [&] { return m_kraj || !m_red.empty(); });
        if (m_red.empty()) return;
        const QByteArray blok = std::move(m_red.front());
        m_red.pop_front();
        zaključano.unlock();
        m_provjera.Dodaj(blok.constData(), blok.size());
        zaključano.lock();
        m_uRedu -= blok.size();
        m_promjena.notify_all();
    }
}

void ProvjeraUPozadini::Zaustavi() {
    {
        std::lock_guard zaključano(m_brava);
        m_kraj = true;
    }
    m_promjena.notify_all();
    if (m_nit.joinable()) m_nit.join();
}

QString ProvjeraUPozadini::Završi() {
    Zaustavi();
    return m_provjera.Završi();
}

} // namespace morvela
