#include "Lazni.h"
#include "app/mreza/MrezaPlana.h"

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
        m.PrikažiPlan({{"Prog21.exe", "21", "4", "3", "700", "1234"},
                       {"Upute.chm", " 21", "1", "0", "800", "2000"},
                       {"Prog21.exe", "21", "4", "3", "x", "0"}});
    }
    ~Mreza() override { QLocale::setDefault(QLocale::c()); }

    QString T(int r, int s) const { return m.item(r, s)->text(); }
    QVariant Popuna(int r, int s) const { return m.item(r, s)->data(MrezaPlana::UlogaPopune); }
    int Slika(int r) const { return m.item(r, 1)->data(MrezaPlana::UlogaSlike).toInt(); }
    static QImage Pikseli(const QIcon& i) { return i.pixmap(16, 16).toImage(); }

    MrezaPlana m;
};

TEST_F(Mreza, ShowsTotalsAndPlannedRows) {
    ASSERT_EQ(m.rowCount(), 4);
    // Sums in the user's format; a text that is no number adds nothing.
    EXPECT_EQ((QStringList{T(0, 1), T(0, 5), T(0, 6)}), (QStringList{"UKUPNO: ", "1.500", "3.234"}));
    EXPECT_EQ((QStringList{T(1, 0), T(2, 0), T(3, 0)}), (QStringList{"1", "2", "3"}));
    EXPECT_EQ((QStringList{T(2, 1), T(2, 2), T(2, 6), T(3, 5)}),
              (QStringList{"Upute.chm", " 21", "2.000", "x"}));
    EXPECT_EQ(Pikseli(m.item(3, 1)->icon()), Pikseli(MrezaPlana::Slika(6)));

    m.PrikažiPlan({});
    EXPECT_EQ(m.rowCount(), 1);
    EXPECT_EQ(T(0, 5), "0");
}

TEST_F(Mreza, RowStatesSetPictureAndFill) {
    QList<QImage> slike; // six pictures from the resources, all different
    for (int i = 1; i <= 6; ++i) {
        slike << Pikseli(MrezaPlana::Slika(i));
        ASSERT_FALSE(slike.last().isNull()) << i;
        for (int j = 0; j + 1 < slike.size(); ++j)
            EXPECT_NE(slike[j], slike.last()) << j + 1 << " " << i;
    }
    const QList<QPair<int, double>> slučajevi{{1, 0.25}, {4, 0.25}, {2, 0.5}, {5, 0.75}, {3, 1.0}};
    for (const auto& [stanje, popuna] : slučajevi) {
        m.OznačiStanjeReda("Prog21.exe", stanje);
        EXPECT_EQ(Pikseli(m.item(1, 1)->icon()), slike[stanje - 1]);
        for (int s = 2; s < 7; ++s)
            EXPECT_DOUBLE_EQ(Popuna(1, s).toDouble(), popuna) << stanje;
    }
    // Only the first row of that name, and never column 1.
    EXPECT_EQ(Slika(3), 6);
    EXPECT_FALSE(Popuna(3, 2).isValid());
    EXPECT_FALSE(Popuna(1, 1).isValid());
    // A state without a fill changes the picture only; an unknown name nothing.
    m.OznačiStanjeReda("Prog21.exe", 6);
    m.OznačiStanjeReda("prog21.exe", 2);
    EXPECT_EQ(Slika(1), 6);
    EXPECT_DOUBLE_EQ(Popuna(1, 4).toDouble(), 1.0);
}

TEST_F(Mreza, PaintsFillAndBackground) {
    m.PostaviBoju(QColor(217, 218, 203));
    m.OznačiStanjeReda("Upute.chm", 2);
    const QImage slika = m.grab().toImage();
    auto piksel = [&](int x, int y) { return slika.pixelColor(m.viewport()->pos() + QPoint(x, y)); };

    const QRect pola = m.visualItemRect(m.item(2, 6)), bez = m.visualItemRect(m.item(1, 6));
    EXPECT_NE(piksel(pola.left() + 2, pola.top() + 2), QColor(Qt::white));
    EXPECT_EQ(piksel(pola.right() - 2, pola.top() + 2), QColor(Qt::white));
    EXPECT_EQ(piksel(bez.left() + 2, bez.top() + 2), QColor(Qt::white));
    // The area below the rows takes the colour.
    EXPECT_EQ(piksel(bez.left() + 2, m.visualItemRect(m.item(3, 6)).bottom() + 20), QColor(217, 218, 203));
}

} // namespace
