#include "controls/CInkStatic.h"

#include <QPainter>

CInkStatic::CInkStatic(QWidget* parent) : CInkStatic(QString(), parent) {}

CInkStatic::CInkStatic(const QString& text, QWidget* parent) : QLabel(parent) {
    // User text is never taken as markup.
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(true);
    setAutoFillBackground(false);
    setText(text);
}

void CInkStatic::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect client = rect();
    p.setClipRect(client);
    p.setFont(font());
    p.setPen(m_clrText);
    p.drawText(client, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text());
}
