// bench_tick [--alerts N] [--skip-latency]
//   tick.none_due_<n>_us          mean engine time of one tick, no alert due
//   tick.mass_expiry_100k_ms      the first tick after loading 100,000 rows of
//                                 which every second one is past its last season
//   tick.alert_latency_*          from the turn of the second to the alert:
//                                 shown (a tick a second), hidden (the waker
//                                 alone), and hidden after a forward clock jump
#include "alarm/Clock.h"
#include "alarm/TickEngine.h"
#include "alarm/TickTimer.h"
#include "alarm/Waker.h"
#include "catalogue/CropCatalogue.h"
#include "reminders/ReminderTable.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

void report(const char* name, double value, double target) {
    std::printf("%s %.2f target<=%g %s\n", name, value, target, value <= target ? "OK" : "SLOW");
    std::fflush(stdout);
}

ReminderRow row(qint64 ripe) {
    ReminderRow r;
    r.cropIndex = 26;
    r.cropName = CropCatalogue::GetOrdinaryCrop(26).name;
    r.ripe = ripe;
    r.plant = ripe - 25 * 3600;
    r.note = QStringLiteral("bench");
    return r;
}

void noneDue(int rows, const char* name, double target) {
    constexpr qint64 start = 1'700'000'000;
    ManualClock clock(start);
    ReminderTable table;
    TickEngine engine(table, clock, 5);
    QVector<ReminderRow> all;
    all.reserve(rows);
    for (int i = 0; i < rows; ++i)
        all.push_back(row(start + 30 * 86400 + i % 86400));
    table.reset(std::move(all));
    const int ticks = 20000;
    for (int i = 0; i < 100; ++i) { // warm up
        clock.advance(1);
        engine.tick();
    }
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < ticks; ++i) {
        clock.advance(1);
        engine.tick();
    }
    report(name, double(t.nsecsElapsed()) / ticks / 1000.0, target);
}

void massExpiry() {
    constexpr qint64 start = 1'700'000'000;
    double worst = 0;
    for (int run = 0; run < 3; ++run) {
        ManualClock clock(start);
        ReminderTable table;
        TickEngine engine(table, clock, 5);
        QVector<ReminderRow> all;
        all.reserve(100'000);
        for (int i = 0; i < 100'000; ++i) {
            ReminderRow r = row(i % 2 ? start + 86400 + i : start - 3600 - i);
            if (i % 2 == 0) { // a one-season crop that ripened while not running
                r.cropIndex = 0;
                r.cropName = CropCatalogue::GetOrdinaryCrop(0).name;
            }
            all.push_back(r);
        }
        table.reset(std::move(all));
        QElapsedTimer t;
        t.start();
        engine.tick();
        const double ms = double(t.nsecsElapsed()) / 1e6;
        if (table.count() != 50'000) {
            std::printf("tick.mass_expiry_100k_ms %d target=removed MISS\n", table.count());
            return;
        }
        worst = std::max(worst, ms);
    }
    report("tick.mass_expiry_100k_ms", worst, 50);
}

// The engine's clock ahead of the wall clock by an offset that can jump; the
// waker aims the real timerfd at the wall-clock second and is told of a jump
// as the kernel tells a timerfd that the clock was set. The system clock
// itself is never set: that would disturb everything else on the machine.
class JumpClock final : public Clock {
public:
    qint64 now() const override { return QDateTime::currentSecsSinceEpoch() + offset; }
    qint64 offset = 0;
};

class JumpWaker final : public Waker {
public:
    explicit JumpWaker(const JumpClock& clock) : m_clock(clock), m_real(Waker::system()) {
        connect(m_real.get(), &Waker::woke, this, &Waker::woke);
    }
    void wakeAt(qint64 second) override { m_real->wakeAt(second - m_clock.offset); }
    void cancel() override { m_real->cancel(); }
    qint64 wallNow() const override { return m_real->wallNow() + m_clock.offset; }
    void clockSet() { emit woke(); }

private:
    const JumpClock& m_clock;
    std::unique_ptr<Waker> m_real;
};

qint64 nowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5));
    return v[i];
}

// Alerts at successive seconds; latency from the due second (or, for one
// that a jump passed, from the jump) to the alert.
void measureLatency(int alerts, bool hidden, qint64 jump, const char* p50, const char* p99) {
    JumpClock clock;
    ReminderTable table;
    TickEngine engine(table, clock, 5);
    TickTimer timer;
    auto waker = std::make_unique<JumpWaker>(clock);
    JumpWaker* jumper = waker.get();
    timer.setWaker(std::move(waker));
    timer.setDueSource([&engine] { return engine.nextDue(); });
    timer.setHidden(hidden);
    QObject::connect(&timer, &TickTimer::tick, &engine, &TickEngine::tick);
    const qint64 first = clock.now() + 2;
    // With a jump: the first half before it, the third quarter in the
    // stretch it skips (raised at once), the last quarter after it.
    for (int i = 0; i < alerts; ++i)
        table.append(row(first + i + (jump && i >= alerts / 2 ? jump : 0)));
    qint64 jumpedUs = 0;
    // Timers of this run only: a leftover one must not end the next run.
    QTimer jumpAt, giveUp;
    jumpAt.setSingleShot(true);
    giveUp.setSingleShot(true);
    QObject::connect(&jumpAt, &QTimer::timeout, [&] {
        clock.offset += jump + alerts / 4;
        jumpedUs = nowUs() + clock.offset * 1'000'000;
        jumper->clockSet();
    });
    QObject::connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::quit(); });
    if (jump)
        jumpAt.start(1000 * (alerts / 2 + 2));
    std::vector<double> ms;
    QObject::connect(&engine, &TickEngine::alertsRaised, [&](const AlertBatch& b) {
        const qint64 now = nowUs() + clock.offset * 1'000'000;
        for (const Alert& a : b.alerts)
            ms.push_back(double(now - std::max(a.due * 1'000'000, jumpedUs)) / 1000.0);
        if (int(ms.size()) >= alerts)
            QCoreApplication::quit();
    });
    std::printf("# measuring alert latency over %d s\n", jump ? alerts * 3 / 4 + 2 : alerts + 2);
    std::fflush(stdout);
    timer.start();
    giveUp.start(1000 * (alerts + 30));
    QCoreApplication::exec();
    if (int(ms.size()) < alerts) {
        std::printf("%s %d target=all MISS\n", p99, int(ms.size()));
        return;
    }
    report(p50, percentile(ms, 0.50), 20);
    report(p99, percentile(ms, 0.99), 20);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int alerts = 40;
    bool latency = true;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--alerts") && i + 1 < args.size())
            alerts = qMax(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--skip-latency"))
            latency = false;
    }
    noneDue(1'000, "tick.none_due_1k_us", 5);
    noneDue(100'000, "tick.none_due_100k_us", 20);
    noneDue(1'000'000, "tick.none_due_1m_us", 50);
    massExpiry();
    if (latency) {
        measureLatency(alerts, false, 0, "tick.alert_latency_p50_ms", "tick.alert_latency_p99_ms");
        measureLatency(alerts, true, 0, "tick.alert_latency_hidden_p50_ms",
                       "tick.alert_latency_hidden_p99_ms");
        measureLatency(alerts, true, 3600, "tick.alert_latency_hidden_jump_p50_ms",
                       "tick.alert_latency_hidden_jump_p99_ms");
    }
    return 0;
}
