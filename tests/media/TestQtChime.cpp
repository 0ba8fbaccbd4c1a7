#include "SoundFakes.h"
#include "media/QtChime.h"

#include <QtTest>

class TestQtChime : public QObject {
    Q_OBJECT
private slots:
    // Nothing waits on a hung server: the chime is given up in time, and not
    // played late once the server answers.
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
    }
};

QTEST_GUILESS_MAIN(TestQtChime)
#include "TestQtChime.moc"
