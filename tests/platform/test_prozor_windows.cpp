// The window's kind of program under Qt's Windows platform: a transfer from the loopback server
// ends while a window is open. (The command line's kind is the program's own update test.)

#include "Okruzenje.h"
#include "Posluzitelj.h"
#include "transfer/CurlPrijenos.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QWidget>

using namespace morvela;
using namespace morvela::test;

TEST(ProzorWindows, ATransferEndsWhileAWindowIsOpen) {
    QWidget prozor;
    prozor.show();
    QTemporaryDir dir, posluženo;
    QByteArray sadržaj(3 * 1024 * 1024, '\0');
    for (qsizetype i = 0; i < sadržaj.size(); ++i)
        sadržaj[i] = char(i * 7 % 251);
    TestOkruženje::Zapiši(posluženo.filePath(QStringLiteral("Verzije.txt")), sadržaj);
    test::Poslužitelj server(posluženo.path());
    StvarneDatoteke datoteke;
    ZahtjevPrijenosa zahtjev;
    zahtjev.datoteke = &datoteke;
    zahtjev.url = QStringLiteral("http://%1/download/Verzija21/Verzije.txt").arg(server.Host());
    zahtjev.datoteka = dir.filePath(QStringLiteral("Verzije.txt"));
    zahtjev.granica = sadržaj.size();
    QList<int> stanja;
    NapredakPrijenosa napredak;
    napredak.stanje = [&](int s) { stanja << s; };

    const IshodPrijenosa ishod = PrenesiCurlom(zahtjev, napredak);
    EXPECT_EQ(ishod.vrsta, IshodPrijenosa::Spremljeno) << ishod.opis.toStdString();
    EXPECT_EQ(TestOkruženje::Pročitaj(zahtjev.datoteka), sadržaj);
    ASSERT_FALSE(stanja.isEmpty());
    EXPECT_EQ(stanja.last(), 12);
}
