#include "catalogue/Schedule.h"
#include "catalogue/TimeText.h"

#include <QTest>
#include <ctime>

using namespace Schedule;

// Ripening times of whole schedules (also across daylight saving) are pinned
// through the planting form's panel in TestPlantingForm::panelFromForm.
namespace {
void setZone(const char* tz) {
    qputenv("TZ", tz);
    tzset();
}
qint64 at(const char* text) {
    return TimeText::Parse(QString::fromLatin1(text)).value_or(-1);
}
QString fmt(qint64 t) {
    return TimeText::Format(t);
}
} // namespace

class TestSchedule : public QObject {
    Q_OBJECT
private slots:
    void init() { setZone("Asia/Shanghai"); }

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
        const auto row = [](const char* name, const char* h, const char* m, int stage, int season,
                            const char* ripe, const char* plant, int seasonNo) {
            QTest::newRow(name) << QString(h) << QString(m) << stage << season << QString(ripe)
                                << QString(plant) << seasonNo;
        };
        row("ripe stage", "0", "30", 4, 0, "2009-10-01 12:30:00", "2009-09-30 15:30:00", 1);
        row("bloom stage", "0", "30", 3, 0, "2009-10-01 17:30:00", "2009-09-30 20:30:00", 1);
        row("second season bloom", "0", "30", 0, 1, "2009-10-01 17:30:00", "2009-09-30 11:30:00",
            2);
        row("empty fields", "", "", 4, 0, "2009-10-01 12:00:00", "2009-09-30 15:00:00", 1);
        row("trailing junk", "1.9", "0x", 4, 0, "2009-10-01 13:00:00", "2009-09-30 16:00:00", 1);
    }
    void friendCrop() {
        QFETCH(QString, hours);
        QFETCH(QString, minutes);
        QFETCH(int, stage);
        QFETCH(int, season);
        const FriendTimes t = FriendCropTimes(at("2009-10-01 12:00:00"), hours, minutes, 40,
                                              QStringLiteral("苹果"), stage, season);
        QVERIFY(t.ok);
        QTEST(fmt(t.ripe), "ripe");
        QTEST(fmt(t.plant), "plant");
        QTEST(t.seasonNo, "seasonNo");
        // A friend's reminder reads like one of one's own in the schedule.
        QCOMPARE(RipeningTime(t.plant, CropCatalogue::GetOrdinaryCrop(40), t.seasonNo), t.ripe);
    }

    void friendCropRejects_data() {
        QTest::addColumn<qint64>("reference");
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<QString>("error"); // a part of the message
        const qint64 ref = at("2009-10-01 12:00:00");
        const auto row = [](const char* name, qint64 r, const char* h, const char* m,
                            const char* error = "") {
            QTest::newRow(name) << r << QString(h) << QString(m) << QString(error);
        };
        row("negative hours", ref, "-1", "0");
        row("too many hours", ref, "1000", "0");
        row("overflowing digits", ref, "99999999999999999999999", "0");
        row("negative minutes", ref, "0", "-5");
        row("too many minutes", ref, "0", "10000");
        row("beyond file range", TimeText::kMaxStorable - 60, "999", "0", "2038");
    }
    void friendCropRejects() {
        QFETCH(qint64, reference);
        QFETCH(QString, hours);
        QFETCH(QString, minutes);
        QFETCH(QString, error);
        const FriendTimes t =
            FriendCropTimes(reference, hours, minutes, 40, QStringLiteral("苹果"), 4, 0);
        QVERIFY(!t.ok);
        QVERIFY(!t.error.isEmpty());
        QVERIFY(t.error.contains(error));
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

    void formatAroundMidnightAndRepeatedHour() {
        const qint64 t = at("2009-12-31 23:59:59");
        QCOMPARE(fmt(t + 1), QStringLiteral("2010-01-01 00:00:00"));
        QCOMPARE(TimeText::Parse(fmt(t + 1)).value_or(0), t + 1);
        setZone("Europe/Berlin");
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
