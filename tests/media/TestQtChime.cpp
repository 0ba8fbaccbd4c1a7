#include "SoundFakes.h"
#include "media/QtChime.h"

#include <QtTest>

class TestQtChime : public QObject {
    Q_OBJECT
private slots:
    // Nothing waits on a hung server: the chime is given up in time, and not
    // played late once the server answers. Ending does not wait for it
    // either; the thread cleans up once the server lets it go.
    void hungServerIsSkipped() {
        const auto server = std::make_shared<FakeServer>();
        auto chime = std::make_unique<QtChime>(std::make_unique<FakeChimeVoice>(server));
        QSignalSpy finished(chime.get(), &Chime::finished);
        server->gate.acquire();
        chime->prepare(); // hangs on the sound thread
        chime->play();
        QVERIFY(finished.wait(5000));
        server->gate.release();
        QTRY_COMPARE(server->warmed.load(), 1);
        chime->play(); // in time again
        QTRY_COMPARE(finished.size(), 2);
        QCOMPARE(server->played.load(), 1);
        server->gate.acquire();
        chime->play();
        chime.reset();
        server->gate.release();
        QTRY_COMPARE(server.use_count(), 1);
        QTest::qWait(20); // the thread's own deletion
    }
};

QTEST_GUILESS_MAIN(TestQtChime)
#include "TestQtChime.moc"
