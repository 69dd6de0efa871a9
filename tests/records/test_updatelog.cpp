#include "Okruzenje.h"
#include "records/UpdateLog.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLocale>

namespace morvela::test {

TEST(UpdateLog, AppendsDatedEntriesAndReportsEveryLostOne) {
    TestOkruženje o;
    for (const QString& poruka : {QString("Plan - početak"), QString(), QString("kraj\r\n")})
        o.k.LogirajGrešku(poruka);
    const QLocale l = QLocale::system();
    const QString d = l.toString(o.sat.Sada().date(), QLocale::ShortFormat) + " " +
                      l.toString(o.sat.Sada().time(), QLocale::ShortFormat) + " ";
    EXPECT_EQ(QString::fromLocal8Bit(o.Pročitaj(o.log->Put())),
              d + "Plan - početak\r\n" + d + "\r\n" + d + "kraj\r\n\r\n");

    // No box so far; without the Update directory every entry costs one.
    QDir(o.updateDir()).removeRecursively();
    for (const char* poruka : {"jedan", "dva"})
        o.k.LogirajGrešku(poruka);
    const QString kutija = "Desila se greška: u upisu u LOG. Greška: 76 " + GreškaIzSustava(ENOENT).opis;
    EXPECT_EQ(o.poruke.tekstovi(), QStringList({kutija, kutija}));
}

} // namespace morvela::test
