// Saving into a file system that is full or read-only: the failure is told
// once, the previous file stays whole, and the next save after the fault
// clears succeeds. The file system is a tmpfs of 64 KiB, mounted in a mount
// namespace of this process alone, so nothing outside can see or keep it.
#include "catalogue/CropCatalogue.h"
#include "reminders/PersistenceController.h"
#include "reminders/ReminderStore.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

bool g_canMount = false;

bool WriteProcFile(const char* path, const QByteArray& text) {
    const int fd = ::open(path, O_WRONLY);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, text.constData(), text.size()) == text.size();
    ::close(fd);
    return ok;
}

// Must run before any thread exists: a user namespace cannot be entered later.
bool EnterPrivateMountNamespace() {
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (uid == 0)
        return ::unshare(CLONE_NEWNS) == 0 &&
               ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 &&
           WriteProcFile("/proc/self/setgroups", "deny") &&
           WriteProcFile("/proc/self/uid_map",
                         QByteArray::number(0) + ' ' + QByteArray::number(uid) + " 1") &&
           WriteProcFile("/proc/self/gid_map",
                         QByteArray::number(0) + ' ' + QByteArray::number(gid) + " 1");
}

StoreState State(int rows) {
    StoreState s;
    s.musicPath = DefaultAlarmSoundText();
    s.leadMinutes = 3;
    for (int i = 0; i < rows; ++i) {
        ReminderRow r;
        r.cropIndex = i % CropCatalogue::CropCount(SoilKind::Ordinary);
        r.cropName = CropCatalogue::GetOrdinaryCrop(r.cropIndex).name;
        r.ripe = 1'800'000'000 + i;
        r.plant = r.ripe - 3600;
        r.seasonNo = 1;
        s.rows.push_back(r);
    }
    return s;
}

QByteArray OnDisk(ReminderStore& store) {
    const LoadResult r = store.load();
    return r.status == LoadStatus::Whole ? ReminderImage::Encode(r.state) : QByteArray("not whole");
}

} // namespace

class TestSaveFaults : public QObject {
    Q_OBJECT
private slots:
    void init() {
        if (!g_canMount)
            QSKIP("no private mount namespace here (neither root nor user namespaces)");
        m_dir.emplace();
        m_mount = m_dir->path().toLocal8Bit();
        QVERIFY(::mount("fw-faults", m_mount.constData(), "tmpfs", 0, "size=64k") == 0);
    }
    void cleanup() {
        if (m_dir)
            ::umount2(m_mount.constData(), MNT_DETACH);
        m_dir.reset();
    }

    // 1,000 rows (128 KiB) do not fit in 64 KiB; the fault clears with 1 MiB, writable.
    void faultThenRecovery_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("full") << false;
        QTest::newRow("read-only") << true;
    }
    void faultThenRecovery() {
        QFETCH(bool, readOnly);
        ReminderStore store(m_dir->filePath(QStringLiteral("foodinfo.dat")));
        QVERIFY(store.save(State(1)).ok);
        const QByteArray before = OnDisk(store);

        StoreState current = State(1000);
        PersistenceController saver([&] { return current; }, store);
        QSignalSpy failed(&saver, &PersistenceController::saveFailed);
        QSignalSpy recovered(&saver, &PersistenceController::saveRecovered);
        if (readOnly)
            QVERIFY(::mount(nullptr, m_mount.constData(), nullptr, MS_REMOUNT | MS_RDONLY,
                            nullptr) == 0);
        for (int i = 0; i < 3 * PersistenceController::kSaveEveryTicks; ++i)
            saver.onTick();
        QVERIFY(!saver.saveNow().ok);
        QCOMPARE(failed.count(), 1);
        QVERIFY(failed.at(0).at(0).toString().contains(store.path()));
        QCOMPARE(OnDisk(store), before);

        QVERIFY(::mount(nullptr, m_mount.constData(), "tmpfs", MS_REMOUNT, "size=1m") == 0);
        QVERIFY(saver.saveNow().ok);
        QCOMPARE(recovered.count(), 1);
        QCOMPARE(failed.count(), 1);
        QCOMPARE(OnDisk(store), ReminderImage::Encode(current));
        // No temporary file of the failed saves is left behind.
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

private:
    std::optional<QTemporaryDir> m_dir;
    QByteArray m_mount;
};

int main(int argc, char** argv) {
    g_canMount = EnterPrivateMountNamespace();
    QCoreApplication app(argc, argv);
    TestSaveFaults test;
    return QTest::qExec(&test, argc, argv);
}
#include "TestSaveFaults.moc"
