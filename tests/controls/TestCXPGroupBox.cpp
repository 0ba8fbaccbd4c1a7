#include "PixelProbe.h"
#include "controls/CXPGroupBox.h"

#include <QFontMetrics>
#include <QLabel>
#include <QTest>

namespace {

constexpr quint32 kBandRef = 0xE7A27B;
constexpr quint32 kBodyRef = 0xF7DFD6;
const QColor kBand(123, 162, 231);
const QColor kBody(214, 223, 247);
const QColor kFill(Qt::magenta);

constexpr int kW = 240;
constexpr int kH = 160;

} // namespace

class TestCXPGroupBox : public QObject {
    Q_OBJECT
private slots:
    void colorRef_data();
    void colorRef();
    void chainingReturnsSelf();
    void bandedLook_data();
    void bandedLook();
    void frameLookPatch();
    void captionPlace_data();
    void captionPlace();
    void captionTakenOnceFromTitle();
    void emptyCaption();
    void boldWeights();
    void longFaceNameIsCut();
    void childLabelShowsBody();
    void wideCentredCaption();
};

void TestCXPGroupBox::colorRef_data() {
    QTest::addColumn<quint32>("ref");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("band") << kBandRef << kBand;
    QTest::newRow("body") << kBodyRef << kBody;
    QTest::newRow("red is low") << quint32(0x0000FF) << QColor(255, 0, 0);
    QTest::newRow("top byte ignored") << quint32(0xFF00FF00) << QColor(0, 255, 0);
}

void TestCXPGroupBox::colorRef() {
    QFETCH(quint32, ref);
    QFETCH(QColor, colour);
    QCOMPARE(CXPGroupBox::FromColorRef(ref), colour);
    QCOMPARE(CXPGroupBox::ToColorRef(colour), ref & 0xFFFFFF);
}

void TestCXPGroupBox::chainingReturnsSelf() {
    CXPGroupBox box(QStringLiteral("控制区域"));
    CXPGroupBox& r = box.SetLook(1).SetFillColors(kBandRef, kBodyRef).SetCaptionBold(true);
    QCOMPARE(&r, &box);
    QCOMPARE(box.Look(), 1);
    QCOMPARE(box.BandColor(), kBand);
    QCOMPARE(box.BodyColor(), kBody);
    box.SetFillColor(0x000080).SetFrameColor(0x00FF00).SetCaptionColor(0xFF0000);
    QCOMPARE(box.BandColor(), QColor(128, 0, 0));
    QCOMPARE(box.BodyColor(), QColor(128, 0, 0));
    QCOMPARE(box.FrameColor(), QColor(0, 255, 0));
    QCOMPARE(box.CaptionColor(), QColor(0, 0, 255));
}

void TestCXPGroupBox::bandedLook_data() {
    QTest::addColumn<int>("look");
    QTest::newRow("1") << 1;
    QTest::newRow("2 is banded too") << 2;
    QTest::newRow("-1 is banded too") << -1;
}

void TestCXPGroupBox::bandedLook() {
    QFETCH(int, look);
    CXPGroupBox box(QStringLiteral("控制区域"));
    box.resize(kW, kH);
    box.SetLook(look).SetFillColors(kBandRef, kBodyRef).SetCaptionBold(true);
    const QImage img = RenderOver(box, kFill);
    const int cy = QFontMetrics(box.CaptionFont()).height();
    const int bandLine = 1 + cy + 4;
    // Band to the right of the caption, body below the band line.
    QCOMPARE(At(img, kW - 20, 1 + bandLine / 2), kBand);
    QCOMPARE(At(img, kW / 2, bandLine + 1), kBody);
    QCOMPARE(At(img, kW / 2, kH - 3), kBody);
    QCOMPARE(At(img, kW / 2, bandLine), box.FrameColor());
    QCOMPARE(At(img, kW / 2, bandLine - 1), kBand);
    // Square lower corners, rounded upper ones; the outer pixel ring is left alone.
    QCOMPARE(At(img, 1, kH - 2), box.FrameColor());
    QCOMPARE(At(img, 1, 1), kFill);
    QCOMPARE(At(img, 0, kH / 2), kFill);
    // The caption sits 2 px in, at the top of the band.
    QCOMPARE(box.CaptionRect().topLeft(), QPoint(3, 3));
    QVERIFY(DarkBox(img, box.CaptionRect()).isValid());
}

void TestCXPGroupBox::frameLookPatch() {
    CXPGroupBox box(QStringLiteral("预计时间"));
    box.resize(kW, kH);
    box.SetLook(0).SetFillColors(kBandRef, kBodyRef).SetCaptionAlign(1).SetCaptionBold(true);
    const QImage img = RenderOver(box, kFill);
    const QRect c = box.CaptionRect();
    const int cy = QFontMetrics(box.CaptionFont()).height();
    QCOMPARE(c.top(), 1);
    QCOMPARE(c.height(), cy);
    QCOMPARE(c.left(), 1 + (kW - 2 - c.width()) / 2);
    // The patch (leading space) is band coloured; just outside it the outline.
    QCOMPARE(At(img, c.left() + 1, c.top() + cy / 2), kBand);
    QCOMPARE(At(img, c.left() - 2, 1 + cy / 2), box.FrameColor());
    QCOMPARE(At(img, c.right() + 2, 1 + cy / 2), box.FrameColor());
    // The outline runs through the caption's middle; the body is not filled.
    QCOMPARE(At(img, 1, kH / 2), box.FrameColor());
    QCOMPARE(At(img, kW / 2, kH / 2), kFill);
    QCOMPARE(At(img, kW / 2, c.bottom() + 3), kFill);
    QCOMPARE(At(img, kW / 2, kH - 2), box.FrameColor());
    QVERIFY(DarkBox(img, c).isValid());
}

void TestCXPGroupBox::captionPlace_data() {
    QTest::addColumn<int>("look");
    QTest::addColumn<int>("align");
    QTest::addColumn<int>("storedAlign");
    QTest::addColumn<int>("inset"); // from the shrunk rectangle's side
    QTest::newRow("frame left") << 0 << 0 << 0 << 10;
    QTest::newRow("frame 3 is left") << 0 << 3 << 0 << 10;
    QTest::newRow("frame -1 is left") << 0 << -1 << 0 << 10;
    QTest::newRow("frame right") << 0 << 2 << 2 << 10;
    QTest::newRow("banded left") << 1 << 0 << 0 << 2;
    QTest::newRow("banded 7 is left") << 1 << 7 << 0 << 2;
    QTest::newRow("banded right") << 1 << 2 << 2 << 2;
}

void TestCXPGroupBox::captionPlace() {
    QFETCH(int, look);
    QFETCH(int, align);
    QFETCH(int, storedAlign);
    QFETCH(int, inset);
    CXPGroupBox box(QStringLiteral("时间"));
    box.resize(kW, kH);
    box.SetLook(look).SetFillColors(kBandRef, kBodyRef).SetCaptionAlign(align);
    QCOMPARE(box.Align(), storedAlign);
    const QImage img = RenderOver(box, kFill);
    const QRect c = box.CaptionRect();
    // The width includes the two added spaces.
    QCOMPARE(c.width(),
             QFontMetrics(box.CaptionFont()).horizontalAdvance(QStringLiteral(" 时间 ")));
    if (storedAlign == 0)
        QCOMPARE(c.left(), 1 + inset);
    else
        QCOMPARE(c.left() + c.width(), kW - 1 - inset);
    const QRect ink = DarkBox(img, QRect(0, 0, kW, c.bottom() + 3));
    QVERIFY(ink.isValid());
    QVERIFY(c.contains(ink));
    if (look == 0) {
        QCOMPARE(At(img, c.left(), c.top() + c.height() / 2), kBand);
        QVERIFY(At(img, c.left() - 1, c.top() + c.height() / 2) != kBand);
    }
}

void TestCXPGroupBox::captionTakenOnceFromTitle() {
    CXPGroupBox box(QStringLiteral("控制区域"));
    box.resize(kW, kH);
    QVERIFY(box.Caption().isEmpty());
    RenderOver(box, kFill);
    QCOMPARE(box.Caption(), QStringLiteral(" 控制区域 "));
    box.setTitle(QStringLiteral("别的"));
    RenderOver(box, kFill);
    QCOMPARE(box.Caption(), QStringLiteral(" 控制区域 "));
    box.SetCaption(QStringLiteral("新"));
    QCOMPARE(box.Caption(), QStringLiteral(" 新 "));
}

void TestCXPGroupBox::emptyCaption() {
    CXPGroupBox box(QStringLiteral("预计时间"));
    box.resize(kW, kH);
    box.SetLook(1).SetFillColors(kBandRef, kBodyRef).SetCaption(QString());
    QCOMPARE(box.Caption(), QStringLiteral("  "));
    RenderOver(box, kFill);
    QCOMPARE(box.Caption(), QStringLiteral("  "));

    // No caption at all: a band 4 px high.
    CXPGroupBox bare;
    bare.resize(kW, kH);
    bare.SetLook(1).SetFillColors(kBandRef, kBodyRef);
    const QImage img = RenderOver(bare, kFill);
    QVERIFY(bare.Caption().isEmpty());
    QCOMPARE(At(img, kW / 2, 5), bare.FrameColor());
    QCOMPARE(At(img, kW / 2, 6), kBody);
}

void TestCXPGroupBox::boldWeights() {
    CXPGroupBox box(QStringLiteral("x"));
    QFont heavy = box.font();
    heavy.setWeight(QFont::Black);
    box.SetCaptionFont(heavy);
    QCOMPARE(box.CaptionFont().weight(), QFont::Black);
    box.SetCaptionBold(false);
    QCOMPARE(int(box.CaptionFont().weight()), 400);
    box.SetCaptionBold(true);
    QCOMPARE(int(box.CaptionFont().weight()), 700);
    box.SetCaptionItalic(1).SetCaptionUnderline(1).SetCaptionPointSize(14);
    QVERIFY(box.CaptionFont().italic());
    QVERIFY(box.CaptionFont().underline());
    QCOMPARE(box.CaptionFont().pointSize(), 14);
    QCOMPARE(int(box.CaptionFont().weight()), 700);
}

void TestCXPGroupBox::longFaceNameIsCut() {
    CXPGroupBox box;
    box.SetCaptionFace(QString(40, QLatin1Char('A')));
    QCOMPARE(box.CaptionFont().families().value(0).size(), 31);
    box.SetCaptionFace(QStringLiteral("WenQuanYi Micro Hei"));
    QCOMPARE(box.CaptionFont().families().value(0), QStringLiteral("WenQuanYi Micro Hei"));
}

void TestCXPGroupBox::childLabelShowsBody() {
    CXPGroupBox box(QStringLiteral("控制区域"));
    box.resize(kW, kH);
    box.SetLook(1).SetFillColors(kBandRef, kBodyRef);
    auto* label = new QLabel(QStringLiteral("小时"), &box);
    label->setGeometry(20, 60, 80, 20);
    const QImage img = RenderOver(box, kFill);
    QCOMPARE(At(img, 98, 78), kBody);
    QVERIFY(DarkBox(img, label->geometry()).isValid());
}

void TestCXPGroupBox::wideCentredCaption() {
    CXPGroupBox box(QStringLiteral("一个很长很长的标题"));
    box.resize(40, 60);
    box.SetCaptionAlign(1);
    RenderOver(box, kFill);
    const QRect c = box.CaptionRect();
    QVERIFY(c.width() > 38);
    // Integer division toward zero of a negative span.
    QCOMPARE(c.left(), 1 + (38 - c.width()) / 2);
    QVERIFY(c.left() < 1);
}

QTEST_MAIN(TestCXPGroupBox)
#include "TestCXPGroupBox.moc"
