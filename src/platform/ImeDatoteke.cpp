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
    // Windows opens the device whatever follows its name after blanks or a dot.
    static const QRegularExpression uređaj(
        QStringLiteral("^(CON|PRN|AUX|NUL|COM[0-9¹²³]|LPT[0-9¹²³]|CONIN\\$|CONOUT\\$|CLOCK\\$) *(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    // An 8.3 short form may stand for a different long name on the workstation.
    static const QRegularExpression kratko(QStringLiteral("~[0-9]"));
    return !uređaj.match(ime).hasMatch() && !kratko.match(ime).hasMatch();
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
