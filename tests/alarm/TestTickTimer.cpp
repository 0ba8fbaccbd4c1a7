#include "alarm/TickTimer.h"

#include <QtTest>

class TestTickTimer : public QObject {
    Q_OBJECT
private slots:
    void delay_data() {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<int>("delay");
        const int s = TickTimer::kSlackMs;
        QTest::newRow("on the boundary") << qint64(1'700'000'000'000) << 1000 + s;
        QTest::newRow("woken on the aim point") << qint64(1'700'000'000'000) + s << 1000;
        QTest::newRow("late in the second") << qint64(1'700'000'000'999) << 1 + s;
        QTest::newRow("mid second") << qint64(1'700'000'000'400) << 600 + s;
        QTest::newRow("before the epoch") << qint64(-1) << 1 + s;
    }
    void delay() {
        QFETCH(qint64, ms);
        QFETCH(int, delay);
        QCOMPARE(TickTimer::DelayToNextSecond(ms), delay);
    }

    void ticksOnItsOwn() {
        TickTimer timer;
        QSignalSpy spy(&timer, &TickTimer::tick);
        timer.start();
        QVERIFY(timer.isActive());
        QVERIFY(spy.wait(30000));
        timer.stop();
        QVERIFY(!timer.isActive());
    }
};

QTEST_GUILESS_MAIN(TestTickTimer)
#include "TestTickTimer.moc"
