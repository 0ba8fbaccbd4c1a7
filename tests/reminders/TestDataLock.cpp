#include "reminders/DataLock.h"

#include <QtTest>
#include <memory>

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
        std::unique_ptr<DataLock> other;
        QLockFile older(lockFile);
        if (before == "ended" || before == "held") {
            other = std::make_unique<DataLock>(data);
            QCOMPARE(other->acquire(), DataLock::Result::Held);
            if (before == "ended")
                other.reset();
        } else if (before == "older") {
            QVERIFY(older.tryLock(0));
        } else if (before == "left") {
            QFile left(lockFile);
            QVERIFY(left.open(QIODevice::WriteOnly) && left.write("999999999\nfruitwake\nhost\n"));
        } else if (before == "folder") {
            QVERIFY(QDir().mkpath(lockFile));
        }
        DataLock lock(dir.filePath("link/../link"));
        QTEST(int(lock.acquire()), "result");
        QCOMPARE(lock.path(), QFileInfo(lockFile).canonicalFilePath());
        QCOMPARE(lock.holds(), lock.acquire() == DataLock::Result::Held);
    }
};

QTEST_MAIN(TestDataLock)
#include "TestDataLock.moc"
