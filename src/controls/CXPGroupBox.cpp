#include "controls/CXPGroupBox.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

// Longest face name the caption font description holds (31 bytes + end).
constexpr int kFaceNameRoom = 31;

} // namespace

CXPGroupBox::CXPGroupBox(QWidget* parent) : CXPGroupBox(QString(), parent) {}

CXPGroupBox::CXPGroupBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {
    const QPalette pal = palette();
    // Kept as plain opaque RGB, like every colour set later.
    m_clrFrame = fromColorRef(toColorRef(pal.color(QPalette::Dark)));
    m_clrBand = fromColorRef(toColorRef(pal.color(QPalette::Button)));
    m_clrBody = m_clrBand;
    m_clrCaption = fromColorRef(toColorRef(pal.color(QPalette::WindowText)));
    // The box paints all of its own background; children lie on it.
    setAutoFillBackground(false);
}

QColor CXPGroupBox::fromColorRef(quint32 colorRef) {
    return QColor(int(colorRef & 0xFF), int((colorRef >> 8) & 0xFF), int((colorRef >> 16) & 0xFF));
}

quint32 CXPGroupBox::toColorRef(const QColor& colour) {
    return quint32(colour.red()) | (quint32(colour.green()) << 8) | (quint32(colour.blue()) << 16);
}

CXPGroupBox& CXPGroupBox::SetFrameColor(quint32 colorRef) {
    m_clrFrame = fromColorRef(colorRef);
    RepaintInParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetCaptionColor(quint32 colorRef) {
    m_clrCaption = fromColorRef(colorRef);
    RepaintInParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetFillColors(quint32 band, quint32 body) {
    m_clrBand = fromColorRef(band);
    m_clrBody = fromColorRef(body);
    RepaintInParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetFillColor(quint32 colorRef) {
    m_clrBand = m_clrBody = fromColorRef(colorRef);
    RepaintInParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetLook(Look look) {
    m_look = look;
    RepaintInParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetCaption(const QString& text) {
    m_strCaption = QLatin1Char(' ') + text + QLatin1Char(' ');
    RepaintInParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetCaptionBold(bool bold) {
    m_fontCaption.setWeight(bold ? QFont::Bold : QFont::Normal);
    RepaintInParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetCaptionFace(const QString& face, quint8 /*charSet*/) {
    // The description has room for 31 bytes of name; a longer one is cut.
    QString name = face;
    while (name.toLocal8Bit().size() > kFaceNameRoom)
        name.chop(name.size() >= 2 && name.at(name.size() - 1).isLowSurrogate() ? 2 : 1);
    m_fontCaption.setFamilies({name});
    RepaintInParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetCaptionUnderline(quint8 underline) {
    m_fontCaption.setUnderline(underline != 0);
    RepaintInParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetCaptionItalic(quint8 italic) {
    m_fontCaption.setItalic(italic != 0);
    RepaintInParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetCaptionPointSize(int points) {
    if (points > 0)
        m_fontCaption.setPointSize(points);
    RepaintInParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetCaptionFont(const QFont& font) {
    m_fontCaption = font;
    RepaintInParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetCaptionAlign(CaptionAlign align) {
    m_align = align;
    RepaintInParent();
    return *this;
}

QFont CXPGroupBox::captionFont() const {
    return m_fontCaption.resolve(font());
}

void CXPGroupBox::takeWindowCaption() {
    // The window text is picked up once; afterwards the stored caption rules.
    if (m_strCaption.isEmpty() && !title().isEmpty())
        m_strCaption = QLatin1Char(' ') + title() + QLatin1Char(' ');
}

QRect CXPGroupBox::captionRect() const {
    const QRect r = rect().adjusted(1, 1, -1, -1);
    const int left = r.left();
    const int top = r.top();
    const int right = r.right() + 1; // exclusive
    int cx = 0;
    int cy = 0;
    QString caption = m_strCaption;
    if (caption.isEmpty() && !title().isEmpty())
        caption = QLatin1Char(' ') + title() + QLatin1Char(' ');
    if (!caption.isEmpty()) {
        const QFontMetrics fm(captionFont());
        cx = fm.horizontalAdvance(caption);
        cy = fm.height();
    }
    const bool frame = m_look == Look::Frame;
    const int inset = frame ? 10 : 2;
    const int ctop = frame ? top : top + 2;
    int cleft = left + inset;
    if (m_align == CaptionAlign::Centre)
        cleft = left + (right - left - cx) / 2;
    else if (m_align == CaptionAlign::Right)
        cleft = right - inset - cx;
    return QRect(cleft, ctop, cx, cy);
}

void CXPGroupBox::paintEvent(QPaintEvent*) {
    takeWindowCaption();
    QPainter p(this);
    const QRect r = rect().adjusted(1, 1, -1, -1);
    const QRect c = captionRect();
    const int cy = c.height();
    // Inside-the-rectangle 1-pixel outlines: centre the pen on the edge pixels.
    const auto inner = [](int l, int t, int r, int b) {
        return QRectF(l + 0.5, t + 0.5, r - l - 1, b - t - 1);
    };
    const int left = r.left();
    const int top = r.top();
    const int right = r.right() + 1; // exclusive
    const int bottom = r.bottom() + 1;
    p.setPen(QPen(m_clrFrame, 1));
    if (m_look == Look::Frame) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(inner(left, top + cy / 2, right, bottom), 5, 5);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setClipRect(c);
        p.fillRect(c, m_clrBand);
    } else {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setBrush(m_clrBand);
        p.drawRoundedRect(inner(left, top, right, bottom), 5, 5);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setBrush(m_clrBody);
        if (bottom - (top + cy + 4) > 0)
            p.drawRect(inner(left, top + cy + 4, right, bottom));
    }
    if (m_strCaption.isEmpty())
        return;
    p.setFont(captionFont());
    p.setPen(m_clrCaption);
    p.drawText(c, Qt::TextSingleLine | Qt::AlignVCenter | Qt::AlignLeft | Qt::TextDontClip,
               m_strCaption);
}

void CXPGroupBox::RepaintInParent() {
    update();
    if (QWidget* parent = parentWidget())
        parent->update(geometry());
}
