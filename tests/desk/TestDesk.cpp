#include "alarm/AlarmFakes.h"
#include "alarm/Clock.h"
#include "alarm/MusicChoice.h"
#include "catalogue/TimeText.h"
#include "desk/ReminderDesk.h"
#include "reminders/PersistenceController.h"
#include "reminders/ReminderTable.h"

#include <QtTest>
#include <ctime>

namespace {

// Shanghai time throughout, set before any instant below is computed.
[[maybe_unused]] const bool kZoneSet = [] {
    qputenv("TZ", "Asia/Shanghai");
    tzset();
    return true;
}();

qint64 at(const char* text) {
    return QDateTime::fromString(QString::fromLatin1(text), u"yyyy-MM-dd HH:mm:ss")
        .toSecsSinceEpoch();
}

const qint64 T0 = at("2009-10-01 12:00:00");

// The desk with fake sound, boxes and chooser, and a clock the test moves.
struct Rig {
    ManualClock clock;
    QStringList log, messages;
    QString chooserAnswer;
    FakeChime chime{&log};
    FakeDeck deck{&log};
    FakePresenter presenter{&log};
    ReminderDesk desk;

    explicit Rig(const QString& storePath = {}, qint64 start = T0)
        : clock(start),
          desk({clock, chime, deck, presenter, [this] { return chooserAnswer; }, storePath}) {
        chime.endAtOnce = true;
        QObject::connect(&desk, &ReminderDesk::message,
                         [this](const QString& t) { messages << t; });
        desk.Start();
        desk.SecondTimer().stop(); // the test ticks
        if (desk.Persistence())
            desk.Persistence()->setDirtyDelay(20);
    }
    void choose(const QString& crop) {
        PlantingForm& f = desk.Form();
        if (!f.Crops().items.contains(crop))
            desk.OnSoilRedSoil();
        f.SetCropSelection(int(f.Crops().items.indexOf(crop)));
        desk.OnCropSelChange();
    }
    // An own crop planted so that it ripens at `ripe`.
    void addOwn(const QString& crop, qint64 ripe, int totalHours) {
        choose(crop);
        desk.Form().SetPlant(ripe - totalHours * 3600);
        desk.OnAddReminder();
    }
    void tickTo(qint64 t) {
        clock.set(t);
        desk.OnTimer();
    }
    QString row(int r) {
        QStringList out;
        ReminderTable& t = desk.Table();
        for (int col = 0; col < ReminderTable::ColumnCount; ++col)
            out << t.data(t.index(r, col)).toString();
        return out.join(u'|');
    }
    // Each row's note and season, in display order.
    QString notes() {
        QString out;
        for (const ReminderRow& r : desk.Table().rows())
            out += r.note + QString::number(r.seasonNo) + u' ';
        return out.trimmed();
    }
};

using Change = std::function<void(Rig&)>;

} // namespace

Q_DECLARE_METATYPE(Change)

class TestDesk : public QObject {
    Q_OBJECT
private slots:
    void addRows_data() {
        QTest::addColumn<QString>("crop");
        QTest::addColumn<QStringList>("friendForm"); // season, stage, hours, minutes
        QTest::addColumn<QString>("cells"); // index, crop, plant, ripe, note, countdown, season
        const auto row = [](const char* name, const char* crop, QStringList friendForm,
                            const char* cells) {
            QTest::newRow(name) << QString(crop) << friendForm << QString(cells);
        };
        row("own bottle tree", "瓶子树", {},
            "0|瓶子树|2009-10-01 12:00:00|2009-10-02 13:00:00|东|1天1小时0分0秒成熟|1");
        row("friend apple second bloom", "苹果", {"1", "0", "0", "30"},
            "40|苹果|2009-09-30 11:30:00|2009-10-01 17:30:00|东|0天5小时30分0秒成熟|2");
        row("friend hours out of bounds", "苹果", {"0", "4", "99999999", ""}, "");
    }
    // Friend times count from the second the clock shows, not from a later now.
    void addRows() {
        QFETCH(QStringList, friendForm);
        QFETCH(QString, cells);
        QFETCH(QString, crop);
        Rig rig;
        const qint64 shown = rig.clock.now();
        rig.tickTo(shown);
        rig.clock.advance(7);
        rig.choose(crop);
        PlantingForm& f = rig.desk.Form();
        f.SetPlant(shown);
        if (!friendForm.isEmpty()) {
            rig.desk.OnFriendCropClicked(true);
            f.SetSeasonSelection(friendForm[0].toInt());
            rig.desk.OnSeasonSelChange();
            f.SetStageSelection(friendForm[1].toInt());
            f.SetHoursText(friendForm[2]);
            f.SetMinutesText(friendForm[3]);
        }
        rig.desk.SetNote(QStringLiteral("东"));
        rig.desk.OnAddReminder();
        rig.desk.OnAddReminder();
        if (cells.isEmpty()) { // refused with a message, nothing added
            QCOMPARE(rig.messages.size(), 2);
            QCOMPARE(rig.desk.Table().count(), 0);
            return;
        }
        QVERIFY(rig.messages.isEmpty());
        QCOMPARE(rig.desk.Table().count(), 2);
        QCOMPARE(rig.row(1), cells);
    }

    // Cut to what record 0 holds, whole characters only.
    void noteCutAtAdd() {
        Rig rig;
        rig.desk.SetNote(QString(89, u'a') + QStringLiteral("果果"));
        rig.desk.OnAddReminder();
        QCOMPARE(rig.desk.Table().row(0).note, QString(89, u'a'));
    }

    // Enabled by a click on a row ripened before the shown second; timed from that second.
    void nextSeasonButton() {
        Rig rig;
        rig.addOwn("满天星", T0 - 3600, 25); // three seasons, ripe
        rig.addOwn("满天星", T0 + 1, 25);    // ripe at the shown second: not yet
        rig.desk.OnReminderClick(0);
        QVERIFY(!rig.desk.NextSeasonEnabled()); // no tick yet: no countdown
        rig.tickTo(T0 + 1);
        QSignalSpy enabled(&rig.desk, &ReminderDesk::nextSeasonEnabled);
        rig.desk.OnReminderClick(1);
        rig.desk.OnReminderClick(0);
        QCOMPARE(enabled, (QList<QVariantList>{{false}, {true}}));
        rig.desk.OnReminderClick(7); // outside: the button keeps its state
        QVERIFY(rig.desk.NextSeasonEnabled());
        rig.desk.OnReminderClick(0);
        rig.clock.advance(7);
        rig.desk.OnNextSeason();
        QCOMPARE(rig.notes(), "1 2");
        QCOMPARE(rig.desk.Table().row(1).ripe, T0 + 1 + 10 * 3600);
        QVERIFY(!rig.desk.NextSeasonEnabled());
        rig.desk.OnNextSeason(); // a second press needs a new click
        QCOMPARE(rig.notes(), "1 2");
    }

    // Whatever happens to the rows between the click and the press, the
    // reminder clicked is the one that moves on.
    void nextSeasonMovesTheClickedReminder_data() {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("after");
        const auto row = [](const char* name, Change change, const char* after) {
            QTest::newRow(name) << change << QString(after);
        };
        row(
            "the tick removes a", [](Rig& rig) { rig.tickTo(T0 + 10); }, "c1 b2");
        row(
            "a deleted", [](Rig& rig) { rig.desk.OnDeleteReminder({0}); }, "c1 b2");
        row(
            "sorted, b first", [](Rig& rig) { rig.desk.Table().sort(0); }, "c1 a1 b2");
        row(
            "b deleted", [](Rig& rig) { rig.desk.OnDeleteReminder({1}); }, "a1 c1");
        row(
            "a click below the rows", [](Rig& rig) { rig.desk.OnReminderClick(7); }, "a1 b1 c1");
    }
    void nextSeasonMovesTheClickedReminder() {
        QFETCH(Change, change);
        Rig rig;
        for (const char* note : {"a", "b", "c"}) {
            rig.desk.SetNote(QString::fromLatin1(note));
            if (*note == 'a')
                rig.addOwn("牧草", T0 + 5, 8); // one season: the tick removes it
            else
                rig.addOwn("满天星", T0 - 3600, 25);
        }
        rig.tickTo(T0 + 1);
        rig.desk.OnReminderClick(1);
        change(rig);
        rig.desk.OnNextSeason();
        QTEST(rig.notes(), "after");
    }

    void musicChoiceAndStop() {
        Rig rig;
        const auto music = [&rig] {
            return QStringList{rig.desk.Music(), rig.deck.Path(), rig.desk.MusicLabel()};
        };
        const QString chosen = QStringLiteral("/music/a.mp3");
        rig.chooserAnswer = chosen;
        rig.desk.OnChooseMusic();
        QCOMPARE(music(), QStringList(3, chosen));
        // A path longer than the record holds, or not storable, is refused and changes nothing.
        const QString longest = u'/' + QString(191, QChar(0x6b4c)); // 383 cp936 bytes
        for (const QString& bad : {longest + u'x', QStringLiteral("/music/\U0001F33Bsong.mp3")}) {
            rig.chooserAnswer = bad;
            rig.desk.OnChooseMusic();
        }
        QCOMPARE(rig.messages.size(), 2);
        QCOMPARE(music(), QStringList(3, chosen));
        rig.chooserAnswer = longest;
        rig.desk.OnChooseMusic();
        QCOMPARE(rig.desk.Music(), longest);
        rig.chooserAnswer.clear(); // cancelling with a choice made clears it
        rig.desk.OnChooseMusic();
        QCOMPARE(music(), QStringList(3));
        rig.desk.OnPreviewMusic(); // nothing to preview
        QCOMPARE(rig.messages.last(), MusicChoice::NoSongText());
        rig.desk.OnChooseMusic(); // cancelling with none names the default sound
        QCOMPARE(rig.desk.MusicLabel(), DefaultAlarmSoundText());
        // The stop button follows the deck's state, no tick needed; a preview
        // never restarts what plays.
        QSignalSpy stop(&rig.desk, &ReminderDesk::stopMusicEnabled);
        rig.chooserAnswer = chosen;
        rig.desk.OnChooseMusic();
        rig.deck.setState(TuneDeck::State::Playing);
        rig.log.clear();
        rig.desk.OnPreviewMusic();
        rig.desk.OnStopMusic();
        QCOMPARE(stop.size(), 2);
        QVERIFY(stop[0][0].toBool() && !stop[1][0].toBool() && !rig.deck.IsActive());
        QCOMPARE(rig.log, QStringList{"close"});
    }

    // Changes reach the file a moment later; after a restart the rows, lead and
    // music are back, and the alerts come once: the warning the selected lead
    // gave before it not again, the ripe alert after it, without a box once
    // "对话框提示" is unticked. An emptied table is saved too.
    void restart() {
        QTemporaryDir dir;
        const QString path = dir.filePath("fruitwake/foodinfo.dat");
        {
            Rig rig(path);
            rig.addOwn("牧草", T0 + 200, 8);
            rig.addOwn("瓶子树", T0 + 3600, 25);
            rig.desk.OnLeadSelected(3); // 2 minutes
            QTRY_VERIFY_WITH_TIMEOUT(!rig.desk.Persistence()->isDirty(), 20000);
            QCOMPARE(QFileInfo(path).size(), qint64(5 * 128));
            for (int t = 1; t <= 100; ++t)
                rig.tickTo(T0 + t);
            QCOMPARE(rig.log, QStringList({"chime", "box"}));
        }
        Rig rig(path, T0 + 100);
        rig.desk.SetAlertBoxesWanted(false);
        QCOMPARE(rig.desk.Table().count(), 2);
        QCOMPARE(rig.desk.LeadSelectorIndex(), 3);
        QCOMPARE(rig.desk.Music() + rig.desk.MusicLabel(), DefaultAlarmSoundText().repeated(2));
        for (int t = 101; t <= 300; ++t)
            rig.tickTo(T0 + t);
        QCOMPARE(rig.log, QStringList({"play", "chime"}));
        QCOMPARE(rig.desk.Table().row(0).cropName, QStringLiteral("瓶子树"));
        QVERIFY(rig.messages.isEmpty());
        rig.desk.OnDeleteReminder({0});
        QVERIFY(rig.desk.SaveReminders().ok);
        QCOMPARE(QFileInfo(path).size(), qint64(512));
    }

    // A stored lead above the longest counts as that; one the selector does
    // not offer stays in force, with no item shown. A damaged file is told
    // once the window can show it: what happened, where the file went and why.
    void loadedFile_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("damaged");
        QTest::addColumn<QList<int>>("leadAndItem");
        QTest::newRow("above the longest") << 9 << false << QList<int>{5, 0};
        QTest::newRow("none offered") << 0 << false << QList<int>{0, -1};
        QTest::newRow("damaged") << 2 << true << QList<int>{2, 3};
    }
    void loadedFile() {
        QFETCH(int, stored);
        QFETCH(bool, damaged);
        QTemporaryDir dir;
        const QString path = dir.filePath("foodinfo.dat");
        QVERIFY(ReminderStore(path).save({QString(), stored, {}}).ok);
        QVERIFY(!damaged || QFile::resize(path, 600));
        Rig rig(path);
        QTEST((QList<int>{rig.desk.LeadMinutes(), rig.desk.LeadSelectorIndex()}), "leadAndItem");
        QVERIFY(rig.messages.isEmpty());
        QTest::qWait(1);
        QCOMPARE(rig.messages.size(), int(damaged));
        const QString told =
            QStringLiteral("数据文件已损坏，已读入其中完整的提醒。\n原文件已另存为：");
        QVERIFY(!damaged || (rig.messages[0].startsWith(told + path + ".damaged-") &&
                             rig.messages[0].contains("\n原因：")));
    }

    // Told after the tick that failed, once for a streak (the saver's rule), through the desk.
    void failedSaveIsTold() {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("not-a-folder"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Rig rig(dir.filePath("not-a-folder/foodinfo.dat"));
        QVERIFY(!rig.desk.SaveReminders().ok && !rig.desk.SaveReminders().ok);
        QVERIFY(rig.messages.isEmpty());
        QTRY_COMPARE(rig.messages.size(), 1);
        QVERIFY(rig.messages[0].contains(dir.filePath("not-a-folder")));
    }
};

QTEST_GUILESS_MAIN(TestDesk)
#include "TestDesk.moc"
