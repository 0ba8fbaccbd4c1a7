#pragma once

#include <QColor>
#include <QLabel>

// Label that draws its text straight over whatever lies behind it.
class CInkStatic : public QLabel {
    Q_OBJECT
public:
    explicit CInkStatic(QWidget* parent = nullptr);
    explicit CInkStatic(const QString& text, QWidget* parent = nullptr);

    QColor textColor() const { return m_clrText; }
    bool isTransparent() const { return m_bTransparent; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_bTransparent = true;
    QColor m_clrText{0, 0, 0};
};
