#include "catalogue/TimeText.h"
#include "form/PlantingForm.h"

#include <QTest>
#include <ctime>

namespace {
void setZone(const char* tz) {
    qputenv("TZ", tz);
    tzset();
}
qint64 at(const char* text) {
    return TimeText::Parse(QString::fromLatin1(text)).value_or(-1);
}
int indexOf(SoilKind soil, const QString& name) {
    for (int i = 0; i < CropCatalogue::CropCount(soil); ++i)
        if (CropCatalogue::GetCrop(soil, i).name == name)
            return i;
    return -1;
}
const QStringList kFiveStages{"发芽", "小叶子", "大叶子", "开花", "成熟"};
const QStringList kTwoStages{"开花", "成熟"};

QStringList panelList(const PlantingForm& f) {
    QStringList out;
    for (const QString& s : f.panel())
        out << s;
    return out;
}

// Picks a crop the way the dialog does: the new selection, then the handler.
void choose(PlantingForm& f, SoilKind soil, const QString& name, qint64 now) {
    if (soil == SoilKind::Ordinary)
        f.OnSoilOrdinary();
    else
        f.OnSoilRedSoil();
    const int i = indexOf(soil, name);
    QVERIFY2(i >= 0, qPrintable(name));
    f.setCropSelection(i);
    f.OnCropSelChange(now);
}
} // namespace

class TestPlantingForm : public QObject {
    Q_OBJECT
private slots:
    void init() { setZone("Asia/Shanghai"); }

    void seasonsOffered_data() {
        QTest::addColumn<int>("soil");
        QTest::addColumn<QString>("crop");
        QTest::addColumn<int>("seasons");
        QTest::newRow("red-soil epiphyllum") << 1 << QStringLiteral("昙花") << 1;
        QTest::newRow("louis xiv") << 0 << QStringLiteral("路易十四") << 9;
        QTest::newRow("apple") << 0 << QStringLiteral("苹果") << 2;
        QTest::newRow("bottle tree") << 1 << QStringLiteral("瓶子树") << 8;
    }
    void seasonsOffered() {
        QFETCH(int, soil);
        QFETCH(QString, crop);
        QFETCH(int, seasons);
        PlantingForm f;
        choose(f, SoilKind(soil), crop, 1000);
        QCOMPARE(f.seasons().items.size(), seasons);
        for (int s = 0; s < seasons; ++s)
            QCOMPARE(f.seasons().items[s], CropCatalogue::SeasonName(s));
        QCOMPARE(f.seasons().selected, 0);
        QCOMPARE(f.stages().items, kFiveStages);
        QCOMPARE(f.stages().selectedText(), QStringLiteral("成熟"));
    }

    // Every radio click refills the lists to their start, never appending.
    void radioSwitching_data() {
        QTest::addColumn<QString>("clicks"); // o = ordinary, r = red soil
        QTest::addColumn<bool>("friendMode");
        QTest::newRow("same radio again") << QString("oo") << false;
        QTest::newRow("back and forth") << QString("orororo") << false;
        QTest::newRow("friend mode") << QString("rorrooro") << true;
        QTest::newRow("ends on red") << QString("oror") << true;
    }
    void radioSwitching() {
        QFETCH(QString, clicks);
        QFETCH(bool, friendMode);
        PlantingForm f;
        f.FillCropList(SoilKind::Ordinary);
        f.OnFriendCropClicked(friendMode);
        f.setCropSelection(indexOf(SoilKind::Ordinary, "苹果"));
        f.OnCropSelChange(1000);
        f.setSeasonSelection(1);
        f.OnSeasonSelChange();
        for (QChar c : clicks) {
            c == u'o' ? f.OnSoilOrdinary() : f.OnSoilRedSoil();
            const SoilKind soil = c == u'o' ? SoilKind::Ordinary : SoilKind::RedSoil;
            QCOMPARE(f.soilKind(), soil);
            QCOMPARE(f.crops().items.size(), CropCatalogue::CropCount(soil));
            QCOMPARE(f.crops().selected, 0);
            QCOMPARE(f.crops().selectedText(), CropCatalogue::GetCrop(soil, 0).name);
            QCOMPARE(f.seasons().items, QStringList{"第一季"});
            QCOMPARE(f.seasons().selected, 0);
            QCOMPARE(f.stages().items, kFiveStages);
            QCOMPARE(f.stages().selected, 4);
        }
        QCOMPARE(f.friendMode(), friendMode); // the radios leave friend mode alone
        if (clicks.endsWith(u'o'))
            QCOMPARE(f.crops().selectedText(), QStringLiteral("牧草"));
    }

    void stagesFollowSeason_data() {
        QTest::addColumn<int>("season");
        QTest::addColumn<QStringList>("stages");
        QTest::newRow("first") << 0 << kFiveStages;
        QTest::newRow("second") << 1 << kTwoStages;
        QTest::newRow("ninth") << 8 << kTwoStages;
    }
    void stagesFollowSeason() {
        QFETCH(int, season);
        QFETCH(QStringList, stages);
        PlantingForm f;
        choose(f, SoilKind::Ordinary, "路易十四", 1000);
        f.setStageSelection(0);
        f.setSeasonSelection(season);
        f.OnSeasonSelChange();
        QCOMPARE(f.stages().items, stages);
        QCOMPARE(f.stages().selectedText(), QStringLiteral("成熟"));
        f.setSeasonSelection(0);
        f.OnSeasonSelChange();
        QCOMPARE(f.stages().items, kFiveStages);
        QCOMPARE(f.stages().selected, 4);
    }

    // Ticking overwrites what was typed; unticking clears; the panel stays.
    void friendToggle() {
        const QString hoursBefore = "-3.5", minutesBefore = "x";
        PlantingForm f;
        f.FillCropList(SoilKind::Ordinary);
        f.setHoursText(hoursBefore);
        f.setMinutesText(minutesBefore);
        const PlantingForm::PanelLines before = f.panel();
        f.OnFriendCropClicked(true);
        QCOMPARE(f.hoursText(), QStringLiteral("0"));
        QCOMPARE(f.minutesText(), QStringLiteral("30"));
        QVERIFY(!f.pickerEnabled());
        QVERIFY(f.friendFieldsEnabled());
        f.setHoursText(hoursBefore);
        f.setMinutesText(minutesBefore);
        f.OnFriendCropClicked(false);
        QCOMPARE(f.hoursText(), QString());
        QCOMPARE(f.minutesText(), QString());
        QVERIFY(f.pickerEnabled());
        QVERIFY(!f.friendFieldsEnabled());
        QCOMPARE(f.panel(), before);
    }

    void cropChoiceResetsPicker() {
        PlantingForm f(at("2009-10-01 13:25:00"));
        f.FillCropList(SoilKind::Ordinary);
        f.setPlant(at("2009-09-20 08:00:00"));
        f.OnPlantTimeChange();
        QCOMPARE(f.panel()[0], QStringLiteral("2009-09-20 16:00:00"));
        f.setCropSelection(0);
        f.OnCropSelChange(at("2009-10-02 10:00:00"));
        QCOMPARE(f.plant(), at("2009-10-02 10:00:00"));
        QCOMPARE(f.panel()[0], QStringLiteral("2009-10-02 18:00:00"));
    }

    void panelFromForm_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<int>("soil");
        QTest::addColumn<QString>("crop");
        QTest::addColumn<QString>("plant");
        QTest::addColumn<QStringList>("lines");
        const auto row = [](const char* name, const char* zone, int soil, const char* crop,
                            const char* plant, QStringList lines) {
            while (lines.size() < 9)
                lines << QStringLiteral("--.--.--");
            QTest::newRow(name) << QByteArray(zone) << soil << QString(crop) << QString(plant)
                                << lines;
        };
        row("pasture", "Asia/Shanghai", 0, "牧草", "2009-10-01 13:25:00", {"2009-10-01 21:25:00"});
        row("bottle tree", "Asia/Shanghai", 1, "瓶子树", "2009-10-01 00:00:00",
            {"2009-10-02 01:00:00", "2009-10-02 11:00:00", "2009-10-02 21:00:00",
             "2009-10-03 07:00:00", "2009-10-03 17:00:00", "2009-10-04 03:00:00",
             "2009-10-04 13:00:00", "2009-10-04 23:00:00"});
        row("over midnight and new year", "Asia/Shanghai", 0, "牧草", "2009-12-31 20:00:00",
            {"2010-01-01 04:00:00"});
        // Central Europe leaves summer time at 03:00 on 2009-10-25: eight real
        // hours after 20:00 CEST read 03:00 CET, not 04:00.
        row("end of summer time", "Europe/Berlin", 0, "牧草", "2009-10-24 20:00:00",
            {"2009-10-25 03:00:00"});
        row("start of summer time", "Europe/Berlin", 0, "牧草", "2009-03-28 20:00:00",
            {"2009-03-29 05:00:00"});
    }
    void panelFromForm() {
        QFETCH(QByteArray, zone);
        QFETCH(int, soil);
        QFETCH(QString, crop);
        QFETCH(QString, plant);
        setZone(zone.constData());
        PlantingForm f;
        choose(f, SoilKind(soil), crop, TimeText::Parse(plant).value());
        QTEST(panelList(f), "lines");
    }

    void panelFromRow_data() {
        QTest::addColumn<QString>("crop");
        QTest::addColumn<int>("seasonNo");
        QTest::addColumn<QString>("pattern"); // R ripened, T time, - none
        QTest::newRow("season 3 of 5") << QStringLiteral("木瓜") << 3 << "RRTTT----";
        QTest::newRow("season 3 of 9") << QStringLiteral("路易十四") << 3 << "RRTTTTTTT";
        QTest::newRow("season 1") << QStringLiteral("路易十四") << 1 << "TTTTTTTTT";
        QTest::newRow("beyond the last") << QStringLiteral("苹果") << 4 << "RR-------";
        QTest::newRow("unknown crop") << QStringLiteral("无此作物") << 1 << "---------";
    }
    void panelFromRow() {
        QFETCH(QString, crop);
        QFETCH(int, seasonNo);
        QFETCH(QString, pattern);
        const int found = indexOf(SoilKind::Ordinary, crop);
        const int idx = found >= 0 ? found : 9999;
        const CropSpec entry = CropCatalogue::ResolveCrop(idx, crop);
        const qint64 plant = at("2009-10-01 00:00:00");
        PlantingForm f;
        f.ShowRowSchedule(idx, crop, plant, seasonNo);
        for (int k = 0; k < 9; ++k) {
            const QString line = f.panel()[k];
            if (pattern[k] == u'R')
                QCOMPARE(line, QStringLiteral("已成熟"));
            else if (pattern[k] == u'-')
                QCOMPARE(line, QStringLiteral("--.--.--"));
            else
                QCOMPARE(line, TimeText::Format(plant + entry.totalSpan + k * entry.regrowSpan));
        }
    }

    // What Describe returns for own and friend crops is pinned through the
    // dialog (TestReminderDlg::addRows) and Schedule::FriendCropTimes
    // (TestSchedule); friend-field refusals there too. Here: a ripening past
    // what the file can hold.
    void describeRefusesPast2038() {
        PlantingForm f(2147483000);
        f.FillCropList(SoilKind::Ordinary);
        const PlantingForm::NewReminder r = f.Describe(2147483000);
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
    }

    void plantStaysStorable_data() {
        QTest::addColumn<qint64>("given");
        QTest::addColumn<qint64>("kept");
        QTest::newRow("before 1970") << qint64(-3600) << qint64(0);
        QTest::newRow("after 2038") << qint64(1) + INT_MAX << qint64(INT_MAX);
        QTest::newRow("inside") << qint64(1254374700) << qint64(1254374700);
    }
    void plantStaysStorable() {
        QFETCH(qint64, given);
        QFETCH(qint64, kept);
        PlantingForm f(given);
        QCOMPARE(f.plant(), kept);
        f.setPlant(1000);
        f.setPlant(given);
        QCOMPARE(f.plant(), kept);
        f.FillCropList(SoilKind::Ordinary);
        f.OnCropSelChange(given);
        QCOMPARE(f.plant(), kept);
    }

    void selectionsStayInRange() {
        PlantingForm f;
        f.FillCropList(SoilKind::RedSoil);
        f.setCropSelection(5000);
        f.setSeasonSelection(-3);
        f.setStageSelection(7);
        QCOMPARE(f.crops().selected, 0);
        QCOMPARE(f.seasons().selected, 0);
        QCOMPARE(f.stages().selected, 4);
    }
};

QTEST_GUILESS_MAIN(TestPlantingForm)
#include "TestPlantingForm.moc"
