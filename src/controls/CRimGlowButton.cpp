#include "controls/CRimGlowButton.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>

namespace {

// Edge width the face is inset by on every side.
constexpr int kEdge = 2;

const QColor kOutline(0, 0, 0);
const QColor kHoverLeft(250, 196, 88);
const QColor kHoverRight(251, 202, 106);
const QColor kHoverTop(252, 210, 121);
const QColor kHoverBottom(229, 151, 0);
const QColor kFocusLeft(153, 198, 252);
const QColor kFocusRight(162, 189, 252);
const QColor kFocusTop(162, 201, 255);
const QColor kFocusBottom(162, 201, 255);
// Embossed caption of a disabled button, as the system draws it.
const QColor kEmbossLight(255, 255, 255);
const QColor kEmbossShadow(128, 128, 128);

// A pen line from `from` up to, not including, `to` (one of the coordinates
// equal), `width` pixels thick and centred on it, as filled pixels.
QRect lineCells(QPoint from, QPoint to, int width) {
    const int lo = -(width / 2);
    if (from.x() == to.x()) {
        const int step = to.y() > from.y() ? 1 : -1;
        const int last = to.y() - step;
        const int top = std::min(from.y(), last);
        const int bottom = std::max(from.y(), last);
        return QRect(from.x() + lo, top, width, bottom - top + 1);
    }
    const int step = to.x() > from.x() ? 1 : -1;
    const int last = to.x() - step;
    const int left = std::min(from.x(), last);
    const int right = std::max(from.x(), last);
    return QRect(left, from.y() + lo, right - left + 1, width);
}

qreal targetPixelRatio(const QWidget* widget, QPainter& target) {
    qreal ratio = widget->devicePixelRatioF();
    // Painting may be redirected (render() into an image): follow that device.
    if (QPaintEngine* engine = target.paintEngine())
        if (QPaintDevice* device = engine->paintDevice())
            ratio = device->devicePixelRatioF();
    return ratio > 0 ? ratio : 1.0;
}

} // namespace

CRimGlowButton::CRimGlowButton(QWidget* parent) : QPushButton(parent) {
    setAttribute(Qt::WA_Hover);
}

CRimGlowButton::CRimGlowButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setAttribute(Qt::WA_Hover);
}

QColor CRimGlowButton::faceColor(bool hover, bool lit, int i) {
    i = std::clamp(i, 0, 63);
    const int a = 255 - i / (hover ? 4 : 3);
    const int b = 255 - i / (lit ? (hover ? 3 : 4) : 5);
    return QColor(a, a, b);
}

QSize CRimGlowButton::sizeHint() const {
    const QFontMetrics fm(font());
    const QSize extent = fm.size(Qt::TextShowMnemonic, text());
    return QSize(extent.width() + 4 * kEdge + 8, extent.height() + 4 * kEdge + 4);
}

void CRimGlowButton::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    // A disabled button never lights.
    if (!isEnabled())
        return;
    m_bHover = true;
    update();
}

void CRimGlowButton::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    m_bHover = false;
    update();
}

void CRimGlowButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled() && m_bHover) {
        m_bHover = false;
        update();
    }
}

void CRimGlowButton::paintEvent(QPaintEvent*) {
    QPainter target(this);
    const qreal ratio = targetPixelRatio(this, target);
    // Drawn off screen first and copied in one go, so the button never flickers.
    QPixmap buffer((QSizeF(size()) * ratio).toSize());
    buffer.setDevicePixelRatio(ratio);
    buffer.fill(Qt::transparent);
    {
        QPainter p(&buffer);
        DrawItem(p);
    }
    target.drawPixmap(0, 0, buffer);
}

void CRimGlowButton::DrawItem(QPainter& p) {
    const QRect item = rect();
    const QString caption = text();

    // Outline: 1-pixel black pen inside the rectangle, 5x5 corner ellipse.
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(item).adjusted(0.5, 0.5, -0.5, -0.5), 2.5, 2.5);
    p.setRenderHint(QPainter::Antialiasing, false);

    m_bFocused = hasFocus();
    const bool pressed = isDown();
    m_bLit = m_bFocused || pressed || isDefault();
    const bool disabled = !isEnabled();
    const bool hover = m_bHover && !disabled;

    // Face in exclusive coordinates: left, top, right, bottom.
    const QRect face(QPoint(item.left() + kEdge, item.top() + kEdge),
                     QPoint(item.right() + 1 - kEdge, item.bottom() + 1 - kEdge));
    PaintFace(p, face);
    if (hover || m_bFocused)
        PaintRim(p, face);

    if (caption.isEmpty())
        return;
    p.setFont(font());
    const QFontMetrics fm(font());
    const QSize extent = fm.size(Qt::TextShowMnemonic | Qt::TextSingleLine, caption);
    const int cx = extent.width();
    const int cy = extent.height();
    int x = (face.left() + face.right()) / 2 - cx / 2;
    int y = (face.top() + face.bottom()) / 2 - cy / 2;
    if (pressed) {
        ++x;
        ++y;
    }
    const int flags = Qt::TextShowMnemonic | Qt::TextSingleLine | Qt::AlignLeft | Qt::AlignTop;
    if (disabled) {
        p.setPen(kEmbossLight);
        p.drawText(QRect(x + 1, y + 1, cx, cy), flags, caption);
        p.setPen(kEmbossShadow);
    } else {
        p.setPen(Qt::black);
    }
    p.drawText(QRect(x, y, cx, cy), flags, caption);
}

// `face` carries exclusive right/bottom in its right()/bottom().
void CRimGlowButton::PaintFace(QPainter& p, const QRect& face) const {
    const int left = face.left();
    const int top = face.top();
    const int right = face.right();
    const int h = face.bottom() - top;
    // A face no taller than the edges has no gradient to draw.
    if (h <= 0 || right <= left)
        return;
    QColor brushes[64];
    const bool hover = m_bHover && isEnabled();
    for (int i = 0; i < 64; ++i)
        brushes[i] = faceColor(hover, m_bLit, i);
    for (int k = 0; k <= h; ++k)
        p.fillRect(QRect(left, top + k, right - left, 1), brushes[k * 63 / h]);
}

void CRimGlowButton::PaintRim(QPainter& p, const QRect& face) const {
    const int left = face.left();
    const int top = face.top();
    const int right = face.right();
    const int bottom = face.bottom();
    const bool hover = m_bHover && isEnabled();
    const bool focusSet = m_bFocused && !hover;
    p.fillRect(lineCells({left, bottom - 1}, {left, top + 1}, 3),
               focusSet ? kFocusLeft : kHoverLeft);
    p.fillRect(lineCells({right - 1, bottom - 1}, {right - 1, top}, 3),
               focusSet ? kFocusRight : kHoverRight);
    p.fillRect(lineCells({left - 1, top}, {right - 1, top}, 2), focusSet ? kFocusTop : kHoverTop);
    p.fillRect(lineCells({left, bottom}, {right - 1, bottom}, 2),
               focusSet ? kFocusBottom : kHoverBottom);
}
