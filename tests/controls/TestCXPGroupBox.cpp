#include "PixelProbe.h"
#include "controls/CXPGroupBox.h"

#include <QFontMetrics>
#include <QTest>

namespace {
constexpr quint32 kBandRef = 0xE7A27B, kBodyRef = 0xF7DFD6;
const QColor kBand(123, 162, 231), kBody(214, 223, 247), kFill(Qt::magenta);
constexpr int kW = 240, kH = 160;
} // namespace

class TestCXPGroupBox : public QObject {
    Q_OBJECT
private slots:
    void looks_data() {
        QTest::addColumn<int>("look");
        QTest::newRow("frame") << 0;
        QTest::newRow("banded 1") << 1;
        QTest::newRow("banded 2") << 2;
    }
    void looks() {
        QFETCH(int, look);
        CXPGroupBox box(QStringLiteral("控制区域"));
        box.resize(kW, kH);
        CXPGroupBox& chained =
            box.SetLook(look).SetFillColors(kBandRef, kBodyRef).SetCaptionBold(true);
        QCOMPARE(&chained, &box);
        QCOMPARE(CXPGroupBox::FromColorRef(kBandRef), kBand);
        const QImage img = RenderOver(box, kFill);
        const QColor frame = box.FrameColor();
        const QRect c = box.CaptionRect();
        const int cy = QFontMetrics(box.CaptionFont()).height();
        QCOMPARE(c.height(), cy);
        QVERIFY(DarkBox(img, c).isValid());
        QCOMPARE(At(img, 0, kH / 2), kFill);
        if (look == 0) {
            // Outline through the caption's middle, patch behind it, body unpainted.
            QCOMPARE(c.top(), 1);
            QCOMPARE(At(img, c.left() + 1, 1 + cy / 2), kBand);
            QCOMPARE(At(img, c.right() + 3, 1 + cy / 2), frame);
            QCOMPARE(At(img, 1, kH / 2), frame);
            QCOMPARE(At(img, kW / 2, kH / 2), kFill);
            QCOMPARE(At(img, kW / 2, kH - 2), frame);
        } else {
            // A band cy + 4 high with rounded upper corners, its line, the body.
            const int line = 1 + cy + 4;
            QCOMPARE(c.top(), 3);
            QCOMPARE(At(img, kW - 20, line / 2), kBand);
            QCOMPARE(At(img, kW / 2, line - 1), kBand);
            QCOMPARE(At(img, kW / 2, line), frame);
            QCOMPARE(At(img, kW / 2, line + 1), kBody);
            QCOMPARE(At(img, kW / 2, kH - 3), kBody);
            QCOMPARE(At(img, 1, kH - 2), frame);
            QCOMPARE(At(img, 1, 1), kFill);
        }
    }

    void captionPlace_data() {
        QTest::addColumn<int>("look");
        QTest::addColumn<int>("align");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("inset"); // from the side of the rectangle shrunk by 1
        QTest::newRow("frame left") << 0 << 0 << 0 << 10;
        QTest::newRow("frame 3 is left") << 0 << 3 << 0 << 10;
        QTest::newRow("frame -1 is left") << 0 << -1 << 0 << 10;
        QTest::newRow("frame right") << 0 << 2 << 2 << 10;
        QTest::newRow("frame centre") << 0 << 1 << 1 << -1;
        QTest::newRow("banded left") << 1 << 0 << 0 << 2;
        QTest::newRow("banded right") << 1 << 2 << 2 << 2;
    }
    void captionPlace() {
        QFETCH(int, look);
        QFETCH(int, align);
        QFETCH(int, stored);
        QFETCH(int, inset);
        CXPGroupBox box(QStringLiteral("时间"));
        box.resize(kW, kH);
        box.SetLook(look).SetFillColors(kBandRef, kBodyRef).SetCaptionAlign(align);
        QCOMPARE(box.Align(), stored);
        const QImage img = RenderOver(box, kFill);
        const QRect c = box.CaptionRect();
        // The measured width includes the two added spaces.
        QCOMPARE(c.width(),
                 QFontMetrics(box.CaptionFont()).horizontalAdvance(QStringLiteral(" 时间 ")));
        if (stored == 0)
            QCOMPARE(c.left(), 1 + inset);
        else if (stored == 2)
            QCOMPARE(c.left() + c.width(), kW - 1 - inset);
        else
            QCOMPARE(c.left(), 1 + (kW - 2 - c.width()) / 2);
        QVERIFY(c.contains(DarkBox(img, QRect(0, 0, kW, c.bottom() + 3))));
        if (look == 0) {
            QCOMPARE(At(img, c.left(), c.center().y()), kBand);
            QVERIFY(At(img, c.left() - 1, c.center().y()) != kBand);
        }
    }

    void captionAndFont() {
        CXPGroupBox box(QStringLiteral("控制区域"));
        box.resize(kW, kH);
        QVERIFY(box.Caption().isEmpty());
        RenderOver(box, kFill);
        QCOMPARE(box.Caption(), QStringLiteral(" 控制区域 "));
        box.setTitle(QStringLiteral("别的")); // the window text is read only once
        RenderOver(box, kFill);
        QCOMPARE(box.Caption(), QStringLiteral(" 控制区域 "));
        box.SetCaption(QString());
        QCOMPARE(box.Caption(), QStringLiteral("  "));

        QFont heavy = box.font();
        heavy.setWeight(QFont::Black);
        box.SetCaptionFont(heavy).SetCaptionBold(false);
        QCOMPARE(int(box.CaptionFont().weight()), 400);
        box.SetCaptionBold(true).SetCaptionItalic(1).SetCaptionPointSize(14);
        QCOMPARE(int(box.CaptionFont().weight()), 700);
        QVERIFY(box.CaptionFont().italic());
        QCOMPARE(box.CaptionFont().pointSize(), 14);
        box.SetCaptionFace(QString(40, QLatin1Char('A')));
        QCOMPARE(box.CaptionFont().families().value(0).size(), 31);

        // A centred caption wider than the box starts left of it.
        box.resize(40, 60);
        box.SetCaption(QStringLiteral("一个很长很长的标题")).SetCaptionAlign(1);
        QVERIFY(box.CaptionRect().left() < 1);
    }
};

QTEST_MAIN(TestCXPGroupBox)
#include "TestCXPGroupBox.moc"
