#include "Lazni.h"
#include "app/mreza/MrezaPlana.h"

#include <QHeaderView>
#include <QImage>
#include <QLocale>

#include <gtest/gtest.h>

using namespace morvela;

namespace {

class Mreza : public ::testing::Test {
protected:
    Mreza() {
        QLocale::setDefault(QLocale(QLocale::Croatian, QLocale::Croatia));
        m.resize(900, 300);
    }
    ~Mreza() override { QLocale::setDefault(QLocale::c()); }

    void Prikaži() {
        m.PrikažiPlan({{"Prog21.exe", "21", "4", "3", "700", "1234"},
                       {"Upute.chm", " 21", "1", "0", "800", "2000"},
                       {"Prog21.exe", "21", "4", "3", "x", "0"}});
    }
    QString T(int r, int s) const { return m.item(r, s) ? m.item(r, s)->text() : QString(); }
    double Popuna(int r, int s) const { return m.item(r, s)->data(MrezaPlana::UlogaPopune).toDouble(); }
    int Slika(int r) const { return m.item(r, 1)->data(MrezaPlana::UlogaSlike).toInt(); }
    static QImage Pikseli(const QIcon& i) { return i.pixmap(16, 16).toImage(); }
    QColor Piksel(const QImage& slika, int x, int y) const {
        return slika.pixelColor(m.viewport()->pos() + QPoint(x, y));
    }

    MrezaPlana m;
};

TEST_F(Mreza, ShowsHeadersTotalsAndPlannedRows) {
    Prikaži();
    EXPECT_EQ(m.objectName(), "fgAžuriranja");
    EXPECT_EQ(m.accessibleName(), "fgAžuriranja");
    ASSERT_EQ(m.columnCount(), 7);
    QStringList zaglavlja;
    for (int s = 0; s < 7; ++s)
        zaglavlja << m.horizontalHeaderItem(s)->text();
    EXPECT_EQ(zaglavlja, (QStringList{"", "Ime programa/komponente", "Ver_Gl", "Ver_Pom", "Ver_Rev",
                                      "VeličinaDownload", "StvarnaVeličina"}));

    ASSERT_EQ(m.rowCount(), 4);
    EXPECT_EQ(T(0, 1), "UKUPNO: ");
    EXPECT_EQ(T(0, 5), "1.500"); // the user's thousands separator; a text that is no number adds nothing
    EXPECT_EQ(T(0, 6), "3.234");
    for (int s = 1; s < 7; ++s) {
        EXPECT_TRUE(m.item(0, s)->font().bold());
        EXPECT_EQ(m.item(0, s)->background().color(), QColor(192, 192, 255));
        EXPECT_EQ(m.item(0, s)->foreground().color(), QColor(Qt::black));
    }

    EXPECT_EQ((QStringList{T(1, 0), T(2, 0), T(3, 0)}), (QStringList{"1", "2", "3"}));
    EXPECT_EQ((QStringList{T(2, 1), T(2, 2), T(2, 3), T(2, 4), T(2, 5), T(2, 6)}),
              (QStringList{"Upute.chm", " 21", "1", "0", "800", "2.000"}));
    EXPECT_EQ(T(3, 5), "x");
    EXPECT_FALSE(m.item(1, 0)->flags() & Qt::ItemIsSelectable);
    EXPECT_EQ(m.item(1, 1)->textAlignment(), int(Qt::AlignLeft | Qt::AlignVCenter));
    EXPECT_EQ(m.item(1, 3)->textAlignment(), int(Qt::AlignCenter));
    EXPECT_EQ(m.item(1, 6)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));
    for (int r = 1; r < 4; ++r) {
        EXPECT_EQ(Slika(r), 6);
        EXPECT_EQ(Pikseli(m.item(r, 1)->icon()), Pikseli(MrezaPlana::Slika(6)));
    }
    EXPECT_EQ(m.columnWidth(0), qRound(400.0 * m.logicalDpiX() / 1440));
    EXPECT_EQ(m.columnWidth(1), qRound(3000.0 * m.logicalDpiX() / 1440));

    // A new plan replaces the old one entirely.
    m.PrikažiPlan({});
    EXPECT_EQ(m.rowCount(), 1);
    EXPECT_EQ(T(0, 5), "0");
}

TEST_F(Mreza, RowStatesSetPictureAndFill) {
    // Six pictures, loaded from the resources and all different.
    QList<QImage> slike;
    for (int i = 1; i <= 6; ++i) {
        slike << Pikseli(MrezaPlana::Slika(i));
        ASSERT_FALSE(slike.last().isNull()) << i;
        for (int j = 0; j < slike.size() - 1; ++j)
            EXPECT_NE(slike[j], slike.last()) << j + 1 << " " << i;
    }

    Prikaži();
    const struct {
        int stanje;
        double popuna;
    } slučajevi[] = {{1, 0.25}, {4, 0.25}, {2, 0.5}, {5, 0.75}, {3, 1.0}};
    for (const auto& s : slučajevi) {
        m.OznačiStanjeReda("Prog21.exe", s.stanje);
        EXPECT_EQ(Slika(1), s.stanje);
        EXPECT_EQ(Pikseli(m.item(1, 1)->icon()), slike[s.stanje - 1]);
        for (int st = 2; st < 7; ++st)
            EXPECT_DOUBLE_EQ(Popuna(1, st), s.popuna) << s.stanje;
    }
    // Only the first row of that name; other rows and column 1 stay untouched.
    EXPECT_EQ(Slika(3), 6);
    EXPECT_FALSE(m.item(3, 2)->data(MrezaPlana::UlogaPopune).isValid());
    EXPECT_FALSE(m.item(1, 1)->data(MrezaPlana::UlogaPopune).isValid());

    // A state without a fill changes the picture only; an unknown name nothing.
    m.OznačiStanjeReda("Prog21.exe", 6);
    EXPECT_EQ(Slika(1), 6);
    EXPECT_DOUBLE_EQ(Popuna(1, 4), 1.0);
    m.OznačiStanjeReda("prog21.exe", 2);
    EXPECT_EQ(Slika(1), 6);
    EXPECT_DOUBLE_EQ(Popuna(1, 4), 1.0);
}

TEST_F(Mreza, PaintsFillAndBackground) {
    Prikaži();
    m.PostaviBoju(QColor(217, 218, 203));
    m.OznačiStanjeReda("Upute.chm", 2);
    const QImage slika = m.grab().toImage();

    const QRect c = m.visualItemRect(m.item(2, 6));
    const QColor lijevo = Piksel(slika, c.left() + 2, c.top() + 2);
    const QColor desno = Piksel(slika, c.right() - 2, c.top() + 2);
    EXPECT_NE(lijevo, QColor(Qt::white));
    EXPECT_EQ(desno, QColor(Qt::white));
    // A cell without a fill stays white; the area below the rows takes the colour.
    const QRect bez = m.visualItemRect(m.item(1, 6));
    EXPECT_EQ(Piksel(slika, bez.left() + 2, bez.top() + 2), QColor(Qt::white));
    EXPECT_EQ(Piksel(slika, c.left() + 2, m.visualItemRect(m.item(3, 6)).bottom() + 20),
              QColor(217, 218, 203));
}

} // namespace
