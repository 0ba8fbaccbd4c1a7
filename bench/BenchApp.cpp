// app_probe: the real main window, measured from inside one short process.
//   app_probe make-data <n> [expired]  writes a data file of n reminders into
//                                  $XDG_DATA_HOME/fruitwake/ with the store; none
//                                  due within two hours, or with "expired" every
//                                  second one a one-season crop ripe long ago
//   app_probe startup <launch_ns>  builds and shows the window; prints the time
//                                  from launch_ns (CLOCK_REALTIME, taken by the
//                                  caller just before exec) to the end of the
//                                  window's first paint, then the resident size
//   app_probe stall                the longest time the GUI thread could not
//                                  answer an event, from before the window is
//                                  built to 3 s after its first paint
// Not a bench_* program: bench/scripts/app.sh runs it with fresh processes.
#include "app/CReminderApp.h"
#include "catalogue/CropCatalogue.h"
#include "desk/ReminderDesk.h"
#include "media/CTuneDeck.h"
#include "media/QtChime.h"
#include "reminders/ReminderStore.h"
#include "reminders/ReminderTable.h"
#include "shell/QtAlertPresenter.h"
#include "window/CReminderDlg.h"

#include <QDateTime>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <thread>

namespace {

qint64 realtimeNs() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

double residentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// Reminders that ripen over 30 days from two hours on, so an idle run raises
// nothing, not even a warning.
StoreState makeState(int n, bool expired) {
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
        r.ripe = now + 7200 + qint64(i) * 30 * 86400 / qMax(1, n);
        if (expired && i % 2 == 0) {
            r.cropIndex = 0; // 牧草: a single season
            r.cropName = CropCatalogue::GetOrdinaryCrop(0).name;
            r.ripe = now - 86400 - i;
        }
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
                m_doneNs = realtimeNs();
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

// The main window with the program's real sound and boxes.
struct RealWindow {
    QtChime chime;
    CTuneDeck deck;
    QtAlertPresenter presenter{[](const QString&) {}};
    CReminderDlg dlg{services()};

    DialogServices services() {
        DialogServices s = DialogServices::system();
        s.chime = &chime;
        s.tuneDeck = &deck;
        s.presenter = &presenter;
        return s;
    }
};

// Ends the loop without asking the windows: the main window vetoes a quit
// (closing it asks or hides it), which would leave the probe running.
void endLoop() {
    QCoreApplication::exit(0);
}

int makeData(int n, bool expired, int argc, char** argv) {
    QCoreApplication app(argc, argv);
    CReminderApp::setNames();
    ReminderStore store(ReminderStore::defaultPath());
    const SaveResult r = store.save(makeState(n, expired));
    if (!r.ok) {
        std::fprintf(stderr, "make-data: %s\n", qPrintable(r.error));
        return 1;
    }
    return 0;
}

int startup(qint64 launchNs, int argc, char** argv) {
    CReminderApp app(argc, argv);
    RealWindow window;
    CReminderDlg& dlg = window.dlg;
    FirstPaint paint(&dlg);
    paint.onDone = [&] { QTimer::singleShot(2000, &app, endLoop); };
    dlg.show();
    // Give up after a minute rather than hang when nothing is ever painted.
    QTimer::singleShot(60000, &app, endLoop);
    app.exec();
    if (!paint.doneNs()) {
        std::fprintf(stderr, "startup: the window was never painted\n");
        return 1;
    }
    std::printf("startup_ms %.1f\nrss_mb %.1f\nrows %d\n", double(paint.doneNs() - launchNs) / 1e6,
                residentMb(), dlg.desk().table().count());
    return 0;
}

int stall(int argc, char** argv) {
    CReminderApp app(argc, argv);
    // A beat every 2 ms from another thread; each one's wait in the queue is
    // how long the GUI thread was busy. Beats queued while the window is
    // built wait until the event loop first runs.
    std::atomic<bool> stop{false};
    std::atomic<qint64> worst{0};
    std::thread beat([&] {
        while (!stop) {
            const qint64 posted = realtimeNs();
            QMetaObject::invokeMethod(
                &app,
                [&worst, posted] {
                    const qint64 lag = realtimeNs() - posted;
                    qint64 w = worst.load();
                    while (lag > w && !worst.compare_exchange_weak(w, lag)) {
                    }
                },
                Qt::QueuedConnection);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    RealWindow window;
    CReminderDlg& dlg = window.dlg;
    FirstPaint paint(&dlg);
    paint.onDone = [&] { QTimer::singleShot(3000, &app, endLoop); };
    dlg.show();
    QTimer::singleShot(60000, &app, endLoop);
    app.exec();
    stop = true;
    beat.join();
    if (!paint.doneNs()) {
        std::fprintf(stderr, "stall: the window was never painted\n");
        return 1;
    }
    std::printf("stall_ms %.1f\nrows %d\n", double(worst.load()) / 1e6, dlg.desk().table().count());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "make-data" && argc > 2)
        return makeData(std::atoi(argv[2]), argc > 3 && QByteArray(argv[3]) == "expired", argc,
                        argv);
    if (mode == "startup" && argc > 2)
        return startup(std::strtoll(argv[2], nullptr, 10), argc, argv);
    if (mode == "stall")
        return stall(argc, argv);
    std::fprintf(stderr, "usage: app_probe make-data <n> [expired] | startup <launch_ns> | "
                         "stall\n");
    return 2;
}
