#pragma once
// The update set's one front door. The check, the update and the distribution
// reach the lists and archives only through IzvorSeta, made once from the
// settings; it keeps one place for each source (the primary and the secondary
// download server, the network location) and checks what it brings.

#include "platform/Postavke.h"
#include "records/Kontekst.h"
#include "versions/PotpisSeta.h"
#include "versions/PravilaVerzija.h"

#include <array>
#include <memory>

namespace morvela {

// "https://" or "http://" + host + "/download/Verzija21/".
QString OsnovniUrl(const QString& host, bool https);

// A program (a name ending in ".exe") must begin as every Windows program does,
// with "MZ": a captive portal's login page saved under a program's name would
// otherwise stay in the program directory for good. The reason the file at put
// is no program, or nothing for a program that is one and for any other file.
QString RazlogLošegPrograma(const IDatoteke& datoteke, const QString& ime, const QString& put);

// How the check's log lines begin.
inline const QString PrefiksProvjere = QStringLiteral("PripremiVerzijaTXT- ");
// A failure that ends the check: the last message, logged with a prefix, shown; or,
// when the person has asked to stop, the stop instead.
bool PrekiniProvjeru(Kontekst& k, const QString& logPrefiks, const QString& poruka);

// How a run that brings the set reports: every log line with the run's prefix;
// a failure as the last message, in the log, in the error texts and, when asked,
// in a box.
class Izvještaj {
public:
    Izvještaj(Kontekst& k, QString prefiks) : k(k), m_prefiks(std::move(prefiks)) {}

    void Logiraj(const QString& tekst) const { k.LogirajGrešku(m_prefiks + tekst); }
    bool Prekini(const QString& poruka, bool sOkvirom);
    // Once the person has asked to stop, the run ends here; what was half-fetched
    // or half-copied is gone by then.
    bool Prekinut() const { return k.PrijaviPrekid(m_prefiks); }
    // The file at put against the size its list announces, read again after two
    // waits while it is empty when čekajPrazne; a failure stops the run with a box.
    bool ProvjeriVeličinu(const QString& put, const QString& ime, const QString& najava,
                          const QString& greškaČitanja, bool čekajPrazne);

    Kontekst& k;

private:
    QString m_prefiks;
};

class Poslužitelj;

// One place the update set can be reached from. A new source is one more class
// of these and one line where IzvorSeta makes its places.
class MjestoSeta {
public:
    virtual ~MjestoSeta() = default;
    // The update run from here, whose name begins its log lines.
    virtual QString ImeSnimanja() const = 0;
    // The check: the new Verzije.txt into the update directory and
    // TeamViewerQS.exe into a program directory that lacks it. What went wrong
    // has been logged and shown.
    virtual bool DonesiKontrolnuDatoteku(Kontekst& k) = 0;
    // The set's manifest or its signature into dir; what went wrong has been logged.
    virtual bool DonesiDatotekuSeta(Kontekst& k, const QString& ime, const QString& dir) = 0;
    // The update: one planned row's archive into the update directory.
    virtual bool DonesiArhivu(Izvještaj& r, const QString& ime) = 0;
    // Once every archive is unpacked, before the unpacked files are checked.
    virtual void PrijeProvjere(Izvještaj& r) { Q_UNUSED(r); }
    // Whether an empty unpacked file is given time to be written.
    virtual bool ČekajPrazne() const { return false; }
    // After the unpacked files are checked.
    virtual bool Dovrši(Izvještaj& r) {
        Q_UNUSED(r);
        return true;
    }
    // The download server a distribution run fetches from while this source is chosen.
    virtual Poslužitelj& ZaDistribuciju() = 0;
    // The size of the archive DonesiArhivu last refused for being larger than the
    // list allows; -1 when it was not refused for that.
    virtual qint64 PrekoGranice() const { return -1; }

    // The signed set whose hashes every file brought from here must match; none
    // when no key is set.
    void PostaviPotpisani(const PotpisaniSet* set) { m_potpisani = set; }
    const PotpisaniSet* Potpisani() const { return m_potpisani; }

protected:
    // What checks the bytes of the file ime as they arrive, if anything does.
    std::shared_ptr<IProvjeraSadržaja> Provjera(const QString& ime) const;

    const PotpisaniSet* m_potpisani = nullptr;
};

// A download server: every file by its URL, no larger than the list allows.
class Poslužitelj : public MjestoSeta {
public:
    Poslužitelj(IPreuzimanje& preuzimanje, const Postavke& postavke, const QString& host)
        : m_preuzimanje(preuzimanje), m_https(postavke.koristiChilkat), m_host(host),
          m_certifikati(postavke.dodatniCertifikati) {}

    QString ImeSnimanja() const override { return QStringLiteral("SnimitiSaInterneta"); }
    bool DonesiKontrolnuDatoteku(Kontekst& k) override;
    bool DonesiDatotekuSeta(Kontekst& k, const QString& ime, const QString& dir) override;
    bool DonesiArhivu(Izvještaj& r, const QString& ime) override;
    void PrijeProvjere(Izvještaj& r) override { r.k.Pričekaj(5); }
    Poslužitelj& ZaDistribuciju() override { return *this; }

    // One file into ciljnaDirektorija (DownloadDatoteke); the fetch has reported its own failure.
    bool Preuzmi(const StanjeRada& s, const QString& ime, const QString& ciljnaDirektorija);
    bool PreuzmiNaProvjeru(const StanjeRada& s, const QString& ime, const QString& ciljnaDirektorija,
                           QString& privremena);
    bool DovršiPredaju(bool prihvaćena) { return m_preuzimanje.DovršiPredaju(prihvaćena); }
    qint64 PrekoGranice() const override { return m_preuzimanje.PrekoGranice(); }

private:
    ZahtjevDatoteke Zahtjev(const StanjeRada& s, const QString& ime, const QString& ciljnaDirektorija) const;

    IPreuzimanje& m_preuzimanje;
    const bool m_https;
    const QString m_host, m_certifikati;
};

// A directory on the network (or a local disk) that an administrator has filled,
// typically a distribution location. Its path is the text of the window's box at
// the moment of use; distribution runs go to the secondary server.
class MrežnoMjesto : public MjestoSeta {
public:
    MrežnoMjesto(Poslužitelj& server, QString lokacija) : m_server(server), m_lokacija(std::move(lokacija)) {}

    QString ImeSnimanja() const override { return QStringLiteral("SnimitiSaMrežneLokacije"); }
    bool DonesiKontrolnuDatoteku(Kontekst& k) override;
    bool DonesiDatotekuSeta(Kontekst& k, const QString& ime, const QString& dir) override;
    bool DonesiArhivu(Izvještaj& r, const QString& ime) override;
    bool ČekajPrazne() const override { return true; }
    bool Dovrši(Izvještaj& r) override;
    Poslužitelj& ZaDistribuciju() override { return m_server; }

    void PostaviLokaciju(const QString& lokacija) { m_lokacija = lokacija; }

private:
    bool Kopiraj(Izvještaj& r, const QString& ime);
    // One file from the location into dir, watched block by block so the person can stop it.
    GreškaDatoteke Kopiraj(Kontekst& k, const QString& ime, const QString& dir, bool trajno = false,
                           IProvjeraSadržaja* provjera = nullptr);

    Poslužitelj& m_server;
    QString m_lokacija;
};

class IzvorSeta {
public:
    // The source and the network location from the settings (or the command line).
    IzvorSeta(const Postavke& postavke, IPreuzimanje& preuzimanje);
    IzvorSeta(const IzvorSeta&) = delete;
    IzvorSeta& operator=(const IzvorSeta&) = delete;

    // The window's option buttons and location box, as they stand when an operation starts.
    void Odaberi(UpdateLokacija izvor, const QString& mrežnaLokacija);

    // The check. Where a publisher's key is set, the list is taken only from a set
    // whose signature holds: the manifest and its signature come first, and the
    // list is refused (and removed) unless its hash is the one they name.
    bool DonesiKontrolnuDatoteku(Kontekst& k);
    // The update: the set the check accepted is what every archive is checked
    // against from now on; false (reported) when a key is set and there is none.
    bool PripremiPotpis(Izvještaj& r);

    // The distribution: the manifest and its signature from a place into dir,
    // then checked there against the trusted keys and the highest serial dir
    // has accepted (which a newer set raises). greška says what failed.
    bool DonesiPotpis(Kontekst& k, MjestoSeta& mjesto, const QString& dir, QString& greška);
    // The accepted manifest and signature bytes go to the two pointers, when given.
    bool ProvjeriPotpisU(Kontekst& k, const QString& dir, PotpisaniSet& set, QString& greška,
                         QByteArray* prihvaćeniManifest = nullptr, QByteArray* prihvaćeniPotpis = nullptr);
    // A file of the set at put (a list: small) against the hash the set names for ime.
    static bool ProvjeriDatotekuSeta(Kontekst& k, const PotpisaniSet& set, const QString& put,
                                     const QString& ime, QString& greška);

    // Whether a publisher's key is set, so only a signed set is accepted.
    bool TražiPotpis() const { return !m_ključevi.isEmpty() || !m_lošKljuč.isEmpty(); }
    // The set the last check accepted, read again from the run state; a failure
    // (no check, or a set no longer valid) is in greška.
    std::optional<PotpisaniSet> PrihvaćeniSet(const Kontekst& k, QString& greška) const;
    // The update: the chosen source's run, and one row's archive, fetched and then
    // checked against the size the list announces.
    MjestoSeta& Mjesto() { return *m_mjesta[size_t(m_odabrani)]; }
    bool DonesiArhivu(Izvještaj& r, const PlaniraniRed& red);
    // The distribution: the download server the chosen source leads to.
    Poslužitelj& Server() { return Mjesto().ZaDistribuciju(); }

private:
    bool ProvjeriPotpis(Kontekst& k, PotpisaniSet& set);
    bool ProvjeriListu(Kontekst& k, const PotpisaniSet& set);

    // The trusted keys; an unreadable key text is kept as its error, so nothing is accepted.
    QList<JavniKljuč> m_ključevi;
    QString m_lošKljuč;
    std::optional<PotpisaniSet> m_set;
    void PostaviSet(std::optional<PotpisaniSet> set);
    UpdateLokacija m_odabrani;
    MrežnoMjesto* m_mreža = nullptr;
    // By UpdateLokacija.
    std::array<std::unique_ptr<MjestoSeta>, 3> m_mjesta;
};

} // namespace morvela
