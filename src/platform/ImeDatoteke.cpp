#include "platform/ImeDatoteke.h"

#include <QRegularExpression>

namespace morvela {

bool JeIspravnoImeDatoteke(const QString& ime) {
    if (ime.isEmpty() || ime.size() > 255 || ime.contains(QLatin1String(".."))) return false;
    for (QChar c : ime) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.category() == QChar::Other_Control) return false;
        if (QStringView(u"/\\:\"*?<>|").contains(c)) return false;
    }
    if (ime.endsWith(QLatin1Char('.')) || ime.endsWith(QLatin1Char(' '))) return false;
    static const QRegularExpression uređaj(QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\\..*)?$"),
                                           QRegularExpression::CaseInsensitiveOption);
    return !uređaj.match(ime).hasMatch();
}

} // namespace morvela
