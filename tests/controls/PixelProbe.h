#pragma once

#include <QImage>
#include <QWidget>

// Paints a widget and its children over a known fill, without its window
// background, so that only what it paints itself shows.
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

// Bounding box (device pixels) of the pixels in `area` darker than `grey`.
inline QRect DarkBox(const QImage& img, QRect area, int grey = 110) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(img.pixel(x, y)) < grey)
                box |= QRect(x, y, 1, 1);
    return box;
}
