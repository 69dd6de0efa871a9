#pragma once
// Fetching one file from a URL, no larger than a limit. One HTTP client (libcurl)
// stands in for both transports of the suite: the https path (DownChilkat)
// reports percentages, the http path (DownInet) the transfer control's state texts.

#include "platform/Seams.h"
#include "records/UpdateLog.h"
#include "transfer/CurlPrijenos.h"

#include <QString>

#include <future>
#include <optional>

namespace morvela {

class HttpPreuzimanje : public IPreuzimanje {
public:
    // Shows progress in status, logs to log, shows what the transport shows in
    // poruke and leaves a failure's text in zadnjaPoruka. rokovi: how slow a
    // transfer may be before it fails.
    HttpPreuzimanje(IStatusLinija& status, IPoruke& poruke, UpdateLog& log, IDatoteke& datoteke,
                    QString& zadnjaPoruka, const RokoviPrijenosa& rokovi = {});
    ~HttpPreuzimanje() override;

    // Blocks until the file is stored at direktorija + ime or the fetch has
    // failed; window events are processed meanwhile. The scheme of the URL
    // chooses the transport.
    bool DownloadDatoteke(const ZahtjevDatoteke& zahtjev) override;
    bool PreuzmiNaProvjeru(const ZahtjevDatoteke& zahtjev, QString& privremena) override;
    bool DovršiPredaju(bool prihvaćena) override;
    qint64 PrekoGranice() const override { return m_prekoGranice; }
    bool DownChilkat(const ZahtjevDatoteke& zahtjev);
    bool DownInet(const ZahtjevDatoteke& zahtjev);

    // Progress of the https path.
    void http_PercentDone(qint32 postotak);
    // State changes of the http path (the transfer control's numbering, 0 to 12).
    void Inet1_StateChanged(qint16 stanje);

private:
    // A fetched file waiting for its check, flushed meanwhile on a thread of its own when it must last.
    struct NaČekanju {
        QString ime, privremena, cilj;
        bool trajno;
        std::future<GreškaDatoteke> pražnjenje;
    };

    bool Preuzmi(const ZahtjevDatoteke& zahtjev, bool https);
    IshodPrijenosa Prenesi(const ZahtjevDatoteke& zahtjev, const QString& privremena, bool https,
                           bool upisujUsput);
    IshodPrijenosa Predaj(const QString& imeDatoteke, const QString& privremena, const QString& cilj,
                          bool trajno);
    void GreškaLokalneDatoteke(const QString& imeDatoteke, const QString& opis);

    IStatusLinija& m_status;
    IPoruke& m_poruke;
    UpdateLog& m_log;
    IDatoteke& m_datoteke;
    QString& m_zadnjaPoruka;
    const RokoviPrijenosa m_rokovi;
    // The text of the last state of the http path that had one.
    QString m_tekstStanja;
    VezePrijenosa m_veze;
    bool m_naProvjeru = false;
    std::optional<NaČekanju> m_čeka;
    qint64 m_prekoGranice = -1;
};

} // namespace morvela
