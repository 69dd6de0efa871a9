#pragma once
// Fetching one file of the update set from the primary or secondary download
// server. One HTTP client (libcurl) stands in for both transports of the suite:
// the https path (DownChilkat) reports percentages, the http path (DownInet)
// the transfer control's state texts.

#include "records/Kontekst.h"
#include "transfer/CurlPrijenos.h"

#include <QString>

#include <future>
#include <optional>

namespace morvela {

// Host (with optional port) of each download server; the read-only keys
// "PrimarniServer21" / "SekundarniServer21" point the program at a mirror.
QString HostPrimarnogServera(const IPostavke& postavke);
QString HostSekundarnogServera(const IPostavke& postavke);
// "https://" or "http://" + host + "/download/Verzija21/".
QString OsnovniUrl(const IPostavke& postavke, bool https, bool primarni);

class HttpPreuzimanje : public IPreuzimanje {
public:
    // zastojMs: a transfer that receives nothing for this long fails.
    explicit HttpPreuzimanje(Kontekst& k, int zastojMs = 60000);
    ~HttpPreuzimanje() override;

    // Blocks until the file is stored at ciljnaDirektorija + imeDatoteke or the
    // fetch has failed; window events are processed meanwhile.
    bool DownloadDatoteke(const QString& imeDatoteke, const QString& ciljnaDirektorija) override;
    bool PreuzmiUPozadini(const QString& imeDatoteke, const QString& ciljnaDirektorija,
                          QString& gdje) override;
    bool DovršiPredaje() override;
    bool DownChilkat(const QString& imeDatoteke, const QString& ciljnaDirektorija);
    bool DownInet(const QString& imeDatoteke, const QString& ciljnaDirektorija);

    // Progress of the https path.
    void http_PercentDone(qint32 postotak);
    // State changes of the http path (the transfer control's numbering, 0 to 12).
    void Inet1_StateChanged(qint16 stanje);

private:
    // A fetched file flushed on a thread of its own, waiting to be put in place.
    struct NaČekanju {
        QString ime, privremena, cilj;
        std::future<GreškaDatoteke> pražnjenje;
    };

    bool Preuzmi(const QString& imeDatoteke, const QString& ciljnaDirektorija, bool https);
    IshodPrijenosa Prenesi(const QString& url, const QString& privremena, bool https, qint64 granica,
                           bool upisujUsput);
    IshodPrijenosa Predaj(const QString& imeDatoteke, const QString& privremena, const QString& cilj,
                          bool trajno);
    qint64 GranicaVeličine(const QString& imeDatoteke) const;
    QString UrlDatoteke(const QString& imeDatoteke, bool https) const;
    void GreškaLokalneDatoteke(const QString& imeDatoteke, const QString& opis);

    Kontekst& m_k;
    int m_zastojMs;
    // The text of the last state of the http path that had one.
    QString m_tekstStanja;
    VezePrijenosa m_veze;
    bool m_uPozadini = false;
    std::optional<NaČekanju> m_čeka;
};

} // namespace morvela
