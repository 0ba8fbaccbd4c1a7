#include "PixelProbe.h"
#include "controls/CRimGlowButton.h"

#include <QApplication>
#include <QEnterEvent>
#include <QTest>

namespace {

constexpr int kW = 80;
constexpr int kH = 30; // face rows 2..28, rim rows 1..2 and 27..28

const QColor kHoverLeft(250, 196, 88);
const QColor kHoverBottom(229, 151, 0);
const QColor kFocusLeft(153, 198, 252);
const QColor kFocusBottom(162, 201, 255);

void Hover(QWidget& w) {
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&w, &enter);
}

void Leave(QWidget& w) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&w, &leave);
}

} // namespace

class TestCRimGlowButton : public QObject {
    Q_OBJECT
private slots:
    void faceColourEnds_data();
    void faceColourEnds();
    void gradientRows_data();
    void gradientRows();
    void rim_data();
    void rim();
    void leaveEndsHover();
    void disabledNeverLights();
    void pressedShiftsCaptionOnly();
    void emptyCaptionStillDrawsFace();
    void zeroHeightFace();
    void rimAtDoubleRatio();
};

void TestCRimGlowButton::faceColourEnds_data() {
    QTest::addColumn<bool>("hover");
    QTest::addColumn<bool>("lit");
    QTest::addColumn<QColor>("last");
    QTest::newRow("hover lit") << true << true << QColor(240, 240, 234);
    QTest::newRow("hover") << true << false << QColor(240, 240, 243);
    QTest::newRow("lit") << false << true << QColor(234, 234, 240);
    QTest::newRow("idle") << false << false << QColor(234, 234, 243);
}

void TestCRimGlowButton::faceColourEnds() {
    QFETCH(bool, hover);
    QFETCH(bool, lit);
    QFETCH(QColor, last);
    QCOMPARE(CRimGlowButton::FaceColor(hover, lit, 0), QColor(255, 255, 255));
    QCOMPARE(CRimGlowButton::FaceColor(hover, lit, 63), last);
}

void TestCRimGlowButton::gradientRows_data() {
    QTest::addColumn<bool>("hover");
    QTest::addColumn<bool>("isDefault");
    QTest::addColumn<int>("y");
    QTest::addColumn<QColor>("colour");
    // Without a rim the face's first and last rows show; under hover the rim
    // covers them, so rows 3 (brush 2) and 26 (brush 24*63/26 = 58) are checked.
    QTest::newRow("idle first") << false << false << 2 << QColor(255, 255, 255);
    QTest::newRow("idle last") << false << false << 28 << QColor(234, 234, 243);
    QTest::newRow("lit first") << false << true << 2 << QColor(255, 255, 255);
    QTest::newRow("lit last") << false << true << 28 << QColor(234, 234, 240);
    QTest::newRow("hover first") << true << false << 3 << QColor(255, 255, 255);
    QTest::newRow("hover last") << true << false << 26 << QColor(241, 241, 244);
    QTest::newRow("hover lit first") << true << true << 3 << QColor(255, 255, 255);
    QTest::newRow("hover lit last") << true << true << 26 << QColor(241, 241, 236);
}

void TestCRimGlowButton::gradientRows() {
    QFETCH(bool, hover);
    QFETCH(bool, isDefault);
    QFETCH(int, y);
    QFETCH(QColor, colour);
    CRimGlowButton b(QStringLiteral("添加"));
    b.resize(kW, kH);
    b.setDefault(isDefault);
    if (hover)
        Hover(b);
    const QImage img = RenderOver(b, Qt::magenta);
    QCOMPARE(b.IsLit(), isDefault);
    QCOMPARE(At(img, 5, y), colour);
    QCOMPARE(At(img, kW - 6, y), colour);
}

void TestCRimGlowButton::rim_data() {
    QTest::addColumn<bool>("hover");
    QTest::addColumn<bool>("focus");
    QTest::addColumn<QColor>("left");
    QTest::addColumn<QColor>("bottom");
    QTest::newRow("hover") << true << false << kHoverLeft << kHoverBottom;
    QTest::newRow("focus") << false << true << kFocusLeft << kFocusBottom;
    QTest::newRow("hover wins over focus") << true << true << kHoverLeft << kHoverBottom;
    QTest::newRow("none") << false << false << QColor() << QColor();
}

void TestCRimGlowButton::rim() {
    QFETCH(bool, hover);
    QFETCH(bool, focus);
    QFETCH(QColor, left);
    QFETCH(QColor, bottom);
    QWidget window;
    window.resize(200, 100);
    auto* b = new CRimGlowButton(QStringLiteral("删除"), &window);
    b->setGeometry(10, 10, kW, kH);
    auto* other = new CRimGlowButton(QStringLiteral("试听"), &window);
    other->setGeometry(10, 50, kW, kH);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window, 10000));
    (focus ? b : other)->setFocus();
    QCOMPARE(b->hasFocus(), focus);
    if (hover)
        Hover(*b);
    const QImage img = RenderOver(*b, Qt::magenta);
    QCOMPARE(b->IsFocused(), focus);
    const QColor leftPixel = At(img, 2, kH / 2);
    const QColor bottomPixel = At(img, kW / 2, kH - 2);
    if (left.isValid()) {
        QCOMPARE(leftPixel, left);
        QCOMPARE(bottomPixel, bottom);
        // The rim is three pixels wide on the left, and the face starts after it.
        QCOMPARE(At(img, 1, kH / 2), left);
        QCOMPARE(At(img, 3, kH / 2), left);
        QVERIFY(At(img, 4, kH / 2) != left);
    } else {
        for (const QColor& c : {kHoverLeft, kFocusLeft})
            QVERIFY(leftPixel != c);
        for (const QColor& c : {kHoverBottom, kFocusBottom})
            QVERIFY(bottomPixel != c);
    }
}

void TestCRimGlowButton::leaveEndsHover() {
    CRimGlowButton b(QStringLiteral("添加"));
    b.resize(kW, kH);
    Hover(b);
    QVERIFY(b.IsHover());
    QCOMPARE(At(RenderOver(b, Qt::magenta), 2, kH / 2), kHoverLeft);
    Leave(b);
    QVERIFY(!b.IsHover());
    QVERIFY(At(RenderOver(b, Qt::magenta), 2, kH / 2) != kHoverLeft);
}

void TestCRimGlowButton::disabledNeverLights() {
    CRimGlowButton b(QStringLiteral("下一季开始"));
    b.resize(100, kH);
    b.setEnabled(false);
    Hover(b);
    QVERIFY(!b.IsHover());
    const QImage img = RenderOver(b, Qt::magenta);
    QCOMPARE(At(img, 2, kH / 2), CRimGlowButton::FaceColor(false, false, (kH / 2 - 2) * 63 / 26));
    // Embossed caption: grey letters over white ones, nothing black.
    const QRect face(4, 3, 100 - 8, kH - 6);
    QVERIFY(DarkBox(img, face, 200).isValid());
    QVERIFY(!DarkBox(img, face, 60).isValid());

    // Hovering when it is enabled again and then disabled drops the light.
    b.setEnabled(true);
    Hover(b);
    QVERIFY(b.IsHover());
    b.setEnabled(false);
    QVERIFY(!b.IsHover());
}

void TestCRimGlowButton::pressedShiftsCaptionOnly() {
    CRimGlowButton b(QStringLiteral("提醒音乐选择"));
    b.resize(120, kH);
    const QRect face(4, 3, 120 - 8, kH - 6);
    const QImage up = RenderOver(b, Qt::magenta);
    b.setDown(true);
    const QImage down = RenderOver(b, Qt::magenta);
    const QRect a = DarkBox(up, face);
    const QRect c = DarkBox(down, face);
    QVERIFY(a.isValid());
    QCOMPARE(c, a.translated(1, 1));
    // The outline stays where it was.
    QCOMPARE(At(down, 60, 0), At(up, 60, 0));
    QCOMPARE(At(down, 0, kH / 2), At(up, 0, kH / 2));
}

void TestCRimGlowButton::emptyCaptionStillDrawsFace() {
    CRimGlowButton b;
    b.resize(kW, kH);
    const QImage img = RenderOver(b, Qt::magenta);
    QVERIFY(!DarkBox(img, QRect(4, 3, kW - 8, kH - 6)).isValid());
    QCOMPARE(At(img, kW / 2, 28), QColor(234, 234, 243));
    QCOMPARE(At(img, kW / 2, 0), QColor(0, 0, 0));
}

void TestCRimGlowButton::zeroHeightFace() {
    CRimGlowButton b(QStringLiteral("x"));
    for (int h : {1, 2, 4, 5}) {
        b.resize(kW, h);
        Hover(b);
        const QImage img = RenderOver(b, Qt::magenta);
        QCOMPARE(img.height(), h);
    }
}

void TestCRimGlowButton::rimAtDoubleRatio() {
    CRimGlowButton b(QStringLiteral("添加"));
    b.resize(kW, kH);
    Hover(b);
    const QImage img = RenderOver(b, Qt::magenta, 2.0);
    QCOMPARE(img.width(), 2 * kW);
    // Logical columns 1..3 are rim: device columns 2..7, with a sharp edge.
    QCOMPARE(At(img, 2, kH), kHoverLeft);
    QCOMPARE(At(img, 7, kH), kHoverLeft);
    QVERIFY(At(img, 8, kH) != kHoverLeft);
    QCOMPARE(At(img, kW, 2 * kH - 3), kHoverBottom);
    QCOMPARE(At(img, kW, 2 * kH - 1), QColor(0, 0, 0));
    // Drawn at full resolution, not a 1x picture blown up: some 2x2 blocks of
    // the caption are not uniform.
    int mixed = 0;
    for (int y = 6; y + 1 < 2 * kH - 6; y += 2)
        for (int x = 8; x + 1 < 2 * kW - 8; x += 2) {
            const QRgb p = img.pixel(x, y);
            if (img.pixel(x + 1, y) != p || img.pixel(x, y + 1) != p ||
                img.pixel(x + 1, y + 1) != p)
                ++mixed;
        }
    QVERIFY(mixed > 0);
}

QTEST_MAIN(TestCRimGlowButton)
#include "TestCRimGlowButton.moc"
