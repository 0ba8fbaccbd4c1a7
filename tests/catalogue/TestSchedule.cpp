#include "catalogue/Schedule.h"
#include "catalogue/TimeText.h"

#include <QTest>
#include <ctime>

using namespace Schedule;

namespace {
void setZone(const char* tz) {
    qputenv("TZ", tz);
    tzset();
}
qint64 at(const char* text) {
    const auto t = TimeText::Parse(QString::fromLatin1(text));
    return t.value_or(-1);
}
QString fmt(qint64 t) { return TimeText::Format(t); }
} // namespace

class TestSchedule : public QObject {
    Q_OBJECT
private slots:
    void init() { setZone("Asia/Shanghai"); }

    void ripeningTimes() {
        const CropSpec grass = CropCatalogue::GetOrdinaryCrop(0);
        QCOMPARE(fmt(RipeningTime(at("2009-10-01 13:25:00"), grass, 1)),
                 QStringLiteral("2009-10-01 21:25:00"));
        const CropSpec bottle = CropCatalogue::GetRedSoilCrop(0);
        const qint64 plant = at("2009-10-01 00:00:00");
        const QStringList expected{"2009-10-02 01:00:00", "2009-10-02 11:00:00",
                                   "2009-10-02 21:00:00", "2009-10-03 07:00:00",
                                   "2009-10-03 17:00:00", "2009-10-04 03:00:00",
                                   "2009-10-04 13:00:00", "2009-10-04 23:00:00"};
        for (int k = 1; k <= bottle.seasons; ++k)
            QCOMPARE(fmt(RipeningTime(plant, bottle, k)), expected[k - 1]);
    }

    // Both halves always add up to the season's ripening offset.
    void stageSpansAddUp() {
        for (int soil = 0; soil < 2; ++soil)
            for (int i = 0; i < CropCatalogue::CropCount(SoilKind(soil)); ++i) {
                const CropSpec c = CropCatalogue::GetCrop(SoilKind(soil), i);
                for (int season = 0; season < c.seasons; ++season) {
                    const int stages = season == 0 ? kStageCount : 2;
                    for (int st = 0; st < stages; ++st)
                        QCOMPARE(SpanPlantToStage(c, st, season) + SpanStageToRipe(c, st, season),
                                 qint64(c.totalSpan) + qint64(season) * c.regrowSpan);
                }
            }
    }

    void outOfRangeStage() {
        const CropSpec apple = CropCatalogue::GetOrdinaryCrop(40);
        QCOMPARE(SpanStageToRipe(apple, 7, 0), 0);
        QCOMPARE(SpanPlantToStage(apple, 7, 0), 0);
        QCOMPARE(SpanPlantToStage(apple, 0, 0), qint64(apple.sproutSpan));
    }

    void friendCrop_data() {
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("season");
        QTest::addColumn<QString>("ripe");
        QTest::addColumn<QString>("plant");
        QTest::addColumn<int>("seasonNo");
        QTest::newRow("ripe stage") << "0" << "30" << 4 << 0 << "2009-10-01 12:30:00"
                                    << "2009-09-30 15:30:00" << 1;
        QTest::newRow("bloom stage") << "0" << "30" << 3 << 0 << "2009-10-01 17:30:00"
                                     << "2009-09-30 20:30:00" << 1;
        QTest::newRow("second season bloom") << "0" << "30" << 0 << 1 << "2009-10-01 17:30:00"
                                             << "2009-09-30 11:30:00" << 2;
        QTest::newRow("empty fields") << "" << "" << 4 << 0 << "2009-10-01 12:00:00"
                                      << "2009-09-30 15:00:00" << 1;
        QTest::newRow("trailing junk") << "1.9" << "0x" << 4 << 0 << "2009-10-01 13:00:00"
                                       << "2009-09-30 16:00:00" << 1;
    }
    void friendCrop() {
        QFETCH(QString, hours);
        QFETCH(QString, minutes);
        QFETCH(int, stage);
        QFETCH(int, season);
        QFETCH(QString, ripe);
        QFETCH(QString, plant);
        QFETCH(int, seasonNo);
        const FriendTimes t = FriendCropTimes(at("2009-10-01 12:00:00"), hours, minutes, 40,
                                              QStringLiteral("苹果"), stage, season);
        QVERIFY(t.ok);
        QCOMPARE(fmt(t.ripe), ripe);
        QCOMPARE(fmt(t.plant), plant);
        QCOMPARE(t.seasonNo, seasonNo);
        // A friend's reminder reads like one of one's own in the schedule.
        QCOMPARE(RipeningTime(t.plant, CropCatalogue::GetOrdinaryCrop(40), seasonNo), t.ripe);
    }

    void friendCropRejects_data() {
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("minutes");
        QTest::newRow("negative hours") << "-1" << "0";
        QTest::newRow("too many hours") << "1000" << "0";
        QTest::newRow("overflowing digits") << "99999999999999999999999" << "0";
        QTest::newRow("negative minutes") << "0" << "-5";
        QTest::newRow("too many minutes") << "0" << "10000";
    }
    void friendCropRejects() {
        QFETCH(QString, hours);
        QFETCH(QString, minutes);
        const FriendTimes t = FriendCropTimes(at("2009-10-01 12:00:00"), hours, minutes, 40,
                                              QStringLiteral("苹果"), 4, 0);
        QVERIFY(!t.ok);
        QVERIFY(!t.error.isEmpty());
    }

    void friendCropBeyondFileRange() {
        const FriendTimes t = FriendCropTimes(TimeText::kMaxStorable - 60, "999", "0", 40,
                                              QStringLiteral("苹果"), 4, 0);
        QVERIFY(!t.ok);
        QVERIFY(t.error.contains(QStringLiteral("2038")));
    }

    void parseTimeText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("one space") << "2009-10-01 21:25:00" << true;
        QTest::newRow("three spaces") << "2009-10-01   21:25:00" << true;
        QTest::newRow("no space") << "2009-10-0121:25:00" << false;
        QTest::newRow("label text") << "当前时间" << false;
        QTest::newRow("bad month") << "2009-13-01 00:00:00" << false;
        QTest::newRow("bad hour") << "2009-10-01 24:00:00" << false;
        QTest::newRow("missing seconds") << "2009-10-01 21:25" << false;
        QTest::newRow("empty") << "" << false;
    }
    void parseTimeText() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const auto t = TimeText::Parse(text);
        QCOMPARE(t.has_value(), valid);
        if (valid)
            QCOMPARE(*t, at("2009-10-01 21:25:00"));
    }

    void formatRoundTripAroundMidnight() {
        const qint64 t = at("2009-12-31 23:59:59");
        QCOMPARE(fmt(t + 1), QStringLiteral("2010-01-01 00:00:00"));
        QCOMPARE(TimeText::Parse(fmt(t + 1)).value_or(0), t + 1);
    }

    // Across a daylight-saving change the schedule counts real seconds.
    void daylightSaving() {
        setZone("Europe/Berlin");
        const CropSpec grass = CropCatalogue::GetOrdinaryCrop(0); // 8 h
        const qint64 plant = at("2021-03-27 22:00:00");
        QCOMPARE(fmt(RipeningTime(plant, grass, 1)), QStringLiteral("2021-03-28 07:00:00"));
        const qint64 autumn = at("2021-10-30 22:00:00");
        QCOMPARE(fmt(RipeningTime(autumn, grass, 1)), QStringLiteral("2021-10-31 05:00:00"));
        QCOMPARE(fmt(at("2021-10-31 01:00:00") + 3600), QStringLiteral("2021-10-31 02:00:00"));
    }

    void storableRange() {
        QVERIFY(TimeText::IsStorable(0));
        QVERIFY(TimeText::IsStorable(2147483647));
        QVERIFY(!TimeText::IsStorable(-1));
        QVERIFY(!TimeText::IsStorable(2147483648LL));
    }
};

QTEST_GUILESS_MAIN(TestSchedule)
#include "TestSchedule.moc"
