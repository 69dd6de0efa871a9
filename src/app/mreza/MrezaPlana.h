#pragma once
// The plan grid fgAžuriranja: a header row, a totals row, then one row per
// planned file, each with a state picture and a progress fill.

#include "platform/Seams.h"

#include <QColor>
#include <QIcon>
#include <QList>
#include <QTableWidget>

namespace morvela {

class MrezaPlana : public QTableWidget {
public:
    // Picture number (1 to 6) shown in column 1 of a row.
    static constexpr int UlogaSlike = Qt::UserRole + 1;
    // Share of the cell (0 to 1) painted as progress in columns 2 to 6.
    static constexpr int UlogaPopune = Qt::UserRole + 2;
    static constexpr int StupacIme = 1;
    static constexpr int StupacDownload = 5;
    static constexpr int StupacStvarna = 6;
    // The picture of a row that has not started yet.
    static constexpr int SlikaČeka = 6;

    explicit MrezaPlana(QWidget* roditelj = nullptr);

    // Replaces the grid's rows: the totals row first, then the planned rows in order.
    void PrikažiPlan(const QList<RedPlana>& redovi);
    // Shows a row's state (picture and fill) on the first row named ime, totals row included.
    void OznačiStanjeReda(const QString& ime, int stanje);
    // Colour of the area behind the cells.
    void PostaviBoju(const QColor& boja);

    static QIcon Slika(int broj);
    int TwipsUPiksele(int twips) const;
};

} // namespace morvela
