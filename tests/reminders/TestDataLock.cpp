#include "reminders/DataLock.h"

#include <QtTest>
#include <optional>

class TestDataLock : public QObject {
    Q_OBJECT
private slots:
    // What a start finds beside the data, and whether it may take the lock. The holder is known
    // by the folder itself (a link to it leads to the same lock) and is alive while it keeps
    // its lock file open, as an older version's QLockFile does.
    void acquire_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("result");
        QTest::newRow("nothing") << "" << int(DataLock::Result::Held);
        QTest::newRow("ours, its holder ended") << "ended" << int(DataLock::Result::Held);
        QTest::newRow("ours, held, through a link") << "held" << int(DataLock::Result::Busy);
        QTest::newRow("older version's, held") << "older" << int(DataLock::Result::Busy);
        QTest::newRow("older version's, left") << "left" << int(DataLock::Result::Held);
        QTest::newRow("a folder in its place") << "folder" << int(DataLock::Result::Broken);
    }
    void acquire() {
        QFETCH(QString, before);
        QTemporaryDir dir;
        const QString data = dir.filePath("data"), lockFile = data + "/fruitwake.lock";
        QVERIFY(QDir().mkpath(data) && QFile::link(data, dir.filePath("link")));
        std::optional<DataLock> other;
        QLockFile older(lockFile);
        QFile left(lockFile);
        if (before == "ended" || before == "held")
            QCOMPARE(other.emplace(data).acquire(), DataLock::Result::Held);
        if (before == "ended")
            other.reset();
        QVERIFY(before != "older" || older.tryLock(0));
        QVERIFY(before != "left" || (left.open(QIODevice::WriteOnly) &&
                                     left.write("999999999\nfruitwake\nhost\n") && left.flush()));
        QVERIFY(before != "folder" || QDir().mkpath(lockFile));
        DataLock lock(dir.filePath("link/../link"));
        QTEST(int(lock.acquire()), "result");
        QCOMPARE(lock.path(), QFileInfo(lockFile).canonicalFilePath());
        QCOMPARE(lock.holds(), lock.acquire() == DataLock::Result::Held);
    }
};

QTEST_MAIN(TestDataLock)
#include "TestDataLock.moc"
