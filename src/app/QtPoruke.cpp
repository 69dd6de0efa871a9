#include "app/QtPoruke.h"

#include <QMessageBox>

namespace morvela {

Odgovor QtPoruke::Pokaži(const QString& tekst, Ikona ikona, Gumbi gumbi, const QString& naslov) {
    QMessageBox okvir(m_roditelj);
    okvir.setWindowTitle(naslov);
    okvir.setText(tekst);
    switch (ikona) {
    case Ikona::Nema:
        okvir.setIcon(QMessageBox::NoIcon);
        break;
    case Ikona::Usklicnik:
        okvir.setIcon(QMessageBox::Warning);
        break;
    case Ikona::Kritična:
        okvir.setIcon(QMessageBox::Critical);
        break;
    case Ikona::Pitanje:
        okvir.setIcon(QMessageBox::Question);
        break;
    case Ikona::Informacija:
        okvir.setIcon(QMessageBox::Information);
        break;
    }
    if (gumbi == Gumbi::DaNe) {
        okvir.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        okvir.setDefaultButton(QMessageBox::Yes);
        return okvir.exec() == QMessageBox::Yes ? Odgovor::Da : Odgovor::Ne;
    }
    okvir.setStandardButtons(QMessageBox::Ok);
    okvir.exec();
    return Odgovor::URedu;
}

} // namespace morvela
