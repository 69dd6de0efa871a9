// The window's kind of program under Qt's Windows platform: a transfer ends while a window is open.

#include "Prijenos.h"

#include <QWidget>

using namespace morvela::test;

TEST(ProzorWindows, ATransferEndsWhileAWindowIsOpen) {
    QWidget prozor;
    prozor.show();
    QTemporaryDir dir;
    PrenesiSPoslužitelja(dir.path() + QStringLiteral("/"));
}
