#include "reminders/PersistenceController.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

class FakeWriter : public StoreWriter {
public:
    SaveResult save(const StoreState& state) override {
        ++calls;
        if (failing)
            return {false, QStringLiteral("磁盘已满")};
        last = state;
        return {true, {}};
    }
    QString path() const override { return QStringLiteral("/data/foodinfo.dat"); }
    int calls = 0;
    bool failing = false;
    StoreState last;
};

} // namespace

class TestPersistenceController : public QObject {
    Q_OBJECT
    FakeWriter m_writer;
    int m_lead = 1;
    PersistenceController* m_ctl = nullptr;

private slots:
    void init() {
        m_writer = FakeWriter();
        m_lead = 1;
        m_ctl = new PersistenceController(
            [this] {
                StoreState s;
                s.leadMinutes = m_lead;
                return s;
            },
            m_writer);
    }
    void cleanup() { delete m_ctl; }

    void changesAreSavedOnceAfterABurst() {
        QSignalSpy saved(m_ctl, &PersistenceController::saved);
        for (int i = 0; i < 5; ++i)
            m_ctl->markDirty();
        m_lead = 3; // the save takes the state of its own time
        QCOMPARE(m_writer.calls, 0);
        QVERIFY(m_ctl->isDirty());
        QTRY_COMPARE_WITH_TIMEOUT(saved.size(), 1, 15000);
        QCOMPARE(m_writer.calls, 1);
        QCOMPARE(m_writer.last.leadMinutes, 3);
        QVERIFY(!m_ctl->isDirty()); // nothing left to write
    }

    void saveNowTakesPendingChanges() {
        m_ctl->markDirty();
        QVERIFY(m_ctl->saveNow().ok);
        QCOMPARE(m_writer.calls, 1);
        QVERIFY(!m_ctl->isDirty());
    }

    void periodicSave_data() {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("saves");
        QTest::addColumn<int>("counter");
        QTest::newRow("119") << 119 << 0 << 119;
        QTest::newRow("120") << 120 << 1 << 0;
        QTest::newRow("121") << 121 << 1 << 1;
        QTest::newRow("360") << 360 << 3 << 0;
    }
    void periodicSave() {
        QFETCH(int, ticks);
        for (int i = 0; i < ticks; ++i)
            m_ctl->onTick();
        QTEST(m_writer.calls, "saves");
        QTEST(m_ctl->saveTicks(), "counter");
    }

    void failureIsToldOncePerStreak() {
        QSignalSpy failed(m_ctl, &PersistenceController::saveFailed);
        QSignalSpy recovered(m_ctl, &PersistenceController::saveRecovered);
        m_writer.failing = true;
        QVERIFY(!m_ctl->saveNow().ok);
        for (int i = 0; i < 240; ++i)
            m_ctl->onTick();
        QVERIFY(!m_ctl->saveNow().ok);
        QCOMPARE(m_writer.calls, 4); // every save point tried again
        QCOMPARE(failed.size(), 1);
        const QString message = failed[0][0].toString();
        QVERIFY(message.contains(QStringLiteral("/data/foodinfo.dat")));
        QVERIFY(message.contains(QStringLiteral("磁盘已满")));
        QVERIFY(m_ctl->isFailing());
        m_writer.failing = false;
        QVERIFY(m_ctl->saveNow().ok);
        QCOMPARE(recovered.size(), 1);
        QVERIFY(m_ctl->saveNow().ok);
        QCOMPARE(recovered.size(), 1);
        m_writer.failing = true;
        m_ctl->saveNow();
        QCOMPARE(failed.size(), 2);
    }

    void realStoreThatCannotWrite() {
        QTemporaryDir dir;
        QFile plain(dir.filePath("plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        ReminderStore store(dir.filePath("plain/foodinfo.dat"));
        PersistenceController ctl([] { return StoreState(); }, store);
        QSignalSpy failed(&ctl, &PersistenceController::saveFailed);
        const SaveResult r = ctl.saveNow();
        QVERIFY(!r.ok);
        QCOMPARE(failed.size(), 1);
        QVERIFY(failed[0][0].toString().contains(dir.filePath("plain")));
    }
};

QTEST_GUILESS_MAIN(TestPersistenceController)
#include "TestPersistenceController.moc"
