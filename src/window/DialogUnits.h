#pragma once

#include <QFont>
#include <QRect>

// Windows lays dialogs out in dialog units: a quarter of the font's average
// character width across, an eighth of its height down. Converting through the
// dialog font's own metrics keeps the layout in step with the font and screen.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseWidth, int baseHeight) : m_baseX(baseWidth), m_baseY(baseHeight) {}

    int x(int dlu) const { return (dlu * m_baseX + 2) / 4; }
    int y(int dlu) const { return (dlu * m_baseY + 4) / 8; }
    QRect rect(int x0, int y0, int w, int h) const {
        return QRect(x(x0), y(y0), x(x0 + w) - x(x0), y(y0 + h) - y(y0));
    }
    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }

    // "宋体" 9 pt with the CJK faces a Linux desktop is likely to have.
    static QFont dialogFont();

private:
    int m_baseX;
    int m_baseY;
};
