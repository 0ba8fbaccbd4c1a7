// leak_ticks [ticks]: 100,000 engine ticks on a fake clock, with reminders
// added, ripening, removed after their last season, started on their next
// season and re-sorted along the way. Meant to run under valgrind; prints
// how many alerts it saw so a run that raised none stands out.
#include "alarm/Clock.h"
#include "alarm/NextSeason.h"
#include "alarm/TickEngine.h"
#include "catalogue/CropCatalogue.h"
#include "reminders/ReminderTable.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int ticks = argc > 1 ? std::atoi(argv[1]) : 100000;
    constexpr qint64 start = 1'700'000'000;
    ManualClock clock(start);
    ReminderTable table;
    TickEngine engine(table, clock, 5);
    qint64 alerts = 0;
    QObject::connect(&engine, &TickEngine::alertsRaised,
                     [&](const AlertBatch& b) { alerts += b.alerts.size(); });
    const int crops = CropCatalogue::CropCount(SoilKind::Ordinary);
    quint32 seed = 12345;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int i = 0; i < ticks; ++i) {
        clock.advance(1);
        if (i % 7 == 0) {
            ReminderRow r;
            r.cropIndex = int(next() % crops);
            r.cropName = CropCatalogue::GetOrdinaryCrop(r.cropIndex).name;
            r.ripe = clock.now() + 1 + next() % 1200;
            r.plant = r.ripe - 3600;
            r.seasonNo = 1 + int(next() % 3);
            r.note = QStringLiteral("第%1个").arg(i);
            table.append(r);
        }
        if (i % 13 == 0 && table.count() > 0) {
            const ReminderRow& r = table.row(int(next() % table.count()));
            if (r.ripe <= clock.now())
                applyNextSeason(table, r.rowId, clock.now());
        }
        if (i % 29 == 0 && table.count() > 0)
            table.removeAt(int(next() % table.count()));
        if (i % 997 == 0)
            table.sort(ReminderTable::ColRipe);
        if (i % 5000 == 0)
            engine.setLeadMinutes(1 + int(next() % 5));
        engine.tick();
    }
    std::printf("ticks %d alerts %lld rows %d\n", ticks, static_cast<long long>(alerts),
                table.count());
    return alerts > 0 ? 0 : 1;
}
