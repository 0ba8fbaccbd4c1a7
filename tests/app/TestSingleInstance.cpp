#include "app/SingleInstance.h"

#include <QtNetwork>
#include <QtTest>

class TestSingleInstance : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString file(const char* folder = "data") const {
        return m_dir.filePath(QString::fromLatin1(folder) + "/foodinfo.dat");
    }

    // A start in a thread of its own while `running` answers from this one: true when it
    // handed over and the running one was asked forward.
    static bool handsOverTo(SingleInstance& running, const QString& path) {
        QSignalSpy activated(&running, &SingleInstance::activationRequested);
        auto outcome = SingleInstance::Outcome::Failed;
        const std::unique_ptr<QThread> next(
            QThread::create([&] { outcome = SingleInstance(path).start(true); }));
        next->start();
        const bool ended = QTest::qWaitFor([&] { return next->isFinished(); }, 15000);
        next->wait();
        return ended && activated.size() == 1 && outcome == SingleInstance::Outcome::AlreadyRunning;
    }

private slots:
    // A second start hands over to a first that answers; through a link to its data folder it
    // takes the place of one that does not (here blocked in this thread).
    // The copy taken over never holds the guard again and tells it once; its end leaves the
    // taker's lock and socket alone.
    void takeOverAndAftermath() {
        QVERIFY(QFile::link(m_dir.filePath("data"), m_dir.filePath("link")));
        auto first = std::make_unique<SingleInstance>(file());
        QCOMPARE(first->start(), SingleInstance::Outcome::Primary);
        QVERIFY(handsOverTo(*first, file()));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("no answer from the running Fruitwake.*taking"));
        SingleInstance taker(file("link"));
        QCOMPARE(taker.start(), SingleInstance::Outcome::Primary);
        QSignalSpy lost(first.get(), &SingleInstance::guardLost);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("another Fruitwake has taken over"));
        QVERIFY(!first->holdsGuard() && !first->holdsGuard());
        QTRY_COMPARE(lost.size(), 1);
        first.reset();
        QVERIFY(QFile::exists(taker.lockPath()));
        QVERIFY(taker.holdsGuard());
        QVERIFY(handsOverTo(taker, file()));
    }
};

QTEST_MAIN(TestSingleInstance)
#include "TestSingleInstance.moc"
