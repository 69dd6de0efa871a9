#pragma once
// What the transfer tests share: the loopback download server and the real 7-Zip.

#include "Kvarovi.h"
#include "Okruzenje.h"
#include "TestServer.h"
#include "platform/Procesi.h"
#include "transfer/HttpPreuzimanje.h"
#include "transfer/Unzipaj.h"
#include "versions/PravilaVerzija.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

using namespace morvela;
using namespace morvela::test;

// A suite with the system's 7-Zip where the program looks for it and the
// loopback server as the primary download server over the transport's scheme.
struct Prijenos : ::testing::Test {
    explicit Prijenos(bool https = true) {
        Postavi7Zip(o.k, procesi);
        o.preuzimanje = &preuzimanje;
        o.postavke.Snimi("Settings", "DodatniCertifikati", TestServer::TestniCa());
        o.postavke.Snimi("Settings", "PrimarniServer21", https ? server.HttpsHost() : server.HttpHost());
        o.postavke.Snimi("Settings", "KoristiChilkatZaDownload", https ? "True" : "False");
    }
    static QString Veličina(const QString& put) { return QString::number(QFileInfo(put).size()); }
    // Offers a planned row at the server: an archive of the file, or the file itself for help files.
    void Ponudi(int red, const QString& ime, const QByteArray& sadržaj) {
        const QString arhiva = lok + ImeArhive(ime);
        TestOkruženje::Zapiši(arhiva, ime.endsWith(".chm") ? sadržaj : Arhiva7z(ime, sadržaj));
        o.stanje.NoveVerzije.postavi(red, Ime, ime);
        o.stanje.NoveVerzije.postavi(red, VeličinaDownload, Veličina(arhiva));
        o.stanje.NoveVerzije.postavi(red, StvarnaVeličina, QString::number(sadržaj.size()));
        o.stanje.NoveVerzije.postavi(red, TrebaInstalirati, qint16(1));
    }
    QByteArray Pročitaj(const QString& ime) const { return TestOkruženje::Pročitaj(upd + ime); }
    bool Raspakiraj(const QString& ime) {
        return Unzipaj({o.stanje, o.datoteke, procesi, *o.log, o.status, o.sat}, ime);
    }
    // One file from the download server the source leads to, as the settings stand now.
    bool Dohvati(const QString& ime, const QString& dir) {
        return o.seta().Server().Preuzmi(o.stanje, ime, dir);
    }

    TestOkruženje o;
    QTemporaryDir posluženo;
    TestServer server{posluženo.path()};
    // The limits in milliseconds, silence still tripping before the speed floor.
    static constexpr RokoviPrijenosa Rokovi{1000, 1200};
    HttpPreuzimanje preuzimanje{o.status, o.poruke, *o.log, o.datoteke, o.stanje.ZadnjaPoruka,
                                Rokovi}; // after the server, so the client goes first
    QtProcesi procesi;
    const QString upd = o.updateDir();
    // The served directory, also the network location.
    const QString lok = SaSeparatorom(QDir::toNativeSeparators(posluženo.path()));
};
