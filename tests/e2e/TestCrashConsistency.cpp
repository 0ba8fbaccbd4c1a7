// A data file survives being killed mid-save. Two ways in:
//  - this program run as a saver ("--saver <path>") replaces the file with
//    state A and state B in turn, as fast as it can, and is killed with
//    SIGKILL at a random moment, 100 times; after each kill the file must be
//    exactly A or exactly B;
//  - the real fruitwake with 20,000 reminders is killed at random moments,
//    some of them just after SIGTERM has started its exit save; the file must
//    still hold what it was started with.
#include "catalogue/CropCatalogue.h"
#include "desk/LoadedSettings.h"
#include "reminders/ReminderStore.h"

#include <QtTest>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

// A and B differ in every record and in length, so a file mixed of the two,
// or cut short, matches neither.
StoreState makeState(char which) {
    StoreState s{defaultAlarmSoundText(), which == 'A' ? 3 : 4, {}};
    for (int i = 0; i < (which == 'A' ? 20000 : 19000); ++i) {
        const int k = (i + which) % CropCatalogue::CropCount(SoilKind::Ordinary);
        const qint64 t = 1893456000 + qint64(i) * 60; // ripening from 2030 on
        const QString note = QStringLiteral("%1号%2").arg(which).arg(i);
        s.rows << ReminderRow{k, CropCatalogue::GetOrdinaryCrop(k).name, t - 28800, t, note, 1, 0};
    }
    return s;
}

int runSaver(const QString& path) {
    const StoreState states[] = {makeState('B'), makeState('A')};
    ReminderStore store(path);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::puts("ready");
    for (int k = 0; store.save(states[k % 2]).ok; ++k)
        std::puts("saved");
    return 1; // the test sees the saver gone before its kill
}

// The file as the store loads it; empty unless whole. What killed saves left
// beside it (temporary files) is removed, so a hundred of them do not fill the disk.
QByteArray afterKill(const QString& path) {
    const QFileInfo data(path);
    for (const QString& name : data.dir().entryList(QDir::Files | QDir::Hidden))
        if (name != data.fileName() && name != QStringLiteral("fruitwake.lock"))
            QFile::remove(data.dir().filePath(name));
    const LoadResult loaded = ReminderStore(path).load();
    return loaded.status == LoadStatus::Whole ? ReminderImage::encode(loaded.state) : QByteArray();
}

// Whether the process holds a file open in the data folder other than the
// data file and the lock: the temporary file of a save (unnamed or not).
bool savingNow(qint64 pid, const QString& path) {
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::AllEntries | QDir::System)) {
        const QString target = fd.symLinkTarget();
        if (QFileInfo(target).path() == QFileInfo(path).path() && target != path &&
            !target.endsWith(QStringLiteral("fruitwake.lock")))
            return true;
    }
    return false;
}

} // namespace

class TestCrashConsistency : public QObject {
    Q_OBJECT
    QTemporaryDir m_home;
    const QString m_path = m_home.filePath(QStringLiteral("fruitwake/foodinfo.dat"));
    const QByteArray m_a = ReminderImage::encode(makeState('A'));

private slots:
    void init() { QVERIFY(ReminderStore(m_path).save(makeState('A')).ok); }

    void killedSaverLeavesAOrB() {
        const QByteArray b = ReminderImage::encode(makeState('B'));
        QRandomGenerator rng(4242);
        int wasA = 0, saves = 0;
        for (int kill = 0; kill < 100; ++kill) {
            QProcess saver;
            saver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            saver.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--saver"), m_path});
            QVERIFY(saver.waitForReadyRead(30000)); // "ready": the saves begin now
            // A save of this size takes some milliseconds; the kill lands at any
            // point of one of the first few dozen.
            QTest::qSleep(int(rng.bounded(5, 400)));
            QCOMPARE(saver.state(), QProcess::Running);
            ::kill(pid_t(saver.processId()), SIGKILL);
            QVERIFY(saver.waitForFinished(30000));
            saves += int(saver.readAllStandardOutput().count("saved"));
            const QByteArray now = afterKill(m_path);
            QVERIFY2(now == m_a || now == b, qPrintable(QStringLiteral("kill %1").arg(kill)));
            wasA += now == m_a;
        }
        // Kills that always came between saves would prove nothing.
        QVERIFY(saves > 100 && wasA > 0 && wasA < 100);
    }

    void killedProgramKeepsItsFile() {
        const QString binary = qEnvironmentVariable("FW_BINARY");
        if (binary.isEmpty() || !QFile::exists(binary))
            QSKIP("FW_BINARY does not name the built fruitwake");
        QTemporaryDir runtime; // made 0700, as a runtime folder must be
        // Inherited by the program; this test names its own paths.
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QRandomGenerator rng(4243);
        int midSave = 0;
        for (int kill = 0; kill < 8; ++kill) {
            QProcess program;
            program.setProcessChannelMode(QProcess::ForwardedChannels);
            const QDateTime before = QFileInfo(m_path).lastModified();
            program.start(binary, {});
            QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));
            QTest::qSleep(int(rng.bounded(200, 2500)));
            QVERIFY2(program.state() == QProcess::Running, "fruitwake ended by itself");
            bool saving = false;
            if (kill % 2 == 1) {
                // SIGTERM starts the save at exit; every other time the kill
                // waits for its temporary file to be open.
                ::kill(pid_t(program.processId()), SIGTERM);
                QDeadlineTimer deadline(5000);
                while (kill % 4 == 3 && !saving && !deadline.hasExpired())
                    saving = savingNow(program.processId(), m_path);
                if (!saving)
                    QTest::qSleep(int(rng.bounded(0, 40)));
            }
            ::kill(pid_t(program.processId()), SIGKILL);
            QVERIFY(program.waitForFinished(30000));
            // Seen saving, and the file not replaced: the kill cut that save short.
            midSave += saving && QFileInfo(m_path).lastModified() == before;
            QVERIFY2(afterKill(m_path) == m_a, qPrintable(QStringLiteral("kill %1").arg(kill)));
        }
        QVERIFY2(midSave > 0, "no kill landed during a save");
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], "--saver") == 0)
        return runSaver(QString::fromLocal8Bit(argv[2]));
    TestCrashConsistency test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestCrashConsistency.moc"
