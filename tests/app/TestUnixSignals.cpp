#include "app/UnixSignals.h"

#include <QSignalSpy>
#include <QTest>
#include <csignal>

namespace {
volatile sig_atomic_t g_seen = 0;
void Record(int s) {
    g_seen = s;
}
} // namespace

class TestUnixSignals : public QObject {
    Q_OBJECT
private slots:
    void deliveredOnTheEventLoop_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void deliveredOnTheEventLoop() {
        QFETCH(int, signalNumber);
        UnixSignals signals_;
        QVERIFY(signals_.isActive());
        QSignalSpy received(&signals_, &UnixSignals::received);
        QCOMPARE(::raise(signalNumber), 0);
        // Not inside the handler: only once the loop runs.
        QCOMPARE(received.size(), 0);
        QVERIFY(received.wait(10000));
        QCOMPARE(received.size(), 1);
        QCOMPARE(received.at(0).at(0).toInt(), signalNumber);
    }

    void severalAtOnce() {
        UnixSignals signals_;
        QSignalSpy received(&signals_, &UnixSignals::received);
        ::raise(SIGHUP);
        ::raise(SIGTERM);
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 2, 10000);
        QCOMPARE(received.at(0).at(0).toInt(), SIGHUP);
        QCOMPARE(received.at(1).at(0).toInt(), SIGTERM);
    }

    void previousHandlerRestored() {
        struct sigaction mine {};
        mine.sa_handler = Record;
        sigemptyset(&mine.sa_mask);
        struct sigaction before {};
        QCOMPARE(::sigaction(SIGHUP, &mine, &before), 0);
        {
            UnixSignals signals_;
            QVERIFY(signals_.isActive());
            // One at a time: a second would steal the first one's handler.
            QTest::ignoreMessage(QtWarningMsg, "UnixSignals: already installed");
            UnixSignals second;
            QVERIFY(!second.isActive());
        }
        ::raise(SIGHUP);
        QCOMPARE(int(g_seen), SIGHUP);
        ::sigaction(SIGHUP, &before, nullptr);
    }
};

QTEST_GUILESS_MAIN(TestUnixSignals)
#include "TestUnixSignals.moc"
