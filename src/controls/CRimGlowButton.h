#pragma once

#include <QColor>
#include <QPushButton>

class QPainter;

// Command button that draws itself: rounded outline, a 64-step gradient face,
// a warm rim while the pointer rests on it and a blue rim while it has focus.
class CRimGlowButton : public QPushButton {
    Q_OBJECT
public:
    explicit CRimGlowButton(QWidget* parent = nullptr);
    explicit CRimGlowButton(const QString& text, QWidget* parent = nullptr);

    // Colour of gradient brush i (0..63) for the given hover / lit state.
    static QColor faceColor(bool hover, bool lit, int i);

    bool isHover() const { return m_bHover; }
    bool isFocused() const { return m_bFocused; }
    bool isLit() const { return m_bLit; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void DrawItem(QPainter& p);
    void PaintFace(QPainter& p, const QRect& face) const;
    void PaintRim(QPainter& p, const QRect& face) const;

    bool m_bHover = false;
    bool m_bFocused = false;
    bool m_bLit = false;
};
