#include "app/QtPoruke.h"

#include <QMessageBox>

namespace morvela {

namespace {

QMessageBox::Icon IkonaOkvira(Ikona ikona) {
    static const QMessageBox::Icon ikone[] = {QMessageBox::NoIcon, QMessageBox::Warning,
                                              QMessageBox::Critical, QMessageBox::Question,
                                              QMessageBox::Information};
    return ikone[int(ikona)]; // in the order of Ikona
}

} // namespace

Odgovor QtPoruke::Pokaži(const QString& tekst, Ikona ikona, Gumbi gumbi, VrstaPitanja,
                         const QString& naslov) {
    QMessageBox okvir(m_roditelj);
    okvir.setWindowTitle(naslov);
    okvir.setText(tekst);
    okvir.setIcon(IkonaOkvira(ikona));
    if (gumbi == Gumbi::DaNe) {
        okvir.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        // Enter says Yes, Esc says No.
        okvir.setDefaultButton(QMessageBox::Yes);
        okvir.setEscapeButton(QMessageBox::No);
        return okvir.exec() == QMessageBox::Yes ? Odgovor::Da : Odgovor::Ne;
    }
    okvir.setStandardButtons(QMessageBox::Ok);
    okvir.setDefaultButton(QMessageBox::Ok);
    okvir.setEscapeButton(QMessageBox::Ok);
    okvir.exec();
    return Odgovor::URedu;
}

} // namespace morvela
