#include "app/SingleInstance.h"

#include <QtNetwork>
#include <QtTest>

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    // A second start hands over to a first that answers, and takes the place of one that does
    // not (hung, or its process id reused); a socket left by a crash is no obstacle.
    void secondStartHandsOver() {
        QTemporaryDir dir;
        const QString lock = dir.filePath("sub/fruitwake.lock"), name = dir.filePath("s.sock");
        QFile stale(name);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        // The running one answers from this thread while the new start waits in its own.
        // A hidden start (forward false) only learns that the first lives.
        const auto handsOverTo = [&](SingleInstance& running, bool forward = true) {
            QSignalSpy activated(&running, &SingleInstance::activationRequested);
            auto outcome = SingleInstance::Outcome::Failed;
            const std::unique_ptr<QThread> next(
                QThread::create([&] { outcome = SingleInstance(lock, name).start(forward); }));
            next->start();
            const bool ended = QTest::qWaitFor([&] { return next->isFinished(); }, 10000);
            next->wait();
            return ended && activated.size() == int(forward) &&
                   outcome == SingleInstance::Outcome::AlreadyRunning;
        };
        SingleInstance first(lock, name);
        QCOMPARE(first.start(), SingleInstance::Outcome::Primary);
        QVERIFY(handsOverTo(first));
        QVERIFY(handsOverTo(first, false));
        // Blocked here, the first cannot answer: the next start takes over, and says why.
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("no answer from the running Fruitwake.*taking"));
        SingleInstance taker(lock, name);
        QCOMPARE(taker.start(), SingleInstance::Outcome::Primary);
        QVERIFY(handsOverTo(taker));
    }

    // The guard lives in the runtime folder, keyed by the data file, not in a folder the user
    // may delete.
    void guardOutsideTheDataFolder() {
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        const auto a = SingleInstance::ForDataFile("/data/a/foodinfo.dat");
        const auto b = SingleInstance::ForDataFile("/data/a/../a/other.dat");
        QCOMPARE(QFileInfo(a->lockPath()).absolutePath(), runtime.path());
        QVERIFY(a->lockPath() != b->lockPath() && a->serverName() != b->serverName());
        QCOMPARE(SingleInstance::ForDataFile("/data/a/./foodinfo.dat")->lockPath(), a->lockPath());
    }
};

QTEST_MAIN(TestSingleInstance)
#include "TestSingleInstance.moc"
