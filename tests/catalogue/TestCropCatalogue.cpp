#include "catalogue/CropCatalogue.h"

#include <QSet>
#include <QTest>

using namespace CropCatalogue;

class TestCropCatalogue : public QObject {
    Q_OBJECT
private slots:
    void countsAndFirstEntry() {
        QCOMPARE(CropCount(SoilKind::Ordinary), 168);
        QCOMPARE(CropCount(SoilKind::RedSoil), 19);
        const CropSpec c = GetOrdinaryCrop(0);
        QCOMPARE(c.name, QStringLiteral("牧草"));
        QCOMPARE((QList<int>{c.totalSpan, c.sproutSpan, c.bloomSpan, c.ripeSpan, c.regrowSpan,
                             c.seasons}),
                 (QList<int>{28800, 7200, 0, 7200, 7200, 1}));
    }

    // Over both tables: spans add up, names are unique (also across tables),
    // 1 to 7 characters (at most 10 bytes in the file's code page).
    void invariants() {
        QSet<QString> names;
        for (SoilKind kind : {SoilKind::Ordinary, SoilKind::RedSoil})
            for (int i = 0; i < CropCount(kind); ++i) {
                const CropSpec c = GetCrop(kind, i);
                QVERIFY2(!c.name.isEmpty(), qPrintable(QString::number(i)));
                QCOMPARE(c.totalSpan,
                         c.sproutSpan + c.smallLeafSpan + c.bigLeafSpan + c.bloomSpan + c.ripeSpan);
                QCOMPARE(c.regrowSpan, c.bloomSpan + c.ripeSpan);
                QVERIFY(c.seasons >= 1 && c.seasons <= kMaxSeasons);
                QVERIFY(c.totalSpan % 3600 == 0 && c.totalSpan > 0);
                QVERIFY(!names.contains(c.name));
                names.insert(c.name);
                QVERIFY(c.name.size() >= 1 && c.name.size() <= 7);
            }
    }

    void zeroBloomAndSeasonExtremes() {
        QList<int> zero, nine, redSingle;
        for (int i = 0; i < CropCount(SoilKind::Ordinary); ++i) {
            if (GetOrdinaryCrop(i).bloomSpan == 0)
                zero << i;
            if (GetOrdinaryCrop(i).seasons == 9)
                nine << i;
        }
        for (int i = 0; i < CropCount(SoilKind::RedSoil); ++i)
            if (GetRedSoilCrop(i).seasons == 1)
                redSingle << i;
        QCOMPARE(zero, (QList<int>{0, 1, 2, 5, 10, 12, 15, 91}));
        QCOMPARE(nine, QList<int>{148});
        QCOMPARE(GetOrdinaryCrop(148).name, QStringLiteral("路易十四"));
        QCOMPARE(redSingle, QList<int>{6});
        QCOMPARE(GetRedSoilCrop(6).name, QStringLiteral("昙花"));
    }

    void longestSchedules_data() {
        QTest::addColumn<int>("soil");
        QTest::addColumn<int>("hours");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("ordinary") << int(SoilKind::Ordinary) << 170
                                  << QStringList{"荔枝", "海棠花", "榅桲"};
        QTest::newRow("red soil") << int(SoilKind::RedSoil) << 210
                                  << QStringList{"似血杜鹃", "芹叶铁线莲"};
    }
    void longestSchedules() {
        QFETCH(int, soil);
        QFETCH(int, hours);
        qint64 longest = 0;
        QStringList at;
        for (int i = 0; i < CropCount(SoilKind(soil)); ++i) {
            const CropSpec c = GetCrop(SoilKind(soil), i);
            const qint64 last = c.totalSpan + qint64(c.seasons - 1) * c.regrowSpan;
            if (last > longest) {
                longest = last;
                at.clear();
            }
            if (last == longest)
                at << c.name;
        }
        QCOMPARE(longest, qint64(hours) * 3600);
        QTEST(at, "names");
    }

    void resolve_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ordinary hit") << 0 << "牧草"
                                      << "牧草";
        QTest::newRow("red soil by name") << 0 << "瓶子树"
                                          << "瓶子树";
        QTest::newRow("red soil name not compared") << 3 << "牧草"
                                                    << "天堂鸟";
        QTest::newRow("parenthesised yellow") << 29 << "秋菊(黄)"
                                              << "秋菊(黄)";
        QTest::newRow("parenthesised red") << 30 << "秋菊(红)"
                                           << "秋菊(红)";
        QTest::newRow("wrong twin falls to red soil") << 29 << "秋菊(红)"
                                                      << "";
        QTest::newRow("unknown beyond red soil") << 100 << "xyz"
                                                 << "";
        QTest::newRow("negative") << -1 << "牧草"
                                  << "";
        QTest::newRow("last ordinary") << 167 << "食人花"
                                       << "食人花";
        QTest::newRow("last red soil") << 18 << "whatever"
                                       << "葡萄风信";
    }
    void resolve() {
        QFETCH(int, index);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const CropSpec c = ResolveCrop(index, name);
        QCOMPARE(c.name, expected);
        QCOMPARE(c.isEmpty(), expected.isEmpty());
    }

    void outOfRange() {
        const QList<QPair<SoilKind, int>> cases{{SoilKind::RedSoil, 19},
                                                {SoilKind::Ordinary, -1},
                                                {SoilKind::Ordinary, 168},
                                                {SoilKind::Ordinary, 2147483647}};
        for (const auto& [soil, index] : cases) {
            const CropSpec c = GetCrop(soil, index);
            QVERIFY2(c.name.isEmpty(), qPrintable(QString::number(index)));
            QCOMPARE(c.totalSpan, 0);
            QCOMPARE(c.seasons, 0);
        }
    }

    void texts() {
        QCOMPARE(StageName(0), QStringLiteral("发芽"));
        QCOMPARE(StageName(4), QStringLiteral("成熟"));
        QVERIFY(StageName(5).isEmpty());
        QCOMPARE(SeasonName(0), QStringLiteral("第一季"));
        QCOMPARE(SeasonName(8), QStringLiteral("第九季"));
        QVERIFY(SeasonName(9).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCropCatalogue)
#include "TestCropCatalogue.moc"
