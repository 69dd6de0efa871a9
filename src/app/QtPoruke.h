#pragma once
#include "platform/Seams.h"

class QWidget;

namespace morvela {

// Message boxes and questions shown with QMessageBox over the window.
class QtPoruke : public IPoruke {
public:
    explicit QtPoruke(QWidget* roditelj) : m_roditelj(roditelj) {}
    Odgovor Pokaži(const QString& tekst, Ikona ikona, Gumbi gumbi, const QString& naslov) override;

private:
    QWidget* m_roditelj;
};

} // namespace morvela
