#include "alarm/AlarmFakes.h"
#include "alarm/Clock.h"
#include "catalogue/TimeText.h"
#include "desk/MusicChoice.h"
#include "desk/ReminderDesk.h"
#include "reminders/PersistenceController.h"
#include "reminders/ReminderTable.h"

#include <QtTest>
#include <ctime>
#include <unistd.h>

namespace {

qint64 at(const char* text) {
    return QDateTime::fromString(QString::fromLatin1(text), u"yyyy-MM-dd HH:mm:ss")
        .toSecsSinceEpoch();
}

// The desk with fake sound, boxes and chooser, and a clock the test moves.
struct Rig {
    ManualClock clock{at("2009-10-01 12:00:00")};
    QStringList log, messages;
    QString chooserAnswer;
    FakeChime chime{&log};
    FakeDeck deck{&log};
    FakePresenter presenter{&log};
    ReminderDesk desk;

    explicit Rig(const QString& storePath = {})
        : desk({clock, chime, deck, presenter, [this] { return chooserAnswer; }, storePath}) {
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
    QString row(int r) const {
        QStringList out;
        ReminderTable& t = const_cast<ReminderDesk&>(desk).Table();
        for (int col = 0; col < ReminderTable::ColumnCount; ++col)
            out << t.data(t.index(r, col)).toString();
        return out.join(u'|');
    }
};

} // namespace

class TestDesk : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        qputenv("TZ", "Asia/Shanghai");
        tzset();
    }

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
        QCOMPARE(rig.desk.Table().row(1).rowId, 1u);
    }

    // Cut to what record 0 holds, whole characters only.
    void noteCutAtAdd() {
        Rig rig;
        rig.desk.SetNote(QString(89, u'a') + QStringLiteral("果果"));
        rig.desk.OnAddReminder();
        QCOMPARE(rig.desk.Table().row(0).note, QString(89, u'a'));
    }

    // Enabled by a click on a row ripened before the shown second; acts on that row's id.
    void nextSeasonFollowsTheClickedRow() {
        Rig rig;
        const qint64 t0 = rig.clock.now();
        rig.addOwn("牧草", t0 + 5, 8);       // one season, goes after ripening
        rig.addOwn("满天星", t0 - 3600, 25); // three seasons, ripe
        rig.addOwn("满天星", t0 + 1, 25);    // ripe at the shown second: not yet
        QSignalSpy enabled(&rig.desk, &ReminderDesk::nextSeasonEnabled);
        rig.desk.OnReminderClick(1);
        QVERIFY(!rig.desk.NextSeasonEnabled()); // no tick yet: no countdown
        rig.tickTo(t0 + 1);
        QList<bool> seen;
        for (int row : {0, 2, 1}) {
            rig.desk.OnReminderClick(row);
            seen << rig.desk.NextSeasonEnabled();
        }
        QCOMPARE(seen, (QList<bool>{false, false, true}));
        QCOMPARE(enabled.last().at(0).toBool(), true);
        rig.desk.OnReminderClick(7); // outside: the button keeps its state
        QVERIFY(rig.desk.NextSeasonEnabled() && rig.desk.SelectedRowId() == -1);
        rig.desk.OnReminderClick(1);
        rig.tickTo(t0 + 10); // removes the 牧草 row above
        rig.clock.advance(7);
        rig.desk.OnNextSeason();
        const ReminderRow& r = rig.desk.Table().row(1);
        QCOMPARE(r.cropName + QString::number(r.seasonNo), QStringLiteral("满天星2"));
        QCOMPARE(r.ripe, t0 + 10 + 10 * 3600);
        QVERIFY(!rig.desk.NextSeasonEnabled());
        rig.desk.OnNextSeason(); // a second press needs a new click
        QCOMPARE(rig.desk.Table().row(1).seasonNo, 2);
    }

    // The lead selector sets the warning; "对话框提示" decides on the box.
    void alerts() {
        for (bool boxes : {true, false}) {
            Rig rig;
            rig.desk.SetAlertBoxesWanted(boxes);
            rig.desk.OnLeadSelected(4);
            const qint64 start = rig.clock.now();
            rig.tickTo(start);
            rig.addOwn("牧草", start + 120, 8);
            for (int t = 1; t <= 120; ++t)
                rig.tickTo(start + t);
            QCOMPARE(rig.log.join(u','), boxes ? "chime,box" : "chime,play,chime");
        }
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

    // Rows, lead and music come back; an emptied table is saved too (512 bytes).
    void persistenceRoundTrip() {
        QTemporaryDir dir;
        const QString path = dir.filePath("fruitwake/foodinfo.dat");
        {
            Rig rig(path);
            rig.addOwn("牧草", rig.clock.now() + 3600, 8);
            rig.addOwn("瓶子树", rig.clock.now() + 3600, 25);
            rig.desk.OnLeadSelected(2);
            QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(path).size(), qint64(5 * 128), 20000);
            QTRY_VERIFY_WITH_TIMEOUT(!rig.desk.Persistence()->isDirty(), 20000);
        }
        {
            Rig rig(path);
            QCOMPARE(rig.desk.Table().count(), 2);
            QCOMPARE(rig.desk.Table().row(1).cropName, QStringLiteral("瓶子树"));
            QCOMPARE(rig.desk.LeadMinutes() * 10 + rig.desk.LeadSelectorIndex(), 32);
            QCOMPARE(rig.desk.Music() + rig.desk.MusicLabel(), DefaultAlarmSoundText().repeated(2));
            QVERIFY(rig.messages.isEmpty());
            rig.desk.OnDeleteReminder({1, 0});
            QVERIFY(rig.desk.SaveReminders().ok);
            QCOMPARE(QFileInfo(path).size(), qint64(512));
        }
        // A lead the selector does not offer stays in force, with no item shown.
        QVERIFY(ReminderStore(path).save({QString(), 0, {}}).ok);
        Rig rig(path);
        QCOMPARE(rig.desk.LeadMinutes() * 10 + rig.desk.LeadSelectorIndex(), -1);
    }

    // The stored music is looked at away from this thread; gone, it gives way
    // to the default sound, unless another was chosen meanwhile.
    void storedMusicLookedAtLater() {
        QTemporaryDir dir;
        const QString path = dir.filePath("foodinfo.dat"), song = "/music/gone.mp3";
        const QString other = "/music/b.mp3", d = DefaultAlarmSoundText();
        QVERIFY(ReminderStore(path).save({song, 3, {}}).ok);
        for (bool chosenFirst : {false, true}) {
            Rig rig(path);
            QCOMPARE(rig.deck.asked, QStringList{song});
            emit rig.deck.presenceChecked(song, true);
            QCOMPARE(rig.desk.MusicLabel() + rig.deck.Path(), song + song);
            rig.chooserAnswer = other;
            if (chosenFirst)
                rig.desk.OnChooseMusic();
            emit rig.deck.presenceChecked(song, false);
            QCOMPARE(QStringList({rig.desk.Music(), rig.deck.Path(), rig.desk.MusicLabel()}),
                     chosenFirst ? QStringList(3, other) : QStringList({d, QString(), d}));
        }
    }

    // Told once the window can show it: what happened, where the file went and why. What could
    // not be read at all leaves an empty table and the default lead.
    void badFileIsTold_data() {
        QTest::addColumn<bool>("unreadable");
        QTest::addColumn<QString>("told"); // the text up to the copy's name
        QTest::addColumn<int>("lead");
        QTest::newRow("damaged") << false
                                 << "数据文件已损坏，已读入其中完整的提醒。\n原文件已另存为：" << 3;
        QTest::newRow("unreadable")
            << true << "数据文件无法读取，这次从空的提醒列表开始。\n原文件已移到：" << 5;
    }
    void badFileIsTold() {
        QFETCH(bool, unreadable);
        QFETCH(QString, told);
        const bool root = ::geteuid() == 0;
        if (unreadable && root && ::seteuid(65534) != 0)
            QSKIP("cannot take an ordinary user's rights");
        const auto restore =
            qScopeGuard([=] { QVERIFY(!unreadable || !root || ::seteuid(0) == 0); });
        QTemporaryDir dir;
        const QString path = dir.filePath("foodinfo.dat");
        QVERIFY(ReminderStore(path).save({QString(), 3, {}}).ok);
        QVERIFY(unreadable ? QFile::setPermissions(path, {}) : QFile::resize(path, 600));
        Rig rig(path);
        QVERIFY(rig.messages.isEmpty());
        QTRY_COMPARE(rig.messages.size(), 1);
        const QString& said = rig.messages[0];
        QVERIFY2(said.startsWith(told + path + ".damaged-") && said.contains("\n原因："),
                 qPrintable(said));
        QTEST(rig.desk.LeadMinutes(), "lead");
        QCOMPARE(ReminderDesk::LoadReport({LoadStatus::Whole, {}, {}, {}}), QString());
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
