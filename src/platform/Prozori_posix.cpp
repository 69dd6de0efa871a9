#include "platform/Prozori.h"

#include <QByteArray>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

namespace morvela {

namespace {

struct Oslobodi {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> std::unique_ptr<T, Oslobodi> Primi(T* odgovor) {
    return std::unique_ptr<T, Oslobodi>(odgovor);
}

} // namespace

// A connection to the X server. Any failure leaves it unusable and every
// lookup through it finds nothing.
class SustavniProzori::Veza {
public:
    explicit Veza(const QString& zaslon) {
        const QByteArray ime = zaslon.toLocal8Bit();
        m_veza = xcb_connect(zaslon.isEmpty() ? nullptr : ime.constData(), &m_ekran);
        if (!m_veza || xcb_connection_has_error(m_veza)) return;
        m_ewmhSpreman = xcb_ewmh_init_atoms_replies(&m_ewmh, xcb_ewmh_init_atoms(m_veza, &m_ewmh), nullptr);
        if (m_ewmhSpreman && (m_ekran < 0 || m_ekran >= m_ewmh.nb_screens)) m_ekran = 0;
    }
    ~Veza() {
        if (m_ewmhSpreman) xcb_ewmh_connection_wipe(&m_ewmh);
        if (m_veza) xcb_disconnect(m_veza);
    }
    Veza(const Veza&) = delete;
    Veza& operator=(const Veza&) = delete;

    bool Spremna() const {
        return m_ewmhSpreman && m_ewmh.nb_screens > 0 && !xcb_connection_has_error(m_veza);
    }

    // The top-level windows a user would call open.
    std::vector<xcb_window_t> ProzoriNaVrhu() {
        xcb_ewmh_get_windows_reply_t lista;
        if (xcb_ewmh_get_client_list_reply(&m_ewmh, xcb_ewmh_get_client_list(&m_ewmh, m_ekran), &lista,
                                           nullptr)) {
            // A window manager lists the windows it manages, minimised ones
            // included: a minimised program still runs.
            std::vector<xcb_window_t> prozori(lista.windows, lista.windows + lista.windows_len);
            xcb_ewmh_get_windows_reply_wipe(&lista);
            return prozori;
        }
        // Without a window manager the programs' windows are the root's mapped
        // children; unmapped ones are toolkit helpers or withdrawn windows.
        auto stablo = Primi(xcb_query_tree_reply(m_veza, xcb_query_tree(m_veza, Korijen()), nullptr));
        if (!stablo) return {};
        const xcb_window_t* djeca = xcb_query_tree_children(stablo.get());
        const int broj = xcb_query_tree_children_length(stablo.get());
        std::vector<xcb_get_window_attributes_cookie_t> upiti;
        upiti.reserve(size_t(broj));
        for (int i = 0; i < broj; ++i)
            upiti.push_back(xcb_get_window_attributes(m_veza, djeca[i]));
        std::vector<xcb_window_t> prozori;
        for (int i = 0; i < broj; ++i) {
            auto atributi = Primi(xcb_get_window_attributes_reply(m_veza, upiti[size_t(i)], nullptr));
            if (atributi && atributi->map_state == XCB_MAP_STATE_VIEWABLE) prozori.push_back(djeca[i]);
        }
        return prozori;
    }

    // The first window whose _NET_WM_NAME is exactly the title; 0 when none.
    xcb_window_t PoNaslovu(const std::vector<xcb_window_t>& prozori, const QByteArray& naslov) {
        std::vector<xcb_get_property_cookie_t> upiti;
        upiti.reserve(prozori.size());
        for (xcb_window_t p : prozori)
            upiti.push_back(xcb_ewmh_get_wm_name(&m_ewmh, p));
        xcb_window_t nađen = 0;
        for (size_t i = 0; i < prozori.size(); ++i) {
            xcb_ewmh_get_utf8_strings_reply_t ime;
            if (!xcb_ewmh_get_wm_name_reply(&m_ewmh, upiti[i], &ime, nullptr)) continue;
            QByteArray tekst(ime.strings, int(ime.strings_len));
            xcb_ewmh_get_utf8_strings_reply_wipe(&ime);
            while (tekst.endsWith('\0'))
                tekst.chop(1);
            if (!nađen && tekst == naslov) nađen = prozori[i];
        }
        return nađen;
    }

    // The first window whose WM_CLASS class part is the class, compared
    // without regard to case as Windows compares class names; 0 when none.
    xcb_window_t PoKlasi(const std::vector<xcb_window_t>& prozori, const QByteArray& klasa) {
        std::vector<xcb_get_property_cookie_t> upiti;
        upiti.reserve(prozori.size());
        for (xcb_window_t p : prozori)
            upiti.push_back(xcb_get_property(m_veza, 0, p, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256));
        xcb_window_t nađen = 0;
        for (size_t i = 0; i < prozori.size(); ++i) {
            auto svojstvo = Primi(xcb_get_property_reply(m_veza, upiti[i], nullptr));
            if (!svojstvo || nađen) continue;
            const QByteArray vrijednost(static_cast<const char*>(xcb_get_property_value(svojstvo.get())),
                                        xcb_get_property_value_length(svojstvo.get()));
            // "instance\0class\0"
            const QList<QByteArray> dijelovi = vrijednost.split('\0');
            if (dijelovi.size() >= 2 && dijelovi[1].compare(klasa, Qt::CaseInsensitive) == 0)
                nađen = prozori[i];
        }
        return nađen;
    }

    void UPrviPlan(xcb_window_t prozor) {
        xcb_ewmh_request_change_active_window(&m_ewmh, m_ekran, prozor, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER,
                                              XCB_CURRENT_TIME, XCB_NONE);
        xcb_flush(m_veza);
    }

private:
    xcb_window_t Korijen() const { return m_ewmh.screens[m_ekran]->root; }

    xcb_connection_t* m_veza = nullptr;
    int m_ekran = 0;
    xcb_ewmh_connection_t m_ewmh{};
    bool m_ewmhSpreman = false;
};

SustavniProzori::SustavniProzori(QString zaslon) : m_zaslon(std::move(zaslon)) {}

SustavniProzori::~SustavniProzori() = default;

bool SustavniProzori::NađiProzor(const QString& klasa, const QString& naslov, bool uPrviPlan) {
    // One lasting connection: a connection per lookup would make the guard's
    // dozens of lookups slow and would churn the user's X server.
    if (!m_veza || !m_veza->Spremna()) m_veza = std::make_unique<Veza>(m_zaslon);
    Veza& veza = *m_veza;
    if (!veza.Spremna()) return false;
    const std::vector<xcb_window_t> prozori = veza.ProzoriNaVrhu();
    const xcb_window_t nađen =
        klasa.isEmpty() ? veza.PoNaslovu(prozori, naslov.toUtf8()) : veza.PoKlasi(prozori, klasa.toLatin1());
    if (!nađen) return false;
    if (uPrviPlan) veza.UPrviPlan(nađen);
    return true;
}

} // namespace morvela
