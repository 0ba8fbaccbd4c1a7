#include "alarm/AlarmFakes.h"
#include "alarm/Clock.h"
#include "desk/SoundPrimer.h"
#include "reminders/ReminderTable.h"

#include <QtTest>
#include <numeric>

namespace {
constexpr qint64 T0 = 1'700'000'000;
} // namespace

class TestSoundPrimer : public QObject {
    Q_OBJECT
private slots:
    // Rows ripen at these offsets (three seasons each, lead 5); the log says
    // at which ticks the chime, and the music with it, were readied. A tick
    // readies something exactly when it reaches the second the primer asked
    // for, so the hidden program wakes for nothing else.
    void readiesAhead_data() {
        QTest::addColumn<QList<qint64>>("ripeIns");
        QTest::addColumn<QList<qint64>>("ticks");
        QTest::addColumn<QString>("expected");
        QList<qint64> all(410);
        std::iota(all.begin(), all.end(), 1);
        QTest::newRow("warning, then ripe")
            << QList<qint64>{400} << all << "97:chime 397:chime+music";
        QTest::newRow("a ripe alert beside a warning")
            << QList<qint64>{400, 100} << all << "97:chime+music 397:chime+music";
        QTest::newRow("late tick: the next alert only")
            << QList<qint64>{400} << QList<qint64>{1, 399, 400} << "399:chime+music";
    }
    void readiesAhead() {
        QFETCH(QList<qint64>, ripeIns);
        QFETCH(QList<qint64>, ticks);
        ManualClock clock{T0};
        ReminderTable table;
        TickEngine engine{table, clock, 5};
        QStringList log, ready;
        FakeChime chime{&log};
        FakeDeck deck{&log};
        SoundPrimer primer{engine, chime, deck};
        for (const qint64 in : ripeIns)
            table.append(ReminderRow{26, QStringLiteral("满天星"), 0, T0 + in, {}, 1, 0});
        for (const qint64 t : ticks) {
            const int chimes = chime.prepared, decks = deck.prepared;
            const qint64 asked = primer.wakeAt();
            clock.set(T0 + t);
            engine.tick();
            primer.onTick(T0 + t);
            QVERIFY2((chime.prepared > chimes) == (asked <= T0 + t),
                     qPrintable(QStringLiteral("tick %1, asked for %2").arg(t).arg(asked - T0)));
            if (chime.prepared > chimes)
                ready << QString::number(t) + ":chime" + (deck.prepared > decks ? "+music" : "");
        }
        QTEST(ready.join(' '), "expected");
    }
};

QTEST_GUILESS_MAIN(TestSoundPrimer)
#include "TestSoundPrimer.moc"
