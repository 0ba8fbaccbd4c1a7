#include "alarm/Clock.h"
#include "alarm/TickEngine.h"
#include "alarm/TuneDeck.h"
#include "catalogue/CropCatalogue.h"
#include "catalogue/TimeText.h"
#include "reminders/ReminderTable.h"

#include "AlarmFakes.h"

#include <QRandomGenerator>
#include <QtTest>
#include <map>

namespace {

constexpr qint64 T0 = 1'700'000'000;
constexpr int kSingle = 0;  // 牧草: one season
constexpr int kTriple = 26; // 满天星: three seasons

ReminderRow Row(int crop, int season, qint64 ripe, const QString& note = {}) {
    ReminderRow r;
    r.cropIndex = crop;
    r.cropName = CropCatalogue::GetOrdinaryCrop(crop).name;
    r.ripe = ripe;
    r.plant = ripe - 3600;
    r.seasonNo = season;
    r.note = note;
    return r;
}

QList<qint64> Range(qint64 from, qint64 to) {
    QList<qint64> out;
    for (qint64 t = from; t <= to; ++t)
        out.push_back(t);
    return out;
}

// Drives an engine over a table and writes what happened as "offset:event".
struct Rig {
    ManualClock clock{T0};
    ReminderTable table;
    TickEngine engine{table, clock};
    QVector<AlertBatch> batches;
    QStringList events;

    Rig() {
        QObject::connect(&engine, &TickEngine::alertsRaised,
                         [this](const AlertBatch& b) { batches.push_back(b); });
    }

    void tickAt(qint64 offset) {
        const int before = table.count();
        const qsizetype seen = batches.size();
        clock.set(T0 + offset);
        engine.tick();
        for (qsizetype i = seen; i < batches.size(); ++i)
            for (const Alert& a : batches[i].alerts)
                events.push_back(QStringLiteral("%1:%2%3:%4")
                                     .arg(offset)
                                     .arg(a.isRipe() ? QStringLiteral("R") : QStringLiteral("W"))
                                     .arg(batches[i].catchUp ? QStringLiteral("*") : QString())
                                     .arg(a.row.note));
        if (table.count() < before)
            events.push_back(QStringLiteral("%1:gone%2").arg(offset).arg(before - table.count()));
    }

    void run(const QList<qint64>& offsets) {
        for (qint64 t : offsets)
            tickAt(t);
    }
};

} // namespace

class TestTickEngine : public QObject {
    Q_OBJECT
private slots:
    void timeline_data() {
        QTest::addColumn<int>("crop");
        QTest::addColumn<int>("season");
        QTest::addColumn<qint64>("ripeIn");
        QTest::addColumn<int>("lead");
        QTest::addColumn<QList<qint64>>("ticks");
        QTest::addColumn<QStringList>("expected");

        const auto row = [](const char* name, int crop, int season, qint64 ripeIn,
                            const QList<qint64>& ticks, const QStringList& expected) {
            QTest::newRow(name) << crop << season << ripeIn << 5 << ticks << expected;
        };
        row("lead 5 warns 300 s before", kTriple, 1, 600, Range(1, 700),
            QStringList{"300:W:", "600:R:"});
        QTest::newRow("lead 1 warns 60 s before")
            << kTriple << 1 << qint64(600) << 1 << Range(1, 700) << QStringList{"540:W:", "600:R:"};
        row("added with less than the lead left", kTriple, 1, 200, Range(1, 300),
            QStringList{"200:R:"});
        row("added with exactly the lead left", kTriple, 1, 300, Range(1, 400),
            QStringList{"300:R:"});
        row("already past when added", kTriple, 1, -5, Range(1, 20), QStringList{});
        row("past last season removed by the first tick", kSingle, 1, -5, Range(1, 20),
            QStringList{"1:gone1"});
        row("ripe now last season", kSingle, 1, 0, Range(1, 5), QStringList{"1:gone1"});
        row("single season removed one tick after ripe", kSingle, 1, 10, Range(1, 20),
            QStringList{"10:R:", "11:gone1"});
        row("last of three seasons removed", kTriple, 3, 10, Range(1, 20),
            QStringList{"10:R:", "11:gone1"});
        row("season beyond the count never removed", kSingle, 2, 10, Range(1, 100),
            QStringList{"10:R:"});
        row("earlier season stays", kTriple, 2, 10, Range(1, 100), QStringList{"10:R:"});
        row("late tick across the warning", kTriple, 1, 600,
            (QList<qint64>{1, 290, 330} + Range(331, 600)), QStringList{"330:W:", "600:R:"});
        row("late tick across both seconds: ripe only", kTriple, 1, 600,
            (QList<qint64>{1, 299, 601}), QStringList{"601:R*:"});
        row("short late tick across both seconds", kSingle, 1, 30, (QList<qint64>{1, 25, 40, 41}),
            QStringList{"40:R:", "40:gone1"});
        row("tick missing the ripe second", kTriple, 1, 30, (QList<qint64>{28, 29, 31, 32}),
            QStringList{"31:R:"});
        row("forward jump of an hour", kTriple, 1, 1800, (QList<qint64>{1, 2, 3602, 3603}),
            QStringList{"3602:R*:"});
        row("backward jump repeats nothing", kTriple, 1, 10, (Range(1, 12) + Range(5, 15)),
            QStringList{"10:R:"});
        row("back an hour after both alerts", kTriple, 1, 600,
            (Range(250, 610) + Range(-3000, -2990) + Range(250, 650)),
            QStringList{"300:W:", "600:R:"});
        row("back before the warning after it", kTriple, 1, 600,
            (Range(295, 305) + Range(290, 600)), QStringList{"300:W:", "600:R:"});
    }
    void timeline() {
        QFETCH(int, crop);
        QFETCH(int, season);
        QFETCH(qint64, ripeIn);
        QFETCH(int, lead);
        QFETCH(QList<qint64>, ticks);
        Rig rig;
        rig.engine.setLeadMinutes(lead);
        rig.table.append(Row(crop, season, T0 + ripeIn));
        rig.run(ticks);
        QTEST(rig.events, "expected");
        QCOMPARE(rig.engine.pendingAlerts(), 0);
    }

    void leadChange_data() {
        QTest::addColumn<int>("lead");
        QTest::addColumn<qint64>("changeAt");
        QTest::addColumn<int>("newLead");
        QTest::addColumn<QStringList>("expected");

        // One row ripening at 1000.
        QTest::newRow("to 1 before the warning")
            << 5 << qint64(100) << 1 << QStringList{"940:W:", "1000:R:"};
        QTest::newRow("to 1 after the warning: not again")
            << 5 << qint64(750) << 1 << QStringList{"700:W:", "1000:R:"};
        QTest::newRow("to 5 inside the new lead: not retroactive")
            << 1 << qint64(800) << 5 << QStringList{"1000:R:"};
        QTest::newRow("to 5 just before the new warning")
            << 1 << qint64(699) << 5 << QStringList{"700:W:", "1000:R:"};
        QTest::newRow("to 3 before any warning")
            << 5 << qint64(10) << 3 << QStringList{"820:W:", "1000:R:"};
    }
    void leadChange() {
        QFETCH(int, lead);
        QFETCH(qint64, changeAt);
        QFETCH(int, newLead);
        QFETCH(QStringList, expected);

        Rig rig;
        rig.engine.setLeadMinutes(lead);
        rig.table.append(Row(kTriple, 1, T0 + 1000));
        rig.run(Range(1, changeAt));
        rig.engine.setLeadMinutes(newLead);
        rig.run(Range(changeAt + 1, 1100));
        QCOMPARE(rig.events, expected);
        if (expected.size() == 2)
            QVERIFY(rig.batches.front().alerts.front().text.startsWith(
                QStringLiteral("还有%1分钟！")
                    .arg(rig.batches.front().alerts.front().due == T0 + 1000 - 60 * newLead
                             ? newLead
                             : lead)));
    }

    void sameSecondComesInRowOrder() {
        Rig rig;
        // Appended out of ripening order, so no heap order can pass for row order.
        rig.table.append(Row(kTriple, 1, T0 + 50, "a"));
        rig.table.append(Row(kTriple, 1, T0 + 20, "x"));
        rig.table.append(Row(kTriple, 1, T0 + 50, "b"));
        rig.table.append(Row(kTriple, 1, T0 + 50, "c"));
        rig.table.append(Row(kTriple, 1, T0 + 350, "w"));
        rig.table.append(Row(kTriple, 1, T0 + 50, "d"));
        rig.table.removeAt(0);
        rig.table.append(Row(kTriple, 1, T0 + 50, "a"));
        rig.run(Range(1, 100));
        QCOMPARE(rig.events,
                 (QStringList{"20:R:x", "50:R:b", "50:R:c", "50:W:w", "50:R:d", "50:R:a"}));
        QCOMPARE(rig.batches.size(), 2);
        QCOMPARE(rig.batches[1].alerts.size(), 5);
        QVERIFY(!rig.batches[1].catchUp);
    }

    void catchUpPutsRipeFirst() {
        Rig rig;
        rig.table.append(Row(kTriple, 1, T0 + 3900, "warn-late"));
        rig.table.append(Row(kTriple, 1, T0 + 600, "ripe-a"));
        rig.table.append(Row(kTriple, 1, T0 + 3750, "warn-early"));
        rig.table.append(Row(kTriple, 1, T0 + 100, "ripe-b"));
        rig.table.append(Row(kTriple, 1, T0 + 9000, "later"));
        rig.run({1, 3601});
        QCOMPARE(rig.batches.size(), 1);
        QVERIFY(rig.batches[0].catchUp);
        QCOMPARE(rig.events, (QStringList{"3601:R*:ripe-a", "3601:R*:ripe-b", "3601:W*:warn-late",
                                          "3601:W*:warn-early"}));
        const QStringList lines = rig.batches[0].boxText().split(u'\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], rig.batches[0].alerts[0].text);
        QCOMPARE(lines[3], rig.batches[0].alerts[3].text);
        // Exactly a minute apart is still an ordinary tick.
        Rig near;
        near.table.append(Row(kTriple, 1, T0 + 30, "n"));
        near.run({1, 61});
        QCOMPARE(near.events, QStringList{"61:R:n"});
    }

    void alertTextsAndSnapshot() {
        Rig rig;
        ReminderRow r = Row(kTriple, 2, T0 + 400, QStringLiteral("东边 %1 <b>地</b>"));
        const quint32 id = rig.table.append(r);
        rig.run(Range(1, 400));
        QCOMPARE(rig.batches.size(), 2);
        const Alert& w = rig.batches[0].alerts[0];
        QCOMPARE(w.kind, Alert::Kind::Warning);
        QCOMPARE(w.rowId, id);
        QCOMPARE(w.due, T0 + 100);
        QCOMPARE(w.text.toUtf8(), QByteArray("\xe8\xbf\x98\xe6\x9c\x89"
                                             "5"
                                             "\xe5\x88\x86\xe9\x92\x9f\xef\xbc\x81"
                                             "\xe7\xac\xac"
                                             "2"
                                             "\xe5\xad\xa3\xef\xbc\x8c"
                                             "\xe6\xbb\xa1\xe5\xa4\xa9\xe6\x98\x9f"
                                             "\xe5\xb0\xb1\xe6\x88\x90\xe7\x86\x9f\xe4\xba\x86, "
                                             "\xe6\xb3\xa8\xef\xbc\x9a"
                                             "\xe4\xb8\x9c\xe8\xbe\xb9 %1 <b>\xe5\x9c\xb0</b>"));
        const Alert& a = rig.batches[1].alerts[0];
        QCOMPARE(a.kind, Alert::Kind::Ripe);
        QCOMPARE(a.due, T0 + 400);
        QVERIFY(a.row.sameContent(rig.table.row(0)));
        QCOMPARE(
            a.text.toUtf8(),
            QByteArray("\xe6\xbb\xa1\xe5\xa4\xa9\xe6\x98\x9f"
                       "\xe6\x88\x90\xe7\x86\x9f\xe4\xba\x86\xef\xbc\x81"
                       "\xe4\xb8\x8d\xe6\x91\x98\xe5\xb0\xb1\xe6\xb2\xa1\xe6\x9c\x89\xe4\xba\x86"
                       "\xe3\x80\x82\xe3\x80\x82\xe3\x80\x82"
                       "\xe6\xb3\xa8\xef\xbc\x9a"
                       "\xe4\xb8\x9c\xe8\xbe\xb9 %1 <b>\xe5\x9c\xb0</b>"));
        QCOMPARE(rig.batches[1].boxText(), a.text);
    }

    void emptyTableStillTicks() {
        Rig rig;
        QSignalSpy clock(&rig.engine, &TickEngine::clockTextChanged);
        rig.run({5, 6, 7});
        QCOMPARE(clock.size(), 3);
        QCOMPARE(clock.last().at(0).toString(), TimeText::Format(T0 + 7));
        QCOMPARE(rig.table.now(), T0 + 7);
        QCOMPARE(rig.engine.lastNow(), T0 + 7);
        QVERIFY(rig.batches.isEmpty());
    }

    void removalDoesNotSkipNextRow() {
        Rig rig;
        rig.table.append(Row(kSingle, 1, T0 + 10, "gone-1"));
        rig.table.append(Row(kSingle, 1, T0 + 10, "gone-2"));
        rig.table.append(Row(kTriple, 1, T0 + 11, "stays"));
        rig.table.append(Row(kSingle, 1, T0 + 9, "gone-3"));
        rig.table.append(Row(kTriple, 1, T0 + 11, "stays-too"));
        rig.run(Range(1, 12));
        QCOMPARE(rig.events, (QStringList{"9:R:gone-3", "10:R:gone-1", "10:R:gone-2", "10:gone1",
                                          "11:R:stays", "11:R:stays-too", "11:gone2"}));
        QCOMPARE(rig.table.count(), 2);
        QCOMPARE(rig.table.row(0).note, QStringLiteral("stays"));
        QCOMPARE(rig.table.row(1).note, QStringLiteral("stays-too"));
    }

    void followsRemovalRenumberingAndSort() {
        Rig rig;
        for (int i = 0; i < 6; ++i)
            rig.table.append(Row(kTriple, 1, T0 + 400 + 10 * i, QString::number(i)));
        rig.run(Range(1, 50));
        rig.table.removeAt(1);                  // the user deletes row "1"
        rig.table.removeAndRenumber({0, 3});    // and later rows "0" and "4"
        rig.table.sort(0, Qt::DescendingOrder); // 5, 3, 2
        rig.table.append(Row(kTriple, 1, T0 + 405, "new"));
        rig.run(Range(51, 500));
        QCOMPARE(rig.events, (QStringList{"105:W:new", "120:W:2", "130:W:3", "150:W:5", "405:R:new",
                                          "420:R:2", "430:R:3", "450:R:5"}));
        for (const AlertBatch& b : rig.batches)
            for (const Alert& a : b.alerts)
                QCOMPARE(rig.table.row(rig.table.findRow(a.rowId)).note, a.row.note);
    }

    void resetTreatsPastRowsAsLoaded() {
        Rig rig;
        rig.table.append(Row(kTriple, 1, T0 + 5, "dropped by the reset"));
        rig.table.reset({Row(kTriple, 1, T0 - 100, "past"), Row(kSingle, 1, T0 - 100, "past-last"),
                         Row(kSingle, 1, T0 + 3, "soon"), Row(kTriple, 1, T0 + 320, "warn")});
        rig.run(Range(1, 25));
        QCOMPARE(rig.events, (QStringList{"1:gone1", "3:R:soon", "4:gone1", "20:W:warn"}));
    }

    void reportsStopMusicState() {
        Rig rig;
        QStringList log;
        FakeDeck deck(&log);
        QSignalSpy spy(&rig.engine, &TickEngine::stopMusicEnabled);
        rig.tickAt(1);
        rig.engine.setTuneDeck(&deck);
        rig.tickAt(2);
        deck.setState(TuneDeck::State::Playing);
        rig.tickAt(3);
        deck.setState(TuneDeck::State::Finished);
        rig.tickAt(4);
        deck.setState(TuneDeck::State::Closed);
        rig.tickAt(5);
        QList<bool> seen;
        for (const auto& args : spy)
            seen.push_back(args.at(0).toBool());
        QCOMPARE(seen, (QList<bool>{false, false, true, true, false}));
    }

    // A day of a thousand reminders under a clock that is late, early and jumps;
    // every alert comes once, or -- for a warning caught up by its own ripening --
    // not at all, exactly as a brute-force model of the ticks says.
    void dayOfRandomReminders() {
        QRandomGenerator rng(20240611);
        Rig rig;
        const qint64 day = 86400;
        struct Expect {
            qint64 ripe;
            bool last;
        };
        std::map<QString, Expect> rows;
        for (int i = 0; i < 1000; ++i) {
            const int crop = rng.bounded(CropCatalogue::CropCount(SoilKind::Ordinary));
            const int seasons = CropCatalogue::GetOrdinaryCrop(crop).seasons;
            const int season = 1 + rng.bounded(seasons + 1);
            const qint64 ripe = T0 - 3600 + rng.bounded(int(day + 7200));
            const QString note = QString::number(i);
            rig.table.append(Row(crop, season, ripe, note));
            rows[note] = {ripe, season == seasons};
        }
        QList<qint64> ticks;
        qint64 t = 0;
        while (t < day) {
            const quint32 roll = rng.bounded(1000);
            if (roll < 5)
                t -= 1 + rng.bounded(40); // clock set back
            else if (roll < 20)
                t += 2 + rng.bounded(90); // late tick, sometimes past a minute
            else if (roll == 20 && rng.bounded(20) == 0)
                t += 3600; // suspended
            else
                t += 1;
            ticks.push_back(t);
        }
        rig.run(ticks);

        // The first tick reaching an instant is the one that handles it.
        QList<qint64> highest;
        qint64 top = std::numeric_limits<qint64>::min();
        for (qint64 x : ticks)
            highest.push_back(top = qMax(top, x));
        const auto firstReaching = [&](qint64 offset) -> qint64 {
            const auto it = std::lower_bound(highest.begin(), highest.end(), offset);
            return it == highest.end() ? -1 : ticks[it - highest.begin()];
        };
        QMap<QString, int> ripeSeen, warnSeen;
        int expectedRipe = 0, expectedWarn = 0, expectedGone = 0;
        for (const AlertBatch& b : rig.batches)
            for (const Alert& a : b.alerts)
                ++(a.isRipe() ? ripeSeen : warnSeen)[a.row.note];
        for (const auto& [note, e] : rows) {
            const qint64 r = e.ripe - T0;
            const qint64 ripeTick = r > 0 ? firstReaching(r) : -1;
            const qint64 warnTick = r - 300 > 0 ? firstReaching(r - 300) : -1;
            const bool ripeAlert = ripeTick != -1;
            const bool warnAlert = warnTick != -1 && warnTick < r;
            QCOMPARE(ripeSeen.value(note), ripeAlert ? 1 : 0);
            QCOMPARE(warnSeen.value(note), warnAlert ? 1 : 0);
            expectedRipe += ripeAlert;
            expectedWarn += warnAlert;
            expectedGone += e.last && firstReaching(r + 1) != -1;
        }
        QCOMPARE(1000 - rig.table.count(), expectedGone);
        QVERIFY(expectedRipe > 800);
        QVERIFY(expectedWarn > 700);
    }
};

QTEST_GUILESS_MAIN(TestTickEngine)
#include "TestTickEngine.moc"
