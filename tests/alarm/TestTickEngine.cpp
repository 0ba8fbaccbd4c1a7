#include "alarm/Clock.h"
#include "alarm/NextSeason.h"
#include "alarm/TickEngine.h"
#include "alarm/TickTimer.h"
#include "catalogue/CropCatalogue.h"
#include "reminders/ReminderTable.h"

#include <QtTest>
#include <functional>
#include <numeric>

namespace {

constexpr qint64 T0 = 1'700'000'000;
constexpr int kSingle = 0;  // 牧草: one season
constexpr int kTriple = 26; // 满天星: 25 h to ripen, 10 h to ripen again, three seasons

ReminderRow row(qint64 ripeIn, const QString& note = {}, int crop = kTriple, int season = 1,
                const QString& name = {}) {
    ReminderRow r;
    r.cropIndex = crop;
    r.cropName = name.isEmpty() ? CropCatalogue::GetOrdinaryCrop(crop).name : name;
    r.ripe = T0 + ripeIn;
    r.seasonNo = season;
    r.note = note;
    return r;
}

// Ticks an engine at offsets from T0 and logs "offset:R:note" for a ripe alert,
// "offset:W<minutes>:note" for a warning (minutes and note as its text names them) (with "*" in a
// catch-up batch) and "offset:left:<notes of the rows left>" after a removal. Every tick also
// checks the engine's next due second: a tick does something exactly when it reaches that second,
// so sleeping until then loses and wastes nothing.
struct Rig {
    ManualClock clock{T0};
    ReminderTable table;
    TickEngine engine{table, clock, 5};
    QStringList events;

    Rig() {
        QObject::connect(&engine, &TickEngine::alertsRaised, [this](const AlertBatch& b) {
            for (const Alert& a : b.alerts)
                events << QStringLiteral("%1:%2%3:%4")
                              .arg(clock.now() - T0)
                              .arg(a.isRipe() ? QStringLiteral("R")
                                              : u'W' + a.text.section(u'分', 0, 0).mid(2),
                                   b.catchUp ? QStringLiteral("*") : QString(),
                                   a.text.section(QStringLiteral("注："), 1));
        });
    }
    void tick(qint64 t) {
        const int before = table.count();
        const qsizetype logged = events.size();
        const qint64 due = engine.nextDue();
        clock.set(T0 + t);
        engine.tick();
        QString left;
        for (const ReminderRow& r : table.rows())
            left += r.note;
        if (table.count() < before)
            events << QStringLiteral("%1:left:%2").arg(t).arg(left);
        QVERIFY2((events.size() > logged) == (T0 + t >= due),
                 qPrintable(QStringLiteral("tick %1, next due %2").arg(t).arg(due - T0)));
    }
};

struct Case {
    QVector<ReminderRow> rows;
    QList<qint64> ticks;
    QStringList expected;
    qint64 at = TickEngine::kNoTick; // the edit runs after the tick at this offset
    std::function<void(Rig&)> edit = {};
};

std::function<void(Rig&)> lead(int minutes) {
    return [minutes](Rig& rig) { rig.engine.setLeadMinutes(minutes); };
}

} // namespace

Q_DECLARE_METATYPE(Case)

class TestTickEngine : public QObject {
    Q_OBJECT
private slots:
    void timeline_data() {
        QTest::addColumn<Case>("c");
        QList<qint64> all(1100);
        std::iota(all.begin(), all.end(), 1);
        const auto add = [](const char* name, const Case& c) { QTest::newRow(name) << c; };
        add("added exactly the lead before", {{row(300)}, all, {"300:R:"}});
        add("season beyond the count never goes", {{row(10, {}, kSingle, 2)}, all, {"10:R:"}});
        add("late tick across both: ripe only", {{row(600)}, {1, 299, 600}, {"600:R:"}});
        add("sleeping until due is no catch-up",
            {{row(600)}, {1, 300, 600}, {"300:W5:", "600:R:"}});
        add("a minute late is no catch-up", {{row(100)}, {1, 160}, {"160:R:"}});
        add("a second more is", {{row(100)}, {1, 161}, {"161:R*:"}});
        // Loaded inside the lead: a lower lead whose instant lies after the
        // handled second (the edit's tick) still warns.
        add("lead to 1, new instant a second ahead",
            {{row(200)}, all, {"140:W1:", "200:R:"}, 139, lead(1)});
        add("lead to 1, new instant just handled", {{row(200)}, all, {"200:R:"}, 140, lead(1)});
        add("added inside the lead, then lead 1",
            {{}, all, {"190:W1:%1 <b>a</b>", "250:R:%1 <b>a</b>"}, 50, [](Rig& rig) {
                 rig.table.append(row(250, "%1 <b>a</b>"));
                 rig.engine.setLeadMinutes(1);
             }});
        // Out of ripening order, so no heap order can pass for row order.
        add("same second in row order",
            {{row(50, "a"), row(20, "x"), row(50, "b"), row(350, "w"), row(50, "c")},
             all,
             {"20:R:x", "50:R:a", "50:R:b", "50:W5:w", "50:R:c", "350:R:w"}});
        add("catch-up: ripe first, then row order",
            {{row(3900, "w"), row(600, "a"), row(3750, "v"), row(100, "b"), row(9000, "l")},
             {1, 3601},
             {"3601:R*:a", "3601:R*:b", "3601:W5*:w", "3601:W5*:v"}});
        add("ripe when loaded: gone a second later",
            {{row(0, {}, kSingle)}, {0, 1, 2}, {"1:left:"}});
        add("a removal skips no row",
            {{row(10, "a", kSingle), row(10, "b", kSingle), row(11, "c"), row(9, "d", kSingle),
              row(11, "e")},
             all,
             {"9:R:d", "10:R:a", "10:R:b", "10:left:abce", "11:R:c", "11:R:e", "11:left:ce"}});
        const auto edit = [](Rig& rig) {
            rig.table.removeAt(1);                  // the user deletes row "1"
            rig.table.removePositions({0});         // and row "0"
            rig.table.sort(0, Qt::DescendingOrder); // 3, 2
            rig.table.append(row(405, "n"));
        };
        add("deleted and sorted rows",
            {{row(400, "0"), row(410, "1"), row(420, "2"), row(430, "3")},
             all,
             {"105:W5:n", "120:W5:2", "130:W5:3", "405:R:n", "420:R:2", "430:R:3"},
             50,
             edit});
    }
    void timeline() {
        QFETCH(Case, c);
        Rig rig;
        rig.table.append(row(5, "x")); // replaced by the rows as a loaded file does
        rig.table.reset(c.rows);
        for (qint64 t : c.ticks) {
            rig.tick(t);
            if (c.edit && t == c.at)
                c.edit(rig);
        }
        QCOMPARE(rig.events.join(" "), c.expected.join(" "));
    }

    void warningNamesLeadAndSeason() {
        QCOMPARE(AlertText::warning(7, row(0, "n", kTriple, 2)),
                 QStringLiteral("还有7分钟！第2季，满天星就成熟了, 注：n"));
    }

    void nextSeason() {
        const qint64 ref = T0 + 7777;
        QStringList got;
        // Ordinary entry 0 is 牧草; the name 瓶子树 picks the red-soil crop.
        for (const ReminderRow& r :
             {row(-60, "北坡", 0, 3, "瓶子树"), row(-60, "x", 500, 1, "无名")}) {
            const ReminderRow n = nextSeasonRow(r, ref);
            got << QStringLiteral("%1 %2 %3 %4 %5")
                       .arg(n.cropName, n.note, QString::number(n.seasonNo),
                            QString::number(n.ripe - ref), QString::number(n.plant - ref));
        }
        // Ripe again in 10 h; planted as if the previous season ripened at ref.
        QCOMPARE(got, (QStringList{"瓶子树 北坡 4 36000 -162000", "无名 x 2 0 0"}));
    }

    void tickTimerAimsJustPastEachSecond() {
        const int s = TickTimer::kSlackMs;
        const qint64 t = 1'700'000'000'000; // on a second's turn
        QList<int> delays;
        for (qint64 ms : {t, t + s, t + 400, t + 999, qint64(-1)})
            delays << TickTimer::delayToNextSecond(ms);
        QCOMPARE(delays, (QList<int>{1000 + s, 1000, 600 + s, 1 + s, 1 + s}));
    }
};

QTEST_GUILESS_MAIN(TestTickEngine)
#include "TestTickEngine.moc"
