// app_probe: the real main window, measured from inside one short process.
//   app_probe make-data <n>        writes a data file of n reminders into
//                                  $XDG_DATA_HOME/fruitwake/ with the store
//   app_probe startup <launch_ns>  builds and shows the window; prints the time
//                                  from launch_ns (CLOCK_REALTIME, taken by the
//                                  caller just before exec) to the end of the
//                                  window's first paint, then the resident size
//   app_probe idle-hidden <secs>   shows the window, hides it, and prints the
//                                  CPU it takes over secs seconds
// Not a bench_* program: bench/scripts/app.sh runs it with fresh processes.
#include "app/CReminderApp.h"
#include "app/CReminderDlg.h"
#include "catalogue/CropCatalogue.h"
#include "desk/ReminderDesk.h"
#include "reminders/ReminderStore.h"
#include "reminders/ReminderTable.h"

#include <QDateTime>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <sys/resource.h>

namespace {

qint64 RealtimeNs() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

double ResidentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Reminders that ripen over the next 30 days, so an idle run raises nothing.
StoreState MakeState(int n) {
    StoreState s;
    s.leadMinutes = 3;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const int crops = CropCatalogue::CropCount(SoilKind::Ordinary);
    const QString notes[] = {QString(), QStringLiteral("张三"), QStringLiteral("李四的菜园"),
                             QStringLiteral("wang wu")};
    s.rows.reserve(n);
    for (int i = 0; i < n; ++i) {
        ReminderRow r;
        r.cropIndex = i % crops;
        r.cropName = CropCatalogue::GetOrdinaryCrop(r.cropIndex).name;
        r.ripe = now + 3600 + qint64(i) * 30 * 86400 / qMax(1, n);
        r.plant = r.ripe - 8 * 3600;
        r.seasonNo = 1;
        r.note = notes[i % 4];
        s.rows.push_back(r);
    }
    return s;
}

// Notes the end of the window's first paint: the dialog's paint event comes
// first and its children follow in the same pass, so the end is the first
// moment the event loop is free again after it.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget* window) : m_window(window) { window->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, this, [this] {
                m_doneNs = RealtimeNs();
                onDone();
            });
        }
        return false;
    }
    std::function<void()> onDone = [] {};
    qint64 doneNs() const { return m_doneNs; }

private:
    QWidget* m_window;
    bool m_seen = false;
    qint64 m_doneNs = 0;
};

int MakeData(int n, int argc, char** argv) {
    QCoreApplication app(argc, argv);
    CReminderApp::SetNames();
    ReminderStore store(ReminderStore::DefaultPath());
    const SaveResult r = store.save(MakeState(n));
    if (!r.ok) {
        std::fprintf(stderr, "make-data: %s\n", qPrintable(r.error));
        return 1;
    }
    return 0;
}

int Startup(qint64 launchNs, int argc, char** argv) {
    CReminderApp app(argc, argv);
    CReminderDlg dlg;
    FirstPaint paint(&dlg);
    paint.onDone = [&] { QTimer::singleShot(2000, &app, &QCoreApplication::quit); };
    dlg.show();
    // Give up after a minute rather than hang when nothing is ever painted.
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    app.exec();
    if (!paint.doneNs()) {
        std::fprintf(stderr, "startup: the window was never painted\n");
        return 1;
    }
    std::printf("startup_ms %.1f\nrss_mb %.1f\nrows %d\n", double(paint.doneNs() - launchNs) / 1e6,
                ResidentMb(), dlg.Desk().Table().count());
    return 0;
}

int IdleHidden(int seconds, int argc, char** argv) {
    CReminderApp app(argc, argv);
    CReminderDlg dlg;
    FirstPaint paint(&dlg);
    double cpu0 = 0;
    qint64 wall0 = 0;
    paint.onDone = [&] {
        dlg.hide();
        // Let the hide settle before the measured stretch.
        QTimer::singleShot(2000, &app, [&] {
            cpu0 = CpuSeconds();
            wall0 = RealtimeNs();
            QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
        });
    };
    dlg.show();
    app.exec();
    if (!wall0) {
        std::fprintf(stderr, "idle-hidden: the window was never painted\n");
        return 1;
    }
    const double wall = double(RealtimeNs() - wall0) / 1e9;
    std::printf("idle_hidden_pct %.4f\nrows %d\nvisible %d\n", 100.0 * (CpuSeconds() - cpu0) / wall,
                dlg.Desk().Table().count(), int(dlg.isVisible()));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const QByteArray mode = argc > 2 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "make-data")
        return MakeData(std::atoi(argv[2]), argc, argv);
    if (mode == "startup")
        return Startup(std::strtoll(argv[2], nullptr, 10), argc, argv);
    if (mode == "idle-hidden")
        return IdleHidden(std::atoi(argv[2]), argc, argv);
    std::fprintf(stderr, "usage: app_probe make-data <n> | startup <launch_ns> | "
                         "idle-hidden <seconds>\n");
    return 2;
}
