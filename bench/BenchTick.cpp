// bench_tick [--alerts N] [--skip-latency]
//   tick.none_due_<n>_us   mean engine time of one tick, no alert due
//   tick.alert_latency_*   from the turn of the second to the alert, real timer
#include "alarm/Clock.h"
#include "alarm/TickEngine.h"
#include "alarm/TickTimer.h"
#include "catalogue/CropCatalogue.h"
#include "reminders/ReminderTable.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

void Report(const char* name, double value, double target) {
    std::printf("%s %.2f target<=%g %s\n", name, value, target, value <= target ? "OK" : "SLOW");
    std::fflush(stdout);
}

ReminderRow Row(qint64 ripe) {
    ReminderRow r;
    r.cropIndex = 26;
    r.cropName = CropCatalogue::GetOrdinaryCrop(26).name;
    r.ripe = ripe;
    r.plant = ripe - 25 * 3600;
    r.note = QStringLiteral("bench");
    return r;
}

void NoneDue(int rows, const char* name, double target) {
    constexpr qint64 start = 1'700'000'000;
    ManualClock clock(start);
    ReminderTable table;
    TickEngine engine(table, clock);
    QVector<ReminderRow> all;
    all.reserve(rows);
    for (int i = 0; i < rows; ++i)
        all.push_back(Row(start + 30 * 86400 + i % 86400));
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
    Report(name, double(t.nsecsElapsed()) / ticks / 1000.0, target);
}

qint64 NowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5));
    return v[i];
}

void Latency(int alerts) {
    SystemClock clock;
    ReminderTable table;
    TickEngine engine(table, clock);
    TickTimer timer;
    QObject::connect(&timer, &TickTimer::tick, &engine, &TickEngine::tick);
    const qint64 first = clock.now() + 2;
    for (int i = 0; i < alerts; ++i)
        table.append(Row(first + i));
    std::vector<double> ms;
    QObject::connect(&engine, &TickEngine::alertsRaised, [&](const AlertBatch& b) {
        const qint64 now = NowUs();
        for (const Alert& a : b.alerts)
            ms.push_back(double(now - a.due * 1'000'000) / 1000.0);
        if (int(ms.size()) >= alerts)
            QCoreApplication::quit();
    });
    std::printf("# measuring alert latency over %d s\n", alerts + 2);
    std::fflush(stdout);
    timer.start();
    QCoreApplication::exec();
    Report("tick.alert_latency_p50_ms", Percentile(ms, 0.50), 20);
    Report("tick.alert_latency_p99_ms", Percentile(ms, 0.99), 20);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int alerts = 200;
    bool latency = true;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--alerts") && i + 1 < args.size())
            alerts = qMax(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--skip-latency"))
            latency = false;
    }
    NoneDue(1'000, "tick.none_due_1k_us", 5);
    NoneDue(100'000, "tick.none_due_100k_us", 20);
    NoneDue(1'000'000, "tick.none_due_1m_us", 50);
    if (latency)
        Latency(alerts);
    return 0;
}
