#include "Okruzenje.h"
#include "records/UpdateLog.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLocale>

using namespace morvela;
using namespace morvela::test;

namespace {

TEST(UpdateLog, AppendsDatedEntriesWithCrLfAndCreatesTheFile) {
    TestOkruženje o;
    o.k.LogirajGrešku(QString::fromUtf8("NapraviRsŠtoTrebaAžurirati - početak"));
    o.k.LogirajGrešku(QString());
    o.k.LogirajGrešku(QStringLiteral("kraj\r\n"));
    const QLocale l = QLocale::system();
    const QString datum = l.toString(o.sat.Sada().date(), QLocale::ShortFormat) + " " +
                          l.toString(o.sat.Sada().time(), QLocale::ShortFormat) + " ";
    const QString očekivano = datum + QString::fromUtf8("NapraviRsŠtoTrebaAžurirati - početak\r\n") + datum +
                              "\r\n" + datum + "kraj\r\n\r\n";
    EXPECT_EQ(QString::fromLocal8Bit(o.Pročitaj(o.log->Put())), očekivano);
    EXPECT_TRUE(o.poruke.upiti.isEmpty());
}

TEST(UpdateLog, MissingUpdateDirectoryShowsOneBoxPerEntryWithErrorNumber) {
    TestOkruženje o;
    QDir(o.updateDir()).removeRecursively();
    o.k.LogirajGrešku("jedan");
    o.k.LogirajGrešku("dva");
    ASSERT_EQ(o.poruke.upiti.size(), 2);
    for (const auto& u : o.poruke.upiti) {
        EXPECT_TRUE(u.tekst.startsWith(QString::fromUtf8("Desila se greška: u upisu u LOG. Greška: 76 ")))
            << u.tekst.toStdString();
        EXPECT_EQ(u.ikona, Ikona::Usklicnik);
        EXPECT_EQ(u.naslov, NaslovAplikacije);
    }
    EXPECT_FALSE(QFile::exists(o.log->Put()));
}

} // namespace
