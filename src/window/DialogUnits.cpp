#include "window/DialogUnits.h"

#include <QFontMetrics>
#include <QStringList>

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics fm(font);
    // The Windows average width of the alphabet, rounded.
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_baseX = (fm.horizontalAdvance(alphabet) / 26 + 1) / 2;
    m_baseY = fm.height();
    if (m_baseX <= 0)
        m_baseX = 6;
    if (m_baseY <= 0)
        m_baseY = 12;
}

QFont DialogUnits::dialogFont() {
    QFont f;
    const QStringList families = {
        QString::fromUtf8("宋体"),           QStringLiteral("SimSun"),
        QStringLiteral("NSimSun"),           QStringLiteral("Noto Sans CJK SC"),
        QStringLiteral("Noto Serif CJK SC"), QStringLiteral("WenQuanYi Micro Hei"),
        QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("AR PL UMing CN")};
    f.setFamilies(families);
    f.setPointSize(9);
    return f;
}
