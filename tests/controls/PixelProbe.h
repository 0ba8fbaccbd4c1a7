#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

// Paints a widget (and its children) into an image over a known fill, without
// the widget's own window background, so what it paints itself can be told apart.
inline QImage RenderOver(QWidget& w, QColor fill, qreal ratio = 1.0) {
    QImage img((QSizeF(w.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(ratio);
    img.fill(fill);
    w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

inline QColor At(const QImage& img, int x, int y) {
    return img.pixelColor(x, y);
}

inline bool Near(QColor a, QColor b, int tolerance = 0) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// Bounding box (device pixels) of the pixels in `area` darker than `grey`.
inline QRect DarkBox(const QImage& img, QRect area, int grey = 110) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(img.pixel(x, y)) < grey)
                box |= QRect(x, y, 1, 1);
    return box;
}
