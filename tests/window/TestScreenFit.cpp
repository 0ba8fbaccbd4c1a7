#include "window/ScreenFit.h"

#include <QtTest>

class TestScreenFit : public QObject {
    Q_OBJECT
private slots:
    // Inside 721 x 744 with a table of 369; frame 4/24/4/4 unless told.
    void screenFit_data() {
        QTest::addColumn<QSize>("available");
        QTest::addColumn<int>("frameTop");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<int>("shrink");
        QTest::newRow("exactly") << QSize(729, 772) << 24 << QSize(721, 744) << 0;
        QTest::newRow("1280x720") << QSize(1280, 720) << 24 << QSize(721, 692) << 52;
        QTest::newRow("no title bar") << QSize(1280, 720) << 0 << QSize(721, 716) << 28;
        QTest::newRow("1024x600") << QSize(1024, 600) << 24 << QSize(721, 572) << 172;
        QTest::newRow("table at its least") << QSize(800, 400) << 24 << QSize(721, 372) << 309;
        QTest::newRow("narrow and low") << QSize(640, 300) << 24 << QSize(632, 272) << 309;
    }
    void screenFit() {
        QFETCH(QSize, available);
        QFETCH(int, frameTop);
        const auto r =
            ScreenFit::fit({QSize(721, 744), 369, 60}, QMargins(4, frameTop, 4, 4), available);
        QTEST(r.client, "client");
        QTEST(r.shrink, "shrink");
    }
};

QTEST_MAIN(TestScreenFit)
#include "TestScreenFit.moc"
