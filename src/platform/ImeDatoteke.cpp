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

QString ImeZaPrikaz(const QString& ime) {
    constexpr int Najviše = 300;
    QString prikaz;
    for (QChar c : QStringView(ime).left(Najviše)) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.category() == QChar::Other_Control)
            prikaz += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            prikaz += c;
    }
    if (ime.size() > Najviše) prikaz += QStringLiteral("...");
    return prikaz;
}

} // namespace morvela
