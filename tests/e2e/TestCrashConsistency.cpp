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
#include "reminders/ReminderImage.h"
#include "reminders/ReminderStore.h"

#include <QtTest>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/types.h>

namespace {

constexpr int kKills = 100;
constexpr int kBinaryKills = 8;
constexpr quint32 kSeed = 4242;

// A and B differ in every record and in length, so a file mixed of the two,
// or cut short, matches neither.
StoreState makeState(char which, int rows) {
    StoreState s{defaultAlarmSoundText(), which == 'A' ? 3 : 4, {}};
    const qint64 base = QDateTime(QDate(2030, 1, 1), QTime(0, 0)).toSecsSinceEpoch();
    for (int i = 0; i < rows; ++i) {
        const int crop =
            (i + (which == 'A' ? 0 : 7)) % CropCatalogue::CropCount(SoilKind::Ordinary);
        const qint64 ripe = base + qint64(i) * 60;
        const QString note = QStringLiteral("%1号%2").arg(QLatin1Char(which)).arg(i);
        s.rows << ReminderRow{
            crop, CropCatalogue::GetOrdinaryCrop(crop).name, ripe - 8 * 3600, ripe, note, 1, 0};
    }
    return s;
}

StoreState stateA() {
    return makeState('A', 20000);
}
StoreState stateB() {
    return makeState('B', 19000);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int runSaver(const QString& path) {
    const StoreState states[] = {stateB(), stateA()};
    ReminderStore store(path);
    std::printf("ready\n");
    std::fflush(stdout);
    for (quint64 k = 0;; ++k) {
        const SaveResult r = store.save(states[k % 2]);
        if (!r.ok) {
            std::fprintf(stderr, "saver: %s\n", qPrintable(r.error));
            return 1;
        }
        std::printf("saved %llu\n", static_cast<unsigned long long>(k + 1));
        std::fflush(stdout);
    }
}

// Files next to the data file other than itself: what killed saves left.
QStringList leftovers(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    names.removeAll(ReminderStore::defaultFileName());
    names.removeAll(QStringLiteral("fruitwake.lock"));
    return names;
}

// Whether the process holds a file open in the data folder other than the
// data file and the lock: the temporary file of a save (unnamed or not).
bool savingNow(qint64 pid, const QString& folder, const QString& path) {
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    const auto all = QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot;
    for (const QString& fd : QDir(fds).entryList(all)) {
        const QString target = QFile::symLinkTarget(fds + u'/' + fd);
        if (target.startsWith(folder + u'/') && target != path &&
            !target.endsWith(QStringLiteral("fruitwake.lock")))
            return true;
    }
    return false;
}

} // namespace

class TestCrashConsistency : public QObject {
    Q_OBJECT
private slots:
    void killedSaverLeavesAOrB();
    void killedProgramKeepsItsFile();
};

void TestCrashConsistency::killedSaverLeavesAOrB() {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("fruitwake"));
    const QString path = folder + u'/' + ReminderStore::defaultFileName();
    const QByteArray a = ReminderImage::encode(stateA()), b = ReminderImage::encode(stateB());
    QVERIFY(ReminderStore(path).save(stateA()).ok);
    QRandomGenerator rng(kSeed);
    int wasA = 0, wasB = 0;
    qint64 saves = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        QProcess saver;
        saver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        saver.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--saver"), path});
        QVERIFY(saver.waitForReadyRead(30000)); // "ready": the saves begin now
        // Saves of this size take some milliseconds each; the kill lands at
        // any point of one of the first few dozen.
        QTest::qSleep(int(rng.bounded(5, 400)));
        QCOMPARE(saver.state(), QProcess::Running);
        ::kill(pid_t(saver.processId()), SIGKILL);
        QVERIFY(saver.waitForFinished(30000));
        saves += saver.readAllStandardOutput().count("saved ");
        const QByteArray now = readAll(path);
        QVERIFY2(now == a || now == b, qPrintable(QStringLiteral("kill %1").arg(kill)));
        ++(now == a ? wasA : wasB);
        // A killed save leaves its temporary file; clear it so a hundred of
        // them do not fill the disk.
        for (const QString& name : leftovers(folder))
            QFile::remove(folder + u'/' + name);
    }
    // Kills that always came between saves would prove nothing.
    QVERIFY(saves > kKills && wasA > 0 && wasB > 0);
}

void TestCrashConsistency::killedProgramKeepsItsFile() {
    const QString binary = qEnvironmentVariable("FW_BINARY");
    if (binary.isEmpty() || !QFile::exists(binary))
        QSKIP("FW_BINARY does not name the built fruitwake");
    QTemporaryDir home, runtime;
    QVERIFY(home.isValid() && runtime.isValid());
    QVERIFY(QFile::setPermissions(runtime.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString folder = home.filePath(QStringLiteral("fruitwake"));
    const QString path = folder + u'/' + ReminderStore::defaultFileName();
    const QByteArray original = ReminderImage::encode(stateA());
    QVERIFY(ReminderStore(path).save(stateA()).ok);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QRandomGenerator rng(kSeed + 1);
    int midSave = 0;
    for (int kill = 0; kill < kBinaryKills; ++kill) {
        QProcess program;
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        const QDateTime before = QFileInfo(path).lastModified();
        program.start(binary, {});
        QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));
        QTest::qSleep(int(rng.bounded(200, 2500)));
        QVERIFY2(program.state() == QProcess::Running, "fruitwake ended by itself");
        bool saving = false;
        if (kill % 2 == 1) {
            // SIGTERM starts the save at exit; every other time the kill
            // waits for its temporary file to be open.
            ::kill(pid_t(program.processId()), SIGTERM);
            QElapsedTimer started;
            started.start();
            while (kill % 4 == 3 && !saving && started.elapsed() < 5000)
                saving = savingNow(program.processId(), folder, path);
            if (!saving)
                QTest::qSleep(int(rng.bounded(0, 40)));
        }
        ::kill(pid_t(program.processId()), SIGKILL);
        QVERIFY(program.waitForFinished(30000));
        // Seen saving, and the file not replaced: the kill cut that save short.
        midSave += saving && QFileInfo(path).lastModified() == before;
        const LoadResult loaded = ReminderStore(path).load();
        QCOMPARE(loaded.status, LoadStatus::Whole);
        QVERIFY2(
            ReminderImage::encode(loaded.state) == original,
            qPrintable(QStringLiteral("after kill %1 the file holds other reminders").arg(kill)));
        for (const QString& name : leftovers(folder))
            QFile::remove(folder + u'/' + name);
    }
    QVERIFY2(midSave > 0, "no kill landed during a save");
}

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--saver") == 0) {
        QCoreApplication app(argc, argv);
        return runSaver(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    TestCrashConsistency test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestCrashConsistency.moc"
