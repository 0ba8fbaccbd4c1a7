#include "catalogue/TimeText.h"
#include "form/PlantingForm.h"

#include <QtTest>
#include <ctime>

namespace {
void setZone(const char* tz) {
    qputenv("TZ", tz);
    tzset();
}
qint64 at(const char* text) {
    return QDateTime::fromString(QString::fromLatin1(text), u"yyyy-MM-dd HH:mm:ss")
        .toSecsSinceEpoch();
}

// Picks an ordinary crop the way the dialog does: the new selection, then the handler.
void choose(PlantingForm& f, const QString& name, qint64 now) {
    f.OnSoilOrdinary();
    f.setCropSelection(int(f.crops().items.indexOf(name)));
    QCOMPARE(f.crops().selectedText(), name);
    f.OnCropSelChange(now);
}

// The panel's lines, a ripened season as "R" and one past the crop's last as "-".
QString panelText(const PlantingForm& f) {
    return QStringList(f.panel().begin(), f.panel().end())
        .join(u',')
        .replace(PlantingForm::ripenedLine(), "R")
        .replace(PlantingForm::noSeasonLine(), "-");
}
} // namespace

class TestPlantingForm : public QObject {
    Q_OBJECT
    // Ticking "friend" puts "0" and "30" over what was typed and enables the friend fields
    // instead of the picker; unticking clears them.
    void friendToggle(PlantingForm& f, bool on) {
        f.setHoursText("-3.5");
        f.setMinutesText("x");
        f.OnFriendCropClicked(on);
        QCOMPARE(f.hoursText() + u'|' + f.minutesText(), on ? "0|30" : "|");
        QCOMPARE(f.friendFieldsEnabled() && !f.pickerEnabled() && f.friendMode(), on);
    }

private slots:
    void init() { setZone("Asia/Shanghai"); }

    // A crop offers its seasons; every radio click refills the lists to their start, never
    // appending, and the panel follows; friend mode stays as it was.
    void radioSwitching() {
        PlantingForm f;
        friendToggle(f, true);
        choose(f, "路易十四", 1000);
        QCOMPARE(f.seasons().items.mid(7), (QStringList{"第八季", "第九季"})); // of nine
        f.setSeasonSelection(8);
        f.OnSeasonSelChange();
        QCOMPARE(f.stages(), (ChoiceList{{"开花", "成熟"}, 1})); // a later season's stages
        for (QChar c : QStringLiteral("orrooro")) {
            const bool red = c == u'r';
            red ? f.OnSoilRedSoil() : f.OnSoilOrdinary();
            QCOMPARE(f.crops().items.size(), red ? 19 : 168);
            QCOMPARE(f.crops().selectedText() + f.panel()[0],
                     red ? "瓶子树1970-01-02 09:16:40" : "牧草1970-01-01 16:16:40");
            QCOMPARE(f.seasons(), (ChoiceList{{"第一季"}, 0}));
            QCOMPARE(f.stages(), (ChoiceList{{"发芽", "小叶子", "大叶子", "开花", "成熟"}, 4}));
        }
        QVERIFY(f.friendMode());
        friendToggle(f, false);
    }

    // The panel, from the picker moved after the crop choice (no index) or from a row: a row's
    // seasons before its own ripened, also for a season or crop a damaged file may hold. Times
    // read as local wall clock: Central Europe leaves summer time at 03:00 on 2009-10-25, so
    // eight real hours after 18:00 CEST read the first 02:00.
    void panel() {
        const QList<std::tuple<const char*, int, QString, const char*, int, const char*>> cases{
            {"Asia/Shanghai", -1, "苹果", "2009-10-01 00:00:00", 1,
             "2009-10-01 21:00:00,2009-10-02 06:00:00,-,-,-,-,-,-,-"},
            {"Europe/Berlin", -1, "牧草", "2009-10-24 18:00:00", 1,
             "2009-10-25 02:00:00,-,-,-,-,-,-,-,-"},
            {"Asia/Shanghai", 116, "木瓜", "2009-10-01 00:00:00", 3,
             "R,R,2009-10-04 14:00:00,2009-10-05 10:00:00,2009-10-06 06:00:00,-,-,-,-"},
            {"Asia/Shanghai", 40, "苹果", "2009-10-01 00:00:00", 4, "R,R,-,-,-,-,-,-,-"},
            {"Asia/Shanghai", 9999, "无此作物", "2009-10-01 00:00:00", 1, "-,-,-,-,-,-,-,-,-"}};
        for (auto [zone, index, crop, plant, seasonNo, lines] : cases) {
            setZone(zone);
            PlantingForm f;
            if (index < 0) {
                choose(f, crop, 1000);
                f.setPlant(at(plant));
                f.OnPlantTimeChange();
            } else {
                f.ShowRowSchedule(index, crop, at(plant), seasonNo);
            }
            QCOMPARE(panelText(f), lines);
        }
    }

    // The picker never leaves what the file can store (1970-01-01 to 2038-01-19), a
    // ripening past it is refused, and the lists' selections stay inside the lists.
    void bounds() {
        const QList<std::pair<qint64, qint64>> cases{
            {-3600, 0}, {qint64(INT_MAX) + 1, INT_MAX}, {1254374700, 1254374700}};
        for (const auto& [given, kept] : cases) {
            PlantingForm f(given);
            QCOMPARE(f.plant(), kept);
            f.setPlant(given);
            QCOMPARE(f.plant(), kept);
            f.FillCropList(SoilKind::Ordinary);
            f.OnCropSelChange(given);
            QCOMPARE(f.plant(), kept);
        }
        PlantingForm f(2147483000);
        f.FillCropList(SoilKind::RedSoil);
        QVERIFY(!f.describe(2147483000).ok && !f.describe(2147483000).error.isEmpty());
        f.setCropSelection(5000);
        f.setSeasonSelection(-3);
        f.setStageSelection(5); // one past the end
        QCOMPARE((QList<int>{f.crops().selected, f.seasons().selected, f.stages().selected}),
                 (QList<int>{0, 0, 4}));
    }
};

QTEST_GUILESS_MAIN(TestPlantingForm)
#include "TestPlantingForm.moc"
