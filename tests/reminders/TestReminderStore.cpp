#include "reminders/ReminderStore.h"

#include "reminders/FailDevice.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {

StoreState State(int n) {
    StoreState s;
    s.musicPath = QStringLiteral("/音乐/a.mp3");
    s.leadMinutes = 4;
    for (int i = 0; i < n; ++i) {
        ReminderRow r;
        r.cropIndex = i;
        r.cropName = QStringLiteral("牧草");
        r.plant = 1254374700 + i;
        r.ripe = r.plant + 28800;
        r.note = QString::number(i);
        s.rows << r;
    }
    return s;
}

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace

class TestReminderStore : public QObject {
    Q_OBJECT
    QTemporaryDir* m_dir = nullptr;
    QString m_path;

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("fruitwake")); }
    void init() {
        m_dir = new QTemporaryDir;
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->path()));
        m_path = ReminderStore::DefaultPath();
    }
    void cleanup() {
        QFile::setPermissions(m_dir->path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        delete m_dir;
    }

    void defaultPath() { QCOMPARE(m_path, m_dir->path() + "/fruitwake/foodinfo.dat"); }

    void missingEmptyAndRoundTrip() {
        ReminderStore store(m_path);
        QCOMPARE(store.load().status, LoadStatus::Missing);
        QVERIFY(QDir().mkpath(QFileInfo(m_path).path()));
        Write(m_path, {});
        QCOMPARE(store.load().status, LoadStatus::Empty);
        QVERIFY(QDir(QFileInfo(m_path).path()).removeRecursively()); // save creates it again
        const StoreState s = State(3);
        const SaveResult saved = store.save(s);
        QVERIFY2(saved.ok, qPrintable(saved.error));
        QCOMPARE(Read(m_path).size(), 6 * 128);
        const LoadResult r = store.load();
        QCOMPARE(r.status, LoadStatus::Whole);
        QVERIFY(r.damagedCopy.isEmpty());
        QCOMPARE(r.state.rows.size(), 3);
        QVERIFY(r.state.rows[2].sameContent(s.rows[2]));
        QCOMPARE(r.state.leadMinutes, 4);
        QVERIFY(store.save(State(0)).ok);
        QCOMPARE(Read(m_path).size(), 512);
    }

    void damagedFileIsCopiedAside() {
        ReminderStore store(m_path);
        store.setNowSource([] { return QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)); });
        QVERIFY(store.save(State(2)).ok);
        const QByteArray damaged = Read(m_path).left(600);
        Write(m_path, damaged);
        const LoadResult first = store.load();
        QCOMPARE(first.status, LoadStatus::Damaged);
        QCOMPARE(first.state.rows.size(), 1);
        QCOMPARE(first.damagedCopy, m_path + ".damaged-20240506-070809");
        QCOMPARE(Read(first.damagedCopy), damaged);
        Write(m_path, damaged + "x"); // the same second again: a new copy
        const LoadResult second = store.load();
        QCOMPARE(second.damagedCopy, m_path + ".damaged-20240506-070809-2");
        QCOMPARE(Read(second.damagedCopy), damaged + "x");
        QCOMPARE(Read(first.damagedCopy), damaged);
    }

    void failedWriteKeepsThePreviousFile() {
        ReminderStore store(m_path);
        QVERIFY(store.save(State(1)).ok);
        const QByteArray before = Read(m_path);
        // Writes past 4 KiB fail with EFBIG, even for root.
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        rlimit small = old;
        small.rlim_cur = 4096;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const SaveResult r = store.save(State(200));
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
        QCOMPARE(Read(m_path), before);
        QCOMPARE(QDir(QFileInfo(m_path).path()).entryList(QDir::Files),
                 QStringList{"foodinfo.dat"});
    }

    void unwritablePlaces_data() {
        QTest::addColumn<QString>("relative");
        QTest::newRow("parent is a file") << "plain/foodinfo.dat";
        QTest::newRow("grandparent is a file") << "plain/sub/foodinfo.dat";
        QTest::newRow("target is a folder") << "folder";
    }
    void unwritablePlaces() {
        QFETCH(QString, relative);
        Write(m_dir->filePath("plain"), "keep");
        QVERIFY(QDir(m_dir->path()).mkdir("folder"));
        ReminderStore store(m_dir->filePath(relative));
        const SaveResult r = store.save(State(1));
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
        QCOMPARE(Read(m_dir->filePath("plain")), QByteArray("keep"));
        QCOMPARE(store.load().status, LoadStatus::Missing);
    }

    void readOnlyFolder() {
        QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
        ReminderStore store(m_dir->filePath("foodinfo.dat"));
        const SaveResult r = store.save(State(1));
        if (r.ok)
            QSKIP("permission bits do not stop this user");
        QVERIFY(!r.error.isEmpty());
    }

    void writeImageToFailingDevice_data() {
        QTest::addColumn<int>("failAfter");
        QTest::addColumn<int>("chunk");
        QTest::addColumn<bool>("failFlush");
        QTest::addColumn<bool>("ok");
        QTest::newRow("first byte") << 0 << 4096 << false << false;
        QTest::newRow("mid-write") << 300 << 4096 << false << false;
        QTest::newRow("last byte") << 511 << 64 << false << false;
        QTest::newRow("flush") << 512 << 4096 << true << false;
        QTest::newRow("short writes") << 512 << 7 << false << true;
    }
    void writeImageToFailingDevice() {
        QFETCH(int, failAfter);
        QFETCH(int, chunk);
        QFETCH(bool, failFlush);
        QFETCH(bool, ok);
        FailDevice device(failAfter, chunk, failFlush);
        const QByteArray image = ReminderImage::Encode(State(1));
        QString error;
        QCOMPARE(WriteImage(device, image, &error, [&] { return device.flush(); }), ok);
        QCOMPARE(error.isEmpty(), ok);
        if (ok)
            QCOMPARE(device.written(), image);
    }
};

QTEST_GUILESS_MAIN(TestReminderStore)
#include "TestReminderStore.moc"
