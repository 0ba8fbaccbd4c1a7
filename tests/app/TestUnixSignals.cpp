#include "app/UnixSignals.h"

#include <QtTest>
#include <csignal>

class TestUnixSignals : public QObject {
    Q_OBJECT
private slots:
    // Each way the session or a terminal ends the program arrives as a Qt signal; one that is
    // not handled ends this test instead.
    void arrives() {
        for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
            UnixSignals watch;
            QSignalSpy received(&watch, &UnixSignals::received);
            QCOMPARE(::raise(signalNumber), 0);
            QTRY_COMPARE(received.size(), 1);
            QCOMPARE(received[0][0].toInt(), signalNumber);
        }
    }
};

QTEST_MAIN(TestUnixSignals)
#include "TestUnixSignals.moc"
