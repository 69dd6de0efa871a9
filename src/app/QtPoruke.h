#pragma once
#include "platform/Seams.h"

class QWidget;

namespace morvela {

// Message boxes and questions shown with QMessageBox over the window.
class QtPoruke : public IPoruke {
public:
    explicit QtPoruke(QWidget* roditelj) : m_roditelj(roditelj) {}
    // The kind of a question changes nothing on screen: the person reads the text.
    Odgovor Pokaži(const QString& tekst, Ikona ikona, Gumbi gumbi, VrstaPitanja vrsta,
                   const QString& naslov) override;

private:
    QWidget* m_roditelj;
};

} // namespace morvela
