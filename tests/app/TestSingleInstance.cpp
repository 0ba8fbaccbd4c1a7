#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString Name(const QTemporaryDir& dir) {
    return dir.filePath(QStringLiteral("s.sock"));
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void secondStartIsRefusedAndActivates() {
        QTemporaryDir dir;
        const QString lock = dir.filePath(QStringLiteral("sub/fruitwake.lock"));
        SingleInstance first(lock, Name(dir));
        QSignalSpy activated(&first, &SingleInstance::activationRequested);
        QCOMPARE(first.start(), SingleInstance::Outcome::Primary);
        SingleInstance second(lock, Name(dir));
        QCOMPARE(second.start(), SingleInstance::Outcome::AlreadyRunning);
        QVERIFY(activated.wait(10000));
        QCOMPARE(activated.size(), 1);
        // The refused one does not listen, so it receives nothing.
        QCOMPARE(SingleInstance(lock, Name(dir)).start(), SingleInstance::Outcome::AlreadyRunning);
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 2, 10000);
    }

    void releasedLockIsTakenAgain() {
        QTemporaryDir dir;
        const QString lock = dir.filePath(QStringLiteral("fruitwake.lock"));
        {
            SingleInstance first(lock, Name(dir));
            QCOMPARE(first.start(), SingleInstance::Outcome::Primary);
        }
        QVERIFY(!QFile::exists(lock));
        SingleInstance next(lock, Name(dir));
        QCOMPARE(next.start(), SingleInstance::Outcome::Primary);
    }

    void staleLockIsTakenOver_data() {
        QTest::addColumn<bool>("holderAlive");
        QTest::addColumn<SingleInstance::Outcome>("outcome");
        QTest::newRow("holder died") << false << SingleInstance::Outcome::Primary;
        QTest::newRow("holder alive") << true << SingleInstance::Outcome::AlreadyRunning;
    }
    void staleLockIsTakenOver() {
        QFETCH(bool, holderAlive);
        QTemporaryDir dir;
        const QString lock = dir.filePath(QStringLiteral("fruitwake.lock"));
        // A lock naming another process, as a crash (or a live run) leaves it.
        QProcess holder;
        holder.start(QStringLiteral("sleep"), {QStringLiteral("120")});
        QVERIFY(holder.waitForStarted(30000));
        const qint64 pid = holder.processId();
        if (!holderAlive) {
            holder.kill();
            QVERIFY(holder.waitForFinished(30000));
        }
        QFile file(lock);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::number(pid) + "\nsleep\n" + QSysInfo::machineHostName().toUtf8() +
                   "\n");
        file.close();

        SingleInstance next(lock, Name(dir));
        if (holderAlive)
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("did not answer")));
        QTEST(next.start(), "outcome");
        holder.kill();
        holder.waitForFinished(30000);
    }

    void staleSocketIsReplaced() {
        QTemporaryDir dir;
        // The name left taken by a crashed run, with nobody listening on it.
        QFile stale(Name(dir));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        SingleInstance first(dir.filePath(QStringLiteral("fruitwake.lock")), Name(dir));
        QSignalSpy activated(&first, &SingleInstance::activationRequested);
        QCOMPARE(first.start(), SingleInstance::Outcome::Primary);
        SingleInstance second(dir.filePath(QStringLiteral("fruitwake.lock")), Name(dir));
        QCOMPARE(second.start(), SingleInstance::Outcome::AlreadyRunning);
        QVERIFY(activated.wait(10000));
    }

    void otherMessagesAreIgnored_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("other word") << QByteArray("quit\n");
        QTest::newRow("no newline") << QByteArray("activate");
        QTest::newRow("long junk") << QByteArray(4096, 'x');
    }
    void otherMessagesAreIgnored() {
        QFETCH(QByteArray, message);
        QTemporaryDir dir;
        SingleInstance first(dir.filePath(QStringLiteral("fruitwake.lock")), Name(dir));
        QSignalSpy activated(&first, &SingleInstance::activationRequested);
        QCOMPARE(first.start(), SingleInstance::Outcome::Primary);
        QLocalSocket peer;
        peer.connectToServer(Name(dir));
        QVERIFY(peer.waitForConnected(10000));
        peer.write(message);
        QVERIFY(peer.waitForBytesWritten(10000));
        peer.disconnectFromServer();
        // A real request afterwards is still served, and is the only one counted.
        QCOMPARE(SingleInstance(dir.filePath(QStringLiteral("fruitwake.lock")), Name(dir)).start(),
                 SingleInstance::Outcome::AlreadyRunning);
        QVERIFY(activated.wait(10000));
        QTest::qWait(50);
        QCOMPARE(activated.size(), 1);
    }

    void serverNameIsPerDataDir() {
        const QString a = SingleInstance::ServerNameFor(QStringLiteral("/tmp/a/fruitwake"));
        QCOMPARE(SingleInstance::ServerNameFor(QStringLiteral("/tmp/a//fruitwake/")), a);
        QVERIFY(a != SingleInstance::ServerNameFor(QStringLiteral("/tmp/b/fruitwake")));
        QVERIFY(a.toLocal8Bit().size() <= 100);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "TestSingleInstance.moc"
