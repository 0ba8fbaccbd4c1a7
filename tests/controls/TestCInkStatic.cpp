#include "PixelProbe.h"
#include "controls/CInkStatic.h"

#include <QFontMetrics>
#include <QTest>

class TestCInkStatic : public QObject {
    Q_OBJECT
private slots:
    void inkOnParent_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");  // in glyph widths, plus a half
        QTest::addColumn<int>("height"); // in lines
        QTest::addColumn<int>("lines");  // of ink
        QTest::newRow("two by two") << QStringLiteral("当前时间") << 2 << 2 << 2;
        QTest::newRow("one line") << QStringLiteral("当前时间") << 5 << 2 << 1;
        QTest::newRow("words") << QStringLiteral("abcd efgh ijkl") << 3 << 3 << 3;
        QTest::newRow("cut below") << QStringLiteral("一二三四五六七八") << 2 << 2 << 2;
        QTest::newRow("markup shown as text") << QStringLiteral("<b>x</b>") << 8 << 1 << 1;
    }
    void inkOnParent() {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, lines);
        const QColor back(120, 220, 140);
        QWidget parent;
        parent.resize(200, 120);
        parent.setAutoFillBackground(true);
        QPalette pal = parent.palette();
        pal.setColor(QPalette::Window, back);
        parent.setPalette(pal);
        auto* label = new CInkStatic(QStringLiteral("x"), &parent);
        label->setText(text); // changed at run time
        const QFontMetrics fm(label->font());
        const int cw = fm.horizontalAdvance(QStringLiteral("当"));
        const QRect g(10, 10, width * cw + cw / 2, height * fm.lineSpacing());
        label->setGeometry(g);
        const QImage img = RenderOver(parent, Qt::white);
        const QRect ink = DarkBox(img, img.rect());
        QVERIFY(ink.isValid());
        QVERIFY(g.contains(ink));
        QCOMPARE((ink.height() + fm.lineSpacing() - 1) / fm.lineSpacing(), lines);
        QVERIFY(DarkBox(img, g, 40).isValid()); // black text
        // No background of its own: outside the ink the parent's colour shows.
        QCOMPARE(At(img, g.right(), g.bottom()), back);
        QCOMPARE(At(img, g.left(), ink.bottom() + 1), back);
        if (text.startsWith(QLatin1Char('<')))
            QVERIFY(ink.width() > fm.horizontalAdvance(text) * 3 / 4);
    }
};

QTEST_MAIN(TestCInkStatic)
#include "TestCInkStatic.moc"
