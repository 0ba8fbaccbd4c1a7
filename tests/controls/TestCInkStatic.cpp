#include "PixelProbe.h"
#include "controls/CInkStatic.h"

#include <QFontMetrics>
#include <QTest>

namespace {

const QColor kParent(120, 220, 140);

// A coloured parent with one label on it.
struct Scene {
    QWidget parent;
    CInkStatic* label;
    explicit Scene(const QString& text, QRect geometry) {
        parent.resize(200, 120);
        parent.setAutoFillBackground(true);
        QPalette pal = parent.palette();
        pal.setColor(QPalette::Window, kParent);
        parent.setPalette(pal);
        label = new CInkStatic(text, &parent);
        label->setGeometry(geometry);
    }
    QImage Render() {
        QImage img(parent.size(), QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::white);
        parent.render(&img);
        return img;
    }
};

int LineCount(const QRect& ink, const QFont& font) {
    const int line = QFontMetrics(font).lineSpacing();
    return ink.isValid() ? (ink.height() + line - 1) / line : 0;
}

} // namespace

class TestCInkStatic : public QObject {
    Q_OBJECT
private slots:
    void background();
    void wrapsAndClips_data();
    void wrapsAndClips();
    void plainText();
    void newTextShows();
};

void TestCInkStatic::background() {
    Scene s(QStringLiteral("作物选择："), QRect(20, 20, 120, 30));
    QVERIFY(s.label->IsTransparent());
    QCOMPARE(s.label->TextColor(), QColor(0, 0, 0));
    const QImage img = s.Render();
    // Every pixel of the label is the parent's colour or ink; the text is black.
    int ink = 0;
    for (int y = 20; y < 50; ++y)
        for (int x = 20; x < 140; ++x) {
            const QColor c = At(img, x, y);
            if (c == kParent)
                continue;
            ++ink;
            QVERIFY2(c.green() <= kParent.green() && c.red() <= kParent.red(), "not ink");
        }
    QVERIFY(ink > 0);
    QCOMPARE(At(img, 138, 48), kParent);
    QVERIFY(DarkBox(img, QRect(20, 20, 120, 30), 40).isValid());
}

void TestCInkStatic::wrapsAndClips_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("lines"); // that fit in the height given
    QTest::addColumn<int>("height");
    QTest::newRow("two by two") << QStringLiteral("当前时间") << 2 << 2 << 2;
    QTest::newRow("one line") << QStringLiteral("当前时间") << 5 << 1 << 2;
    QTest::newRow("words") << QStringLiteral("abcd efgh ijkl") << 3 << 3 << 3;
    QTest::newRow("cut below") << QStringLiteral("一二三四五六七八") << 2 << 2 << 2;
}

void TestCInkStatic::wrapsAndClips() {
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(int, lines);
    QFETCH(int, height);
    // Sizes in widths of the widest glyph and in line heights of the label font.
    CInkStatic probe;
    const QFontMetrics fm(probe.font());
    const int cw = fm.horizontalAdvance(QStringLiteral("当"));
    const QRect g(10, 10, width * cw + cw / 2, height * fm.lineSpacing());
    Scene s(text, g);
    const QImage img = s.Render();
    const QRect ink = DarkBox(img, QRect(0, 0, 200, 120));
    QVERIFY(ink.isValid());
    QVERIFY(g.contains(ink));
    QCOMPARE(LineCount(ink, s.label->font()), lines);
}

void TestCInkStatic::plainText() {
    Scene s(QStringLiteral("<b>x</b>"), QRect(10, 10, 180, 30));
    QCOMPARE(s.label->textFormat(), Qt::PlainText);
    const QImage img = s.Render();
    const QRect ink = DarkBox(img, QRect(0, 0, 200, 120));
    const QFontMetrics fm(s.label->font());
    // Eight characters' worth of ink, not one bold x.
    QVERIFY(ink.width() > fm.horizontalAdvance(QStringLiteral("<b>x</b>")) * 3 / 4);
}

void TestCInkStatic::newTextShows() {
    Scene s(QStringLiteral("备注："), QRect(10, 10, 180, 30));
    const QRect before = DarkBox(s.Render(), QRect(0, 0, 200, 120));
    s.label->setText(QStringLiteral("备注上好友名字吧^_^"));
    const QRect after = DarkBox(s.Render(), QRect(0, 0, 200, 120));
    QVERIFY(after.width() > before.width() * 2);
    QCOMPARE(after.left(), before.left());
}

QTEST_MAIN(TestCInkStatic)
#include "TestCInkStatic.moc"
