#pragma once
// One transfer from the loopback server, checked whole: what both the command line's
// and the window's kind of program must see end.

#include "Okruzenje.h"
#include "Posluzitelj.h"
#include "transfer/CurlPrijenos.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

namespace morvela::test {

inline void PrenesiSPoslužitelja(const QString& direktorij) {
    QTemporaryDir posluženo;
    QByteArray sadržaj(3 * 1024 * 1024, '\0');
    for (qsizetype i = 0; i < sadržaj.size(); ++i)
        sadržaj[i] = char(i * 7 % 251);
    TestOkruženje::Zapiši(posluženo.filePath(QStringLiteral("Verzije.txt")), sadržaj);
    Poslužitelj server(posluženo.path());
    StvarneDatoteke datoteke;
    ZahtjevPrijenosa zahtjev;
    zahtjev.datoteke = &datoteke;
    zahtjev.url = QStringLiteral("http://%1/download/Verzija21/Verzije.txt").arg(server.Host());
    zahtjev.datoteka = direktorij + QStringLiteral("Verzije.txt");
    zahtjev.granica = sadržaj.size();
    QDir().mkpath(direktorij);
    QList<int> stanja;
    NapredakPrijenosa napredak;
    napredak.stanje = [&](int s) { stanja << s; };

    const IshodPrijenosa ishod = PrenesiCurlom(zahtjev, napredak);
    EXPECT_EQ(ishod.vrsta, IshodPrijenosa::Spremljeno) << ishod.opis.toStdString();
    EXPECT_EQ(TestOkruženje::Pročitaj(zahtjev.datoteka), sadržaj);
    ASSERT_FALSE(stanja.isEmpty());
    EXPECT_EQ(stanja.last(), 12);
}

} // namespace morvela::test
