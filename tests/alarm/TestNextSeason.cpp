#include "alarm/Clock.h"
#include "alarm/NextSeason.h"
#include "alarm/TickEngine.h"
#include "catalogue/CropCatalogue.h"

#include <QtTest>

namespace {

constexpr qint64 T = 1'700'000'000;
constexpr qint64 H = 3600;
constexpr int kTriple = 26; // 满天星: 25 h to ripen, 10 h to ripen again, three seasons

ReminderRow RipeRow(int crop, int season, const QString& note) {
    ReminderRow r;
    r.cropIndex = crop;
    r.cropName = CropCatalogue::GetOrdinaryCrop(crop).name;
    r.plant = T - 40 * H;
    r.ripe = T - 60;
    r.note = note;
    r.seasonNo = season;
    return r;
}

} // namespace

class TestNextSeason : public QObject {
    Q_OBJECT
private slots:
    void nextRow_data() {
        QTest::addColumn<int>("crop");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("season");
        QTest::addColumn<qint64>("reference");
        QTest::addColumn<qint64>("ripe");
        QTest::addColumn<qint64>("plant");
        QTest::addColumn<QString>("expectedName");

        const QString triple = CropCatalogue::GetOrdinaryCrop(kTriple).name;
        QTest::newRow("season 1 at T")
            << kTriple << triple << 1 << T << T + 10 * H << T - 25 * H << triple;
        QTest::newRow("season 2 at T2") << kTriple << triple << 2 << T + 7777 << T + 7777 + 10 * H
                                        << T + 7777 - 35 * H << triple;
        // 瓶子树 is red-soil entry 0; ordinary entry 0 is 牧草 (8 h, one season).
        const QString red = CropCatalogue::GetRedSoilCrop(0).name;
        QTest::newRow("red-soil crop at its index")
            << 0 << red << 3 << T << T + 10 * H << T - 45 * H << red;
        QTest::newRow("unknown crop keeps its name")
            << 500 << QStringLiteral("无名") << 1 << T << T << T << QStringLiteral("无名");
    }
    void nextRow() {
        QFETCH(int, crop);
        QFETCH(QString, name);
        QFETCH(int, season);
        QFETCH(qint64, reference);
        QFETCH(qint64, ripe);
        QFETCH(qint64, plant);
        QFETCH(QString, expectedName);

        ReminderRow old = RipeRow(crop, season, QStringLiteral("北坡 第3块"));
        old.cropName = name;
        const ReminderRow next = NextSeasonRow(old, reference);
        QCOMPARE(next.cropIndex, crop);
        QCOMPARE(next.cropName, expectedName);
        QCOMPARE(next.seasonNo, season + 1);
        QCOMPARE(next.ripe, ripe);
        QCOMPARE(next.plant, plant);
        QCOMPARE(next.note, old.note);
    }

    void actsOnTheClickedRowAfterRowsAboveWent() {
        ReminderTable table;
        table.append(RipeRow(kTriple, 1, "above-1"));
        table.append(RipeRow(kTriple, 1, "above-2"));
        const quint32 clicked = table.append(RipeRow(kTriple, 1, "clicked"));
        table.append(RipeRow(kTriple, 2, "below"));
        // Between the click and the press, the rows above it go.
        table.removeAt(0);
        table.removeAt(0);
        QVERIFY(ApplyNextSeason(table, clicked, T));
        QCOMPARE(table.count(), 2);
        QCOMPARE(table.row(0).note, QStringLiteral("below"));
        QCOMPARE(table.row(0).seasonNo, 2);
        QCOMPARE(table.row(1).note, QStringLiteral("clicked"));
        QCOMPARE(table.row(1).seasonNo, 2);
        QCOMPARE(table.row(1).ripe, T + 10 * H);
        QCOMPARE(table.findRow(clicked), -1);
        QVERIFY(!ApplyNextSeason(table, clicked, T)); // a second press needs a new click
    }

    void goneIdChangesNothing() {
        ReminderTable table;
        table.append(RipeRow(kTriple, 1, "a"));
        const quint32 id = table.append(RipeRow(kTriple, 1, "b"));
        table.removeAt(1);
        const QVector<ReminderRow> before = table.rows();
        QVERIFY(!ApplyNextSeason(table, id, T));
        QCOMPARE(table.count(), before.size());
        QVERIFY(table.row(0).sameContent(before[0]));
    }

    // The example end to end: 1 -> 2 at T, 2 -> 3 at T2, season 3 removed by the
    // tick one second after it ripens.
    void lastSeasonEndsUnderTheTick() {
        ManualClock clock(T);
        ReminderTable table;
        TickEngine engine(table, clock);
        int ripeAlerts = 0;
        connect(&engine, &TickEngine::alertsRaised, this, [&](const AlertBatch& b) {
            for (const Alert& a : b.alerts)
                ripeAlerts += a.isRipe();
        });
        table.append(RipeRow(kTriple, 1, "n"));
        engine.tick();
        QVERIFY(ApplyNextSeason(table, table.row(0).rowId, clock.now()));
        const qint64 t2 = T + 10 * H + 30;
        clock.set(t2);
        engine.tick();
        QCOMPARE(ripeAlerts, 1);
        QVERIFY(ApplyNextSeason(table, table.row(0).rowId, t2));
        QCOMPARE(table.row(0).seasonNo, 3);
        QCOMPARE(table.row(0).plant, t2 - 35 * H);
        clock.set(t2 + 10 * H);
        engine.tick();
        QCOMPARE(ripeAlerts, 2);
        QCOMPARE(table.count(), 1);
        clock.advance(1);
        engine.tick();
        QCOMPARE(table.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestNextSeason)
#include "TestNextSeason.moc"
