#include "PixelProbe.h"
#include "controls/CRimGlowButton.h"

#include <QApplication>
#include <QEnterEvent>
#include <QTest>

namespace {
constexpr int kW = 80;
constexpr int kH = 30; // face rows 2..28; rim rows 1..2 and 27..28, columns 1..3
const QColor kHoverLeft(250, 196, 88), kHoverBottom(229, 151, 0);
const QColor kFocusLeft(153, 198, 252), kFocusBottom(162, 201, 255);
const QRect kFace(4, 3, kW - 8, kH - 6);

void Hover(QWidget& w) {
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&w, &enter);
}
} // namespace

class TestCRimGlowButton : public QObject {
    Q_OBJECT
private slots:
    void gradientRows_data() {
        QTest::addColumn<bool>("hover");
        QTest::addColumn<bool>("lit"); // as the default button
        QTest::addColumn<int>("y");
        QTest::addColumn<QColor>("colour");
        // Without a rim the first and last face rows show (brushes 0 and 63); under
        // hover the rim covers them, so rows 3 (brush 2) and 26 (brush 58) are read.
        QTest::newRow("idle first") << false << false << 2 << QColor(255, 255, 255);
        QTest::newRow("idle last") << false << false << 28 << QColor(234, 234, 243);
        QTest::newRow("lit first") << false << true << 2 << QColor(255, 255, 255);
        QTest::newRow("lit last") << false << true << 28 << QColor(234, 234, 240);
        QTest::newRow("hover first") << true << false << 3 << QColor(255, 255, 255);
        QTest::newRow("hover last") << true << false << 26 << QColor(241, 241, 244);
        QTest::newRow("hover lit first") << true << true << 3 << QColor(255, 255, 255);
        QTest::newRow("hover lit last") << true << true << 26 << QColor(241, 241, 236);
    }
    void gradientRows() {
        QFETCH(bool, hover);
        QFETCH(bool, lit);
        QFETCH(int, y);
        QFETCH(QColor, colour);
        CRimGlowButton b(QStringLiteral("添加"));
        b.resize(kW, kH);
        b.setDefault(lit);
        if (hover)
            Hover(b);
        const QImage img = RenderOver(b, Qt::magenta);
        QCOMPARE(At(img, 5, y), colour);
        QCOMPARE(At(img, kW - 6, y), colour);
        QCOMPARE(CRimGlowButton::FaceColor(hover, lit, 0), QColor(255, 255, 255));
    }

    void rim_data() {
        QTest::addColumn<bool>("hover");
        QTest::addColumn<bool>("focus");
        QTest::addColumn<QColor>("left");
        QTest::addColumn<QColor>("bottom");
        QTest::newRow("hover") << true << false << kHoverLeft << kHoverBottom;
        QTest::newRow("focus") << false << true << kFocusLeft << kFocusBottom;
        QTest::newRow("hover wins over focus") << true << true << kHoverLeft << kHoverBottom;
        QTest::newRow("none: face shows")
            << false << false << QColor(245, 245, 249) << QColor(234, 234, 243);
    }
    void rim() {
        QFETCH(bool, hover);
        QFETCH(bool, focus);
        QFETCH(QColor, left);
        QFETCH(QColor, bottom);
        QWidget window;
        auto* b = new CRimGlowButton(QStringLiteral("删除"), &window);
        b->setGeometry(10, 10, kW, kH);
        auto* other = new CRimGlowButton(QStringLiteral("试听"), &window);
        other->setGeometry(10, 50, kW, kH);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window, 10000));
        (focus ? b : other)->setFocus();
        if (hover)
            Hover(*b);
        const QImage img = RenderOver(*b, Qt::magenta);
        QCOMPARE(At(img, 2, kH / 2), left);
        QCOMPARE(At(img, kW / 2, kH - 2), bottom);
        // Three pixels wide; the face starts after it.
        QCOMPARE(At(img, 1, kH / 2), hover || focus ? left : QColor(Qt::white));
        QVERIFY(At(img, 4, kH / 2) != kHoverLeft && At(img, 4, kH / 2) != kFocusLeft);
        // The pointer leaves: the warm rim goes.
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(b, &leave);
        QVERIFY(At(RenderOver(*b, Qt::magenta), 2, kH / 2) != kHoverLeft);
    }

    void disabledNeverLights() {
        CRimGlowButton b(QStringLiteral("下一季开始"));
        b.resize(kW, kH);
        b.setEnabled(false);
        Hover(b);
        QVERIFY(!b.IsHover());
        const QImage img = RenderOver(b, Qt::magenta);
        QCOMPARE(At(img, 2, kH / 2), QColor(245, 245, 249));
        // Embossed: grey letters over white ones, nothing black.
        QVERIFY(DarkBox(img, kFace, 200).isValid());
        QVERIFY(!DarkBox(img, kFace, 60).isValid());
        b.setEnabled(true);
        Hover(b);
        b.setEnabled(false);
        QVERIFY(!b.IsHover());
    }

    void pressedShiftsCaptionOnly() {
        CRimGlowButton b(QStringLiteral("提醒音乐选择"));
        b.resize(kW + 40, kH);
        const QImage up = RenderOver(b, Qt::magenta);
        b.setDown(true);
        const QImage down = RenderOver(b, Qt::magenta);
        const QRect area(4, 3, kW + 32, kH - 6);
        QVERIFY(DarkBox(up, area).isValid());
        QCOMPARE(DarkBox(down, area), DarkBox(up, area).translated(1, 1));
        QCOMPARE(At(down, 60, 0), At(up, 60, 0));
        QCOMPARE(At(down, 0, kH / 2), At(up, 0, kH / 2));
    }

    void doubleRatio() {
        CRimGlowButton b(QStringLiteral("添加"));
        b.resize(kW, kH);
        Hover(b);
        const QImage img = RenderOver(b, Qt::magenta, 2.0);
        // Logical rim columns 1..3 are device columns 2..7, with a sharp edge.
        QCOMPARE(At(img, 2, kH), kHoverLeft);
        QCOMPARE(At(img, 7, kH), kHoverLeft);
        QVERIFY(At(img, 8, kH) != kHoverLeft);
        QCOMPARE(At(img, kW, 2 * kH - 1), QColor(0, 0, 0));
        // Drawn at full resolution, not a 1x picture blown up: the caption has
        // 2x2 blocks that are not uniform.
        int mixed = 0;
        for (int y = 6; y + 1 < 2 * kH - 6; y += 2)
            for (int x = 8; x + 1 < 2 * kW - 8; x += 2) {
                const QRgb p = img.pixel(x, y);
                mixed += img.pixel(x + 1, y) != p || img.pixel(x, y + 1) != p;
            }
        QVERIFY(mixed > 0);
        // A face with no height draws without dividing by zero.
        b.resize(kW, 4);
        QCOMPARE(RenderOver(b, Qt::magenta).height(), 4);
    }
};

QTEST_MAIN(TestCRimGlowButton)
#include "TestCRimGlowButton.moc"
