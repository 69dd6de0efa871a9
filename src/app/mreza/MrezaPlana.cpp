#include "app/mreza/MrezaPlana.h"

#include <QApplication>
#include <QHeaderView>
#include <QLocale>
#include <QPainter>
#include <QStyledItemDelegate>

#include <cmath>

// Resources of a static library must be registered by hand, outside any namespace.
static void RegistrirajSlike() {
    static const bool jednom = [] {
        Q_INIT_RESOURCE(mreza);
        return true;
    }();
    (void)jednom;
}

namespace morvela {

namespace {

const QColor BojaUkupno(192, 192, 255);
const QColor BojaPopune(150, 215, 150);
constexpr int TwipsPoInču = 1440;
constexpr int ŠirinaRednogBroja = 400;
constexpr int ŠirinaImena = 3000;

// Paints a cell's progress as a fill from the left, under its text.
class DelegatPopune : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& opcija, const QModelIndex& indeks) const override {
        const double popuna = indeks.data(MrezaPlana::UlogaPopune).toDouble();
        if (popuna <= 0) return QStyledItemDelegate::paint(p, opcija, indeks);

        QStyleOptionViewItem o = opcija;
        initStyleOption(&o, indeks);
        if (o.backgroundBrush.style() != Qt::NoBrush) p->fillRect(o.rect, o.backgroundBrush);
        QRectF dio(o.rect);
        dio.setWidth(dio.width() * std::min(popuna, 1.0));
        p->fillRect(dio, BojaPopune);
        o.backgroundBrush = Qt::NoBrush;
        const QWidget* w = o.widget;
        (w ? w->style() : QApplication::style())->drawControl(QStyle::CE_ItemViewItem, &o, p, w);
    }
};

// A cell text as a number, when it is one.
bool KaoBroj(const QString& tekst, double& vrijednost) {
    bool ok = false;
    vrijednost = tekst.trimmed().toDouble(&ok);
    return ok && std::isfinite(vrijednost);
}

// "#,##0" in the user's locale.
QString FormatBroj(double v) {
    return QLocale().toString(qlonglong(std::llround(v)));
}

// A text that is no number stays as it is.
QString FormatCijeli(const QString& tekst) {
    double v = 0;
    return KaoBroj(tekst, v) ? FormatBroj(v) : tekst;
}

// What each picture of a row says, for the tooltip of its name.
QString OpisStanja(int stanje) {
    static const char* const opisi[] = {
        "Preuzimanje sa interneta je u tijeku",
        "Preuzeto i provjereno, čeka instalaciju",
        "Instalirano",
        "Kopiranje sa mrežne lokacije je u tijeku",
        "Instalacija je u tijeku",
        "Čeka na preuzimanje",
    };
    return QString::fromUtf8(opisi[stanje - 1]);
}

double Popuna(int stanje) {
    switch (stanje) {
    case 1:
    case 4:
        return 0.25;
    case 2:
        return 0.5;
    case 5:
        return 0.75;
    case 3:
        return 1.0;
    default:
        return -1;
    }
}

} // namespace

MrezaPlana::MrezaPlana(QWidget* roditelj) : QTableWidget(roditelj) {
    RegistrirajSlike();
    setObjectName(QStringLiteral("fgAžuriranja"));
    setColumnCount(7);
    setHorizontalHeaderLabels({QString(), QStringLiteral("Ime programa/komponente"), QStringLiteral("Ver_Gl"),
                               QStringLiteral("Ver_Pom"), QStringLiteral("Ver_Rev"),
                               QStringLiteral("VeličinaDownload"), QStringLiteral("StvarnaVeličina")});
    // The headers are the list's own column names; the tooltips say them plainly.
    const char* const savjeti[] = {
        "Redni broj",
        "Ime programa, komponente, datoteke pomoći ili skripte za izmjenu baze",
        "Glavni broj nove verzije",
        "Pomoćni broj nove verzije",
        "Broj revizije nove verzije",
        "Veličina arhive koja se preuzima, u bajtovima",
        "Veličina datoteke nakon raspakiravanja, u bajtovima",
    };
    for (int stupac = 0; stupac < columnCount(); ++stupac)
        horizontalHeaderItem(stupac)->setToolTip(QString::fromUtf8(savjeti[stupac]));
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setIconSize(QSize(16, 16));
    setItemDelegate(new DelegatPopune(this));
    setColumnWidth(0, TwipsUPiksele(ŠirinaRednogBroja));
    setColumnWidth(StupacIme, TwipsUPiksele(ŠirinaImena));
}

QIcon MrezaPlana::Slika(int broj) {
    RegistrirajSlike();
    return QIcon(QStringLiteral(":/mreza/slike/stanje%1.png").arg(broj));
}

int MrezaPlana::TwipsUPiksele(int twips) const {
    return qRound(double(twips) * logicalDpiX() / TwipsPoInču);
}

void MrezaPlana::PrikažiPlan(const QList<RedPlana>& redovi) {
    clearContents();
    setRowCount(int(redovi.size()) + 1);

    // Column 0 looks and behaves like a fixed column: running numbers, not selectable.
    auto fiksna = [this](int red, const QString& tekst) {
        auto* s = new QTableWidgetItem(tekst);
        s->setFlags(Qt::ItemIsEnabled);
        s->setBackground(palette().button());
        setItem(red, 0, s);
    };
    // Cells carry their own white so the colour set behind them shows only where there are none.
    auto ćelija = [this](int red, int stupac, const QString& tekst, Qt::Alignment poravnanje) {
        auto* s = new QTableWidgetItem(tekst);
        s->setTextAlignment(poravnanje);
        s->setBackground(Qt::white);
        setItem(red, stupac, s);
        return s;
    };
    const Qt::Alignment desno = Qt::AlignRight | Qt::AlignVCenter;
    const Qt::Alignment lijevo = Qt::AlignLeft | Qt::AlignVCenter;

    double zbrojDownload = 0, zbrojStvarna = 0;
    for (int i = 0; i < redovi.size(); ++i) {
        const RedPlana& r = redovi[i];
        const int red = i + 1;
        fiksna(red, QString::number(i + 1));
        QTableWidgetItem* ime = ćelija(red, StupacIme, r.ime, lijevo);
        ime->setIcon(Slika(SlikaČeka));
        ime->setData(UlogaSlike, SlikaČeka);
        ime->setToolTip(OpisStanja(SlikaČeka));
        ćelija(red, 2, r.verGl, Qt::AlignCenter);
        ćelija(red, 3, r.verPom, Qt::AlignCenter);
        ćelija(red, 4, r.verRev, Qt::AlignCenter);
        ćelija(red, StupacDownload, FormatCijeli(r.veličinaDownload), desno);
        ćelija(red, StupacStvarna, FormatCijeli(r.stvarnaVeličina), desno);
        double v = 0;
        if (KaoBroj(r.veličinaDownload, v)) zbrojDownload += v;
        if (KaoBroj(r.stvarnaVeličina, v)) zbrojStvarna += v;
    }

    fiksna(0, QString());
    QFont podebljano = font();
    podebljano.setBold(true);
    for (int stupac = 1; stupac < columnCount(); ++stupac) {
        QString tekst;
        if (stupac == StupacIme) tekst = QStringLiteral("UKUPNO: ");
        if (stupac == StupacDownload) tekst = FormatBroj(zbrojDownload);
        if (stupac == StupacStvarna) tekst = FormatBroj(zbrojStvarna);
        QTableWidgetItem* s = ćelija(0, stupac, tekst, stupac >= StupacDownload ? desno : lijevo);
        s->setFont(podebljano);
        s->setForeground(Qt::black);
        s->setBackground(BojaUkupno);
    }

    resizeColumnsToContents();
    setColumnWidth(0, TwipsUPiksele(ŠirinaRednogBroja));
    setColumnWidth(StupacIme, TwipsUPiksele(ŠirinaImena));
}

void MrezaPlana::OznačiStanjeReda(const QString& ime, int stanje) {
    for (int red = 0; red < rowCount(); ++red) {
        QTableWidgetItem* s = item(red, StupacIme);
        if (!s || s->text() != ime) continue;
        if (stanje >= 1 && stanje <= SlikaČeka) {
            s->setIcon(Slika(stanje));
            s->setData(UlogaSlike, stanje);
            s->setToolTip(OpisStanja(stanje));
        }
        const double popuna = Popuna(stanje);
        if (popuna >= 0)
            for (int stupac = 2; stupac < columnCount(); ++stupac)
                if (QTableWidgetItem* c = item(red, stupac)) c->setData(UlogaPopune, popuna);
        scrollToItem(s);
        return;
    }
}

void MrezaPlana::PostaviBoju(const QColor& boja) {
    QPalette p = viewport()->palette();
    p.setColor(viewport()->backgroundRole(), boja);
    viewport()->setPalette(p);
}

} // namespace morvela
