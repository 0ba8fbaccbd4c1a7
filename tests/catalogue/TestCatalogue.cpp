#include "catalogue/Schedule.h"
#include "catalogue/TimeText.h"

#include <QtTest>
#include <ctime>

using namespace CropCatalogue;

class TestCatalogue : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        qputenv("TZ", "Asia/Shanghai");
        tzset();
    }

    // Over both tables: spans add up in every season and stage; names are unique
    // (also across tables) and 1 to 7 characters long.
    void tables() {
        QSet<QString> names;
        for (SoilKind kind : {SoilKind::Ordinary, SoilKind::RedSoil})
            for (int i = 0; i < CropCount(kind); ++i) {
                const auto c = GetCrop(kind, i);
                QVERIFY2(c.name.size() >= 1 && c.name.size() <= 7 && !names.contains(c.name),
                         qPrintable(c.name));
                names.insert(c.name);
                QCOMPARE(c.totalSpan,
                         c.sproutSpan + c.smallLeafSpan + c.bigLeafSpan + c.bloomSpan + c.ripeSpan);
                QCOMPARE(c.regrowSpan, c.bloomSpan + c.ripeSpan);
                QVERIFY(c.seasons >= 1 && c.seasons <= kMaxSeasons && c.totalSpan > 0);
                for (int season = 0; season < c.seasons; ++season)
                    for (int st = 0; st < (season ? 2 : kStageCount); ++st)
                        QCOMPARE(Schedule::SpanPlantToStage(c, st, season) +
                                     Schedule::SpanStageToRipe(c, st, season),
                                 Schedule::RipeningTime(0, c, season + 1));
                QCOMPARE(Schedule::SpanPlantToStage(c, kStageCount, 0) +
                             Schedule::SpanStageToRipe(c, kStageCount, 0),
                         0); // no such stage
            }
        QCOMPARE((QStringList{StageName(-1), StageName(kStageCount), SeasonName(kMaxSeasons)}),
                 QStringList(3));
    }

    // The ordinary entry when its name matches, else the red-soil one at that index (the
    // wrong one of the twins 29 and 30 falls to red soil, which has no 29).
    void resolve() {
        const QList<std::tuple<int, QString, QString>> cases{
            {0, "牧草", "牧草"},          {3, "牧草", "天堂鸟"},
            {29, "秋菊(黄)", "秋菊(黄)"}, {29, "秋菊(红)", ""},
            {18, "whatever", "葡萄风信"}, {19, "whatever", ""},
            {168, "食人花", ""},          {-1, "牧草", ""},
            {INT_MAX, "牧草", ""}};
        for (const auto& [index, name, expected] : cases)
            QCOMPARE(ResolveCrop(index, name).name, expected);
    }

    // The time left as typed ("hours|minutes"), counted from 2009-10-01 12:00 unless given.
    void friendCrop_data() {
        QTest::addColumn<qint64>("reference");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("season");
        QTest::addColumn<QString>("result"); // "ripe|plant|season number", or "refused"
        const auto row = [](const char* typed, int stage, int season, const char* result,
                            qint64 ref = 1254369600) {
            QTest::newRow(typed) << ref << QString(typed) << stage << season << QString(result);
        };
        row(" +1.9|30x", 4, 0, "2009-10-01 13:30:00|2009-09-30 16:30:00|1"); // ripe; junk after
        row("|30", 3, 0, "2009-10-01 17:30:00|2009-09-30 20:30:00|1");       // bloom; hours empty
        row("0|30", 0, 1, "2009-10-01 17:30:00|2009-09-30 11:30:00|2");      // second season bloom
        row("999|9999", 4, 0, "2009-11-19 01:39:00|2009-11-18 04:39:00|1");  // the largest
        row("-1|0", 4, 0, "refused");
        row("1000|0", 4, 0, "refused");
        row("99999999999999999999|0", 4, 0, "refused");
        row("0|-5", 4, 0, "refused");
        row("0|10000", 4, 0, "refused");
        row("0|0", 4, 0, "refused", 3600);                        // planted before 1970
        row("0|1", 0, 0, "refused", TimeText::kMaxStorable - 60); // ripe after 2038
    }
    void friendCrop() {
        QFETCH(qint64, reference);
        QFETCH(QString, typed);
        QFETCH(int, stage);
        QFETCH(int, season);
        const Schedule::FriendTimes t =
            Schedule::FriendCropTimes(reference, typed.section(u'|', 0, 0), typed.section(u'|', 1),
                                      40, QStringLiteral("苹果"), stage, season);
        const QStringList times{TimeText::format(t.ripe), TimeText::format(t.plant)};
        QCOMPARE(t.error.isEmpty(), t.ok);
        QTEST(t.ok ? times.join(u'|') + u'|' + QString::number(t.seasonNo) : "refused", "result");
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "TestCatalogue.moc"
