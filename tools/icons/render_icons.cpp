// Renders the program icon's PNG sizes from its SVG, so that every size is
// drawn from the one original and the results stay reproducible.
//
//   c++ -std=c++20 -O2 -fPIC tools/icons/render_icons.cpp -o render_icons \
//       $(pkg-config --cflags --libs Qt6Gui Qt6Svg)
//   QT_QPA_PLATFORM=offscreen ./render_icons res/icons/fruitwake.svg res/icons
//
// The committed res/icons/fruitwake-<size>.png are its output.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <icon.svg> <output dir>\n", argv[0]);
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[2]));
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            svg.render(&p, QRectF(0, 0, size, size));
        }
        const QString name = out.filePath(QStringLiteral("fruitwake-%1.png").arg(size));
        // No gamma or time chunks: the same SVG gives the same bytes.
        if (!image.convertToFormat(QImage::Format_ARGB32).save(name, "PNG", 9)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
            return 1;
        }
    }
    return 0;
}
