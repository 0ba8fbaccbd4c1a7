#include "alarm/AlarmFakes.h"
#include "alarm/Clock.h"
#include "desk/MusicChoice.h"
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

constexpr qint64 T0 = 1'254'369'600; // 2009-10-01 12:00:00 in Shanghai

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
        desk.start();
        desk.secondTimer().stop(); // the test ticks
        if (desk.persistence())
            desk.persistence()->setDirtyDelay(20);
    }
    void pickMusic(const QString& path) {
        chooserAnswer = path;
        desk.OnChooseMusic();
    }
    void choose(const QString& crop) {
        PlantingForm& f = desk.form();
        if (!f.crops().items.contains(crop))
            desk.OnSoilRedSoil();
        f.setCropSelection(int(f.crops().items.indexOf(crop)));
        desk.OnCropSelChange();
    }
    // An own crop planted so that it ripens at `ripe`.
    void addOwn(const QString& crop, qint64 ripe, int totalHours, const QString& note = {}) {
        desk.setNote(note);
        choose(crop);
        desk.form().setPlant(ripe - totalHours * 3600);
        desk.OnAddReminder();
    }
    QStringList music() { return {desk.music(), deck.path(), desk.musicLabel()}; }
    // Ticks each second from `from` (just `t` without it) to `t`.
    void tickTo(qint64 t, qint64 from = 0) {
        for (from = from ? from : t; from <= t; ++from) {
            clock.set(from);
            desk.OnTimer();
        }
    }
    // Each row's note and season, in display order.
    QString notes() {
        QString out;
        for (const ReminderRow& r : desk.table().rows())
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
    // Friend times count from the second the clock shows, not from a later
    // now; the note is cut to what the record holds, whole characters only;
    // a refused form adds nothing.
    void addReminder() {
        Rig rig;
        rig.tickTo(T0);
        rig.clock.advance(7); // the shown second stays T0
        rig.choose("苹果");
        PlantingForm& f = rig.desk.form();
        rig.desk.OnFriendCropClicked(true);
        f.setSeasonSelection(1); // the second bloom, at its first stage
        rig.desk.OnSeasonSelChange();
        f.setStageSelection(0);
        f.setHoursText("99999999");
        rig.desk.OnAddReminder();
        QCOMPARE(rig.messages.size(), 1);
        f.setHoursText("0");
        f.setMinutesText("30");
        rig.desk.setNote(QString(89, u'a') + QStringLiteral("果果"));
        rig.desk.OnAddReminder();
        QCOMPARE(rig.desk.table().count(), 1);
        QCOMPARE(rig.desk.table().row(0).note, QString(89, u'a'));
        QCOMPARE(rig.desk.table().row(0).ripe, T0 + 5 * 3600 + 30 * 60); // 17:30
    }

    // Enabled by a click on a row ripened before the shown second. Whatever
    // happens to the rows between the click and the press, the reminder
    // clicked moves on, timed from the shown second; a click outside the rows
    // keeps the button's state.
    void nextSeason_data() {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("after"); // the button, the rows after the press, the button
        const auto row = [](const char* name, Change change, const char* after) {
            QTest::newRow(name) << change << QString(after);
        };
        row(
            "the tick removes a", [](Rig& rig) { rig.tickTo(T0 + 10); }, "on c1 b2 off");
        row(
            "a deleted", [](Rig& rig) { rig.desk.OnDeleteReminder({0}); }, "off c1 b2 off");
        row(
            "b deleted", [](Rig& rig) { rig.desk.OnDeleteReminder({1}); }, "off a1 c1 off");
        row(
            "a click below the rows", [](Rig& rig) { rig.desk.OnReminderClick(7); },
            "on a1 b1 c1 on");
    }
    void nextSeason() {
        QFETCH(Change, change);
        Rig rig;
        QSignalSpy enabled(&rig.desk, &ReminderDesk::nextSeasonEnabled);
        const auto button = [&enabled] {
            return !enabled.isEmpty() && enabled.last()[0].toBool() ? "on" : "off";
        };
        rig.addOwn("牧草", T0, 8);
        rig.desk.OnDeleteReminder({0});           // so that no id matches a position
        rig.addOwn("牧草", T0 + 1, 8, "a");       // one season: gone a tick after ripe
        rig.addOwn("满天星", T0 - 3600, 25, "b"); // three seasons
        rig.addOwn("满天星", T0 - 3600, 25, "c");
        rig.desk.OnReminderClick(1);
        QCOMPARE(button(), "off"); // no tick yet: no countdown
        rig.tickTo(T0 + 1);
        rig.desk.OnReminderClick(0); // ripe at the shown second: not yet
        QCOMPARE(button(), "off");
        rig.desk.OnReminderClick(1);
        change(rig);
        const QString before = button();
        rig.clock.advance(7);
        rig.desk.OnNextSeason();
        QTEST(QStringList({before, rig.notes(), button()}).join(' '), "after");
        const ReminderRow& last = rig.desk.table().rows().last();
        QVERIFY(last.seasonNo == 1 || last.ripe == rig.desk.table().now() + 10 * 3600);
    }

    void musicChoiceAndPreview() {
        Rig rig;
        const QString chosen = QStringLiteral("/music/a.mp3");
        rig.pickMusic(chosen);
        QCOMPARE(rig.music(), QStringList(3, chosen));
        // A path longer than the record holds, or not storable, is refused and changes nothing.
        const QString longest = u'/' + QString(191, QChar(0x6b4c)); // 383 cp936 bytes
        rig.pickMusic(longest + u'x');
        rig.pickMusic(QStringLiteral("/music/\U0001F33Bsong.mp3"));
        QCOMPARE(rig.messages.size(), 2);
        QCOMPARE(rig.music(), QStringList(3, chosen));
        rig.pickMusic(longest);
        QCOMPARE(rig.desk.music(), longest);
        rig.pickMusic({}); // cancelling with a choice made clears it
        QCOMPARE(rig.music(), QStringList(3));
        rig.desk.OnPreviewMusic(); // nothing to preview
        QCOMPARE(rig.messages.last(), MusicChoice::noSongText());
        rig.pickMusic({}); // cancelling with none names the default sound
        QCOMPARE(rig.desk.musicLabel(), defaultAlarmSoundText());
        // A preview never restarts what plays.
        rig.pickMusic(chosen);
        rig.deck.setState(TuneDeck::State::Playing);
        rig.log.clear();
        rig.desk.OnPreviewMusic();
        QVERIFY(rig.log.isEmpty());
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
            QTRY_VERIFY_WITH_TIMEOUT(!rig.desk.persistence()->isDirty(), 20000);
            rig.desk.onLeadSelected(3); // 2 minutes, a change of its own
            QTRY_VERIFY_WITH_TIMEOUT(!rig.desk.persistence()->isDirty(), 20000);
            rig.tickTo(T0 + 100, T0 + 1);
            QCOMPARE(rig.log, QStringList({"chime", "box"}));
        }
        Rig rig(path, T0 + 100);
        rig.desk.setAlertBoxesWanted(false);
        QCOMPARE((QList<int>{rig.desk.table().count(), rig.desk.leadSelectorIndex()}),
                 (QList<int>{2, 3}));
        rig.tickTo(T0 + 300, T0 + 101);
        QCOMPARE(rig.log, QStringList({"play", "chime"}));
        rig.desk.OnDeleteReminder({0});
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(path).size(), qint64(512), 20000);
    }

    // The stored music is looked at away from this thread; gone, it gives way
    // to the default sound, unless another was chosen meanwhile.
    void storedMusicLookedAtLater() {
        QTemporaryDir dir;
        const QString path = dir.filePath("foodinfo.dat"), song = "/music/gone.mp3";
        const QString other = "/music/b.mp3", d = defaultAlarmSoundText();
        QVERIFY(ReminderStore(path).save({song, 3, {}}).ok);
        for (bool chosenFirst : {false, true}) {
            Rig rig(path);
            QCOMPARE(rig.deck.asked, QStringList{song});
            emit rig.deck.presenceChecked(song, true);
            QCOMPARE(rig.desk.musicLabel() + rig.deck.path(), song + song);
            if (chosenFirst)
                rig.pickMusic(other);
            emit rig.deck.presenceChecked(song, false);
            QCOMPARE(rig.music(),
                     chosenFirst ? QStringList(3, other) : QStringList({d, QString(), d}));
        }
    }

    // A stored lead above the longest counts as that; one the selector does
    // not offer stays in force, with no item shown. Stored without music, the
    // default sound is named; an empty file leaves the defaults. A damaged file
    // is told once the window can show it: what happened, where the file went
    // and why.
    void loadedFile_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("cutTo");     // the file's size after saving, or -1
        QTest::addColumn<QString>("shown"); // the lead, the selector's item, the music label
        const QString d = defaultAlarmSoundText();
        QTest::newRow("above the longest") << 9 << -1 << "5 0 " + d;
        QTest::newRow("none offered") << 0 << -1 << "0 -1 " + d;
        QTest::newRow("empty") << 2 << 0 << "5 0 " + defaultMusicLabel();
        QTest::newRow("damaged") << 2 << 600 << "2 3 " + d;
    }
    void loadedFile() {
        QFETCH(int, stored);
        QFETCH(int, cutTo);
        QTemporaryDir dir;
        const QString path = dir.filePath("foodinfo.dat");
        QVERIFY(ReminderStore(path).save({QString(), stored, {}}).ok);
        QVERIFY(cutTo < 0 || QFile::resize(path, cutTo));
        Rig rig(path);
        QTEST(
            QStringLiteral("%1 %2 ").arg(rig.desk.leadMinutes()).arg(rig.desk.leadSelectorIndex()) +
                rig.desk.musicLabel(),
            "shown");
        QTest::qWait(1);
        QCOMPARE(rig.messages.size(), int(cutTo > 0));
        QVERIFY(cutTo <= 0 || rig.messages[0].contains(path + ".damaged-"));
    }

    // Told after the tick that failed, once for a streak (the saver's rule), through the desk.
    void failedSaveIsTold() {
        QTemporaryDir dir;
        QVERIFY(QFile(dir.filePath("not-a-folder")).open(QIODevice::WriteOnly));
        Rig rig(dir.filePath("not-a-folder/foodinfo.dat"));
        QVERIFY(!rig.desk.SaveReminders().ok && !rig.desk.SaveReminders().ok);
        QVERIFY(rig.messages.isEmpty());
        QTRY_COMPARE(rig.messages.size(), 1);
        QVERIFY(rig.messages[0].contains(dir.filePath("not-a-folder")));
    }
};

QTEST_GUILESS_MAIN(TestDesk)
#include "TestDesk.moc"
