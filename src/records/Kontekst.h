#pragma once
// Everything an operation needs: the window's run state and the seams to the
// person, the window, time and the outside world. Every one of them is given
// where it is built; none has a default.

#include "platform/Datoteke.h"
#include "platform/Seams.h"
#include "records/Matrica.h"
#include "records/Nuzan.h"
#include "records/StanjeRada.h"
#include "records/UpdateLog.h"

#include <functional>
#include <utility>

namespace morvela {

// What a run takes from the computer it runs on, the same whichever front end
// starts it: the real one, or a test's.
struct VanjskiSvijet {
    Nužan<ISat> sat;
    Nužan<IDatoteke> datoteke;
    Nužan<IImena> imena;
    Nužan<IPostavke> postavke;
    Nužan<IProcesi> procesi;
    Nužan<IProzori> prozori;
    // The directory of the running executable (no trailing separator needed).
    Zadan<QString> izvršnaDirektorija;
    // Ends the whole program at once, without the window's closing steps.
    Zadan<std::function<void()>> završiProgram;
};

// The outside world joined with the front end's own parts: its run state, the
// person, the status line, the locations, the plan grid and the log.
struct Kontekst : VanjskiSvijet {
    Kontekst(VanjskiSvijet svijet, StanjeRada& stanje, IPoruke& poruke, IStatusLinija& status, IIzvor& izvor,
             IMrežaPlana& mreža, UpdateLog& log)
        : VanjskiSvijet(std::move(svijet)), stanje(stanje), poruke(poruke), status(status), izvor(izvor),
          mreža(mreža), log(log) {}

    Nužan<StanjeRada> stanje;
    Nužan<IPoruke> poruke;
    Nužan<IStatusLinija> status;
    Nužan<IIzvor> izvor;
    Nužan<IMrežaPlana> mreža;
    Nužan<UpdateLog> log;

    void LogirajGrešku(const QString& poruka) const { log->LogirajGrešku(poruka); }
    Odgovor Pokaži(const QString& tekst, Ikona ikona) const { return poruke->Pokaži(tekst, ikona); }
    // A Yes/No question with the question icon.
    Odgovor Pitaj(VrstaPitanja vrsta, const QString& tekst) const {
        return poruke->Pokaži(tekst, Ikona::Pitanje, Gumbi::DaNe, vrsta);
    }
    void PrikažiAkciju(const QString& tekst) const { status->PrikažiAkciju(tekst); }
    void PrikažiStanje(const QString& tekst) const { status->PrikažiStanje(tekst); }
    void Pričekaj(qint16 sekundi) const { sat->Pričekaj(sekundi); }
    OkruženjeMatrice ZaMatricu() const { return {datoteke, poruke, log, &stanje->ZadnjaPoruka}; }
    // Once the person has asked to stop: the run ends as a failed fetch, with the
    // stop's words as the last message, among the errors, in panel 2 and in one log
    // line with the run's prefix. False while nobody has asked.
    bool PrijaviPrekid(const QString& logPrefiks) const {
        if (!stanje->PrekidZatražen) return false;
        stanje->ZadnjaPoruka = TekstPrekidaKorisnika;
        stanje->PorukeGrešaka += CRLF + TekstPrekidaKorisnika;
        LogirajGrešku(logPrefiks + TekstPrekidaKorisnika);
        PrikažiStanje(TekstPrekidaKorisnika);
        return true;
    }
};

// While it lives the person may stop what runs (fetching, copying, unpacking),
// never what comes after Zatvori: publishing lists, replacing files. A stop asked
// for outside it counts for nothing.
class PrekidMoguć {
public:
    explicit PrekidMoguć(Kontekst& k) : k(k) {
        k.stanje->PrekidZatražen = false;
        k.status->OmogućiPrekid(true);
    }
    ~PrekidMoguć() {
        Zatvori();
        k.stanje->PrekidZatražen = false;
    }
    PrekidMoguć(const PrekidMoguć&) = delete;
    PrekidMoguć& operator=(const PrekidMoguć&) = delete;
    void Zatvori() {
        if (std::exchange(m_otvoren, false)) k.status->OmogućiPrekid(false);
    }

private:
    Kontekst& k;
    bool m_otvoren = true;
};

// The fixed name of the developer computer, on which paths are fixed and
// installation is refused.
inline const QString RazvojnoRačunalo = QStringLiteral("MORVELA-RAZVOJ");

} // namespace morvela
